#pragma once

#include "autoset/FreeAddressSearch.h"
#include "discovery/ArrivalAdapter.h"
#include "discovery/DeviceChannel.h"
#include "discovery/PacketTypes.h"
#include "discovery/ReplyHandling.h"
#include "engine/BatchBook.h"
#include "engine/ChangeVerification.h"
#include "engine/ChangeWatch.h"
#include "engine/EngineClock.h"
#include "engine/LiveRounds.h"
#include "engine/OnvifSource.h"
#include "engine/SearchSchedule.h"

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace Netrove {

class DeviceListModel;
struct NewDeviceRow;

// What a search covers and which replies are listed: the front end's four mode boxes.
struct SearchChoice
{
    bool camera = true; // "IP CAMERA"
    bool nvr = true;    // "NVR"
    bool ipv4 = true;
    bool ipv6 = true;
    bool onvif = true; // "ONVIF": other makers' cameras, by WS-Discovery
};

// Finds the devices and sets them, for any front end (the window, the command line): the three
// channels with the instance's tag, the search cycle with its two timers, its repeated sends
// (SearchSchedule) and its status texts, the rows by MAC address that the replies become, the
// setting requests with the results that count while one is outstanding, and the watch of a
// changed device until it answers again with what it was sent (ChangeWatch). Data goes one way: the front end
// tells the engine what to search for and whether the user holds a row; the engine tells the front end, by
// its signals, what came of it. No widget here.
class DeviceEngine final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DeviceEngine)

public:
    static constexpr int kRefreshPeriodMs = 1500;
    static constexpr int kSettlePeriodMs = 800;
    // A search ends at its second refresh tick, 3 s after it started.
    static constexpr int kRefreshTicks = 2;
    static constexpr int kSearchMs = kRefreshPeriodMs * kRefreshTicks;
    // How long after a setting request its results are acted on (each of a batch's too).
    static constexpr int kSettingAnswerMs = 10000;
    // How often a batch looks for requests whose wait ran out.
    static constexpr int kBatchTickMs = 100;

    // The devices over the computer's sockets, in the system's time. The engine fills `rows` (a
    // window's list) or, without one, rows of its own.
    explicit DeviceEngine(DeviceListModel* rows = nullptr, QObject* parent = nullptr);
    // The devices over any channel, in any clock's time.
    DeviceEngine(std::unique_ptr<DeviceChannel> channel, std::unique_ptr<EngineClock> clock,
                 DeviceListModel* rows = nullptr, QObject* parent = nullptr);
    // Other makers' cameras too, by ONVIF WS-Discovery over this channel (before Open). The engine
    // over the computer's sockets has one of its own.
    void UseOnvifChannel(std::unique_ptr<OnvifChannel> channel);
    ~DeviceEngine() override;

    DeviceListModel& Rows() { return *m_rows; }
    const DeviceListModel& Rows() const { return *m_rows; }
    const ClientTag& Tag() const { return m_clientTag; }
    bool IPv6Available() const { return m_bIPv6Available; }
    // Other makers' cameras can be searched for (an ONVIF channel is there).
    bool OnvifAvailable() const { return m_onvif != nullptr; }

    // Opens the camera, recorder and IPv6 channels, in this order, and makes the instance's tag.
    // Each channel reports its own failure (socketError, ipv6Unsupported).
    void Open();
    // Closes every channel and empties the rows; again does nothing more.
    void Close();

    // What searches ask for and which replies are listed, from now on.
    void SetSearchChoice(const SearchChoice& choice) { m_choice = choice; }
    const SearchChoice& Choice() const { return m_choice; }
    // While the user holds a row the list stays as it is: no reply is added or replaced, and the
    // running search cycle ends at its next refresh tick without "Scan End". A search lets go. While
    // the engine keeps searching, only the held rows (by their MAC texts) stay as they are.
    void SetListHeld(bool held, const QStringList& heldMacs = {});
    bool ListHeld() const { return m_bListHeld; }

    // "Keep searching": a round (StartRound) every `intervalMs` until switched off.
    void SetKeepSearching(bool on, int intervalMs = LiveRounds::kDefaultIntervalMs);
    bool KeepSearching() const { return m_live->Active(); }

    // A search: the port blocks handed out are free again, the lost answers count from now on, the
    // rows go, "Scan Start...", the requests on each channel the choice selects (each sent at least
    // three times, see SearchSchedule), and both timers start over. The watch of a change ends
    // without a verdict, and so does a batch's check.
    void StartSearch();
    // A search that keeps the list: the same requests and sends, whose answers add and update rows;
    // the search cycle, its timers and the status line are left as they are.
    void StartRound();
    // The answers coming in are of a round (StartRound), not of a search that emptied the list.
    bool InRound() const { return m_bInRound; }
    // Sends of the running search's schedule so far.
    int SearchSends() const { return m_schedule->Sends(); }
    // More sends of the running search may follow.
    bool SearchSending() const { return m_schedule->Running(); }
    // Choosing a row ends the running cycle: neither timer ticks again until the next search.
    void StopSearchTimers();
    bool IsRefreshTimerActive() const { return m_timerRefresh->IsActive(); }
    bool IsSettleTimerActive() const { return m_timerSettle->IsActive(); }
    // The row count stopped changing since the last search started.
    bool SearchSettled() const { return m_bScanSettled; }
    int LastItemCount() const { return m_nLastItemCount; }
    // Batches of datagrams handled since start.
    int RecvCount() const { return m_nRecvCount; }
    // Answers that reached this computer during the current search but were dropped before they
    // could be listed.
    std::uint64_t LostAnswers() const;

    // Setting requests: the tag is written into bytes 1-18 and the request leaves on the device's
    // adapter. From now on its results are acted on, for SettingAnswerMs() or until the first
    // success, which empties the list, searches again and watches the device until it answers with
    // what it was sent, or ChangeWaitMs() ran out.
    void SendCameraPacket(std::span<std::uint8_t> packet, const ArrivalAdapter& adapter = {});
    void SendRecorderPacket(std::span<std::uint8_t> packet, const ArrivalAdapter& adapter = {});
    bool SettingRequestOutstanding() const;
    // The free address of the device's network, on the adapter it answered on (every candidate is
    // pinged at once; this blocks for about a second), as the Auto Setting dialog proposes it.
    // Addresses the listed cameras of other makers hold count as taken, pinged or not.
    static FreeAddressProposal FindFreeAddressFor(const ArrivalAdapter& arrival,
                                                  std::vector<Ipv4Octets> takenAddresses = {});
    // The addresses other makers' cameras in the list report.
    std::vector<Ipv4Octets> OtherMakersAddresses() const;
    int SettingAnswerMs() const { return m_nSettingAnswerMs; }
    void SetSettingAnswerMs(int ms) { m_nSettingAnswerMs = ms; }
    // How long a changed device is waited for (90 s unless set).
    int ChangeWaitMs() const { return m_nChangeWaitMs; }
    void SetChangeWaitMs(int ms) { m_nChangeWaitMs = ms; }
    // A change (or a batch's changes) is being watched.
    bool WatchingChange() const { return m_watch->Active(); }

    // Many devices at once (see BatchBook): the requests leave as results come back, every result
    // found by the MAC it carries; once all are in, the devices that applied theirs are watched as
    // a single change is, and the check ends as soon as every one of them is back. Each device's change of
    // state is told by batchChanged, the end by batchFinished. A single request's wait ends with the start.
    void StartBatch(std::vector<BatchItem> items);
    // Nothing more is sent; results still awaited are taken as they come. During the check, the
    // wait for the devices ends now, each told as it stands.
    void CancelBatch();
    bool BatchRunning() const { return m_batch != nullptr && !m_bBatchFinished; }
    // The last batch, while it runs and after; nothing before the first.
    const BatchBook* Batch() const { return m_batch.get(); }

signals:
    void socketError(const QString& text, int code);
    // IPv6 cannot be used on this computer; the text is what the user is told.
    void ipv6Unsupported(const QString& text);
    // A round ended (its 3 s passed, or the next round began): rows may now be not answering.
    void roundEnded();
    // A search began: the rows are gone and its requests are out.
    void searchStarted();
    // The status line's text, as the search cycle and the check of a change have it.
    void statusChanged(const QString& text);
    // Around every batch of rows added or replaced.
    void rowsAboutToBeAdded();
    void rowsAdded();
    // The row count stopped changing (first settle tick without a change): the front end gives
    // back what it held during the search.
    void searchSettled();
    // The search ran its 3 s without a row being held.
    void searchFinished();
    // The outstanding request's first success; a new search follows at once.
    void settingApplied();
    // Any other result of the outstanding request: InvalidPassword, PortMappingError,
    // RouterConnectError or UnknownResult. Told once the batch it came in is listed, so that a
    // message box shown for it never holds a batch half done.
    void settingFailed(Netrove::ReplyAction action);
    // SettingAnswerMs() passed after a request without any result.
    void settingUnanswered();
    // The device of the last success answered with what it was sent, or the wait for it ended.
    void changeVerified(const Netrove::ChangeVerdict& verdict);
    // What the watch of a change waits for and for how long, at its start and every second.
    void changeWaiting(const QString& text);
    // A device of the batch moved on: its "Result" text is BatchBook::Text(index).
    void batchChanged(int index);
    void batchFinished();

private:
    // A batch of the camera and IPv6 sockets, and one of the recorder socket.
    void OnASYNCMsg(DatagramBatch& batch);
    void OnASYNCMsgNVR(DatagramBatch& batch);
    // Every datagram of the batch in turn; search replies become rows, listed before any result
    // is acted on.
    void TakeBatch(DatagramBatch& batch);
    // A search reply becomes a row in `rows`; anything else is acted on.
    void RecvData(ReplyChannel channel, ReceivedDatagram& datagram, std::vector<NewDeviceRow>& rows,
                  std::vector<ReplyAction>& failures);
    // Lists the rows as one batch and empties `rows`.
    void AddDeviceRows(std::vector<NewDeviceRow>& rows);
    // The request's success or failure; failures are kept for the end of the batch.
    void HandleResult(ReplyAction action, std::vector<ReplyAction>& failures);
    // The full search, which the user's search and a success both begin with.
    void Search();
    // "Scan Start...", then the schedule of the requests.
    void ScanStart();
    // The requests of a new search (or round), and their schedule.
    void BeginSchedule();
    // Other makers' cameras become rows as ours do.
    void TakeOnvifRows(std::vector<NewDeviceRow>& rows);
    // One request on each channel the choice selects.
    void SendSearchRequests();
    void SendSetting(DiscoveryChannel channel, std::span<std::uint8_t> packet, const ArrivalAdapter& adapter);
    void CheckChange(ReplyChannel channel, std::span<const std::uint8_t> buffer, std::size_t received,
                     int senderFamily);
    // Watches these changes from now, after the search that begins it.
    void WatchChanges(std::vector<SettingChange> changes);
    void OnWatchEnded();
    void TellVerdict(const ChangeVerdict& verdict);
    void SetStatusText(const QString& text);
    // "Scan N Items" for the rows listed, with the lost answers once the search settled.
    void ShowScanCount();
    void OnRefreshTick();
    void OnSettleTick();
    // The open round's accounting (see roundEnded); nothing when none is open.
    void EndRound();
    ReplyFilter CurrentReplyFilter() const;
    // The request with the tag written into it, out on its device's adapter.
    void SendRequest(DiscoveryChannel channel, std::span<std::uint8_t> packet, const ArrivalAdapter& adapter);
    // A search reply with this instance's tag: the device's MAC and address texts.
    std::optional<std::pair<QString, QString>> OwnSearchAnswer(ReplyChannel channel,
                                                               std::span<const std::uint8_t> buffer,
                                                               std::size_t received, int senderFamily) const;
    // A batch's result; false when the result is none of the batch's.
    bool TakeBatchResult(ReplyChannel channel, std::span<const std::uint8_t> buffer, ReplyAction action);
    void SendBatch();
    void OnBatchTick();
    // Checks the devices once every result is in, or ends the batch.
    void AdvanceBatch();
    void FinishBatch();
    void TellBatch(const std::vector<int>& indexes);

    std::unique_ptr<EngineClock> m_clock;
    std::unique_ptr<DeviceChannel> m_channel;
    std::unique_ptr<OnvifSource> m_onvif;
    DeviceListModel* m_rows;
    ClientTag m_clientTag{};
    bool m_bIPv6Available = true;
    SearchChoice m_choice;
    bool m_bListHeld = false;
    QSet<QByteArray> m_heldMacs;
    std::unique_ptr<LiveRounds> m_live;
    std::unique_ptr<EngineTimer> m_roundEnd;
    bool m_bRoundOpen = false;
    bool m_bInRound = false;

    std::unique_ptr<EngineTimer> m_timerRefresh;
    std::unique_ptr<EngineTimer> m_timerSettle;
    std::unique_ptr<SearchSchedule> m_schedule;
    // What the running schedule asks for: the choice when its search began.
    SearchChoice m_scheduleChoice;
    int m_nRefreshCount = 0;
    int m_nStableTicks = 0;
    int m_nLastItemCount = -1;
    int m_nRecvCount = 0;
    bool m_bScanSettled = false;
    std::uint64_t m_nDroppedAtSearch = 0;
    // The watch of a change, its verdict, or a setting's failure is on the status line; the rest of
    // this search (its repeated sends bring answers still) does not cover it.
    bool m_bChangeShown = false;

    int m_nSettingAnswerMs = kSettingAnswerMs;
    bool m_bSettingOutstanding = false;
    bool m_bResultSeen = false;
    qint64 m_nSettingSentAtMs = 0;
    std::unique_ptr<EngineTimer> m_settingDeadline;

    // What the last request asked for; once a success answered it, watched until the device is back.
    std::optional<SettingChange> m_requestedChange;
    std::unique_ptr<ChangeWatch> m_watch;
    int m_nChangeWaitMs = ChangeWatch::kDefaultWaitMs;
    // The batch's index of each change watched; empty while a single change is.
    std::vector<int> m_watchedBatchIndexes;

    std::unique_ptr<BatchBook> m_batch;
    bool m_bBatchChecking = false;
    bool m_bBatchFinished = false;
    std::unique_ptr<EngineTimer> m_batchTick;
};

} // namespace Netrove
