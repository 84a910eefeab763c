#include "res/DialogUnits.h"

#include <QString>

namespace Netrove {

DialogUnits::DialogUnits(const QFontMetrics& metrics)
{
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    m_baseX = (metrics.horizontalAdvance(sample) / 26 + 1) / 2;
    m_baseY = metrics.height();
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const
{
    const int left = ToPixelsX(x);
    const int top = ToPixelsY(y);
    return QRect(left, top, ToPixelsX(x + width) - left, ToPixelsY(y + height) - top);
}

} // namespace Netrove
