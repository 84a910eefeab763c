#pragma once

#include "cli/CliArguments.h"
#include "cli/TerminalProgress.h"
#include "devicelist/DeviceEntry.h"
#include "engine/DeviceEngine.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <optional>

namespace Netrove {

class CliBatchRun;
class CliWatchRun;
class StopSignals;

// One run of netrove-cli over the engine: a search that prints the devices, a setting of one device
// followed to its check, the web address of one device, many devices set at once (CliBatchRun), or
// the devices watched until it is stopped (CliWatchRun).
// finished() carries the exit code (CliExitCode); what the user reads goes to standard output,
// failures to standard error.
class CliSession final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CliSession)

public:
    explicit CliSession(CliCommand command, QObject* parent = nullptr);
    ~CliSession() override;

    // Opens the channels and starts the command; the rest follows from the event loop.
    void Start();

signals:
    void finished(int exitCode);

private:
    void Finish(int exitCode);
    // One line each, on standard error and standard output; they may name a device by its MAC text,
    // so what reaches the terminal is TerminalText.
    void Fail(int exitCode, const QString& text);
    void Say(const QString& text);
    void OnSearchTimeout();
    void OnRowsAdded();
    void SendSetting(int row);
    void OnSettingApplied();
    void OnSettingFailed(ReplyAction action);
    void OnChangeVerified(const ChangeVerdict& verdict);
    void PrintDevices();
    void PrintWebAddress();

    CliCommand m_command;
    DeviceEngine m_engine;
    QTimer m_searchTimer;
    bool m_bDone = false;
    bool m_bSent = false;
    QString m_strMac;                        // the device's own MAC text, once found
    std::unique_ptr<CliBatchRun> m_batchRun; // set-many, apply
    std::unique_ptr<CliWatchRun> m_watchRun; // watch
    std::unique_ptr<StopSignals> m_stopSignals;
    TerminalProgress m_progress; // the wait for a changed device
};

} // namespace Netrove
