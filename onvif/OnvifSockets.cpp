#include "onvif/OnvifSockets.h"

#include "discovery/PostedBatch.h"
#include "discovery/SendDatagram.h"
#include "discovery/SocketDropCount.h"

#include <QCoreApplication>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace Netrove {

namespace {

const QString kSocketFailure = QStringLiteral("ONVIF socket() Failure!");
const QString kBindFailure = QStringLiteral("ONVIF bind() Failure!");
const QString kNotifyFailure = QStringLiteral("ONVIF WSAAsyncSelect(FD_ACCEPT) Failure!");
const QString kReceiveFailure = QStringLiteral("ONVIF recvfrom() Failure!");
const QString kProbeSendFailure =
    QStringLiteral("[O]Can't send a packet! Check a connection or network environment.");

constexpr char kGroup4[] = "239.255.255.250";
constexpr char kGroup6[] = "ff02::c";

bool SetIntOption(int fd, int level, int name, int value)
{
    return ::setsockopt(fd, level, name, &value, sizeof(value)) == 0;
}

sockaddr_in Group4()
{
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(OnvifSockets::kWsDiscoveryPort);
    ::inet_pton(AF_INET, kGroup4, &group.sin_addr);
    return group;
}

sockaddr_in6 Group6()
{
    sockaddr_in6 group{};
    group.sin6_family = AF_INET6;
    group.sin6_port = htons(OnvifSockets::kWsDiscoveryPort);
    ::inet_pton(AF_INET6, kGroup6, &group.sin6_addr);
    return group;
}

bool Bind(int fd, int family, std::uint16_t port)
{
    if (family == AF_INET) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        local.sin_port = htons(port);
        return ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0;
    }
    sockaddr_in6 local{};
    local.sin6_family = AF_INET6;
    local.sin6_addr = in6addr_any;
    local.sin6_port = htons(port);
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0;
}

std::uint16_t BoundPort(int fd)
{
    sockaddr_storage local{};
    socklen_t length = sizeof(local);
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    if (local.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(local).sin_port);
    return ntohs(reinterpret_cast<const sockaddr_in6&>(local).sin6_port);
}

// The listener takes IPv4 datagrams too, their senders written as IPv6 (::ffff:a.b.c.d): they are
// handed over as the IPv4 senders they are.
void UnmapSender(ReceivedDatagram& datagram)
{
    if (datagram.family != AF_INET6)
        return;
    const auto& mapped = reinterpret_cast<const sockaddr_in6&>(datagram.from);
    if (!IN6_IS_ADDR_V4MAPPED(&mapped.sin6_addr))
        return;
    sockaddr_in plain{};
    plain.sin_family = AF_INET;
    plain.sin_port = mapped.sin6_port;
    std::memcpy(&plain.sin_addr, mapped.sin6_addr.s6_addr + 12, 4);
    datagram.from = {};
    std::memcpy(&datagram.from, &plain, sizeof(plain));
    datagram.family = AF_INET;
}

} // namespace

OnvifSockets::OnvifSockets(QObject* parent)
    : QObject(parent)
    , m_reader([this](int slot, std::vector<ReceivedDatagram> datagrams, int socketError) {
        PostBatch(slot, std::move(datagrams), socketError);
    })
{}

OnvifSockets::~OnvifSockets()
{
    Close();
}

void OnvifSockets::ReportSocketError(const QString& text, int error)
{
    if (m_receiver.onSocketError)
        m_receiver.onSocketError(text, error);
}

bool OnvifSockets::Watch(Slot slot, int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) < 0)
        return false;
    // Each datagram carries the count of those the system dropped before it, and the adapter it
    // came in on (the listener, for both families, hears both).
    SetIntOption(fd, SOL_SOCKET, SO_RXQ_OVFL, 1);
    if (slot != kIpv6Probe)
        SetIntOption(fd, IPPROTO_IP, IP_PKTINFO, 1);
    if (slot != kIpv4Probe)
        SetIntOption(fd, IPPROTO_IPV6, IPV6_RECVPKTINFO, 1);
    // Answers are a few kilobytes, the largest datagram 64: each is kept in its own size.
    m_reader.Watch(slot, fd, kLargestDatagram, true);
    return true;
}

void OnvifSockets::OpenProbeSocket(OnvifFamily family)
{
    const bool ipv4 = family == OnvifFamily::IPv4;
    const int domain = ipv4 ? AF_INET : AF_INET6;
    SocketHandle socket(::socket(domain, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket.valid()) {
        // Without IPv6 on this computer there is nothing to probe there; the IPv6 search says so.
        if (ipv4)
            ReportSocketError(kSocketFailure, errno);
        return;
    }
    const int fd = socket.get();
    if (ipv4) {
        SetIntOption(fd, IPPROTO_IP, IP_MULTICAST_TTL, kHopLimit);
    } else {
        // Left dual-stack, it would take IPv4 datagrams sent to this port too.
        SetIntOption(fd, IPPROTO_IPV6, IPV6_V6ONLY, 1);
        SetIntOption(fd, IPPROTO_IPV6, IPV6_MULTICAST_HOPS, kHopLimit);
    }
    SetIntOption(fd, SOL_SOCKET, SO_RCVBUF, kReceiveBuffer);
    // No SO_REUSEADDR: a second program on the fixed port would take the answers meant for the
    // first. The second takes a port of the system's instead.
    if (!Bind(fd, domain, kOnvifReplyPort) && !Bind(fd, domain, 0)) {
        ReportSocketError(kBindFailure, errno);
        return;
    }
    if (!Watch(ipv4 ? kIpv4Probe : kIpv6Probe, fd)) {
        ReportSocketError(kNotifyFailure, errno);
        return;
    }
    (ipv4 ? m_port4 : m_port6) = BoundPort(fd);
    (ipv4 ? m_probe4 : m_probe6) = std::move(socket);
}

void OnvifSockets::OpenListener()
{
    // One socket for both families where IPv6 is there, an IPv4 one where it is not. Other
    // WS-Discovery programs listen on 3702 as well: every one of them hears the groups.
    int domain = AF_INET6;
    SocketHandle socket(::socket(AF_INET6, SOCK_DGRAM, IPPROTO_UDP));
    if (!socket.valid() || !SetIntOption(socket.get(), IPPROTO_IPV6, IPV6_V6ONLY, 0)) {
        domain = AF_INET;
        socket.reset(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    }
    if (!socket.valid() || !SetIntOption(socket.get(), SOL_SOCKET, SO_REUSEADDR, 1) ||
        !Bind(socket.get(), domain, kWsDiscoveryPort) || !Watch(kListener, socket.get()))
        return;
    m_listener = std::move(socket);
}

void OnvifSockets::JoinGroups(const std::vector<InterfaceAddress>& addresses)
{
    if (!m_listener.valid())
        return;
    // Joined again before every probe, for adapters that came since; a group joined already is
    // refused by the system, which changes nothing.
    for (const SearchAdapter& adapter : SearchAdapters(addresses, AF_INET)) {
        ip_mreqn group{};
        ::inet_pton(AF_INET, kGroup4, &group.imr_multiaddr);
        group.imr_ifindex = adapter.interfaceIndex;
        ::setsockopt(m_listener.get(), IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof(group));
    }
    for (const SearchAdapter& adapter : SearchAdapters(addresses, AF_INET6)) {
        ipv6_mreq group{};
        ::inet_pton(AF_INET6, kGroup6, &group.ipv6mr_multiaddr);
        group.ipv6mr_interface = static_cast<unsigned>(adapter.interfaceIndex);
        ::setsockopt(m_listener.get(), IPPROTO_IPV6, IPV6_JOIN_GROUP, &group, sizeof(group));
    }
}

void OnvifSockets::Open(Receiver receiver)
{
    Close();
    m_receiver = std::move(receiver);
    OpenProbeSocket(OnvifFamily::IPv4);
    OpenProbeSocket(OnvifFamily::IPv6);
    OpenListener();
    JoinGroups(SystemInterfaceAddresses());
}

void OnvifSockets::Close()
{
    // The reader stops before its sockets close, so that it never reads a closed descriptor.
    m_reader.Stop();
    ++m_nOpening;
    m_probe4.reset();
    m_probe6.reset();
    m_listener.reset();
    m_port4 = 0;
    m_port6 = 0;
}

std::uint16_t OnvifSockets::ReplyPort(OnvifFamily family) const
{
    return family == OnvifFamily::IPv4 ? m_port4 : m_port6;
}

void OnvifSockets::SendProbe(std::span<const std::uint8_t> probe, OnvifFamily family)
{
    const bool ipv4 = family == OnvifFamily::IPv4;
    const int fd = ipv4 ? m_probe4.get() : m_probe6.get();
    if (fd < 0) {
        if (ipv4)
            ReportSocketError(kProbeSendFailure, EBADF);
        return;
    }
    // Adapters may have been renamed or readdressed since the last probe.
    m_reader.ForgetAdapters();
    const std::vector<InterfaceAddress> addresses = SystemInterfaceAddresses();
    JoinGroups(addresses);
    const sockaddr_in group4 = Group4();
    const sockaddr_in6 group6 = Group6();
    const auto* to =
        ipv4 ? reinterpret_cast<const sockaddr*>(&group4) : reinterpret_cast<const sockaddr*>(&group6);
    const socklen_t length = ipv4 ? sizeof(group4) : sizeof(group6);
    const std::vector<SearchAdapter> adapters = SearchAdapters(addresses, ipv4 ? AF_INET : AF_INET6);
    int failure = adapters.empty() ? SendDatagram(fd, probe, to, length, 0) : 0;
    for (const SearchAdapter& adapter : adapters) {
        if (ipv4) {
            ip_mreqn out{};
            out.imr_ifindex = adapter.interfaceIndex;
            ::setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &out, sizeof(out));
        } else {
            SetIntOption(fd, IPPROTO_IPV6, IPV6_MULTICAST_IF, adapter.interfaceIndex);
        }
        const int error = SendDatagram(fd, probe, to, length, adapter.interfaceIndex);
        if (failure == 0)
            failure = error;
    }
    if (failure != 0)
        ReportSocketError(kProbeSendFailure, failure);
}

void OnvifSockets::PostBatch(int slot, std::vector<ReceivedDatagram> datagrams, int socketError)
{
    for (ReceivedDatagram& datagram : datagrams)
        UnmapSender(datagram);
    QCoreApplication::postEvent(
        this, new PostedBatch<Batch>(m_nOpening.load(), Batch{slot, std::move(datagrams), socketError}));
}

void OnvifSockets::customEvent(QEvent* event)
{
    if (event->type() != PostedBatch<Batch>::Kind())
        return QObject::customEvent(event);
    auto* posted = static_cast<PostedBatch<Batch>*>(event);
    // Posted before the sockets were closed: neither they nor the receiver are its any more.
    if (posted->opening != m_nOpening.load())
        return;
    m_reader.Taken(posted->batch.slot);
    if (m_receiver.onBatch)
        m_receiver.onBatch(posted->batch.datagrams);
    // Whatever befalls the listener, only announcements go unheard.
    if (posted->batch.socketError != 0 && posted->batch.slot != kListener)
        ReportSocketError(kReceiveFailure, posted->batch.socketError);
}

int OnvifSockets::SocketOf(int slot) const
{
    switch (slot) {
    case kIpv4Probe:
        return m_probe4.get();
    case kIpv6Probe:
        return m_probe6.get();
    default:
        return m_listener.get();
    }
}

std::uint64_t OnvifSockets::DroppedDatagrams() const
{
    std::uint64_t dropped = 0;
    for (const int slot : {kIpv4Probe, kIpv6Probe, kListener}) {
        dropped += std::max(m_reader.KernelDrops(slot), SystemDropCount(SocketOf(slot)));
        dropped += m_reader.QueueDrops(slot);
    }
    return dropped;
}

} // namespace Netrove
