#pragma once

#include "discovery/ArrivalAdapter.h"

#include <QString>
#include <QStringList>

namespace Netrove {

// How a row names the adapter its device answered on: "lab1, 10.0.5.7". Empty when not known.
QString ArrivalText(const ArrivalAdapter& arrival);

// What a marked IP address says: "IP address also used by 00:1A:2B:00:00:02, 00:1A:2B:00:00:03".
QString AddressConflictText(const QStringList& otherMacs);

} // namespace Netrove
