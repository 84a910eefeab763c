#include "discovery/ArrivalAdapterCache.h"

#include "discovery/NetworkAdapters.h"

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace Netrove {

namespace {

bool SameKey(const ArrivalKey& a, const ArrivalKey& b)
{
    return a.interfaceIndex == b.interfaceIndex && a.family == b.family && a.address == b.address;
}

QString AddressText(const ArrivalKey& key)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (key.family != AF_INET && key.family != AF_INET6)
        return {};
    if (::inet_ntop(key.family, key.address.data(), text, sizeof(text)) == nullptr)
        return {};
    return QString::fromLatin1(text);
}

} // namespace

std::optional<ArrivalKey> ReadArrivalKey(const msghdr& header)
{
    // The control macros take a non-const header but only read it.
    auto& readable = const_cast<msghdr&>(header);
    for (cmsghdr* c = CMSG_FIRSTHDR(&readable); c != nullptr; c = CMSG_NXTHDR(&readable, c)) {
        if (c->cmsg_level == IPPROTO_IP && c->cmsg_type == IP_PKTINFO &&
            c->cmsg_len >= CMSG_LEN(sizeof(in_pktinfo))) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof(info));
            ArrivalKey key;
            key.interfaceIndex = info.ipi_ifindex;
            key.family = AF_INET;
            std::memcpy(key.address.data(), &info.ipi_spec_dst, sizeof(info.ipi_spec_dst));
            return key;
        }
        if (c->cmsg_level == IPPROTO_IPV6 && c->cmsg_type == IPV6_PKTINFO &&
            c->cmsg_len >= CMSG_LEN(sizeof(in6_pktinfo))) {
            in6_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(c), sizeof(info));
            ArrivalKey key;
            key.interfaceIndex = static_cast<int>(info.ipi6_ifindex);
            key.family = AF_INET6;
            std::memcpy(key.address.data(), &info.ipi6_addr, sizeof(info.ipi6_addr));
            return key;
        }
    }
    return std::nullopt;
}

QString SystemAdapterName(int interfaceIndex)
{
    char name[IF_NAMESIZE] = {};
    if (interfaceIndex <= 0 || ::if_indextoname(static_cast<unsigned>(interfaceIndex), name) == nullptr)
        return {};
    return QString::fromLocal8Bit(name);
}

ArrivalAdapterCache::ArrivalAdapterCache(NameOfIndex names, NetworksOf networks)
    : m_names(names ? std::move(names) : NameOfIndex(SystemAdapterName))
    , m_networks(networks ? std::move(networks) : NetworksOf([](const ArrivalAdapter& adapter) {
        return ArrivalIpv4Networks(adapter, SystemInterfaceAddresses());
    }))
{}

const ArrivalAdapter& ArrivalAdapterCache::Find(const ArrivalKey& key)
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(),
                                    [&key](const Entry& e) { return SameKey(e.key, key); });
    if (found != m_entries.end())
        return found->adapter;
    if (m_entries.size() >= kLimit)
        m_entries.clear();

    Entry entry;
    entry.key = key;
    entry.adapter.interfaceIndex = key.interfaceIndex;
    entry.adapter.localAddress = AddressText(key);
    entry.adapter.name = m_names(key.interfaceIndex);
    entry.adapter.ipv4Networks = m_networks(entry.adapter);
    m_entries.push_back(std::move(entry));
    return m_entries.back().adapter;
}

} // namespace Netrove
