#include "discovery/SendDatagram.h"

#include <netinet/in.h>

#include <cerrno>
#include <cstring>

namespace Netrove {

int SendDatagram(int fd, std::span<const std::uint8_t> packet, const sockaddr* to, socklen_t length,
                 int interfaceIndex)
{
    if (fd < 0)
        return EBADF;
    ssize_t sent = -1;
    if (interfaceIndex > 0 && to->sa_family == AF_INET) {
        iovec io{const_cast<std::uint8_t*>(packet.data()), packet.size()};
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
        msghdr message{};
        message.msg_name = const_cast<sockaddr*>(to);
        message.msg_namelen = length;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof(control);
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = IPPROTO_IP;
        header->cmsg_type = IP_PKTINFO;
        header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
        // The source address is left to the system: the adapter's own.
        in_pktinfo info{};
        info.ipi_ifindex = interfaceIndex;
        std::memcpy(CMSG_DATA(header), &info, sizeof(info));
        sent = ::sendmsg(fd, &message, 0);
    } else if (interfaceIndex > 0 && to->sa_family == AF_INET6 && length >= sizeof(sockaddr_in6)) {
        sockaddr_in6 scoped{};
        std::memcpy(&scoped, to, sizeof(scoped));
        scoped.sin6_scope_id = static_cast<std::uint32_t>(interfaceIndex);
        sent = ::sendto(fd, packet.data(), packet.size(), 0, reinterpret_cast<const sockaddr*>(&scoped),
                        sizeof(scoped));
    } else {
        sent = ::sendto(fd, packet.data(), packet.size(), 0, to, length);
    }
    if (sent == static_cast<ssize_t>(packet.size()))
        return 0;
    return sent < 0 ? errno : EMSGSIZE;
}

} // namespace Netrove
