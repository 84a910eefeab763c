#include "discovery/NetworkAdapters.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace Netrove {

namespace {

bool IsLinkLocalIpv6(const std::array<std::uint8_t, 16>& address)
{
    return address[0] == 0xfe && (address[1] & 0xc0) == 0x80;
}

bool Qualifies(const InterfaceAddress& entry, int family)
{
    if (entry.family != family || entry.interfaceIndex <= 0 || !(entry.flags & IFF_UP) ||
        (entry.flags & IFF_LOOPBACK))
        return false;
    return family == AF_INET || (family == AF_INET6 && IsLinkLocalIpv6(entry.address));
}

} // namespace

std::vector<InterfaceAddress> SystemInterfaceAddresses()
{
    std::vector<InterfaceAddress> addresses;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return addresses;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || !entry->ifa_name)
            continue;
        const int family = entry->ifa_addr->sa_family;
        if (family != AF_INET && family != AF_INET6)
            continue;
        InterfaceAddress address;
        // An IPv4 address with a label ("eth0:1") belongs to the adapter before the colon.
        QByteArray name(entry->ifa_name);
        if (const qsizetype colon = name.indexOf(':'); colon > 0)
            name.truncate(colon);
        address.name = QString::fromLocal8Bit(name);
        address.interfaceIndex = static_cast<int>(::if_nametoindex(name.constData()));
        address.flags = entry->ifa_flags;
        address.family = family;
        if (family == AF_INET) {
            std::memcpy(address.address.data(),
                        &reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr, 4);
            if (entry->ifa_netmask && entry->ifa_netmask->sa_family == AF_INET)
                address.prefixLength = std::popcount(static_cast<std::uint32_t>(
                    reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr));
        } else
            std::memcpy(address.address.data(),
                        &reinterpret_cast<const sockaddr_in6*>(entry->ifa_addr)->sin6_addr, 16);
        addresses.push_back(std::move(address));
    }
    ::freeifaddrs(list);
    return addresses;
}

std::vector<SearchAdapter> SearchAdapters(std::span<const InterfaceAddress> addresses, int family)
{
    std::vector<SearchAdapter> adapters;
    for (const InterfaceAddress& entry : addresses) {
        if (!Qualifies(entry, family))
            continue;
        const bool listed = std::any_of(adapters.begin(), adapters.end(), [&entry](const SearchAdapter& a) {
            return a.interfaceIndex == entry.interfaceIndex;
        });
        if (!listed)
            adapters.push_back({entry.interfaceIndex, entry.name});
    }
    return adapters;
}

int AnsweringAdapterIndex(const ArrivalAdapter& arrival, std::span<const InterfaceAddress> addresses)
{
    if (arrival.interfaceIndex <= 0)
        return 0;
    if (!arrival.name.isEmpty()) {
        const auto named =
            std::find_if(addresses.begin(), addresses.end(), [&arrival](const InterfaceAddress& a) {
                return a.name == arrival.name && a.interfaceIndex > 0;
            });
        if (named != addresses.end())
            return named->interfaceIndex;
    }
    // Gone, or without a name: its own index, and the system reports what became of it.
    return arrival.interfaceIndex;
}

std::vector<std::size_t> ArrivalIpv4Addresses(const ArrivalAdapter& arrival,
                                              std::span<const InterfaceAddress> addresses)
{
    const int index = AnsweringAdapterIndex(arrival, addresses);
    in_addr local{};
    const bool haveLocal = ::inet_pton(AF_INET, arrival.localAddress.toLatin1().constData(), &local) == 1;
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < addresses.size(); ++i) {
        const InterfaceAddress& entry = addresses[i];
        // The loopback network 127.0.0.0/8 is never the devices' network.
        if (index <= 0 || entry.interfaceIndex != index || entry.family != AF_INET || entry.address[0] == 127)
            continue;
        if (haveLocal && std::memcmp(entry.address.data(), &local, 4) == 0)
            found.insert(found.begin(), i);
        else
            found.push_back(i);
    }
    return found;
}

QList<Ipv4Network> ArrivalIpv4Networks(const ArrivalAdapter& arrival,
                                       std::span<const InterfaceAddress> addresses)
{
    QList<Ipv4Network> networks;
    for (const std::size_t i : ArrivalIpv4Addresses(arrival, addresses)) {
        Ipv4Network network;
        std::copy_n(addresses[i].address.begin(), network.address.size(), network.address.begin());
        if (addresses[i].prefixLength > 0)
            network.prefixLength = addresses[i].prefixLength;
        networks.append(network);
    }
    return networks;
}

} // namespace Netrove
