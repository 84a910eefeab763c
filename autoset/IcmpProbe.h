#pragma once

#include "autoset/FreeAddressSearch.h"
#include "autoset/IcmpEcho.h"

namespace Netrove {

// Probes all candidates at once: one ICMP echo request (a ping) to each, then one wait of a second
// for their echo replies. Sends on a raw ICMP socket when the program may open one, else on a
// Linux ping socket; NoSocket for every candidate when neither opens. A candidate that sent no
// echo reply but whose hardware address the kernel learned meanwhile (the echo request made it ask)
// is in use all the same: a host that ignores pings still holds its address. Send failures and the
// end of the wait write a line to standard error; a failed send counts as no echo reply.
class IcmpProber final : public AddressProber
{
public:
    static constexpr int kWaitMs = 1000;

    std::vector<Result> Probe(std::span<const Ipv4Octets> candidates) override;

    // The echo requests and the wait alone: InUse for the candidates whose echo reply came.
    static std::vector<Result> PingAll(std::span<const Ipv4Octets> candidates);
};

} // namespace Netrove
