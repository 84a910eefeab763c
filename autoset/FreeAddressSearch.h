#pragma once

#include "discovery/DottedQuad.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Netrove {

enum class FreeAddressOutcome
{
    Found,          // address and gateway proposed
    Exhausted,      // every candidate answered
    NoLocalAddress, // the computer's own address is unknown
    NoProbeSocket,  // no socket to send the probes on (the program lacks the rights)
};

struct FreeAddressProposal
{
    FreeAddressOutcome outcome = FreeAddressOutcome::NoLocalAddress;
    Ipv4Octets
        localAddress{};   // the computer's address the network a.b.c was taken from (all but NoLocalAddress)
    Ipv4Octets address{}; // a.b.c.n (Found only)
    Ipv4Octets gateway{}; // a.b.c.1 (Found only)
};

// The candidates, highest first: a.b.c.254 down to a.b.c.241.
constexpr int kFirstCandidate = 254;
constexpr int kLastCandidate = 241;
constexpr int kGatewayHost = 1;
constexpr int kPrefixUnknown = -1;

// Where the search looks: the network a.b.c of the computer's address, and what it never proposes.
struct SearchNetwork
{
    Ipv4Octets localAddress{};            // its a.b.c forms the candidates and the gateway
    int prefixLength = kPrefixUnknown;    // of the adapter the address is on, 0 to 32
    std::vector<Ipv4Octets> ownAddresses; // every IPv4 address of this computer
    std::string adapter{};                // the adapter localAddress is on ("lab1"); empty: not known
    // Addresses that devices which answer no ping may still hold: other makers' cameras listed.
    std::vector<Ipv4Octets> takenAddresses{};
};

// Tells which of a set of addresses something answers at; all are probed at once.
class AddressProber
{
public:
    enum class Result
    {
        Free,
        InUse,
        NoSocket, // nothing could be sent; the search stops
    };

    virtual ~AddressProber() = default;
    // One result per candidate, in the candidates' order.
    virtual std::vector<Result> Probe(std::span<const Ipv4Octets> candidates) = 0;
};

// a.b.c.254 down to a.b.c.241 of the computer's address.
std::vector<Ipv4Octets> FreeAddressCandidates(const Ipv4Octets& localAddress);

// A candidate that is an address of this computer, a taken address, or the network or the broadcast
// address of the adapter's prefix, counts as taken without a probe. /31 and /32 have neither.
bool IsNeverProposed(const Ipv4Octets& candidate, const SearchNetwork& network);

// The highest address of the computer's /24 network, from .254 down to .241, that nothing answers
// at, and the network's .1 as gateway. The subnet mask does not change the candidates. Every
// candidate that may be proposed is probed at once; the proposal is the one a probe of each in
// turn from .254 down would have stopped at. An address that answered is never proposed.
FreeAddressProposal FindFreeAddress(const std::optional<SearchNetwork>& network, AddressProber& prober);

// What the user is told when nothing was proposed; empty for Found.
std::string FreeAddressMessage(const FreeAddressProposal& proposal);

} // namespace Netrove
