#include "cli/DeviceOutput.h"

#include "devicelist/CsvWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

#include <algorithm>

namespace Netrove {

namespace {

// The JSON keys of the ports, in the record's order.
const std::array<const char*, DeviceRecord::PortCount> kPortKeys = {"http", "dlx",    "tcp",
                                                                    "udp",  "upload", "multicast"};

QByteArray Table(const std::vector<DeviceRecord>& records)
{
    std::vector<QStringList> lines;
    lines.reserve(records.size() + 1);
    lines.push_back(DeviceRecordTitles());
    for (const DeviceRecord& record : records) {
        QStringList fields = DeviceRecordFields(record);
        // A table line is one line whatever a device sent.
        for (QString& field : fields)
            for (QChar& c : field)
                if (c.category() == QChar::Other_Control)
                    c = QLatin1Char(' ');
        lines.push_back(std::move(fields));
    }
    std::vector<qsizetype> widths(static_cast<std::size_t>(lines.front().size()), 0);
    for (const QStringList& line : lines)
        for (qsizetype i = 0; i < line.size(); ++i)
            widths[static_cast<std::size_t>(i)] =
                std::max(widths[static_cast<std::size_t>(i)], line[i].size());
    QString text;
    for (const QStringList& line : lines) {
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

} // namespace

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
    };
}

QByteArray FormatDeviceRecords(const std::vector<DeviceRecord>& records, CliFormat format)
{
    switch (format) {
    case CliFormat::Table:
        return Table(records);
    case CliFormat::Csv: {
        QByteArray text = CsvLine(DeviceRecordTitles());
        for (const DeviceRecord& record : records)
            text += CsvLine(DeviceRecordFields(record));
        return text;
    }
    case CliFormat::Json: {
        QJsonArray devices;
        for (const DeviceRecord& record : records)
            devices.append(DeviceRecordJson(record));
        return QJsonDocument(devices).toJson(QJsonDocument::Indented);
    }
    }
    return {};
}

} // namespace Netrove
