#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

#include <algorithm>

namespace Netrove {

// Tests find a control by its object name; screen readers and UI drivers by its accessible name,
// the text of the label beside it.
template <typename Widget>
Widget* Named(Widget* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

// The templates' text widths were made for a narrower font: a text keeps at least its own width.
inline void PlaceText(QWidget* widget, const QRect& rect)
{
    widget->setGeometry(rect.x(), rect.y(), std::max(rect.width(), widget->sizeHint().width()),
                        rect.height());
}

} // namespace Netrove
