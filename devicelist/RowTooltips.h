#pragma once

#include "discovery/ArrivalAdapter.h"

#include <QString>
#include <QStringList>

namespace Netrove {

// How a row names the adapter its device answered on: "lab1, 10.0.5.7". Empty when not known.
QString ArrivalText(const ArrivalAdapter& arrival);

// What a marked IP address says: "IP address also used by 00:1A:2B:00:00:02, 00:1A:2B:00:00:03".
QString AddressConflictText(const QStringList& otherMacs);

// A tooltip that shows the text exactly as it is. Qt takes a tooltip for rich text whenever it looks
// like markup, and these texts hold what devices sent (a MAC text may be "<img src=…>"): so the text
// goes escaped into a frame that Qt always takes for rich text.
QString PlainTooltip(const QString& text);

} // namespace Netrove
