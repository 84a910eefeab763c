#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

namespace Netrove {

// A timer of the engine's: Start (again) makes it tick after `ms`, and every `ms` after that when
// it repeats.
class EngineTimer
{
public:
    virtual ~EngineTimer() = default;
    virtual void Start(int ms) = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;
};

// Where the engine's time comes from: the system's in the program, a hand-driven one in tests, so
// that three seconds of a search take no time there.
class EngineClock
{
public:
    virtual ~EngineClock() = default;
    // Milliseconds since some fixed moment.
    virtual qint64 NowMs() const = 0;
    // The time of day, as milliseconds since 1970: when a device last answered.
    virtual qint64 WallMs() const = 0;
    virtual std::unique_ptr<EngineTimer> MakeTimer(bool repeating, std::function<void()> tick) = 0;
    // A random wait from `lowMs` to `highMs`, both included: the gaps between a search's sends are
    // random so that many computers searching at once do not keep sending in step.
    virtual int RandomMs(int lowMs, int highMs) = 0;
};

// Qt's timers on the calling thread's event loop, and its monotonic clock.
std::unique_ptr<EngineClock> MakeSystemClock();

} // namespace Netrove
