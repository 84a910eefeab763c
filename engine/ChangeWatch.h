#pragma once

#include "engine/ChangeVerification.h"
#include "engine/EngineClock.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace Netrove {

// Watches changed devices until each is back with what it was sent, or until the wait runs out.
// Real cameras often restart to take a new address and are silent for 30-60 s, so one search after
// the change is not enough: the devices are searched for again every 3 s. A device that answers
// with what it was sent is confirmed at once; one that only ever answered with another address
// (a camera may answer once with its old address before it restarts) or not at all is told so
// when the wait ends. The watch asks for the searches and keeps the time; the engine runs them.
class ChangeWatch final
{
public:
    static constexpr int kDefaultWaitMs = 90000;
    static constexpr int kRoundMs = 3000;
    static constexpr int kProgressMs = 1000;

    struct Hooks
    {
        std::function<void()> round;    // search again, without emptying the list
        std::function<void()> progress; // a second of the wait has passed
        std::function<void()> ended;    // the wait ran out: every change has its verdict
    };

    ChangeWatch(EngineClock& clock, Hooks hooks);
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // Watches these changes for `waitMs` from now; the first search is the caller's to start.
    void Start(std::vector<SettingChange> changes, int waitMs);
    // Ends the watch quietly: no verdict is given.
    void Stop();
    // Ends the wait now, with the verdicts it would give at its end.
    void EndNow();
    bool Active() const { return m_deadline->IsActive(); }

    // An answer of a device to one of the watch's searches: the index of the change it confirms,
    // or -1.
    int OnAnswer(const QString& mac, const QString& address);
    int Count() const { return int(m_changes.size()); }
    // The verdict of a change, once it is confirmed or the wait has ended.
    const std::optional<ChangeVerdict>& Verdict(int index) const
    {
        return m_changes[std::size_t(index)].verdict;
    }
    // Changes without a verdict yet.
    int Pending() const;
    int ElapsedSeconds() const;
    // "Waiting for 00:1A:2B:00:00:01 at 192.168.1.150… 12 s", or for several devices "Waiting for
    // 3 devices… 12 s".
    QString ProgressText() const;

private:
    struct Watched
    {
        SettingChange change;
        std::optional<ChangeVerdict> other; // the last answer with another address
        std::optional<ChangeVerdict> verdict;
    };
    void OnDeadline();

    EngineClock& m_clock;
    Hooks m_hooks;
    std::unique_ptr<EngineTimer> m_deadline;
    std::unique_ptr<EngineTimer> m_round;
    std::unique_ptr<EngineTimer> m_progress;
    std::vector<Watched> m_changes;
    qint64 m_nStartedAtMs = 0;
};

} // namespace Netrove
