// What the main window does with the datagrams the devices send: rows for search replies, status
// texts and messages for setting results.

#include "app/CNetroveDlg.h"

#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceEntry.h"
#include "devicelist/DeviceRowFromReply.h"
#include "devicelist/RepaintLimiter.h"
#include "discovery/DiscoveryChannels.h"
#include "discovery/ScanStatusText.h"

#include <QLoggingCategory>
#include <QPushButton>

#include <cerrno>

Q_LOGGING_CATEGORY(lcRecorderTrace, "netrove.recorder", QtWarningMsg)
Q_LOGGING_CATEGORY(lcResults, "netrove.results", QtWarningMsg)

namespace Netrove {

namespace {

// Datagrams taken in at most per notification, so that the window answers clicks during a flood.
constexpr int kBatchLimit = 256;

} // namespace

bool g_bPasswordErrorShown = false;

ReplyFilter CNetroveDlg::CurrentReplyFilter() const
{
    ReplyFilter filter;
    filter.cameraBox = m_bCamera != 0;
    filter.nvrBox = m_bNVR != 0;
    filter.ipv4 = m_chkIPv4 != 0;
    filter.ipv6 = m_chkIPv6 != 0;
    filter.rowSelected = m_list->SelectedRow() >= 0;
    filter.ownTag = m_clientTag;
    filter.settingOutstanding = SettingRequestOutstanding();
    return filter;
}

void CNetroveDlg::OnASYNCMsg()
{
    int error = m_channels->TakePendingError(DiscoveryChannel::Camera);
    if (error == 0)
        error = m_channels->TakePendingError(DiscoveryChannel::IPv6);
    if (error != 0) {
        ShowSocketError(QStringLiteral("Socket failed with error"), error);
        return;
    }
    DoDataExchange(true);
    ++m_nRecvCount;
    // One batch, IPv4 before IPv6 in each round; the rest waits for the next notification.
    std::vector<NewDeviceRow> rows;
    int taken = 0;
    bool more = true;
    while (more && taken < kBatchLimit) {
        more = RecvData(DiscoveryChannel::Camera, rows);
        taken += more ? 1 : 0;
        if (m_bIPv6Available == 1) {
            const bool ipv6 = RecvData(DiscoveryChannel::IPv6, rows);
            taken += ipv6 ? 1 : 0;
            more = ipv6 || more;
        }
    }
    AddDeviceRows(rows);
}

void CNetroveDlg::OnASYNCMsgNVR()
{
    if (const int error = m_channels->TakePendingError(DiscoveryChannel::Recorder)) {
        ShowSocketError(QStringLiteral("Socket failed with error"), error);
        qCDebug(lcRecorderTrace, "WSAGETSELECTERROR!");
        return;
    }
    qCDebug(lcRecorderTrace, "OnASYNCMsgNVR!");
    DoDataExchange(true);
    ++m_nRecvCount;
    std::vector<NewDeviceRow> rows;
    for (int taken = 0; taken < kBatchLimit && RecvData(DiscoveryChannel::Recorder, rows); ++taken) {
    }
    AddDeviceRows(rows);
}

bool CNetroveDlg::RecvData(DiscoveryChannel channel, std::vector<NewDeviceRow>& rows)
{
    const bool recorder = channel == DiscoveryChannel::Recorder;
    ReceivedDatagram datagram;
    int error = 0;
    switch (m_channels->Receive(channel, datagram, error)) {
    case ReceiveStatus::NothingWaiting:
        return false;
    case ReceiveStatus::Failed:
        if (recorder)
            qCDebug(lcRecorderTrace, "[B]Receive Data Error1. (%d) Error IP : %s", error,
                    qPrintable(datagram.SenderText()));
        // An oversize datagram is gone once read, so the next may follow at once; after any other
        // failure the socket is left for its next notification rather than asked again in a loop.
        return error == EMSGSIZE;
    case ReceiveStatus::Received:
        break;
    }

    const ReplyChannel replyChannel = channel == DiscoveryChannel::Camera ? ReplyChannel::Camera
                                      : recorder                          ? ReplyChannel::Recorder
                                                                          : ReplyChannel::IPv6;
    DoDataExchange(true);
    const ReplyAction action =
        ClassifyReply(replyChannel, datagram.buffer, datagram.size, datagram.family, CurrentReplyFilter());
    if (recorder)
        qCDebug(lcRecorderTrace, "recvfrom after! %d bytes from %s, action %d", int(datagram.size),
                qPrintable(datagram.SenderText()), int(action));
    if (action == ReplyAction::UnaskedResult) {
        qCDebug(lcResults, "result %d from %s dropped: no setting request awaits one",
                int(datagram.buffer[recorder ? 4 : 0]), qPrintable(datagram.SenderText()));
        return true;
    }
    if (action == ReplyAction::AddRow) {
        rows.push_back(MakeDeviceRow(replyChannel, std::move(datagram.buffer), datagram.size, datagram.family,
                                     std::move(datagram.arrival)));
        return true;
    }
    // Rows that came before a result are listed before it is acted on, as if each datagram had
    // been handled on its own: a success empties the list and searches again.
    AddDeviceRows(rows);
    HandleResult(action);
    return true;
}

void CNetroveDlg::AddDeviceRows(std::vector<NewDeviceRow>& rows)
{
    if (rows.empty())
        return;
    m_list->LimitRepaints();
    m_statusRepaints->BeforeChange();
    m_list->AddReplies(std::move(rows));
    rows.clear();
    m_list->ScrollToLastRow();
    SetStatusText(ScanStatusText(m_list->rowCount(), m_bScanSettled ? LostAnswers() : 0));
    ClearSelectionMirror();
}

bool CNetroveDlg::SettingRequestOutstanding() const
{
    return m_bSettingOutstanding && m_sinceSettingRequest.isValid() &&
           m_sinceSettingRequest.elapsed() < kSettingAnswerMs;
}

std::uint64_t CNetroveDlg::LostAnswers() const
{
    const std::uint64_t dropped = m_channels->DroppedDatagrams();
    return dropped > m_nDroppedAtSearch ? dropped - m_nDroppedAtSearch : 0;
}

void CNetroveDlg::HandleResult(ReplyAction action)
{
    switch (action) {
    case ReplyAction::Drop:
    case ReplyAction::AddRow:
    case ReplyAction::UnaskedResult:
        return;
    case ReplyAction::SettingApplied:
        // The first success ends the wait: later results of the same request are not acted on.
        m_bSettingOutstanding = false;
        m_btnAutoSet->setEnabled(false);
        m_btnManualSet->setEnabled(false);
        SetStatusText(QString(16, QLatin1Char(' ')));
        OnBnClickedSearch();
        return;
    case ReplyAction::PortMappingError:
        SetStatusText(QStringLiteral("Port Mapping Error"));
        ShowMessage(QStringLiteral("Port Mapping Error"));
        return;
    case ReplyAction::RouterConnectError:
        SetStatusText(QStringLiteral("Router Connect Error!"));
        ShowMessage(QStringLiteral("Router Connect Error!"));
        return;
    case ReplyAction::InvalidPassword:
        if (g_bPasswordErrorShown)
            return;
        g_bPasswordErrorShown = true;
        SetStatusText(QStringLiteral("Invalid Password!"));
        ShowMessage(QStringLiteral("Invalid Password!"));
        return;
    case ReplyAction::UnknownResult:
        SetStatusText(QStringLiteral("Error!"));
        ShowMessage(QStringLiteral("Error!"));
        return;
    }
}

} // namespace Netrove
