#pragma once

#include "tools/devsim/DeviceResponder.h"

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace Netrove::DevSim {

// A JSON string literal; bytes outside printable ASCII are written as \u00XX (texts from the wire
// are single-byte, so each byte stays one character).
std::string JsonString(std::string_view text);

std::string HexBytes(std::span<const std::uint8_t> bytes);

// The fields of a request as the channel lays it out, as a JSON object.
std::string DecodeRequest(Channel channel, std::span<const std::uint8_t> datagram);

// One line per datagram received: what came in, from where, and what the devices did with it.
std::string ReceivedLine(double timeMs, Channel channel, std::string_view source,
                         std::span<const std::uint8_t> datagram, std::size_t realSize,
                         const Handling& handling);

// The same for a datagram on the WS-Discovery port: channel "onvif" (IPv4) or "onvif6", no fields.
std::string OnvifReceivedLine(double timeMs, bool ipv6, std::string_view source,
                              std::span<const std::uint8_t> datagram, std::size_t realSize,
                              const Handling& handling);

// The "sent" line of a Hello or Bye multicast to the WS-Discovery group; error 0 when it left.
std::string AnnouncementLine(double timeMs, bool ipv6, std::size_t size, bool bye, int error);

// A log file, flushed after every line so that a test can read it while the simulator runs.
class JsonLog final
{
public:
    JsonLog() = default;
    ~JsonLog();
    JsonLog(const JsonLog&) = delete;
    JsonLog& operator=(const JsonLog&) = delete;

    bool Open(const std::string& path); // "-" is standard output
    void Write(const std::string& line);

private:
    std::FILE* m_file = nullptr;
    bool m_owned = false;
};

} // namespace Netrove::DevSim
