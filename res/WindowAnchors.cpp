#include "res/WindowAnchors.h"

#include <algorithm>

namespace Netrove {

QRect AnchoredGeometry(const QRect& templateRect, Anchor anchor, const QSize& growth)
{
    const int dx = std::max(0, growth.width());
    const int dy = std::max(0, growth.height());
    switch (anchor) {
    case Anchor::TopLeft:
        return templateRect;
    case Anchor::BottomRight:
        return templateRect.translated(dx, dy);
    case Anchor::Grow:
        return templateRect.adjusted(0, 0, dx, dy);
    case Anchor::GrowWide:
        return templateRect.adjusted(0, 0, dx, 0);
    case Anchor::TopRight:
        return templateRect.translated(dx, 0);
    case Anchor::BottomWide:
        return templateRect.translated(0, dy).adjusted(0, 0, dx, 0);
    }
    return templateRect;
}

} // namespace Netrove
