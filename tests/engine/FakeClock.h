#pragma once

#include "engine/EngineClock.h"

#include <algorithm>
#include <vector>

namespace Netrove {

// The engine's time, moved on by hand: Advance runs every tick that falls due on the way, in the
// order of their moments (ties in the order the timers were started).
class FakeClock final : public EngineClock
{
public:
    qint64 NowMs() const override { return m_now; }
    // The clock starts at 10:42:00 UTC on the day of the lab's figures.
    static constexpr qint64 kWallAtStartMs = 1796899320000;
    qint64 WallMs() const override { return kWallAtStartMs + m_now; }

    std::unique_ptr<EngineTimer> MakeTimer(bool repeating, std::function<void()> tick) override
    {
        return std::make_unique<Timer>(*this, repeating, std::move(tick));
    }

    // Every random wait is this long, within the range asked for.
    int randomMs = 100;
    int RandomMs(int lowMs, int highMs) override { return std::clamp(randomMs, lowMs, highMs); }

    void Advance(qint64 ms)
    {
        const qint64 end = m_now + ms;
        while (Timer* next = NextDue(end)) {
            m_now = next->due;
            next->due = next->repeating ? m_now + next->period : -1;
            next->tick();
        }
        m_now = end;
    }

private:
    struct Timer final : EngineTimer
    {
        Timer(FakeClock& owner, bool repeats, std::function<void()> onTick)
            : clock(owner)
            , repeating(repeats)
            , tick(std::move(onTick))
        {
            clock.m_timers.push_back(this);
        }
        ~Timer() override { std::erase(clock.m_timers, this); }
        void Start(int ms) override
        {
            period = ms;
            due = clock.m_now + ms;
            order = ++clock.m_starts;
        }
        void Stop() override { due = -1; }
        bool IsActive() const override { return due >= 0; }

        FakeClock& clock;
        const bool repeating;
        const std::function<void()> tick;
        qint64 due = -1;
        int period = 0;
        quint64 order = 0;
    };

    Timer* NextDue(qint64 end) const
    {
        Timer* next = nullptr;
        for (Timer* timer : m_timers) {
            if (timer->due < 0 || timer->due > end)
                continue;
            if (!next || timer->due < next->due || (timer->due == next->due && timer->order < next->order))
                next = timer;
        }
        return next;
    }

    qint64 m_now = 0;
    quint64 m_starts = 0;
    std::vector<Timer*> m_timers;
};

} // namespace Netrove
