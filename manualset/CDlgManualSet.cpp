#include "manualset/CDlgManualSet.h"

#include "autoset/AutoSetRequest.h"
#include "autoset/CIPAddressCtrl.h"
#include "autoset/DialogPlacement.h"
#include "autoset/SettingHost.h"
#include "devicelist/DeviceEntry.h"
#include "discovery/PacketFields.h"
#include "manualset/CUpDownCtrl.h"
#include "manualset/LeadingNumber.h"
#include "manualset/ManualSetPlan.h"
#include "manualset/PortBlockStepping.h"
#include "res/ControlNames.h"
#include "res/DialogUnits.h"
#include "res/MessageBoxes.h"
#include "res/Strings.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <string_view>

namespace Netrove {

namespace {

const QString kTitle = QStringLiteral("Manual Setting");
const QString kHttpPort = QStringLiteral("HTTP Port");
const QString kServicePort = QStringLiteral("Service Port");
const QString kDlxPort = QStringLiteral("DLX Port");
const QString kRecorderTcpPort = QStringLiteral("Port(TCP)");

PortGroup CameraPortGroup(PacketKind kind, std::span<const std::uint8_t> reply)
{
    return ClassifyModel(ReadManualSetReply(kind, reply).modelName);
}

} // namespace

CDlgManualSet::CDlgManualSet(SettingHost& host, const DeviceEntry& entry, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
    , m_host(host)
    , m_reply(entry.reply)
    , m_bShortForm(IsCameraKind(entry.kind) && IsShortReply(entry.kind, entry.reply))
    , m_nKind(entry.kind)
    , m_portGroup(CameraPortGroup(entry.kind, entry.reply))
{
    SetUpTemplateWindow(this, "CDlgManualSet", kTitle, 9);
    CreateControls();
    OnInitDialog();
}

CDlgManualSet::~CDlgManualSet() = default;

void CDlgManualSet::CreateControls()
{
    // The group boxes come first, so that the controls drawn inside them lie above them.
    auto* groupAddress = Named(new QGroupBox(QStringLiteral("Address"), this), "groupAddress");
    auto* groupPort = Named(new QGroupBox(QStringLiteral("Port"), this), "groupPort");
    auto* groupPassword = Named(new QGroupBox(QStringLiteral("Password"), this), "groupPassword");

    // Each edit is announced by its label, the label's text as it is at the moment.
    auto makeEdit = [this](const char* objectName) {
        auto* edit = Named(new QLineEdit(this), objectName);
        edit->setReadOnly(true);
        return edit;
    };
    // In tab order.
    m_editMac = makeEdit("editMac");
    m_ipAddress = Named(new CIPAddressCtrl(QStringLiteral("IP Address"), this), "ipAddress");
    m_ipSubnetMask = Named(new CIPAddressCtrl(QStringLiteral("Subnet Mask"), this), "ipSubnetMask");
    m_ipGateway = Named(new CIPAddressCtrl(QStringLiteral("Gateway"), this), "ipGateway");
    m_editHttpPort = makeEdit("editHttpPort");
    m_spinPorts =
        Named(new CUpDownCtrl(QStringLiteral("Port Block"), this), "spinPorts", QStringLiteral("Port Block"));
    m_editDlxPort = makeEdit("editDlxPort");
    m_editTcpPort = makeEdit("editTcpPort");
    m_editUdpPort = makeEdit("editUdpPort");
    m_editUploadPort = makeEdit("editUploadPort");
    m_editMulticastPort = makeEdit("editMulticastPort");
    m_editPassword = Named(new QLineEdit(this), "editPassword", QStringLiteral("Password"));
    m_btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "buttonOK");
    m_btnCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "buttonCancel");

    auto makeLabel = [this](const QString& text, const char* objectName, QWidget* buddy) {
        return NamedLabel(this, text, objectName, buddy);
    };
    QLabel* labelMac = makeLabel(QStringLiteral("MAC Address"), "labelMacAddress", m_editMac);
    QLabel* labelAddress = makeLabel(QStringLiteral("IP Address"), "labelIPAddress", m_ipAddress);
    QLabel* labelMask = makeLabel(QStringLiteral("Subnet Mask"), "labelSubnetMask", m_ipSubnetMask);
    QLabel* labelGateway = makeLabel(QStringLiteral("Gateway"), "labelGateway", m_ipGateway);
    // A camera with one service port shows this label instead of "HTTP Port" (see FillFromCameraReply).
    m_labelServicePort = makeLabel(kServicePort, "labelServicePort", nullptr);
    m_labelHttpPort = makeLabel(kHttpPort, "labelHttpPort", m_editHttpPort);
    m_labelDlxPort = makeLabel(kDlxPort, "labelDlxPort", m_editDlxPort);
    m_labelTcpPort = makeLabel(QStringLiteral("TCP Port"), "labelTcpPort", m_editTcpPort);
    m_labelUdpPort = makeLabel(QStringLiteral("UDP Port"), "labelUdpPort", m_editUdpPort);
    m_labelUploadPort = makeLabel(QStringLiteral("Upload Port"), "labelUploadPort", m_editUploadPort);
    m_labelMulticastPort =
        makeLabel(QStringLiteral("Multicast Port"), "labelMulticastPort", m_editMulticastPort);

    m_radioPppoe = Named(new QRadioButton(QStringLiteral("PPPoE"), this), "radioPppoe");
    m_radioDhcp = Named(new QRadioButton(QStringLiteral("DHCP"), this), "radioDhcp");
    m_radioStatic = Named(new QRadioButton(QStringLiteral("STATIC"), this), "radioStatic");
    // The buttons' ids are the indices of m_nModeRadio.
    m_groupMode = new QButtonGroup(this);
    m_groupMode->addButton(m_radioPppoe, kModeRadioPppoe);
    m_groupMode->addButton(m_radioDhcp, kModeRadioDhcp);
    m_groupMode->addButton(m_radioStatic, kModeRadioStatic);
    // A device may report PPPoE, but the user can only choose DHCP or a static address.
    m_radioPppoe->setEnabled(false);

    m_editMac->setAlignment(Qt::AlignCenter);
    m_editPassword->setEchoMode(QLineEdit::Password);
    m_editPassword->setAlignment(Qt::AlignCenter);
    m_btnOK->setDefault(true);

    const DialogUnits units{QFontMetrics(font())};
    m_editMac->setGeometry(units.ToPixels(65, 32, 99, 12));
    m_ipAddress->setGeometry(units.ToPixels(65, 48, 100, 12));
    m_ipSubnetMask->setGeometry(units.ToPixels(65, 64, 100, 10));
    m_ipGateway->setGeometry(units.ToPixels(65, 79, 100, 11));
    m_editHttpPort->setGeometry(units.ToPixels(235, 16, 31, 12));
    m_spinPorts->setGeometry(units.ToPixels(265, 15, 10, 14));
    m_editDlxPort->setGeometry(units.ToPixels(235, 32, 31, 12));
    m_editTcpPort->setGeometry(units.ToPixels(235, 48, 31, 12));
    m_editUdpPort->setGeometry(units.ToPixels(235, 63, 31, 12));
    m_editUploadPort->setGeometry(units.ToPixels(235, 79, 31, 12));
    m_editMulticastPort->setGeometry(units.ToPixels(235, 95, 31, 12));
    m_editPassword->setGeometry(units.ToPixels(65, 115, 100, 12));
    m_btnOK->setGeometry(units.ToPixels(72, 136, 50, 14));
    m_btnCancel->setGeometry(units.ToPixels(183, 136, 50, 14));
    groupAddress->setGeometry(units.ToPixels(7, 7, 165, 89));
    groupPort->setGeometry(units.ToPixels(173, 7, 107, 125));
    PlaceText(labelMac, units.ToPixels(13, 34, 51, 8));
    PlaceText(labelAddress, units.ToPixels(14, 49, 36, 8));
    PlaceText(labelMask, units.ToPixels(13, 65, 43, 8));
    PlaceText(labelGateway, units.ToPixels(13, 80, 29, 8));
    PlaceText(m_labelServicePort, units.ToPixels(181, 19, 39, 8));
    PlaceText(m_labelHttpPort, units.ToPixels(181, 19, 34, 8));
    PlaceText(m_labelDlxPort, units.ToPixels(181, 34, 39, 8));
    PlaceText(m_labelTcpPort, units.ToPixels(181, 51, 29, 8));
    PlaceText(m_labelUdpPort, units.ToPixels(181, 66, 31, 8));
    PlaceText(m_labelUploadPort, units.ToPixels(181, 82, 39, 8));
    groupPassword->setGeometry(units.ToPixels(7, 101, 165, 31));
    PlaceText(m_labelMulticastPort, units.ToPixels(181, 98, 51, 8));
    PlaceText(m_radioPppoe, units.ToPixels(18, 17, 38, 10));
    PlaceText(m_radioDhcp, units.ToPixels(60, 17, 35, 10));
    PlaceText(m_radioStatic, units.ToPixels(106, 17, 41, 10));
    setFixedSize(units.ToPixelsX(287), units.ToPixelsY(155));

    SetTabOrder({m_editMac, m_ipAddress, m_ipSubnetMask, m_ipGateway, m_editHttpPort, m_spinPorts,
                 m_editDlxPort, m_editTcpPort, m_editUdpPort, m_editUploadPort, m_editMulticastPort,
                 m_editPassword, m_btnOK, m_btnCancel, m_radioPppoe, m_radioDhcp, m_radioStatic});

    connect(m_spinPorts, &CUpDownCtrl::deltaPos, this, &CDlgManualSet::OnDeltaposSpinPorts);
    connect(m_radioStatic, &QRadioButton::clicked, this, &CDlgManualSet::OnBnClickedStatic);
    connect(m_radioDhcp, &QRadioButton::clicked, this, &CDlgManualSet::OnBnClickedDhcp);
    connect(m_radioPppoe, &QRadioButton::clicked, this, &CDlgManualSet::OnBnClickedPppoe);
    connect(m_btnOK, &QPushButton::clicked, this, &CDlgManualSet::OnOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &CDlgManualSet::OnCancel);
}

void CDlgManualSet::OnInitDialog()
{
    DoDataExchange(false);
    if (IsCameraKind(m_nKind)) {
        m_labelDlxPort->setText(kDlxPort);
        FillFromCameraReply();
    } else {
        m_labelDlxPort->setText(kRecorderTcpPort);
        FillFromRecorderReply();
    }
    m_editPassword->setMaxLength(ManualSetPasswordLimit(m_nKind));
    m_editMac->setFocus(Qt::OtherFocusReason);
}

std::array<QLineEdit*, 6> CDlgManualSet::PortFields() const
{
    return {m_editHttpPort, m_editDlxPort,    m_editTcpPort,
            m_editUdpPort,  m_editUploadPort, m_editMulticastPort};
}

void CDlgManualSet::FillAddresses(const ManualSetReported& reported)
{
    m_editMac->setText(QString::fromLatin1(reported.mac.data(), static_cast<qsizetype>(reported.mac.size())));
    const std::pair<CIPAddressCtrl*, const std::optional<Ipv4Octets>&> addresses[] = {
        {m_ipAddress, reported.ipAddress},
        {m_ipSubnetMask, reported.subnetMask},
        {m_ipGateway, reported.gateway}};
    for (const auto& [control, address] : addresses) {
        // A text that is no address leaves the control blank, which reads as 0.
        if (address)
            control->SetAddress(*address);
        else
            control->ClearAddress();
    }
    SetAddressingMode(reported.addressMode);
    // A device that is given its address keeps showing it, but it is not the user's to change.
    const auto mode = static_cast<AddressMode>(reported.addressMode);
    if (mode == AddressMode::Dhcp || mode == AddressMode::Pppoe)
        EnableAddressControls(false);
}

void CDlgManualSet::FillFromCameraReply()
{
    const ManualSetReported reported = ReadManualSetReply(m_nKind, m_reply);
    FillAddresses(reported);
    const std::array<std::uint16_t, 6>& ports = reported.ports;
    const std::array<QLineEdit*, 6> fields = PortFields();
    QLabel* const blockLabels[] = {m_labelTcpPort, m_labelUdpPort, m_labelUploadPort, m_labelMulticastPort};

    const bool block = m_portGroup == PortGroup::SixPortBlock;
    const bool serviceOnly = m_portGroup == PortGroup::ServicePortOnly;
    // How many of the six fields the model has, from HTTP on.
    const PortFieldLayout layout = ManualSetPortFields(m_nKind, m_portGroup);

    m_labelServicePort->setVisible(serviceOnly);
    m_labelHttpPort->setVisible(!serviceOnly);
    // The first port field is announced by whichever of its two labels is shown.
    m_labelServicePort->setBuddy(serviceOnly ? m_editHttpPort : nullptr);
    m_labelHttpPort->setBuddy(serviceOnly ? nullptr : m_editHttpPort);
    m_labelDlxPort->setVisible(!serviceOnly);
    for (QLabel* label : blockLabels)
        label->setVisible(block);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const bool shown = i < layout.shown;
        fields[i]->setVisible(shown);
        if (shown)
            fields[i]->setText(QString::number(ports[i]));
        // The six-port block moves only as a whole, with the arrows.
        fields[i]->setReadOnly(!layout.typed || !shown);
    }
    m_spinPorts->setVisible(block);
}

void CDlgManualSet::FillFromRecorderReply()
{
    const ManualSetReported reported = ReadManualSetReply(m_nKind, m_reply);
    FillAddresses(reported);
    const std::array<std::uint16_t, 6>& ports = reported.ports;
    m_labelServicePort->setVisible(false);
    for (QLabel* label : {m_labelTcpPort, m_labelUdpPort, m_labelUploadPort, m_labelMulticastPort})
        label->setVisible(false);
    for (QLineEdit* field : {m_editTcpPort, m_editUdpPort, m_editUploadPort, m_editMulticastPort})
        field->setVisible(false);
    m_spinPorts->setVisible(false);
    m_editHttpPort->setText(QString::number(ports[0]));
    m_editDlxPort->setText(QString::number(ports[1]));
    m_editHttpPort->setReadOnly(false);
    m_editDlxPort->setReadOnly(false);
}

void CDlgManualSet::DoDataExchange(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_nModeRadio = m_groupMode->checkedId();
        return;
    }
    if (QAbstractButton* button = m_groupMode->button(m_nModeRadio)) {
        button->setChecked(true);
        return;
    }
    // No button selected: an exclusive group refuses to clear its checked button.
    m_groupMode->setExclusive(false);
    for (QAbstractButton* button : m_groupMode->buttons())
        button->setChecked(false);
    m_groupMode->setExclusive(true);
}

void CDlgManualSet::SetAddressingMode(std::uint8_t addressMode)
{
    m_nModeRadio = ModeRadioFromAddressMode(addressMode);
    DoDataExchange(false);
}

std::uint8_t CDlgManualSet::GetAddressingMode()
{
    DoDataExchange(true);
    return AddressModeFromModeRadio(m_nModeRadio);
}

void CDlgManualSet::EnableAddressControls(bool enable)
{
    m_ipAddress->setEnabled(enable);
    m_ipSubnetMask->setEnabled(enable);
    m_ipGateway->setEnabled(enable);
}

void CDlgManualSet::OnBnClickedStatic()
{
    EnableAddressControls(true);
}

void CDlgManualSet::OnBnClickedDhcp()
{
    EnableAddressControls(false);
}

void CDlgManualSet::OnBnClickedPppoe()
{
    EnableAddressControls(false);
}

void CDlgManualSet::OnDeltaposSpinPorts(int change)
{
    const std::array<int, 6> ports = StepPortBlock(PortNumber(m_editHttpPort), change);
    const std::array<QLineEdit*, 6> fields = PortFields();
    for (std::size_t i = 0; i < ports.size(); ++i)
        fields[i]->setText(QString::number(ports[i]));
    // The addressing mode stays as the user left it: stepping the ports is no reason to undo a
    // click on "STATIC".
}

int CDlgManualSet::PortNumber(const QLineEdit* field) const
{
    const QByteArray text = field->text().toLatin1();
    return ReadLeadingNumber(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
}

bool CDlgManualSet::Validate()
{
    const std::optional<std::string> failure = ValidateManualSetInput(m_nKind, m_portGroup, CollectInput());
    if (!failure)
        return true;
    ShowMessage(QString::fromStdString(*failure));
    return false;
}

ManualSetInput CDlgManualSet::CollectInput()
{
    ManualSetInput input;
    input.addressMode = GetAddressingMode();
    input.mac = m_editMac->text().toLatin1().toStdString();
    input.ipAddress = m_ipAddress->GetAddress();
    input.subnetMask = m_ipSubnetMask->GetAddress();
    input.gateway = m_ipGateway->GetAddress();
    input.password = m_editPassword->text().toLatin1().toStdString();
    const std::array<QLineEdit*, 6> fields = PortFields();
    for (std::size_t i = 0; i < input.ports.size(); ++i)
        input.ports[i] = PortNumber(fields[i]);
    return input;
}

std::vector<std::uint8_t> CDlgManualSet::BuildRequest()
{
    return BuildManualSetRequest(m_nKind, m_bShortForm, CollectInput());
}

void CDlgManualSet::OnOK()
{
    DoDataExchange(true);
    if (!Validate())
        return;
    std::vector<std::uint8_t> request = BuildRequest();
    m_host.SendSettingRequest(IsCameraKind(m_nKind), request, QString::fromLatin1(kManualSetStatusText));
    accept();
}

void CDlgManualSet::OnCancel()
{
    reject();
}

void CDlgManualSet::ShowMessage(const QString& text)
{
    ShowApplicationMessage(this, text);
}

} // namespace Netrove
