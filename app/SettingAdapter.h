#pragma once

#include "app/SelectionMirror.h"
#include "devicelist/DeviceListModel.h"
#include "discovery/ArrivalAdapter.h"

#include <QString>

namespace Netrove {

// The adapter a setting request for the device with this MAC text leaves on: the one its row's
// answer came in on. When the list no longer holds the device (a search emptied it while the dialog
// was open), the adapter of the row last chosen, if that was the same device. Otherwise none, and
// the request leaves as the system routes it.
ArrivalAdapter SettingRequestAdapter(const QString& mac, const DeviceListModel& rows,
                                     const SelectionMirror& mirror);

} // namespace Netrove
