#include "tools/devsim/WsDiscoverySockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Netrove::DevSim {

namespace {

constexpr std::uint16_t kPort = 3702;

sockaddr_storage WsDiscoveryGroup(bool ipv6, socklen_t& length)
{
    sockaddr_storage group{};
    if (ipv6) {
        auto& g = reinterpret_cast<sockaddr_in6&>(group);
        g.sin6_family = AF_INET6;
        g.sin6_port = htons(kPort);
        ::inet_pton(AF_INET6, "ff02::c", &g.sin6_addr);
        length = sizeof(sockaddr_in6);
    } else {
        auto& g = reinterpret_cast<sockaddr_in&>(group);
        g.sin_family = AF_INET;
        g.sin_port = htons(kPort);
        ::inet_pton(AF_INET, "239.255.255.250", &g.sin_addr);
        length = sizeof(sockaddr_in);
    }
    return group;
}

} // namespace

int MulticastToGroup(int fd, bool ipv6, std::span<const std::uint8_t> message)
{
    socklen_t length = 0;
    const sockaddr_storage group = WsDiscoveryGroup(ipv6, length);
    const ssize_t sent =
        ::sendto(fd, message.data(), message.size(), 0, reinterpret_cast<const sockaddr*>(&group), length);
    return sent == static_cast<ssize_t>(message.size()) ? 0 : (sent < 0 ? errno : EMSGSIZE);
}

int OpenWsDiscovery(bool ipv6, int& joined)
{
    joined = 0;
    const int fd = ::socket(ipv6 ? AF_INET6 : AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (ipv6)
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    sockaddr_storage local{};
    socklen_t length = 0;
    local = WsDiscoveryGroup(ipv6, length);
    // Bound to the port on every address: probes come to the group, and some clients probe a
    // device's own address.
    if (ipv6)
        reinterpret_cast<sockaddr_in6&>(local).sin6_addr = in6addr_any;
    else
        reinterpret_cast<sockaddr_in&>(local).sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), length) != 0) {
        ::close(fd);
        return -1;
    }
    if (struct if_nameindex* names = ::if_nameindex()) {
        for (struct if_nameindex* n = names; n->if_index != 0; ++n) {
            int result = -1;
            if (ipv6) {
                ipv6_mreq group{};
                ::inet_pton(AF_INET6, "ff02::c", &group.ipv6mr_multiaddr);
                group.ipv6mr_interface = n->if_index;
                result = ::setsockopt(fd, IPPROTO_IPV6, IPV6_JOIN_GROUP, &group, sizeof group);
            } else {
                ip_mreqn group{};
                ::inet_pton(AF_INET, "239.255.255.250", &group.imr_multiaddr);
                group.imr_ifindex = static_cast<int>(n->if_index);
                result = ::setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof group);
            }
            if (result == 0)
                ++joined;
        }
        ::if_freenameindex(names);
    }
    return fd;
}

} // namespace Netrove::DevSim
