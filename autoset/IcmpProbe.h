#pragma once

#include "autoset/FreeAddressSearch.h"
#include "autoset/IcmpEcho.h"

#include <string>

namespace Netrove {

// Probes all candidates at once: one ICMP echo request (a ping) to each, then one wait of a second
// for their echo replies. Sends on a raw ICMP socket when the program may open one, else on a
// Linux ping socket, else through the system's ping program, which is installed with the right to
// ping that an ordinary user's program lacks; NoSocket for every candidate when none of the three
// works. A candidate that sent no echo reply but whose hardware address the kernel learned
// meanwhile (the echo request made it ask) is in use all the same: a host that ignores pings still
// holds its address. Send failures and the end of the wait write a line to standard error; a failed
// send counts as no echo reply.
class IcmpProber final : public AddressProber
{
public:
    static constexpr int kWaitMs = 1000;
    // How long a ping process may take past the wait before it is killed.
    static constexpr int kPingProcessGraceMs = 500;

    // The ping program's pings leave by `adapter` (the one the device answered on); by the route to
    // each candidate when empty.
    explicit IcmpProber(std::string adapter = {})
        : m_adapter(std::move(adapter))
    {}

    std::vector<Result> Probe(std::span<const Ipv4Octets> candidates) override;

    // The echo requests and the wait alone: InUse for the candidates whose echo reply came.
    static std::vector<Result> PingAll(std::span<const Ipv4Octets> candidates);
    // The same through the ping program, one process per candidate: NoSocket for all when not one
    // of them could ping.
    std::vector<Result> PingWithProgram(std::span<const Ipv4Octets> candidates) const;

private:
    std::string m_adapter;
};

} // namespace Netrove
