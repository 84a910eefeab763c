#include "manualset/PortBlockStepping.h"

#include <cstdint>

namespace Netrove {

namespace {

constexpr int kStep = 6;
// The block lives at 80 or between 10000 and 59992 (whose ports end at 59997).
constexpr int kLowBase = 80;
constexpr int kFirstHighBase = 10000;
constexpr int kLastHighBase = 59992;
// The companions of HTTP 80, which cannot take 81 to 85.
constexpr int kLowBaseCompanions = 60001;

int AdjustBase(std::int64_t base)
{
    // One step up from 80 jumps straight to the first block of the high range.
    if (base == kLowBase + kStep)
        return kFirstHighBase;
    if (base <= kFirstHighBase - kStep)
        return kLowBase;
    if (base >= kLastHighBase + kStep)
        return kLastHighBase;
    return static_cast<int>(base);
}

} // namespace

std::array<int, 6> StepPortBlock(int httpPort, int change)
{
    // 64 bits, so that no shown number and no change can overflow on the way to the adjustment.
    const int base = AdjustBase(std::int64_t{httpPort} - std::int64_t{kStep} * change);
    const int firstCompanion = base == kLowBase ? kLowBaseCompanions : base + 1;
    std::array<int, 6> ports{};
    ports[0] = base;
    for (std::size_t i = 1; i < ports.size(); ++i)
        ports[i] = firstCompanion + static_cast<int>(i) - 1;
    return ports;
}

} // namespace Netrove
