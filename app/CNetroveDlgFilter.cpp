// The main window's filter: a field above the list whose words narrow it as they are typed,
// "Shared IP only", "Outside network only", and how many of the listed devices are shown.

#include "app/CNetroveDlg.h"

#include "devicelist/CNetroveListCtrl.h"
#include "engine/DeviceEngine.h"
#include "res/ControlNames.h"

#include <QAction>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace Netrove {

namespace {

const QString kFilter = QStringLiteral("Filter");

} // namespace

void CNetroveDlg::CreateFilterControls()
{
    // The field has no label beside it: its placeholder says what it is, and so does its name.
    m_editFilter = Named(new QLineEdit(this), "editFilter", kFilter);
    m_editFilter->setPlaceholderText(kFilter);
    m_checkSharedIp = Named(new QCheckBox(QStringLiteral("Shared IP only"), this), "checkSharedIp");
    m_checkOutsideNetwork =
        Named(new QCheckBox(QStringLiteral("Outside network only"), this), "checkOutsideNetwork");
    m_staticShown = Named(new QLabel(this), "staticShown");
    m_staticShown->setTextFormat(Qt::PlainText);
    m_staticShown->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    connect(m_editFilter, &QLineEdit::textChanged, this, &CNetroveDlg::ApplyFilter);
    connect(m_checkSharedIp, &QCheckBox::toggled, this, &CNetroveDlg::ApplyFilter);
    connect(m_checkOutsideNetwork, &QCheckBox::toggled, this, &CNetroveDlg::ApplyFilter);
    // Ctrl+F, as in every program that finds things in a list.
    auto* find = new QAction(this);
    find->setObjectName(QStringLiteral("actionFilter"));
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    connect(find, &QAction::triggered, this, [this] {
        m_editFilter->setFocus(Qt::ShortcutFocusReason);
        m_editFilter->selectAll();
    });
    addAction(find);
    // Escape in a field with text empties it; in an empty one it closes the window as anywhere else.
    m_editFilter->installEventFilter(this);

    const DeviceFilterProxy& shown = m_list->Shown();
    for (const QAbstractItemModel* model : {static_cast<const QAbstractItemModel*>(&shown),
                                            static_cast<const QAbstractItemModel*>(&m_list->Rows())}) {
        connect(model, &QAbstractItemModel::rowsInserted, this, &CNetroveDlg::UpdateShownCount);
        connect(model, &QAbstractItemModel::rowsRemoved, this, &CNetroveDlg::UpdateShownCount);
        connect(model, &QAbstractItemModel::modelReset, this, &CNetroveDlg::UpdateShownCount);
    }
    UpdateShownCount();
}

bool CNetroveDlg::FilterKeyPressed(QObject* watched, QEvent* event)
{
    if (watched != m_editFilter || event->type() != QEvent::KeyPress)
        return false;
    if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape || m_editFilter->text().isEmpty())
        return false;
    m_editFilter->clear();
    return true;
}

void CNetroveDlg::ApplyFilter()
{
    const DeviceFilter filter(m_editFilter->text(), m_checkSharedIp->isChecked(),
                              m_checkOutsideNetwork->isChecked());
    // A chosen row that the filter hides is no longer chosen, and no other row is chosen for it.
    if (const int chosen = m_list->SelectedRow(); chosen >= 0 && !m_list->Rows().RowMatches(chosen, filter))
        m_list->selectionModel()->clear();
    m_list->SetFilter(filter);
    if (m_list->SelectedRow() < 0) {
        EnableSettingButtons(false);
        m_engine->SetListHeld(false);
    }
    UpdateShownCount();
}

QString CNetroveDlg::ShownCountText() const
{
    if (!m_list->Shown().Filter().IsActive())
        return {};
    return QStringLiteral("%1 of %2 shown").arg(m_list->Shown().rowCount()).arg(m_list->Rows().rowCount());
}

void CNetroveDlg::UpdateShownCount()
{
    const QString text = ShownCountText();
    if (text != m_staticShown->text())
        m_staticShown->setText(text);
}

} // namespace Netrove
