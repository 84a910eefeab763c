// The search cycle of the main window: what it shows while the engine searches, and the status line.

#include "app/CNetroveDlg.h"

#include "devicelist/CNetroveListCtrl.h"
#include "discovery/ScanStatusText.h"
#include "engine/DeviceEngine.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <cstdio>

namespace Netrove {

void CNetroveDlg::OnBnClickedSearch()
{
    m_bChangeShown = false;
    m_engine->ClearSearch();
    ClearSelectionMirror();
    ScanStart();
    m_pHeader->SetSortIndicator(0, 0);
    m_pHeader->setEnabled(false);
    for (QCheckBox* box : {m_checkIPv4, m_checkIPv6, m_checkNvr, m_checkCamera})
        box->setEnabled(false);
    m_engine->RestartSearchTimers();
    m_btnAutoSet->setEnabled(false);
    m_btnManualSet->setEnabled(false);
}

void CNetroveDlg::ScanStart()
{
    SetStatusText(QStringLiteral("Scan Start..."));
    m_engine->SendSearches(CurrentChoice());
}

SearchChoice CNetroveDlg::CurrentChoice()
{
    DoDataExchange(true);
    SearchChoice choice;
    choice.camera = m_bCamera != 0;
    choice.nvr = m_bNVR != 0;
    choice.ipv4 = m_chkIPv4 == 1;
    choice.ipv6 = m_chkIPv6 == 1 && m_bIPv6Available == 1;
    choice.rowChosen = m_list->SelectedRow() >= 0;
    return choice;
}

void CNetroveDlg::OnTimer(int id)
{
    if (id == TIMER_REFRESH) {
        if (m_bChangeShown)
            return;
        if (m_list->rowCount() == 0)
            SetStatusText(ScanEndText(m_engine->LostAnswers()));
        else if (const std::uint64_t lost = m_engine->LostAnswers())
            SetStatusText(ScanStatusText(m_list->rowCount(), lost));
    } else if (id == TIMER_SETTLE) {
        m_checkIPv4->setEnabled(true);
        m_checkIPv6->setEnabled(m_bIPv6Available == 1);
        m_checkNvr->setEnabled(true);
        m_checkCamera->setEnabled(true);
        m_pHeader->setEnabled(true);
        if (m_bChangeShown)
            return;
        if (const std::uint64_t lost = m_engine->LostAnswers())
            SetStatusText(ScanStatusText(m_list->rowCount(), lost));
    }
}

void CNetroveDlg::SetStatusText(const QString& text)
{
    m_staticStatus->setText(text);
    // A screen reader reads the status line as what it shows.
    m_staticStatus->setAccessibleName(text.trimmed().isEmpty() ? QStringLiteral("Status") : text);
    std::printf("Recv Count : %d\n", m_engine->RecvCount());
    std::fflush(stdout);
}

void CNetroveDlg::ClearDeviceList()
{
    m_list->ClearDeviceList();
}

void CNetroveDlg::ClearSelectionMirror()
{
    m_mirror.mac.clear();
    m_mirror.ip.reset();
    m_mirror.subnetMask.reset();
    m_mirror.gateway.reset();
}

} // namespace Netrove
