#include "engine/ChangeWatch.h"

#include "discovery/PacketTypes.h"

namespace Netrove {

ChangeWatch::ChangeWatch(EngineClock& clock, Hooks hooks)
    : m_clock(clock)
    , m_hooks(std::move(hooks))
    , m_deadline(clock.MakeTimer(false, [this] { OnDeadline(); }))
    , m_round(clock.MakeTimer(true, [this] { m_hooks.round(); }))
    , m_progress(clock.MakeTimer(true, [this] { m_hooks.progress(); }))
{}

void ChangeWatch::Start(std::vector<SettingChange> changes, int waitMs)
{
    m_changes.clear();
    for (SettingChange& change : changes)
        m_changes.push_back({std::move(change), std::nullopt, std::nullopt});
    m_nStartedAtMs = m_clock.NowMs();
    m_deadline->Start(waitMs);
    m_round->Start(kRoundMs);
    m_progress->Start(kProgressMs);
}

void ChangeWatch::Stop()
{
    m_deadline->Stop();
    m_round->Stop();
    m_progress->Stop();
}

int ChangeWatch::OnAnswer(const QString& mac, const QString& address)
{
    if (!Active())
        return -1;
    for (std::size_t i = 0; i < m_changes.size(); ++i) {
        Watched& watched = m_changes[i];
        if (watched.verdict)
            continue;
        std::optional<ChangeVerdict> verdict = CheckAnswer(watched.change, mac, address);
        if (!verdict)
            continue;
        if (!verdict->Confirmed()) {
            // Perhaps the old address once more before the device restarts: the wait goes on.
            watched.other = std::move(verdict);
            return -1;
        }
        watched.verdict = std::move(verdict);
        if (Pending() == 0)
            Stop();
        return int(i);
    }
    return -1;
}

int ChangeWatch::Pending() const
{
    int pending = 0;
    for (const Watched& watched : m_changes)
        pending += watched.verdict ? 0 : 1;
    return pending;
}

int ChangeWatch::ElapsedSeconds() const
{
    return int((m_clock.NowMs() - m_nStartedAtMs) / 1000);
}

QString ChangeWatch::ProgressText() const
{
    const QString seconds = QStringLiteral("%1 s").arg(ElapsedSeconds());
    if (Pending() != 1)
        return QStringLiteral("Waiting for %1 devices\u2026 %2").arg(Pending()).arg(seconds);
    for (const Watched& watched : m_changes) {
        if (watched.verdict)
            continue;
        const SettingChange& change = watched.change;
        // Told to take its address by DHCP or PPPoE, the device has no address to wait at.
        if (change.addressMode != static_cast<std::uint8_t>(AddressMode::Static) ||
            change.ipAddress.isEmpty())
            return QStringLiteral("Waiting for %1\u2026 %2").arg(change.mac, seconds);
        return QStringLiteral("Waiting for %1 at %2\u2026 %3").arg(change.mac, change.ipAddress, seconds);
    }
    return {};
}

void ChangeWatch::EndNow()
{
    if (Active())
        OnDeadline();
}

void ChangeWatch::OnDeadline()
{
    Stop();
    for (Watched& watched : m_changes) {
        if (!watched.verdict)
            watched.verdict = watched.other ? *watched.other : NoAnswerVerdict(watched.change);
    }
    m_hooks.ended();
}

} // namespace Netrove
