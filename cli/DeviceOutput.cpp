#include "cli/DeviceOutput.h"

#include "cli/TerminalText.h"
#include "devicelist/DeviceListExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>

namespace Netrove {

namespace {

// The JSON keys of the ports, in the record's order.
const std::array<const char*, DeviceRecord::PortCount> kPortKeys = {"http", "dlx",    "tcp",
                                                                    "udp",  "upload", "multicast"};

// JSON as Qt writes it escapes C0 controls but leaves DEL and C1 as they are (C1 as two UTF-8 bytes,
// 0xC2 then 0x80 to 0x9F), which a terminal may act on. Outside strings JSON text is plain ASCII, so
// these bytes stand only for such characters in a string, and "\u00XX" is the same string.
QByteArray EscapeDelAndC1(const QByteArray& json)
{
    QByteArray escaped;
    escaped.reserve(json.size());
    for (qsizetype i = 0; i < json.size(); ++i) {
        const auto byte = static_cast<unsigned char>(json[i]);
        const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json[i + 1]) : 0u;
        if (byte == 0x7F) {
            escaped += "\\u007f";
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            escaped += "\\u00" + QByteArray::number(next, 16);
            ++i;
        } else {
            escaped += char(byte);
        }
    }
    return escaped;
}

} // namespace

QByteArray AlignedTable(const QStringList& titles, const std::vector<QStringList>& lines)
{
    std::vector<QStringList> all;
    all.reserve(lines.size() + 1);
    all.push_back(titles);
    for (const QStringList& line : lines) {
        QStringList fields = line;
        // A table line is one line of plain text whatever a device sent.
        for (QString& field : fields)
            field = TerminalText(std::move(field));
        all.push_back(std::move(fields));
    }
    std::vector<qsizetype> widths(static_cast<std::size_t>(titles.size()), 0);
    for (const QStringList& line : all)
        for (qsizetype i = 0; i < line.size(); ++i)
            widths[static_cast<std::size_t>(i)] =
                std::max(widths[static_cast<std::size_t>(i)], line[i].size());
    QString text;
    for (const QStringList& line : all) {
        QString row;
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (i > 0)
                row += QStringLiteral("  ");
            row += line[i].leftJustified(widths[static_cast<std::size_t>(i)]);
        }
        // Trailing blanks say nothing.
        while (row.endsWith(QLatin1Char(' ')))
            row.chop(1);
        text += row + QLatin1Char('\n');
    }
    return text.toUtf8();
}

QByteArray JsonLine(const QJsonObject& object)
{
    return EscapeDelAndC1(QJsonDocument(object).toJson(QJsonDocument::Compact)) + '\n';
}

QByteArray JsonText(const QJsonArray& array)
{
    return EscapeDelAndC1(QJsonDocument(array).toJson(QJsonDocument::Indented));
}

QJsonObject DeviceRecordJson(const DeviceRecord& record)
{
    QJsonObject ports;
    for (std::size_t i = 0; i < record.ports.size(); ++i)
        ports.insert(QLatin1String(kPortKeys[i]),
                     record.ports[i] ? QJsonValue(int(*record.ports[i])) : QJsonValue(QJsonValue::Null));
    return QJsonObject{
        {QStringLiteral("kind"), record.kindText},
        {QStringLiteral("model"), record.model},
        {QStringLiteral("alias"), record.alias},
        {QStringLiteral("mode"), record.mode},
        {QStringLiteral("mac"), record.mac},
        {QStringLiteral("ip"), record.ip},
        {QStringLiteral("subnet_mask"), record.subnetMask},
        {QStringLiteral("gateway"), record.gateway},
        {QStringLiteral("protocol"), record.protocol},
        {QStringLiteral("web_address"), record.webAddress},
        {QStringLiteral("ports"), ports},
        {QStringLiteral("may_be_set"), record.mayBeSet},
        {QStringLiteral("adapter"), record.adapter},
        {QStringLiteral("local_address"), record.localAddress},
        {QStringLiteral("same_ip_address_as"), QJsonArray::fromStringList(record.sameIpAddressAs)},
        {QStringLiteral("same_ip_address_count"), qint64(record.sameIpAddressCount)},
        {QStringLiteral("in_network"),
         record.inNetwork ? QJsonValue(*record.inNetwork) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("last_seen"),
         record.lastSeenMs > 0 ? QJsonValue(LastSeenText(record.lastSeenMs)) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("answering"), record.answering},
        // Another maker's camera heard by ONVIF; null for a device of ours.
        {QStringLiteral("endpoint"),
         record.endpoint.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(record.endpoint)},
    };
}

QByteArray FormatDeviceRecords(const std::vector<DeviceRecord>& records, CliFormat format)
{
    switch (format) {
    case CliFormat::Table: {
        std::vector<QStringList> lines;
        lines.reserve(records.size());
        for (const DeviceRecord& record : records)
            lines.push_back(DeviceRecordFields(record));
        return AlignedTable(DeviceRecordTitles(), lines);
    }
    case CliFormat::Csv:
        return DeviceListCsv(records);
    case CliFormat::Json: {
        QJsonArray devices;
        for (const DeviceRecord& record : records)
            devices.append(DeviceRecordJson(record));
        return JsonText(devices);
    }
    }
    return {};
}

} // namespace Netrove
