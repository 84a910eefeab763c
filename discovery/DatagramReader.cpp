#include "discovery/DatagramReader.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace Netrove {

namespace {

// One socket's share of a round, so that a flood on one socket does not starve the others.
constexpr unsigned kPerCall = DatagramReader::kReceivesPerCall;
constexpr int kPerRound = 1024;
// Below this many datagrams in a round the answers trickle in, and the reader waits a moment before
// it looks again. Even the smallest receive queue holds far more than arrives meanwhile.
constexpr int kTrickle = 64;
constexpr std::chrono::microseconds kGatherTime{1000};

void Signal(int eventFd)
{
    if (eventFd < 0)
        return;
    const std::uint64_t one = 1;
    // A full counter already wakes the reader; nothing else can go wrong here.
    [[maybe_unused]] const ssize_t written = ::write(eventFd, &one, sizeof(one));
}

void Consume(int eventFd)
{
    std::uint64_t value = 0;
    [[maybe_unused]] const ssize_t got = ::read(eventFd, &value, sizeof(value));
}

// Room for the drop counter and the arrival adapter (IP_PKTINFO or IPV6_PKTINFO) of one datagram.
constexpr std::size_t kControlBytes =
    CMSG_SPACE(sizeof(std::uint32_t)) + CMSG_SPACE(std::max(sizeof(in_pktinfo), sizeof(in6_pktinfo)));

// The drop counter the kernel stamps on a datagram when the socket asked for it.
bool ReadDropCount(msghdr& header, std::uint32_t& drops)
{
    for (cmsghdr* c = CMSG_FIRSTHDR(&header); c != nullptr; c = CMSG_NXTHDR(&header, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SO_RXQ_OVFL &&
            c->cmsg_len >= CMSG_LEN(sizeof(std::uint32_t))) {
            std::memcpy(&drops, CMSG_DATA(c), sizeof(drops));
            return true;
        }
    }
    return false;
}

} // namespace

DatagramReader::DatagramReader(Deliver deliver)
    : m_deliver(std::move(deliver))
    , m_controlFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{}

DatagramReader::~DatagramReader()
{
    Stop();
    if (m_controlFd >= 0)
        ::close(m_controlFd);
}

void DatagramReader::Wake()
{
    Signal(m_controlFd);
}

void DatagramReader::Watch(int slot, int fd, std::size_t bufferSize, bool trimmed)
{
    if (slot < 0 || slot >= kSlots || m_controlFd < 0)
        return;
    std::lock_guard control(m_controlMutex);
    // The thread reads the socket list without a lock; it is changed only while no thread runs.
    if (m_thread.joinable()) {
        m_stop = true;
        Wake();
        m_thread.join();
    }
    Slot& s = m_slots[static_cast<std::size_t>(slot)];
    s.fd = fd;
    s.bufferSize = bufferSize;
    s.trimmed = trimmed;
    m_stop = false;
    Consume(m_controlFd);
    m_thread = std::thread(&DatagramReader::Run, this);
}

void DatagramReader::Stop()
{
    std::lock_guard control(m_controlMutex);
    if (m_thread.joinable()) {
        m_stop = true;
        Wake();
        m_thread.join();
    }
    // No thread runs now: the cache and the waiting datagrams are ours to clear, and sockets opened
    // later start afresh.
    m_adapters.Clear();
    for (Slot& s : m_slots) {
        s.fd = -1;
        s.waiting.clear();
        s.waitingBytes = 0;
        s.pendingError = 0;
        s.handedOver = false;
        s.anyWaiting = false;
        // New sockets count their drops from 0.
        s.kernelDrops = 0;
        s.queueDrops = 0;
    }
}

void DatagramReader::Taken(int slot)
{
    if (slot < 0 || slot >= kSlots)
        return;
    Slot& s = m_slots[static_cast<std::size_t>(slot)];
    s.handedOver = false;
    // The reader hands over what came meanwhile itself, unless it is waiting for this: answers that
    // trickle in then cost no extra wake-up each.
    if (s.anyWaiting)
        Wake();
}

void DatagramReader::ForgetAdapters()
{
    m_forgetAdapters = true;
}

void DatagramReader::SetPaused(bool paused)
{
    m_paused = paused;
    Wake();
}

std::uint64_t DatagramReader::KernelDrops(int slot) const
{
    if (slot < 0 || slot >= kSlots)
        return 0;
    return m_slots[static_cast<std::size_t>(slot)].kernelDrops.load();
}

std::uint64_t DatagramReader::QueueDrops(int slot) const
{
    if (slot < 0 || slot >= kSlots)
        return 0;
    return m_slots[static_cast<std::size_t>(slot)].queueDrops.load();
}

void DatagramReader::HandOver(int slot)
{
    Slot& s = m_slots[static_cast<std::size_t>(slot)];
    s.anyWaiting = !s.waiting.empty() || s.pendingError != 0;
    if (s.handedOver || !s.anyWaiting)
        return;
    const auto count = static_cast<std::ptrdiff_t>(std::min(s.waiting.size(), kBatchLimit));
    std::vector<ReceivedDatagram> batch(std::make_move_iterator(s.waiting.begin()),
                                        std::make_move_iterator(s.waiting.begin() + count));
    for (const ReceivedDatagram& datagram : batch)
        s.waitingBytes -= datagram.buffer.size();
    s.waiting.erase(s.waiting.begin(), s.waiting.begin() + count);
    s.handedOver = true;
    const int error = std::exchange(s.pendingError, 0);
    s.anyWaiting = !s.waiting.empty();
    m_deliver(slot, std::move(batch), error);
}

void DatagramReader::Run()
{
    std::array<pollfd, kSlots + 1> fds{};
    std::array<Slot*, kSlots + 1> slotOf{};
    // A socket that failed rests for a moment before it is read again.
    std::array<int, kSlots> restRounds{};
    while (!m_stop) {
        // A batch taken since the last round lets the next one go.
        for (int slot = 0; slot < kSlots; ++slot)
            HandOver(slot);
        nfds_t count = 0;
        fds[count++] = {m_controlFd, POLLIN, 0};
        bool resting = false;
        if (!m_paused) {
            for (std::size_t i = 0; i < m_slots.size(); ++i) {
                if (m_slots[i].fd < 0)
                    continue;
                if (restRounds[i] > 0) {
                    resting = true;
                    continue;
                }
                slotOf[count] = &m_slots[i];
                fds[count++] = {m_slots[i].fd, POLLIN, 0};
            }
        }
        const int ready = ::poll(fds.data(), count, resting ? 20 : -1);
        int readThisRound = 0;
        for (int& rest : restRounds)
            rest = rest > 0 ? rest - 1 : 0;
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[0].revents & POLLIN)
            Consume(m_controlFd);
        for (nfds_t i = 1; i < count; ++i) {
            if (fds[i].revents == 0)
                continue;
            Slot& slot = *slotOf[i];
            if (fds[i].revents & POLLERR) {
                int pending = 0;
                socklen_t length = sizeof(pending);
                if (::getsockopt(slot.fd, SOL_SOCKET, SO_ERROR, &pending, &length) == 0 && pending != 0)
                    slot.pendingError = pending;
            }
            bool healthy = true;
            readThisRound += Drain(slot, healthy);
            if (!healthy)
                restRounds[static_cast<std::size_t>(&slot - m_slots.data())] = 5;
        }
        for (int slot = 0; slot < kSlots; ++slot)
            HandOver(slot);
        // Answers that trickle in one by one are gathered for a moment, so that the reader and the
        // window wake once for many of them rather than once for each. A flood is read on at once.
        if (readThisRound > 0 && readThisRound < kTrickle && !m_stop)
            std::this_thread::sleep_for(kGatherTime);
    }
}

int DatagramReader::Drain(Slot& slot, bool& healthy)
{
    // Buffers stay from one call to the next; only those handed over with a datagram are made
    // anew, zero-filled, so that a short datagram's tail reads as zero.
    const std::size_t bufferBytes = slot.bufferSize + 1; // one more shows a longer datagram as truncated
    const unsigned perCall = slot.trimmed ? kTrimmedReceivesPerCall : kPerCall;
    std::array<sockaddr_storage, kPerCall> senders{};
    std::array<iovec, kPerCall> io{};
    std::array<mmsghdr, kPerCall> messages{};
    alignas(cmsghdr) std::array<std::array<char, kControlBytes>, kPerCall> control{};
    for (unsigned i = 0; i < perCall; ++i) {
        if (slot.buffers[i].size() != bufferBytes)
            slot.buffers[i].assign(bufferBytes, 0);
    }

    // An adapter renamed or given another address since is asked for again.
    if (m_forgetAdapters.exchange(false))
        m_adapters.Clear();

    healthy = true;
    int taken = 0;
    const auto keep = [&slot](ReceivedDatagram&& datagram) {
        if (slot.waiting.size() >= kQueueLimit ||
            (slot.trimmed && slot.waitingBytes + datagram.buffer.size() > kTrimmedBytesLimit)) {
            ++slot.queueDrops;
            return;
        }
        slot.waitingBytes += datagram.buffer.size();
        slot.waiting.push_back(std::move(datagram));
    };
    while (taken < kPerRound) {
        for (unsigned i = 0; i < perCall; ++i) {
            io[i] = {slot.buffers[i].data(), slot.buffers[i].size()};
            messages[i] = {};
            messages[i].msg_hdr.msg_name = &senders[i];
            messages[i].msg_hdr.msg_namelen = sizeof(senders[i]);
            messages[i].msg_hdr.msg_iov = &io[i];
            messages[i].msg_hdr.msg_iovlen = 1;
            messages[i].msg_hdr.msg_control = control[i].data();
            messages[i].msg_hdr.msg_controllen = control[i].size();
        }
        const int received = ::recvmmsg(slot.fd, messages.data(), perCall, MSG_DONTWAIT, nullptr);
        if (received < 0) {
            const int error = errno;
            if (error != EAGAIN && error != EWOULDBLOCK && error != EINTR) {
                ReceivedDatagram failed;
                failed.error = error;
                keep(std::move(failed));
                healthy = false;
            }
            break;
        }
        for (int i = 0; i < received; ++i) {
            const auto at = static_cast<std::size_t>(i);
            msghdr& header = messages[at].msg_hdr;
            std::uint32_t drops = 0;
            if (ReadDropCount(header, drops) && drops > slot.kernelDrops.load())
                slot.kernelDrops = drops;
            ReceivedDatagram datagram;
            // Only what this receive wrote of the sender counts, not what an earlier one left.
            const std::size_t nameLength =
                std::min<std::size_t>(header.msg_namelen, sizeof(sockaddr_storage));
            std::memcpy(&datagram.from, &senders[at], nameLength);
            datagram.family = nameLength > 0 ? datagram.from.ss_family : AF_UNSPEC;
            if (const auto arrival = ReadArrivalKey(header))
                datagram.arrival = m_adapters.Find(*arrival);
            const std::size_t length = messages[at].msg_len;
            std::vector<std::uint8_t>& buffer = slot.buffers[at];
            if ((header.msg_flags & MSG_TRUNC) || length > slot.bufferSize) {
                // Longer than any reply of this channel: not a device's answer.
                datagram.error = EMSGSIZE;
                std::fill(buffer.begin(), buffer.end(), 0);
            } else if (slot.trimmed) {
                // The buffer stays for the next receive; what is left in it past a shorter datagram
                // is never handed over.
                datagram.buffer.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
                datagram.size = length;
            } else {
                datagram.buffer = std::move(buffer);
                datagram.buffer.resize(slot.bufferSize);
                datagram.size = length;
                buffer.assign(bufferBytes, 0);
            }
            keep(std::move(datagram));
        }
        taken += received;
        if (received < static_cast<int>(perCall))
            break;
    }
    return taken;
}

} // namespace Netrove
