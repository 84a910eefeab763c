#include "tools/devsim/SimLog.h"

#include "discovery/PacketFields.h"

#include <array>
#include <cstring>

namespace Netrove::DevSim {

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string HexBytes(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const std::uint8_t b : bytes) {
        out += kDigits[b >> 4];
        out += kDigits[b & 0xf];
    }
    return out;
}

std::string DecodeRequest(Channel channel, std::span<const std::uint8_t> datagram)
{
    const PacketKind kind = channel == Channel::IPv6 ? PacketKind::KindCameraIPv6 : PacketKind::KindCamera;
    const ClientTag tag = ReadClientTag(kind, datagram);
    std::string out = "{\"opcode\":" + std::to_string(ReadByte(kind, datagram, PacketField::Opcode));
    out += ",\"tag\":\"" + HexBytes(tag) + "\"";
    static constexpr std::array<std::pair<const char*, PacketField>, 7> kTexts{{
        {"mac", PacketField::MacAddress},
        {"ip", PacketField::IpAddress},
        {"mask", PacketField::SubnetMask},
        {"gateway", PacketField::Gateway},
        {"password", PacketField::Password},
        {"model", PacketField::ModelName},
        {"url", PacketField::Url},
    }};
    for (const auto& [name, field] : kTexts)
        out += ",\"" + std::string(name) + "\":" + JsonString(ReadText(kind, datagram, field));
    if (kind == PacketKind::KindCameraIPv6)
        out += ",\"ipv6\":" + JsonString(ReadText(kind, datagram, PacketField::Ipv6Address));
    static constexpr std::array<std::pair<const char*, PacketField>, 7> kPorts{{
        {"webport", PacketField::WebPort},
        {"http", PacketField::HttpPort},
        {"dlx", PacketField::DlxPort},
        {"tcp", PacketField::TcpPort},
        {"udp", PacketField::UdpPort},
        {"upload", PacketField::UploadPort},
        {"multicast", PacketField::MulticastPort},
    }};
    for (const auto& [name, field] : kPorts)
        out += ",\"" + std::string(name) + "\":" + std::to_string(ReadU16(kind, datagram, field));
    out += ",\"mode\":" + std::to_string(ReadByte(kind, datagram, PacketField::AddressMode));
    return out + "}";
}

namespace {

std::string ReceivedLineOf(double timeMs, std::string_view channelName, std::string_view source,
                           std::span<const std::uint8_t> datagram, std::size_t realSize,
                           const Handling& handling, std::string_view fields)
{
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", timeMs);
    std::string line = "{\"event\":\"received\",\"t\":" + std::string(time);
    line += ",\"channel\":\"" + std::string(channelName) + "\"";
    line += ",\"kind\":\"" + handling.request + "\"";
    line += ",\"size\":" + std::to_string(realSize);
    line += ",\"source\":" + JsonString(source);
    line += ",\"hex\":\"" + HexBytes(datagram) + "\"";
    if (!fields.empty())
        line += ",\"fields\":" + std::string(fields);
    line += ",\"answers\":" + std::to_string(handling.answers.size());
    line += ",\"outcome\":" + JsonString(handling.outcome) + "}";
    return line;
}

} // namespace

std::string ReceivedLine(double timeMs, Channel channel, std::string_view source,
                         std::span<const std::uint8_t> datagram, std::size_t realSize,
                         const Handling& handling)
{
    return ReceivedLineOf(timeMs, ChannelName(channel), source, datagram, realSize, handling,
                          DecodeRequest(channel, datagram));
}

std::string OnvifReceivedLine(double timeMs, bool ipv6, std::string_view source,
                              std::span<const std::uint8_t> datagram, std::size_t realSize,
                              const Handling& handling)
{
    return ReceivedLineOf(timeMs, ipv6 ? "onvif6" : "onvif", source, datagram, realSize, handling, {});
}

std::string AnnouncementLine(double timeMs, bool ipv6, std::size_t size, bool bye, int error)
{
    char time[32];
    std::snprintf(time, sizeof time, "%.3f", timeMs);
    std::string line = "{\"event\":\"sent\",\"t\":" + std::string(time);
    line += std::string(",\"to\":\"") + (ipv6 ? "[ff02::c]:3702" : "239.255.255.250:3702") + "\"";
    line += ",\"size\":" + std::to_string(size) + ",\"kind\":\"" + (bye ? "bye" : "hello") + "\"";
    if (error != 0)
        line += ",\"error\":" + JsonString(std::strerror(error));
    return line + "}";
}

JsonLog::~JsonLog()
{
    if (m_owned && m_file)
        std::fclose(m_file);
}

bool JsonLog::Open(const std::string& path)
{
    if (path == "-") {
        m_file = stdout;
        return true;
    }
    m_file = std::fopen(path.c_str(), "a");
    m_owned = m_file != nullptr;
    return m_file != nullptr;
}

void JsonLog::Write(const std::string& line)
{
    if (!m_file)
        return;
    std::fputs(line.c_str(), m_file);
    std::fputc('\n', m_file);
    std::fflush(m_file);
}

} // namespace Netrove::DevSim
