#include "devicelist/CNetroveHeaderCtrl.h"

#include "devicelist/HeaderItemLayout.h"

#include <QPainter>
#include <QStyleOptionHeader>

#include <algorithm>
#include <cstdlib>

namespace Netrove {

QColor LightEdgeColour(const QPalette& colours)
{
    // The light edge is the highlight of a raised face. On today's flat themes the face is nearly
    // as light as the highlight, and the triangle's light edges would vanish into it (an ascending
    // arrow would read as a slash); the mid tone keeps its outline visible there.
    const QColor face = colours.color(QPalette::Button);
    const QColor light = colours.color(QPalette::Light);
    constexpr int kLeastDifference = 48;
    const int difference =
        std::max({std::abs(light.red() - face.red()), std::abs(light.green() - face.green()),
                  std::abs(light.blue() - face.blue())});
    if (difference >= kLeastDifference)
        return light;
    return colours.color(QPalette::Mid);
}

namespace {

// A title longer than this is cut before it is drawn.
constexpr qsizetype kMaxTitleLength = 255;

void DrawEdge(QPainter* painter, const HeaderEdge& edge)
{
    std::vector<QPoint> pixels;
    for (std::size_t i = 1; i < edge.size(); ++i) {
        const std::vector<QPoint> line = LinePixels(edge[i - 1], edge[i]);
        pixels.insert(pixels.end(), line.begin(), line.end());
    }
    painter->drawPoints(pixels.data(), static_cast<int>(pixels.size()));
}

} // namespace

CNetroveHeaderCtrl::CNetroveHeaderCtrl(QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setObjectName(QStringLiteral("deviceListHeader"));
    setSectionsClickable(true);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
    // The drawn triangle shows the sort; the view's own indicator would follow every click.
    setSortIndicatorShown(false);
}

void CNetroveHeaderCtrl::SetSortIndicator(int column, int ascending)
{
    m_nSortColumn = column;
    m_bSortAscending = ascending;
    if (column >= 0) {
        if (m_ownerDrawn.size() <= static_cast<std::size_t>(column))
            m_ownerDrawn.resize(static_cast<std::size_t>(column) + 1, false);
        m_ownerDrawn[static_cast<std::size_t>(column)] = true;
    }
    viewport()->update();
}

bool CNetroveHeaderCtrl::IsOwnerDrawn(int column) const
{
    return column >= 0 && static_cast<std::size_t>(column) < m_ownerDrawn.size() &&
           m_ownerDrawn[static_cast<std::size_t>(column)];
}

int CNetroveHeaderCtrl::SortTriangleColumn() const
{
    return IsOwnerDrawn(m_nSortColumn) ? m_nSortColumn : -1;
}

void CNetroveHeaderCtrl::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    if (!IsOwnerDrawn(logicalIndex)) {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        return;
    }
    DrawItem(painter, rect, logicalIndex);
}

void CNetroveHeaderCtrl::DrawItem(QPainter* painter, const QRect& rect, int item) const
{
    // The item's title, alignment and state, as the platform's own drawing would see them.
    QStyleOptionHeader option;
    initStyleOptionForIndex(&option, item);
    const bool pressed = option.state.testFlag(QStyle::State_Sunken);

    painter->save();
    painter->setClipRect(rect, Qt::IntersectClip);
    painter->setRenderHint(QPainter::Antialiasing, false);
    const QPalette& colours = palette();
    painter->fillRect(rect, colours.button());

    const bool sortColumn = item == m_nSortColumn;
    const HeaderItemLayout layout = LayOutHeaderItem(rect, pressed, sortColumn, m_bSortAscending != 0);

    if (layout.hasText) {
        const QString title = option.text.left(kMaxTitleLength);
        Qt::Alignment horizontal = Qt::AlignLeft;
        if (option.textAlignment & Qt::AlignHCenter)
            horizontal = Qt::AlignHCenter;
        else if (option.textAlignment & Qt::AlignRight)
            horizontal = Qt::AlignRight;
        const QString shown = painter->fontMetrics().elidedText(title, Qt::ElideRight, layout.label.width());
        painter->setPen(colours.color(QPalette::ButtonText));
        painter->drawText(layout.label,
                          int(horizontal | Qt::AlignVCenter) | Qt::TextSingleLine | Qt::TextDontClip, shown);
    }

    if (sortColumn) {
        painter->setPen(QPen(LightEdgeColour(colours), 1));
        DrawEdge(painter, layout.lightEdge);
        painter->setPen(QPen(colours.color(QPalette::Dark), 1));
        DrawEdge(painter, layout.darkEdge);
    }
    painter->restore();
}

} // namespace Netrove
