#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

namespace Netrove {

// Answers the file dialog the window opens: the path typed into its file name field and accepted,
// or, with an empty path, the dialog cancelled. Notes what the dialog offered.
class FileDialogAnswerer final
{
public:
    explicit FileDialogAnswerer(QString path)
        : m_path(std::move(path))
    {
        m_timer.setInterval(20);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || !dialog->isVisible())
                return;
            ++m_opened;
            m_saving = dialog->acceptMode() == QFileDialog::AcceptSave;
            m_filters = dialog->nameFilters();
            m_title = dialog->windowTitle();
            if (m_path.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(m_path);
            // QFileDialog keeps its accept() to itself; it is the Save button's.
            static_cast<QDialog*>(dialog)->accept();
        });
        m_timer.start();
    }

    int Opened() const { return m_opened; }
    bool Saving() const { return m_saving; }
    QStringList Filters() const { return m_filters; }
    QString Title() const { return m_title; }

private:
    QString m_path;
    QTimer m_timer;
    int m_opened = 0;
    bool m_saving = false;
    QStringList m_filters;
    QString m_title;
};

} // namespace Netrove
