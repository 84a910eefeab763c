#pragma once

// Work on the devices side of the lab from a test that runs on the host side. A socket belongs to
// the network namespace it was made in, whichever thread uses it later: a test makes its
// devices-side sockets here and uses them from anywhere.

#include <QString>

#include <functional>

namespace Netrove {

// Runs `work` on a thread of its own that has entered the devices side's network namespace, and
// waits for it. Empty when it ran; otherwise why it could not.
QString RunOnDevicesSide(const std::function<void()>& work);

} // namespace Netrove
