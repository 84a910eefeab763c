#include "devicelist/CNetroveListCtrl.h"

#include "devicelist/DeviceListColumns.h"
#include "devicelist/SortKeys.h"
#include "discovery/PacketLayout.h"
#include "res/Strings.h"

#include <QScrollBar>

#include <algorithm>

namespace Netrove {

namespace {

constexpr int kDeviceRowItemType = QTableWidgetItem::UserType + 1;

QString RowNumberText(int index)
{
    return QStringLiteral("  %1").arg(index + 1);
}

// The "No" item of a row: it carries the row's entry, so that the entry moves with the row when
// the list sorts and is freed with the row when the row is removed.
class DeviceRowItem final : public QTableWidgetItem
{
public:
    DeviceRowItem(const QString& text, std::unique_ptr<DeviceEntry> entry)
        : QTableWidgetItem(text, kDeviceRowItemType)
        , m_entry(std::move(entry))
    {}

    const DeviceEntry* Entry() const { return m_entry.get(); }

    // The list sorts its rows by this item, with the order of the list's sort column.
    bool operator<(const QTableWidgetItem& other) const override
    {
        const auto* list = qobject_cast<const CNetroveListCtrl*>(tableWidget());
        if (list == nullptr || other.type() != kDeviceRowItemType)
            return QTableWidgetItem::operator<(other);
        const DeviceEntry* otherEntry = static_cast<const DeviceRowItem&>(other).Entry();
        return list->CompareRows(EntryOrEmpty(m_entry.get()), EntryOrEmpty(otherEntry)) < 0;
    }

private:
    // A row without an entry sorts as if all its keys were empty.
    static const DeviceEntry& EntryOrEmpty(const DeviceEntry* entry)
    {
        static const DeviceEntry empty;
        return entry != nullptr ? *entry : empty;
    }

    std::unique_ptr<DeviceEntry> m_entry;
};

} // namespace

CNetroveListCtrl::CNetroveListCtrl(QWidget* parent)
    : QTableWidget(0, ColumnCount, parent)
    , m_header(new CNetroveHeaderCtrl(this))
{
    setHorizontalHeader(m_header);
    // Rows are ordered only by ToggleSort; the view's own sorting would reorder on every insertion.
    setSortingEnabled(false);
    verticalHeader()->hide();
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_header->setStretchLastSection(false);

    for (int column = 0; column < ColumnCount; ++column) {
        const DeviceListColumnLayout& layout = kDeviceListColumns[column];
        auto* title = new QTableWidgetItem(LoadString(layout.titleId));
        title->setTextAlignment(layout.alignment);
        setHorizontalHeaderItem(column, title);
        setColumnWidth(column, layout.width);
    }
}

int CNetroveListCtrl::InsertDeviceRow(int position, std::unique_ptr<DeviceEntry> entry,
                                      const std::array<QString, 8>& texts)
{
    const int row = std::clamp(position, 0, rowCount());
    if (entry)
        entry->reply.resize(LongFormSize(entry->kind), 0);

    insertRow(row);
    for (int column = 0; column < ColumnCount; ++column) {
        QTableWidgetItem* item = nullptr;
        if (column == ColumnNo) {
            const QString number = texts[column].isEmpty() ? RowNumberText(row) : texts[column];
            item = new DeviceRowItem(number, std::move(entry));
        } else {
            item = new QTableWidgetItem(texts[column]);
        }
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        item->setTextAlignment(kDeviceListColumns[column].alignment);
        setItem(row, column, item);
    }
    return row;
}

int CNetroveListCtrl::FindRowByMac(const QString& mac) const
{
    for (int row = 0; row < rowCount(); ++row) {
        const QTableWidgetItem* cell = item(row, ColumnMac);
        if (cell != nullptr && cell->text() == mac)
            return row;
    }
    return -1;
}

void CNetroveListCtrl::RemoveDeviceRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    removeRow(row);
}

const DeviceEntry* CNetroveListCtrl::EntryAt(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    const QTableWidgetItem* cell = item(row, ColumnNo);
    if (cell == nullptr || cell->type() != kDeviceRowItemType)
        return nullptr;
    return static_cast<const DeviceRowItem*>(cell)->Entry();
}

void CNetroveListCtrl::ClearDeviceList()
{
    if (rowCount() == 0)
        return;
    // Not clear(): that would take the column titles too.
    setRowCount(0);
}

int CNetroveListCtrl::SelectedRow() const
{
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        if (first < 0 || index.row() < first)
            first = index.row();
    }
    return first;
}

void CNetroveListCtrl::ScrollToLastRow()
{
    if (rowCount() == 0)
        return;
    // Only the vertical position follows new rows; the user's sideways scrolling stays.
    const int horizontal = horizontalScrollBar()->value();
    scrollTo(model()->index(rowCount() - 1, ColumnNo), QAbstractItemView::EnsureVisible);
    horizontalScrollBar()->setValue(horizontal);
}

void CNetroveListCtrl::ToggleSort(int column)
{
    const int ascending = column == m_nSortColumn ? !m_bSortAscending : 1;
    SortColumn(column, ascending);
}

void CNetroveListCtrl::SortColumn(int column, int ascending)
{
    m_nSortColumn = column;
    m_bSortAscending = ascending;
    if (!IsSortableColumn(column))
        return;

    m_header->SetSortIndicator(column, ascending);
    // The model's sort moves whole rows and keeps the selection with its device. The order comes
    // from the "No" items, which compare by CompareRows; the direction is CompareRows' own.
    model()->sort(ColumnNo, Qt::AscendingOrder);
    for (int row = 0; row < rowCount(); ++row) {
        if (QTableWidgetItem* number = item(row, ColumnNo))
            number->setText(RowNumberText(row));
    }
}

int CNetroveListCtrl::CompareRows(const DeviceEntry& a, const DeviceEntry& b) const
{
    return CompareEntries(a, b, m_nSortColumn, m_bSortAscending);
}

} // namespace Netrove
