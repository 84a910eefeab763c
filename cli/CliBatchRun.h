#pragma once

#include "batchset/BatchPlan.h"
#include "cli/BatchOutput.h"
#include "cli/CliArguments.h"

#include <QObject>
#include <QStringList>

#include <optional>
#include <vector>

namespace Netrove {

class DeviceEngine;

// set-many and apply once the search has listed the devices: the devices chosen, their addresses
// pinged and every check of the Batch Setting dialog passed before anything is sent; then the batch
// over the engine, and one line per device once every device has its last word. finished() carries
// the exit code (CliExitCode).
class CliBatchRun final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CliBatchRun)

public:
    CliBatchRun(const CliCommand& command, DeviceEngine& engine, QObject* parent = nullptr);
    ~CliBatchRun() override;

    // Plans over the rows listed now, and sends unless this is a dry run.
    void Start();

signals:
    void finished(int exitCode);

private:
    // The devices of set-many in m_devices; false when it ended.
    bool ChooseDevices();
    // The devices of the plan file in m_devices, its unchanged lines in m_lines; false when it ended.
    bool ReadPlan();
    // Leaves out, with a word on standard error, the devices that may not be set.
    void LeaveOutUnsettable();
    // Addresses and checks; false when it ended.
    bool Plan();
    void OnBatchFinished();
    void Fail(int exitCode, const QString& text);
    void PrintAndFinish(int exitCode);

    const CliCommand& m_command;
    DeviceEngine& m_engine;
    std::vector<BatchDevice> m_devices;
    BatchSettings m_settings;
    // Every line printed, in the order of the MACs or the plan; each device's is m_lines[m_lineOf[i]].
    std::vector<BatchLine> m_lines;
    std::vector<std::size_t> m_lineOf;
    // The MACs as listed, in the order of the lines; the plan's lines left alone.
    QStringList m_order;
    QStringList m_unchanged;
};

} // namespace Netrove
