// The search cycle of the main window: what a search holds while it runs, and the status line.

#include "app/CNetroveDlg.h"

#include "devicelist/CNetroveListCtrl.h"
#include "engine/DeviceEngine.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <cstdio>

namespace Netrove {

void CNetroveDlg::OnBnClickedSearch()
{
    TellSearchChoice();
    m_engine->StartSearch();
}

void CNetroveDlg::SetChangeWaitMs(int ms)
{
    m_engine->SetChangeWaitMs(ms);
}

void CNetroveDlg::HoldModeControls()
{
    ClearSelectionMirror();
    m_pHeader->SetSortIndicator(-1, 0);
    m_pHeader->setEnabled(false);
    for (QCheckBox* box : {m_checkIPv4, m_checkIPv6, m_checkNvr, m_checkOnvif, m_checkCamera})
        box->setEnabled(false);
    EnableSettingButtons(false);
    m_btnBatchSet->setEnabled(false);
    ShowSetElsewhere(false);
}

void CNetroveDlg::GiveBackModeControls()
{
    m_checkIPv4->setEnabled(true);
    m_checkIPv6->setEnabled(m_bIPv6Available == 1);
    m_checkNvr->setEnabled(true);
    m_checkOnvif->setEnabled(m_engine->OnvifAvailable());
    m_checkCamera->setEnabled(true);
    m_pHeader->setEnabled(true);
}

void CNetroveDlg::SetStatusText(const QString& text)
{
    // A screen reader reads the status line as what it shows: a label's name is its text.
    m_staticStatus->setText(text);
    std::printf("Recv Count : %d\n", m_engine->RecvCount());
    std::fflush(stdout);
}

void CNetroveDlg::ClearSelectionMirror()
{
    m_mirror.mac.clear();
    m_mirror.ip.reset();
    m_mirror.subnetMask.reset();
    m_mirror.gateway.reset();
}

} // namespace Netrove
