#pragma once

#include "discovery/DottedQuad.h"

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Netrove {

// One IPv4 address of one of this computer's adapters.
struct AdapterAddress
{
    int interfaceIndex = 0; // the system's index
    std::string name;       // "lab1", without an address label ("eth0", not "eth0:1")
    Ipv4Octets address{};
    int prefixLength = 32; // of the adapter's network: 24 for 255.255.255.0
    bool up = false;
};

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
// Every IPv4 address of every adapter, up or not, in the system's order.
std::vector<AdapterAddress> AdapterIpv4Addresses();
// The IPv4 addresses of the adapters that are up, in the system's order.
std::vector<Ipv4Octets> AdapterAddresses();
// The addresses of the adapters that are up, in the same order.
std::vector<Ipv4Octets> UpAddresses(std::span<const AdapterAddress> adapters);

// ChooseLocalAddress over the two lists of this computer.
std::optional<Ipv4Octets> LocalIpv4Address();

} // namespace Netrove
