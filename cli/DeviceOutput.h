#pragma once

#include "cli/CliArguments.h"
#include "devicelist/DeviceRecord.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QStringList>

#include <vector>

namespace Netrove {

// A title line and the lines below it, in aligned columns, every control character of a field
// printed as "?" (TerminalText); no trailing blanks. UTF-8.
QByteArray AlignedTable(const QStringList& titles, const std::vector<QStringList>& lines);

// The array as indented JSON, with every control character of its texts escaped (DEL and C1 too,
// which Qt would leave as they are). UTF-8.
// One JSON object on one line, as watch --format jsonl prints it (DEL and C1 escaped as in JsonText).
QByteArray JsonLine(const QJsonObject& object);
QByteArray JsonText(const QJsonArray& array);

// One device as a JSON object, with the keys doc/netrove-cli.md lists; every key is always there
// (a port the model lacks is null).
QJsonObject DeviceRecordJson(const DeviceRecord& record);

// What `search` prints: a table with a title line and aligned columns (control characters as "?",
// see TerminalText), the saved list's CSV, or a JSON array of one object per device. UTF-8.
QByteArray FormatDeviceRecords(const std::vector<DeviceRecord>& records, CliFormat format);

} // namespace Netrove
