#include "cli/BatchOutput.h"

#include "batchset/BatchPlan.h"
#include "cli/DeviceOutput.h"
#include "devicelist/CsvWriter.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

namespace Netrove {

namespace {

QStringList Fields(const BatchLine& line)
{
    return {line.mac, line.model, line.ip, line.newIp, line.result};
}

} // namespace

QByteArray FormatBatchLines(const std::vector<BatchLine>& lines, CliFormat format)
{
    const QStringList titles = BatchTableTitles();
    switch (format) {
    case CliFormat::Table: {
        std::vector<QStringList> rows;
        rows.reserve(lines.size());
        for (const BatchLine& line : lines)
            rows.push_back(Fields(line));
        return AlignedTable(titles, rows);
    }
    case CliFormat::Csv: {
        QByteArray csv = CsvLine(titles);
        for (const BatchLine& line : lines)
            csv += CsvLine(Fields(line));
        return csv;
    }
    case CliFormat::Json: {
        QJsonArray devices;
        for (const BatchLine& line : lines)
            devices.append(QJsonObject{{QStringLiteral("mac"), line.mac},
                                       {QStringLiteral("model"), line.model},
                                       {QStringLiteral("ip"), line.ip},
                                       {QStringLiteral("new_ip"), line.newIp},
                                       {QStringLiteral("result"), line.result}});
        return JsonText(devices);
    }
    }
    return {};
}

} // namespace Netrove
