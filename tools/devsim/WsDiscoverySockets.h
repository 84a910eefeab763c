#pragma once

#include <cstdint>
#include <span>

namespace Netrove::DevSim {

// UDP 3702 on the devices side, joined to WS-Discovery's group (239.255.255.250, or ff02::c) on
// every interface there, so that a probe arrives whichever link the requester chose. Non-blocking;
// -1 when the port cannot be had. `joined` counts the interfaces joined.
int OpenWsDiscovery(bool ipv6, int& joined);

// Sends a Hello or Bye to the group and port 3702; 0, or the error number.
int MulticastToGroup(int fd, bool ipv6, std::span<const std::uint8_t> message);

} // namespace Netrove::DevSim
