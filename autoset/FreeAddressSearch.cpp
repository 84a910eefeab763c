#include "autoset/FreeAddressSearch.h"

#include <cstdio>

namespace Netrove {

namespace {

Ipv4Octets OnNetwork(const Ipv4Octets& network, int host)
{
    return {network[0], network[1], network[2], static_cast<std::uint8_t>(host)};
}

} // namespace

FreeAddressProposal FindFreeAddress(const std::optional<Ipv4Octets>& localAddress, AddressProber& prober)
{
    FreeAddressProposal proposal;
    if (!localAddress)
        return proposal;
    proposal.localAddress = *localAddress;
    for (int host = kFirstCandidate; host >= kLastCandidate; --host) {
        const Ipv4Octets candidate = OnNetwork(*localAddress, host);
        switch (prober.IsAddressInUse(candidate)) {
        case AddressProber::Result::Free:
            proposal.outcome = FreeAddressOutcome::Found;
            proposal.address = candidate;
            proposal.gateway = OnNetwork(*localAddress, kGatewayHost);
            return proposal;
        case AddressProber::Result::NoSocket:
            proposal.outcome = FreeAddressOutcome::NoProbeSocket;
            return proposal;
        case AddressProber::Result::InUse:
            break;
        }
    }
    proposal.outcome = FreeAddressOutcome::Exhausted;
    return proposal;
}

std::string FreeAddressMessage(const FreeAddressProposal& proposal)
{
    switch (proposal.outcome) {
    case FreeAddressOutcome::Found:
        return {};
    case FreeAddressOutcome::Exhausted: {
        const Ipv4Octets& n = proposal.localAddress;
        char text[96] = {};
        std::snprintf(text, sizeof(text), "No free IP address was found in %d.%d.%d.241 - %d.%d.%d.254", n[0],
                      n[1], n[2], n[0], n[1], n[2]);
        return text;
    }
    case FreeAddressOutcome::NoLocalAddress:
        return "The IP address of this computer could not be found";
    case FreeAddressOutcome::NoProbeSocket:
        return "Please start the program with admin account";
    }
    return {};
}

} // namespace Netrove
