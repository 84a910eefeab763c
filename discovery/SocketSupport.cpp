#include "discovery/SocketSupport.h"

#include "discovery/SocketHandle.h"

#include <sys/socket.h>

namespace Netrove {

bool CanOpenUdpSocket()
{
    return SocketHandle(::socket(AF_INET, SOCK_DGRAM, 0)).valid();
}

} // namespace Netrove
