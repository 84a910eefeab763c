#include "engine/BatchBook.h"

#include "engine/SettingResultText.h"

namespace Netrove {

BatchBook::BatchBook(std::vector<BatchItem> items, int answerMs)
    : m_items(std::move(items))
    , m_entries(m_items.size())
    , m_nAnswerMs(answerMs)
{
    for (std::size_t i = 0; i < m_items.size(); ++i)
        m_entries[i].change = ReadSettingChange(m_items[i].request);
}

bool BatchBook::Confirmed(int index) const
{
    const Entry& entry = m_entries[std::size_t(index)];
    return entry.step == BatchStep::Verified && entry.verdict && entry.verdict->Confirmed();
}

QString BatchBook::Text(int index) const
{
    const Entry& entry = m_entries[std::size_t(index)];
    switch (entry.step) {
    case BatchStep::Waiting:
    case BatchStep::Sent:
        return {};
    case BatchStep::Applied:
        return m_bChecking ? QStringLiteral("waiting\u2026") : QStringLiteral("Applied");
    case BatchStep::Failed:
        return SettingResultText(entry.result);
    case BatchStep::NoResult:
        return QStringLiteral("No result");
    case BatchStep::NotSent:
        return QStringLiteral("Not sent");
    case BatchStep::Verified:
        return entry.verdict ? ChangeOutcomeText(*entry.verdict) : QString();
    }
    return {};
}

std::vector<int> BatchBook::TakeSendable(qint64 nowMs)
{
    std::vector<int> taken;
    if (m_bStopped)
        return taken;
    int inFlight = 0;
    for (const Entry& entry : m_entries)
        inFlight += entry.step == BatchStep::Sent ? 1 : 0;
    for (std::size_t i = 0; i < m_entries.size() && inFlight < kInFlight; ++i) {
        if (m_entries[i].step != BatchStep::Waiting)
            continue;
        m_entries[i].step = BatchStep::Sent;
        m_entries[i].sentAtMs = nowMs;
        taken.push_back(int(i));
        ++inFlight;
    }
    return taken;
}

int BatchBook::IndexOf(const QString& mac, BatchStep step) const
{
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (m_entries[i].step == step && m_items[i].mac == mac)
            return int(i);
    }
    return -1;
}

std::vector<int> BatchBook::StopSending()
{
    m_bStopped = true;
    std::vector<int> stopped;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].step == BatchStep::Waiting) {
            m_entries[i].step = BatchStep::NotSent;
            stopped.push_back(int(i));
        }
    }
    return stopped;
}

int BatchBook::OnResult(const QString& mac, ReplyAction action)
{
    const int index = IndexOf(mac, BatchStep::Sent);
    if (index < 0)
        return -1;
    Entry& entry = m_entries[std::size_t(index)];
    entry.result = action;
    entry.step = action == ReplyAction::SettingApplied ? BatchStep::Applied : BatchStep::Failed;
    if (action == ReplyAction::InvalidPassword)
        StopSending();
    return index;
}

std::vector<int> BatchBook::Expire(qint64 nowMs)
{
    std::vector<int> expired;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Entry& entry = m_entries[i];
        if (entry.step == BatchStep::Sent && nowMs - entry.sentAtMs >= m_nAnswerMs) {
            entry.step = BatchStep::NoResult;
            expired.push_back(int(i));
        }
    }
    return expired;
}

std::vector<int> BatchBook::Cancel()
{
    return StopSending();
}

bool BatchBook::ResultsIn() const
{
    for (const Entry& entry : m_entries) {
        if (entry.step == BatchStep::Sent || (entry.step == BatchStep::Waiting && !m_bStopped))
            return false;
    }
    return true;
}

std::vector<std::pair<int, SettingChange>> BatchBook::StartCheck()
{
    m_bChecking = true;
    std::vector<std::pair<int, SettingChange>> applied;
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        Entry& entry = m_entries[i];
        if (entry.step != BatchStep::Applied)
            continue;
        if (entry.change) {
            applied.emplace_back(int(i), *entry.change);
        } else {
            // A request too short to name its device cannot be checked; it counts as not back.
            entry.step = BatchStep::Verified;
        }
    }
    return applied;
}

void BatchBook::SetVerdict(int index, const ChangeVerdict& verdict)
{
    Entry& entry = m_entries[std::size_t(index)];
    if (entry.step != BatchStep::Applied)
        return;
    entry.verdict = verdict;
    entry.step = BatchStep::Verified;
}

bool BatchBook::Finished() const
{
    return ResultsIn() && !AnyApplied();
}

bool BatchBook::AnyApplied() const
{
    for (const Entry& entry : m_entries) {
        if (entry.step == BatchStep::Applied)
            return true;
    }
    return false;
}

} // namespace Netrove
