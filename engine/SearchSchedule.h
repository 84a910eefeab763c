#pragma once

#include "engine/EngineClock.h"

#include <functional>
#include <memory>

namespace Netrove {

// When one search sends its requests. A broadcast is never sent again by the network, and answers
// get lost on Wi-Fi or on a busy switch, so every search asks at least three times: at once, after
// a random gap of 50-250 ms, and after twice that gap. While the last send still brought a device
// not heard before in this search, it asks once more, each gap twice the one before and at most
// 500 ms, up to six sends within the search's 3 s. A clean network costs three sends; a lossy one
// gets what it needs. Every send is the same request, so that answers to any of them fill the
// same rows.
class SearchSchedule final
{
public:
    static constexpr int kFirstGapLowMs = 50;
    static constexpr int kFirstGapHighMs = 250;
    static constexpr int kLongestGapMs = 500;
    static constexpr int kFewestSends = 3;
    static constexpr int kMostSends = 6;
    // No send is due later than this after the first: the search's own time.
    static constexpr int kWithinMs = 3000;

    // `send` sends the search's requests once; `done`, when given, follows the last send's gap, once
    // no send is due any more.
    SearchSchedule(EngineClock& clock, std::function<void()> send, std::function<void()> done = {});
    SearchSchedule(const SearchSchedule&) = delete;
    SearchSchedule& operator=(const SearchSchedule&) = delete;

    // Sends at once and plans the rest; a schedule already running starts over.
    void Start();
    // No further send.
    void Stop();
    // Sends may still follow, or the last one's answers are still awaited.
    bool Running() const { return m_timer->IsActive(); }
    // Sends made since the last Start.
    int Sends() const { return m_nSends; }
    // Devices heard for the first time in this search, since the last send.
    void DevicesHeard(int count) { m_nNewSinceSend += count; }

private:
    void OnDue();
    // Plans the next send after `gapMs`, while that is still within the search's time; else only
    // waits as long for the last send's answers.
    void PlanNext(int gapMs);

    EngineClock& m_clock;
    std::function<void()> m_send;
    std::function<void()> m_done;
    std::unique_ptr<EngineTimer> m_timer;
    int m_nSends = 0;
    int m_nGapMs = 0;
    int m_nPlannedAtMs = 0; // when the next send is due, counted from the first
    int m_nNewSinceSend = 0;
    bool m_bLastSent = false;
};

} // namespace Netrove
