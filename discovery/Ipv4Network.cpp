#include "discovery/Ipv4Network.h"

#include <algorithm>
#include <cstdint>

namespace Netrove {

namespace {

bool HostIn(std::uint32_t host, const Ipv4Network& network)
{
    const std::uint32_t mask = PrefixMask(network.prefixLength);
    if ((host & mask) != (Ipv4Number(network.address) & mask))
        return false;
    // Up to /30 the lowest address names the network and the highest is its broadcast.
    return network.prefixLength > 30 || ((host & ~mask) != 0 && (host & ~mask) != ~mask);
}

QString WithPrefix(std::uint32_t address, int prefixLength)
{
    return QStringLiteral("%1/%2")
        .arg(QString::fromStdString(FormatDottedQuad(Ipv4FromNumber(address))))
        .arg(prefixLength);
}

} // namespace

QString Ipv4Network::AddressText() const
{
    return WithPrefix(Ipv4Number(address), prefixLength);
}

QString Ipv4Network::NetworkText() const
{
    return WithPrefix(Ipv4Number(address) & PrefixMask(prefixLength), prefixLength);
}

std::optional<bool> InIpv4Networks(std::string_view addressText, const QList<Ipv4Network>& networks)
{
    const std::optional<Ipv4Octets> device = ParseDottedQuad(addressText);
    if (networks.isEmpty() || !device)
        return std::nullopt;
    const std::uint32_t host = Ipv4Number(*device);
    if (host == 0 || (host & PrefixMask(16)) == Ipv4Number({169, 254, 0, 0}))
        return false;
    return std::any_of(networks.cbegin(), networks.cend(),
                       [host](const Ipv4Network& network) { return HostIn(host, network); });
}

} // namespace Netrove
