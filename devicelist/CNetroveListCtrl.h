#pragma once

#include "devicelist/CNetroveHeaderCtrl.h"
#include "devicelist/DeviceEntry.h"

#include <QString>
#include <QTableWidget>

#include <array>
#include <memory>

namespace Netrove {

// The report list of the devices found: one row per device, eight columns, single selection. Each
// row owns its DeviceEntry, so an entry goes exactly when its row goes.
class CNetroveListCtrl final : public QTableWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetroveListCtrl)

public:
    explicit CNetroveListCtrl(QWidget* parent = nullptr);

    CNetroveHeaderCtrl& Header() { return *m_header; }

    // Inserts a row at the position (clamped to the list) and returns its index. texts[0] is the
    // "No" text; when empty, "  %d" of position + 1 is written. Texts are shown as plain text.
    int InsertDeviceRow(int position, std::unique_ptr<DeviceEntry> entry,
                        const std::array<QString, 8>& texts);
    // The first row whose MAC address text equals the given one exactly; -1 if none.
    int FindRowByMac(const QString& mac) const;
    // Removes the row together with its entry; an index outside the list is ignored.
    void RemoveDeviceRow(int row);
    // The row's entry; nullptr for a row outside the list or one without an entry.
    const DeviceEntry* EntryAt(int row) const;
    // Removes every row with its entry; the columns stay.
    void ClearDeviceList();
    // The first selected row, -1 if none.
    int SelectedRow() const;
    // Makes the last row visible without moving the list sideways.
    void ScrollToLastRow();

    // The column-click entry: the same column again flips the direction, any other sorts ascending.
    void ToggleSort(int column);
    // Records the sort state; for a column that sorts, shows it in the header, sorts the rows and
    // numbers them anew from 1.
    void SortColumn(int column, int ascending);
    // The order of two rows under the list's current sort column and direction.
    int CompareRows(const DeviceEntry& a, const DeviceEntry& b) const;

    int m_bSortAscending = 1;
    int m_nSortColumn = -1;

private:
    CNetroveHeaderCtrl* m_header; // owned by the view
};

} // namespace Netrove
