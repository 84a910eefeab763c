#pragma once

#include <QRect>
#include <QWidget>

#include <algorithm>

namespace Netrove {

// The setting dialogs' text widths were made for a narrower font: a text keeps at least its own width.
inline void PlaceText(QWidget* widget, const QRect& rect)
{
    widget->setGeometry(rect.x(), rect.y(), std::max(rect.width(), widget->sizeHint().width()),
                        rect.height());
}

} // namespace Netrove
