// What the main window does with the datagrams the devices send: rows for search replies, status
// texts and messages for setting results.

#include "app/CNetroveDlg.h"

#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceEntry.h"
#include "discovery/DiscoveryChannels.h"

#include <QLoggingCategory>
#include <QPushButton>

#include <cerrno>

Q_LOGGING_CATEGORY(lcRecorderTrace, "netrove.recorder", QtWarningMsg)

namespace Netrove {

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
    // Everything waiting is read now, IPv4 before IPv6 in each round, so that a burst of answers
    // does not overflow the queues while it waits for further notifications.
    bool more = true;
    while (more) {
        more = RecvData(DiscoveryChannel::Camera);
        if (m_bIPv6Available == 1)
            more = RecvData(DiscoveryChannel::IPv6) || more;
    }
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
    while (RecvData(DiscoveryChannel::Recorder)) {
    }
}

bool CNetroveDlg::RecvData(DiscoveryChannel channel)
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
                    qPrintable(datagram.sender));
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
                qPrintable(datagram.sender), int(action));
    if (action == ReplyAction::AddRow)
        AddDeviceRow(replyChannel, std::move(datagram.buffer), datagram.size, datagram.family);
    else
        HandleResult(action);
    return true;
}

void CNetroveDlg::AddDeviceRow(ReplyChannel channel, std::vector<std::uint8_t> buffer, std::size_t received,
                               int senderFamily)
{
    const DeviceRowTexts texts = PrepareSearchReply(channel, buffer, received, senderFamily);
    if (channel == ReplyChannel::Recorder)
        qCDebug(lcRecorderTrace, "SCAN MAC[%s], IP[%s]", texts.mac.c_str(), texts.ip.c_str());

    const QString mac = QString::fromLatin1(texts.mac);
    int position = m_list->FindRowByMac(mac);
    if (position >= 0)
        m_list->RemoveDeviceRow(position);
    else
        position = m_list->rowCount();

    auto entry = std::make_unique<DeviceEntry>();
    entry->kind = ChannelKind(channel);
    entry->reply = std::move(buffer);
    const std::array<QString, 8> columns = {QStringLiteral("  %1").arg(position + 1),
                                            QString::fromLatin1(texts.model),
                                            QString::fromLatin1(texts.alias),
                                            QString::fromLatin1(texts.mode),
                                            mac,
                                            QString::fromLatin1(texts.ip),
                                            QString::fromLatin1(texts.protocol),
                                            QString::fromLatin1(texts.url)};
    m_list->InsertDeviceRow(position, std::move(entry), columns);
    m_list->ScrollToLastRow();

    const int count = m_list->rowCount();
    SetStatusText(QStringLiteral("Scan %1 %2")
                      .arg(count)
                      .arg(count < 2 ? QStringLiteral("Item") : QStringLiteral("Items")));
    ClearSelectionMirror();
}

void CNetroveDlg::HandleResult(ReplyAction action)
{
    switch (action) {
    case ReplyAction::Drop:
    case ReplyAction::AddRow:
        return;
    case ReplyAction::SettingApplied:
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
