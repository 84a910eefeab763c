#pragma once

#include <cstdint>
#include <span>

#include <sys/socket.h>

namespace Netrove {

// Sends one datagram to `to`, out of the adapter with that index; index 0 leaves the choice to the
// system's routes. An IPv4 datagram names its adapter with IP_PKTINFO, so that a broadcast goes out
// there even where no route leads; an IPv6 one carries it as the destination's scope. Gives 0 when
// the whole datagram left, else the error number.
int SendDatagram(int fd, std::span<const std::uint8_t> packet, const sockaddr* to, socklen_t length,
                 int interfaceIndex);

} // namespace Netrove
