#pragma once

#include <QAccessible>
#include <QWidget>

namespace Netrove {

// What a screen reader announces for the control: its own text, its label's, or a name of its own.
inline QString AccessibleName(QWidget* control)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

} // namespace Netrove
