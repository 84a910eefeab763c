#include "autoset/IcmpProbe.h"

#include "autoset/Ipv4SocketAddress.h"
#include "autoset/NeighbourTable.h"
#include "autoset/PingCommand.h"
#include "autoset/PingProcesses.h"
#include "discovery/SocketHandle.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>

namespace Netrove {

namespace {

using Clock = std::chrono::steady_clock;
using Result = AddressProber::Result;

static_assert(IcmpProber::kWaitMs == kPingWaitSeconds * 1000, "the ping program waits as the sockets do");

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

bool AllInUse(const std::vector<Result>& results)
{
    return std::all_of(results.begin(), results.end(), [](Result r) { return r == Result::InUse; });
}

// Reads what arrives until every candidate has sent its echo reply or the wait is over, marking
// those that did. Other ICMP traffic that the socket sees meanwhile is passed over, however much
// of it comes: the wait ends on time.
void AwaitEchoReplies(const ProbeSocket& probe, std::span<const Ipv4Octets> candidates,
                      std::uint16_t identifier, std::vector<Result>& results)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(IcmpProber::kWaitMs);
    std::array<std::uint8_t, kReceiveBufferSize> buffer{};
    while (!AllInUse(results)) {
        const auto remaining = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (remaining.count() <= 0) {
            // Candidates that sent no reply: the normal end of a search that finds a free address.
            WriteDiagnostic("recvfrom error : ", EAGAIN);
            return;
        }
        pollfd ready{probe.handle.get(), POLLIN, 0};
        const int polled = ::poll(&ready, 1, static_cast<int>(remaining.count()));
        if (polled < 0 && errno != EINTR) {
            WriteDiagnostic("recvfrom error : ", errno);
            return;
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
            return;
        }
        if (from.sin_family != AF_INET)
            continue;
        const std::span<const std::uint8_t> datagram(buffer.data(), static_cast<std::size_t>(received));
        if (const auto index = MatchEchoReply(datagram, probe.kind, OctetsOf(from), candidates, identifier))
            results[*index] = Result::InUse;
    }
}

// The candidates that sent no echo reply but whose hardware address the kernel now holds.
void MarkResolvedNeighbours(std::span<const Ipv4Octets> candidates, std::vector<Result>& results)
{
    if (AllInUse(results))
        return;
    const std::vector<Ipv4Octets> resolved = ResolvedNeighbours(ReadArpTable());
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (std::find(resolved.begin(), resolved.end(), candidates[i]) != resolved.end())
            results[i] = Result::InUse;
    }
}

} // namespace

std::vector<Result> IcmpProber::Probe(std::span<const Ipv4Octets> candidates)
{
    std::vector<Result> results = PingAll(candidates);
    if (std::find(results.begin(), results.end(), Result::NoSocket) != results.end())
        results = PingWithProgram(candidates);
    // When nothing could ping, nothing was sent, so the kernel asked for no hardware address either.
    if (std::find(results.begin(), results.end(), Result::NoSocket) == results.end())
        MarkResolvedNeighbours(candidates, results);
    return results;
}

std::vector<Result> IcmpProber::PingAll(std::span<const Ipv4Octets> candidates)
{
    const std::optional<ProbeSocket> probe = OpenProbeSocket();
    if (!probe)
        return std::vector<Result>(candidates.size(), Result::NoSocket);
    const auto identifier = static_cast<std::uint16_t>(::getpid() & 0xFFFF);
    const auto request = BuildEchoRequest(identifier);
    for (const Ipv4Octets& candidate : candidates) {
        const sockaddr_in to = SocketAddressOf(candidate);
        if (::sendto(probe->handle.get(), request.data(), request.size(), 0,
                     reinterpret_cast<const sockaddr*>(&to), sizeof(to)) < 0)
            WriteDiagnostic("sendto error : ", errno);
    }
    std::vector<Result> results(candidates.size(), Result::Free);
    AwaitEchoReplies(*probe, candidates, identifier, results);
    return results;
}

std::vector<Result> IcmpProber::PingWithProgram(std::span<const Ipv4Octets> candidates) const
{
    const std::string program = PingProgramPath();
    if (program.empty())
        return std::vector<Result>(candidates.size(), Result::NoSocket);
    std::vector<std::vector<std::string>> argumentLists;
    for (const Ipv4Octets& candidate : candidates)
        argumentLists.push_back(PingArguments(candidate, m_adapter));
    const std::vector<PingOutcome> outcomes =
        RunPingProcesses(program, argumentLists, kWaitMs + kPingProcessGraceMs);
    // A program that cannot open its socket either (started without its capability) fails every
    // time; one that failed now and then counts as a failed send.
    if (std::all_of(outcomes.begin(), outcomes.end(), [](PingOutcome o) { return o == PingOutcome::Failed; }))
        return std::vector<Result>(candidates.size(), Result::NoSocket);
    std::vector<Result> results;
    for (const PingOutcome outcome : outcomes)
        results.push_back(outcome == PingOutcome::Answered ? Result::InUse : Result::Free);
    return results;
}

} // namespace Netrove
