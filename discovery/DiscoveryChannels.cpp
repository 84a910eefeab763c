#include "discovery/DiscoveryChannels.h"

#include "discovery/PacketLayout.h"
#include "discovery/PostedBatch.h"
#include "discovery/SendDatagram.h"
#include "discovery/SocketDropCount.h"

#include <QCoreApplication>
#include <QEvent>

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

int SlotOf(DiscoveryChannel channel)
{
    return static_cast<int>(channel);
}

using BatchEvent = PostedBatch<DatagramBatch>;

} // namespace

QString ReceivedDatagram::SenderText() const
{
    char text[INET6_ADDRSTRLEN] = {};
    if (from.ss_family == AF_INET)
        ::inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in&>(from).sin_addr, text, sizeof(text));
    else if (from.ss_family == AF_INET6)
        ::inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6&>(from).sin6_addr, text, sizeof(text));
    return QString::fromLatin1(text);
}

DiscoveryChannels::DiscoveryChannels(QObject* parent)
    : QObject(parent)
    , m_reader([this](int slot, std::vector<ReceivedDatagram> datagrams, int socketError) {
        PostBatch(slot, std::move(datagrams), socketError);
    })
{}

DiscoveryChannels::~DiscoveryChannels()
{
    CloseSockets();
}

void DiscoveryChannels::ReportSocketError(const QString& text, int error)
{
    if (m_receiver.onSocketError)
        m_receiver.onSocketError(text, error);
}

int DiscoveryChannels::FailIpv4(const QString& text, int error)
{
    ReportSocketError(text, error);
    CloseSockets();
    return 0;
}

bool DiscoveryChannels::Watch(DiscoveryChannel which, int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return false;
    // Every datagram then carries the count of those the system dropped before it, and the adapter
    // it came in on: the row of the device that sent it remembers that adapter.
    SetIntOption(fd, SOL_SOCKET, SO_RXQ_OVFL, 1);
    if (which == DiscoveryChannel::IPv6)
        SetIntOption(fd, IPPROTO_IPV6, IPV6_RECVPKTINFO, 1);
    else
        SetIntOption(fd, IPPROTO_IP, IP_PKTINFO, 1);
    m_reader.Watch(SlotOf(which), fd, BufferSize(which));
    return true;
}

void DiscoveryChannels::PostBatch(int slot, std::vector<ReceivedDatagram> datagrams, int socketError)
{
    DatagramBatch batch;
    batch.channel = static_cast<DiscoveryChannel>(slot);
    batch.datagrams = std::move(datagrams);
    batch.socketError = socketError;
    QCoreApplication::postEvent(this, new BatchEvent(m_nOpening.load(), std::move(batch)));
}

void DiscoveryChannels::customEvent(QEvent* event)
{
    if (event->type() != BatchEvent::Kind())
        return QObject::customEvent(event);
    auto* posted = static_cast<BatchEvent*>(event);
    // Posted before the channels were closed: neither the sockets nor the receiver are its any more.
    if (posted->opening != m_nOpening.load())
        return;
    // The next batch may come at once, so that a message box opened for this one does not hold up
    // what follows.
    m_reader.Taken(SlotOf(posted->batch.channel));
    if (m_receiver.onBatch)
        m_receiver.onBatch(posted->batch);
}

int DiscoveryChannels::InitIpv4Channel(DiscoveryChannel which, Ipv4Channel& channel, std::uint16_t searchPort,
                                       std::uint16_t replyPort, int receiveBuffer)
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
    if (!Watch(which, channel.receive.get()))
        return FailIpv4(kNotifyFailure, errno);
    return 1;
}

int DiscoveryChannels::InitCameraChannel()
{
    return InitIpv4Channel(DiscoveryChannel::Camera, m_camera, kCameraSearchPort, kCameraReplyPort,
                           m_nCameraReceiveBuffer);
}

int DiscoveryChannels::InitRecorderChannel()
{
    return InitIpv4Channel(DiscoveryChannel::Recorder, m_recorder, kRecorderSearchPort, kRecorderReplyPort,
                           kRecorderReceiveBuffer);
}

int DiscoveryChannels::InitIPv6Channel()
{
    m_bHaveIPv6Group = false;
    m_sockIPv6.reset(::socket(AF_INET6, SOCK_DGRAM, IPPROTO_UDP));
    if (!m_sockIPv6.valid()) {
        if (m_receiver.onIPv6Unsupported)
            m_receiver.onIPv6Unsupported(QStringLiteral("This computer doesn't support the IPv6."));
        return -1;
    }

    addrinfo* group = nullptr;
    if (::getaddrinfo("ff02::1111", "7701", nullptr, &group) != 0 || !group ||
        group->ai_addrlen > sizeof(m_ipv6Group)) {
        if (group)
            ::freeaddrinfo(group);
        m_sockIPv6.reset();
        if (m_receiver.onIPv6Unsupported)
            m_receiver.onIPv6Unsupported(QStringLiteral(
                "This computer doesn't support the IPv6. IPv6 function operates in Windows XP later"));
        return -1;
    }
    std::memcpy(&m_ipv6Group, group->ai_addr, group->ai_addrlen);
    ::freeaddrinfo(group);
    m_bHaveIPv6Group = true;

    // Cameras answer to the port the search leaves from; left dual-stack, the socket would take
    // IPv4 datagrams sent to that port too and list their senders as IPv6 cameras.
    if (!SetIntOption(m_sockIPv6.get(), IPPROTO_IPV6, IPV6_V6ONLY, 1) ||
        !SetIntOption(m_sockIPv6.get(), IPPROTO_IPV6, IPV6_MULTICAST_HOPS, kIPv6HopLimit)) {
        ReportSocketError(QStringLiteral("IPv6 setsockopt() Failure!"), errno);
        m_sockIPv6.reset();
        return 0;
    }
    // The search leaves from the camera answer port, which a firewall opened for Netrove opens for
    // IPv6 too; the system's pick of a port would change with every start and no rule could name it.
    // Where another program holds that port the system still picks one, as it always did.
    sockaddr_in6 local{};
    local.sin6_family = AF_INET6;
    local.sin6_addr = in6addr_any;
    local.sin6_port = htons(kCameraReplyPort);
    ::bind(m_sockIPv6.get(), reinterpret_cast<const sockaddr*>(&local), sizeof(local));
    SetIntOption(m_sockIPv6.get(), SOL_SOCKET, SO_RCVBUF, m_nCameraReceiveBuffer);
    if (!Watch(DiscoveryChannel::IPv6, m_sockIPv6.get())) {
        ReportSocketError(kNotifyFailure, errno);
        CloseSockets();
        return 0;
    }
    return 1;
}

void DiscoveryChannels::Open(Receiver receiver)
{
    m_receiver = std::move(receiver);
    InitCameraChannel();
    InitRecorderChannel();
    InitIPv6Channel();
}

void DiscoveryChannels::Close()
{
    CloseSockets();
}

void DiscoveryChannels::CloseSockets()
{
    // The reader stops before its sockets close, so that it never reads a closed descriptor.
    m_reader.Stop();
    ++m_nOpening;
    for (Ipv4Channel* channel : {&m_camera, &m_recorder}) {
        channel->send.reset();
        channel->receive.reset();
    }
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

std::vector<InterfaceAddress> DiscoveryChannels::InterfaceAddresses() const
{
    return listInterfaceAddresses ? listInterfaceAddresses() : SystemInterfaceAddresses();
}

void DiscoveryChannels::SendSearch(int fd, std::span<const std::uint8_t> packet, const sockaddr* to,
                                   socklen_t length, const QString& failureText)
{
    // Adapters may have been renamed or readdressed since the last search.
    m_reader.ForgetAdapters();
    const std::vector<SearchAdapter> adapters = SearchAdapters(InterfaceAddresses(), to->sa_family);
    int failure = 0;
    if (adapters.empty())
        failure = SendDatagram(fd, packet, to, length, 0);
    for (const SearchAdapter& adapter : adapters) {
        const int error = SendDatagram(fd, packet, to, length, adapter.interfaceIndex);
        if (failure == 0)
            failure = error;
    }
    if (failure != 0)
        ReportSocketError(failureText, failure);
}

void DiscoveryChannels::SendSetting(int fd, std::span<const std::uint8_t> packet, const sockaddr_in& to,
                                    const ArrivalAdapter& adapter)
{
    const int index = adapter.interfaceIndex > 0 ? AnsweringAdapterIndex(adapter, InterfaceAddresses()) : 0;
    if (const int error = SendDatagram(fd, packet, reinterpret_cast<const sockaddr*>(&to), sizeof(to), index))
        ReportSocketError(kPacketSendFailure, error);
}

void DiscoveryChannels::SendSearch(DiscoveryChannel channel, std::span<const std::uint8_t> request)
{
    switch (channel) {
    case DiscoveryChannel::Camera:
        SendSearch(m_camera.send.get(), request, reinterpret_cast<const sockaddr*>(&m_camera.broadcast),
                   sizeof(m_camera.broadcast), kSearchSendFailure);
        return;
    case DiscoveryChannel::Recorder:
        SendSearch(m_recorder.send.get(), request, reinterpret_cast<const sockaddr*>(&m_recorder.broadcast),
                   sizeof(m_recorder.broadcast), kSearchSendFailure);
        return;
    case DiscoveryChannel::IPv6:
        SendSearch(m_bHaveIPv6Group ? m_sockIPv6.get() : -1, request,
                   reinterpret_cast<const sockaddr*>(&m_ipv6Group), sizeof(m_ipv6Group),
                   kIPv6SearchSendFailure);
        return;
    }
}

void DiscoveryChannels::SendSetting(DiscoveryChannel channel, std::span<const std::uint8_t> request,
                                    const ArrivalAdapter& adapter)
{
    const Ipv4Channel& ipv4 = channel == DiscoveryChannel::Recorder ? m_recorder : m_camera;
    SendSetting(ipv4.send.get(), request, ipv4.broadcast, adapter);
}

std::optional<HardwareAddress> DiscoveryChannels::TagHardwareAddress() const
{
    return FirstAdapterHardwareAddress();
}

std::uint64_t DiscoveryChannels::DroppedDatagrams() const
{
    std::uint64_t dropped = 0;
    for (const DiscoveryChannel channel :
         {DiscoveryChannel::Camera, DiscoveryChannel::Recorder, DiscoveryChannel::IPv6}) {
        const std::uint64_t stamped = m_reader.KernelDrops(SlotOf(channel));
        dropped += std::max(stamped, SystemDropCount(ReceiveSocket(channel)));
        dropped += m_reader.QueueDrops(SlotOf(channel));
    }
    return dropped;
}

} // namespace Netrove
