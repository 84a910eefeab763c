#pragma once

#include "discovery/ArrivalAdapter.h"
#include "discovery/DatagramReader.h"
#include "discovery/DeviceChannel.h"
#include "discovery/NetworkAdapters.h"
#include "discovery/PacketTypes.h"
#include "discovery/ReceivedDatagram.h"
#include "discovery/SocketHandle.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include <netinet/in.h>

namespace Netrove {

// The three UDP channels to the devices: cameras over IPv4 (broadcast to 7701, answers on 7711),
// recorders (broadcast to 7603, answers on 7613) and cameras over IPv6 (multicast to ff02::1111
// port 7701, answers on the sending socket, which takes port 7711 too where that is free). A reader thread
// drains the receive sockets as soon as anything arrives and hands each batch to this object's thread in one
// queued event, from where it goes to the receiver. Failures go to the receiver with their texts and error
// numbers, so that a window can show them.
class DiscoveryChannels final : public QObject, public DeviceChannel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DiscoveryChannels)

public:
    static constexpr std::uint16_t kCameraSearchPort = 7701;
    static constexpr std::uint16_t kCameraReplyPort = 7711;
    static constexpr std::uint16_t kRecorderSearchPort = 7603;
    static constexpr std::uint16_t kRecorderReplyPort = 7613;
    static constexpr int kRecorderReceiveBuffer = 135168;
    // Thousands of cameras answer one search within a fraction of a second, faster than the list
    // takes them in; the queue must hold them meanwhile (the system caps the request at its limit).
    static constexpr int kCameraReceiveBuffer = 4 * 1024 * 1024;
    static constexpr int kIPv6HopLimit = 64;

    explicit DiscoveryChannels(QObject* parent = nullptr);
    ~DiscoveryChannels() override;

    // The adapters and their addresses as they are now; asked at every search and setting request,
    // so that adapters that came or went meanwhile count. The system's list unless replaced.
    std::function<std::vector<InterfaceAddress>()> listInterfaceAddresses;

    // What the camera and IPv6 receive sockets ask the system for (it caps the request at its
    // limit); takes effect when the channels are opened.
    void SetCameraReceiveBuffer(int bytes) { m_nCameraReceiveBuffer = bytes; }

    void Open(Receiver receiver) override;
    void Close() override;
    // Searches go out once on every adapter that can carry them (see SearchAdapters): an installer's
    // laptop may sit on the office network and on the cameras' switch at once. Without such an
    // adapter a search leaves as the system routes it. A failure on one adapter is reported once the
    // others were asked.
    void SendSearch(DiscoveryChannel channel, std::span<const std::uint8_t> request) override;
    // Setting requests leave on the adapter the device answered on (see AnsweringAdapterIndex).
    void SendSetting(DiscoveryChannel channel, std::span<const std::uint8_t> request,
                     const ArrivalAdapter& adapter) override;
    // Datagrams that reached this computer but were dropped before they were handed over, on all
    // receive sockets since they were opened: by the system when a socket's queue was full, or by
    // the reader when too many waited with it.
    std::uint64_t DroppedDatagrams() const override;
    std::optional<HardwareAddress> TagHardwareAddress() const override;

    // Stops reading the sockets for a while, as a window too busy to read would.
    void SetReadingPaused(bool paused) { m_reader.SetPaused(paused); }

protected:
    // A batch the reader handed over.
    void customEvent(QEvent* event) override;

private:
    struct Ipv4Channel
    {
        SocketHandle send;
        SocketHandle receive;
        sockaddr_in broadcast{};
        sockaddr_in local{};
    };
    // 1 success, 0 failure; the IPv6 channel answers -1 when IPv6 is not supported at all.
    int InitCameraChannel();
    int InitRecorderChannel();
    int InitIPv6Channel();
    void CloseSockets();
    int InitIpv4Channel(DiscoveryChannel which, Ipv4Channel& channel, std::uint16_t searchPort,
                        std::uint16_t replyPort, int receiveBuffer);
    int FailIpv4(const QString& text, int error);
    // Hands the socket to the reader; false when it cannot be read without blocking.
    bool Watch(DiscoveryChannel which, int fd);
    // On the reader's thread: the batch goes to this object's thread as one event.
    void PostBatch(int slot, std::vector<ReceivedDatagram> datagrams, int socketError);
    std::vector<InterfaceAddress> InterfaceAddresses() const;
    void SendSearch(int fd, std::span<const std::uint8_t> packet, const sockaddr* to, socklen_t length,
                    const QString& failureText);
    void SendSetting(int fd, std::span<const std::uint8_t> packet, const sockaddr_in& to,
                     const ArrivalAdapter& adapter);
    void ReportSocketError(const QString& text, int error);
    int ReceiveSocket(DiscoveryChannel channel) const;

    Ipv4Channel m_camera;
    Ipv4Channel m_recorder;
    SocketHandle m_sockIPv6;
    sockaddr_in6 m_ipv6Group{};
    bool m_bHaveIPv6Group = false;
    int m_nCameraReceiveBuffer = kCameraReceiveBuffer;
    Receiver m_receiver;
    // Counts the openings, so that a batch posted before the channels were closed is not taken
    // for one of sockets opened later.
    std::atomic<std::uint64_t> m_nOpening{0};
    // Declared last, so that it stops before the sockets it reads are closed.
    DatagramReader m_reader;
};

} // namespace Netrove
