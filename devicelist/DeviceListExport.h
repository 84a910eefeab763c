#pragma once

#include "devicelist/DeviceListModel.h"
#include "devicelist/DeviceRecord.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace Netrove {

// The records of every listed device in the list's current order, each with the MACs of the other
// listed devices that report its IP address.
std::vector<DeviceRecord> DeviceListRecords(const DeviceListModel& rows);
// The records of the given rows, in the order given; the MACs of the same address are those of
// every listed device.
std::vector<DeviceRecord> DeviceListRecords(const DeviceListModel& rows, const std::vector<int>& which);
// The record of one row, with the MACs its row's marked address names; nothing for a row that is
// not there.
std::optional<DeviceRecord> DeviceListRecord(const DeviceListModel& rows, int row);

// The saved list: a line of column titles, then one line per record (CsvLine).
QByteArray DeviceListCsv(const std::vector<DeviceRecord>& records);
// One row for the clipboard, the same columns separated by tabs (TabSeparatedLine).
QString DeviceRowClipboardText(const DeviceRecord& record);

// Writes the saved list to the file, all of it or, on failure, nothing (a file that was there is
// left as it was). Empty on success, else why it could not be written.
QString SaveDeviceListCsv(const QString& path, const std::vector<DeviceRecord>& records);

} // namespace Netrove
