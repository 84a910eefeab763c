// Whatever an ICMP socket delivers while the free address search pings its candidates: the matcher
// must take only a candidate's echo reply to our request, on a raw socket and on a ping socket, and
// give it to that candidate alone.

#include "FuzzBytes.h"
#include "FuzzRequire.h"

#include "autoset/IcmpEcho.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>

using namespace Netrove;
using Fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Fuzz::FuzzBytes bytes(data, size);
    // Bit 0 makes the sender another address than the candidate.
    const std::uint8_t choice = bytes.Byte();
    Ipv4Octets candidate{};
    for (std::uint8_t& octet : candidate)
        octet = bytes.Byte();
    Ipv4Octets sender = candidate;
    if ((choice & 0x01) != 0)
        for (std::uint8_t& octet : sender)
            octet = bytes.Byte();
    const std::uint16_t identifier = bytes.U16();
    const std::span<const std::uint8_t> datagram = bytes.Rest();

    for (const IcmpSocketKind kind : {IcmpSocketKind::Raw, IcmpSocketKind::Datagram}) {
        const bool match = IsEchoReplyFrom(datagram, kind, sender, candidate, identifier);
        if (!match)
            continue;
        Require(sender == candidate, "only the candidate answers for itself");
        Require(datagram.size() >= 8, "an echo reply has its header");
    }
    // The fourteen candidates of the candidate's network, all probed at once.
    std::array<Ipv4Octets, 14> network{};
    for (std::size_t i = 0; i < network.size(); ++i)
        network[i] = {candidate[0], candidate[1], candidate[2], static_cast<std::uint8_t>(254 - i)};
    for (const IcmpSocketKind kind : {IcmpSocketKind::Raw, IcmpSocketKind::Datagram}) {
        const std::optional<std::size_t> index = MatchEchoReply(datagram, kind, sender, network, identifier);
        if (index) {
            Require(*index < network.size(), "the match is one of the candidates");
            Require(network[*index] == sender, "the reply goes to the candidate that sent it");
        }
        const bool inNetwork = std::find(network.begin(), network.end(), sender) != network.end();
        Require(index.has_value() ==
                    (inNetwork && IsEchoReplyFrom(datagram, kind, sender, sender, identifier)),
                "all at once matches as one at a time");
    }
    // A ping socket's message is the ICMP message itself: type 0, code 0, our sequence.
    if (IsEchoReplyFrom(datagram, IcmpSocketKind::Datagram, sender, candidate, identifier))
        Require(datagram[0] == kIcmpEchoReply && datagram[1] == 0 && datagram[6] == kEchoSequence[0] &&
                    datagram[7] == kEchoSequence[1],
                "an echo reply with our sequence");
    return 0;
}
