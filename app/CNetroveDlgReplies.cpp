// What the main window shows of the engine's work: the status line, the rows as they come, the
// boxes a search holds, and messages for setting results.

#include "app/CNetroveDlg.h"

#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/RepaintLimiter.h"
#include "engine/DeviceEngine.h"
#include "engine/SettingResultText.h"

#include <QCheckBox>
#include <QPushButton>

namespace Netrove {

bool g_bPasswordErrorShown = false;

void CNetroveDlg::ConnectEngine()
{
    connect(m_engine, &DeviceEngine::socketError, this, &CNetroveDlg::ShowSocketError);
    connect(m_engine, &DeviceEngine::ipv6Unsupported, this, [this](const QString& text) {
        m_checkIPv6->setEnabled(false);
        m_bIPv6Available = 0;
        m_chkIPv6 = 0;
        ShowMessage(text);
    });
    connect(m_engine, &DeviceEngine::statusChanged, this, &CNetroveDlg::SetStatusText);
    // While a changed device is waited for, the status line says for which and for how long.
    connect(m_engine, &DeviceEngine::changeWaiting, this, &CNetroveDlg::SetStatusText);
    connect(m_engine, &DeviceEngine::searchStarted, this, &CNetroveDlg::HoldModeControls);
    connect(m_engine, &DeviceEngine::searchStarted, this, [this] {
        ++m_searchesStarted;
        SetHintText({});
    });
    connect(m_engine, &DeviceEngine::searchFinished, this, &CNetroveDlg::OnSearchFinished);
    connect(m_engine, &DeviceEngine::searchSettled, this, &CNetroveDlg::GiveBackModeControls);
    // While batches follow each other closely, the list and the status line are drawn at most once
    // per interval; each batch scrolls once.
    connect(m_engine, &DeviceEngine::rowsAboutToBeAdded, this, [this] {
        m_list->LimitRepaints();
        m_statusRepaints->BeforeChange();
    });
    connect(m_engine, &DeviceEngine::rowsAdded, this, [this] {
        // A round that keeps the list keeps the user's place in it too: the scroll position, and
        // the chosen row with its settings.
        if (m_engine->InRound())
            return;
        m_list->ScrollToLastRow();
        ClearSelectionMirror();
    });
    connect(m_engine, &DeviceEngine::settingApplied, this, &CNetroveDlg::OnSettingApplied);
    connect(m_engine, &DeviceEngine::settingFailed, this, &CNetroveDlg::HandleResult);
}

void CNetroveDlg::OnSettingApplied()
{
    // The engine empties the list and searches again.
    m_btnAutoSet->setEnabled(false);
    m_btnManualSet->setEnabled(false);
    m_btnBatchSet->setEnabled(false);
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
