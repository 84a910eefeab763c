#pragma once

#include <QColor>
#include <QHeaderView>

#include <vector>

class QPalette;

namespace Netrove {

// The colour of the sort triangle's light edges: the palette's light colour, or its mid tone where
// the light colour would not stand out from the header's face.
QColor LightEdgeColour(const QPalette& colours);

// The device list's header. A column the list has sorted by draws itself from then on: its title on
// the button face and, while it is the sort column, a small raised triangle pointing up (ascending)
// or down (descending). Every other column keeps the platform's own look.
class CNetroveHeaderCtrl final : public QHeaderView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetroveHeaderCtrl)

public:
    explicit CNetroveHeaderCtrl(QWidget* parent = nullptr);

    // Records the column and direction the triangle shows and marks that column as drawn here for
    // good. Every column sorts, the No column too: SetSortIndicator(-1, 0) takes the triangle away
    // and marks nothing.
    void SetSortIndicator(int column, int ascending);

    bool IsOwnerDrawn(int column) const;
    // The column whose item shows the triangle, -1 if none.
    int SortTriangleColumn() const;

    int m_nSortColumn = -1;
    int m_bSortAscending = 1;

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    void DrawItem(QPainter* painter, const QRect& rect, int item) const;

    std::vector<bool> m_ownerDrawn;
};

} // namespace Netrove
