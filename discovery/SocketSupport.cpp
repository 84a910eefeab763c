#include "discovery/SocketSupport.h"

#include <sys/socket.h>
#include <unistd.h>

namespace Netrove {

bool CanOpenUdpSocket()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace Netrove
