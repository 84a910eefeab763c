#include "engine/SearchSchedule.h"

#include <algorithm>

namespace Netrove {

SearchSchedule::SearchSchedule(EngineClock& clock, std::function<void()> send)
    : m_clock(clock)
    , m_send(std::move(send))
    , m_timer(clock.MakeTimer(false, [this] { OnDue(); }))
{}

void SearchSchedule::Start()
{
    m_timer->Stop();
    m_nSends = 1;
    m_nNewSinceSend = 0;
    m_nPlannedAtMs = 0;
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
    if (m_nSends >= kMostSends || m_nPlannedAtMs + gapMs > kWithinMs)
        return;
    m_nPlannedAtMs += gapMs;
    m_timer->Start(gapMs);
}

void SearchSchedule::OnDue()
{
    // Past the fewest sends, one more only while the last one still brought someone new.
    if (m_nSends >= kFewestSends && m_nNewSinceSend == 0)
        return;
    ++m_nSends;
    m_nNewSinceSend = 0;
    m_send();
    PlanNext(std::min(2 * m_nGapMs, kLongestGapMs));
}

} // namespace Netrove
