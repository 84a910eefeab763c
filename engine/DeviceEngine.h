#pragma once

#include "autoset/FreeAddressSearch.h"
#include "discovery/ArrivalAdapter.h"
#include "discovery/PacketTypes.h"
#include "discovery/ReplyHandling.h"
#include "engine/ChangeVerification.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace Netrove {

class DeviceListModel;
class DiscoveryChannels;
enum class DiscoveryChannel;
struct NewDeviceRow;

// What the front end asks for at this moment: which devices and protocols a search covers and
// which replies are listed, and whether the user holds a row (then the list stays as it is).
struct SearchChoice
{
    bool camera = true; // "IP CAMERA"
    bool nvr = true;    // "NVR"
    bool ipv4 = true;
    bool ipv6 = true;
    bool rowChosen = false;
};

// Finds the devices and sets them, for any front end (the window, the command line): the three
// channels with the instance's tag, the search cycle with its two timers, the rows by MAC address
// that the replies become, the setting requests with the results that count while one is
// outstanding, and the check that a changed device answers again with what it was sent. No widget
// here; a front end shows what the signals tell.
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
    // How long after a setting request its results are acted on.
    static constexpr int kSettingAnswerMs = 10000;

    // The engine fills `rows` (a window's list) or, without one, rows of its own.
    explicit DeviceEngine(DeviceListModel* rows = nullptr, QObject* parent = nullptr);
    ~DeviceEngine() override;

    // Asked at every search, every datagram and every refresh tick; everything on and no row held
    // when unset.
    std::function<SearchChoice()> currentChoice;

    DiscoveryChannels& Channels() { return *m_channels; }
    DeviceListModel& Rows() { return *m_rows; }
    const DeviceListModel& Rows() const { return *m_rows; }
    const ClientTag& Tag() const { return m_clientTag; }
    bool IPv6Available() const { return m_bIPv6Available; }

    // Opens the camera, recorder and IPv6 channels, in this order, and makes the instance's tag.
    // Each channel reports its own failure (socketError, ipv6Unsupported).
    void Open();
    // Closes every channel and empties the rows; again does nothing more.
    void Close();

    // The search cycle: ClearSearch, then SendSearches and RestartSearchTimers; a front end may call
    // the three itself to do its own work between them.
    void StartSearch();
    // A new search: the port blocks handed out are free again, the lost answers count from now on,
    // and the rows go.
    void ClearSearch();
    // One search request on each channel the choice selects (IPv6 only while it is available).
    void SendSearches(const SearchChoice& choice);
    void RestartSearchTimers();
    // Choosing a row ends the running cycle: neither timer ticks again until the next search.
    void StopSearchTimers();
    bool IsRefreshTimerActive() const { return m_timerRefresh.isActive(); }
    bool IsSettleTimerActive() const { return m_timerSettle.isActive(); }
    // The row count stopped changing since the last search started.
    bool SearchSettled() const { return m_bScanSettled; }
    int LastItemCount() const { return m_nLastItemCount; }
    // Socket notifications handled since start.
    int RecvCount() const { return m_nRecvCount; }
    // Answers that reached this computer during the current search but were dropped before they
    // could be listed.
    std::uint64_t LostAnswers() const;

    // Setting requests: the tag is written into bytes 1-18 and the request leaves on the device's
    // adapter. From now on its results are acted on, for SettingAnswerMs() or until the first
    // success, which is then checked against the device's next answer to a search.
    void SendCameraPacket(std::span<std::uint8_t> packet, const ArrivalAdapter& adapter = {});
    void SendRecorderPacket(std::span<std::uint8_t> packet, const ArrivalAdapter& adapter = {});
    bool SettingRequestOutstanding() const;
    // The free address of the device's network, on the adapter it answered on (every candidate is
    // pinged at once; this blocks for about a second), as the Auto Setting dialog proposes it.
    static FreeAddressProposal FindFreeAddressFor(const ArrivalAdapter& arrival);
    int SettingAnswerMs() const { return m_nSettingAnswerMs; }
    void SetSettingAnswerMs(int ms) { m_nSettingAnswerMs = ms; }

    // Socket notifications of the camera and IPv6 sockets, and of the recorder socket: a bounded
    // batch of datagrams each, so that a front end stays responsive during a flood.
    void OnASYNCMsg();
    void OnASYNCMsgNVR();

signals:
    void socketError(const QString& text, int code);
    // IPv6 cannot be used on this computer; the text is what the user is told.
    void ipv6Unsupported(const QString& text);
    // Around every batch of rows added or replaced.
    void rowsAboutToBeAdded();
    void rowsAdded();
    // The row count stopped changing (first settle tick without a change).
    void searchSettled();
    // The search ran its 3 s without a row being chosen.
    void searchFinished();
    // The outstanding request's first success; the device is checked at the next search.
    void settingApplied();
    // Any other result of the outstanding request: InvalidPassword, PortMappingError,
    // RouterConnectError or UnknownResult.
    void settingFailed(Netrove::ReplyAction action);
    // SettingAnswerMs() passed after a request without any result.
    void settingUnanswered();
    // The device of the last success answered the search after it, or that search ended without it.
    void changeVerified(const Netrove::ChangeVerdict& verdict);

private:
    // Takes the channel's next waiting datagram; a search reply becomes a row in `rows`, which are
    // listed before any result is acted on. False when nothing was waiting.
    bool RecvData(DiscoveryChannel channel, std::vector<NewDeviceRow>& rows);
    // Lists the rows as one batch and empties `rows`.
    void AddDeviceRows(std::vector<NewDeviceRow>& rows);
    void HandleResult(ReplyAction action);
    void SendSetting(bool camera, std::span<std::uint8_t> packet, const ArrivalAdapter& adapter);
    void CheckChange(ReplyChannel channel, std::span<const std::uint8_t> buffer, std::size_t received,
                     int senderFamily);
    void OnRefreshTick();
    void OnSettleTick();
    void OnVerifyDeadline();
    SearchChoice Choice() const;
    ReplyFilter CurrentReplyFilter() const;

    DeviceListModel* m_rows;
    DiscoveryChannels* m_channels; // child
    ClientTag m_clientTag{};
    bool m_bIPv6Available = true;

    QTimer m_timerRefresh;
    QTimer m_timerSettle;
    int m_nRefreshCount = 0;
    int m_nStableTicks = 0;
    int m_nLastItemCount = -1;
    int m_nRecvCount = 0;
    bool m_bScanSettled = false;
    std::uint64_t m_nDroppedAtSearch = 0;

    int m_nSettingAnswerMs = kSettingAnswerMs;
    bool m_bSettingOutstanding = false;
    bool m_bResultSeen = false;
    QElapsedTimer m_sinceSettingRequest;
    QTimer m_settingDeadline;

    // What the last request asked for; once a success answered it, checked against the next search.
    std::optional<SettingChange> m_requestedChange;
    std::optional<SettingChange> m_verifying;
    QTimer m_verifyDeadline;
};

} // namespace Netrove
