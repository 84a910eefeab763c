#pragma once

namespace Netrove {

// Whether this computer can open a UDP socket at all; checked once before any window is shown.
bool CanOpenUdpSocket();

} // namespace Netrove
