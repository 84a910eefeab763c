#pragma once

#include "discovery/ArrivalAdapterCache.h"
#include "discovery/ReceivedDatagram.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace Netrove {

// Drains the receive sockets on a thread of its own and hands what it read over in batches.
// Devices answer a search all at once and never again: whatever the kernel drops while the
// window is busy building itself or painting rows is a device the user never sees. The reader
// only moves datagrams; every decision about them stays with the receiving thread.
//
// Each socket has at most one batch handed over and not yet taken: what arrives meanwhile waits
// here and goes with the next batch, so that the receiving thread takes in a bounded amount of
// work per turn of its event loop and answers clicks during a flood.
class DatagramReader final
{
public:
    static constexpr int kSlots = 3;
    // Beyond this many datagrams of one socket waiting here, further ones are dropped and counted.
    static constexpr std::size_t kQueueLimit = 65536;
    // How many datagrams one receive call takes at most.
    static constexpr unsigned kReceivesPerCall = 64;
    // How many datagrams one batch holds at most.
    static constexpr std::size_t kBatchLimit = 256;
    // A trimmed socket's datagrams (see Watch): at most this many bytes of them wait here, and one
    // receive call takes at most this many.
    static constexpr std::size_t kTrimmedBytesLimit = 16 * 1024 * 1024;
    static constexpr unsigned kTrimmedReceivesPerCall = 8;

    // Called on the reader's thread with a batch of the slot's socket: its datagrams in the order
    // they came (a failed receive among them with its error) and the error the system reported for
    // the socket, 0 for none. The slot takes no further batch until Taken(slot).
    using Deliver = std::function<void(int slot, std::vector<ReceivedDatagram> datagrams, int socketError)>;

    explicit DatagramReader(Deliver deliver);
    ~DatagramReader();
    DatagramReader(const DatagramReader&) = delete;
    DatagramReader& operator=(const DatagramReader&) = delete;

    // Reads the socket from now on, each datagram into a buffer of bufferSize bytes (a longer one
    // fails with EMSGSIZE). The thread starts with the first socket. A trimmed socket's datagrams
    // hold only the bytes that arrived: where the largest datagram (64 KiB) is far beyond the usual
    // ones, a flood of small ones must not keep a largest buffer each.
    void Watch(int slot, int fd, std::size_t bufferSize, bool trimmed = false);
    // Stops the thread and forgets every socket and every waiting datagram; the sockets stay open.
    void Stop();
    // The slot's last batch was taken: the next may follow.
    void Taken(int slot);
    // Adapter names and addresses are asked for anew from the next datagram on, as adapters may
    // have come, gone or changed since.
    void ForgetAdapters();
    // While paused, nothing is read and the kernel's queues fill as they would under a busy window.
    void SetPaused(bool paused);

    // Datagrams the kernel dropped on the slot's socket, as its drop counter last reported, and
    // datagrams dropped because too many were waiting here.
    std::uint64_t KernelDrops(int slot) const;
    std::uint64_t QueueDrops(int slot) const;

private:
    struct Slot
    {
        int fd = -1;
        std::size_t bufferSize = 0;
        bool trimmed = false;
        std::atomic<bool> handedOver{false}; // a batch was delivered and not yet taken
        std::atomic<bool> anyWaiting{false}; // what Taken needs to know of `waiting`
        std::atomic<std::uint32_t> kernelDrops{0};
        std::atomic<std::uint64_t> queueDrops{0};
        // Touched by the reader thread only, or while it does not run.
        std::deque<ReceivedDatagram> waiting;
        std::size_t waitingBytes = 0; // of their buffers
        int pendingError = 0;
        // Where the next datagrams are received.
        std::array<std::vector<std::uint8_t>, kReceivesPerCall> buffers;
    };

    void Run();
    // Reads what is waiting on the slot's socket and gives how many datagrams it read. healthy is
    // false after a receive error other than "nothing waiting", so that a lasting fault cannot keep
    // the thread spinning.
    int Drain(Slot& slot, bool& healthy);
    // Hands the slot's next batch over unless one is still out.
    void HandOver(int slot);
    void Wake();

    Deliver m_deliver;
    std::array<Slot, kSlots> m_slots;
    std::mutex m_controlMutex; // guards the fds and the thread's life
    std::thread m_thread;
    int m_controlFd = -1; // eventfd that wakes the thread for a change, a taken batch or a stop
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_forgetAdapters{false};
    // The adapters datagrams arrived on; touched by the reader thread only, or while it does not run.
    ArrivalAdapterCache m_adapters;
};

} // namespace Netrove
