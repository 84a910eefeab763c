#pragma once

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
};

} // namespace Netrove
