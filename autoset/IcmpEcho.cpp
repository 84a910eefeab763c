#include "autoset/IcmpEcho.h"

#include <algorithm>

namespace Netrove {

namespace {

// The IPv4 header in front of what a raw socket delivers.
constexpr std::size_t kIpv4MinHeaderSize = 20;
constexpr std::size_t kIpv4ProtocolOffset = 9;
constexpr std::size_t kIpv4SourceOffset = 12;
constexpr std::uint8_t kIpProtocolIcmp = 1;

// Offsets in an ICMP echo message.
constexpr std::size_t kTypeOffset = 0;
constexpr std::size_t kCodeOffset = 1;
constexpr std::size_t kChecksumOffset = 2;
constexpr std::size_t kIdentifierOffset = 4;
constexpr std::size_t kSequenceOffset = 6;
constexpr std::size_t kEchoHeaderSize = 8;

// The ICMP message of a raw socket's datagram; empty when the IPv4 header is not a well-formed one
// from the candidate.
std::span<const std::uint8_t> IcmpOfRawDatagram(std::span<const std::uint8_t> datagram,
                                                const Ipv4Octets& candidate)
{
    if (datagram.size() < kIpv4MinHeaderSize || (datagram[0] >> 4) != 4)
        return {};
    const std::size_t headerSize = std::size_t(datagram[0] & 0x0F) * 4;
    if (headerSize < kIpv4MinHeaderSize || headerSize > datagram.size())
        return {};
    if (datagram[kIpv4ProtocolOffset] != kIpProtocolIcmp)
        return {};
    if (!std::equal(candidate.begin(), candidate.end(), datagram.begin() + kIpv4SourceOffset))
        return {};
    return datagram.subspan(headerSize);
}

} // namespace

std::uint16_t IcmpChecksum(std::span<const std::uint8_t> bytes)
{
    std::uint64_t sum = 0;
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2)
        sum += std::uint64_t(bytes[i]) | (std::uint64_t(bytes[i + 1]) << 8);
    if (i < bytes.size())
        sum += bytes[i];
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint16_t>(~sum & 0xFFFF);
}

std::array<std::uint8_t, kEchoRequestSize> BuildEchoRequest(std::uint16_t identifier)
{
    std::array<std::uint8_t, kEchoRequestSize> request{};
    request[kTypeOffset] = kIcmpEchoRequest;
    request[kIdentifierOffset] = static_cast<std::uint8_t>(identifier & 0xFF);
    request[kIdentifierOffset + 1] = static_cast<std::uint8_t>(identifier >> 8);
    request[kSequenceOffset] = kEchoSequence[0];
    request[kSequenceOffset + 1] = kEchoSequence[1];
    const std::uint16_t checksum = IcmpChecksum(request);
    request[kChecksumOffset] = static_cast<std::uint8_t>(checksum & 0xFF);
    request[kChecksumOffset + 1] = static_cast<std::uint8_t>(checksum >> 8);
    return request;
}

bool IsEchoReplyFrom(std::span<const std::uint8_t> datagram, IcmpSocketKind kind, const Ipv4Octets& sender,
                     const Ipv4Octets& candidate, std::uint16_t identifier)
{
    if (sender != candidate)
        return false;
    const std::span<const std::uint8_t> icmp =
        kind == IcmpSocketKind::Raw ? IcmpOfRawDatagram(datagram, candidate) : datagram;
    if (icmp.size() < kEchoHeaderSize)
        return false;
    if (icmp[kTypeOffset] != kIcmpEchoReply || icmp[kCodeOffset] != 0)
        return false;
    if (icmp[kSequenceOffset] != kEchoSequence[0] || icmp[kSequenceOffset + 1] != kEchoSequence[1])
        return false;
    // A ping socket's request went out with the kernel's identifier, which only the kernel knows.
    if (kind == IcmpSocketKind::Raw &&
        (icmp[kIdentifierOffset] != (identifier & 0xFF) || icmp[kIdentifierOffset + 1] != (identifier >> 8)))
        return false;
    return true;
}

std::optional<std::size_t> MatchEchoReply(std::span<const std::uint8_t> datagram, IcmpSocketKind kind,
                                          const Ipv4Octets& sender, std::span<const Ipv4Octets> candidates,
                                          std::uint16_t identifier)
{
    const auto at = std::find(candidates.begin(), candidates.end(), sender);
    if (at == candidates.end() || !IsEchoReplyFrom(datagram, kind, sender, *at, identifier))
        return std::nullopt;
    return static_cast<std::size_t>(at - candidates.begin());
}

} // namespace Netrove
