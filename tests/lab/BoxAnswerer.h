#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

namespace Netrove {

// Answers every message box that opens, remembering its text, so that no test hangs on one: with the
// button set by Answer() where the box has it, else as OK does.
class BoxAnswerer final
{
public:
    BoxAnswerer()
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_texts.append(box->text());
                if (QAbstractButton* button = box->button(m_answer))
                    button->click();
                else
                    box->accept();
            }
        });
        m_timer.start();
    }
    const QStringList& Texts() const { return m_texts; }
    void Answer(QMessageBox::StandardButton button) { m_answer = button; }
    void Clear() { m_texts.clear(); }

private:
    QTimer m_timer;
    QStringList m_texts;
    QMessageBox::StandardButton m_answer = QMessageBox::NoButton;
};

} // namespace Netrove
