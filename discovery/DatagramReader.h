#pragma once

#include "discovery/ArrivalAdapterCache.h"
#include "discovery/ReceivedDatagram.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace Netrove {

// Drains the receive sockets on a thread of its own into queues that the window empties at its
// own pace. Devices answer a search all at once and never again: whatever the kernel drops while
// the window is busy building itself or painting rows is a device the user never sees. The
// reader only moves datagrams; every decision about them stays with the window's thread.
class DatagramReader final
{
public:
    static constexpr int kSlots = 3;
    // Beyond this many waiting datagrams of one socket, further ones are dropped and counted.
    static constexpr std::size_t kQueueLimit = 65536;
    // How many datagrams one receive call takes at most.
    static constexpr unsigned kReceivesPerCall = 64;

    DatagramReader();
    ~DatagramReader();
    DatagramReader(const DatagramReader&) = delete;
    DatagramReader& operator=(const DatagramReader&) = delete;

    // Reads the socket into the slot's queue from now on, each datagram into a buffer of
    // bufferSize bytes (a longer one fails with EMSGSIZE), and writes 1 to wakeFd (an eventfd)
    // whenever something was queued. The thread starts with the first socket.
    void Watch(int slot, int fd, std::size_t bufferSize, int wakeFd);
    // Stops the thread and forgets every socket and every queued datagram; the sockets stay open.
    void Stop();
    // Adapter names and addresses are asked for anew from the next datagram on, as adapters may
    // have come, gone or changed since.
    void ForgetAdapters();
    // While paused, nothing is read and the kernel's queues fill as they would under a busy window.
    void SetPaused(bool paused);

    // The next queued datagram of the slot; NothingWaiting when there is none. A receive that
    // failed is queued too, as Failed with its error number.
    ReceiveStatus Pop(int slot, ReceivedDatagram& datagram, int& error);
    bool HasQueued(int slot) const;
    // The error the system reported for the slot's socket, cleared by asking; 0 for none.
    int TakePendingError(int slot);
    // Datagrams the kernel dropped on the slot's socket, as its drop counter last reported, and
    // datagrams dropped because the queue was full.
    std::uint64_t KernelDrops(int slot) const;
    std::uint64_t QueueDrops(int slot) const;

private:
    struct Item
    {
        ReceivedDatagram datagram;
        int error = 0;
    };
    struct Slot
    {
        int fd = -1;
        int wakeFd = -1;
        std::size_t bufferSize = 0;
        std::deque<Item> queue; // guarded by m_queueMutex
        std::atomic<std::uint32_t> kernelDrops{0};
        std::atomic<std::uint64_t> queueDrops{0};
        std::atomic<int> pendingError{0};
        // Where the next datagrams are received; touched by the reader thread only.
        std::array<std::vector<std::uint8_t>, kReceivesPerCall> buffers;
    };

    void Run();
    // Reads what is waiting on the slot's socket and gives how many datagrams it read. healthy is
    // false after a receive error other than "nothing waiting", so that a lasting fault cannot keep
    // the thread spinning.
    int Drain(Slot& slot, bool& healthy);
    void Wake();

    std::array<Slot, kSlots> m_slots;
    mutable std::mutex m_queueMutex;
    std::mutex m_controlMutex; // guards the fds and the thread's life
    std::thread m_thread;
    int m_controlFd = -1; // eventfd that wakes the thread for a change or a stop
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_forgetAdapters{false};
    // The adapters datagrams arrived on; touched by the reader thread only, or while it does not run.
    ArrivalAdapterCache m_adapters;
};

} // namespace Netrove
