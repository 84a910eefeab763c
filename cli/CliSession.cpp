#include "cli/CliSession.h"

#include "autoset/UsedPortTable.h"
#include "batchset/AddressPlanFile.h"
#include "cli/CliBatchRun.h"
#include "cli/CliExitCodes.h"
#include "cli/CliSetPlan.h"
#include "cli/CliWatchRun.h"
#include "cli/DeviceOutput.h"
#include "cli/StopSignals.h"
#include "cli/TerminalText.h"
#include "devicelist/DeviceListColumns.h"
#include "devicelist/DeviceListExport.h"
#include "devicelist/DeviceListModel.h"
#include "devicelist/DeviceRecord.h"
#include "devicelist/RowMayBeSet.h"
#include "devicelist/WebAddress.h"
#include "discovery/EmptySearchProbe.h"
#include "engine/SettingResultText.h"

#include <cstdio>

namespace Netrove {

namespace {

int ExitCodeOf(ReplyAction action)
{
    switch (action) {
    case ReplyAction::InvalidPassword:
        return ExitInvalidPassword;
    case ReplyAction::PortMappingError:
        return ExitPortMappingError;
    case ReplyAction::RouterConnectError:
        return ExitRouterConnectError;
    default:
        return ExitFailure;
    }
}

} // namespace

CliSession::CliSession(CliCommand command, QObject* parent)
    : QObject(parent)
    , m_command(std::move(command))
{
    SearchChoice choice;
    choice.camera = m_command.cameras;
    choice.nvr = m_command.recorders;
    choice.ipv4 = m_command.ipv4;
    choice.ipv6 = m_command.ipv6;
    choice.onvif = m_command.onvif;
    const CliCommandKind kind = m_command.kind;
    if (kind == CliCommandKind::Set || kind == CliCommandKind::SetMany || kind == CliCommandKind::Apply) {
        // Setting requests are IPv4 broadcasts: the device is looked for where the window could set it.
        choice.ipv6 = false;
    }
    // The progress line goes before the batch's lines are printed.
    connect(&m_engine, &DeviceEngine::batchFinished, this, [this] { m_progress.Clear(); });
    if (kind == CliCommandKind::Watch) {
        m_watchRun = std::make_unique<CliWatchRun>(m_command, m_engine);
        // It runs until it is stopped, and that is how it ends well.
        m_stopSignals = std::make_unique<StopSignals>();
        connect(m_stopSignals.get(), &StopSignals::stopRequested, this, [this] { Finish(ExitOk); });
    }
    if (kind == CliCommandKind::SetMany || kind == CliCommandKind::Apply) {
        m_batchRun = std::make_unique<CliBatchRun>(m_command, m_engine);
        connect(m_batchRun.get(), &CliBatchRun::finished, this, &CliSession::Finish);
    }
    m_engine.SetSearchChoice(choice);

    connect(&m_engine, &DeviceEngine::socketError, this, [this](const QString& text, int code) {
        Fail(ExitFailure, QStringLiteral("%1 : %2").arg(text).arg(code));
    });
    connect(&m_engine, &DeviceEngine::ipv6Unsupported, this,
            [](const QString& text) { WriteLine(stderr, QStringLiteral("netrove-cli: %1").arg(text)); });
    connect(&m_engine, &DeviceEngine::rowsAdded, this, &CliSession::OnRowsAdded);
    connect(&m_engine, &DeviceEngine::settingApplied, this, &CliSession::OnSettingApplied);
    connect(&m_engine, &DeviceEngine::settingFailed, this, &CliSession::OnSettingFailed);
    connect(&m_engine, &DeviceEngine::settingUnanswered, this, [this] {
        Fail(ExitNoResult,
             QStringLiteral("%1 sent no result within %2 ms").arg(m_strMac).arg(m_command.resultTimeoutMs));
    });
    connect(&m_engine, &DeviceEngine::changeVerified, this, &CliSession::OnChangeVerified);
    connect(&m_engine, &DeviceEngine::changeWaiting, this,
            [this](const QString& text) { m_progress.Show(text); });

    m_searchTimer.setSingleShot(true);
    connect(&m_searchTimer, &QTimer::timeout, this, &CliSession::OnSearchTimeout);
}

CliSession::~CliSession() = default;

void CliSession::Start()
{
    m_engine.Open();
    if (m_bDone)
        return;
    m_engine.SetSettingAnswerMs(m_command.resultTimeoutMs);
    m_engine.SetChangeWaitMs(m_command.waitMs);
    if (m_watchRun) {
        m_watchRun->Start();
        return;
    }
    m_engine.StartSearch();
    m_searchTimer.start(m_command.timeoutMs);
}

void CliSession::Finish(int exitCode)
{
    if (m_bDone)
        return;
    m_bDone = true;
    m_searchTimer.stop();
    m_progress.Clear();
    // The channels close with the engine, once the event loop has let go of them.
    emit finished(exitCode);
}

void CliSession::Fail(int exitCode, const QString& text)
{
    if (m_bDone)
        return;
    m_progress.Clear();
    WriteLine(stderr, text);
    Finish(exitCode);
}

void CliSession::Say(const QString& text)
{
    m_progress.Clear();
    WriteLine(stdout, text);
}

void CliSession::OnRowsAdded()
{
    if (m_bDone || m_command.kind != CliCommandKind::Set || m_bSent)
        return;
    // The device is there: no need to wait for the rest of the search.
    if (const int row = ListedRowOfMac(m_engine.Rows(), m_command.mac); row >= 0)
        SendSetting(row);
}

void CliSession::OnSearchTimeout()
{
    if (m_bDone)
        return;
    switch (m_command.kind) {
    case CliCommandKind::Search:
        PrintDevices();
        return;
    case CliCommandKind::Open:
        PrintWebAddress();
        return;
    case CliCommandKind::Set:
        if (!m_bSent)
            Fail(ExitUnknownDevice,
                 QStringLiteral("No device with MAC address %1 answered").arg(m_command.mac));
        return;
    case CliCommandKind::SetMany:
    case CliCommandKind::Apply:
        m_batchRun->Start();
        return;
    case CliCommandKind::Watch:
        return;
    case CliCommandKind::Help:
    case CliCommandKind::Version:
        break;
    }
    Finish(ExitOk);
}

void CliSession::PrintDevices()
{
    // The records the window's Save List writes, in the order the devices answered, of the devices
    // the window's filter would show.
    const DeviceListModel& rows = m_engine.Rows();
    const DeviceFilter filter(m_command.filter, m_command.sharedIpOnly, m_command.outsideNetworkOnly);
    std::vector<int> shown;
    for (int row = 0; row < rows.rowCount(); ++row) {
        if (rows.RowMatches(row, filter))
            shown.push_back(row);
    }
    WriteOut(stdout, FormatDeviceRecords(DeviceListRecords(rows, shown), m_command.format));
    // Nothing answered at all: the line the window shows under its list says why that may be.
    if (rows.rowCount() == 0)
        WriteLine(stderr, EmptySearchHint(ProbeEmptySearch()));
    Finish(ExitOk);
}

void CliSession::PrintWebAddress()
{
    const int row = ListedRowOfMac(m_engine.Rows(), m_command.mac);
    const std::optional<DeviceRecord> found = DeviceListRecord(m_engine.Rows(), row);
    if (!found) {
        Fail(ExitUnknownDevice, QStringLiteral("No device with MAC address %1 answered").arg(m_command.mac));
        return;
    }
    const DeviceRecord& record = *found;
    if (record.webAddress.isEmpty()) {
        Fail(ExitFailure,
             QStringLiteral("Netrove opens no web page for %1: it reports no plain http or https address")
                 .arg(record.mac));
        return;
    }
    // The window asks before it opens such a page; here the address is printed all the same.
    if (const QString warning = WebPageWarning(record.protocol, record.ip, m_engine.Rows().EntryAt(row));
        !warning.isEmpty())
        WriteLine(stderr, warning);
    Say(record.webAddress);
    Finish(ExitOk);
}

void CliSession::SendSetting(int row)
{
    m_bSent = true;
    m_searchTimer.stop();
    const DeviceListModel& rows = m_engine.Rows();
    // A copy: the search after the change empties the rows.
    const DeviceEntry entry = *rows.EntryAt(row);
    m_strMac = rows.Text(row, ColumnMac);
    if (!RowMayBeSet(rows.Text(row, ColumnProtocol), &entry)) {
        Fail(ExitFailure,
             entry.onvif ? QStringLiteral("%1 cannot be set: it is another maker's camera. %2")
                               .arg(m_strMac, QString::fromUtf16(kOnvifSetElsewhereText))
                         : QStringLiteral("%1 cannot be set: it accepts no setting request").arg(m_strMac));
        return;
    }

    CliSetPlan plan;
    if (m_command.mode == CliSetMode::Auto) {
        const FreeAddressProposal proposal =
            DeviceEngine::FindFreeAddressFor(entry.arrival, m_engine.OtherMakersAddresses());
        const bool camera = entry.kind != PacketKind::KindRecorder;
        plan = PlanAutoSet(entry, m_strMac, m_command, proposal,
                           camera ? FindFreePort(GlobalUsedPortTable()) : 0);
    } else {
        plan = PlanManualSet(entry, m_strMac, m_command);
    }
    if (plan.Refused()) {
        Fail(plan.exitCode, plan.refusal);
        return;
    }
    if (!plan.proposal.isEmpty())
        Say(plan.proposal);
    if (plan.camera)
        m_engine.SendCameraPacket(plan.request, entry.arrival);
    else
        m_engine.SendRecorderPacket(plan.request, entry.arrival);
}

void CliSession::OnSettingApplied()
{
    // The device is looked for again, by the search that follows, wherever it may answer.
    m_engine.SetSearchChoice(SearchChoice{});
}

void CliSession::OnSettingFailed(ReplyAction action)
{
    Fail(ExitCodeOf(action), SettingResultText(action));
}

void CliSession::OnChangeVerified(const ChangeVerdict& verdict)
{
    if (verdict.Confirmed()) {
        Say(ChangeVerdictText(verdict));
        Finish(ExitOk);
    } else {
        Fail(ExitNotBack, ChangeVerdictText(verdict));
    }
}

} // namespace Netrove
