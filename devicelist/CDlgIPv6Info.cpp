#include "devicelist/CDlgIPv6Info.h"

#include "devicelist/OpenInBrowser.h"
#include "devicelist/WebAddress.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "res/ControlNames.h"
#include "res/DialogUnits.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace Netrove {

namespace {

const QString kTitle = QStringLiteral("IPv6 Address Information");
// The edit has no label; it holds the camera's IPv6 address.
const QString kAddressName = QStringLiteral("IPv6 Address");
constexpr PacketKind kKind = PacketKind::KindCameraIPv6;

} // namespace

CDlgIPv6Info::CDlgIPv6Info(QWidget* parent, OsMajorVersionQuery getOsMajorVersion)
    // A caption without a close box: the dialog ends by one of its buttons or by Escape.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_getOsMajorVersion(getOsMajorVersion != nullptr ? getOsMajorVersion : &GetOsMajorVersion)
{
    static_assert(kReplySize == 366);
    Q_ASSERT(LongFormSize(kKind) == kReplySize);
    SetUpTemplateWindow(this, "CDlgIPv6Info", kTitle, 8);
    CreateControls();
}

CDlgIPv6Info::~CDlgIPv6Info() = default;

void CDlgIPv6Info::CreateControls()
{
    m_btnCancel = Named(new QPushButton(QStringLiteral("Cancel"), this), "buttonCancel");
    m_btnIPv6 = Named(new QPushButton(QStringLiteral("IPv6"), this), "buttonIPv6");
    m_editAddress = Named(new QLineEdit(this), "editAddress", kAddressName);
    m_btnIPv4 = Named(new QPushButton(QStringLiteral("IPv4"), this), "buttonIPv4");

    m_editAddress->setReadOnly(true);
    m_editAddress->setAlignment(Qt::AlignCenter);
    // No button is the default: Enter presses only the button that has the focus (keyPressEvent).
    ClearDefaultButtons({m_btnCancel, m_btnIPv6, m_btnIPv4});

    const DialogUnits units{QFontMetrics(font())};
    m_btnCancel->setGeometry(units.ToPixels(100, 27, 42, 14));
    m_btnIPv6->setGeometry(units.ToPixels(55, 27, 39, 14));
    m_editAddress->setGeometry(units.ToPixels(7, 5, 137, 18));
    m_btnIPv4->setGeometry(units.ToPixels(10, 27, 39, 14));
    setFixedSize(units.ToPixelsX(151), units.ToPixelsY(48));

    SetTabOrder({m_btnCancel, m_btnIPv6, m_editAddress, m_btnIPv4});

    connect(m_btnIPv6, &QPushButton::clicked, this, &CDlgIPv6Info::OnBnClickedIPv6);
    connect(m_btnCancel, &QPushButton::clicked, this, &CDlgIPv6Info::reject);
    connect(m_btnIPv4, &QPushButton::clicked, this, &CDlgIPv6Info::OnBnClickedIPv4);
}

void CDlgIPv6Info::SetReply(std::span<const std::uint8_t> reply)
{
    m_reply6.fill(0);
    std::copy_n(reply.begin(), std::min(reply.size(), m_reply6.size()), m_reply6.begin());
}

void CDlgIPv6Info::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CDlgIPv6Info::OnInitDialog()
{
    // Shown as the camera sent it, unchecked; a line edit never renders markup.
    const std::string address = ReadText(kKind, m_reply6, PacketField::Ipv6Address);
    m_editAddress->setText(QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size())));
    // An address wider than the box shows its beginning; the rest scrolls into view.
    m_editAddress->setCursorPosition(0);
    m_btnCancel->setFocus(Qt::OtherFocusReason);
}

void CDlgIPv6Info::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget());
            button != nullptr && button->isEnabled())
            button->click();
        event->accept();
        return;
    }
    // Escape ends the dialog as cancelled.
    QDialog::keyPressEvent(event);
}

void CDlgIPv6Info::OnBnClickedIPv6()
{
    OpenInBrowser(CameraIPv6WebUrl(m_reply6, m_getOsMajorVersion()));
    reject();
}

void CDlgIPv6Info::OnBnClickedIPv4()
{
    OpenInBrowser(CameraWebUrl(kKind, m_reply6));
    reject();
}

} // namespace Netrove
