#include "batchset/AddressPlanFile.h"

#include "devicelist/DeviceListColumns.h"
#include "devicelist/DeviceListModel.h"
#include "devicelist/SpreadsheetCell.h"
#include "manualset/ManualSetRequest.h"
#include "res/Strings.h"

#include <map>

namespace Netrove {

namespace {

struct CsvRecord
{
    int line = 0;
    QStringList fields;
};

// RFC 4180 as spreadsheets write it, lines ending in CR LF or LF alone. Empty when the text cannot
// be read; `error` then says where.
std::vector<CsvRecord> ReadCsvRecords(const QString& text, QString& error)
{
    std::vector<CsvRecord> records;
    CsvRecord record{1, {}};
    QString field;
    bool quoted = false;
    bool afterQuote = false;
    int line = 1;
    const auto endRecord = [&] {
        record.fields << field;
        field.clear();
        if (!(record.fields.size() == 1 && record.fields[0].isEmpty()))
            records.push_back(record);
        record = {line, {}};
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                    afterQuote = true;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                field += c;
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            record.fields << field;
            field.clear();
            afterQuote = false;
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++line;
            endRecord();
            afterQuote = false;
        } else if (c == QLatin1Char('"') && field.isEmpty() && !afterQuote) {
            quoted = true;
        } else if (afterQuote || c == QLatin1Char('"')) {
            error = QStringLiteral("Line %1: a quote in the middle of a field").arg(line);
            return {};
        } else {
            field += c;
        }
    }
    if (quoted) {
        error = QStringLiteral("Line %1: a quoted field is not closed").arg(record.line);
        return {};
    }
    if (!field.isEmpty() || !record.fields.isEmpty())
        endRecord();
    return records;
}

std::optional<Ipv4Octets> ReadAddress(const QString& text)
{
    return ParseTypedAddress(text.toStdString());
}

} // namespace

AddressPlan ReadAddressPlan(const QByteArray& csv)
{
    AddressPlan plan;
    const auto refuse = [&plan](const QString& why) {
        plan.lines.clear();
        plan.refusal = why;
        return plan;
    };
    if (!QByteArrayView(csv).isValidUtf8())
        return refuse(QStringLiteral("The plan is not a text file (UTF-8)"));
    QString error;
    QString text = QString::fromUtf8(csv);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    const std::vector<CsvRecord> records = ReadCsvRecords(text, error);
    if (!error.isEmpty())
        return refuse(error);
    if (records.empty())
        return refuse(QStringLiteral("The plan is empty"));

    const QStringList& header = records.front().fields;
    const qsizetype mac = header.indexOf(LoadString(IDS_COLUMN_MAC));
    const qsizetype ip = header.indexOf(LoadString(IDS_COLUMN_IP));
    const qsizetype mask = header.indexOf(QStringLiteral("Subnet Mask"));
    const qsizetype gateway = header.indexOf(QStringLiteral("Gateway"));
    const qsizetype mode = header.indexOf(LoadString(IDS_COLUMN_MODE));
    if (mac < 0 || ip < 0)
        return refuse(QStringLiteral("Line %1: the columns \"MAC Address\" and \"IP Address\" are required")
                          .arg(records.front().line));

    for (std::size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        const auto cell = [&record](qsizetype column) {
            return column >= 0 && column < record.fields.size()
                       ? UnguardSpreadsheetCell(record.fields[column]).trimmed()
                       : QString();
        };
        PlanLine line;
        line.line = record.line;
        line.mac = cell(mac);
        if (line.mac.isEmpty())
            return refuse(QStringLiteral("Line %1: no MAC address").arg(record.line));
        if (const QString m = cell(mode); !m.isEmpty()) {
            if (m.compare(QLatin1String("Static"), Qt::CaseInsensitive) == 0)
                line.dhcp = false;
            else if (m.compare(QLatin1String("Dynamic"), Qt::CaseInsensitive) == 0 ||
                     m.compare(QLatin1String("DHCP"), Qt::CaseInsensitive) == 0)
                line.dhcp = true;
            else
                return refuse(
                    QStringLiteral("Line %1: the mode \"%2\" cannot be set; write Static or Dynamic")
                        .arg(record.line)
                        .arg(m));
        }
        const auto address = [&](qsizetype column, std::optional<Ipv4Octets>& into,
                                 bool required) -> QString {
            const QString value = cell(column);
            if (value.isEmpty() && !required)
                return {};
            into = ReadAddress(value);
            if (!into)
                return QStringLiteral("Line %1: \"%2\" is no address").arg(record.line).arg(value);
            return {};
        };
        for (const QString& why : {address(ip, line.ip, !line.dhcp.value_or(false)),
                                   address(mask, line.mask, false), address(gateway, line.gateway, false)}) {
            if (!why.isEmpty())
                return refuse(why);
        }
        plan.lines.push_back(line);
    }
    return plan;
}

int ListedRowOfMac(const DeviceListModel& rows, const QString& mac)
{
    const int exact = rows.FindRowByMac(mac);
    if (exact >= 0)
        return exact;
    for (int row = 0; row < rows.rowCount(); ++row) {
        if (rows.Text(row, ColumnMac).compare(mac, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

ResolvedPlan ResolveAddressPlan(const AddressPlan& plan, const DeviceListModel& rows)
{
    ResolvedPlan resolved;
    const auto refuse = [&resolved](const QString& why) {
        resolved.devices.clear();
        resolved.unchanged.clear();
        resolved.refusal = why;
        return resolved;
    };
    if (!plan.refusal.isEmpty())
        return refuse(plan.refusal);
    std::map<int, int> lineOfRow;
    std::map<Ipv4Octets, int> lineOfAddress;
    for (const PlanLine& line : plan.lines) {
        const int row = ListedRowOfMac(rows, line.mac);
        if (row < 0 || rows.EntryAt(row) == nullptr)
            return refuse(QStringLiteral("Line %1: no listed device has the MAC address %2")
                              .arg(line.line)
                              .arg(line.mac));
        if (const auto twice = lineOfRow.find(row); twice != lineOfRow.end())
            return refuse(QStringLiteral("Line %1: %2 is planned on line %3 already")
                              .arg(line.line)
                              .arg(line.mac)
                              .arg(twice->second));
        lineOfRow.emplace(row, line.line);
        const std::optional<Ipv4Octets> present = ReadAddress(rows.Text(row, ColumnIp));
        const bool dhcp = line.dhcp.value_or(false);
        // A DHCP server gives a Dynamic device its address: one typed beside that mode would never
        // reach the device, and the installer would not learn why.
        if (dhcp && line.ip && line.ip != present)
            return refuse(
                QStringLiteral("Line %1: %2 is Dynamic, so it takes its address from a DHCP server; "
                               "write Static in its Mode cell to give it %3")
                    .arg(QString::number(line.line), line.mac,
                         QString::fromStdString(FormatDottedQuad(*line.ip))));
        if (line.ip && !dhcp) {
            if (const auto shared = lineOfAddress.find(*line.ip); shared != lineOfAddress.end())
                return refuse(QStringLiteral("Line %1: %2 is planned for the device of line %3 too")
                                  .arg(line.line)
                                  .arg(QString::fromStdString(FormatDottedQuad(*line.ip)))
                                  .arg(shared->second));
            lineOfAddress.emplace(*line.ip, line.line);
        }

        BatchDevice device;
        device.mac = rows.Text(row, ColumnMac);
        device.model = rows.Text(row, ColumnDeviceName);
        device.ip = rows.Text(row, ColumnIp);
        device.entry = *rows.EntryAt(row);
        device.newIp = dhcp ? std::nullopt : line.ip;
        device.planMask = line.mask;
        device.planGateway = line.gateway;
        device.planDhcp = line.dhcp;
        // A line without a mode keeps whatever mode the device has; with one, the mode must be it too.
        const QString modeNow = rows.Text(row, ColumnMode);
        const bool sameMode =
            !line.dhcp || modeNow == (*line.dhcp ? QLatin1String("Dynamic") : QLatin1String("Static"));
        const bool sameAddress = dhcp || (line.ip && present == line.ip);
        const ManualSetReported reported = ReadManualSetReply(device.entry.kind, device.entry.reply);
        const bool sameMask = !line.mask || line.mask == reported.subnetMask;
        const bool sameGateway = !line.gateway || line.gateway == reported.gateway;
        if (sameMode && sameAddress && sameMask && sameGateway) {
            resolved.unchanged << device.mac;
            continue;
        }
        resolved.devices.push_back(std::move(device));
    }
    return resolved;
}

} // namespace Netrove
