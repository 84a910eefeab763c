#pragma once

#include "autoset/LocalAddress.h" // LocalIpv4Address(), the address the search starts from
#include "discovery/DottedQuad.h"

#include <optional>
#include <string>

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

// Tells whether something answers at an address.
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
    virtual Result IsAddressInUse(const Ipv4Octets& candidate) = 0;
};

// The highest address of the computer's /24 network, from .254 down to .241, that nothing answers
// at, and the network's .1 as gateway. The subnet mask is not consulted. An address that answered
// is never proposed.
FreeAddressProposal FindFreeAddress(const std::optional<Ipv4Octets>& localAddress, AddressProber& prober);

// What the user is told when nothing was proposed; empty for Found.
std::string FreeAddressMessage(const FreeAddressProposal& proposal);

} // namespace Netrove
