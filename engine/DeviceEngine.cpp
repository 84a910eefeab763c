#include "engine/DeviceEngine.h"

#include "autoset/IcmpProbe.h"
#include "autoset/SearchNetwork.h"
#include "autoset/UsedPortTable.h"
#include "devicelist/DeviceListModel.h"
#include "devicelist/DeviceRowFromReply.h"
#include "discovery/ClientTagMaker.h"
#include "discovery/DiscoveryChannels.h"
#include "discovery/NetworkAdapters.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QDateTime>
#include <QLoggingCategory>

#include <cerrno>

Q_LOGGING_CATEGORY(lcRecorderTrace, "netrove.recorder", QtWarningMsg)
Q_LOGGING_CATEGORY(lcResults, "netrove.results", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTimerTrace, "netrove.timers", QtWarningMsg)

namespace Netrove {

namespace {

// Datagrams taken in at most per notification, so that a front end answers clicks during a flood.
constexpr int kBatchLimit = 256;

ReplyChannel ReplyChannelOf(DiscoveryChannel channel)
{
    switch (channel) {
    case DiscoveryChannel::Camera:
        return ReplyChannel::Camera;
    case DiscoveryChannel::Recorder:
        return ReplyChannel::Recorder;
    case DiscoveryChannel::IPv6:
        return ReplyChannel::IPv6;
    }
    return ReplyChannel::Camera;
}

} // namespace

DeviceEngine::DeviceEngine(DeviceListModel* rows, QObject* parent)
    : QObject(parent)
    , m_rows(rows != nullptr ? rows : new DeviceListModel(this))
    , m_channels(new DiscoveryChannels(this))
{
    m_channels->onSocketError = [this](const QString& text, int code) {
        emit socketError(text, code);
    };
    m_channels->onIPv6Unsupported = [this](const QString& text) {
        m_bIPv6Available = false;
        emit ipv6Unsupported(text);
    };
    connect(m_channels, &DiscoveryChannels::cameraReadable, this, &DeviceEngine::OnASYNCMsg);
    connect(m_channels, &DiscoveryChannels::recorderReadable, this, &DeviceEngine::OnASYNCMsgNVR);

    m_timerRefresh.setInterval(kRefreshPeriodMs);
    m_timerSettle.setInterval(kSettlePeriodMs);
    m_timerRefresh.setTimerType(Qt::PreciseTimer);
    m_timerSettle.setTimerType(Qt::PreciseTimer);
    connect(&m_timerRefresh, &QTimer::timeout, this, &DeviceEngine::OnRefreshTick);
    connect(&m_timerSettle, &QTimer::timeout, this, &DeviceEngine::OnSettleTick);

    m_settingDeadline.setSingleShot(true);
    connect(&m_settingDeadline, &QTimer::timeout, this, [this] {
        if (m_bSettingOutstanding && !m_bResultSeen)
            emit settingUnanswered();
    });
    m_verifyDeadline.setSingleShot(true);
    m_verifyDeadline.setTimerType(Qt::PreciseTimer);
    connect(&m_verifyDeadline, &QTimer::timeout, this, &DeviceEngine::OnVerifyDeadline);
}

DeviceEngine::~DeviceEngine()
{
    // The rows may be a window's and gone already; only the sockets are the engine's to close.
    m_channels->CloseSockets();
}

SearchChoice DeviceEngine::Choice() const
{
    return currentChoice ? currentChoice() : SearchChoice{};
}

void DeviceEngine::Open()
{
    m_channels->InitCameraChannel();
    m_channels->InitRecorderChannel();
    m_channels->InitIPv6Channel();
    const auto seconds = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
    m_clientTag = MakeClientTag(seconds, FirstAdapterHardwareAddress());
}

void DeviceEngine::Close()
{
    m_channels->CloseSockets();
    m_rows->ClearDeviceList();
}

void DeviceEngine::StartSearch()
{
    ClearSearch();
    SendSearches(Choice());
    RestartSearchTimers();
}

void DeviceEngine::ClearSearch()
{
    GlobalUsedPortTable().Clear();
    m_bScanSettled = false;
    m_nDroppedAtSearch = m_channels->DroppedDatagrams();
    m_rows->ClearDeviceList();
}

void DeviceEngine::SendSearches(const SearchChoice& choice)
{
    const std::uint8_t search = static_cast<std::uint8_t>(PacketOpcode::Search);
    if (choice.ipv4) {
        if (choice.camera)
            m_channels->SendCameraSearch(m_clientTag, search);
        if (choice.nvr)
            m_channels->SendRecorderSearch(m_clientTag, search);
    }
    if (choice.ipv6 && m_bIPv6Available && choice.camera)
        m_channels->SendIPv6Search(m_clientTag, search);
    // A changed device has this search's time to come back.
    if (m_verifying)
        m_verifyDeadline.start(kSearchMs);
}

void DeviceEngine::RestartSearchTimers()
{
    m_timerRefresh.start();
    m_timerSettle.start();
}

void DeviceEngine::StopSearchTimers()
{
    m_timerRefresh.stop();
    m_timerSettle.stop();
}

void DeviceEngine::OnRefreshTick()
{
    if (!Choice().rowChosen) {
        ++m_nRefreshCount;
        qCDebug(lcTimerTrace, "Do Timer : Refresh [%d]", m_nRefreshCount);
    } else {
        m_nRefreshCount = 0;
        m_timerRefresh.stop();
        qCDebug(lcTimerTrace, "Kill Timer : SelectedItem > -1");
    }
    if (m_nRefreshCount == kRefreshTicks) {
        m_nRefreshCount = 0;
        m_timerRefresh.stop();
        emit searchFinished();
        qCDebug(lcTimerTrace, "Kill Timer : m_nRefreshCount == 3");
    }
}

void DeviceEngine::OnSettleTick()
{
    const int count = m_rows->rowCount();
    if (count == m_nLastItemCount)
        ++m_nStableTicks;
    else
        m_nLastItemCount = count;
    if (m_nStableTicks == 1) {
        m_nStableTicks = 0;
        m_timerSettle.stop();
        m_bScanSettled = true;
        emit searchSettled();
    }
}

std::uint64_t DeviceEngine::LostAnswers() const
{
    const std::uint64_t dropped = m_channels->DroppedDatagrams();
    return dropped > m_nDroppedAtSearch ? dropped - m_nDroppedAtSearch : 0;
}

ReplyFilter DeviceEngine::CurrentReplyFilter() const
{
    const SearchChoice choice = Choice();
    ReplyFilter filter;
    filter.cameraBox = choice.camera;
    filter.nvrBox = choice.nvr;
    filter.ipv4 = choice.ipv4;
    filter.ipv6 = choice.ipv6;
    filter.rowSelected = choice.rowChosen;
    filter.ownTag = m_clientTag;
    filter.settingOutstanding = SettingRequestOutstanding();
    return filter;
}

void DeviceEngine::OnASYNCMsg()
{
    int error = m_channels->TakePendingError(DiscoveryChannel::Camera);
    if (error == 0)
        error = m_channels->TakePendingError(DiscoveryChannel::IPv6);
    if (error != 0) {
        emit socketError(QStringLiteral("Socket failed with error"), error);
        return;
    }
    ++m_nRecvCount;
    // One batch, IPv4 before IPv6 in each round; the rest waits for the next notification.
    std::vector<NewDeviceRow> rows;
    int taken = 0;
    bool more = true;
    while (more && taken < kBatchLimit) {
        more = RecvData(DiscoveryChannel::Camera, rows);
        taken += more ? 1 : 0;
        if (m_bIPv6Available) {
            const bool ipv6 = RecvData(DiscoveryChannel::IPv6, rows);
            taken += ipv6 ? 1 : 0;
            more = ipv6 || more;
        }
    }
    AddDeviceRows(rows);
}

void DeviceEngine::OnASYNCMsgNVR()
{
    if (const int error = m_channels->TakePendingError(DiscoveryChannel::Recorder)) {
        emit socketError(QStringLiteral("Socket failed with error"), error);
        qCDebug(lcRecorderTrace, "WSAGETSELECTERROR!");
        return;
    }
    qCDebug(lcRecorderTrace, "OnASYNCMsgNVR!");
    ++m_nRecvCount;
    std::vector<NewDeviceRow> rows;
    for (int taken = 0; taken < kBatchLimit && RecvData(DiscoveryChannel::Recorder, rows); ++taken) {
    }
    AddDeviceRows(rows);
}

bool DeviceEngine::RecvData(DiscoveryChannel channel, std::vector<NewDeviceRow>& rows)
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

    const ReplyChannel replyChannel = ReplyChannelOf(channel);
    // Whether the list takes it or not (a row held, a box unchecked), a changed device answering
    // is what its check waits for.
    CheckChange(replyChannel, datagram.buffer, datagram.size, datagram.family);
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

void DeviceEngine::AddDeviceRows(std::vector<NewDeviceRow>& rows)
{
    if (rows.empty())
        return;
    emit rowsAboutToBeAdded();
    m_rows->AddReplies(std::move(rows));
    rows.clear();
    emit rowsAdded();
}

void DeviceEngine::CheckChange(ReplyChannel channel, std::span<const std::uint8_t> buffer,
                               std::size_t received, int senderFamily)
{
    if (!m_verifying)
        return;
    const PacketKind kind = ChannelKind(channel);
    if (senderFamily != ChannelFamily(channel) || received < FieldOf(kind, PacketField::ClientTag)->end())
        return;
    if (ReadByte(kind, buffer, PacketField::Opcode) != static_cast<std::uint8_t>(PacketOpcode::SearchReply) ||
        IsForeignPacket(m_clientTag, FieldBytes(kind, buffer, PacketField::ClientTag)))
        return;
    const QString mac = QString::fromLatin1(ReadText(kind, buffer, PacketField::MacAddress));
    const QString address = QString::fromLatin1(ReadText(kind, buffer, PacketField::IpAddress));
    const std::optional<ChangeVerdict> verdict = CheckAnswer(*m_verifying, mac, address);
    if (!verdict)
        return;
    m_verifying.reset();
    m_verifyDeadline.stop();
    emit changeVerified(*verdict);
}

void DeviceEngine::OnVerifyDeadline()
{
    if (!m_verifying)
        return;
    const ChangeVerdict verdict = NoAnswerVerdict(*m_verifying);
    m_verifying.reset();
    emit changeVerified(verdict);
}

void DeviceEngine::HandleResult(ReplyAction action)
{
    switch (action) {
    case ReplyAction::Drop:
    case ReplyAction::AddRow:
    case ReplyAction::UnaskedResult:
        return;
    case ReplyAction::SettingApplied:
        // The first success ends the wait: later results of the same request are not acted on.
        m_bSettingOutstanding = false;
        m_bResultSeen = true;
        m_settingDeadline.stop();
        m_verifying = m_requestedChange;
        m_verifyDeadline.stop();
        emit settingApplied();
        return;
    case ReplyAction::PortMappingError:
    case ReplyAction::RouterConnectError:
    case ReplyAction::InvalidPassword:
    case ReplyAction::UnknownResult:
        m_bResultSeen = true;
        emit settingFailed(action);
        return;
    }
}

bool DeviceEngine::SettingRequestOutstanding() const
{
    return m_bSettingOutstanding && m_sinceSettingRequest.isValid() &&
           m_sinceSettingRequest.elapsed() < m_nSettingAnswerMs;
}

void DeviceEngine::SendSetting(bool camera, std::span<std::uint8_t> packet, const ArrivalAdapter& adapter)
{
    m_bSettingOutstanding = true;
    m_bResultSeen = false;
    m_sinceSettingRequest.start();
    m_settingDeadline.start(m_nSettingAnswerMs);
    // A new request: whatever an earlier one changed is no longer waited for.
    m_requestedChange = ReadSettingChange(packet);
    m_verifying.reset();
    m_verifyDeadline.stop();
    if (camera)
        m_channels->SendCameraPacket(packet, m_clientTag, adapter);
    else
        m_channels->SendRecorderPacket(packet, m_clientTag, adapter);
}

void DeviceEngine::SendCameraPacket(std::span<std::uint8_t> packet, const ArrivalAdapter& adapter)
{
    SendSetting(true, packet, adapter);
}

void DeviceEngine::SendRecorderPacket(std::span<std::uint8_t> packet, const ArrivalAdapter& adapter)
{
    SendSetting(false, packet, adapter);
}

FreeAddressProposal DeviceEngine::FindFreeAddressFor(const ArrivalAdapter& arrival)
{
    const std::optional<SearchNetwork> network = SearchNetworkOf(arrival);
    IcmpProber prober(network ? network->adapter : std::string());
    return FindFreeAddress(network, prober);
}

} // namespace Netrove
