#pragma once

#include "discovery/DottedQuad.h"

#include <optional>
#include <span>
#include <vector>

namespace Netrove {

// Whether an address is one of the loopback network 127.0.0.0/8, which is never the network the
// devices are on.
bool IsLoopback(const Ipv4Octets& address);

// The computer's address on the devices' network: the first non-loopback address its host name
// resolves to, else the first non-loopback address of an adapter that is up. Many systems resolve
// their own name to 127.0.1.1 first, so the first resolved address alone is not enough.
std::optional<Ipv4Octets> ChooseLocalAddress(std::span<const Ipv4Octets> resolved,
                                             std::span<const Ipv4Octets> adapters);

// The IPv4 addresses the host name resolves to, in the resolver's order.
std::vector<Ipv4Octets> ResolvedHostAddresses();
// The IPv4 addresses of the adapters that are up, in the system's order.
std::vector<Ipv4Octets> AdapterAddresses();

// ChooseLocalAddress over the two lists of this computer.
std::optional<Ipv4Octets> LocalIpv4Address();

} // namespace Netrove
