#pragma once

#include "discovery/ArrivalAdapter.h"

#include <QString>

#include <cstdint>
#include <vector>

#include <sys/socket.h>

namespace Netrove {

// A trimmed socket's datagram (DatagramReader::Watch) holds only the bytes that arrived.
struct ReceivedDatagram
{
    std::vector<std::uint8_t> buffer; // the channel's long form, zero-filled past what arrived
    std::size_t size = 0;             // bytes received
    int family = AF_UNSPEC;           // of the sender
    sockaddr_storage from{};          // the sender
    ArrivalAdapter arrival;           // the adapter it came in on
    int error = 0;                    // the receive failed with this error number; no bytes then

    // The sender's address text, for traces.
    QString SenderText() const;
};

} // namespace Netrove
