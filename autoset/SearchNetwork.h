#pragma once

#include "autoset/FreeAddressSearch.h"
#include "autoset/LocalAddress.h"
#include "discovery/ArrivalAdapter.h"

#include <optional>
#include <span>

namespace Netrove {

// Where the free address search for a device looks: this computer's IPv4 address on the adapter
// the device answered on (AnsweringAdapterIndex, as its setting request is sent; of several
// addresses the one the answer was sent to, else the first), with that adapter's prefix. The adapter
// of an answer that came over IPv6 gives its IPv4 address just the same. When that adapter is not
// known or has no IPv4 address, the computer's address as LocalIpv4Address() chooses it. Every
// address of every adapter is one of this computer's; the adapter is the one holding the address
// chosen, none when no adapter holds it. Nothing when no address is found.
std::optional<SearchNetwork> ChooseSearchNetwork(const ArrivalAdapter& arrival,
                                                 std::span<const AdapterAddress> adapters,
                                                 std::span<const Ipv4Octets> resolved);

// ChooseSearchNetwork over this computer's adapters and host name.
std::optional<SearchNetwork> SearchNetworkOf(const ArrivalAdapter& arrival);

} // namespace Netrove
