#include "cli/CliWatchRun.h"

#include "cli/DeviceOutput.h"
#include "cli/TerminalText.h"
#include "devicelist/DeviceListExport.h"
#include "devicelist/DeviceListModel.h"
#include "engine/DeviceEngine.h"

#include <QDateTime>
#include <QJsonArray>

#include <cstdio>

namespace Netrove {

CliWatchRun::CliWatchRun(const CliCommand& command, DeviceEngine& engine, QObject* parent)
    : QObject(parent)
    , m_command(command)
    , m_engine(engine)
    , m_filter(command.filter, command.sharedIpOnly, command.outsideNetworkOnly)
{
    connect(&m_engine, &DeviceEngine::rowsAdded, this, &CliWatchRun::OnRowsAdded);
    connect(&m_engine, &DeviceEngine::roundEnded, this, &CliWatchRun::OnRoundEnded);
}

void CliWatchRun::Start()
{
    m_engine.StartSearch();
    m_engine.SetKeepSearching(true, m_command.intervalMs);
}

void CliWatchRun::OnRowsAdded()
{
    const DeviceListModel& rows = m_engine.Rows();
    for (int row = 0; row < rows.rowCount(); ++row) {
        const DeviceEntry* entry = rows.EntryAt(row);
        if (!entry || !Answering(*entry) || !rows.RowMatches(row, m_filter))
            continue;
        if (const std::optional<DeviceRecord> record = DeviceListRecord(rows, row))
            for (const WatchEvent& event : m_log.Answered(*record))
                Print(event);
    }
}

void CliWatchRun::OnRoundEnded()
{
    const DeviceListModel& rows = m_engine.Rows();
    for (int row = 0; row < rows.rowCount(); ++row) {
        const DeviceEntry* entry = rows.EntryAt(row);
        if (!entry || Answering(*entry) || !rows.RowMatches(row, m_filter))
            continue;
        if (const std::optional<DeviceRecord> record = DeviceListRecord(rows, row))
            for (const WatchEvent& event : m_log.Silent(*record))
                Print(event);
    }
}

void CliWatchRun::Print(const WatchEvent& event)
{
    const QString time = LastSeenText(QDateTime::currentMSecsSinceEpoch());
    const QString name = WatchEventName(event.kind);
    if (m_command.jsonLines) {
        QJsonObject line{{QStringLiteral("event"), name},
                         {QStringLiteral("time"), time},
                         {QStringLiteral("device"), DeviceRecordJson(event.device)}};
        if (event.kind == WatchEvent::Changed)
            line.insert(QStringLiteral("changed"), QJsonArray::fromStringList(event.changed));
        WriteOut(stdout, JsonLine(line));
        return;
    }
    QString text = QStringLiteral("%1 %2 %3 %4 %5")
                       .arg(time, name, event.device.mac, event.device.ip, event.device.model);
    if (event.kind == WatchEvent::Changed)
        text += QStringLiteral(" (%1)").arg(event.changed.join(QStringLiteral(", ")));
    WriteLine(stdout, text);
}

} // namespace Netrove
