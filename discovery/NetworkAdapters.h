#pragma once

#include "discovery/ArrivalAdapter.h"

#include <QString>

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include <sys/socket.h>

namespace Netrove {

// One address of one adapter, as the system lists them.
struct InterfaceAddress
{
    QString name; // the adapter's name, without an address label ("eth0", not "eth0:1")
    int interfaceIndex = 0;
    unsigned flags = 0; // IFF_UP, IFF_LOOPBACK, ...
    int family = AF_UNSPEC;
    std::array<std::uint8_t, 16> address{}; // 4 bytes for IPv4
    int prefixLength = 0;                   // of the adapter's network, from its mask (IPv4)
};

// An adapter a search goes out on.
struct SearchAdapter
{
    int interfaceIndex = 0;
    QString name;

    bool operator==(const SearchAdapter&) const = default;
};

// Every address of every adapter of this computer, as it is now.
std::vector<InterfaceAddress> SystemInterfaceAddresses();

// The adapters an IPv4 search goes out on (family AF_INET: up, not loopback, with an IPv4 address)
// or an IPv6 search (AF_INET6: up, not loopback, with a link-local address). Each adapter once, in
// the system's order.
std::vector<SearchAdapter> SearchAdapters(std::span<const InterfaceAddress> addresses, int family);

// The index, among `addresses`, of the adapter a device answered on `arrival`: its setting request
// leaves on it and its free address is looked for on its network. An adapter taken out and put back
// keeps its name but gets a new index, so the name counts where it is still there, else the index.
// 0 when the answer's adapter is not known: the request then leaves as the system routes it.
int AnsweringAdapterIndex(const ArrivalAdapter& arrival, std::span<const InterfaceAddress> addresses);

// Where among `addresses` this computer's IPv4 addresses on the adapter a device answered on are
// (AnsweringAdapterIndex), loopback aside: the one the answer was sent to first (arrival.localAddress),
// then the others in the system's order. Empty when that adapter has none or is not known.
std::vector<std::size_t> ArrivalIpv4Addresses(const ArrivalAdapter& arrival,
                                              std::span<const InterfaceAddress> addresses);
// Their networks, in the same order; an address without a mask counts as a network of its own (/32).
QList<Ipv4Network> ArrivalIpv4Networks(const ArrivalAdapter& arrival,
                                       std::span<const InterfaceAddress> addresses);

} // namespace Netrove
