#pragma once

#include <array>

namespace Netrove {

// The six ports (HTTP, DLX, TCP, UDP, upload, multicast) after one step of the up-down control from the
// HTTP port shown; change is the control's proposed position change: -1 for up, +1 for down.
std::array<int, 6> StepPortBlock(int httpPort, int change);

} // namespace Netrove
