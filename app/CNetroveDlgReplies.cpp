// What the main window shows of the engine's work: rows for search replies, status texts and
// messages for setting results, and the check of a change.

#include "app/CNetroveDlg.h"

#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/RepaintLimiter.h"
#include "discovery/ScanStatusText.h"
#include "engine/DeviceEngine.h"
#include "engine/SettingResultText.h"

#include <QCheckBox>
#include <QPushButton>

namespace Netrove {

bool g_bPasswordErrorShown = false;

void CNetroveDlg::ConnectEngine()
{
    m_engine->currentChoice = [this] {
        return CurrentChoice();
    };
    connect(m_engine, &DeviceEngine::socketError, this, &CNetroveDlg::ShowSocketError);
    connect(m_engine, &DeviceEngine::ipv6Unsupported, this, [this](const QString& text) {
        m_checkIPv6->setEnabled(false);
        m_bIPv6Available = 0;
        m_chkIPv6 = 0;
        ShowMessage(text);
    });
    connect(m_engine, &DeviceEngine::rowsAboutToBeAdded, this, &CNetroveDlg::OnRowsAboutToBeAdded);
    connect(m_engine, &DeviceEngine::rowsAdded, this, &CNetroveDlg::AddDeviceRows);
    connect(m_engine, &DeviceEngine::searchSettled, this, [this] { OnTimer(TIMER_SETTLE); });
    connect(m_engine, &DeviceEngine::searchFinished, this, [this] { OnTimer(TIMER_REFRESH); });
    connect(m_engine, &DeviceEngine::settingApplied, this, &CNetroveDlg::OnSettingApplied);
    connect(m_engine, &DeviceEngine::settingFailed, this, &CNetroveDlg::HandleResult);
    connect(m_engine, &DeviceEngine::changeVerified, this, &CNetroveDlg::OnChangeVerified);
}

void CNetroveDlg::OnRowsAboutToBeAdded()
{
    m_list->LimitRepaints();
    m_statusRepaints->BeforeChange();
}

void CNetroveDlg::AddDeviceRows()
{
    m_list->ScrollToLastRow();
    if (!m_bChangeShown)
        SetStatusText(
            ScanStatusText(m_list->rowCount(), m_engine->SearchSettled() ? m_engine->LostAnswers() : 0));
    ClearSelectionMirror();
}

void CNetroveDlg::OnSettingApplied()
{
    m_btnAutoSet->setEnabled(false);
    m_btnManualSet->setEnabled(false);
    SetStatusText(QString(16, QLatin1Char(' ')));
    OnBnClickedSearch();
}

void CNetroveDlg::OnChangeVerified(const ChangeVerdict& verdict)
{
    SetStatusText(ChangeVerdictText(verdict));
    m_bChangeShown = true;
}

void CNetroveDlg::HandleResult(ReplyAction action)
{
    const QString text = SettingResultText(action);
    if (text.isEmpty())
        return;
    if (action == ReplyAction::InvalidPassword) {
        // Several devices may refuse the same request; the user is told once.
        if (g_bPasswordErrorShown)
            return;
        g_bPasswordErrorShown = true;
    }
    SetStatusText(text);
    ShowMessage(text);
}

} // namespace Netrove
