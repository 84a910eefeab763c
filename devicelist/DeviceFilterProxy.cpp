#include "devicelist/DeviceFilterProxy.h"

#include "devicelist/DeviceListModel.h"

namespace Netrove {

DeviceFilterProxy::DeviceFilterProxy(DeviceListModel& rows, QObject* parent)
    : QSortFilterProxyModel(parent)
    , m_rows(rows)
{
    setSourceModel(&rows);
    // The list is ordered by its own sort; the proxy keeps that order.
    setDynamicSortFilter(true);
}

void DeviceFilterProxy::SetFilter(DeviceFilter filter)
{
    m_filter = std::move(filter);
    invalidateFilter();
}

std::vector<int> DeviceFilterProxy::ShownRows() const
{
    std::vector<int> rows;
    rows.reserve(static_cast<std::size_t>(rowCount()));
    for (int shown = 0; shown < rowCount(); ++shown)
        rows.push_back(mapToSource(index(shown, 0)).row());
    return rows;
}

bool DeviceFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    return !sourceParent.isValid() && m_rows.RowMatches(sourceRow, m_filter);
}

} // namespace Netrove
