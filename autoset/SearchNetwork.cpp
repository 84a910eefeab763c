#include "autoset/SearchNetwork.h"

#include "discovery/NetworkAdapters.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>

namespace Netrove {

namespace {

std::optional<Ipv4Octets> Ipv4OfText(const QString& text)
{
    in_addr address{};
    if (::inet_pton(AF_INET, text.toLatin1().constData(), &address) != 1)
        return std::nullopt;
    Ipv4Octets octets{};
    std::memcpy(octets.data(), &address.s_addr, octets.size());
    return octets;
}

// The arrival adapter's addresses that can be a network of devices, on the adapter its setting
// request leaves on.
std::vector<const AdapterAddress*> AddressesOfAdapter(const ArrivalAdapter& arrival,
                                                      std::span<const AdapterAddress> adapters)
{
    // Which adapter that is depends only on each address's adapter name and index.
    std::vector<InterfaceAddress> named(adapters.size());
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        named[i].name = QString::fromStdString(adapters[i].name);
        named[i].interfaceIndex = adapters[i].interfaceIndex;
    }
    const int index = AnsweringAdapterIndex(arrival, named);
    std::vector<const AdapterAddress*> found;
    for (const AdapterAddress& adapter : adapters) {
        if (index > 0 && adapter.interfaceIndex == index && !IsLoopback(adapter.address))
            found.push_back(&adapter);
    }
    return found;
}

const AdapterAddress* ArrivalAddress(const ArrivalAdapter& arrival, std::span<const AdapterAddress> adapters)
{
    const std::vector<const AdapterAddress*> candidates = AddressesOfAdapter(arrival, adapters);
    if (candidates.empty())
        return nullptr;
    if (const std::optional<Ipv4Octets> local = Ipv4OfText(arrival.localAddress)) {
        for (const AdapterAddress* candidate : candidates) {
            if (candidate->address == *local)
                return candidate;
        }
    }
    return candidates.front();
}

} // namespace

std::optional<SearchNetwork> ChooseSearchNetwork(const ArrivalAdapter& arrival,
                                                 std::span<const AdapterAddress> adapters,
                                                 std::span<const Ipv4Octets> resolved)
{
    SearchNetwork network;
    for (const AdapterAddress& adapter : adapters)
        network.ownAddresses.push_back(adapter.address);

    if (const AdapterAddress* onArrival = ArrivalAddress(arrival, adapters)) {
        network.localAddress = onArrival->address;
        network.prefixLength = onArrival->prefixLength;
        network.adapter = onArrival->name;
        return network;
    }

    const std::vector<Ipv4Octets> up = UpAddresses(adapters);
    const std::optional<Ipv4Octets> local = ChooseLocalAddress(resolved, up);
    if (!local)
        return std::nullopt;
    network.localAddress = *local;
    const auto adapter = std::find_if(adapters.begin(), adapters.end(),
                                      [&](const AdapterAddress& a) { return a.address == *local; });
    if (adapter != adapters.end()) {
        network.prefixLength = adapter->prefixLength;
        network.adapter = adapter->name;
    }
    return network;
}

std::optional<SearchNetwork> SearchNetworkOf(const ArrivalAdapter& arrival)
{
    const std::vector<AdapterAddress> adapters = AdapterIpv4Addresses();
    return ChooseSearchNetwork(arrival, adapters, ResolvedHostAddresses());
}

} // namespace Netrove
