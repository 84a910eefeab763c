#pragma once

#include "discovery/DottedQuad.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace Netrove {

// The echo request the address probe sends: type 8, code 0, checksum, identifier (low byte
// first), sequence 0x0F 0x00, four zero bytes of data.
constexpr std::size_t kEchoRequestSize = 12;
constexpr std::uint8_t kIcmpEchoRequest = 8;
constexpr std::uint8_t kIcmpEchoReply = 0;
constexpr std::array<std::uint8_t, 2> kEchoSequence{0x0F, 0x00};

// The Internet checksum (RFC 1071): 16-bit words taken with their first byte as the low half, an
// odd last byte added alone, carries folded back, one's complement. Written low half first, it is
// the checksum on the wire.
std::uint16_t IcmpChecksum(std::span<const std::uint8_t> bytes);

std::array<std::uint8_t, kEchoRequestSize> BuildEchoRequest(std::uint16_t identifier);

// How a datagram was received: a raw ICMP socket gives the IPv4 header first; a Linux ping socket
// (SOCK_DGRAM, IPPROTO_ICMP) gives the ICMP message alone and puts an identifier of its own into
// the request.
enum class IcmpSocketKind
{
    Raw,
    Datagram,
};

// Whether `datagram`, received from `sender`, is the candidate's echo reply to our request: type 0,
// code 0, our sequence and, on a raw socket, our identifier, from the candidate. Anything else that
// an ICMP socket delivers (someone else's ping or its reply, an error report, a reply from another
// address) is not. Safe on any bytes.
bool IsEchoReplyFrom(std::span<const std::uint8_t> datagram, IcmpSocketKind kind, const Ipv4Octets& sender,
                     const Ipv4Octets& candidate, std::uint16_t identifier);

// Which of the candidates, all sent the same request at once, `datagram` from `sender` is the echo
// reply of: the one at the sender's address, when IsEchoReplyFrom holds for it. Nothing for any
// other datagram. Safe on any bytes.
std::optional<std::size_t> MatchEchoReply(std::span<const std::uint8_t> datagram, IcmpSocketKind kind,
                                          const Ipv4Octets& sender, std::span<const Ipv4Octets> candidates,
                                          std::uint16_t identifier);

} // namespace Netrove
