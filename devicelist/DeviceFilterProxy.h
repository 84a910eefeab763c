#pragma once

#include "devicelist/DeviceFilter.h"

#include <QSortFilterProxyModel>

#include <vector>

namespace Netrove {

class DeviceListModel;

// The rows of the list that the filter shows, in the list's order. Rows keep arriving and being
// replaced in the list underneath; each is shown or kept hidden as it comes.
class DeviceFilterProxy final : public QSortFilterProxyModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DeviceFilterProxy)

public:
    explicit DeviceFilterProxy(DeviceListModel& rows, QObject* parent = nullptr);

    void SetFilter(DeviceFilter filter);
    const DeviceFilter& Filter() const { return m_filter; }
    // The list's rows that are shown, in the order shown.
    std::vector<int> ShownRows() const;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    const DeviceListModel& m_rows;
    DeviceFilter m_filter;
};

} // namespace Netrove
