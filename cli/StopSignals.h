#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace Netrove {

// SIGINT and SIGTERM, told on the event loop's thread: a command that runs until it is stopped
// (netrove-cli watch) ends cleanly, its last line written whole.
class StopSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StopSignals)

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void stopRequested();

private:
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace Netrove
