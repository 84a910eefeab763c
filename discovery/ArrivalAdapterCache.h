#pragma once

#include "discovery/ArrivalAdapter.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include <sys/socket.h>

namespace Netrove {

// What the system says about where a datagram arrived: the adapter's index and this computer's
// address on it, raw.
struct ArrivalKey
{
    int interfaceIndex = 0;
    int family = AF_UNSPEC;
    std::array<std::uint8_t, 16> address{}; // 4 bytes for IPv4
};

// Reads IP_PKTINFO or IPV6_PKTINFO from a received message; nothing when the socket did not ask
// for it. For IPv4 the address is the one this computer answers with on that adapter, so that an
// answer sent to a broadcast address still names the computer's own address.
std::optional<ArrivalKey> ReadArrivalKey(const msghdr& header);

// Turns arrival keys into ArrivalAdapter values whose texts are shared: thousands of answers come in
// on a handful of adapters, and each gets a copy of the same strings rather than strings of its own.
// A key not seen before asks the system for the adapter's name and its IPv4 networks. Used by one
// thread only.
class ArrivalAdapterCache final
{
public:
    using NameOfIndex = std::function<QString(int)>;
    using NetworksOf = std::function<QList<Ipv4Network>(const ArrivalAdapter&)>;
    // Beyond this many adapter and address pairs the cache starts afresh.
    static constexpr std::size_t kLimit = 64;

    // names: the adapter's name for an index; networks: this computer's IPv4 networks on the adapter
    // named so (ArrivalIpv4Networks). The system's by default.
    explicit ArrivalAdapterCache(NameOfIndex names = {}, NetworksOf networks = {});

    const ArrivalAdapter& Find(const ArrivalKey& key);
    void Clear() { m_entries.clear(); }
    std::size_t Size() const { return m_entries.size(); }

private:
    struct Entry
    {
        ArrivalKey key;
        ArrivalAdapter adapter;
    };

    NameOfIndex m_names;
    NetworksOf m_networks;
    std::vector<Entry> m_entries;
};

// The system's name of an adapter index; empty when there is no such adapter (any more).
QString SystemAdapterName(int interfaceIndex);

} // namespace Netrove
