#pragma once

#include "res/Strings.h"

#include <QMessageBox>

namespace Netrove {

// A message box of the program: the program's name as caption, one OK button, the text shown as
// plain text (it may carry what a device sent).
inline void ShowApplicationMessage(QWidget* owner, const QString& text,
                                   QMessageBox::Icon icon = QMessageBox::NoIcon)
{
    QMessageBox box(icon, ApplicationCaption(), text, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// A question of the program: "Yes" and "No", the program's name as caption, the text as plain text.
// True when the user answered "Yes", which Enter gives too; Escape answers "No".
inline bool AskApplicationQuestion(QWidget* owner, const QString& text)
{
    QMessageBox box(QMessageBox::Question, ApplicationCaption(), text, QMessageBox::Yes | QMessageBox::No,
                    owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace Netrove
