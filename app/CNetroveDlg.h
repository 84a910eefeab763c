#pragma once

#include "app/SelectionMirror.h"
#include "autoset/SettingHost.h"
#include "devicelist/DeviceListModel.h"
#include "discovery/PacketTypes.h"
#include "discovery/ReplyHandling.h"
#include "res/WindowAnchors.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>

#include <cstdint>
#include <span>
#include <vector>

class QAction;
class QCheckBox;
class QItemSelection;
class QLabel;
class QPushButton;

namespace Netrove {

class AboutEntry;
class CNetroveHeaderCtrl;
class CNetroveListCtrl;
class RepaintLimiter;
class DiscoveryChannels;
enum class DiscoveryChannel;

// Set when "Invalid Password!" has been shown for the current setting request, so that several
// devices answering the same request give one message; the setting buttons reset it.
extern bool g_bPasswordErrorShown;

// The program's one window and its hub: the device list, the mode check boxes, the status line
// and the buttons.
class CNetroveDlg final : public QDialog, public SettingHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetroveDlg)

public:
    static constexpr quint32 WM_FINDINSTANCE = 0x402;
    static constexpr int TIMER_REFRESH = 50;
    static constexpr int TIMER_SETTLE = 60;
    static constexpr int kRefreshPeriodMs = 1500;
    static constexpr int kSettlePeriodMs = 800;
    // How long after a setting request its results are acted on.
    static constexpr int kSettingAnswerMs = 10000;

    explicit CNetroveDlg(QWidget* parent = nullptr);
    ~CNetroveDlg() override;

    // Runs once, before the window is first shown.
    void OnInitDialog();

    // A second copy of the program looks for this window; the answer tells it that it found us.
    quint32 OnFindInstance();

    // A command of the window's system menu; IDM_ABOUTBOX, whatever its low four bits, opens the
    // About box. False: not ours, the platform handles it.
    bool OnSysCommand(unsigned int command);

    void UpdateModeControls();
    void CloseChannels();

    // The search cycle.
    void OnBnClickedSearch();
    void ScanStart();
    void OnTimer(int id);
    void SetStatusText(const QString& text) override;
    void ClearDeviceList();
    void ClearSelectionMirror();

    // Socket notifications of the camera and IPv6 sockets, and of the recorder socket.
    void OnASYNCMsg();
    void OnASYNCMsgNVR();

    // Choosing a row. stateChanged: the row's selection changed, not only its contents.
    void OnItemChangedList(int row, bool stateChanged);
    // A left or right click on the list; row -1 when it hit no row.
    void OnClickList(int row);
    void OnColumnClickList(int column);
    void FillSelectionMirror(int row);
    void UpdateRowButtons(int row);

    // "Auto Set": opens the Auto Setting dialog for the chosen row.
    void OnBnClickedAutoSet();
    // "Manual Set": opens the Manual Setting dialog for the chosen row.
    void OnBnClickedManualSet();

    // Setting requests from the setting dialogs.
    void SendCameraPacket(std::span<std::uint8_t> packet) override;
    void SendRecorderPacket(std::span<std::uint8_t> packet) override;
    void DisableSettingButtons() override;

    // "Save List..." (Ctrl+S): asks for a file and writes every listed device to it as CSV, in the
    // list's order. Nothing is written unless the user chose a file.
    void OnSaveList();
    // Ctrl+C: the chosen row's record, tab-separated, to the clipboard; nothing without a chosen row.
    void OnCopyRow();

    void ShowSocketError(const QString& text, int code);
    // A message box of this window: OK, no icon, the program's name as caption.
    void ShowMessage(const QString& text);

    // true: the check boxes into m_bCamera and m_bNVR; false: the other way round.
    void DoDataExchange(bool saveAndValidate);

    // The controls, in the order of the window's template.
    QCheckBox* m_checkCamera;
    QCheckBox* m_checkNvr;
    CNetroveListCtrl* m_list;
    QLabel* m_staticStatus;
    QCheckBox* m_checkIPv4;
    QCheckBox* m_checkIPv6;
    QPushButton* m_btnSearch;
    QPushButton* m_btnAutoSet;
    QPushButton* m_btnManualSet;
    QPushButton* m_btnExit;
    QAction* m_actionSaveList = nullptr;
    QAction* m_actionCopyRow = nullptr;

    CNetroveHeaderCtrl* m_pHeader = nullptr;
    DiscoveryChannels* m_channels;
    QTimer m_timerRefresh;
    QTimer m_timerSettle;

    SelectionMirror m_mirror;
    ClientTag m_clientTag{};

    int m_nStableTicks = 0;
    int m_nRefreshCount = 0;
    int m_nClickedItem = -1;
    int m_nLastItemCount = -1;
    int m_nRecvCount = 0;
    std::uint8_t m_chkIPv4 = 0;
    std::uint8_t m_chkIPv6 = 0;
    std::uint8_t m_bIPv6Available = 1;
    int m_bCamera = 0;
    int m_bNVR = 0;

    // Answers that reached this computer during the current search but were dropped before they
    // could be listed.
    std::uint64_t LostAnswers() const;
    // A setting request of this window was sent less than kSettingAnswerMs ago and no success has
    // answered it yet.
    bool SettingRequestOutstanding() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnOK();
    void OnDestroy();
    void OnBnClickedIPv4();
    void OnBnClickedIPv6();
    void OnBnClickedNvr();
    void OnBnClickedIpCamera();
    bool PreTranslateMessage(QObject* watched, QEvent* event);
    void CreateControls();
    void CreateListActions();
    void MakeClientTag();
    // Takes the channel's next waiting datagram; a search reply becomes a row in `rows`, which are
    // listed before any result is acted on. False when nothing was waiting.
    bool RecvData(DiscoveryChannel channel, std::vector<NewDeviceRow>& rows);
    // Lists the rows as one batch, with one scroll and one status-line change, and empties `rows`.
    void AddDeviceRows(std::vector<NewDeviceRow>& rows);
    void HandleResult(ReplyAction action);
    void OnListSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void EnableSettingButtons(bool enabled);
    // From now on, results of a setting request are acted on, for kSettingAnswerMs.
    void AwaitSettingResult();
    ReplyFilter CurrentReplyFilter() const;
    // The adapter the device a setting request names answered on.
    ArrivalAdapter RequestAdapter(std::span<const std::uint8_t> packet) const;

    // Where the template puts each control, and how it follows a larger window.
    struct AnchoredControl
    {
        QWidget* widget;
        QRect templateRect;
        Anchor anchor;
    };
    std::vector<AnchoredControl> m_anchoredControls;
    QSize m_templateSize;
    AboutEntry* m_aboutEntry = nullptr;

    bool m_bInitialised = false;
    // Set when the current search has settled; from then on the status line counts lost answers.
    bool m_bScanSettled = false;
    // The status line changes with every batch of rows; it is drawn as often as the list is.
    std::unique_ptr<RepaintLimiter> m_statusRepaints;
    std::uint64_t m_nDroppedAtSearch = 0;
    bool m_bSettingOutstanding = false;
    QElapsedTimer m_sinceSettingRequest;
};

} // namespace Netrove
