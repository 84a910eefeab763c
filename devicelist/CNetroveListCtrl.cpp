#include "devicelist/CNetroveListCtrl.h"

#include "devicelist/SortKeys.h"
#include "devicelist/WarningColour.h"

#include <QBrush>
#include <QFont>
#include <QHeaderView>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QScrollBar>

#include <algorithm>

namespace Netrove {

CNetroveListCtrl::CNetroveListCtrl(QWidget* parent)
    : QTableView(parent)
    , m_rows(new DeviceListModel(this))
    , m_shown(new DeviceFilterProxy(*m_rows, this))
    , m_header(new CNetroveHeaderCtrl(this))
    , m_repaints(viewport(), kRepaintIntervalMs)
{
    setHorizontalHeader(m_header);
    setModel(m_shown);
    // Rows are ordered only by ToggleSort; the view's own sorting would reorder on every insertion.
    setSortingEnabled(false);
    verticalHeader()->hide();
    // Every row has the same height, so that thousands of rows cost no per-row measuring.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_header->setStretchLastSection(false);

    for (int column = 0; column < ColumnCount; ++column)
        setColumnWidth(column, kDeviceListColumns[column].width);
    m_rows->SetWarningForeground(QBrush(WarningTextColour(palette())));
    m_rows->SetOutsideNetworkFont(ItalicFont());
    m_rows->SetNotAnsweringForeground(NotAnsweringBrush());
}

QBrush CNetroveListCtrl::NotAnsweringBrush() const
{
    return QBrush(palette().color(QPalette::Disabled, QPalette::Text));
}

QFont CNetroveListCtrl::ItalicFont() const
{
    QFont italic = font();
    italic.setItalic(true);
    return italic;
}

void CNetroveListCtrl::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        m_rows->SetWarningForeground(QBrush(WarningTextColour(palette())));
        m_rows->SetNotAnsweringForeground(NotAnsweringBrush());
    }
    if (event->type() == QEvent::FontChange)
        m_rows->SetOutsideNetworkFont(ItalicFont());
}

int CNetroveListCtrl::SelectedRow() const
{
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        if (first < 0 || index.row() < first)
            first = index.row();
    }
    return first < 0 ? -1 : SourceRow(m_shown->index(first, 0));
}

std::vector<int> CNetroveListCtrl::SelectedRows() const
{
    QModelIndexList shown = selectionModel()->selectedRows();
    std::sort(shown.begin(), shown.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<int> rows;
    rows.reserve(std::size_t(shown.size()));
    for (const QModelIndex& index : shown)
        rows.push_back(SourceRow(index));
    return rows;
}

int CNetroveListCtrl::SourceRow(const QModelIndex& shown) const
{
    return shown.isValid() ? m_shown->mapToSource(shown).row() : -1;
}

QModelIndex CNetroveListCtrl::ShownIndex(int row, int column) const
{
    return m_shown->mapFromSource(m_rows->index(row, column));
}

void CNetroveListCtrl::SetFilter(DeviceFilter filter)
{
    m_shown->SetFilter(std::move(filter));
}

void CNetroveListCtrl::ScrollToLastRow()
{
    if (m_shown->rowCount() == 0)
        return;
    // Only the vertical position follows new rows; the user's sideways scrolling stays.
    const int horizontal = horizontalScrollBar()->value();
    scrollTo(m_shown->index(m_shown->rowCount() - 1, ColumnNo), QAbstractItemView::EnsureVisible);
    horizontalScrollBar()->setValue(horizontal);
}

void CNetroveListCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    QTableView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        emit rowClicked(SourceRow(indexAt(event->position().toPoint())));
}

void CNetroveListCtrl::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    // Only a list already laid out: the first size a list gets is the template's, not a change.
    if (!event->oldSize().isValid() || !isVisible())
        return;
    const int gained = event->size().width() - event->oldSize().width();
    const int width = std::max(kDeviceListColumns[ColumnUrl].width, columnWidth(ColumnUrl) + gained);
    setColumnWidth(ColumnUrl, width);
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
    m_rows->SortRows(column, ascending);
}

} // namespace Netrove
