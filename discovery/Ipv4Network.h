#pragma once

#include "discovery/DottedQuad.h"

#include <QList>
#include <QString>

#include <optional>
#include <string_view>

namespace Netrove {

// One IPv4 network this computer is on: its address on an adapter and the network's prefix length.
struct Ipv4Network
{
    Ipv4Octets address{};
    int prefixLength = 32;

    bool operator==(const Ipv4Network&) const = default;
    // "10.0.5.7/16": this computer's address with the prefix.
    QString AddressText() const;
    // "10.0.5.0/16": the network itself.
    QString NetworkText() const;
};

// Whether a device at the address text can be reached without a router from one of the networks
// (those of the adapter it answered on): its address lies in one of them and is not one no device is
// reached at there: 0.0.0.0 (none given yet), link-local 169.254.0.0/16 (given itself one for want
// of a DHCP server), or a network's own network or broadcast address (a /31 and a /32 have neither).
// Nothing when there is no network to tell (the adapter has no IPv4 address) or the text is no address.
std::optional<bool> InIpv4Networks(std::string_view addressText, const QList<Ipv4Network>& networks);

} // namespace Netrove
