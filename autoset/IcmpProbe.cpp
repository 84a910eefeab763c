#include "autoset/IcmpProbe.h"

#include "autoset/Ipv4SocketAddress.h"
#include "discovery/SocketHandle.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

namespace Netrove {

namespace {

using Clock = std::chrono::steady_clock;

// Room for any reply to our 12-byte request, with the largest IPv4 header.
constexpr std::size_t kReceiveBufferSize = 1024;

struct ProbeSocket
{
    SocketHandle handle;
    IcmpSocketKind kind = IcmpSocketKind::Raw;
};

std::optional<ProbeSocket> OpenProbeSocket()
{
    SocketHandle raw(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (raw.valid())
        return ProbeSocket{std::move(raw), IcmpSocketKind::Raw};
    SocketHandle ping(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (ping.valid())
        return ProbeSocket{std::move(ping), IcmpSocketKind::Datagram};
    return std::nullopt;
}

// "sendto error : : <the system's text>" and the like.
void WriteDiagnostic(const char* what, int error)
{
    std::fprintf(stderr, "%s: %s\n", what, std::strerror(error));
}

// Reads what arrives until the candidate's echo reply comes or the deadline passes; other ICMP
// traffic that the socket sees in the meantime is passed over.
bool AwaitEchoReply(const ProbeSocket& probe, const Ipv4Octets& candidate, std::uint16_t identifier)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(IcmpProber::kWaitMs);
    std::array<std::uint8_t, kReceiveBufferSize> buffer{};
    for (;;) {
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0) {
            WriteDiagnostic("recvfrom error : ", EAGAIN);
            return false;
        }
        pollfd ready{probe.handle.get(), POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(remaining.count()));
        if (polled < 0 && errno != EINTR) {
            WriteDiagnostic("recvfrom error : ", errno);
            return false;
        }
        if (polled <= 0)
            continue;
        sockaddr_in from{};
        socklen_t fromSize = sizeof(from);
        const ssize_t received = ::recvfrom(probe.handle.get(), buffer.data(), buffer.size(), MSG_DONTWAIT,
                                            reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (received < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)
                continue;
            WriteDiagnostic("recvfrom error : ", errno);
            return false;
        }
        if (from.sin_family != AF_INET)
            continue;
        const std::span<const std::uint8_t> datagram(buffer.data(), static_cast<std::size_t>(received));
        if (IsEchoReplyFrom(datagram, probe.kind, OctetsOf(from), candidate, identifier))
            return true;
    }
}

} // namespace

AddressProber::Result IcmpProber::IsAddressInUse(const Ipv4Octets& candidate)
{
    const std::optional<ProbeSocket> probe = OpenProbeSocket();
    if (!probe)
        return Result::NoSocket;
    const auto identifier = static_cast<std::uint16_t>(::getpid() & 0xFFFF);
    const auto request = BuildEchoRequest(identifier);
    const sockaddr_in to = SocketAddressOf(candidate);
    if (::sendto(probe->handle.get(), request.data(), request.size(), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof(to)) < 0)
        WriteDiagnostic("sendto error : ", errno);
    return AwaitEchoReply(*probe, candidate, identifier) ? Result::InUse : Result::Free;
}

} // namespace Netrove
