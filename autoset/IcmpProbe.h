#pragma once

#include "autoset/FreeAddressSearch.h"
#include "autoset/IcmpEcho.h"

namespace Netrove {

// Probes an address with one ICMP echo request (a ping) and waits up to a second for its echo
// reply. Sends on a raw ICMP socket when the program may open one, else on a Linux ping socket;
// NoSocket when neither opens. Each probe opens a socket of its own. Send and receive failures,
// the time-out included, write a line to standard error and count as no answer.
class IcmpProber final : public AddressProber
{
public:
    static constexpr int kWaitMs = 1000;

    Result IsAddressInUse(const Ipv4Octets& candidate) override;
};

} // namespace Netrove
