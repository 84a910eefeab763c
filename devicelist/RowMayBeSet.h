#pragma once

#include "devicelist/DeviceEntry.h"

#include <QString>

namespace Netrove {

// Whether a row's device may be set ("Auto Set" and "Manual Set" enabled): not a device found over
// IPv6, since setting requests are IPv4 broadcasts, and not a recorder whose reply says it accepts
// no setting request. `protocolText` is the row's "Protocol" text; a row without an entry is judged
// by that text alone.
bool RowMayBeSet(const QString& protocolText, const DeviceEntry* entry);

} // namespace Netrove
