#pragma once

#include "discovery/DatagramReader.h"
#include "discovery/NetworkAdapters.h"
#include "discovery/SocketHandle.h"
#include "onvif/OnvifChannel.h"

#include <QObject>

#include <atomic>
#include <cstdint>

namespace Netrove {

// The WS-Discovery sockets: probes multicast to 239.255.255.250:3702 on every IPv4 adapter and to
// [ff02::c]:3702 on every IPv6 adapter, from one fixed local port per family that the answers come
// back to, and a listener on 3702 for the Hellos and Byes of devices that come and go. A reader
// thread of their own drains them and hands each socket's batch to this object's thread in one
// queued event, from where it goes to the receiver.
class OnvifSockets final : public QObject, public OnvifChannel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OnvifSockets)

public:
    // The port probes leave from and answers come back to, which the package's firewall rules open.
    static constexpr std::uint16_t kOnvifReplyPort = 7712;
    static constexpr std::uint16_t kWsDiscoveryPort = 3702;
    static constexpr std::size_t kLargestDatagram = 65536;
    // Hundreds of cameras answer within half a second, two probes each.
    static constexpr int kReceiveBuffer = 4 * 1024 * 1024;
    // Probes stay on the adapter's own network.
    static constexpr int kHopLimit = 1;

    explicit OnvifSockets(QObject* parent = nullptr);
    ~OnvifSockets() override;

    // The probe sockets take kOnvifReplyPort; where another program holds it, a port the system
    // picks, which a firewall opened for Netrove does not open. The listener's failure to get 3702
    // (another WS-Discovery program holds it alone) is not reported: only Hellos and Byes go unheard.
    void Open(Receiver receiver) override;
    void Close() override;
    void SendProbe(std::span<const std::uint8_t> probe, OnvifFamily family) override;
    std::uint64_t DroppedDatagrams() const override;

    // The local port the family's answers come to: kOnvifReplyPort or the system's pick; 0 while
    // that probe socket is not open (closed, or no IPv6 on this computer).
    std::uint16_t ReplyPort(OnvifFamily family) const;
    // Whether Hellos and Byes are heard: the listener holds port 3702.
    bool HearsAnnouncements() const { return m_listener.valid(); }

protected:
    // A batch the reader handed over.
    void customEvent(QEvent* event) override;

private:
    enum Slot
    {
        kIpv4Probe = 0,
        kIpv6Probe = 1,
        kListener = 2,
    };
    struct Batch
    {
        int slot = kIpv4Probe;
        std::vector<ReceivedDatagram> datagrams;
        int socketError = 0;
    };

    void OpenProbeSocket(OnvifFamily family);
    void OpenListener();
    void JoinGroups(const std::vector<InterfaceAddress>& addresses);
    bool Watch(Slot slot, int fd);
    void PostBatch(int slot, std::vector<ReceivedDatagram> datagrams, int socketError);
    void ReportSocketError(const QString& text, int error);
    int SocketOf(int slot) const;

    SocketHandle m_probe4;
    SocketHandle m_probe6;
    SocketHandle m_listener;
    std::uint16_t m_port4 = 0;
    std::uint16_t m_port6 = 0;
    Receiver m_receiver;
    // Counts the openings, so that a batch posted before the sockets were closed is not taken for
    // one of sockets opened later.
    std::atomic<std::uint64_t> m_nOpening{0};
    // Declared last, so that it stops before the sockets it reads are closed.
    DatagramReader m_reader;
};

} // namespace Netrove
