#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

namespace Netrove {

// Answers every message box that opens, remembering its text, so that no test hangs on one.
class BoxAnswerer final
{
public:
    BoxAnswerer()
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_texts.append(box->text());
                box->accept();
            }
        });
        m_timer.start();
    }
    const QStringList& Texts() const { return m_texts; }
    void Clear() { m_texts.clear(); }

private:
    QTimer m_timer;
    QStringList m_texts;
};

} // namespace Netrove
