#include "engine/EngineClock.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTimer>

namespace Netrove {

namespace {

class SystemTimer final : public EngineTimer
{
public:
    SystemTimer(bool repeating, std::function<void()> tick)
    {
        m_timer.setSingleShot(!repeating);
        // The search cycle's ticks are compared with the row count at their moment; coarse timers
        // would move them by up to 5 %.
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, std::move(tick));
    }

    void Start(int ms) override { m_timer.start(ms); }
    void Stop() override { m_timer.stop(); }
    bool IsActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

class SystemClock final : public EngineClock
{
public:
    SystemClock() { m_started.start(); }

    qint64 NowMs() const override { return m_started.elapsed(); }
    qint64 WallMs() const override { return QDateTime::currentMSecsSinceEpoch(); }

    std::unique_ptr<EngineTimer> MakeTimer(bool repeating, std::function<void()> tick) override
    {
        return std::make_unique<SystemTimer>(repeating, std::move(tick));
    }

    int RandomMs(int lowMs, int highMs) override
    {
        return QRandomGenerator::global()->bounded(lowMs, highMs + 1);
    }

private:
    QElapsedTimer m_started;
};

} // namespace

std::unique_ptr<EngineClock> MakeSystemClock()
{
    return std::make_unique<SystemClock>();
}

} // namespace Netrove
