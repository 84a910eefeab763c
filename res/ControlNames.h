#pragma once

#include <QString>
#include <QWidget>

#include <initializer_list>

namespace Netrove {

// Every control gets the name tests find it by and the name a screen reader says: the text of
// its label.
template <typename Widget>
Widget* Named(Widget* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

// Tab moves through the controls in the order given, as in the window's template.
inline void SetTabOrder(std::initializer_list<QWidget*> controls)
{
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
}

} // namespace Netrove
