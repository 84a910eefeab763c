#pragma once

#include "cli/CliArguments.h"
#include "devicelist/DeviceRecord.h"

#include <QByteArray>
#include <QJsonObject>

#include <vector>

namespace Netrove {

// One device as a JSON object, with the keys doc/netrove-cli.md lists; every key is always there
// (a port the model lacks is null).
QJsonObject DeviceRecordJson(const DeviceRecord& record);

// What `search` prints: a table with a title line and aligned columns (control characters as "?",
// see TerminalText), the saved list's CSV, or a JSON array of one object per device. UTF-8.
QByteArray FormatDeviceRecords(const std::vector<DeviceRecord>& records, CliFormat format);

} // namespace Netrove
