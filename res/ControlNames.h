#pragma once

#include <QFont>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <initializer_list>

namespace Netrove {

// Every control gets the name tests find it by. A screen reader says a label's, a button's or a
// group box's own text, whatever it is at the moment, and an edit's label's text (its buddy): none of
// them gets a name of its own, which would stay as it was when the text changes.
template <typename Widget> Widget* Named(Widget* widget, const char* objectName)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    return widget;
}

// A control that shows no text of its own and has no label beside it: the name a screen reader says.
template <typename Widget>
Widget* Named(Widget* widget, const char* objectName, const QString& accessibleName)
{
    widget->setAccessibleName(accessibleName);
    return Named(widget, objectName);
}

// A window built after its template: the name tests find it by, its title (which a screen reader
// says too) and the template's font size.
inline void SetUpTemplateWindow(QWidget* window, const char* objectName, const QString& title, int pointSize)
{
    window->setObjectName(QString::fromLatin1(objectName));
    window->setWindowTitle(title);
    window->setAccessibleName(title);
    QFont templateFont = window->font();
    templateFont.setPointSize(pointSize);
    window->setFont(templateFont);
}

// A label of a dialog: its text shown as plain text, and pointing a screen reader and its mnemonic
// at the control it labels, which is then announced by the label's text.
inline QLabel* NamedLabel(QWidget* parent, const QString& text, const char* objectName, QWidget* buddy)
{
    auto* label = Named(new QLabel(text, parent), objectName);
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(buddy);
    return label;
}

// None of the buttons is pressed by Enter unless it has the focus.
inline void ClearDefaultButtons(std::initializer_list<QPushButton*> buttons)
{
    for (QPushButton* button : buttons) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }
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
