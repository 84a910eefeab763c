#include "app/CNetroveDlg.h"

#include "app/AboutEntry.h"
#include "app/CAboutDlg.h"
#include "app/ModeRules.h"
#include "app/SettingAdapter.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceWebPage.h"
#include "devicelist/RepaintLimiter.h"
#include "discovery/PacketFields.h"
#include "engine/DeviceEngine.h"
#include "res/ControlNames.h"
#include "res/DialogUnits.h"
#include "res/MessageBoxes.h"
#include "res/Resources.h"
#include "res/Strings.h"

#include <QApplication>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QResizeEvent>

namespace Netrove {

namespace {

const QString kCaption = QStringLiteral("Netrove v2.0.1.2 for the network products");

} // namespace

CNetroveDlg::CNetroveDlg(QWidget* parent)
    : CNetroveDlg(nullptr, parent)
{}

CNetroveDlg::CNetroveDlg(std::unique_ptr<DeviceChannel> channel, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                          Qt::WindowCloseButtonHint)
{
    SetUpTemplateWindow(this, "CNetroveDlg", kCaption, 9);
    setWindowIcon(ApplicationIcon());
    // "Netrove Information(&A)": F1, the free area's context menu, and the system menu where there is one.
    m_aboutEntry = new AboutEntry(this, [this](unsigned int command) { return OnSysCommand(command); });
    CreateControls();
    CreateListActions();
    CreateBatchActions();

    // The engine lists the devices in the list's own rows.
    m_engine = channel ? new DeviceEngine(std::move(channel), MakeSystemClock(), &m_list->Rows(), this)
                       : new DeviceEngine(&m_list->Rows(), this);
    ConnectEngine();

    qApp->installEventFilter(this);
}

CNetroveDlg::~CNetroveDlg()
{
    qApp->removeEventFilter(this);
    OnDestroy();
}

void CNetroveDlg::CreateControls()
{
    m_checkCamera = Named(new QCheckBox(QStringLiteral("IP CAMERA"), this), "checkIpCamera");
    m_checkNvr = Named(new QCheckBox(QStringLiteral("NVR"), this), "checkNvr");
    // Other makers' cameras, by ONVIF WS-Discovery; checked at start.
    m_checkOnvif = Named(new QCheckBox(QStringLiteral("ONVIF"), this), "checkOnvif");
    m_list = Named(new CNetroveListCtrl(this), "deviceList", QStringLiteral("Devices"));
    m_staticStatus = Named(new QLabel(this), "statusLine");
    m_checkIPv4 = Named(new QCheckBox(QStringLiteral("IPv4"), this), "checkIPv4");
    m_checkIPv6 = Named(new QCheckBox(QStringLiteral("IPv6"), this), "checkIPv6");
    m_btnSearch = Named(new QPushButton(QStringLiteral("Search"), this), "buttonSearch");
    m_btnAutoSet = Named(new QPushButton(QStringLiteral("Auto Set"), this), "buttonAutoSet");
    m_btnManualSet = Named(new QPushButton(QStringLiteral("Manual Set"), this), "buttonManualSet");
    m_btnBatchSet = Named(new QPushButton(QStringLiteral("Batch Set"), this), "buttonBatchSet");
    m_btnExit = Named(new QPushButton(QStringLiteral("Exit"), this), "buttonExit");
    m_staticHint = Named(new QLabel(this), "staticHint");
    // Off at start: the window searches as it always did until the user asks for more.
    m_checkKeepSearching = Named(new QCheckBox(QStringLiteral("Keep searching"), this), "checkKeepSearching");
    CreateFilterControls();

    m_staticStatus->setAlignment(Qt::AlignCenter);
    m_staticStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_staticStatus->setTextFormat(Qt::PlainText);
    // The hint may name a command to type: it can be selected and copied, also from the keyboard.
    m_staticHint->setTextFormat(Qt::PlainText);
    m_staticHint->setWordWrap(true);
    m_staticHint->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_staticHint->setFocusPolicy(Qt::StrongFocus);
    m_staticHint->hide();
    m_pHeader = &m_list->Header();
    m_statusRepaints = std::make_unique<RepaintLimiter>(m_staticStatus, CNetroveListCtrl::kRepaintIntervalMs);

    // Enter must never press a button of this window, not even the one that has the focus.
    ClearDefaultButtons({m_btnSearch, m_btnAutoSet, m_btnManualSet, m_btnBatchSet, m_btnExit});

    // The template's places. A window made larger gives the list all its new room; the row below
    // the list moves with the bottom right corner as one, so that its controls keep their order,
    // spacing and size. The template's size is the smallest.
    const DialogUnits units{QFontMetrics(font())};
    const auto place = [this, &units](QWidget* control, Anchor anchor, int x, int y, int width, int height) {
        m_anchoredControls.push_back({control, units.ToPixels(x, y, width, height), anchor});
        control->setGeometry(m_anchoredControls.back().templateRect);
    };
    place(m_checkCamera, Anchor::TopLeft, 7, 7, 50, 10);
    place(m_checkNvr, Anchor::TopLeft, 63, 7, 30, 10);
    place(m_checkOnvif, Anchor::TopLeft, 99, 7, 36, 10);
    place(m_checkKeepSearching, Anchor::TopRight, 420, 7, 70, 10);
    // The filter row takes the list's width above it.
    place(m_editFilter, Anchor::GrowWide, 7, 22, 196, 12);
    place(m_checkSharedIp, Anchor::TopRight, 209, 23, 74, 10);
    place(m_checkOutsideNetwork, Anchor::TopRight, 287, 23, 94, 10);
    place(m_staticShown, Anchor::TopRight, 385, 23, 105, 10);
    place(m_list, Anchor::Grow, 7, 38, 483, 176);
    // Why an empty search heard nothing, under the list: two lines of text.
    place(m_staticHint, Anchor::BottomWide, 7, 217, 483, 19);
    // "Batch Set" takes its place after "Manual Set": the status line and the boxes move left for it.
    place(m_staticStatus, Anchor::BottomRight, 6, 239, 142, 13);
    place(m_checkIPv4, Anchor::BottomRight, 156, 241, 29, 10);
    place(m_checkIPv6, Anchor::BottomRight, 187, 241, 29, 10);
    place(m_btnSearch, Anchor::BottomRight, 221, 239, 50, 14);
    place(m_btnAutoSet, Anchor::BottomRight, 276, 239, 50, 14);
    place(m_btnManualSet, Anchor::BottomRight, 331, 239, 50, 14);
    place(m_btnBatchSet, Anchor::BottomRight, 386, 239, 50, 14);
    place(m_btnExit, Anchor::BottomRight, 440, 239, 50, 14);
    m_templateSize = QSize(units.ToPixelsX(497), units.ToPixelsY(258));
    setMinimumSize(m_templateSize);
    resize(m_templateSize);

    // Tab order follows the template.
    SetTabOrder({m_checkCamera, m_checkNvr, m_checkOnvif, m_checkKeepSearching, m_editFilter, m_checkSharedIp,
                 m_checkOutsideNetwork, m_list, m_staticHint, m_checkIPv4, m_checkIPv6, m_btnSearch,
                 m_btnAutoSet, m_btnManualSet, m_btnBatchSet, m_btnExit});

    connect(m_checkIPv4, &QCheckBox::clicked, this, &CNetroveDlg::OnBnClickedIPv4);
    connect(m_checkIPv6, &QCheckBox::clicked, this, &CNetroveDlg::OnBnClickedIPv6);
    connect(m_checkNvr, &QCheckBox::clicked, this, &CNetroveDlg::OnBnClickedNvr);
    connect(m_checkOnvif, &QCheckBox::clicked, this, &CNetroveDlg::UpdateModeControls);
    connect(m_checkCamera, &QCheckBox::clicked, this, &CNetroveDlg::OnBnClickedIpCamera);
    connect(m_btnExit, &QPushButton::clicked, this, &CNetroveDlg::OnOK);
    connect(m_btnSearch, &QPushButton::clicked, this, &CNetroveDlg::OnBnClickedSearch);
    connect(m_checkKeepSearching, &QCheckBox::toggled, this,
            [this](bool on) { m_engine->SetKeepSearching(on, m_nKeepSearchingMs); });
    connect(m_btnAutoSet, &QPushButton::clicked, this, &CNetroveDlg::OnBnClickedAutoSet);
    connect(m_btnManualSet, &QPushButton::clicked, this, &CNetroveDlg::OnBnClickedManualSet);
    connect(m_btnBatchSet, &QPushButton::clicked, this, &CNetroveDlg::OnBnClickedBatchSet);
    connect(m_pHeader, &QHeaderView::sectionClicked, this, &CNetroveDlg::OnColumnClickList);
    connect(m_list, &CNetroveListCtrl::rowClicked, this, &CNetroveDlg::OnClickList);
    connect(m_list, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { OnDblClickList(this, *m_list, m_list->SourceRow(index)); });
    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CNetroveDlg::OnListSelectionChanged);
}

void CNetroveDlg::resizeEvent(QResizeEvent* event)
{
    const QSize growth = event->size() - m_templateSize;
    for (const AnchoredControl& control : m_anchoredControls)
        control.widget->setGeometry(AnchoredGeometry(control.templateRect, control.anchor, growth));
    QDialog::resizeEvent(event);
}

void CNetroveDlg::DoDataExchange(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_bCamera = m_checkCamera->isChecked() ? 1 : 0;
        m_bNVR = m_checkNvr->isChecked() ? 1 : 0;
        m_bOnvif = m_checkOnvif->isChecked() ? 1 : 0;
    } else {
        m_checkCamera->setChecked(m_bCamera != 0);
        m_checkNvr->setChecked(m_bNVR != 0);
        m_checkOnvif->setChecked(m_bOnvif != 0);
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
    // Checked at start wherever the window has a way to other makers' cameras.
    m_bOnvif = m_engine->OnvifAvailable() ? 1 : 0;
    m_checkOnvif->setEnabled(m_engine->OnvifAvailable());
    DoDataExchange(false);
    m_pHeader = &m_list->Header();

    m_engine->Open();

    m_checkIPv4->setChecked(true);
    m_checkIPv6->setChecked(m_bIPv6Available == 1);
    if (m_bIPv6Available != 1)
        m_checkIPv6->setEnabled(false);
    m_chkIPv6 = m_bIPv6Available;

    OnBnClickedSearch();

    m_mirror.password = QStringLiteral("7517");
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

bool CNetroveDlg::OnSysCommand(unsigned int command)
{
    if ((command & 0xFFF0) != IDM_ABOUTBOX)
        return false;
    CAboutDlg dlgAbout(this);
    dlgAbout.exec();
    return true;
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
    selection.onvif = m_bOnvif != 0;
    selection.ipv4 = m_chkIPv4 != 0;
    selection.ipv6 = m_chkIPv6 != 0;
    const ModeControlStates states = ComputeModeControls(selection);
    m_checkIPv6->setEnabled(states.ipv6BoxEnabled);
    m_btnSearch->setEnabled(states.searchEnabled);
    TellSearchChoice();
}

void CNetroveDlg::TellSearchChoice()
{
    DoDataExchange(true);
    SearchChoice choice;
    choice.camera = m_bCamera != 0;
    choice.nvr = m_bNVR != 0;
    choice.onvif = m_bOnvif != 0;
    choice.ipv4 = m_chkIPv4 == 1;
    choice.ipv6 = m_chkIPv6 == 1 && m_bIPv6Available == 1;
    m_engine->SetSearchChoice(choice);
}

bool CNetroveDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (PreTranslateMessage(watched, event) || FilterKeyPressed(watched, event))
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
    m_engine->Close();
}

void CNetroveDlg::ShowSocketError(const QString& text, int code)
{
    ShowApplicationMessage(this, QStringLiteral("%1 : %2").arg(text).arg(code), QMessageBox::Warning);
}

void CNetroveDlg::ShowMessage(const QString& text)
{
    ShowApplicationMessage(this, text);
}

ArrivalAdapter CNetroveDlg::RequestAdapter(std::span<const std::uint8_t> packet) const
{
    // Every setting request is laid out as a camera packet and names its device by MAC text.
    const QString mac =
        QString::fromLatin1(ReadText(PacketKind::KindCamera, packet, PacketField::MacAddress));
    return SettingRequestAdapter(mac, m_list->Rows(), m_mirror);
}

void CNetroveDlg::SendCameraPacket(std::span<std::uint8_t> packet)
{
    m_engine->SendCameraPacket(packet, RequestAdapter(packet));
}

void CNetroveDlg::SendRecorderPacket(std::span<std::uint8_t> packet)
{
    m_engine->SendRecorderPacket(packet, RequestAdapter(packet));
}

} // namespace Netrove
