#include "autoset/LocalAddress.h"

#include "autoset/Ipv4SocketAddress.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <unistd.h>

#include <bit>
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
    ifaddrs* adapters = nullptr;
    if (::getifaddrs(&adapters) != 0)
        return addresses;
    for (const ifaddrs* adapter = adapters; adapter; adapter = adapter->ifa_next) {
        if (!adapter->ifa_addr || adapter->ifa_addr->sa_family != AF_INET || !adapter->ifa_name)
            continue;
        AdapterAddress entry;
        // An address with a label ("eth0:1") belongs to the adapter before the colon.
        entry.name = adapter->ifa_name;
        entry.name = entry.name.substr(0, entry.name.find(':'));
        entry.interfaceIndex = static_cast<int>(::if_nametoindex(entry.name.c_str()));
        entry.address = OctetsOf(*reinterpret_cast<const sockaddr_in*>(adapter->ifa_addr));
        if (adapter->ifa_netmask && adapter->ifa_netmask->sa_family == AF_INET) {
            const in_addr_t mask =
                reinterpret_cast<const sockaddr_in*>(adapter->ifa_netmask)->sin_addr.s_addr;
            entry.prefixLength = std::popcount(static_cast<std::uint32_t>(mask));
        }
        entry.up = (adapter->ifa_flags & IFF_UP) != 0;
        addresses.push_back(std::move(entry));
    }
    ::freeifaddrs(adapters);
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
