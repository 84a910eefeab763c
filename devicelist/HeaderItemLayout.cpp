#include "devicelist/HeaderItemLayout.h"

#include <algorithm>
#include <cstdlib>

namespace Netrove {

namespace {

// numerator / denominator rounded to the nearest integer, halves upwards; denominator > 0.
int RoundedQuotient(int numerator, int denominator)
{
    const int twice = 2 * numerator + denominator;
    const int quotient = twice / (2 * denominator);
    return twice % (2 * denominator) < 0 ? quotient - 1 : quotient;
}

} // namespace

HeaderItemLayout LayOutHeaderItem(const QRect& item, bool pressed, bool sortColumn, bool ascending)
{
    // Edges as the platform gives them: right and bottom just outside the item.
    const int top = item.top();
    const int right = item.left() + item.width();
    const int bottom = item.top() + item.height();
    const int o = item.height() / 4;

    int labelLeft = item.left();
    int labelTop = top;
    int labelRight = right;
    int labelBottom = bottom;
    if (pressed) {
        // The whole label moves, so that a centred title goes one pixel right and two down, as a
        // pressed button's face does.
        labelLeft += 1;
        labelTop += 2;
        labelRight += 1;
        labelBottom += 2;
    }
    if (sortColumn)
        labelRight -= 3 * o;
    labelLeft += o;
    labelRight -= o;

    HeaderItemLayout layout;
    layout.hasText = labelLeft < labelRight;
    if (layout.hasText)
        layout.label = QRect(labelLeft, labelTop, labelRight - labelLeft, labelBottom - labelTop);
    if (!sortColumn)
        return layout;

    const int R = right;
    const int B = bottom;
    if (ascending) {
        layout.lightEdge = {{R - 2 * o, top + o}, {R - o, B - o - 1}, {R - 3 * o - 2, B - o - 1}};
        layout.darkEdge = {{R - 3 * o - 1, B - o - 1}, {R - 2 * o, top + o - 1}};
    } else {
        layout.lightEdge = {{R - o - 1, top + o}, {R - 2 * o - 1, B - o}};
        layout.darkEdge = {{R - 2 * o - 2, B - o}, {R - 3 * o - 1, top + o}, {R - o - 1, top + o}};
    }
    return layout;
}

std::vector<QPoint> LinePixels(QPoint from, QPoint to)
{
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int steps = std::max(std::abs(dx), std::abs(dy));
    std::vector<QPoint> pixels;
    pixels.reserve(static_cast<std::size_t>(steps));
    for (int i = 0; i < steps; ++i)
        pixels.emplace_back(from.x() + RoundedQuotient(dx * i, steps),
                            from.y() + RoundedQuotient(dy * i, steps));
    return pixels;
}

} // namespace Netrove
