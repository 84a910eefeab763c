#include "engine/LiveRounds.h"

#include <algorithm>

namespace Netrove {

LiveRounds::LiveRounds(EngineClock& clock, std::function<void()> round)
    : m_timer(clock.MakeTimer(true, std::move(round)))
{}

void LiveRounds::Start(int intervalMs)
{
    m_timer->Start(std::max(intervalMs, kShortestIntervalMs));
}

void LiveRounds::Stop()
{
    m_timer->Stop();
}

} // namespace Netrove
