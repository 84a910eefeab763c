// Whatever an ICMP socket delivers while the free address search pings a candidate: the matcher
// must take only the candidate's echo reply to our request, on a raw socket and on a ping socket.

#include "FuzzBytes.h"

#include "autoset/IcmpEcho.h"

#include <cstdio>
#include <cstdlib>

using namespace Netrove;

namespace {

void Require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

} // namespace

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
    // A ping socket's message is the ICMP message itself: type 0, code 0, our sequence.
    if (IsEchoReplyFrom(datagram, IcmpSocketKind::Datagram, sender, candidate, identifier))
        Require(datagram[0] == kIcmpEchoReply && datagram[1] == 0 && datagram[6] == kEchoSequence[0] &&
                    datagram[7] == kEchoSequence[1],
                "an echo reply with our sequence");
    return 0;
}
