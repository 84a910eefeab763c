#include "devicelist/RowTooltips.h"

#include <QDateTime>

namespace Netrove {

namespace {

// "lab1, 10.0.5.7", either part left out when not known.
QString AdapterText(const QString& name, const QString& address)
{
    if (name.isEmpty())
        return address;
    if (address.isEmpty())
        return name;
    return name + QStringLiteral(", ") + address;
}

} // namespace

QString ArrivalText(const ArrivalAdapter& arrival)
{
    return AdapterText(arrival.name, arrival.localAddress);
}

QString AddressConflictText(const QStringList& otherMacs)
{
    return QStringLiteral("IP address also used by ") + otherMacs.join(QStringLiteral(", "));
}

QString OutsideNetworkText(const ArrivalAdapter& arrival)
{
    const QString network =
        arrival.ipv4Networks.isEmpty() ? QString() : arrival.ipv4Networks.first().AddressText();
    return QStringLiteral("Not in this computer's network (%1): use Auto Set to give it an address there")
        .arg(AdapterText(arrival.name, network));
}

QString NotAnsweringText(qint64 lastSeenMs)
{
    return QStringLiteral("Not answering since %1")
        .arg(QDateTime::fromMSecsSinceEpoch(lastSeenMs).toString(QStringLiteral("HH:mm:ss")));
}

QString PlainTooltip(const QString& text)
{
    return QStringLiteral("<qt>") + text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) +
           QStringLiteral("</qt>");
}

} // namespace Netrove
