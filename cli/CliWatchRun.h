#pragma once

#include "cli/CliArguments.h"
#include "cli/WatchEvents.h"
#include "devicelist/DeviceFilter.h"

#include <QObject>

namespace Netrove {

class DeviceEngine;

// netrove-cli watch: a search, then one every --interval seconds that keeps the list; each
// device's events (WatchLog) of the devices the filter options choose, one line each, flushed at
// once, until it is stopped.
class CliWatchRun final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CliWatchRun)

public:
    CliWatchRun(const CliCommand& command, DeviceEngine& engine, QObject* parent = nullptr);

    void Start();

private:
    void OnRowsAdded();
    void OnRoundEnded();
    void Print(const WatchEvent& event);

    const CliCommand& m_command;
    DeviceEngine& m_engine;
    DeviceFilter m_filter;
    WatchLog m_log;
};

} // namespace Netrove
