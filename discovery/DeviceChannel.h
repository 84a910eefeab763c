#pragma once

#include "discovery/ArrivalAdapter.h"
#include "discovery/ClientTagMaker.h"
#include "discovery/ReceivedDatagram.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace Netrove {

enum class DiscoveryChannel
{
    Camera,
    Recorder,
    IPv6,
};

// What one receive socket had waiting, handed over at once: its datagrams in the order they came
// (a failed receive among them, with its error), and the error the system reported for the socket
// (0 for none).
struct DatagramBatch
{
    DiscoveryChannel channel = DiscoveryChannel::Camera;
    std::vector<ReceivedDatagram> datagrams;
    int socketError = 0;
};

// The engine's way to the devices: requests out, batches of what came back in, and the failures
// a user is told of. The sockets stand behind it in the program; a test puts a fake in its place.
class DeviceChannel
{
public:
    // Where a channel reports, always on the thread that opened it.
    struct Receiver
    {
        std::function<void(DatagramBatch&)> onBatch;
        // Text and error number of a socket failure.
        std::function<void(const QString&, int)> onSocketError;
        // IPv6 cannot be used on this computer; the text is what the user is told.
        std::function<void(const QString&)> onIPv6Unsupported;
    };

    virtual ~DeviceChannel() = default;

    // Opens the camera, recorder and IPv6 channels, in this order; each reports its own failure.
    virtual void Open(Receiver receiver) = 0;
    // Closes every channel; batches not yet taken are dropped. Closing again does nothing.
    virtual void Close() = 0;
    // A search request, out on every adapter that can carry it.
    virtual void SendSearch(DiscoveryChannel channel, std::span<const std::uint8_t> request) = 0;
    // A setting request (Camera or Recorder), out on the adapter its device answered on.
    virtual void SendSetting(DiscoveryChannel channel, std::span<const std::uint8_t> request,
                             const ArrivalAdapter& adapter) = 0;
    // Answers that reached this computer since it was opened but were dropped before they were
    // handed over.
    virtual std::uint64_t DroppedDatagrams() const = 0;
    // The hardware address the instance's tag ends with.
    virtual std::optional<HardwareAddress> TagHardwareAddress() const = 0;
};

} // namespace Netrove
