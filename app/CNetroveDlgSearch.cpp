// The search cycle of the main window: sending the searches, the two timers and the status line.

#include "app/CNetroveDlg.h"

#include "autoset/UsedPortTable.h"
#include "devicelist/CNetroveListCtrl.h"
#include "discovery/DiscoveryChannels.h"
#include "discovery/ScanStatusText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLoggingCategory>
#include <QPushButton>

#include <cstdio>

Q_LOGGING_CATEGORY(lcTimerTrace, "netrove.timers", QtWarningMsg)

namespace Netrove {

void CNetroveDlg::OnBnClickedSearch()
{
    GlobalUsedPortTable().Clear();
    m_bScanSettled = false;
    m_nDroppedAtSearch = m_channels->DroppedDatagrams();
    ClearDeviceList();
    ClearSelectionMirror();
    ScanStart();
    m_pHeader->SetSortIndicator(0, 0);
    m_pHeader->setEnabled(false);
    for (QCheckBox* box : {m_checkIPv4, m_checkIPv6, m_checkNvr, m_checkCamera})
        box->setEnabled(false);
    m_timerRefresh.start();
    m_timerSettle.start();
    m_btnAutoSet->setEnabled(false);
    m_btnManualSet->setEnabled(false);
}

void CNetroveDlg::ScanStart()
{
    SetStatusText(QStringLiteral("Scan Start..."));
    DoDataExchange(true);
    const std::uint8_t search = static_cast<std::uint8_t>(PacketOpcode::Search);
    if (m_chkIPv4 == 1) {
        if (m_bCamera)
            m_channels->SendCameraSearch(m_clientTag, search);
        if (m_bNVR)
            m_channels->SendRecorderSearch(m_clientTag, search);
    }
    if (m_chkIPv6 == 1 && m_bIPv6Available == 1 && m_bCamera)
        m_channels->SendIPv6Search(m_clientTag, search);
}

void CNetroveDlg::OnTimer(int id)
{
    if (id == TIMER_REFRESH) {
        if (m_list->SelectedRow() < 0) {
            ++m_nRefreshCount;
            qCDebug(lcTimerTrace, "Do Timer : Refresh [%d]", m_nRefreshCount);
        } else {
            m_nRefreshCount = 0;
            m_timerRefresh.stop();
            qCDebug(lcTimerTrace, "Kill Timer : SelectedItem > -1");
        }
        if (m_nRefreshCount == 2) {
            m_nRefreshCount = 0;
            m_timerRefresh.stop();
            if (m_list->rowCount() == 0)
                SetStatusText(ScanEndText(LostAnswers()));
            else if (const std::uint64_t lost = LostAnswers())
                SetStatusText(ScanStatusText(m_list->rowCount(), lost));
            qCDebug(lcTimerTrace, "Kill Timer : m_nRefreshCount == 3");
        }
    } else if (id == TIMER_SETTLE) {
        const int count = m_list->rowCount();
        if (count == m_nLastItemCount)
            ++m_nStableTicks;
        else
            m_nLastItemCount = count;
        if (m_nStableTicks == 1) {
            m_nStableTicks = 0;
            m_checkIPv4->setEnabled(true);
            m_checkIPv6->setEnabled(m_bIPv6Available == 1);
            m_checkNvr->setEnabled(true);
            m_checkCamera->setEnabled(true);
            m_pHeader->setEnabled(true);
            m_timerSettle.stop();
            m_bScanSettled = true;
            if (const std::uint64_t lost = LostAnswers())
                SetStatusText(ScanStatusText(m_list->rowCount(), lost));
        }
    }
}

void CNetroveDlg::SetStatusText(const QString& text)
{
    m_staticStatus->setText(text);
    // A screen reader reads the status line as what it shows.
    m_staticStatus->setAccessibleName(text.trimmed().isEmpty() ? QStringLiteral("Status") : text);
    std::printf("Recv Count : %d\n", m_nRecvCount);
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
