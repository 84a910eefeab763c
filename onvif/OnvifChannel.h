#pragma once

#include "discovery/ReceivedDatagram.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace Netrove {

enum class OnvifFamily
{
    IPv4, // 239.255.255.250
    IPv6, // ff02::c
};

// The engine's way to WS-Discovery devices: probes out, batches of whatever came back or was
// announced in. The sockets stand behind it in the program; a test puts a fake in its place.
// Nothing received ever makes it send: it sends probes when asked, and nothing else.
class OnvifChannel
{
public:
    // Where the channel reports, always on the thread that opened it.
    struct Receiver
    {
        // What one socket had waiting, in the order it came: answers to probes, Hellos and Byes,
        // other clients' probes, and anything else anyone sent. A failed receive among them
        // carries its error and no bytes.
        std::function<void(std::vector<ReceivedDatagram>&)> onBatch;
        // Text and error number of a socket failure.
        std::function<void(const QString&, int)> onSocketError;
    };

    virtual ~OnvifChannel() = default;

    // Opens the probe sockets and the listener for Hello and Bye.
    virtual void Open(Receiver receiver) = 0;
    // Closes every socket; batches not yet taken are dropped. Closing again does nothing.
    virtual void Close() = 0;
    // A probe (BuildOnvifProbe), out on every adapter of the family.
    virtual void SendProbe(std::span<const std::uint8_t> probe, OnvifFamily family) = 0;
    // Datagrams that reached this computer since it was opened but were dropped before they were
    // handed over.
    virtual std::uint64_t DroppedDatagrams() const = 0;
};

} // namespace Netrove
