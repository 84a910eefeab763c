#include "engine/DeviceEngine.h"

#include "autoset/IcmpProbe.h"
#include "autoset/SearchNetwork.h"
#include "autoset/UsedPortTable.h"
#include "devicelist/DeviceListModel.h"
#include "devicelist/DeviceRowFromReply.h"
#include "discovery/DiscoveryChannels.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "discovery/ScanStatusText.h"
#include "discovery/SearchRequests.h"
#include "engine/FreedMemory.h"
#include "onvif/OnvifSockets.h"

#include <QDateTime>
#include <QLoggingCategory>

#include <cerrno>

Q_LOGGING_CATEGORY(lcRecorderTrace, "netrove.recorder", QtWarningMsg)
Q_LOGGING_CATEGORY(lcResults, "netrove.results", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTimerTrace, "netrove.timers", QtWarningMsg)

namespace Netrove {

namespace {

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
    : DeviceEngine(std::make_unique<DiscoveryChannels>(), MakeSystemClock(), rows, parent)
{
    UseOnvifChannel(std::make_unique<OnvifSockets>());
}

void DeviceEngine::UseOnvifChannel(std::unique_ptr<OnvifChannel> channel)
{
    m_onvif = std::make_unique<OnvifSource>(std::move(channel));
}

DeviceEngine::DeviceEngine(std::unique_ptr<DeviceChannel> channel, std::unique_ptr<EngineClock> clock,
                           DeviceListModel* rows, QObject* parent)
    : QObject(parent)
    , m_clock(std::move(clock))
    , m_channel(std::move(channel))
    , m_rows(rows != nullptr ? rows : new DeviceListModel(this))
{
    m_timerRefresh = m_clock->MakeTimer(true, [this] { OnRefreshTick(); });
    m_timerSettle = m_clock->MakeTimer(true, [this] { OnSettleTick(); });
    m_settingDeadline = m_clock->MakeTimer(false, [this] {
        if (m_bSettingOutstanding && !m_bResultSeen)
            emit settingUnanswered();
    });
    m_batchTick = m_clock->MakeTimer(true, [this] { OnBatchTick(); });
    m_schedule = std::make_unique<SearchSchedule>(
        *m_clock, [this] { SendSearchRequests(); }, &ReturnFreedMemory);
    ChangeWatch::Hooks hooks;
    hooks.round = [this] {
        StartRound();
    };
    hooks.progress = [this] {
        emit changeWaiting(m_watch->ProgressText());
    };
    hooks.ended = [this] {
        OnWatchEnded();
    };
    m_watch = std::make_unique<ChangeWatch>(*m_clock, std::move(hooks));
    m_live = std::make_unique<LiveRounds>(*m_clock, [this] { StartRound(); });
    m_roundEnd = m_clock->MakeTimer(false, [this] { EndRound(); });
}

DeviceEngine::~DeviceEngine()
{
    // The rows may be a window's and gone already; only the channels are the engine's to close.
    m_channel->Close();
}

void DeviceEngine::Open()
{
    DeviceChannel::Receiver receiver;
    receiver.onBatch = [this](DatagramBatch& batch) {
        if (batch.channel == DiscoveryChannel::Recorder)
            OnASYNCMsgNVR(batch);
        else
            OnASYNCMsg(batch);
    };
    receiver.onSocketError = [this](const QString& text, int code) {
        emit socketError(text, code);
    };
    receiver.onIPv6Unsupported = [this](const QString& text) {
        m_bIPv6Available = false;
        emit ipv6Unsupported(text);
    };
    m_channel->Open(std::move(receiver));
    if (m_onvif) {
        OnvifSource::Receiver onvif;
        onvif.onRows = [this](std::vector<NewDeviceRow>& rows) {
            TakeOnvifRows(rows);
        };
        onvif.onBye = [this](const QString& endpointKey) {
            m_rows->EndpointLeft(endpointKey);
            ShowScanCount();
        };
        onvif.onSocketError = [this](const QString& text, int code) {
            emit socketError(text, code);
        };
        m_onvif->Open(std::move(onvif));
    }
    const auto seconds = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
    m_clientTag = MakeClientTag(seconds, m_channel->TagHardwareAddress());
}

void DeviceEngine::Close()
{
    m_schedule->Stop();
    m_watch->Stop();
    m_live->Stop();
    m_roundEnd->Stop();
    m_bRoundOpen = false;
    m_channel->Close();
    if (m_onvif)
        m_onvif->Close();
    m_rows->ClearDeviceList();
}

void DeviceEngine::StartSearch()
{
    // The user searches again: what was waited for is no longer of interest.
    m_watch->Stop();
    if (BatchRunning() && m_bBatchChecking)
        FinishBatch();
    Search();
}

void DeviceEngine::Search()
{
    GlobalUsedPortTable().Clear();
    m_bScanSettled = false;
    m_bChangeShown = false;
    m_nDroppedAtSearch = m_channel->DroppedDatagrams();
    m_rows->ClearDeviceList();
    m_rows->StartRound();
    // Every device of the empty list is heard in this search: no round to account for.
    m_roundEnd->Stop();
    m_bRoundOpen = false;
    m_bInRound = false;
    // An empty list holds no row.
    m_bListHeld = false;
    m_heldMacs.clear();
    ScanStart();
    m_timerRefresh->Start(kRefreshPeriodMs);
    m_timerSettle->Start(kSettlePeriodMs);
    emit searchStarted();
}

void DeviceEngine::SetListHeld(bool held, const QStringList& heldMacs)
{
    m_bListHeld = held;
    m_heldMacs.clear();
    for (const QString& mac : heldMacs)
        m_heldMacs.insert(mac.toUtf8());
}

void DeviceEngine::SetKeepSearching(bool on, int intervalMs)
{
    if (on)
        m_live->Start(intervalMs);
    else
        m_live->Stop();
    if (m_onvif)
        m_onvif->SetAnnouncementsHeard(on);
}

void DeviceEngine::StartRound()
{
    EndRound();
    m_rows->StartRound();
    m_bRoundOpen = true;
    m_bInRound = true;
    m_roundEnd->Start(kSearchMs);
    BeginSchedule();
}

void DeviceEngine::BeginSchedule()
{
    m_scheduleChoice = m_choice;
    if (m_onvif)
        m_onvif->NewSearch(m_choice.onvif && m_choice.ipv4,
                           m_choice.onvif && m_choice.ipv6 && m_bIPv6Available);
    m_schedule->Start();
}

void DeviceEngine::ScanStart()
{
    SetStatusText(QStringLiteral("Scan Start..."));
    BeginSchedule();
}

void DeviceEngine::SendSearchRequests()
{
    const auto search = static_cast<std::uint8_t>(PacketOpcode::Search);
    const SearchChoice& choice = m_scheduleChoice;
    if (choice.ipv4) {
        if (choice.camera)
            m_channel->SendSearch(DiscoveryChannel::Camera, BuildCameraSearch(m_clientTag, search));
        if (choice.nvr)
            m_channel->SendSearch(DiscoveryChannel::Recorder, BuildRecorderSearch(m_clientTag, search));
    }
    if (choice.ipv6 && m_bIPv6Available && choice.camera)
        m_channel->SendSearch(DiscoveryChannel::IPv6, BuildIPv6Search(m_clientTag, search));
    if (m_onvif)
        m_onvif->Send();
}

void DeviceEngine::TakeOnvifRows(std::vector<NewDeviceRow>& rows)
{
    // A held list takes nothing in, as for the devices of ours.
    if (m_bListHeld && !KeepSearching())
        return;
    std::vector<NewDeviceRow> listed;
    const qint64 now = m_clock->WallMs();
    for (NewDeviceRow& row : rows) {
        // A device of ours that answers ONVIF too is listed once, from its own answer.
        const QString& mac = row.texts[ColumnMac];
        if (!mac.isEmpty() && (m_rows->FindRowByMac(mac) >= 0 || m_rows->FindRowByMac(mac.toLower()) >= 0))
            continue;
        row.entry->lastSeenMs = now;
        listed.push_back(std::move(row));
    }
    AddDeviceRows(listed);
}

void DeviceEngine::StopSearchTimers()
{
    m_timerRefresh->Stop();
    m_timerSettle->Stop();
}

void DeviceEngine::SetStatusText(const QString& text)
{
    emit statusChanged(text);
}

void DeviceEngine::ShowScanCount()
{
    if (!m_bChangeShown)
        SetStatusText(ScanStatusText(m_rows->rowCount(), m_bScanSettled ? LostAnswers() : 0,
                                     m_rows->NotAnsweringCount()));
}

void DeviceEngine::OnRefreshTick()
{
    if (!m_bListHeld) {
        ++m_nRefreshCount;
        qCDebug(lcTimerTrace, "Do Timer : Refresh [%d]", m_nRefreshCount);
    } else {
        m_nRefreshCount = 0;
        m_timerRefresh->Stop();
        qCDebug(lcTimerTrace, "Kill Timer : SelectedItem > -1");
    }
    if (m_nRefreshCount != kRefreshTicks)
        return;
    m_nRefreshCount = 0;
    m_timerRefresh->Stop();
    if (!m_bChangeShown) {
        if (m_rows->rowCount() == 0)
            SetStatusText(ScanEndText(LostAnswers()));
        else if (const std::uint64_t lost = LostAnswers())
            SetStatusText(ScanStatusText(m_rows->rowCount(), lost, m_rows->NotAnsweringCount()));
    }
    emit searchFinished();
    qCDebug(lcTimerTrace, "Kill Timer : m_nRefreshCount == 3");
}

void DeviceEngine::EndRound()
{
    if (!m_bRoundOpen)
        return;
    m_bRoundOpen = false;
    m_roundEnd->Stop();
    // A held list took no answers in: nothing is known of who answered.
    if (m_bListHeld && !KeepSearching())
        return;
    // Only a device the round asked for can have missed it.
    const SearchChoice& asked = m_scheduleChoice;
    const bool ipv6 = m_bIPv6Available;
    m_rows->EndRound([&asked, ipv6](const DeviceEntry& entry) {
        if (entry.onvif)
            return asked.onvif && (asked.ipv4 || (asked.ipv6 && ipv6));
        switch (entry.kind) {
        case PacketKind::KindCamera:
            return asked.camera && asked.ipv4;
        case PacketKind::KindCameraIPv6:
            return asked.camera && ((asked.ipv6 && ipv6) || asked.ipv4);
        case PacketKind::KindRecorder:
            return asked.nvr && asked.ipv4;
        }
        return false;
    });
    ShowScanCount();
    emit roundEnded();
}

void DeviceEngine::OnSettleTick()
{
    const int count = m_rows->rowCount();
    if (count == m_nLastItemCount)
        ++m_nStableTicks;
    else
        m_nLastItemCount = count;
    if (m_nStableTicks != 1)
        return;
    m_nStableTicks = 0;
    m_timerSettle->Stop();
    m_bScanSettled = true;
    emit searchSettled();
    // What was lost on the way in is told once the count holds still.
    if (LostAnswers() > 0)
        ShowScanCount();
}

std::uint64_t DeviceEngine::LostAnswers() const
{
    const std::uint64_t dropped = m_channel->DroppedDatagrams();
    return dropped > m_nDroppedAtSearch ? dropped - m_nDroppedAtSearch : 0;
}

std::vector<Ipv4Octets> DeviceEngine::OtherMakersAddresses() const
{
    std::vector<Ipv4Octets> taken;
    for (int row = 0; row < m_rows->rowCount(); ++row) {
        const DeviceEntry* entry = m_rows->EntryAt(row);
        if (!entry || !entry->onvif)
            continue;
        if (const std::optional<Ipv4Octets> address = ParseDottedQuad(entry->onvif->ip.toStdString()))
            taken.push_back(*address);
    }
    return taken;
}

ReplyFilter DeviceEngine::CurrentReplyFilter() const
{
    ReplyFilter filter;
    filter.cameraBox = m_choice.camera;
    filter.nvrBox = m_choice.nvr;
    filter.ipv4 = m_choice.ipv4;
    filter.ipv6 = m_choice.ipv6;
    // While it keeps searching, a held row stays as it is and the others go on (AddDeviceRows).
    filter.rowSelected = m_bListHeld && !KeepSearching();
    filter.ownTag = m_clientTag;
    filter.settingOutstanding = SettingRequestOutstanding() || (BatchRunning() && !m_bBatchChecking);
    return filter;
}

void DeviceEngine::OnASYNCMsg(DatagramBatch& batch)
{
    ++m_nRecvCount;
    TakeBatch(batch);
}

void DeviceEngine::OnASYNCMsgNVR(DatagramBatch& batch)
{
    qCDebug(lcRecorderTrace, "OnASYNCMsgNVR!");
    if (batch.socketError != 0)
        qCDebug(lcRecorderTrace, "WSAGETSELECTERROR!");
    ++m_nRecvCount;
    TakeBatch(batch);
}

void DeviceEngine::TakeBatch(DatagramBatch& batch)
{
    const ReplyChannel channel = ReplyChannelOf(batch.channel);
    std::vector<NewDeviceRow> rows;
    std::vector<ReplyAction> failures;
    for (ReceivedDatagram& datagram : batch.datagrams)
        RecvData(channel, datagram, rows, failures);
    AddDeviceRows(rows);
    // Told after the batch, whose datagrams all came before: a message box shown for them runs an
    // event loop in which the next batches arrive.
    if (batch.socketError != 0)
        emit socketError(QStringLiteral("Socket failed with error"), batch.socketError);
    for (const ReplyAction failure : failures)
        emit settingFailed(failure);
}

void DeviceEngine::RecvData(ReplyChannel channel, ReceivedDatagram& datagram, std::vector<NewDeviceRow>& rows,
                            std::vector<ReplyAction>& failures)
{
    const bool recorder = channel == ReplyChannel::Recorder;
    if (datagram.error != 0) {
        if (recorder)
            qCDebug(lcRecorderTrace, "[B]Receive Data Error1. (%d) Error IP : %s", datagram.error,
                    qPrintable(datagram.SenderText()));
        return;
    }
    // Whether the list takes it or not (a row held, a box unchecked), a changed device answering
    // is what its check waits for.
    CheckChange(channel, datagram.buffer, datagram.size, datagram.family);
    const ReplyAction action =
        ClassifyReply(channel, datagram.buffer, datagram.size, datagram.family, CurrentReplyFilter());
    if (recorder)
        qCDebug(lcRecorderTrace, "recvfrom after! %d bytes from %s, action %d", int(datagram.size),
                qPrintable(datagram.SenderText()), int(action));
    switch (action) {
    case ReplyAction::Drop:
        return;
    case ReplyAction::UnaskedResult:
        qCDebug(lcResults, "result %d from %s dropped: no setting request awaits one",
                int(datagram.buffer[recorder ? 4 : 0]), qPrintable(datagram.SenderText()));
        return;
    case ReplyAction::AddRow:
        rows.push_back(MakeDeviceRow(channel, std::move(datagram.buffer), datagram.size, datagram.family,
                                     std::move(datagram.arrival)));
        rows.back().entry->lastSeenMs = m_clock->WallMs();
        return;
    default:
        if (TakeBatchResult(channel, datagram.buffer, action))
            return;
        // Rows that came before a result are listed before it is acted on, as if each datagram had
        // been handled on its own: a success empties the list and searches again.
        AddDeviceRows(rows);
        HandleResult(action, failures);
        return;
    }
}

void DeviceEngine::AddDeviceRows(std::vector<NewDeviceRow>& rows)
{
    if (rows.empty())
        return;
    emit rowsAboutToBeAdded();
    const int heard = m_rows->HeardInRound();
    m_rows->AddReplies(std::move(rows), m_bListHeld ? m_heldMacs : QSet<QByteArray>());
    m_schedule->DevicesHeard(m_rows->HeardInRound() - heard);
    rows.clear();
    emit rowsAdded();
    ShowScanCount();
}

std::optional<std::pair<QString, QString>> DeviceEngine::OwnSearchAnswer(ReplyChannel channel,
                                                                         std::span<const std::uint8_t> buffer,
                                                                         std::size_t received,
                                                                         int senderFamily) const
{
    const PacketKind kind = ChannelKind(channel);
    if (senderFamily != ChannelFamily(channel) || received < FieldOf(kind, PacketField::ClientTag)->end())
        return std::nullopt;
    if (ReadByte(kind, buffer, PacketField::Opcode) != static_cast<std::uint8_t>(PacketOpcode::SearchReply) ||
        IsForeignPacket(m_clientTag, FieldBytes(kind, buffer, PacketField::ClientTag)))
        return std::nullopt;
    return std::pair(QString::fromLatin1(ReadText(kind, buffer, PacketField::MacAddress)),
                     QString::fromLatin1(ReadText(kind, buffer, PacketField::IpAddress)));
}

void DeviceEngine::CheckChange(ReplyChannel channel, std::span<const std::uint8_t> buffer,
                               std::size_t received, int senderFamily)
{
    if (!m_watch->Active())
        return;
    const std::optional<std::pair<QString, QString>> answer =
        OwnSearchAnswer(channel, buffer, received, senderFamily);
    if (!answer)
        return;
    const int index = m_watch->OnAnswer(answer->first, answer->second);
    if (index < 0)
        return;
    if (m_watchedBatchIndexes.empty()) {
        TellVerdict(*m_watch->Verdict(index));
        return;
    }
    const int batchIndex = m_watchedBatchIndexes[std::size_t(index)];
    m_batch->SetVerdict(batchIndex, *m_watch->Verdict(index));
    TellBatch({batchIndex});
    // The check ends as soon as every device is back.
    if (m_watch->Pending() == 0)
        FinishBatch();
}

void DeviceEngine::WatchChanges(std::vector<SettingChange> changes)
{
    m_watch->Start(std::move(changes), m_nChangeWaitMs);
    // The status line tells what is waited for, not the rows the searches list meanwhile.
    m_bChangeShown = true;
    emit changeWaiting(m_watch->ProgressText());
}

void DeviceEngine::OnWatchEnded()
{
    if (m_watchedBatchIndexes.empty()) {
        if (m_watch->Count() > 0)
            TellVerdict(*m_watch->Verdict(0));
        return;
    }
    std::vector<int> told;
    for (int i = 0; i < m_watch->Count(); ++i) {
        const int batchIndex = m_watchedBatchIndexes[std::size_t(i)];
        if (m_batch->Step(batchIndex) != BatchStep::Applied)
            continue;
        m_batch->SetVerdict(batchIndex, *m_watch->Verdict(i));
        told.push_back(batchIndex);
    }
    TellBatch(told);
    FinishBatch();
}

void DeviceEngine::TellVerdict(const ChangeVerdict& verdict)
{
    SetStatusText(ChangeVerdictText(verdict));
    m_bChangeShown = true;
    emit changeVerified(verdict);
}

void DeviceEngine::HandleResult(ReplyAction action, std::vector<ReplyAction>& failures)
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
        m_settingDeadline->Stop();
        m_watch->Stop();
        m_watchedBatchIndexes.clear();
        emit settingApplied();
        SetStatusText(QString(16, QLatin1Char(' ')));
        Search();
        if (m_requestedChange)
            WatchChanges({*m_requestedChange});
        return;
    case ReplyAction::PortMappingError:
    case ReplyAction::RouterConnectError:
    case ReplyAction::InvalidPassword:
    case ReplyAction::UnknownResult:
        m_bResultSeen = true;
        // The front end shows what failed; the answers still coming do not write over it.
        m_bChangeShown = true;
        failures.push_back(action);
        return;
    }
}

bool DeviceEngine::SettingRequestOutstanding() const
{
    return m_bSettingOutstanding && m_clock->NowMs() - m_nSettingSentAtMs < m_nSettingAnswerMs;
}

void DeviceEngine::SendSetting(DiscoveryChannel channel, std::span<std::uint8_t> packet,
                               const ArrivalAdapter& adapter)
{
    m_bSettingOutstanding = true;
    m_bResultSeen = false;
    m_nSettingSentAtMs = m_clock->NowMs();
    m_settingDeadline->Start(m_nSettingAnswerMs);
    // A new request: whatever an earlier one changed is no longer waited for.
    m_requestedChange = ReadSettingChange(packet);
    m_watch->Stop();
    SendRequest(channel, packet, adapter);
}

void DeviceEngine::SendRequest(DiscoveryChannel channel, std::span<std::uint8_t> packet,
                               const ArrivalAdapter& adapter)
{
    // Setting requests to recorders are laid out as camera packets too.
    WriteClientTag(PacketKind::KindCamera, packet, m_clientTag);
    m_channel->SendSetting(channel, packet, adapter);
}

void DeviceEngine::StartBatch(std::vector<BatchItem> items)
{
    // A single request's results no longer count: the batch's are its own.
    m_bSettingOutstanding = false;
    m_settingDeadline->Stop();
    m_requestedChange.reset();
    m_watch->Stop();
    m_batch = std::make_unique<BatchBook>(std::move(items), m_nSettingAnswerMs);
    m_bBatchChecking = false;
    m_bBatchFinished = false;
    m_batchTick->Start(kBatchTickMs);
    SendBatch();
    AdvanceBatch();
}

void DeviceEngine::CancelBatch()
{
    if (!BatchRunning())
        return;
    // During the check, the wait ends now: each device is told as it stands.
    if (m_bBatchChecking) {
        m_watch->EndNow();
        return;
    }
    TellBatch(m_batch->Cancel());
    AdvanceBatch();
}

void DeviceEngine::SendBatch()
{
    for (const int index : m_batch->TakeSendable(m_clock->NowMs())) {
        const BatchItem& item = m_batch->Items()[std::size_t(index)];
        std::vector<std::uint8_t> packet = item.request;
        SendRequest(item.camera ? DiscoveryChannel::Camera : DiscoveryChannel::Recorder, packet,
                    item.adapter);
    }
}

bool DeviceEngine::TakeBatchResult(ReplyChannel channel, std::span<const std::uint8_t> buffer,
                                   ReplyAction action)
{
    if (!BatchRunning() || m_bBatchChecking)
        return false;
    const QString mac = QString::fromLatin1(ReadText(ChannelKind(channel), buffer, PacketField::MacAddress));
    const int index = m_batch->OnResult(mac, action);
    if (index < 0) {
        qCDebug(lcResults, "result %d for %s dropped: no request of the batch awaits one", int(action),
                qPrintable(mac));
        return true;
    }
    std::vector<int> changed{index};
    if (action == ReplyAction::InvalidPassword) {
        for (int i = 0; i < int(m_batch->Items().size()); ++i) {
            if (m_batch->Step(i) == BatchStep::NotSent)
                changed.push_back(i);
        }
    }
    TellBatch(changed);
    SendBatch();
    AdvanceBatch();
    return true;
}

void DeviceEngine::OnBatchTick()
{
    if (!m_batch)
        return;
    TellBatch(m_batch->Expire(m_clock->NowMs()));
    SendBatch();
    AdvanceBatch();
}

void DeviceEngine::AdvanceBatch()
{
    if (!BatchRunning() || m_bBatchChecking || !m_batch->ResultsIn())
        return;
    m_batchTick->Stop();
    if (!m_batch->AnyApplied()) {
        FinishBatch();
        return;
    }
    // The devices that applied their settings are watched until they are back.
    m_bBatchChecking = true;
    std::vector<int> applied;
    for (int i = 0; i < int(m_batch->Items().size()); ++i) {
        if (m_batch->Step(i) == BatchStep::Applied)
            applied.push_back(i);
    }
    m_watchedBatchIndexes.clear();
    std::vector<SettingChange> changes;
    for (auto& [index, change] : m_batch->StartCheck()) {
        m_watchedBatchIndexes.push_back(index);
        changes.push_back(std::move(change));
    }
    TellBatch(applied);
    Search();
    if (changes.empty()) {
        FinishBatch();
        return;
    }
    WatchChanges(std::move(changes));
}

void DeviceEngine::FinishBatch()
{
    m_watch->Stop();
    m_watchedBatchIndexes.clear();
    const bool checked = m_bBatchChecking;
    m_bBatchChecking = false;
    m_bBatchFinished = true;
    m_batchTick->Stop();
    if (checked) {
        // The rows the check listed, no longer what it waited for.
        m_bChangeShown = false;
        if (m_rows->rowCount() == 0)
            SetStatusText(ScanEndText(LostAnswers()));
        else
            ShowScanCount();
    }
    emit batchFinished();
}

void DeviceEngine::TellBatch(const std::vector<int>& indexes)
{
    for (const int index : indexes)
        emit batchChanged(index);
}

void DeviceEngine::SendCameraPacket(std::span<std::uint8_t> packet, const ArrivalAdapter& adapter)
{
    SendSetting(DiscoveryChannel::Camera, packet, adapter);
}

void DeviceEngine::SendRecorderPacket(std::span<std::uint8_t> packet, const ArrivalAdapter& adapter)
{
    SendSetting(DiscoveryChannel::Recorder, packet, adapter);
}

FreeAddressProposal DeviceEngine::FindFreeAddressFor(const ArrivalAdapter& arrival,
                                                     std::vector<Ipv4Octets> takenAddresses)
{
    std::optional<SearchNetwork> network = SearchNetworkOf(arrival);
    if (network)
        network->takenAddresses = std::move(takenAddresses);
    IcmpProber prober(network ? network->adapter : std::string());
    return FindFreeAddress(network, prober);
}

} // namespace Netrove
