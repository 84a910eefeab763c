#pragma once

#include "discovery/DottedQuad.h"

#include <netinet/in.h>

#include <cstring>

namespace Netrove {

// An address as the socket calls take and give it; both hold the octets in network order.
inline sockaddr_in SocketAddressOf(const Ipv4Octets& address)
{
    sockaddr_in socketAddress{};
    socketAddress.sin_family = AF_INET;
    std::memcpy(&socketAddress.sin_addr.s_addr, address.data(), address.size());
    return socketAddress;
}

inline Ipv4Octets OctetsOf(const sockaddr_in& socketAddress)
{
    Ipv4Octets octets{};
    std::memcpy(octets.data(), &socketAddress.sin_addr.s_addr, octets.size());
    return octets;
}

} // namespace Netrove
