#pragma once

#include <QString>

namespace Netrove {

// The string table: column titles, the About entry and the start-up failure.
enum StringId
{
    IDS_ABOUTBOX = 101,
    IDS_COLUMN_PROTOCOL = 102,
    IDS_SOCKET_FAILURE = 103,
    IDS_COLUMN_MAC = 104,
    IDS_COLUMN_IP = 105,
    IDS_COLUMN_NO = 106,
    IDS_COLUMN_DEVICE_NAME = 107,
    IDS_COLUMN_MODE = 108,
    IDS_UPNP_STATUS = 109,
    IDS_COLUMN_URL = 110,
    IDS_COLUMN_ALIAS = 111,
};

// The text of a string table entry; empty for an unknown id.
QString LoadString(int id);

// The caption of every message box: the program file's base name.
QString ApplicationCaption();

} // namespace Netrove
