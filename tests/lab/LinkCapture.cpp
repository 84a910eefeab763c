#include "tests/lab/LinkCapture.h"

#include "discovery/DiscoveryChannels.h"
#include "tests/lab/DevicesSide.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Netrove {

namespace {

constexpr std::size_t kEthernetHeader = 14;
constexpr std::size_t kIPv6Header = 40;
constexpr std::size_t kUdpHeader = 8;
constexpr std::uint8_t kUdp = 17;
constexpr std::uint8_t kIcmp = 1;
constexpr std::uint8_t kIcmpv6 = 58;
constexpr std::uint8_t kIgmp = 2;
constexpr std::uint8_t kIPv6HopByHop = 0;
constexpr std::uint8_t kIcmpEchoRequest = 8;
constexpr std::uint8_t kIcmpv6EchoRequest = 128;
constexpr std::size_t kSearchSize = 262;
constexpr std::size_t kIPv6SearchSize = 302;

std::uint16_t Be16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return std::uint16_t(bytes[at] << 8 | bytes[at + 1]);
}

// The IP payload of a frame, with its protocol; empty when the frame carries no IPv4 or IPv6.
struct IpPayload
{
    int family = AF_UNSPEC;
    std::uint8_t protocol = 0;
    std::span<const std::uint8_t> header; // the IP header
    std::span<const std::uint8_t> payload;
};

IpPayload Unwrap(std::span<const std::uint8_t> frame)
{
    IpPayload ip;
    if (frame.size() < kEthernetHeader)
        return ip;
    const std::uint16_t type = Be16(frame, 12);
    const auto packet = frame.subspan(kEthernetHeader);
    if (type == ETH_P_IP && packet.size() >= 20) {
        const std::size_t headerSize = std::size_t(packet[0] & 0x0f) * 4;
        if (headerSize < 20 || packet.size() < headerSize)
            return ip;
        ip.family = AF_INET;
        ip.protocol = packet[9];
        ip.header = packet.first(headerSize);
        ip.payload = packet.subspan(headerSize);
    } else if (type == ETH_P_IPV6 && packet.size() >= kIPv6Header) {
        ip.family = AF_INET6;
        ip.protocol = packet[6];
        ip.header = packet.first(kIPv6Header);
        ip.payload = packet.subspan(kIPv6Header);
    }
    return ip;
}

} // namespace

FrameSender ClassifyFrame(std::span<const std::uint8_t> frame)
{
    const IpPayload ip = Unwrap(frame);
    if (ip.family == AF_UNSPEC || ip.payload.empty())
        return FrameSender::Kernel;
    if (ip.protocol == kUdp)
        return FrameSender::Program;
    if (ip.family == AF_INET && ip.protocol == kIcmp)
        return ip.payload[0] == kIcmpEchoRequest ? FrameSender::Program : FrameSender::Kernel;
    if (ip.family == AF_INET6 && ip.protocol == kIcmpv6)
        return ip.payload[0] == kIcmpv6EchoRequest ? FrameSender::Program : FrameSender::Kernel;
    // Group membership reports (IGMP; listener reports behind IPv6's hop-by-hop header) are the
    // kernel's; anything else would be the program's, although it sends nothing else.
    const bool membership = (ip.family == AF_INET && ip.protocol == kIgmp) ||
                            (ip.family == AF_INET6 && ip.protocol == kIPv6HopByHop);
    return ip.protocol == kIcmp || ip.protocol == kIcmpv6 || membership ? FrameSender::Kernel
                                                                        : FrameSender::Program;
}

LinkCapture::~LinkCapture()
{
    Stop();
}

QString LinkCapture::Start()
{
    Stop();
    int error = 0;
    const QString why = RunOnDevicesSide([&] {
        m_ifIndex = int(::if_nametoindex("lab0"));
        m_fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, htons(ETH_P_ALL));
        if (m_fd < 0 || m_ifIndex == 0) {
            error = m_ifIndex == 0 ? ENODEV : errno;
            return;
        }
        // The devices side's own frames would only fill the queue.
        const int one = 1;
        ::setsockopt(m_fd, SOL_PACKET, PACKET_IGNORE_OUTGOING, &one, sizeof one);
        const int bytes = 8 * 1024 * 1024;
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes);
        sockaddr_ll link{};
        link.sll_family = AF_PACKET;
        link.sll_protocol = htons(ETH_P_ALL);
        link.sll_ifindex = m_ifIndex;
        if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&link), sizeof link) != 0)
            error = errno;
    });
    if (!why.isEmpty() || error != 0) {
        Stop();
        return why.isEmpty() ? QStringLiteral("no capture on the devices side: %1")
                                   .arg(QString::fromLocal8Bit(std::strerror(error)))
                             : why;
    }
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    m_thread = std::thread([this] { Run(); });
    return {};
}

void LinkCapture::Stop()
{
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_stopFd, &one, sizeof one);
        m_thread.join();
    }
    for (int* fd : {&m_fd, &m_stopFd}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void LinkCapture::Run()
{
    std::vector<std::uint8_t> frame(65536);
    for (;;) {
        std::array<pollfd, 2> fds{{{m_fd, POLLIN, 0}, {m_stopFd, POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents != 0)
            return;
        for (;;) {
            sockaddr_ll from{};
            socklen_t length = sizeof from;
            const ssize_t got = ::recvfrom(m_fd, frame.data(), frame.size(), MSG_DONTWAIT,
                                           reinterpret_cast<sockaddr*>(&from), &length);
            if (got < 0)
                break;
            if (from.sll_pkttype != PACKET_OUTGOING)
                Take(std::span<const std::uint8_t>(frame.data(), std::size_t(got)));
        }
        tpacket_stats stats{};
        socklen_t size = sizeof stats;
        if (::getsockopt(m_fd, SOL_PACKET, PACKET_STATISTICS, &stats, &size) == 0)
            m_dropped += stats.tp_drops; // the kernel resets them as they are read
    }
}

void LinkCapture::Take(std::span<const std::uint8_t> frame)
{
    const FrameSender sender = ClassifyFrame(frame);
    const IpPayload ip = Unwrap(frame);
    std::lock_guard lock(m_mutex);
    if (sender == FrameSender::Kernel) {
        ++m_counts.kernelFrames;
        return;
    }
    if (ip.protocol != kUdp) {
        ++m_counts.programEchoes;
        return;
    }
    ++m_counts.programDatagrams;
    if (ip.payload.size() < kUdpHeader || Be16(ip.payload, 2) != DiscoveryChannels::kCameraSearchPort)
        return;
    const auto data = ip.payload.subspan(kUdpHeader);
    if (data.empty() || data[0] != std::uint8_t(PacketOpcode::Search))
        return;
    if (ip.family == AF_INET && data.size() == kSearchSize && !m_tag) {
        ClientTag tag{};
        std::copy_n(data.begin() + 1, tag.size(), tag.begin());
        m_tag = tag;
    } else if (ip.family == AF_INET6 && data.size() == kIPv6SearchSize && !m_ipv6Sender) {
        sockaddr_in6 sender{};
        sender.sin6_family = AF_INET6;
        std::copy_n(ip.header.begin() + 8, 16, sender.sin6_addr.s6_addr);
        sender.sin6_port = htons(Be16(ip.payload, 0));
        sender.sin6_scope_id = std::uint32_t(m_ifIndex);
        m_ipv6Sender = sender;
    }
}

LinkCapture::Counts LinkCapture::Taken() const
{
    std::lock_guard lock(m_mutex);
    return m_counts;
}

std::uint64_t LinkCapture::Dropped() const
{
    return m_dropped;
}

std::optional<ClientTag> LinkCapture::SearchTag() const
{
    std::lock_guard lock(m_mutex);
    return m_tag;
}

std::optional<sockaddr_in6> LinkCapture::IPv6SearchSender() const
{
    std::lock_guard lock(m_mutex);
    return m_ipv6Sender;
}

} // namespace Netrove
