#include "autoset/LocalAddress.h"

#include "autoset/Ipv4SocketAddress.h"
#include "discovery/NetworkAdapters.h"

#include <net/if.h>
#include <netdb.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

namespace Netrove {

namespace {

std::optional<Ipv4Octets> FirstNotLoopback(std::span<const Ipv4Octets> addresses)
{
    for (const Ipv4Octets& address : addresses) {
        if (!IsLoopback(address))
            return address;
    }
    return std::nullopt;
}

} // namespace

bool IsLoopback(const Ipv4Octets& address)
{
    return address[0] == 127;
}

std::optional<Ipv4Octets> ChooseLocalAddress(std::span<const Ipv4Octets> resolved,
                                             std::span<const Ipv4Octets> adapters)
{
    if (const auto address = FirstNotLoopback(resolved))
        return address;
    return FirstNotLoopback(adapters);
}

std::vector<Ipv4Octets> ResolvedHostAddresses()
{
    std::vector<Ipv4Octets> addresses;
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof(name) - 1) != 0)
        return addresses;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    // One entry per address rather than one per socket type.
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0)
        return addresses;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addr && entry->ai_addrlen >= sizeof(sockaddr_in))
            addresses.push_back(OctetsOf(*reinterpret_cast<const sockaddr_in*>(entry->ai_addr)));
    }
    ::freeaddrinfo(found);
    return addresses;
}

std::vector<AdapterAddress> AdapterIpv4Addresses()
{
    std::vector<AdapterAddress> addresses;
    for (const InterfaceAddress& system : SystemInterfaceAddresses()) {
        if (system.family != AF_INET)
            continue;
        AdapterAddress entry;
        entry.name = system.name.toStdString();
        entry.interfaceIndex = system.interfaceIndex;
        std::copy_n(system.address.begin(), entry.address.size(), entry.address.begin());
        if (system.prefixLength > 0)
            entry.prefixLength = system.prefixLength;
        entry.up = (system.flags & IFF_UP) != 0;
        addresses.push_back(std::move(entry));
    }
    return addresses;
}

std::vector<Ipv4Octets> UpAddresses(std::span<const AdapterAddress> adapters)
{
    std::vector<Ipv4Octets> addresses;
    for (const AdapterAddress& adapter : adapters) {
        if (adapter.up)
            addresses.push_back(adapter.address);
    }
    return addresses;
}

std::vector<Ipv4Octets> AdapterAddresses()
{
    return UpAddresses(AdapterIpv4Addresses());
}

std::optional<Ipv4Octets> LocalIpv4Address()
{
    return ChooseLocalAddress(ResolvedHostAddresses(), AdapterAddresses());
}

} // namespace Netrove
