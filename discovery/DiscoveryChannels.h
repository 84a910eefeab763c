#pragma once

#include "discovery/ArrivalAdapter.h"
#include "discovery/DatagramReader.h"
#include "discovery/NetworkAdapters.h"
#include "discovery/PacketTypes.h"
#include "discovery/ReceivedDatagram.h"
#include "discovery/SocketHandle.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include <netinet/in.h>

class QSocketNotifier;

namespace Netrove {

enum class DiscoveryChannel
{
    Camera,
    Recorder,
    IPv6,
};

// The three UDP channels to the devices: cameras over IPv4 (broadcast to 7701, answers on 7711),
// recorders (broadcast to 7603, answers on 7613) and cameras over IPv6 (multicast to ff02::1111
// port 7701, answers on the sending socket). A reader thread drains the receive sockets as soon as
// anything arrives; the signals announce that datagrams wait in its queues. Failures go to the
// owner's callbacks with their texts and error numbers, so that a window can show them.
class DiscoveryChannels final : public QObject
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

    // Text and error number of a socket failure.
    std::function<void(const QString&, int)> onSocketError;
    // IPv6 cannot be used on this computer; the text is what the user is told.
    std::function<void(const QString&)> onIPv6Unsupported;

    // The adapters and their addresses as they are now; asked at every search and setting request,
    // so that adapters that came or went meanwhile count. The system's list unless replaced.
    std::function<std::vector<InterfaceAddress>()> listInterfaceAddresses;

    // What the camera and IPv6 receive sockets ask the system for (it caps the request at its
    // limit); takes effect when the channels are opened.
    void SetCameraReceiveBuffer(int bytes) { m_nCameraReceiveBuffer = bytes; }

    // 1 success, 0 failure; the IPv6 channel answers -1 when IPv6 is not supported at all.
    int InitCameraChannel();
    int InitRecorderChannel();
    int InitIPv6Channel();
    // Closes every socket; closing again does nothing.
    void CloseSockets();

    // Searches go out once on every adapter that can carry them (see SearchAdapters): an installer's
    // laptop may sit on the office network and on the cameras' switch at once. Without such an
    // adapter a search leaves as the system routes it. A failure on one adapter is reported once the
    // others were asked.
    void SendCameraSearch(const ClientTag& tag, std::uint8_t opcode);
    void SendRecorderSearch(const ClientTag& tag, std::uint8_t opcode);
    void SendIPv6Search(const ClientTag& tag, std::uint8_t opcode);
    // Setting requests leave on the adapter the device answered on (see AnsweringAdapterIndex); the tag
    // is written into bytes 1-18 of the caller's buffer.
    void SendCameraPacket(std::span<std::uint8_t> packet, const ClientTag& tag,
                          const ArrivalAdapter& adapter = {});
    void SendRecorderPacket(std::span<std::uint8_t> packet, const ClientTag& tag,
                            const ArrivalAdapter& adapter = {});

    // Takes one waiting datagram. A datagram longer than the channel's long form fails.
    ReceiveStatus Receive(DiscoveryChannel channel, ReceivedDatagram& datagram, int& error);
    // The error the system reported for the channel's receive socket, cleared by asking; 0 for none.
    int TakePendingError(DiscoveryChannel channel);
    // Datagrams that reached this computer but were dropped before the window saw them, on all
    // receive sockets since they were opened: by the system when a socket's queue was full, or by
    // the reader when its own queue was.
    std::uint64_t DroppedDatagrams() const;
    // Stops reading the sockets for a while, as a window too busy to read would.
    void SetReadingPaused(bool paused) { m_reader.SetPaused(paused); }

signals:
    void cameraReadable();   // the IPv4 camera or the IPv6 socket has something
    void recorderReadable(); // the recorder socket has something

private:
    struct Ipv4Channel
    {
        SocketHandle send;
        SocketHandle receive;
        sockaddr_in broadcast{};
        sockaddr_in local{};
    };
    // Where the reader announces queued datagrams: camera and IPv6 share one, the recorder has its own.
    struct Announcer
    {
        SocketHandle eventFd;
        std::unique_ptr<QSocketNotifier> notifier;
    };

    int InitIpv4Channel(DiscoveryChannel which, Ipv4Channel& channel, std::uint16_t searchPort,
                        std::uint16_t replyPort, int receiveBuffer);
    int FailIpv4(const QString& text, int error);
    // Hands the socket to the reader; false when its announcements cannot be set up.
    bool Watch(DiscoveryChannel which, int fd);
    Announcer& AnnouncerOf(DiscoveryChannel which);
    void OnAnnounced(DiscoveryChannel group);
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
    Announcer m_cameraAnnouncer;
    Announcer m_recorderAnnouncer;
    // Declared last, so that it stops before the sockets it reads are closed.
    DatagramReader m_reader;
};

} // namespace Netrove
