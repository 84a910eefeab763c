#pragma once

// Every frame that reaches the devices side's end of the lab's link from the host side, counted by
// who sent it: the program (UDP datagrams, ICMP echo requests: searches, setting requests and the
// free address probes) or the host's kernel (ARP, neighbour discovery, multicast listener reports,
// ICMP errors). What the devices side sends itself is not seen. Read on a thread of its own from a
// packet socket, so that it hears what the window sends while the window is busy.

#include "discovery/PacketTypes.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <thread>

#include <netinet/in.h>

namespace Netrove {

enum class FrameSender
{
    Program,
    Kernel,
};

// Who sent an Ethernet frame that came from the host side.
FrameSender ClassifyFrame(std::span<const std::uint8_t> frame);

class LinkCapture final
{
public:
    struct Counts
    {
        int programDatagrams = 0; // UDP
        int programEchoes = 0;    // ICMP and ICMPv6 echo requests
        int kernelFrames = 0;
        int Program() const { return programDatagrams + programEchoes; }
    };

    LinkCapture() = default;
    ~LinkCapture();
    LinkCapture(const LinkCapture&) = delete;
    LinkCapture& operator=(const LinkCapture&) = delete;

    // Empty once it listens; otherwise why it cannot.
    QString Start();
    void Stop();

    Counts Taken() const;
    // Frames the capture itself had to drop: while this is 0, every frame was counted.
    std::uint64_t Dropped() const;
    // The tag of the first IPv4 camera search heard.
    std::optional<ClientTag> SearchTag() const;
    // Where the first IPv6 search came from (the window's IPv6 socket), with the scope of the
    // devices side's end of the link.
    std::optional<sockaddr_in6> IPv6SearchSender() const;

private:
    void Run();
    void Take(std::span<const std::uint8_t> frame);

    int m_fd = -1;
    int m_stopFd = -1;
    int m_ifIndex = 0;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    Counts m_counts;
    std::optional<ClientTag> m_tag;
    std::optional<sockaddr_in6> m_ipv6Sender;
    std::atomic<std::uint64_t> m_dropped{0};
};

} // namespace Netrove
