#pragma once

#include <QColor>
#include <QPalette>

namespace Netrove {

// The colour of a list cell that needs the installer's attention. Qt's palette has no warning role,
// so it is a red chosen against the palette's Base colour (what list cells are drawn on): a dark red
// (#B00020) on light bases, a light one (#FF8A80) on dark bases, whichever stands out more. Either
// way it reads as clearly as ordinary text (contrast of at least 4.5:1 on white or black).
QColor WarningTextColour(const QPalette& palette);

// The contrast ratio of two colours (1 to 21), as accessibility guidelines define it.
double ContrastRatio(const QColor& a, const QColor& b);

} // namespace Netrove
