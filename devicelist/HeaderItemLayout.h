#pragma once

#include <QPoint>
#include <QRect>

#include <vector>

namespace Netrove {

// One edge of the sort triangle, drawn with one pen as a line from each point to the next.
using HeaderEdge = std::vector<QPoint>;

// Where a header item marked by a sort puts its title and its triangle.
struct HeaderItemLayout
{
    // The rectangle the title is aligned in; there is no title when the margins leave it no width.
    QRect label;
    bool hasText = false;
    // Both empty unless the item is the sort column.
    HeaderEdge lightEdge;
    HeaderEdge darkEdge;
};

// The margin o is a quarter of the item's height: the title keeps o from either side and, in the
// sort column, 3·o more on the right for the triangle, which sits at the item's right end. A pressed
// item's label moves one pixel right and two down; the triangle stays.
HeaderItemLayout LayOutHeaderItem(const QRect& item, bool pressed, bool sortColumn, bool ascending);

// The pixels a line from `from` to `to` covers: `from` included, `to` left to the line that goes on
// from there, so that where two edges meet only the later pen shows.
std::vector<QPoint> LinePixels(QPoint from, QPoint to);

} // namespace Netrove
