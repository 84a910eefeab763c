// An address plan as a spreadsheet may leave it, every byte of the file from the input, read and laid
// over a fixed list of devices as "Apply Address Plan..." and `netrove-cli apply` do: a refusal says
// which line, nothing is kept of a refused plan, and no address a line gives is lost on the way to
// the requests.

#include "FuzzRequire.h"
#include "PlanDevices.h"

#include "batchset/AddressPlanFile.h"
#include "batchset/BatchPlan.h"
#include "devicelist/DeviceListColumns.h"
#include "devicelist/SpreadsheetCell.h"
#include "discovery/DottedQuad.h"
#include "discovery/PacketLayout.h"
#include "tests/devicelist/CsvReader.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>

using namespace Netrove;
using Netrove::Fuzz::Require;

namespace {

const DeviceListModel& Listed()
{
    static const std::unique_ptr<DeviceListModel> rows = [] {
        auto model = std::make_unique<DeviceListModel>();
        Fuzz::ListPlanDevices(*model);
        return model;
    }();
    return *rows;
}

// N of a refusal "Line N: ...", or 0 when it names no line.
int RefusedLine(const QString& refusal)
{
    if (!refusal.startsWith(QLatin1String("Line ")))
        return 0;
    const qsizetype colon = refusal.indexOf(QLatin1Char(':'));
    return colon < 0 ? 0 : refusal.mid(5, colon - 5).toInt();
}

std::optional<Ipv4Octets> PresentAddress(const DeviceListModel& rows, int row)
{
    return ParseTypedAddress(rows.Text(row, ColumnIp).toStdString());
}

void CheckRead(const QByteArray& csv, const AddressPlan& plan)
{
    // Every line break ends a line, a CR LF counted twice here: no line can lie beyond.
    const int lastLine = 1 + int(csv.count('\n') + csv.count('\r'));
    if (!plan.refusal.isEmpty()) {
        Require(plan.lines.empty(), "nothing is kept of a refused plan");
        const int line = RefusedLine(plan.refusal);
        Require(plan.refusal.startsWith(QLatin1String("The plan ")) || (line >= 1 && line <= lastLine),
                "a refusal names a line of the file, or the file");
        return;
    }
    int previous = 1; // the header's line at least
    for (const PlanLine& line : plan.lines) {
        Require(line.line > previous && line.line <= lastLine, "lines follow the header, in order");
        previous = line.line;
        Require(!line.mac.isEmpty() && line.mac == line.mac.trimmed(), "a line names a device");
        Require(line.ip || line.dhcp.value_or(false), "a line that is not Dynamic gives an address");
    }
}

// A file a spreadsheet reads strictly (RFC 4180, CR LF; a BOM before it) gives each line what its
// cells say, whatever its mode: no MAC or address is dropped or changed on the way.
void CheckCellsKept(const QByteArray& csv, const AddressPlan& plan)
{
    QList<QStringList> records;
    QString error;
    if (!plan.refusal.isEmpty() ||
        !Test::ReadCsv(csv.startsWith("\xEF\xBB\xBF") ? csv.mid(3) : csv, records, error))
        return;
    records.removeIf([](const QStringList& fields) { return fields == QStringList{QString()}; });
    Require(records.size() == qsizetype(plan.lines.size()) + 1, "one plan line per record after the header");
    const auto cell = [](const QStringList& fields, qsizetype column) {
        return UnguardSpreadsheetCell(fields.value(column)).trimmed();
    };
    const qsizetype mac = records.front().indexOf(QStringLiteral("MAC Address"));
    const qsizetype ip = records.front().indexOf(QStringLiteral("IP Address"));
    for (std::size_t i = 0; i < plan.lines.size(); ++i) {
        const QStringList& fields = records[qsizetype(i) + 1];
        Require(plan.lines[i].mac == cell(fields, mac), "a line names the device its MAC cell names");
        const QString address = cell(fields, ip);
        Require(address.isEmpty() ? !plan.lines[i].ip
                                  : plan.lines[i].ip == ParseTypedAddress(address.toStdString()),
                "a line gives the address its IP Address cell gives");
    }
}

void CheckResolved(const AddressPlan& plan, const ResolvedPlan& resolved, const DeviceListModel& rows)
{
    if (!resolved.refusal.isEmpty()) {
        Require(resolved.devices.empty() && resolved.unchanged.isEmpty(), "nothing is set of a refused plan");
        if (plan.refusal.isEmpty()) {
            const int line = RefusedLine(resolved.refusal);
            Require(std::any_of(plan.lines.begin(), plan.lines.end(),
                                [line](const PlanLine& l) { return l.line == line; }),
                    "a plan is refused at one of its lines");
        }
        return;
    }
    Require(plan.refusal.isEmpty(), "a plan refused as read stays refused");
    Require(resolved.devices.size() + std::size_t(resolved.unchanged.size()) == plan.lines.size(),
            "each line sets its device or leaves it alone");
    std::size_t next = 0;
    std::set<Ipv4Octets> given;
    QSet<QString> named;
    for (const PlanLine& line : plan.lines) {
        const int row = ListedRowOfMac(rows, line.mac);
        Require(row >= 0, "a line of a plan taken names a listed device");
        const QString mac = rows.Text(row, ColumnMac);
        Require(!named.contains(mac), "no device is named twice");
        named.insert(mac);
        const std::optional<Ipv4Octets> present = PresentAddress(rows, row);
        const bool dhcp = line.dhcp.value_or(false);
        if (!dhcp)
            Require(given.insert(*line.ip).second, "no two lines give one address");
        if (next < resolved.devices.size() && resolved.devices[next].mac == mac) {
            const BatchDevice& device = resolved.devices[next++];
            Require(device.planDhcp == line.dhcp && device.planMask == line.mask &&
                        device.planGateway == line.gateway,
                    "a device is set as its line says");
            if (dhcp) {
                Require(!device.newIp, "a device given DHCP is given no address");
                Require(!line.ip || line.ip == present, "a Dynamic line's address is its device's own");
            } else {
                Require(device.newIp == line.ip, "a device gets the address its line gives");
            }
            BatchSettings settings;
            settings.mask = {255, 255, 255, 0};
            settings.gateway = {192, 168, 1, 1};
            settings.password = QStringLiteral("pw");
            const BatchItem item = MakeBatchItem(device, settings);
            Require(item.request.size() == ShortFormSize(PacketKind::KindCamera) ||
                        item.request.size() == LongFormSize(PacketKind::KindCamera),
                    "a setting request is a camera packet of either form");
        } else {
            Require(resolved.unchanged.contains(mac), "a line that sets nothing is named unchanged");
            Require(!line.ip || line.ip == present, "a device left alone was given its present address");
        }
    }
    Require(next == resolved.devices.size(), "the devices to set come in the plan's order");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray csv(reinterpret_cast<const char*>(data), qsizetype(size));
    const AddressPlan plan = ReadAddressPlan(csv);
    CheckRead(csv, plan);
    CheckCellsKept(csv, plan);
    CheckResolved(plan, ResolveAddressPlan(plan, Listed()), Listed());
    return 0;
}
