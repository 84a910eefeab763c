#include "discovery/Ipv4Network.h"

#include <algorithm>
#include <cstdint>

namespace Netrove {

namespace {

std::uint32_t Value(const Ipv4Octets& octets)
{
    return std::uint32_t(octets[0]) << 24 | std::uint32_t(octets[1]) << 16 | std::uint32_t(octets[2]) << 8 |
           std::uint32_t(octets[3]);
}

std::uint32_t Mask(int prefixLength)
{
    const int bits = std::clamp(prefixLength, 0, 32);
    return bits == 0 ? 0u : ~std::uint32_t(0) << (32 - bits);
}

bool HostIn(std::uint32_t host, const Ipv4Network& network)
{
    const std::uint32_t mask = Mask(network.prefixLength);
    if ((host & mask) != (Value(network.address) & mask))
        return false;
    // Up to /30 the lowest address names the network and the highest is its broadcast.
    return network.prefixLength > 30 || ((host & ~mask) != 0 && (host & ~mask) != ~mask);
}

QString WithPrefix(std::uint32_t address, int prefixLength)
{
    const Ipv4Octets octets{std::uint8_t(address >> 24), std::uint8_t(address >> 16),
                            std::uint8_t(address >> 8), std::uint8_t(address)};
    return QStringLiteral("%1/%2").arg(QString::fromStdString(FormatDottedQuad(octets))).arg(prefixLength);
}

} // namespace

QString Ipv4Network::AddressText() const
{
    return WithPrefix(Value(address), prefixLength);
}

QString Ipv4Network::NetworkText() const
{
    return WithPrefix(Value(address) & Mask(prefixLength), prefixLength);
}

std::optional<bool> InIpv4Networks(std::string_view addressText, const QList<Ipv4Network>& networks)
{
    const std::optional<Ipv4Octets> device = ParseDottedQuad(addressText);
    if (networks.isEmpty() || !device)
        return std::nullopt;
    const std::uint32_t host = Value(*device);
    if (host == 0 || (host & Mask(16)) == Value({169, 254, 0, 0}))
        return false;
    return std::any_of(networks.cbegin(), networks.cend(),
                       [host](const Ipv4Network& network) { return HostIn(host, network); });
}

} // namespace Netrove
