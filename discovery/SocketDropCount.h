#pragma once

#include <cstdint>

namespace Netrove {

// The system's count of datagrams dropped on a socket, from its line in /proc/net/udp or udp6 (the
// last column; the socket is found by its inode). It is current even when no datagram arrived
// after the drops, which the count stamped on received datagrams cannot be. 0 when not found.
std::uint64_t SystemDropCount(int fd);

} // namespace Netrove
