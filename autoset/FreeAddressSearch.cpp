#include "autoset/FreeAddressSearch.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace Netrove {

namespace {

Ipv4Octets OnNetwork(const Ipv4Octets& network, int host)
{
    return {network[0], network[1], network[2], static_cast<std::uint8_t>(host)};
}

// The network and broadcast addresses of the prefix; /31 and /32 have none (every address of
// them is a host's).
bool IsNetworkOrBroadcast(const Ipv4Octets& candidate, const Ipv4Octets& local, int prefixLength)
{
    if (prefixLength < 0 || prefixLength > 30)
        return false;
    const std::uint32_t hostMask = prefixLength == 0 ? 0xFFFFFFFFu : (0xFFFFFFFFu >> prefixLength);
    const std::uint32_t network = Ipv4Number(local) & ~hostMask;
    const std::uint32_t address = Ipv4Number(candidate);
    return address == network || address == (network | hostMask);
}

} // namespace

std::vector<Ipv4Octets> FreeAddressCandidates(const Ipv4Octets& localAddress)
{
    std::vector<Ipv4Octets> candidates;
    for (int host = kFirstCandidate; host >= kLastCandidate; --host)
        candidates.push_back(OnNetwork(localAddress, host));
    return candidates;
}

bool IsNeverProposed(const Ipv4Octets& candidate, const SearchNetwork& network)
{
    if (candidate == network.localAddress)
        return true;
    if (std::find(network.ownAddresses.begin(), network.ownAddresses.end(), candidate) !=
        network.ownAddresses.end())
        return true;
    if (std::find(network.takenAddresses.begin(), network.takenAddresses.end(), candidate) !=
        network.takenAddresses.end())
        return true;
    return IsNetworkOrBroadcast(candidate, network.localAddress, network.prefixLength);
}

FreeAddressProposal FindFreeAddress(const std::optional<SearchNetwork>& network, AddressProber& prober)
{
    FreeAddressProposal proposal;
    if (!network)
        return proposal;
    proposal.localAddress = network->localAddress;

    const std::vector<Ipv4Octets> candidates = FreeAddressCandidates(network->localAddress);
    std::vector<Ipv4Octets> probed;
    for (const Ipv4Octets& candidate : candidates) {
        if (!IsNeverProposed(candidate, *network))
            probed.push_back(candidate);
    }
    const std::vector<AddressProber::Result> results =
        probed.empty() ? std::vector<AddressProber::Result>{} : prober.Probe(probed);

    // The same walk as probing one candidate after the other: the first free one is proposed, a
    // missing socket ends the search, a taken one passes to the next.
    std::size_t next = 0;
    for (const Ipv4Octets& candidate : candidates) {
        if (next == probed.size() || probed[next] != candidate)
            continue; // never proposed
        // A prober that gave fewer results than it was asked for has not shown the rest free.
        const AddressProber::Result result =
            next < results.size() ? results[next] : AddressProber::Result::InUse;
        ++next;
        switch (result) {
        case AddressProber::Result::Free:
            proposal.outcome = FreeAddressOutcome::Found;
            proposal.address = candidate;
            proposal.gateway = OnNetwork(network->localAddress, kGatewayHost);
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
