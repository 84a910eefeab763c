#pragma once

#include "discovery/Ipv4Network.h"

#include <QList>
#include <QString>

namespace Netrove {

// Where a datagram reached this computer: the adapter it came in on and this computer's address on
// it. An installer's laptop has several adapters, and a device can only be set, and its free address
// only be looked for, on the adapter it answered on.
struct ArrivalAdapter
{
    int interfaceIndex = 0; // the system's index; 0 while not known
    QString name;           // "lab1"
    QString localAddress;   // "10.0.5.7", or the IPv6 address the answer was sent to
    // This computer's IPv4 networks on that adapter, the one the answer was sent to first (see
    // ArrivalIpv4Networks); empty when it has no IPv4 address or is not known. Whether the device can
    // be reached there without a router is told by them.
    QList<Ipv4Network> ipv4Networks;
};

} // namespace Netrove
