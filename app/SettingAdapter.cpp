#include "app/SettingAdapter.h"

namespace Netrove {

ArrivalAdapter SettingRequestAdapter(const QString& mac, const DeviceListModel& rows,
                                     const SelectionMirror& mirror)
{
    if (const DeviceEntry* entry = rows.EntryAt(rows.FindRowByMac(mac)))
        return entry->arrival;
    if (!mac.isEmpty() && mac == mirror.adapterMac)
        return mirror.adapter;
    return {};
}

} // namespace Netrove
