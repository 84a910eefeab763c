#pragma once

#include <QFontMetrics>
#include <QRect>

namespace Netrove {

// Window layouts are given in dialog units, so that they scale with the dialog font as the
// original templates do: a horizontal unit is a quarter of the font's average character width,
// a vertical unit an eighth of its height.
class DialogUnits final
{
public:
    explicit DialogUnits(const QFontMetrics& metrics);

    int ToPixelsX(int units) const { return (units * m_baseX + 2) / 4; }
    int ToPixelsY(int units) const { return (units * m_baseY + 4) / 8; }
    QRect ToPixels(int x, int y, int width, int height) const;

private:
    int m_baseX;
    int m_baseY;
};

} // namespace Netrove
