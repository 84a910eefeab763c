#include "autoset/SearchNetwork.h"

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

// The arrival adapter's addresses that can be a network of devices. It is the adapter its setting
// request leaves on: found by its name while an adapter of that name is there (an adapter taken out
// and put back keeps its name but gets a new index), else by its index.
std::vector<const AdapterAddress*> AddressesOfAdapter(const ArrivalAdapter& arrival,
                                                      std::span<const AdapterAddress> adapters)
{
    std::vector<const AdapterAddress*> found;
    if (arrival.interfaceIndex <= 0)
        return found;
    const std::string name = arrival.name.toStdString();
    const bool named = !name.empty() && std::any_of(adapters.begin(), adapters.end(),
                                                    [&](const AdapterAddress& a) { return a.name == name; });
    for (const AdapterAddress& adapter : adapters) {
        const bool same = named ? adapter.name == name : adapter.interfaceIndex == arrival.interfaceIndex;
        if (same && !IsLoopback(adapter.address))
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
        return network;
    }

    const std::vector<Ipv4Octets> up = UpAddresses(adapters);
    const std::optional<Ipv4Octets> local = ChooseLocalAddress(resolved, up);
    if (!local)
        return std::nullopt;
    network.localAddress = *local;
    const auto adapter = std::find_if(adapters.begin(), adapters.end(),
                                      [&](const AdapterAddress& a) { return a.address == *local; });
    if (adapter != adapters.end())
        network.prefixLength = adapter->prefixLength;
    return network;
}

std::optional<SearchNetwork> SearchNetworkOf(const ArrivalAdapter& arrival)
{
    const std::vector<AdapterAddress> adapters = AdapterIpv4Addresses();
    return ChooseSearchNetwork(arrival, adapters, ResolvedHostAddresses());
}

} // namespace Netrove
