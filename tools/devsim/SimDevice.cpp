#include "tools/devsim/SimDevice.h"

#include <charconv>
#include <cstdio>

namespace Netrove::DevSim {

namespace {

bool ParseInt(std::string_view text, long lo, long hi, long& out)
{
    long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < lo || value > hi)
        return false;
    out = value;
    return true;
}

bool ParseU16(std::string_view text, std::uint16_t& out)
{
    long value = 0;
    if (!ParseInt(text, 0, 65535, value))
        return false;
    out = static_cast<std::uint16_t>(value);
    return true;
}

bool Fail(std::string& error, std::string_view key, std::string_view value, std::string_view why)
{
    error = std::string(key) + "=" + std::string(value) + ": " + std::string(why);
    return false;
}

// Splits a line into key=value tokens; values may be double-quoted with \" and \\ inside.
bool Tokenize(std::string_view line, std::vector<std::pair<std::string, std::string>>& out,
              std::string& error)
{
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        if (i >= line.size() || line[i] == '#')
            break;
        const std::size_t keyStart = i;
        while (i < line.size() && line[i] != '=' && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i >= line.size() || line[i] != '=') {
            error = "expected key=value at '" + std::string(line.substr(keyStart)) + "'";
            return false;
        }
        std::string key(line.substr(keyStart, i - keyStart));
        ++i;
        std::string value;
        if (i < line.size() && line[i] == '"') {
            ++i;
            bool closed = false;
            while (i < line.size()) {
                const char c = line[i++];
                if (c == '"') {
                    closed = true;
                    break;
                }
                if (c == '\\' && i < line.size())
                    value += line[i++];
                else
                    value += c;
            }
            if (!closed) {
                error = "unterminated quote in the value of '" + key + "'";
                return false;
            }
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                value += line[i++];
        }
        out.emplace_back(std::move(key), std::move(value));
    }
    return true;
}

} // namespace

bool ApplyFaultKey(SimFaults& faults, std::string_view key, std::string_view value, std::string& error)
{
    long n = 0;
    if (key == "short") {
        if (!ParseInt(value, 0, 1, n))
            return Fail(error, key, value, "0 or 1");
        faults.shortReply = n == 1;
    } else if (key == "tag") {
        if (value == "echo")
            faults.tag = TagMode::Echo;
        else if (value == "foreign")
            faults.tag = TagMode::Foreign;
        else if (value == "zero")
            faults.tag = TagMode::Zero;
        else if (value == "zero15")
            faults.tag = TagMode::ZeroFirst;
        else
            return Fail(error, key, value, "echo, foreign, zero or zero15");
    } else if (key == "copies") {
        if (!ParseInt(value, 0, 100, n))
            return Fail(error, key, value, "0 to 100");
        faults.copies = static_cast<int>(n);
    } else if (key == "delay") {
        if (!ParseInt(value, 0, 60000, n))
            return Fail(error, key, value, "0 to 60000 ms");
        faults.delayMs = static_cast<int>(n);
    } else if (key == "jitter") {
        if (!ParseInt(value, 0, 60000, n))
            return Fail(error, key, value, "0 to 60000 ms");
        faults.jitterMs = static_cast<int>(n);
    } else if (key == "result") {
        if (value == "none") {
            faults.ignoreSettings = true;
        } else {
            if (!ParseInt(value, 0, 255, n))
                return Fail(error, key, value, "a code 0 to 255, or none");
            faults.result = static_cast<int>(n);
        }
    } else if (key == "after") {
        if (value.empty())
            return Fail(error, key, value, "an address, or none");
        faults.goneAfterChange = value == "none";
        faults.addressAfterChange = faults.goneAfterChange ? std::string() : std::string(value);
    } else if (key == "fill") {
        if (!ParseInt(value, 0, 1, n))
            return Fail(error, key, value, "0 or 1");
        faults.fillTexts = n == 1;
    } else if (key == "size") {
        // 65507 is the largest UDP payload over IPv4.
        if (!ParseInt(value, 0, 65507, n))
            return Fail(error, key, value, "0 to 65507");
        faults.datagramSize = static_cast<std::size_t>(n);
    } else if (key == "silent") {
        if (!ParseInt(value, 0, 1, n))
            return Fail(error, key, value, "0 or 1");
        faults.silent = n == 1;
    } else if (key == "loss") {
        if (!ParseInt(value, 0, 100, n))
            return Fail(error, key, value, "0 to 100 percent");
        faults.lossPercent = static_cast<int>(n);
    } else if (key == "reboot") {
        if (!ParseInt(value, 0, 3600, n))
            return Fail(error, key, value, "0 to 3600 seconds");
        faults.rebootSeconds = static_cast<int>(n);
    } else {
        return Fail(error, key, value, "unknown key");
    }
    return true;
}

bool ApplyDeviceKey(SimDevice& device, std::string_view key, std::string_view value, std::string& error)
{
    static constexpr std::array<std::string_view, 6> kPortKeys{"http", "dlx",    "tcp",
                                                               "udp",  "upload", "multicast"};
    for (std::size_t i = 0; i < kPortKeys.size(); ++i) {
        if (key == kPortKeys[i])
            return ParseU16(value, device.ports[i]) || Fail(error, key, value, "a port 0 to 65535");
    }
    long n = 0;
    if (key == "kind") {
        if (value == "camera")
            device.kind = SimKind::Camera;
        else if (value == "camera6")
            device.kind = SimKind::CameraIPv6;
        else if (value == "recorder")
            device.kind = SimKind::Recorder;
        else if (value == "onvif")
            device.kind = SimKind::Onvif;
        else if (value == "wsdhost")
            device.kind = SimKind::WsdHost;
        else
            return Fail(error, key, value, "camera, camera6, recorder, onvif or wsdhost");
    } else if (key == "model") {
        device.model = value;
    } else if (key == "alias") {
        device.alias = value;
    } else if (key == "mac") {
        device.mac = value;
    } else if (key == "ip") {
        device.ip = value;
    } else if (key == "mask") {
        device.mask = value;
    } else if (key == "gateway") {
        device.gateway = value;
    } else if (key == "ipv6") {
        device.ipv6 = value;
    } else if (key == "password") {
        device.password = value;
    } else if (key == "url") {
        device.url = value;
    } else if (key == "webport") {
        return ParseU16(value, device.webPort) || Fail(error, key, value, "a port 0 to 65535");
    } else if (key == "mode") {
        if (value == "static")
            device.addressMode = 0;
        else if (value == "dhcp")
            device.addressMode = 1;
        else if (value == "pppoe")
            device.addressMode = 2;
        else if (ParseInt(value, 0, 255, n))
            device.addressMode = static_cast<std::uint8_t>(n);
        else
            return Fail(error, key, value, "static, dhcp, pppoe or a byte");
    } else if (key == "setting") {
        if (!ParseInt(value, 0, 255, n))
            return Fail(error, key, value, "a byte (0: accepts no setting)");
        device.settingAllowed = static_cast<std::uint8_t>(n);
    } else if (key == "success") {
        if (value != "22" && value != "44")
            return Fail(error, key, value, "22 or 44");
        device.successResult = value == "22" ? 22 : 44;
    } else if (IsOnvifKey(key)) {
        return ApplyOnvifKey(device, key, value, error);
    } else {
        return ApplyFaultKey(device.faults, key, value, error);
    }
    return true;
}

ParsedLine ParseDeviceLine(std::string_view line)
{
    ParsedLine parsed;
    std::vector<std::pair<std::string, std::string>> tokens;
    if (!Tokenize(line, tokens, parsed.error))
        return parsed;
    if (tokens.empty())
        return parsed;
    SimDevice device;
    for (const auto& [key, value] : tokens) {
        if (!ApplyDeviceKey(device, key, value, parsed.error))
            return parsed;
    }
    // A WS-Discovery device tells its MAC address only where it has a scope for it.
    const bool wsDiscovery = device.kind == SimKind::Onvif || device.kind == SimKind::WsdHost;
    if (device.mac.empty() && !wsDiscovery) {
        parsed.error = "a device needs mac=";
        return parsed;
    }
    parsed.device = std::move(device);
    return parsed;
}

std::vector<SimDevice> GenerateDevices(const DeviceCounts& counts, int firstIndex)
{
    std::vector<SimDevice> devices;
    int index = firstIndex;
    auto make = [&](SimKind kind) {
        SimDevice device;
        device.kind = kind;
        const int n = index++;
        char text[64];
        // Locally administered MACs, so no simulated device collides with real hardware.
        std::snprintf(text, sizeof text, "02:4E:52:%02X:%02X:%02X", (n >> 16) & 0xff, (n >> 8) & 0xff,
                      n & 0xff);
        device.mac = text;
        std::snprintf(text, sizeof text, "192.168.%d.%d", 1 + (100 + n) / 254, 1 + (100 + n) % 254);
        device.ip = counts.ip.empty() ? std::string(text) : counts.ip;
        std::snprintf(text, sizeof text, "fe80::4e:52ff:fe%02x:%02x%02x", (n >> 16) & 0xff, (n >> 8) & 0xff,
                      n & 0xff);
        if (kind == SimKind::CameraIPv6)
            device.ipv6 = text;
        const bool recorder = kind == SimKind::Recorder;
        device.model = recorder ? "NR-1600" : (kind == SimKind::CameraIPv6 ? "NC-620" : "NC-210");
        std::snprintf(text, sizeof text, "%s %d", recorder ? "Recorder" : "Camera", n + 1);
        device.alias = text;
        if (recorder) {
            std::snprintf(text, sizeof text, "http://%s:%u", device.ip.c_str(), device.webPort);
            device.url = text;
        } else {
            device.url = "http://";
        }
        devices.push_back(std::move(device));
    };
    for (int i = 0; i < counts.cameras; ++i)
        make(SimKind::Camera);
    for (int i = 0; i < counts.ipv6Cameras; ++i)
        make(SimKind::CameraIPv6);
    for (int i = 0; i < counts.recorders; ++i)
        make(SimKind::Recorder);
    return devices;
}

} // namespace Netrove::DevSim
