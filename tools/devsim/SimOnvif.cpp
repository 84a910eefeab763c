#include "tools/devsim/SimOnvif.h"

#include "tools/devsim/SimDevice.h"

#include <array>

namespace Netrove::DevSim {

namespace {

bool Fail(std::string& error, std::string_view key, std::string_view value, std::string_view why)
{
    error = std::string(key) + "=" + std::string(value) + ": " + std::string(why);
    return false;
}

bool Flag(std::string_view key, std::string_view value, bool& out, std::string& error)
{
    if (value != "0" && value != "1")
        return Fail(error, key, value, "0 or 1");
    out = value == "1";
    return true;
}

} // namespace

bool IsOnvifKey(std::string_view key)
{
    static constexpr std::array<std::string_view, 9> kKeys{
        "dialect", "endpoint", "xaddrs", "types", "spaces", "echo", "hello", "hardware", "name"};
    for (const std::string_view known : kKeys) {
        if (key == known)
            return true;
    }
    return false;
}

bool ApplyOnvifKey(SimDevice& device, std::string_view key, std::string_view value, std::string& error)
{
    SimOnvif& onvif = device.onvif;
    if (key == "dialect") {
        static constexpr std::array<std::pair<std::string_view, OnvifDialect>, 4> kDialects{{
            {"soapenv", OnvifDialect::SoapEnv},
            {"indented", OnvifDialect::Indented},
            {"env", OnvifDialect::Env},
            {"2009", OnvifDialect::Oasis2009},
        }};
        for (const auto& [name, dialect] : kDialects) {
            if (value == name) {
                onvif.dialect = dialect;
                return true;
            }
        }
        return Fail(error, key, value, "soapenv, indented, env or 2009");
    }
    if (key == "endpoint") {
        if (value.empty())
            return Fail(error, key, value, "an address, urn:uuid:… or uuid:…");
        onvif.endpoint = value;
    } else if (key == "xaddrs") {
        onvif.xaddrs.clear();
        std::size_t at = 0;
        while (at < value.size()) {
            const std::size_t end = std::min(value.find(' ', at), value.size());
            if (end > at)
                onvif.xaddrs.emplace_back(value.substr(at, end - at));
            at = end + 1;
        }
    } else if (key == "types") {
        if (value != "none" && value != "onvif")
            return Fail(error, key, value, "onvif or none");
        onvif.noTypes = value == "none";
    } else if (key == "spaces") {
        if (value != "escaped" && value != "raw")
            return Fail(error, key, value, "escaped or raw");
        onvif.rawSpaces = value == "raw";
    } else if (key == "echo") {
        return Flag(key, value, onvif.echo, error);
    } else if (key == "hello") {
        return Flag(key, value, onvif.hello, error);
    } else if (key == "hardware") {
        device.model = value;
    } else if (key == "name") {
        device.alias = value;
    } else {
        return Fail(error, key, value, "unknown key");
    }
    return true;
}

} // namespace Netrove::DevSim
