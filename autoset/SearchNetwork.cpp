#include "autoset/SearchNetwork.h"

#include "discovery/NetworkAdapters.h"

#include <algorithm>

namespace Netrove {

namespace {

// The address of the arrival adapter that is the devices' network (ArrivalIpv4Addresses): the
// adapter its setting request leaves on.
const AdapterAddress* ArrivalAddress(const ArrivalAdapter& arrival, std::span<const AdapterAddress> adapters)
{
    std::vector<InterfaceAddress> listed(adapters.size());
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        listed[i].name = QString::fromStdString(adapters[i].name);
        listed[i].interfaceIndex = adapters[i].interfaceIndex;
        listed[i].family = AF_INET;
        std::copy(adapters[i].address.begin(), adapters[i].address.end(), listed[i].address.begin());
    }
    const std::vector<std::size_t> found = ArrivalIpv4Addresses(arrival, listed);
    return found.empty() ? nullptr : &adapters[found.front()];
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
