#include "devicelist/WarningColour.h"

#include <algorithm>
#include <cmath>

namespace Netrove {

namespace {

double Channel(double value)
{
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * Channel(rgb.redF()) + 0.7152 * Channel(rgb.greenF()) + 0.0722 * Channel(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor WarningTextColour(const QPalette& palette)
{
    const QColor onLight(0xB0, 0x00, 0x20);
    const QColor onDark(0xFF, 0x8A, 0x80);
    const QColor base = palette.color(QPalette::Active, QPalette::Base);
    return ContrastRatio(onLight, base) >= ContrastRatio(onDark, base) ? onLight : onDark;
}

} // namespace Netrove
