#pragma once

#include "discovery/PacketTypes.h"
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

struct ReceivedDatagram
{
    std::vector<std::uint8_t> buffer; // the channel's long form, zero-filled past what arrived
    std::size_t size = 0;             // bytes received
    int family = AF_UNSPEC;           // of the sender
    QString sender;                   // the sender's address text
};

enum class ReceiveStatus
{
    Received,
    NothingWaiting,
    Failed,
};

// The three UDP channels to the devices: cameras over IPv4 (broadcast to 7701, answers on 7711),
// recorders (broadcast to 7603, answers on 7613) and cameras over IPv6 (multicast to ff02::1111
// port 7701, answers on the sending socket). Readiness is announced by signals; failures go to
// the owner's callbacks with their texts and error numbers, so that a window can show them.
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

    // 1 success, 0 failure; the IPv6 channel answers -1 when IPv6 is not supported at all.
    int InitCameraChannel();
    int InitRecorderChannel();
    int InitIPv6Channel();
    // Closes every socket; closing again does nothing.
    void CloseSockets();

    void SendCameraSearch(const ClientTag& tag, std::uint8_t opcode);
    void SendRecorderSearch(const ClientTag& tag, std::uint8_t opcode);
    void SendIPv6Search(const ClientTag& tag, std::uint8_t opcode);
    // Setting requests: the tag is written into bytes 1-18 of the caller's buffer.
    void SendCameraPacket(std::span<std::uint8_t> packet, const ClientTag& tag);
    void SendRecorderPacket(std::span<std::uint8_t> packet, const ClientTag& tag);

    // Reads one waiting datagram. A datagram longer than the channel's long form fails.
    ReceiveStatus Receive(DiscoveryChannel channel, ReceivedDatagram& datagram, int& error);
    // The error the system holds for the channel's receive socket, cleared by asking; 0 for none.
    int TakePendingError(DiscoveryChannel channel);

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
        std::unique_ptr<QSocketNotifier> notifier;
    };

    int InitIpv4Channel(Ipv4Channel& channel, std::uint16_t searchPort, std::uint16_t replyPort,
                        int receiveBuffer, void (DiscoveryChannels::*readable)());
    int FailIpv4(const QString& text, int error);
    bool Notify(int fd, std::unique_ptr<QSocketNotifier>& notifier, void (DiscoveryChannels::*readable)());
    void SendTo(int fd, std::span<const std::uint8_t> packet, const sockaddr* to, socklen_t length,
                const QString& failureText);
    void ReportSocketError(const QString& text, int error);
    int ReceiveSocket(DiscoveryChannel channel) const;

    Ipv4Channel m_camera;
    Ipv4Channel m_recorder;
    SocketHandle m_sockIPv6;
    sockaddr_in6 m_ipv6Group{};
    bool m_bHaveIPv6Group = false;
    std::unique_ptr<QSocketNotifier> m_ipv6Notifier;
};

} // namespace Netrove
