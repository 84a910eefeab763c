#include "discovery/ScanStatusText.h"

namespace Netrove {

namespace {

QString WithLost(QString text, std::uint64_t lost)
{
    if (lost > 0)
        text += QStringLiteral(", %1 lost").arg(lost);
    return text;
}

} // namespace

QString ScanStatusText(int rows, std::uint64_t lost, int notAnswering)
{
    QString text = WithLost(QStringLiteral("Scan %1 %2")
                                .arg(rows)
                                .arg(rows < 2 ? QStringLiteral("Item") : QStringLiteral("Items")),
                            lost);
    if (notAnswering > 0)
        text += QStringLiteral(", %1 not answering").arg(notAnswering);
    return text;
}

QString ScanEndText(std::uint64_t lost)
{
    return WithLost(QStringLiteral("Scan End"), lost);
}

} // namespace Netrove
