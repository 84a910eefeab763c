#include "devicelist/DeviceListExport.h"

#include "devicelist/CsvWriter.h"

#include <QSaveFile>

namespace Netrove {

std::vector<DeviceRecord> DeviceListRecords(const DeviceListModel& rows)
{
    std::vector<DeviceRecord> records;
    records.reserve(static_cast<std::size_t>(rows.rowCount()));
    for (int row = 0; row < rows.rowCount(); ++row) {
        if (const DeviceEntry* entry = rows.EntryAt(row))
            records.push_back(MakeDeviceRecord(*entry));
    }
    // Not the list's own ConflictingMacs row by row: that names every other device each time, which
    // for thousands of cameras sharing their factory address would take minutes.
    FillSameIpAddress(records);
    return records;
}

std::vector<DeviceRecord> DeviceListRecords(const DeviceListModel& rows, const std::vector<int>& which)
{
    std::vector<DeviceRecord> all;
    std::vector<int> recordOfRow(static_cast<std::size_t>(rows.rowCount()), -1);
    all.reserve(recordOfRow.size());
    for (int row = 0; row < rows.rowCount(); ++row) {
        if (const DeviceEntry* entry = rows.EntryAt(row)) {
            recordOfRow[static_cast<std::size_t>(row)] = static_cast<int>(all.size());
            all.push_back(MakeDeviceRecord(*entry));
        }
    }
    FillSameIpAddress(all);
    std::vector<DeviceRecord> records;
    records.reserve(which.size());
    for (const int row : which) {
        if (row >= 0 && row < rows.rowCount() && recordOfRow[static_cast<std::size_t>(row)] >= 0)
            records.push_back(all[static_cast<std::size_t>(recordOfRow[static_cast<std::size_t>(row)])]);
    }
    return records;
}

std::optional<DeviceRecord> DeviceListRecord(const DeviceListModel& rows, int row)
{
    const DeviceEntry* entry = rows.EntryAt(row);
    if (entry == nullptr)
        return std::nullopt;
    return MakeDeviceRecord(*entry, rows.ConflictingMacs(row));
}

QByteArray DeviceListCsv(const std::vector<DeviceRecord>& records)
{
    QByteArray csv = CsvLine(DeviceRecordTitles());
    for (const DeviceRecord& record : records)
        csv += CsvLine(DeviceRecordFields(record));
    return csv;
}

QString DeviceRowClipboardText(const DeviceRecord& record)
{
    return TabSeparatedLine(DeviceRecordFields(record));
}

QString SaveDeviceListCsv(const QString& path, const std::vector<DeviceRecord>& records)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const QByteArray csv = DeviceListCsv(records);
    if (file.write(csv) != csv.size() || !file.commit())
        return file.errorString();
    return {};
}

} // namespace Netrove
