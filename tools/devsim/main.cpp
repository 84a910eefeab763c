// netrove-devsim: cameras and recorders that answer Netrove's searches and setting requests, for
// the lab only (tools/netlab). Usage and device-file format: doc/devsim.md.

#include "tools/devsim/DeviceResponder.h"
#include "tools/devsim/NetnsGuard.h"
#include "tools/devsim/OnvifResponder.h"
#include "tools/devsim/SimDevice.h"
#include "tools/devsim/SimLog.h"
#include "tools/devsim/WsDiscoverySockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

using namespace Netrove::DevSim;
using Clock = std::chrono::steady_clock;

namespace {

constexpr std::uint16_t kCameraPort = 7701;
constexpr std::uint16_t kCameraReplyPort = 7711;
constexpr std::uint16_t kRecorderPort = 7603;
constexpr std::uint16_t kRecorderReplyPort = 7613;
constexpr const char* kIPv6Group = "ff02::1111";
constexpr int kUsageError = 2;
constexpr int kRefused = 3;

volatile sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

struct Options
{
    std::string deviceFile;
    std::string logPath;
    DeviceCounts counts;
    int burst = 0;
    std::vector<std::string> faults;
    double exitAfter = 0;
    bool allowHostNetns = false;
    std::optional<unsigned> seed;
};

void PrintUsage()
{
    std::fputs("usage: netrove-devsim [--devices FILE] [--cameras N] [--recorders N] [--ipv6-cameras N]\n"
               "                      [--burst N] [--ip ADDRESS] [--fault KEY=VALUE]... [--log FILE]\n"
               "                      [--exit-after SECONDS]\n"
               "                      [--seed N] [--allow-host-netns]\n"
               "Runs only inside a lab namespace (tools/netlab); see doc/devsim.md.\n",
               stderr);
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* {
            return i + 1 < argc ? argv[++i] : nullptr;
        };
        auto count = [&](int& out) {
            const char* v = value();
            char* end = nullptr;
            const long n = v ? std::strtol(v, &end, 10) : -1;
            if (!v || *end != '\0' || n < 0 || n > 100000)
                return false;
            out = static_cast<int>(n);
            return true;
        };
        bool ok = true;
        if (arg == "--devices") {
            const char* v = value();
            ok = v != nullptr;
            if (ok)
                options.deviceFile = v;
        } else if (arg == "--log") {
            const char* v = value();
            ok = v != nullptr;
            if (ok)
                options.logPath = v;
        } else if (arg == "--cameras") {
            ok = count(options.counts.cameras);
        } else if (arg == "--recorders") {
            ok = count(options.counts.recorders);
        } else if (arg == "--ipv6-cameras") {
            ok = count(options.counts.ipv6Cameras);
        } else if (arg == "--burst") {
            ok = count(options.burst);
        } else if (arg == "--ip") {
            const char* v = value();
            ok = v != nullptr;
            if (ok)
                options.counts.ip = v;
        } else if (arg == "--fault") {
            const char* v = value();
            ok = v != nullptr;
            if (ok)
                options.faults.emplace_back(v);
        } else if (arg == "--exit-after") {
            const char* v = value();
            char* end = nullptr;
            options.exitAfter = v ? std::strtod(v, &end) : -1;
            ok = v && *end == '\0' && options.exitAfter > 0;
        } else if (arg == "--seed") {
            int seed = 0;
            ok = count(seed);
            options.seed = static_cast<unsigned>(seed);
        } else if (arg == "--allow-host-netns") {
            options.allowHostNetns = true;
        } else if (arg == "--help" || arg == "-h") {
            PrintUsage();
            std::exit(0);
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr, "netrove-devsim: bad or incomplete option '%s'\n", arg.c_str());
            return false;
        }
    }
    return true;
}

bool LoadDevices(const Options& options, std::vector<SimDevice>& devices)
{
    if (!options.deviceFile.empty()) {
        std::ifstream in(options.deviceFile);
        if (!in) {
            std::fprintf(stderr, "netrove-devsim: cannot read %s\n", options.deviceFile.c_str());
            return false;
        }
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            ParsedLine parsed = ParseDeviceLine(line);
            if (!parsed.error.empty()) {
                std::fprintf(stderr, "netrove-devsim: %s:%d: %s\n", options.deviceFile.c_str(), number,
                             parsed.error.c_str());
                return false;
            }
            if (parsed.device)
                devices.push_back(std::move(*parsed.device));
        }
    }
    for (SimDevice& device : GenerateDevices(options.counts, static_cast<int>(devices.size())))
        devices.push_back(std::move(device));
    // Burst devices: plain cameras with every answer sent at once.
    DeviceCounts burst;
    burst.cameras = options.burst;
    burst.ip = options.counts.ip;
    for (SimDevice& device : GenerateDevices(burst, 0x10000)) {
        device.model = "NC-BURST";
        devices.push_back(std::move(device));
    }
    for (const std::string& fault : options.faults) {
        const std::size_t eq = fault.find('=');
        std::string error = "expected KEY=VALUE";
        for (SimDevice& device : devices) {
            if (eq == std::string::npos ||
                !ApplyFaultKey(device.faults, fault.substr(0, eq), fault.substr(eq + 1), error)) {
                std::fprintf(stderr, "netrove-devsim: --fault %s: %s\n", fault.c_str(), error.c_str());
                return false;
            }
        }
    }
    return true;
}

// A socket that is closed with its owner.
class Socket final
{
public:
    Socket() = default;
    explicit Socket(int fd)
        : m_fd(fd)
    {}
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd = -1;
};

void Tune(int fd)
{
    const int on = 1;
    // Large buffers: a burst of a thousand answers must not block or drop here.
    const int buffer = 8 << 20;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    ::setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    if (::setsockopt(fd, SOL_SOCKET, SO_SNDBUFFORCE, &buffer, sizeof buffer) != 0)
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof buffer);
    if (::setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &buffer, sizeof buffer) != 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

int OpenIPv4(std::uint16_t port)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return -1;
    Tune(fd);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Joins the search group on every interface of this side, so a search arrives whichever link
// the requester chose.
int OpenIPv6(std::uint16_t port, int& joined)
{
    const int fd = ::socket(AF_INET6, SOCK_DGRAM, 0);
    if (fd < 0)
        return -1;
    Tune(fd);
    const int on = 1;
    ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    sockaddr_in6 local{};
    local.sin6_family = AF_INET6;
    local.sin6_port = htons(port);
    local.sin6_addr = in6addr_any;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    joined = 0;
    if (struct if_nameindex* names = ::if_nameindex()) {
        for (struct if_nameindex* n = names; n->if_index != 0; ++n) {
            ipv6_mreq group{};
            ::inet_pton(AF_INET6, kIPv6Group, &group.ipv6mr_multiaddr);
            group.ipv6mr_interface = n->if_index;
            if (::setsockopt(fd, IPPROTO_IPV6, IPV6_JOIN_GROUP, &group, sizeof group) == 0)
                ++joined;
        }
        ::if_freenameindex(names);
    }
    return fd;
}

std::string AddressText(const sockaddr_storage& address)
{
    char text[INET6_ADDRSTRLEN + IF_NAMESIZE + 16] = {};
    if (address.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(address);
        char ip[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &a.sin_addr, ip, sizeof ip);
        std::snprintf(text, sizeof text, "%s:%u", ip, ntohs(a.sin_port));
    } else if (address.ss_family == AF_INET6) {
        const auto& a = reinterpret_cast<const sockaddr_in6&>(address);
        char ip[INET6_ADDRSTRLEN] = {};
        char scope[IF_NAMESIZE] = {};
        ::inet_ntop(AF_INET6, &a.sin6_addr, ip, sizeof ip);
        if (a.sin6_scope_id != 0 && ::if_indextoname(a.sin6_scope_id, scope))
            std::snprintf(text, sizeof text, "[%s%%%s]:%u", ip, scope, ntohs(a.sin6_port));
        else
            std::snprintf(text, sizeof text, "[%s]:%u", ip, ntohs(a.sin6_port));
    }
    return text;
}

struct Pending
{
    int fd = -1;
    sockaddr_storage to{};
    socklen_t toLength = 0;
    std::vector<std::uint8_t> bytes;
    std::size_t device = 0;
};

double NowMs(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        PrintUsage();
        return kUsageError;
    }
    // Searches and setting requests are broadcast: answering them on a real network would put
    // made-up devices in front of every installer there.
    std::string why;
    if (!options.allowHostNetns && !InLabNetworkNamespace(why)) {
        std::fprintf(stderr,
                     "netrove-devsim: refusing to run: %s; start it on the devices side of a lab "
                     "(tools/netlab exec NAME devices ...)\n",
                     why.c_str());
        return kRefused;
    }

    std::vector<SimDevice> devices;
    if (!LoadDevices(options, devices))
        return kUsageError;
    const OnvifResponder onvif(devices);
    DeviceResponder responder(std::move(devices));

    JsonLog log;
    if (!options.logPath.empty() && !log.Open(options.logPath)) {
        std::fprintf(stderr, "netrove-devsim: cannot open log %s: %s\n", options.logPath.c_str(),
                     std::strerror(errno));
        return 1;
    }

    Socket camera(OpenIPv4(kCameraPort));
    Socket recorder(OpenIPv4(kRecorderPort));
    int joined = 0;
    Socket ipv6(OpenIPv6(kCameraPort, joined));
    if (camera.fd() < 0 || recorder.fd() < 0) {
        std::fprintf(stderr, "netrove-devsim: cannot bind UDP %u and %u: %s\n", kCameraPort, kRecorderPort,
                     std::strerror(errno));
        return 1;
    }
    if (ipv6.fd() < 0 || joined == 0)
        std::fputs("netrove-devsim: warning: no IPv6 search group joined; IPv6 cameras stay silent\n",
                   stderr);
    // WS-Discovery on 3702, for each family that has a device answering over it.
    std::array<int, 2> wsdJoined{};
    Socket wsd(onvif.AnswersOver(false) ? OpenWsDiscovery(false, wsdJoined[0]) : -1);
    Socket wsd6(onvif.AnswersOver(true) ? OpenWsDiscovery(true, wsdJoined[1]) : -1);
    if ((onvif.AnswersOver(false) && wsd.fd() < 0) || (onvif.AnswersOver(true) && wsd6.fd() < 0)) {
        std::fprintf(stderr, "netrove-devsim: cannot bind UDP 3702: %s\n", std::strerror(errno));
        return 1;
    }

    sigset_t blocked;
    sigset_t waitMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    struct sigaction action
    {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    std::mt19937 random(options.seed ? *options.seed : std::random_device{}());
    const Clock::time_point start = Clock::now();
    const auto deadline = options.exitAfter > 0
                              ? start + std::chrono::duration_cast<Clock::duration>(
                                            std::chrono::duration<double>(options.exitAfter))
                              : Clock::time_point::max();
    std::multimap<Clock::time_point, Pending> queue;

    // Times in the log ("t") count from `start`. steady_clock is CLOCK_MONOTONIC, which every
    // network namespace shares: a program on the host side of the lab adds monotonic_ms to a "t"
    // to place it on its own clock.
    char zero[32];
    std::snprintf(zero, sizeof zero, "%.3f",
                  std::chrono::duration<double, std::milli>(start.time_since_epoch()).count());
    log.Write("{\"event\":\"ready\",\"pid\":" + std::to_string(::getpid()) + ",\"devices\":" +
              std::to_string(responder.Devices().size()) + ",\"ipv6_groups\":" + std::to_string(joined) +
              ",\"onvif_groups\":" + std::to_string(wsdJoined[0] + wsdJoined[1]) +
              ",\"monotonic_ms\":" + zero + "}");
    std::fprintf(stderr, "netrove-devsim: ready, %zu devices\n", responder.Devices().size());

    struct Endpoint
    {
        int fd;
        Channel channel;
        bool wsDiscovery = false;
    };
    const std::array<Endpoint, 5> endpoints{{{camera.fd(), Channel::Camera},
                                             {recorder.fd(), Channel::Recorder},
                                             {ipv6.fd(), Channel::IPv6},
                                             {wsd.fd(), Channel::Camera, true},
                                             {wsd6.fd(), Channel::IPv6, true}}};
    // Hellos when the devices come up, Byes when they go.
    const auto announce = [&](bool bye) {
        for (const auto& [fd, overIpv6] : {std::pair{wsd.fd(), false}, std::pair{wsd6.fd(), true}}) {
            for (const Answer& announcement : onvif.Announcements(bye, overIpv6, random)) {
                const int error = MulticastToGroup(fd, overIpv6, announcement.bytes);
                log.Write(AnnouncementLine(NowMs(start), overIpv6, announcement.bytes.size(), bye, error));
            }
        }
    };
    announce(false);
    std::vector<std::uint8_t> buffer(65536);

    while (!g_stop) {
        Clock::time_point now = Clock::now();
        if (now >= deadline)
            break;
        Clock::time_point wake = deadline;
        if (!queue.empty() && queue.begin()->first < wake)
            wake = queue.begin()->first;
        // An answer already overdue (the loop fell behind its schedule) is due at once.
        const auto wait = std::max(std::chrono::nanoseconds::zero(),
                                   std::chrono::duration_cast<std::chrono::nanoseconds>(wake - now));
        timespec timeout{};
        const bool forever = wake == Clock::time_point::max();
        if (!forever) {
            timeout.tv_sec = static_cast<time_t>(wait.count() / 1000000000);
            timeout.tv_nsec = static_cast<long>(wait.count() % 1000000000);
        }
        std::array<pollfd, endpoints.size()> polls{};
        for (std::size_t i = 0; i < endpoints.size(); ++i)
            polls[i] = {endpoints[i].fd, POLLIN, 0};
        const int ready = ::ppoll(polls.data(), polls.size(), forever ? nullptr : &timeout, &waitMask);
        if (ready < 0 && errno != EINTR) {
            std::perror("netrove-devsim: ppoll");
            return 1;
        }

        for (std::size_t i = 0; ready > 0 && i < endpoints.size(); ++i) {
            if (!(polls[i].revents & POLLIN))
                continue;
            for (;;) {
                sockaddr_storage from{};
                socklen_t fromLength = sizeof from;
                const ssize_t n = ::recvfrom(endpoints[i].fd, buffer.data(), buffer.size(), MSG_TRUNC,
                                             reinterpret_cast<sockaddr*>(&from), &fromLength);
                if (n < 0)
                    break;
                const std::size_t realSize = static_cast<std::size_t>(n);
                const std::span<const std::uint8_t> datagram(buffer.data(),
                                                             std::min(realSize, buffer.size()));
                // WS-Discovery answers go back to the prober's own address and port.
                if (endpoints[i].wsDiscovery) {
                    const bool overIpv6 = endpoints[i].channel == Channel::IPv6;
                    Handling handling = onvif.Handle(datagram, overIpv6, random);
                    log.Write(OnvifReceivedLine(NowMs(start), overIpv6, AddressText(from), datagram, realSize,
                                                handling));
                    for (Answer& answer : handling.answers)
                        queue.emplace(Clock::now() + std::chrono::milliseconds(answer.delayMs),
                                      Pending{endpoints[i].fd, from, fromLength, std::move(answer.bytes),
                                              answer.device});
                    continue;
                }
                const Channel channel = endpoints[i].channel;
                Handling handling = responder.Handle(channel, datagram, random, NowMs(start));
                log.Write(
                    ReceivedLine(NowMs(start), channel, AddressText(from), datagram, realSize, handling));

                // Where the answers go: IPv4 to the channel's reply port of the requester, IPv6
                // back to the requester's own address and port.
                Pending target;
                target.fd = endpoints[i].fd;
                target.to = from;
                target.toLength = fromLength;
                if (channel != Channel::IPv6)
                    reinterpret_cast<sockaddr_in&>(target.to).sin_port =
                        htons(channel == Channel::Camera ? kCameraReplyPort : kRecorderReplyPort);
                const Clock::time_point received = Clock::now();
                for (Answer& answer : handling.answers) {
                    Pending pending = target;
                    pending.bytes = std::move(answer.bytes);
                    pending.device = answer.device;
                    queue.emplace(received + std::chrono::milliseconds(answer.delayMs), std::move(pending));
                }
            }
        }

        // Everything due leaves in one tight loop; the lines are written afterwards so that a
        // burst is not slowed by the log.
        now = Clock::now();
        std::vector<std::string> lines;
        const Clock::time_point sendStart = Clock::now();
        while (!queue.empty() && queue.begin()->first <= now) {
            Pending pending = std::move(queue.begin()->second);
            queue.erase(queue.begin());
            ssize_t sent = -1;
            for (int attempt = 0; attempt < 1000; ++attempt) {
                sent = ::sendto(pending.fd, pending.bytes.data(), pending.bytes.size(), 0,
                                reinterpret_cast<const sockaddr*>(&pending.to), pending.toLength);
                if (sent >= 0 || (errno != EAGAIN && errno != ENOBUFS))
                    break;
                pollfd out{pending.fd, POLLOUT, 0};
                ::poll(&out, 1, 10);
            }
            const int sendError = sent < 0 ? errno : 0;
            const double sentMs = NowMs(start);
            const SimDevice& device = responder.Devices()[pending.device];
            char time[32];
            std::snprintf(time, sizeof time, "%.3f", sentMs);
            std::string line = "{\"event\":\"sent\",\"t\":" + std::string(time) +
                               ",\"to\":" + JsonString(AddressText(pending.to)) +
                               ",\"size\":" + std::to_string(pending.bytes.size()) +
                               ",\"mac\":" + JsonString(device.mac);
            if (sent < 0)
                line += ",\"error\":" + JsonString(std::strerror(sendError));
            lines.push_back(line + "}");
        }
        if (!lines.empty()) {
            const double elapsed =
                std::chrono::duration<double, std::milli>(Clock::now() - sendStart).count();
            for (const std::string& line : lines)
                log.Write(line);
            char summary[160];
            std::snprintf(
                summary, sizeof summary, "{\"event\":\"batch\",\"t\":%.3f,\"count\":%zu,\"elapsed_ms\":%.3f}",
                std::chrono::duration<double, std::milli>(sendStart - start).count(), lines.size(), elapsed);
            log.Write(summary);
        }
    }
    announce(true);
    log.Write("{\"event\":\"stopped\"}");
    return 0;
}
