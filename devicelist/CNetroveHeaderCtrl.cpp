#include "devicelist/CNetroveHeaderCtrl.h"

namespace Netrove {

CNetroveHeaderCtrl::CNetroveHeaderCtrl(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("deviceListHeader"));
    setSectionsClickable(true);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    setSortIndicatorShown(false);
}

void CNetroveHeaderCtrl::SetSortIndicator(int column, int ascending)
{
    m_nSortColumn = column;
    m_bSortAscending = ascending;
    ShowSortIndicator();
}

void CNetroveHeaderCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    // A click moves the view's own indicator to the clicked section before the list hears of it;
    // only the list's sort decides what the header shows, so a click on a column that does not
    // sort must leave the indicator where it was.
    QHeaderView::mouseReleaseEvent(event);
    ShowSortIndicator();
}

void CNetroveHeaderCtrl::ShowSortIndicator()
{
    if (m_nSortColumn <= 0) {
        setSortIndicatorShown(false);
        return;
    }
    setSortIndicator(m_nSortColumn, m_bSortAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    setSortIndicatorShown(true);
}

} // namespace Netrove
