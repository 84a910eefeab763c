#include "app/CNetroveDlg.h"

#include "app/ModeRules.h"
#include "autoset/UsedPortTable.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceEntry.h"
#include "discovery/ClientTagMaker.h"
#include "discovery/DiscoveryChannels.h"
#include "res/DialogUnits.h"
#include "res/Resources.h"
#include "res/Strings.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QPushButton>

#include <cerrno>
#include <cstdio>

#include <sys/socket.h>

Q_LOGGING_CATEGORY(lcRecorderTrace, "netrove.recorder", QtWarningMsg)
Q_LOGGING_CATEGORY(lcTimerTrace, "netrove.timers", QtWarningMsg)

namespace Netrove {

bool g_bPasswordErrorShown = false;

namespace {

const QString kCaption = QStringLiteral("Netrove v2.0.1.2 for the network products");

template <typename Widget>
Widget* Named(Widget* widget, const char* objectName, const QString& accessibleName)
{
    widget->setObjectName(QString::fromLatin1(objectName));
    widget->setAccessibleName(accessibleName);
    return widget;
}

} // namespace

CNetroveDlg::CNetroveDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("CNetroveDlg"));
    setWindowTitle(kCaption);
    setAccessibleName(kCaption);
    setWindowIcon(ApplicationIcon());
    QFont dialogFont = font();
    dialogFont.setPointSize(9);
    setFont(dialogFont);
    CreateControls();

    m_channels = new DiscoveryChannels(this);
    m_channels->onSocketError = [this](const QString& text, int code) {
        ShowSocketError(text, code);
    };
    m_channels->onIPv6Unsupported = [this](const QString& text) {
        m_checkIPv6->setEnabled(false);
        m_bIPv6Available = 0;
        m_chkIPv6 = 0;
        ShowMessage(text);
    };
    connect(m_channels, &DiscoveryChannels::cameraReadable, this, &CNetroveDlg::OnASYNCMsg);
    connect(m_channels, &DiscoveryChannels::recorderReadable, this, &CNetroveDlg::OnASYNCMsgNVR);

    m_timerRefresh.setInterval(kRefreshPeriodMs);
    m_timerSettle.setInterval(kSettlePeriodMs);
    m_timerRefresh.setTimerType(Qt::PreciseTimer);
    m_timerSettle.setTimerType(Qt::PreciseTimer);
    connect(&m_timerRefresh, &QTimer::timeout, this, [this] { OnTimer(TIMER_REFRESH); });
    connect(&m_timerSettle, &QTimer::timeout, this, [this] { OnTimer(TIMER_SETTLE); });

    qApp->installEventFilter(this);
}

CNetroveDlg::~CNetroveDlg()
{
    qApp->removeEventFilter(this);
    OnDestroy();
}

void CNetroveDlg::CreateControls()
{
    m_checkCamera =
        Named(new QCheckBox(QStringLiteral("IP CAMERA"), this), "checkIpCamera", QStringLiteral("IP CAMERA"));
    m_checkNvr = Named(new QCheckBox(QStringLiteral("NVR"), this), "checkNvr", QStringLiteral("NVR"));
    m_list = Named(new CNetroveListCtrl(this), "deviceList", QStringLiteral("Devices"));
    m_staticStatus = Named(new QLabel(this), "statusLine", QStringLiteral("Status"));
    m_checkIPv4 = Named(new QCheckBox(QStringLiteral("IPv4"), this), "checkIPv4", QStringLiteral("IPv4"));
    m_checkIPv6 = Named(new QCheckBox(QStringLiteral("IPv6"), this), "checkIPv6", QStringLiteral("IPv6"));
    m_btnSearch =
        Named(new QPushButton(QStringLiteral("Search"), this), "buttonSearch", QStringLiteral("Search"));
    m_btnAutoSet =
        Named(new QPushButton(QStringLiteral("Auto Set"), this), "buttonAutoSet", QStringLiteral("Auto Set"));
    m_btnManualSet = Named(new QPushButton(QStringLiteral("Manual Set"), this), "buttonManualSet",
                           QStringLiteral("Manual Set"));
    m_btnExit = Named(new QPushButton(QStringLiteral("Exit"), this), "buttonExit", QStringLiteral("Exit"));

    m_staticStatus->setAlignment(Qt::AlignCenter);
    m_staticStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_staticStatus->setTextFormat(Qt::PlainText);
    m_pHeader = &m_list->Header();

    // Enter must never press a button of this window, not even the one that has the focus.
    for (QPushButton* button : {m_btnSearch, m_btnAutoSet, m_btnManualSet, m_btnExit}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    const DialogUnits units{QFontMetrics(font())};
    m_checkCamera->setGeometry(units.ToPixels(7, 7, 50, 10));
    m_checkNvr->setGeometry(units.ToPixels(63, 7, 30, 10));
    m_list->setGeometry(units.ToPixels(7, 22, 483, 212));
    m_staticStatus->setGeometry(units.ToPixels(6, 239, 197, 13));
    m_checkIPv4->setGeometry(units.ToPixels(213, 241, 29, 10));
    m_checkIPv6->setGeometry(units.ToPixels(243, 241, 29, 10));
    m_btnSearch->setGeometry(units.ToPixels(276, 239, 50, 14));
    m_btnAutoSet->setGeometry(units.ToPixels(331, 239, 50, 14));
    m_btnManualSet->setGeometry(units.ToPixels(386, 239, 50, 14));
    m_btnExit->setGeometry(units.ToPixels(440, 239, 50, 14));
    // No sizing border: the window is only minimised and restored.
    setFixedSize(units.ToPixelsX(497), units.ToPixelsY(258));

    // Tab order follows the template.
    QWidget::setTabOrder(m_checkCamera, m_checkNvr);
    QWidget::setTabOrder(m_checkNvr, m_list);
    QWidget::setTabOrder(m_list, m_checkIPv4);
    QWidget::setTabOrder(m_checkIPv4, m_checkIPv6);
    QWidget::setTabOrder(m_checkIPv6, m_btnSearch);
    QWidget::setTabOrder(m_btnSearch, m_btnAutoSet);
    QWidget::setTabOrder(m_btnAutoSet, m_btnManualSet);
    QWidget::setTabOrder(m_btnManualSet, m_btnExit);

    connect(m_checkIPv4, &QCheckBox::clicked, this, &CNetroveDlg::OnBnClickedIPv4);
    connect(m_checkIPv6, &QCheckBox::clicked, this, &CNetroveDlg::OnBnClickedIPv6);
    connect(m_checkNvr, &QCheckBox::clicked, this, &CNetroveDlg::OnBnClickedNvr);
    connect(m_checkCamera, &QCheckBox::clicked, this, &CNetroveDlg::OnBnClickedIpCamera);
    connect(m_btnExit, &QPushButton::clicked, this, &CNetroveDlg::OnOK);
    connect(m_btnSearch, &QPushButton::clicked, this, &CNetroveDlg::OnBnClickedSearch);
    connect(m_pHeader, &QHeaderView::sectionClicked, m_list, &CNetroveListCtrl::ToggleSort);
}

void CNetroveDlg::DoDataExchange(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_bCamera = m_checkCamera->isChecked() ? 1 : 0;
        m_bNVR = m_checkNvr->isChecked() ? 1 : 0;
    } else {
        m_checkCamera->setChecked(m_bCamera != 0);
        m_checkNvr->setChecked(m_bNVR != 0);
    }
}

void CNetroveDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised)
        OnInitDialog();
    QDialog::showEvent(event);
}

void CNetroveDlg::OnInitDialog()
{
    if (m_bInitialised)
        return;
    m_bInitialised = true;

    DoDataExchange(false);
    m_chkIPv4 = 1;
    m_chkIPv6 = 1;
    m_bNVR = 1;
    m_bCamera = 1;
    DoDataExchange(false);
    m_pHeader = &m_list->Header();
    m_nLastItemCount = -1;

    m_channels->InitCameraChannel();
    m_channels->InitRecorderChannel();
    m_channels->InitIPv6Channel();
    MakeClientTag();

    m_checkIPv4->setChecked(true);
    m_checkIPv6->setChecked(m_bIPv6Available == 1);
    if (m_bIPv6Available != 1)
        m_checkIPv6->setEnabled(false);

    OnBnClickedSearch();

    m_mirror.password = QStringLiteral("7517").left(SelectionMirror::kPasswordLimit);
    m_nClickedItem = -1;
}

quint32 CNetroveDlg::OnFindInstance()
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    return WM_FINDINSTANCE;
}

void CNetroveDlg::OnBnClickedIPv4()
{
    m_chkIPv4 = m_checkIPv4->isChecked() ? 1 : 0;
    UpdateModeControls();
}

void CNetroveDlg::OnBnClickedIPv6()
{
    m_chkIPv6 = m_checkIPv6->isChecked() ? 1 : 0;
    UpdateModeControls();
}

void CNetroveDlg::OnBnClickedNvr()
{
    UpdateModeControls();
}

void CNetroveDlg::OnBnClickedIpCamera()
{
    UpdateModeControls();
}

void CNetroveDlg::UpdateModeControls()
{
    DoDataExchange(true);
    ModeSelection selection;
    selection.ipv6Available = m_bIPv6Available == 1;
    selection.camera = m_bCamera != 0;
    selection.nvr = m_bNVR != 0;
    selection.ipv4 = m_chkIPv4 != 0;
    selection.ipv6 = m_chkIPv6 != 0;
    const ModeControlStates states = ComputeModeControls(selection);
    m_checkIPv6->setEnabled(states.ipv6BoxEnabled);
    m_btnSearch->setEnabled(states.searchEnabled);
}

bool CNetroveDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (PreTranslateMessage(watched, event))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool CNetroveDlg::PreTranslateMessage(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    // Only this window's own controls; a message box or dialog on top keeps its Enter.
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == this;
}

void CNetroveDlg::OnOK()
{
    CloseChannels();
    accept();
}

void CNetroveDlg::OnDestroy()
{
    CloseChannels();
}

void CNetroveDlg::CloseChannels()
{
    m_channels->CloseSockets();
    ClearDeviceList();
}

void CNetroveDlg::MakeClientTag()
{
    const auto seconds = static_cast<std::uint32_t>(QDateTime::currentSecsSinceEpoch());
    m_clientTag = Netrove::MakeClientTag(seconds, FirstAdapterHardwareAddress());
}

void CNetroveDlg::ShowSocketError(const QString& text, int code)
{
    QMessageBox box(QMessageBox::Warning, ApplicationCaption(), QStringLiteral("%1 : %2").arg(text).arg(code),
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void CNetroveDlg::ShowMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, ApplicationCaption(), text, QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void CNetroveDlg::SendCameraPacket(std::span<std::uint8_t> packet)
{
    m_channels->SendCameraPacket(packet, m_clientTag);
}

void CNetroveDlg::SendRecorderPacket(std::span<std::uint8_t> packet)
{
    m_channels->SendRecorderPacket(packet, m_clientTag);
}

// ---- the search cycle ----

void CNetroveDlg::OnBnClickedSearch()
{
    GlobalUsedPortTable().Clear();
    ClearDeviceList();
    ClearSelectionMirror();
    ScanStart();
    m_pHeader->SetSortIndicator(0, 0);
    m_pHeader->setEnabled(false);
    for (QCheckBox* box : {m_checkIPv4, m_checkIPv6, m_checkNvr, m_checkCamera})
        box->setEnabled(false);
    m_timerRefresh.start();
    m_timerSettle.start();
    m_btnAutoSet->setEnabled(false);
    m_btnManualSet->setEnabled(false);
}

void CNetroveDlg::ScanStart()
{
    SetStatusText(QStringLiteral("Scan Start..."));
    DoDataExchange(true);
    const std::uint8_t search = static_cast<std::uint8_t>(PacketOpcode::Search);
    if (m_chkIPv4 == 1) {
        if (m_bCamera)
            m_channels->SendCameraSearch(m_clientTag, search);
        if (m_bNVR)
            m_channels->SendRecorderSearch(m_clientTag, search);
    }
    if (m_chkIPv6 == 1 && m_bIPv6Available == 1 && m_bCamera)
        m_channels->SendIPv6Search(m_clientTag, search);
}

void CNetroveDlg::OnTimer(int id)
{
    if (id == TIMER_REFRESH) {
        if (m_list->SelectedRow() < 0) {
            ++m_nRefreshCount;
            qCDebug(lcTimerTrace, "Do Timer : Refresh [%d]", m_nRefreshCount);
        } else {
            m_nRefreshCount = 0;
            m_timerRefresh.stop();
            qCDebug(lcTimerTrace, "Kill Timer : SelectedItem > -1");
        }
        if (m_nRefreshCount == 2) {
            m_nRefreshCount = 0;
            m_timerRefresh.stop();
            if (m_list->rowCount() == 0)
                SetStatusText(QStringLiteral("Scan End"));
            qCDebug(lcTimerTrace, "Kill Timer : m_nRefreshCount == 3");
        }
    } else if (id == TIMER_SETTLE) {
        const int count = m_list->rowCount();
        if (count == m_nLastItemCount)
            ++m_nStableTicks;
        else
            m_nLastItemCount = count;
        if (m_nStableTicks == 1) {
            m_nStableTicks = 0;
            m_checkIPv4->setEnabled(true);
            m_checkIPv6->setEnabled(m_bIPv6Available == 1);
            m_checkNvr->setEnabled(true);
            m_checkCamera->setEnabled(true);
            m_pHeader->setEnabled(true);
            m_timerSettle.stop();
        }
    }
}

void CNetroveDlg::SetStatusText(const QString& text)
{
    m_staticStatus->setText(text);
    std::printf("Recv Count : %d\n", m_nRecvCount);
    std::fflush(stdout);
}

void CNetroveDlg::ClearDeviceList()
{
    m_list->ClearDeviceList();
}

void CNetroveDlg::ClearSelectionMirror()
{
    m_mirror.mac.clear();
    m_mirror.ip.reset();
    m_mirror.subnetMask.reset();
    m_mirror.gateway.reset();
}

// ---- reply handling ----

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
