#include "engine/SearchSchedule.h"

#include <algorithm>

namespace Netrove {

SearchSchedule::SearchSchedule(EngineClock& clock, std::function<void()> send, std::function<void()> done)
    : m_clock(clock)
    , m_send(std::move(send))
    , m_done(std::move(done))
    , m_timer(clock.MakeTimer(false, [this] { OnDue(); }))
{}

void SearchSchedule::Start()
{
    m_timer->Stop();
    m_nSends = 1;
    m_nNewSinceSend = 0;
    m_nPlannedAtMs = 0;
    m_bLastSent = false;
    m_send();
    PlanNext(m_clock.RandomMs(kFirstGapLowMs, kFirstGapHighMs));
}

void SearchSchedule::Stop()
{
    m_timer->Stop();
}

void SearchSchedule::PlanNext(int gapMs)
{
    m_nGapMs = gapMs;
    // No send may follow: the timer only waits for the last one's answers.
    m_bLastSent = m_nSends >= kMostSends || m_nPlannedAtMs + gapMs > kWithinMs;
    m_nPlannedAtMs += gapMs;
    m_timer->Start(gapMs);
}

void SearchSchedule::OnDue()
{
    // Past the fewest sends, one more only while the last one still brought someone new.
    if (m_bLastSent || (m_nSends >= kFewestSends && m_nNewSinceSend == 0)) {
        if (m_done)
            m_done();
        return;
    }
    ++m_nSends;
    m_nNewSinceSend = 0;
    m_send();
    PlanNext(std::min(2 * m_nGapMs, kLongestGapMs));
}

} // namespace Netrove
