#pragma once

// How a device's texts leave Netrove, whatever they hold: for the hostile texts' unit test and the
// reply path's fuzz target.

#include "cli/DeviceOutput.h"
#include "devicelist/DeviceListExport.h"
#include "devicelist/SpreadsheetCell.h"
#include "tests/devicelist/CsvReader.h"

#include <algorithm>

namespace Netrove::Test {

// Lists another device at the first row's IP address, so that a tooltip names the first row's MAC
// text. Empty when tooltips carry no markup but their frame, no saved or copied cell begins like a
// formula and each saved one reads back as listed, and the table and JSON hold no control character
// but line ends; else the first text that does not leave as data.
inline QString TextsLeaveAsData(DeviceListModel& rows)
{
    NewDeviceRow other;
    other.entry = std::make_unique<DeviceEntry>(*rows.EntryAt(0));
    other.texts[ColumnMac] = QStringLiteral("other");
    other.texts[ColumnIp] = rows.Text(0, ColumnIp);
    rows.InsertDeviceRow(1, std::move(other));
    for (int row = 0; row < rows.rowCount(); ++row) {
        for (int column = 0; column < rows.columnCount(); ++column) {
            const QString tip = rows.index(row, column).data(Qt::ToolTipRole).toString();
            if (!tip.isEmpty() && tip.count(u'<') != 2)
                return QStringLiteral("markup in a tooltip: ") + tip;
        }
    }
    const auto beginsLikeFormula = [](const QString& cell) {
        return !cell.isEmpty() && QStringView(u"=+-@\t\r").contains(cell.front());
    };
    const std::vector<DeviceRecord> records = DeviceListRecords(rows);
    QList<QStringList> saved;
    QString error;
    if (!ReadCsv(DeviceListCsv(records), saved, error))
        return error;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const QStringList fields = DeviceRecordFields(records[i]);
        const QStringList pasted = DeviceRowClipboardText(records[i]).split(u'\t');
        for (qsizetype j = 0; j < fields.size(); ++j) {
            const QString& cell = saved[static_cast<qsizetype>(i) + 1][j];
            if (beginsLikeFormula(cell) || beginsLikeFormula(pasted[j]))
                return QStringLiteral("a formula saved or copied: ") + cell;
            if (UnguardSpreadsheetCell(cell) != fields[j])
                return QStringLiteral("saved other than listed: ") + cell;
        }
    }
    for (const CliFormat format : {CliFormat::Table, CliFormat::Json}) {
        const QString text = QString::fromUtf8(FormatDeviceRecords(records, format));
        if (std::any_of(text.begin(), text.end(),
                        [](QChar c) { return c != u'\n' && c.category() == QChar::Other_Control; }))
            return QStringLiteral("a control character printed: ") + text;
    }
    return {};
}

} // namespace Netrove::Test
