#pragma once

#include "discovery/ArrivalAdapter.h"

#include <QString>
#include <QStringList>

namespace Netrove {

// How a row names the adapter its device answered on: "lab1, 10.0.5.7". Empty when not known.
QString ArrivalText(const ArrivalAdapter& arrival);

// What a marked IP address says: "IP address also used by 00:1A:2B:00:00:02, 00:1A:2B:00:00:03".
QString AddressConflictText(const QStringList& otherMacs);

// What an address outside this computer's network on the adapter says: "Not in this computer's
// network (lab1, 10.0.5.7/16): use Auto Set to give it an address there", naming the network the
// answer came in on (the first of arrival.ipv4Networks).
QString OutsideNetworkText(const ArrivalAdapter& arrival);

// What a row of a device that stopped answering says: "Not answering since 10:42:13", the time of its
// last answer on this computer's clock.
QString NotAnsweringText(qint64 lastSeenMs);

// A tooltip that shows the text exactly as it is, line breaks included. Qt takes a tooltip for rich text
// whenever it looks like markup, and these texts hold what devices sent (a MAC text may be "<img src=…>"): so
// the text goes escaped into a frame that Qt always takes for rich text.
QString PlainTooltip(const QString& text);

} // namespace Netrove
