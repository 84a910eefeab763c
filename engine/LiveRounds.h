#pragma once

#include "engine/EngineClock.h"

#include <functional>
#include <memory>

namespace Netrove {

// "Keep searching": a search every 15 s that keeps the list, so that a device plugged in turns up,
// a device that restarts is seen coming back, and one that went dark is told (three rounds missed).
// The rounds ask for the searches; the engine runs them.
class LiveRounds final
{
public:
    static constexpr int kDefaultIntervalMs = 15000;
    // A round is a whole search: it must have its 3 s before the next begins.
    static constexpr int kShortestIntervalMs = 3000;

    LiveRounds(EngineClock& clock, std::function<void()> round);
    LiveRounds(const LiveRounds&) = delete;
    LiveRounds& operator=(const LiveRounds&) = delete;

    // The first round follows `intervalMs` from now, and every `intervalMs` after that.
    void Start(int intervalMs = kDefaultIntervalMs);
    void Stop();
    bool Active() const { return m_timer->IsActive(); }

private:
    std::unique_ptr<EngineTimer> m_timer;
};

} // namespace Netrove
