// What the main window does when the user chooses a row: the setting buttons' rules, the mirror of
// the chosen device's settings and the row of the last click.

#include "app/CNetroveDlg.h"

#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/RowMayBeSet.h"
#include "discovery/PacketFields.h"
#include "engine/DeviceEngine.h"

#include <QCheckBox>

#include <QItemSelection>
#include <QPushButton>
#include <algorithm>

namespace Netrove {

void CNetroveDlg::OnItemChangedList(int row, bool stateChanged)
{
    if (row < 0) {
        EnableSettingButtons(false);
        return;
    }
    FillSelectionMirror(row);
    if (!stateChanged)
        return;
    if (row < m_list->Rows().rowCount())
        UpdateRowButtons(row);
    else
        EnableSettingButtons(false);
}

void CNetroveDlg::OnClickList(int row)
{
    m_nClickedItem = row;
    if (row < 0) {
        EnableSettingButtons(false);
        return;
    }
    FillSelectionMirror(row);
    if (row < m_list->Rows().rowCount())
        UpdateRowButtons(row);
    else
        EnableSettingButtons(false);
    ApplyChoiceCount();
}

void CNetroveDlg::OnColumnClickList(int column)
{
    m_list->ToggleSort(column);
    ClearSelectionMirror();
    if (const int selected = m_list->SelectedRow(); selected >= 0)
        FillSelectionMirror(selected);
}

void CNetroveDlg::OnListSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    // The row that lost the selection is announced before the one that gained it, so that the
    // mirror and the buttons end on the chosen row.
    for (const QItemSelection* change : {&deselected, &selected}) {
        int last = -1;
        for (const QModelIndex& index : change->indexes()) {
            const int row = m_list->SourceRow(index);
            if (row == last)
                continue;
            last = row;
            OnItemChangedList(row, true);
        }
    }
    ApplyChoiceCount();
    // A chosen row holds the list still; while the engine keeps searching, the chosen rows alone.
    QStringList held;
    for (const int row : m_list->SelectedRows())
        held << m_list->Rows().Text(row, ColumnMac);
    m_engine->SetListHeld(!held.isEmpty(), held);
}

void CNetroveDlg::ApplyChoiceCount()
{
    const std::vector<int> chosen = m_list->SelectedRows();
    if (chosen.size() < 2) {
        m_btnBatchSet->setEnabled(false);
        return;
    }
    EnableSettingButtons(false);
    const DeviceListModel& rows = m_list->Rows();
    const auto settable = std::count_if(chosen.begin(), chosen.end(), [&rows](int row) {
        return RowMayBeSet(rows.Text(row, ColumnProtocol), rows.EntryAt(row));
    });
    m_btnBatchSet->setEnabled(settable >= 2);
    const bool otherMakers = std::any_of(chosen.begin(), chosen.end(), [&rows](int row) {
        const DeviceEntry* entry = rows.EntryAt(row);
        return entry && entry->onvif;
    });
    ShowSetElsewhere(otherMakers && settable < 2);
}

void CNetroveDlg::FillSelectionMirror(int row)
{
    if (row < 0)
        return;
    const DeviceEntry* entry = m_list->Rows().EntryAt(row);
    if (entry == nullptr)
        return;
    const PacketKind kind = entry->kind;
    const auto& reply = entry->reply;

    m_mirror.mac = QString::fromLatin1(ReadText(kind, reply, PacketField::MacAddress));
    m_mirror.ip = ParseDottedQuad(ReadText(kind, reply, PacketField::IpAddress));
    m_mirror.subnetMask = ParseDottedQuad(ReadText(kind, reply, PacketField::SubnetMask));
    m_mirror.gateway = ParseDottedQuad(ReadText(kind, reply, PacketField::Gateway));
    m_mirror.password.clear();
    m_mirror.httpPort = QString::number(ReadU16(kind, reply, PacketField::HttpPort));
    m_mirror.tcpPort = QString::number(ReadU16(kind, reply, PacketField::TcpPort));
    m_mirror.udpPort = QString::number(ReadU16(kind, reply, PacketField::UdpPort));
    m_mirror.dlxPort = QString::number(ReadU16(kind, reply, PacketField::DlxPort));
    m_mirror.uploadPort = QString::number(ReadU16(kind, reply, PacketField::UploadPort));
    m_mirror.adapterMac = m_mirror.mac;
    m_mirror.adapter = entry->arrival;
}

void CNetroveDlg::UpdateRowButtons(int row)
{
    // Choosing a row ends the running search cycle.
    m_engine->StopSearchTimers();

    const DeviceListModel& rows = m_list->Rows();
    EnableSettingButtons(RowMayBeSet(rows.Text(row, ColumnProtocol), rows.EntryAt(row)));
    const DeviceEntry* entry = rows.EntryAt(row);
    ShowSetElsewhere(entry && entry->onvif);
    GiveBackModeControls();
}

void CNetroveDlg::ShowSetElsewhere(bool shown)
{
    // Why the buttons are greyed for another maker's camera, where a mouse and a screen reader find it.
    const QString tip = shown ? QString::fromUtf16(kOnvifSetElsewhereText) : QString();
    for (QPushButton* button : {m_btnAutoSet, m_btnManualSet, m_btnBatchSet}) {
        button->setToolTip(tip);
        button->setAccessibleDescription(tip);
    }
}

void CNetroveDlg::EnableSettingButtons(bool enabled)
{
    m_btnAutoSet->setEnabled(enabled);
    m_btnManualSet->setEnabled(enabled);
}

} // namespace Netrove
