#include "devicelist/RowTooltips.h"

namespace Netrove {

QString ArrivalText(const ArrivalAdapter& arrival)
{
    if (arrival.name.isEmpty())
        return arrival.localAddress;
    if (arrival.localAddress.isEmpty())
        return arrival.name;
    return arrival.name + QStringLiteral(", ") + arrival.localAddress;
}

QString AddressConflictText(const QStringList& otherMacs)
{
    return QStringLiteral("IP address also used by ") + otherMacs.join(QStringLiteral(", "));
}

QString PlainTooltip(const QString& text)
{
    return QStringLiteral("<qt>") + text.toHtmlEscaped() + QStringLiteral("</qt>");
}

} // namespace Netrove
