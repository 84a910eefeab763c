#pragma once

#include "app/SelectionMirror.h"
#include "autoset/SettingHost.h"
#include "batchset/BatchPlan.h"
#include "devicelist/DeviceListModel.h"
#include "discovery/PacketTypes.h"
#include "discovery/ReplyHandling.h"
#include "res/WindowAnchors.h"

#include <QDialog>

#include <memory>

#include <cstdint>
#include <span>
#include <vector>

class QAction;
class QCheckBox;
class QItemSelection;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Netrove {

class AboutEntry;
class CNetroveHeaderCtrl;
class CNetroveListCtrl;
class RepaintLimiter;
class DeviceChannel;
class DeviceEngine;

// Set when "Invalid Password!" has been shown for the current setting request, so that several
// devices answering the same request give one message; the setting buttons reset it.
extern bool g_bPasswordErrorShown;

// The program's one window and its hub: the device list, the mode check boxes, the status line
// and the buttons, over the engine that searches and sets the devices. The window tells the engine
// what to search for and whether the user holds a row, and shows what the engine's signals tell.
class CNetroveDlg final : public QDialog, public SettingHost
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetroveDlg)

public:
    static constexpr quint32 WM_FINDINSTANCE = 0x402;

    // Over the computer's sockets.
    explicit CNetroveDlg(QWidget* parent = nullptr);
    // Over the given channel to the devices (a test's stand-in, or sockets set up by the caller).
    explicit CNetroveDlg(std::unique_ptr<DeviceChannel> channel, QWidget* parent = nullptr);
    ~CNetroveDlg() override;

    // What the window works over and keeps: the engine with its rows and tag, the chosen row's
    // settings as the setting dialogs get them, and the row of the last click on the list.
    const DeviceEngine& Engine() const { return *m_engine; }
    // How long a changed device is waited for after its success (90 s unless set).
    void SetChangeWaitMs(int ms);
    // How often "Keep searching" searches (15 s unless set), from the next time it is switched on.
    void SetKeepSearchingIntervalMs(int ms) { m_nKeepSearchingMs = ms; }
    const SelectionMirror& Mirror() const { return m_mirror; }
    int ClickedItem() const { return m_nClickedItem; }

    // Runs once, before the window is first shown.
    void OnInitDialog();

    // A second copy of the program looks for this window; the answer tells it that it found us.
    quint32 OnFindInstance();

    // A command of the window's system menu; IDM_ABOUTBOX, whatever its low four bits, opens the
    // About box. False: not ours, the platform handles it.
    bool OnSysCommand(unsigned int command);

    void UpdateModeControls();
    void CloseChannels();

    // "Search": the engine searches with what the boxes say.
    void OnBnClickedSearch();
    void SetStatusText(const QString& text) override;
    void ClearSelectionMirror();

    // A click on a column title: the list sorts by it.
    void OnColumnClickList(int column);

    // "Auto Set": opens the Auto Setting dialog for the chosen row.
    void OnBnClickedAutoSet();
    // "Manual Set": opens the Manual Setting dialog for the chosen row.
    void OnBnClickedManualSet();
    // "Batch Set": opens the Batch Setting dialog for the chosen rows that may be set.
    void OnBnClickedBatchSet();
    // "Apply Address Plan...": asks for a plan file and opens the Batch Setting dialog with the
    // devices it changes and their new addresses.
    void OnApplyAddressPlan();

    // Setting requests from the setting dialogs.
    void SendCameraPacket(std::span<std::uint8_t> packet) override;
    void SendRecorderPacket(std::span<std::uint8_t> packet) override;
    void DisableSettingButtons() override;

    // "Save List..." (Ctrl+S): asks for a file and writes every device shown to it as CSV, in the
    // order shown: while a filter is active the rows it shows, else every row. Nothing is written
    // unless the user chose a file.
    void OnSaveList();
    // Ctrl+C: the chosen row's record, tab-separated, to the clipboard; nothing without a chosen row.
    void OnCopyRow();

    void ShowSocketError(const QString& text, int code);
    // A message box of this window: OK, no icon, the program's name as caption.
    void ShowMessage(const QString& text);

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
    // true: the check boxes into m_bCamera and m_bNVR; false: the other way round.
    void DoDataExchange(bool saveAndValidate);
    void CreateControls();
    void CreateListActions();
    void CreateBatchActions();
    // The filter field, "Shared IP only", "Outside network only" and the count of the rows shown,
    // with Ctrl+F.
    void CreateFilterControls();
    // The list shows what the filter field and the two check boxes let through.
    void ApplyFilter();
    // "12 of 10000 shown" while a filter is active; nothing otherwise.
    void UpdateShownCount();
    QString ShownCountText() const;
    // Escape in the filter field empties it.
    bool FilterKeyPressed(QObject* watched, QEvent* event);
    void ConnectEngine();
    // A search ran its time and nothing answered: the line under the list names the likely cause,
    // found off the window's thread (firewalld may be slow to answer).
    void OnSearchFinished();
    // The line under the list; hidden while it says nothing.
    void SetHintText(const QString& text);
    // The engine learns what the four mode boxes select now.
    void TellSearchChoice();
    // What a search holds while it runs: the boxes, the header and its sort mark, the setting buttons.
    void HoldModeControls();
    // The list settled or a row was chosen: the boxes and the header are the user's again.
    void GiveBackModeControls();
    void HandleResult(ReplyAction action);
    void OnSettingApplied();
    // Choosing a row. stateChanged: the row's selection changed, not only its contents.
    void OnItemChangedList(int row, bool stateChanged);
    // A left or right click on the list; row -1 when it hit no row.
    void OnClickList(int row);
    void FillSelectionMirror(int row);
    void UpdateRowButtons(int row);
    void OnListSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void EnableSettingButtons(bool enabled);
    // "Set this device with its maker's tool or web page" on the setting buttons, or nothing.
    void ShowSetElsewhere(bool shown);
    // With two rows or more chosen, only "Batch Set": when at least two of them may be set.
    void ApplyChoiceCount();
    // The Batch Setting dialog for these devices (copies of their rows).
    void OpenBatchDialog(std::vector<BatchDevice> devices);
    // The adapter the device a setting request names answered on.
    ArrivalAdapter RequestAdapter(std::span<const std::uint8_t> packet) const;

    // The controls, in the order of the window's template.
    QCheckBox* m_checkCamera;
    QCheckBox* m_checkNvr;
    QCheckBox* m_checkOnvif;
    CNetroveListCtrl* m_list;
    QLabel* m_staticStatus;
    QCheckBox* m_checkIPv4;
    QCheckBox* m_checkIPv6;
    QPushButton* m_btnSearch;
    QPushButton* m_btnAutoSet;
    QPushButton* m_btnManualSet;
    QPushButton* m_btnBatchSet;
    QPushButton* m_btnExit;
    QAction* m_actionSaveList = nullptr;
    QAction* m_actionCopyRow = nullptr;
    QLineEdit* m_editFilter = nullptr;
    QCheckBox* m_checkSharedIp = nullptr;
    QCheckBox* m_checkOutsideNetwork = nullptr;
    QCheckBox* m_checkKeepSearching = nullptr;
    int m_nKeepSearchingMs = 15000;
    QLabel* m_staticShown = nullptr;
    QLabel* m_staticHint = nullptr;
    // Counts the searches started, so that a cause found late is not shown over a newer search.
    quint64 m_searchesStarted = 0;

    CNetroveHeaderCtrl* m_pHeader = nullptr;
    DeviceEngine* m_engine;

    SelectionMirror m_mirror;

    int m_nClickedItem = -1;
    std::uint8_t m_chkIPv4 = 0;
    std::uint8_t m_chkIPv6 = 0;
    std::uint8_t m_bIPv6Available = 1;
    int m_bCamera = 0;
    int m_bNVR = 0;
    int m_bOnvif = 0;

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
    // The status line changes with every batch of rows; it is drawn as often as the list is.
    std::unique_ptr<RepaintLimiter> m_statusRepaints;
};

} // namespace Netrove
