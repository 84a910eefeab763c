// The list saved to a file and the chosen row copied to the clipboard, both as DeviceRecord has it.

#include "app/CNetroveDlg.h"

#include "app/AboutEntry.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListExport.h"
#include "res/MessageBoxes.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>

namespace Netrove {

void CNetroveDlg::CreateListActions()
{
    m_actionSaveList = new QAction(QStringLiteral("Save List..."), this);
    m_actionSaveList->setObjectName(QStringLiteral("actionSaveList"));
    m_actionSaveList->setShortcut(QKeySequence::Save);
    m_actionSaveList->setShortcutContext(Qt::WindowShortcut);
    connect(m_actionSaveList, &QAction::triggered, this, &CNetroveDlg::OnSaveList);
    addAction(m_actionSaveList);
    m_aboutEntry->AddContextMenuEntry(m_actionSaveList);

    m_actionCopyRow = new QAction(QStringLiteral("Copy"), this);
    m_actionCopyRow->setObjectName(QStringLiteral("actionCopyRow"));
    m_actionCopyRow->setShortcut(QKeySequence::Copy);
    m_actionCopyRow->setShortcutContext(Qt::WindowShortcut);
    connect(m_actionCopyRow, &QAction::triggered, this, &CNetroveDlg::OnCopyRow);
    addAction(m_actionCopyRow);
}

void CNetroveDlg::OnSaveList()
{
    const QString count = ShownCountText();
    const QString title =
        count.isEmpty() ? QStringLiteral("Save List") : QStringLiteral("Save List (%1)").arg(count);
    const QString path =
        QFileDialog::getSaveFileName(this, title, QDir::home().filePath(QStringLiteral("devices.csv")),
                                     QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    // The rows as they are now: replies kept arriving while the file was chosen.
    const std::vector<DeviceRecord> records =
        m_list->Shown().Filter().IsActive() ? DeviceListRecords(m_list->Rows(), m_list->Shown().ShownRows())
                                            : DeviceListRecords(m_list->Rows());
    const QString failure = SaveDeviceListCsv(path, records);
    if (!failure.isEmpty())
        ShowApplicationMessage(this,
                               QStringLiteral("The list could not be saved to %1:\n%2").arg(path, failure),
                               QMessageBox::Warning);
}

void CNetroveDlg::OnCopyRow()
{
    // Every chosen row, in the order shown, one line each.
    QStringList lines;
    for (const int row : m_list->SelectedRows()) {
        if (const std::optional<DeviceRecord> record = DeviceListRecord(m_list->Rows(), row))
            lines << DeviceRowClipboardText(*record);
    }
    if (lines.isEmpty())
        return;
    QGuiApplication::clipboard()->setText(lines.join(QLatin1Char('\n')));
}

} // namespace Netrove
