#include "cli/CliBatchRun.h"

#include "autoset/IcmpProbe.h"
#include "batchset/AddressPlanFile.h"
#include "batchset/BatchDevices.h"
#include "cli/CliExitCodes.h"
#include "cli/TerminalText.h"
#include "devicelist/DeviceFilter.h"
#include "devicelist/DeviceListColumns.h"
#include "devicelist/DeviceListModel.h"
#include "devicelist/RowMayBeSet.h"
#include "engine/DeviceEngine.h"
#include "engine/SettingResultText.h"

#include <QFile>

#include <algorithm>

namespace Netrove {

CliBatchRun::CliBatchRun(const CliCommand& command, DeviceEngine& engine, QObject* parent)
    : QObject(parent)
    , m_command(command)
    , m_engine(engine)
{}

CliBatchRun::~CliBatchRun() = default;

void CliBatchRun::Fail(int exitCode, const QString& text)
{
    WriteLine(stderr, text);
    emit finished(exitCode);
}

void CliBatchRun::PrintAndFinish(int exitCode)
{
    WriteOut(stdout, FormatBatchLines(m_lines, m_command.format));
    emit finished(exitCode);
}

void CliBatchRun::Start()
{
    const bool chosen = m_command.kind == CliCommandKind::Apply ? ReadPlan() : ChooseDevices();
    if (!chosen)
        return;
    LeaveOutUnsettable();

    // One line per device in the order asked for: the MACs given, the plan's lines, or as listed.
    const DeviceListModel& rows = m_engine.Rows();
    m_lineOf.assign(m_devices.size(), 0);
    for (const QString& mac : m_order) {
        const auto device = std::find_if(m_devices.begin(), m_devices.end(),
                                         [&mac](const BatchDevice& d) { return d.mac == mac; });
        if (device != m_devices.end()) {
            m_lineOf[std::size_t(device - m_devices.begin())] = m_lines.size();
            m_lines.push_back({device->mac, device->model, device->ip, {}, {}});
        } else if (m_unchanged.contains(mac)) {
            if (const std::optional<BatchDevice> same = BatchDeviceOfRow(rows, ListedRowOfMac(rows, mac)))
                m_lines.push_back({same->mac, same->model, same->ip, same->ip, QStringLiteral("unchanged")});
        }
    }
    if (m_devices.empty()) {
        if (m_lines.empty())
            Fail(ExitRefused, QStringLiteral("No device to set"));
        else
            PrintAndFinish(ExitOk);
        return;
    }
    if (!Plan())
        return;
    if (m_command.dryRun) {
        PrintAndFinish(ExitOk);
        return;
    }
    std::vector<BatchItem> items;
    items.reserve(m_devices.size());
    for (const BatchDevice& device : m_devices)
        items.push_back(MakeBatchItem(device, m_settings));
    connect(&m_engine, &DeviceEngine::batchFinished, this, &CliBatchRun::OnBatchFinished);
    m_engine.StartBatch(std::move(items));
}

bool CliBatchRun::ChooseDevices()
{
    const DeviceListModel& rows = m_engine.Rows();
    std::vector<int> chosen;
    if (!m_command.macs.isEmpty()) {
        bool missing = false;
        for (const QString& mac : m_command.macs) {
            const int row = ListedRowOfMac(rows, mac);
            if (row < 0) {
                WriteLine(stderr, QStringLiteral("No device with MAC address %1 answered").arg(mac));
                missing = true;
            } else if (std::find(chosen.begin(), chosen.end(), row) == chosen.end()) {
                chosen.push_back(row);
            }
        }
        if (missing) {
            emit finished(ExitUnknownDevice);
            return false;
        }
    } else {
        const DeviceFilter filter(m_command.filter, m_command.sharedIpOnly);
        for (int row = 0; row < rows.rowCount(); ++row) {
            if (m_command.all || rows.RowMatches(row, filter))
                chosen.push_back(row);
        }
    }
    for (const int row : chosen) {
        if (std::optional<BatchDevice> device = BatchDeviceOfRow(rows, row)) {
            m_order << device->mac;
            m_devices.push_back(std::move(*device));
        }
    }
    return true;
}

bool CliBatchRun::ReadPlan()
{
    QFile file(m_command.planPath);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(ExitRefused, QStringLiteral("Cannot read the address plan %1: %2")
                              .arg(m_command.planPath, file.errorString()));
        return false;
    }
    const AddressPlan plan = ReadAddressPlan(file.readAll());
    if (!plan.refusal.isEmpty()) {
        Fail(ExitRefused, plan.refusal);
        return false;
    }
    const DeviceListModel& rows = m_engine.Rows();
    bool missing = false;
    for (const PlanLine& line : plan.lines) {
        const int row = ListedRowOfMac(rows, line.mac);
        if (row < 0) {
            WriteLine(stderr, QStringLiteral("Line %1: no device with MAC address %2 answered")
                                  .arg(line.line)
                                  .arg(line.mac));
            missing = true;
        } else {
            m_order << rows.Text(row, ColumnMac);
        }
    }
    if (missing) {
        emit finished(ExitUnknownDevice);
        return false;
    }
    ResolvedPlan resolved = ResolveAddressPlan(plan, rows);
    if (!resolved.refusal.isEmpty()) {
        Fail(ExitRefused, resolved.refusal);
        return false;
    }
    m_devices = std::move(resolved.devices);
    m_unchanged = resolved.unchanged;
    return true;
}

void CliBatchRun::LeaveOutUnsettable()
{
    const DeviceListModel& rows = m_engine.Rows();
    std::erase_if(m_devices, [&rows](const BatchDevice& device) {
        const int row = ListedRowOfMac(rows, device.mac);
        if (RowMayBeSet(rows.Text(row, ColumnProtocol), &device.entry))
            return false;
        if (device.entry.onvif)
            WriteLine(stderr, QStringLiteral("%1 left out: another maker's camera. %2")
                                  .arg(device.mac.isEmpty() ? device.entry.onvif->endpoint : device.mac,
                                       QString::fromUtf16(kOnvifSetElsewhereText)));
        else
            WriteLine(stderr, QStringLiteral("%1 left out: it accepts no setting request").arg(device.mac));
        return true;
    });
}

bool CliBatchRun::Plan()
{
    if (const QString why = SameAdapterRefusal(m_devices); !why.isEmpty()) {
        Fail(ExitRefused, why);
        return false;
    }
    const std::optional<BatchNetwork> network = BatchNetworkOf(m_devices, m_engine.Rows());
    if (!network) {
        Fail(ExitFailure, QString::fromStdString(FreeAddressMessage(FreeAddressProposal{})));
        return false;
    }
    m_settings.password = m_command.password;
    m_settings.dhcp = m_command.mode == CliSetMode::Dhcp;
    m_settings.first = m_command.from.value_or(Ipv4Octets{});
    m_settings.mask = m_command.maskGiven ? m_command.mask : NetworkMask(network->network);
    m_settings.gateway = m_command.gatewayGiven ? m_command.gateway : NetworkGateway(network->network);

    IcmpProber prober(network->network.adapter);
    std::set<Ipv4Octets> inUse;
    QString refusal;
    if (m_command.kind == CliCommandKind::Apply) {
        refusal = ProbeGivenAddresses(m_devices, *network, prober, inUse);
    } else if (!m_settings.dhcp) {
        const BatchAddresses chosen =
            ChooseBatchAddresses(m_settings.first, m_devices.size(), *network, prober, inUse);
        refusal = chosen.refusal;
        for (std::size_t i = 0; i < chosen.addresses.size() && i < m_devices.size(); ++i)
            m_devices[i].newIp = chosen.addresses[i];
    }
    if (refusal.isEmpty())
        refusal = CheckBatch(m_devices, m_settings, *network, inUse);
    if (!refusal.isEmpty()) {
        Fail(ExitRefused, refusal);
        return false;
    }
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        const BatchDevice& device = m_devices[i];
        m_lines[m_lineOf[i]].newIp = device.planDhcp.value_or(m_settings.dhcp) || !device.newIp
                                         ? QStringLiteral("DHCP")
                                         : QString::fromStdString(FormatDottedQuad(*device.newIp));
    }
    return true;
}

void CliBatchRun::OnBatchFinished()
{
    disconnect(&m_engine, nullptr, this, nullptr);
    const BatchBook& book = *m_engine.Batch();
    bool wrongPassword = false;
    bool allConfirmed = true;
    for (std::size_t i = 0; i < m_devices.size(); ++i) {
        const QString result = book.Text(int(i));
        m_lines[m_lineOf[i]].result = result;
        wrongPassword |= result == SettingResultText(ReplyAction::InvalidPassword);
        allConfirmed &= book.Confirmed(int(i));
    }
    PrintAndFinish(wrongPassword ? ExitInvalidPassword : allConfirmed ? ExitOk : ExitBatchFailed);
}

} // namespace Netrove
