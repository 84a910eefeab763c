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

} // namespace Netrove
