#pragma once

#include "devicelist/CNetroveHeaderCtrl.h"
#include "devicelist/DeviceFilterProxy.h"
#include "devicelist/DeviceListModel.h"

#include "devicelist/RepaintLimiter.h"

#include <QString>
#include <QTableView>

#include <vector>

namespace Netrove {

// The report list of the devices found: a plain, whole-row table (several rows may be chosen with
// Ctrl and Shift, every row shown with Ctrl+A) with grid lines
// over the device rows. The rows live in the list's model, all of them; the view shows those the
// filter lets through, in the rows' order. Rows are always named by their place in the model (the
// "list's row"), whatever the view shows. The list adds the sorting by column click and the
// scrolling that follows new rows.
class CNetroveListCtrl final : public QTableView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetroveListCtrl)

public:
    explicit CNetroveListCtrl(QWidget* parent = nullptr);

    CNetroveHeaderCtrl& Header() { return *m_header; }
    DeviceListModel& Rows() { return *m_rows; }
    const DeviceListModel& Rows() const { return *m_rows; }
    // The rows the filter shows.
    const DeviceFilterProxy& Shown() const { return *m_shown; }
    DeviceFilterProxy& Shown() { return *m_shown; }
    void SetFilter(DeviceFilter filter);

    // The first selected row, -1 if none.
    int SelectedRow() const;
    // Every selected row, in the order shown.
    std::vector<int> SelectedRows() const;
    // The list's row of an index of the view; -1 for none. The view's index of a list's row and
    // column; invalid while the row is hidden.
    int SourceRow(const QModelIndex& shown) const;
    QModelIndex ShownIndex(int row, int column) const;
    // Makes the last row visible without moving the list sideways.
    void ScrollToLastRow();
    // Called before rows are added: while batches follow each other closely, the list is drawn at
    // most once per kRepaintIntervalMs instead of once per batch.
    void LimitRepaints() { m_repaints.BeforeChange(); }
    static constexpr int kRepaintIntervalMs = 40;

    // The column-click entry: the same column again flips the direction, any other sorts ascending.
    void ToggleSort(int column);
    // Records the sort state; for a column that sorts, shows it in the header, sorts the rows and
    // numbers them anew from 1.
    void SortColumn(int column, int ascending);

    int m_bSortAscending = 1;
    int m_nSortColumn = -1;

signals:
    // A left or right click; row -1 when the click hit no row. There is no context menu: a right
    // click chooses a row exactly as a left click does.
    void rowClicked(int row);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    // The "URL" column, the one whose texts run longest, takes the width the list gains or gives
    // back, never going below its own width.
    void resizeEvent(QResizeEvent* event) override;
    // A new palette (a dark or light colour scheme) gets its own warning colour, a new font its own
    // italics for addresses outside this computer's network.
    void changeEvent(QEvent* event) override;

private:
    QFont ItalicFont() const;
    // Greyed as disabled text is: the colour scheme's own.
    QBrush NotAnsweringBrush() const;

    DeviceListModel* m_rows;      // owned by the view
    DeviceFilterProxy* m_shown;   // owned by the view
    CNetroveHeaderCtrl* m_header; // owned by the view
    RepaintLimiter m_repaints;
};

} // namespace Netrove
