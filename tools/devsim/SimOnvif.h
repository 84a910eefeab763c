#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace Netrove::DevSim {

struct SimDevice;

// How a simulated ONVIF camera writes its messages: each the way one family of real cameras does.
enum class OnvifDialect
{
    SoapEnv,   // SOAP-ENV, wsa, d; one line, a namespace for everything; "mac" scope
    Indented,  // s, a, wsdd; indented, XAddrs on lines of their own; "Name/", "MacAddress" scopes
    Env,       // env, wsadis, and "dn" for the discovery namespace (ONVIF's types under "tdn"); a junk scope
    Oasis2009, // WS-Discovery 2009/01, WS-Addressing 1.0
};

// What only a WS-Discovery device (kind=onvif or kind=wsdhost) has.
struct SimOnvif
{
    OnvifDialect dialect = OnvifDialect::SoapEnv;
    std::string endpoint;            // "urn:uuid:…" or "uuid:…"; empty: one made from the device's place
    std::vector<std::string> xaddrs; // empty: http://IP/onvif/device_service (and http://[IPV6]/…)
    bool noTypes = false;            // types=none: no Types at all, and an answer to every probe
    bool rawSpaces = false;          // spaces=raw: scopes with raw spaces and UTF-8 instead of %-escapes
    bool echo = false;               // its answers carry the probe's own MessageID as their MessageID
    bool hello = false;              // a Hello when the simulator starts, a Bye when it ends
};

// Applies one key of a WS-Discovery device (dialect, endpoint, xaddrs, types, spaces, echo, hello,
// and hardware and name, the scopes shown as Device Name and Alias); false with a reason for a bad
// value. Keys of no WS-Discovery device are not taken: IsOnvifKey tells them.
bool IsOnvifKey(std::string_view key);
bool ApplyOnvifKey(SimDevice& device, std::string_view key, std::string_view value, std::string& error);

} // namespace Netrove::DevSim
