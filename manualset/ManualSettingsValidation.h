#pragma once

#include "discovery/DottedQuad.h"
#include "manualset/PortGroup.h"

#include <optional>
#include <string>

namespace Netrove {

enum class SettingKind
{
    Camera,
    Recorder
};

// What the Manual Setting dialog holds when the user presses "OK".
struct ManualSettingValues
{
    SettingKind kind = SettingKind::Camera;
    PortGroup group = PortGroup::HttpDlxPair; // cameras only
    int mode = 0;                       // the addressing mode the dialog shows: 0 static, 1 DHCP, 2 PPPoE
    Ipv4Octets ip{}, mask{}, gateway{}; // blank parts already read as 0
    int http = 0;                       // the HTTP (or service) port field, read as a leading number
    int second = 0;                     // the field below it: a camera's DLX port, a recorder's Port(TCP)
};

// The message of the first rule that fails, in the rule sets' order; nothing when all pass.
std::optional<std::string> ValidateManualSettings(const ManualSettingValues& values);

} // namespace Netrove
