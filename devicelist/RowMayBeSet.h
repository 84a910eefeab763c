#pragma once

#include "devicelist/DeviceEntry.h"

#include <QString>

namespace Netrove {

// Whether a row's device may be set ("Auto Set" and "Manual Set" enabled): not a device found over
// IPv6, since setting requests are IPv4 broadcasts, not a recorder whose reply says it accepts no
// setting request, and not another maker's camera heard by ONVIF (see kOnvifSetElsewhereText). `protocolText`
// is the row's "Protocol" text; a row without an entry is judged by that text alone.
bool RowMayBeSet(const QString& protocolText, const DeviceEntry* entry);

// Why "Auto Set", "Manual Set" and "Batch Set" stay greyed for another maker's camera.
inline constexpr char16_t kOnvifSetElsewhereText[] = u"Set this device with its maker's tool or web page";

} // namespace Netrove
