#pragma once

#include <QRect>
#include <QSize>

namespace Netrove {

// How a control placed by its window's template follows the window when the window grows.
enum class Anchor
{
    TopLeft,     // stays where the template puts it
    BottomRight, // keeps its distance to the window's bottom and right edges
    Grow,        // keeps its distances to all four edges: takes every pixel the window gains
    GrowWide,    // keeps its place and height, and takes every pixel of width the window gains
    TopRight,    // keeps its distance to the window's top and right edges
    BottomWide,  // keeps its distance to the window's bottom edge, and takes every pixel of width it gains
};

// Where a control with the template's rectangle goes when its window is `growth` larger than the
// template's size. Only a window larger than its template moves anything: a window smaller in one
// direction leaves that direction as the template has it, so that controls never overlap.
QRect AnchoredGeometry(const QRect& templateRect, Anchor anchor, const QSize& growth);

} // namespace Netrove
