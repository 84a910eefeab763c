#include "autoset/CDlgAutoSet.h"

#include "autoset/CIPAddressCtrl.h"
#include "autoset/DialogPlacement.h"
#include "autoset/SettingHost.h"
#include "autoset/UsedPortTable.h"
#include "devicelist/DeviceEntry.h"
#include "res/ControlNames.h"
#include "res/DialogUnits.h"
#include "res/MessageBoxes.h"
#include "res/Strings.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace Netrove {

namespace {

const QString kTitle = QStringLiteral("Auto Setting");
const QString kNoFreePortBlock =
    QStringLiteral("No free block of service ports is left. Search again to start over.");

// The address search blocks the window for about a second.
class WaitCursor final
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString FromLatin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

CDlgAutoSet::CDlgAutoSet(SettingHost& host, const DeviceEntry& entry, const QString& mac,
                         FreeAddressFinder findFreeAddress, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
    , m_host(host)
    , m_target(CopyAutoSetTarget(entry.kind, entry.reply, mac.toLatin1().toStdString()))
    , m_findFreeAddress(std::move(findFreeAddress))
{
    SetUpTemplateWindow(this, "CDlgAutoSet", kTitle, 9);
    CreateControls();
    m_bIPSetting = m_target.staticAddress ? 1 : 0;
}

CDlgAutoSet::~CDlgAutoSet() = default;

void CDlgAutoSet::CreateControls()
{
    // The group boxes come first, so that the controls drawn inside them lie above them.
    auto* groupNetwork =
        Named(new QGroupBox(QStringLiteral("Network Information"), this), "groupNetworkInformation");
    auto* groupPassword = Named(new QGroupBox(QStringLiteral("Password"), this), "groupPassword");

    m_btnOK = Named(new QPushButton(QStringLiteral("OK"), this), "buttonOK");
    m_btnCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "buttonCancel");
    m_ipAddress = Named(new CIPAddressCtrl(QStringLiteral("IP Address"), this), "ipAddress");
    m_ipSubnetMask = Named(new CIPAddressCtrl(QStringLiteral("Subnet Mask"), this), "ipSubnetMask");
    m_editPassword = Named(new QLineEdit(this), "editPassword", QStringLiteral("Password"));
    m_ipGateway = Named(new CIPAddressCtrl(QStringLiteral("Gateway"), this), "ipGateway");
    m_checkIPSetting = Named(new QCheckBox(this), "checkIPSetting", QStringLiteral("IP Setting"));
    m_checkPortMapping = Named(new QCheckBox(QStringLiteral("Port Mapping"), this), "checkPortMapping");

    auto makeLabel = [this](const QString& text, const char* objectName, QWidget* buddy) {
        return NamedLabel(this, text, objectName, buddy);
    };
    QLabel* labelAddress = makeLabel(QStringLiteral("IP Address"), "labelIPAddress", m_ipAddress);
    QLabel* labelMask = makeLabel(QStringLiteral("Subnet Mask"), "labelSubnetMask", m_ipSubnetMask);
    QLabel* labelGateway = makeLabel(QStringLiteral("Gateway"), "labelGateway", m_ipGateway);
    QLabel* labelIPSetting = makeLabel(QStringLiteral("IP Setting"), "labelIPSetting", m_checkIPSetting);

    m_btnOK->setDefault(true);
    m_editPassword->setEchoMode(QLineEdit::Password);
    m_editPassword->setAlignment(Qt::AlignCenter);
    m_checkPortMapping->setEnabled(false);

    const DialogUnits units{QFontMetrics(font())};
    m_btnOK->setGeometry(units.ToPixels(34, 144, 50, 14));
    m_btnCancel->setGeometry(units.ToPixels(112, 144, 50, 14));
    groupNetwork->setGeometry(units.ToPixels(7, 7, 181, 76));
    groupPassword->setGeometry(units.ToPixels(7, 108, 181, 31));
    m_ipAddress->setGeometry(units.ToPixels(79, 23, 100, 12));
    m_ipSubnetMask->setGeometry(units.ToPixels(79, 43, 100, 11));
    PlaceText(labelAddress, units.ToPixels(26, 25, 36, 8));
    PlaceText(labelMask, units.ToPixels(25, 44, 43, 8));
    m_editPassword->setGeometry(units.ToPixels(78, 120, 101, 12));
    m_ipGateway->setGeometry(units.ToPixels(78, 59, 101, 12));
    PlaceText(labelGateway, units.ToPixels(25, 61, 30, 8));
    m_checkIPSetting->setGeometry(units.ToPixels(32, 91, 9, 8));
    PlaceText(m_checkPortMapping, units.ToPixels(103, 91, 59, 10));
    PlaceText(labelIPSetting, units.ToPixels(44, 92, 31, 8));
    setFixedSize(units.ToPixelsX(195), units.ToPixelsY(161));

    // Tab order follows the template.
    SetTabOrder({m_btnOK, m_btnCancel, m_ipAddress, m_ipSubnetMask, m_editPassword, m_ipGateway,
                 m_checkIPSetting, m_checkPortMapping});

    connect(m_btnOK, &QPushButton::clicked, this, &CDlgAutoSet::OnOK);
    connect(m_btnCancel, &QPushButton::clicked, this, &CDlgAutoSet::OnCancel);
}

void CDlgAutoSet::DoDataExchange(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_bIPSetting = m_checkIPSetting->isChecked() ? 1 : 0;
        m_bPortMapping = m_checkPortMapping->isChecked() ? 1 : 0;
    } else {
        m_checkIPSetting->setChecked(m_bIPSetting != 0);
        m_checkPortMapping->setChecked(m_bPortMapping != 0);
    }
}

int CDlgAutoSet::exec()
{
    if (!OnInitDialog()) {
        setResult(Rejected);
        return Rejected;
    }
    // Shown once the dialog is up, so that the user sees what the message is about.
    if (m_proposal.outcome != FreeAddressOutcome::Found)
        QTimer::singleShot(0, this, &CDlgAutoSet::ShowNoProposal);
    return QDialog::exec();
}

bool CDlgAutoSet::OnInitDialog()
{
    if (m_bInitialised)
        return m_proposal.outcome != FreeAddressOutcome::NoProbeSocket;
    m_bInitialised = true;

    DoDataExchange(false);
    // The addresses are proposed, not typed.
    m_ipAddress->setEnabled(false);
    m_ipSubnetMask->setEnabled(false);
    m_ipGateway->setEnabled(false);
    m_editPassword->setMaxLength(AutoSetPasswordLimit(m_target.kind));
    m_ipSubnetMask->SetAddress(m_target.subnetMask);

    {
        const WaitCursor wait;
        if (m_findFreeAddress)
            m_proposal = m_findFreeAddress();
    }
    if (m_proposal.outcome == FreeAddressOutcome::NoProbeSocket) {
        ShowMessage(QString::fromStdString(FreeAddressMessage(m_proposal)));
        return false;
    }
    if (m_proposal.outcome == FreeAddressOutcome::Found) {
        m_ipAddress->SetAddress(m_proposal.address);
        m_ipGateway->SetAddress(m_proposal.gateway);
    }

    // The box shows how the device is addressed now; every request makes the address a fixed one.
    m_checkIPSetting->setEnabled(false);
    m_btnOK->setFocus(Qt::OtherFocusReason);
    return true;
}

void CDlgAutoSet::ShowNoProposal()
{
    ShowMessage(QString::fromStdString(FreeAddressMessage(m_proposal)));
}

void CDlgAutoSet::OnOK()
{
    // Without a proposed address the request would move the device to 0.0.0.0 or onto an address
    // that is taken: nothing is sent, and the dialog stays for "Cancel".
    if (m_proposal.outcome != FreeAddressOutcome::Found) {
        ShowNoProposal();
        return;
    }
    DoDataExchange(true);

    AutoSetInput input;
    input.address = m_ipAddress->GetAddress();
    input.subnetMask = m_ipSubnetMask->GetAddress();
    input.gateway = m_ipGateway->GetAddress();
    input.password = m_editPassword->text().toLatin1().toStdString();
    input.portMapping = m_bPortMapping != 0;

    const bool camera = IsCameraKind(m_target.kind);
    if (camera) {
        input.basePort = FindFreePort(GlobalUsedPortTable());
        if (input.basePort < 0) {
            ShowMessage(kNoFreePortBlock);
            return;
        }
    }

    std::vector<std::uint8_t> request = BuildAutoSetRequest(m_target, input);
    m_host.SendSettingRequest(camera, request, FromLatin1(AutoSetStatusText(input.portMapping)));
    accept();
}

void CDlgAutoSet::OnCancel()
{
    reject();
}

void CDlgAutoSet::ShowMessage(const QString& text)
{
    ShowApplicationMessage(this, text);
}

} // namespace Netrove
