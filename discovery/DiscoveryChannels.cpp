#include "discovery/DiscoveryChannels.h"

#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "discovery/SearchRequests.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <sys/socket.h>

namespace Netrove {

namespace {

const QString kSocketFailure = QStringLiteral("socket() Failure!");
const QString kSetsockoptFailure = QStringLiteral("setsockopt() Failure!");
const QString kBindFailure = QStringLiteral("bind() Failure!");
const QString kNotifyFailure = QStringLiteral("WSAAsyncSelect(FD_ACCEPT) Failure!");
const QString kSearchSendFailure =
    QStringLiteral("[B]Can't send a packet! Check a connection or network environment.");
const QString kIPv6SearchSendFailure =
    QStringLiteral("[M]Can't send a packet! Check a connection or network environment.");
const QString kPacketSendFailure =
    QStringLiteral("Can't send a packet! Check a connection or network environment.");

bool SetIntOption(int fd, int level, int name, int value)
{
    return ::setsockopt(fd, level, name, &value, sizeof(value)) == 0;
}

std::size_t BufferSize(DiscoveryChannel channel)
{
    switch (channel) {
    case DiscoveryChannel::Camera:
        return LongFormSize(PacketKind::KindCamera);
    case DiscoveryChannel::Recorder:
        return LongFormSize(PacketKind::KindRecorder);
    case DiscoveryChannel::IPv6:
        return LongFormSize(PacketKind::KindCameraIPv6);
    }
    return 0;
}

QString AddressText(const sockaddr_storage& address)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(address).sin_addr, text, sizeof(text));
    else if (address.ss_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(address).sin6_addr, text, sizeof(text));
    return QString::fromLatin1(text);
}

} // namespace

DiscoveryChannels::DiscoveryChannels(QObject* parent)
    : QObject(parent)
{}

DiscoveryChannels::~DiscoveryChannels()
{
    CloseSockets();
}

void DiscoveryChannels::ReportSocketError(const QString& text, int error)
{
    if (onSocketError)
        onSocketError(text, error);
}

int DiscoveryChannels::FailIpv4(const QString& text, int error)
{
    ReportSocketError(text, error);
    CloseSockets();
    return 0;
}

bool DiscoveryChannels::Notify(int fd, std::unique_ptr<QSocketNotifier>& notifier,
                               void (DiscoveryChannels::*readable)())
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return false;
    notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, readable);
    return true;
}

int DiscoveryChannels::InitIpv4Channel(Ipv4Channel& channel, std::uint16_t searchPort,
                                       std::uint16_t replyPort, int receiveBuffer,
                                       void (DiscoveryChannels::*readable)())
{
    channel.send.reset(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!channel.send.valid())
        return FailIpv4(kSocketFailure, errno);
    channel.receive.reset(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    if (!channel.receive.valid())
        return FailIpv4(kSocketFailure, errno);
    if (!SetIntOption(channel.send.get(), SOL_SOCKET, SO_BROADCAST, 1))
        return FailIpv4(kSetsockoptFailure, errno);
    if (!SetIntOption(channel.receive.get(), SOL_SOCKET, SO_REUSEADDR, 1))
        return FailIpv4(kSetsockoptFailure, errno);
    // Many devices answering at once must not overflow the queue; neither result matters.
    SetIntOption(channel.receive.get(), SOL_SOCKET, SO_RCVBUF, receiveBuffer);
    int granted = 0;
    socklen_t length = sizeof(granted);
    ::getsockopt(channel.receive.get(), SOL_SOCKET, SO_RCVBUF, &granted, &length);

    channel.broadcast = {};
    channel.broadcast.sin_family = AF_INET;
    channel.broadcast.sin_addr.s_addr = htonl(INADDR_BROADCAST);
    channel.broadcast.sin_port = htons(searchPort);
    channel.local = {};
    channel.local.sin_family = AF_INET;
    channel.local.sin_addr.s_addr = htonl(INADDR_ANY);
    channel.local.sin_port = htons(replyPort);

    if (::bind(channel.receive.get(), reinterpret_cast<const sockaddr*>(&channel.local),
               sizeof(channel.local)) != 0)
        return FailIpv4(kBindFailure, errno);
    if (!Notify(channel.receive.get(), channel.notifier, readable))
        return FailIpv4(kNotifyFailure, errno);
    return 1;
}

int DiscoveryChannels::InitCameraChannel()
{
    return InitIpv4Channel(m_camera, kCameraSearchPort, kCameraReplyPort, kCameraReceiveBuffer,
                           &DiscoveryChannels::cameraReadable);
}

int DiscoveryChannels::InitRecorderChannel()
{
    return InitIpv4Channel(m_recorder, kRecorderSearchPort, kRecorderReplyPort, kRecorderReceiveBuffer,
                           &DiscoveryChannels::recorderReadable);
}

int DiscoveryChannels::InitIPv6Channel()
{
    m_bHaveIPv6Group = false;
    m_sockIPv6.reset(::socket(AF_INET6, SOCK_DGRAM, IPPROTO_UDP));
    if (!m_sockIPv6.valid()) {
        if (onIPv6Unsupported)
            onIPv6Unsupported(QStringLiteral("This computer doesn't support the IPv6."));
        return -1;
    }

    addrinfo* group = nullptr;
    if (::getaddrinfo("ff02::1111", "7701", nullptr, &group) != 0 || !group ||
        group->ai_addrlen > sizeof(m_ipv6Group)) {
        if (group)
            ::freeaddrinfo(group);
        m_sockIPv6.reset();
        if (onIPv6Unsupported)
            onIPv6Unsupported(QStringLiteral(
                "This computer doesn't support the IPv6. IPv6 function operates in Windows XP later"));
        return -1;
    }
    std::memcpy(&m_ipv6Group, group->ai_addr, group->ai_addrlen);
    ::freeaddrinfo(group);
    m_bHaveIPv6Group = true;

    if (!SetIntOption(m_sockIPv6.get(), IPPROTO_IPV6, IPV6_MULTICAST_HOPS, kIPv6HopLimit)) {
        ReportSocketError(QStringLiteral("IPv6 setsockopt() Failure!"), errno);
        m_sockIPv6.reset();
        return 0;
    }
    SetIntOption(m_sockIPv6.get(), SOL_SOCKET, SO_RCVBUF, kCameraReceiveBuffer);
    if (!Notify(m_sockIPv6.get(), m_ipv6Notifier, &DiscoveryChannels::cameraReadable)) {
        ReportSocketError(kNotifyFailure, errno);
        CloseSockets();
        return 0;
    }
    return 1;
}

void DiscoveryChannels::CloseSockets()
{
    // The notifiers go before their sockets, so that none watches a closed descriptor.
    for (Ipv4Channel* channel : {&m_camera, &m_recorder}) {
        channel->notifier.reset();
        channel->send.reset();
        channel->receive.reset();
    }
    m_ipv6Notifier.reset();
    m_sockIPv6.reset();
}

int DiscoveryChannels::ReceiveSocket(DiscoveryChannel channel) const
{
    switch (channel) {
    case DiscoveryChannel::Camera:
        return m_camera.receive.get();
    case DiscoveryChannel::Recorder:
        return m_recorder.receive.get();
    case DiscoveryChannel::IPv6:
        return m_sockIPv6.get();
    }
    return -1;
}

void DiscoveryChannels::SendTo(int fd, std::span<const std::uint8_t> packet, const sockaddr* to,
                               socklen_t length, const QString& failureText)
{
    const ssize_t sent = fd < 0 ? -1 : ::sendto(fd, packet.data(), packet.size(), 0, to, length);
    if (sent != static_cast<ssize_t>(packet.size()))
        ReportSocketError(failureText, fd < 0 ? EBADF : errno);
}

void DiscoveryChannels::SendCameraSearch(const ClientTag& tag, std::uint8_t opcode)
{
    const auto packet = BuildCameraSearch(tag, opcode);
    SendTo(m_camera.send.get(), packet, reinterpret_cast<const sockaddr*>(&m_camera.broadcast),
           sizeof(m_camera.broadcast), kSearchSendFailure);
}

void DiscoveryChannels::SendRecorderSearch(const ClientTag& tag, std::uint8_t opcode)
{
    const auto packet = BuildRecorderSearch(tag, opcode);
    SendTo(m_recorder.send.get(), packet, reinterpret_cast<const sockaddr*>(&m_recorder.broadcast),
           sizeof(m_recorder.broadcast), kSearchSendFailure);
}

void DiscoveryChannels::SendIPv6Search(const ClientTag& tag, std::uint8_t opcode)
{
    const auto packet = BuildIPv6Search(tag, opcode);
    SendTo(m_bHaveIPv6Group ? m_sockIPv6.get() : -1, packet, reinterpret_cast<const sockaddr*>(&m_ipv6Group),
           sizeof(m_ipv6Group), kIPv6SearchSendFailure);
}

void DiscoveryChannels::SendCameraPacket(std::span<std::uint8_t> packet, const ClientTag& tag)
{
    WriteClientTag(PacketKind::KindCamera, packet, tag);
    SendTo(m_camera.send.get(), packet, reinterpret_cast<const sockaddr*>(&m_camera.broadcast),
           sizeof(m_camera.broadcast), kPacketSendFailure);
}

void DiscoveryChannels::SendRecorderPacket(std::span<std::uint8_t> packet, const ClientTag& tag)
{
    // Setting requests to recorders are laid out as camera packets.
    WriteClientTag(PacketKind::KindCamera, packet, tag);
    SendTo(m_recorder.send.get(), packet, reinterpret_cast<const sockaddr*>(&m_recorder.broadcast),
           sizeof(m_recorder.broadcast), kPacketSendFailure);
}

ReceiveStatus DiscoveryChannels::Receive(DiscoveryChannel channel, ReceivedDatagram& datagram, int& error)
{
    error = 0;
    const int fd = ReceiveSocket(channel);
    if (fd < 0)
        return ReceiveStatus::NothingWaiting;

    datagram.buffer.assign(BufferSize(channel), 0);
    datagram.size = 0;
    datagram.family = AF_UNSPEC;
    datagram.sender.clear();

    sockaddr_storage from{};
    iovec io{datagram.buffer.data(), datagram.buffer.size()};
    msghdr message{};
    message.msg_name = &from;
    message.msg_namelen = sizeof(from);
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    const ssize_t received = ::recvmsg(fd, &message, MSG_DONTWAIT);
    if (received < 0) {
        error = errno;
        if (error == EAGAIN || error == EWOULDBLOCK)
            return ReceiveStatus::NothingWaiting;
        return ReceiveStatus::Failed;
    }
    datagram.family = from.ss_family;
    datagram.sender = AddressText(from);
    if (message.msg_flags & MSG_TRUNC) {
        // Longer than any reply of this channel: not a device's answer.
        error = EMSGSIZE;
        datagram.buffer.assign(datagram.buffer.size(), 0);
        return ReceiveStatus::Failed;
    }
    datagram.size = static_cast<std::size_t>(received);
    return ReceiveStatus::Received;
}

int DiscoveryChannels::TakePendingError(DiscoveryChannel channel)
{
    const int fd = ReceiveSocket(channel);
    if (fd < 0)
        return 0;
    int pending = 0;
    socklen_t length = sizeof(pending);
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &length) != 0)
        return 0;
    return pending;
}

} // namespace Netrove
