#include "autoset/CDlgAutoSet.h"
#include "autoset/CIPAddressCtrl.h"
#include "autoset/FreeAddressSearch.h"
#include "autoset/SettingHost.h"
#include "autoset/UsedPortTable.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "res/Strings.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::AddressMode)
Q_DECLARE_METATYPE(Netrove::FreeAddressOutcome)

namespace {

constexpr PacketKind kCamera = PacketKind::KindCamera;
const QString kMac = QStringLiteral("00:1C:63:0A:0B:0C");

class FakeHost final : public SettingHost
{
public:
    void SetStatusText(const QString& text) override { statusTexts << text; }
    void SendCameraPacket(std::span<std::uint8_t> packet) override
    {
        camera.emplace_back(packet.begin(), packet.end());
    }
    void SendRecorderPacket(std::span<std::uint8_t> packet) override
    {
        recorder.emplace_back(packet.begin(), packet.end());
    }
    void DisableSettingButtons() override { ++disableCalls; }

    bool NothingDone() const
    {
        return statusTexts.isEmpty() && camera.empty() && recorder.empty() && disableCalls == 0;
    }

    QStringList statusTexts;
    std::vector<std::vector<std::uint8_t>> camera;
    std::vector<std::vector<std::uint8_t>> recorder;
    int disableCalls = 0;
};

// Acts on modal windows from inside their loops, one step after the other; a step whose window
// does not come within five seconds fails the script and closes whatever is open, so that no test
// hangs on a box.
class ModalScript final : public QObject
{
public:
    using Match = std::function<bool(QWidget*)>;
    using Act = std::function<void(QWidget*)>;

    ModalScript()
    {
        connect(&m_timer, &QTimer::timeout, this, &ModalScript::Poll);
        m_timer.start(10);
        m_clock.start();
    }

    ModalScript& When(const QString& what, Match match, Act act)
    {
        m_steps.push_back({what, std::move(match), std::move(act)});
        return *this;
    }

    // Empty when every step ran.
    QString Unfinished() const
    {
        if (!m_failure.isEmpty())
            return m_failure;
        return m_steps.empty() ? QString() : QStringLiteral("never came: ") + m_steps.front().what;
    }

private:
    struct Step
    {
        QString what;
        Match match;
        Act act;
    };

    void Poll()
    {
        if (m_bScheduled)
            return;
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (!m_steps.empty() && m_steps.front().match(modal)) {
            Step step = std::move(m_steps.front());
            m_steps.pop_front();
            m_bScheduled = true;
            m_clock.restart();
            // From a timer of its own, so that a box the step opens does not stop the polling.
            QTimer::singleShot(0, modal,
                               [this, act = std::move(step.act), target = QPointer<QWidget>(modal)] {
                                   m_bScheduled = false;
                                   if (target)
                                       act(target);
                               });
            return;
        }
        if (m_clock.elapsed() < 5000)
            return;
        // A step failed, or a window stayed open that should have closed: close everything.
        if (m_failure.isEmpty()) {
            m_failure = m_steps.empty() ? QStringLiteral("left open: ") + modal->windowTitle()
                                        : QStringLiteral("timed out waiting for: ") + m_steps.front().what;
        }
        m_steps.clear();
        for (int i = 0; i < 10 && QApplication::activeModalWidget(); ++i) {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
            else
                QApplication::activeModalWidget()->close();
        }
    }

    std::deque<Step> m_steps;
    QTimer m_timer;
    QElapsedTimer m_clock;
    QString m_failure;
    bool m_bScheduled = false;
};

bool IsDialog(QWidget* widget)
{
    return qobject_cast<CDlgAutoSet*>(widget) && widget->isVisible();
}

bool IsBox(QWidget* widget)
{
    return qobject_cast<QMessageBox*>(widget) != nullptr;
}

struct SeenBox
{
    QString text;
    QString caption;
    QWidget* owner = nullptr;
    bool ownerVisible = false;
};

// Records the box and presses its OK.
ModalScript::Act AnswerBox(std::vector<SeenBox>& seen)
{
    return [&seen](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        seen.push_back({box->text(), box->windowTitle(), box->parentWidget(),
                        box->parentWidget() && box->parentWidget()->isVisible()});
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    };
}

template <typename Widget> Widget* Find(QWidget* dialog, const char* objectName)
{
    return dialog->findChild<Widget*>(QString::fromLatin1(objectName));
}

ModalScript::Act TypeAndConfirm(const QString& password)
{
    return [password](QWidget* dialog) {
        QTest::keyClicks(Find<QLineEdit>(dialog, "editPassword"), password);
        QTest::mouseClick(Find<QPushButton>(dialog, "buttonOK"), Qt::LeftButton);
    };
}

ModalScript::Act PressCancel()
{
    return [](QWidget* dialog) {
        QTest::mouseClick(Find<QPushButton>(dialog, "buttonCancel"), Qt::LeftButton);
    };
}

DeviceEntry MakeDevice(PacketKind kind, AddressMode mode, const char* alias = "Lobby")
{
    DeviceEntry entry;
    entry.kind = kind;
    entry.reply.assign(LongFormSize(kind), 0);
    // The row's own MAC text differs from the one the main window hands over: the latter counts.
    WriteText(kind, entry.reply, PacketField::MacAddress, "FF:FF:FF:FF:FF:FF");
    WriteText(kind, entry.reply, PacketField::SubnetMask, "255.255.254.0");
    WriteByte(kind, entry.reply, PacketField::AddressMode, static_cast<std::uint8_t>(mode));
    WriteText(kind, entry.reply, PacketField::Alias, alias);
    return entry;
}

FreeAddressProposal Proposal(FreeAddressOutcome outcome)
{
    FreeAddressProposal proposal;
    proposal.outcome = outcome;
    proposal.localAddress = {192, 168, 1, 10};
    if (outcome == FreeAddressOutcome::Found) {
        proposal.address = {192, 168, 1, 254};
        proposal.gateway = {192, 168, 1, 1};
    }
    return proposal;
}

CDlgAutoSet::FreeAddressFinder Finder(FreeAddressOutcome outcome = FreeAddressOutcome::Found)
{
    return [outcome] {
        return Proposal(outcome);
    };
}

std::string Text(const std::vector<std::uint8_t>& request, PacketField field)
{
    return ReadText(kCamera, request, field);
}

std::uint16_t Port(const std::vector<std::uint8_t>& request, PacketField field)
{
    return ReadU16(kCamera, request, field);
}

// One camera Auto Set confirmed with an empty password; its request.
std::vector<std::uint8_t> ConfirmCamera()
{
    FakeHost host;
    const DeviceEntry entry = MakeDevice(kCamera, AddressMode::Static);
    CDlgAutoSet dialog(host, entry, kMac, Finder());
    ModalScript script;
    script.When(QStringLiteral("dialog"), IsDialog, TypeAndConfirm(QString()));
    dialog.exec();
    if (!script.Unfinished().isEmpty() || host.camera.size() != 1)
        return {};
    return host.camera.front();
}

int NextFreePort()
{
    return FindFreePort(GlobalUsedPortTable());
}

} // namespace

class TestDlgAutoSet final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void confirmCamera_data();
    void confirmCamera();
    void confirmRecorder();
    void portBlocksFollowEachOther();
    void closing_data();
    void closing();
    void noAddressProposed_data();
    void noAddressProposed();
    void noProbeSocket();
    void noPortBlockLeft();
    void macCopiedAtOpening();
    void controlNames_data();
    void controlNames();
    void tabOrder();
};

void TestDlgAutoSet::init()
{
    GlobalUsedPortTable().Clear();
}

void TestDlgAutoSet::confirmCamera_data()
{
    QTest::addColumn<AddressMode>("mode");
    QTest::addColumn<QByteArray>("alias");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<bool>("ipSetting");
    QTest::addColumn<int>("size");

    QTest::newRow("static") << AddressMode::Static << QByteArray("Lobby") << QStringLiteral("4321")
                            << QByteArray("4321") << true << 326;
    QTest::newRow("DHCP, empty password")
        << AddressMode::Dhcp << QByteArray("Lobby") << QString() << QByteArray() << false << 326;
    QTest::newRow("PPPoE, short reply") << AddressMode::Pppoe << QByteArray("N/A") << QStringLiteral("pw")
                                        << QByteArray("pw") << false << 262;
    QTest::newRow("password cut at 19")
        << AddressMode::Static << QByteArray("Lobby") << QStringLiteral("abcdefghijklmnopqrstuvwxy")
        << QByteArray("abcdefghijklmnopqrs") << true << 326;
}

void TestDlgAutoSet::confirmCamera()
{
    QFETCH(AddressMode, mode);
    QFETCH(QByteArray, alias);
    QFETCH(QString, typed);
    QFETCH(QByteArray, sent);
    QFETCH(bool, ipSetting);
    QFETCH(int, size);

    FakeHost host;
    const DeviceEntry entry = MakeDevice(kCamera, mode, alias.constData());
    CDlgAutoSet* pDialog = nullptr;
    int searches = 0;
    bool waitCursor = false;
    bool shownDuringSearch = true;
    auto finder = [&] {
        ++searches;
        waitCursor =
            QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        shownDuringSearch = pDialog->isVisible();
        return Proposal(FreeAddressOutcome::Found);
    };
    CDlgAutoSet dialog(host, entry, kMac, finder);
    pDialog = &dialog;

    ModalScript script;
    script.When(QStringLiteral("dialog"), IsDialog, [&](QWidget* widget) {
        auto* check = Find<QCheckBox>(widget, "checkIPSetting");
        auto* portMapping = Find<QCheckBox>(widget, "checkPortMapping");
        QCOMPARE(check->isChecked(), ipSetting);
        QVERIFY(!check->isEnabled());
        QVERIFY(!portMapping->isChecked());
        QVERIFY(!portMapping->isEnabled());
        for (const char* name : {"ipAddress", "ipSubnetMask", "ipGateway"})
            QVERIFY2(!Find<CIPAddressCtrl>(widget, name)->isEnabled(), name);
        QCOMPARE(Find<CIPAddressCtrl>(widget, "ipAddress")->GetAddress(), (Ipv4Octets{192, 168, 1, 254}));
        QCOMPARE(Find<CIPAddressCtrl>(widget, "ipGateway")->GetAddress(), (Ipv4Octets{192, 168, 1, 1}));
        QCOMPARE(Find<CIPAddressCtrl>(widget, "ipSubnetMask")->GetAddress(), (Ipv4Octets{255, 255, 254, 0}));
        QCOMPARE(QApplication::focusWidget(), Find<QPushButton>(widget, "buttonOK"));
        TypeAndConfirm(typed)(widget);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY2(script.Unfinished().isEmpty(), qPrintable(script.Unfinished()));

    QCOMPARE(searches, 1);
    QVERIFY(waitCursor);
    QVERIFY(!shownDuringSearch);
    QVERIFY(!QApplication::overrideCursor());

    QCOMPARE(host.disableCalls, 1);
    QCOMPARE(host.statusTexts, QStringList{QStringLiteral("Apply Start...")});
    QVERIFY(host.recorder.empty());
    QCOMPARE(host.camera.size(), std::size_t(1));
    const std::vector<std::uint8_t>& request = host.camera.front();
    QCOMPARE(request.size(), std::size_t(size));
    QCOMPARE(ReadByte(kCamera, request, PacketField::Opcode), std::uint8_t(2));
    QCOMPARE(ReadClientTag(kCamera, request), ClientTag{});
    QCOMPARE(Text(request, PacketField::MacAddress), kMac.toStdString());
    QCOMPARE(Text(request, PacketField::IpAddress), std::string("192.168.1.254"));
    QCOMPARE(Text(request, PacketField::SubnetMask), std::string("255.255.254.0"));
    QCOMPARE(Text(request, PacketField::Gateway), std::string("192.168.1.1"));
    QCOMPARE(Text(request, PacketField::Password), sent.toStdString());
    QCOMPARE(Port(request, PacketField::WebPort), std::uint16_t(10000));
    QCOMPARE(Port(request, PacketField::HttpPort), std::uint16_t(10000));
    QCOMPARE(Port(request, PacketField::MulticastPort), std::uint16_t(10005));
    QCOMPARE(ReadByte(kCamera, request, PacketField::AddressMode), std::uint8_t(0));
}

void TestDlgAutoSet::confirmRecorder()
{
    const PacketKind r = PacketKind::KindRecorder;
    DeviceEntry entry = MakeDevice(r, AddressMode::Dhcp);
    WriteU16(r, entry.reply, PacketField::WebPort, 8080);
    WriteU16(r, entry.reply, PacketField::HttpPort, 80);
    WriteU16(r, entry.reply, PacketField::DlxPort, 0xABCD);
    WriteU16(r, entry.reply, PacketField::MulticastPort, 65535);

    FakeHost host;
    CDlgAutoSet dialog(host, entry, kMac, Finder());
    ModalScript script;
    script.When(QStringLiteral("dialog"), IsDialog, TypeAndConfirm(QStringLiteral("123456789012")));
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY2(script.Unfinished().isEmpty(), qPrintable(script.Unfinished()));

    QVERIFY(host.camera.empty());
    QCOMPARE(host.recorder.size(), std::size_t(1));
    QCOMPARE(host.disableCalls, 1);
    QCOMPARE(host.statusTexts, QStringList{QStringLiteral("Apply Start...")});
    const std::vector<std::uint8_t>& request = host.recorder.front();
    QCOMPARE(request.size(), std::size_t(262));
    QCOMPARE(Text(request, PacketField::MacAddress), kMac.toStdString());
    QCOMPARE(Text(request, PacketField::IpAddress), std::string("192.168.1.254"));
    QCOMPARE(Text(request, PacketField::SubnetMask), std::string("255.255.254.0"));
    // A recorder takes at most nine characters.
    QCOMPARE(Text(request, PacketField::Password), std::string("123456789"));
    QCOMPARE(Port(request, PacketField::WebPort), std::uint16_t(8080));
    QCOMPARE(Port(request, PacketField::HttpPort), std::uint16_t(80));
    QCOMPARE(Port(request, PacketField::DlxPort), std::uint16_t(0xABCD));
    QCOMPARE(Port(request, PacketField::TcpPort), std::uint16_t(0));
    QCOMPARE(Port(request, PacketField::MulticastPort), std::uint16_t(65535));
    // No port block was taken.
    QCOMPARE(NextFreePort(), 10000);
}

void TestDlgAutoSet::portBlocksFollowEachOther()
{
    const struct
    {
        bool clearFirst;
        std::uint16_t base;
    } rounds[] = {{false, 10000}, {false, 10006}, {true, 10000}};
    for (const auto& round : rounds) {
        // A search empties the table.
        if (round.clearFirst)
            GlobalUsedPortTable().Clear();
        const std::vector<std::uint8_t> request = ConfirmCamera();
        QVERIFY(!request.empty());
        QCOMPARE(Port(request, PacketField::WebPort), round.base);
        const PacketField ports[] = {PacketField::HttpPort,   PacketField::DlxPort,
                                     PacketField::TcpPort,    PacketField::UdpPort,
                                     PacketField::UploadPort, PacketField::MulticastPort};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(Port(request, ports[i]), std::uint16_t(round.base + i));
    }
}

void TestDlgAutoSet::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("sends");

    QTest::newRow("Cancel") << QStringLiteral("cancel") << false;
    QTest::newRow("Escape") << QStringLiteral("escape") << false;
    QTest::newRow("close box") << QStringLiteral("close") << false;
    QTest::newRow("Enter in the password") << QStringLiteral("enter") << true;
}

void TestDlgAutoSet::closing()
{
    QFETCH(QString, how);
    QFETCH(bool, sends);

    FakeHost host;
    const DeviceEntry entry = MakeDevice(kCamera, AddressMode::Static);
    CDlgAutoSet dialog(host, entry, kMac, Finder());
    ModalScript script;
    script.When(QStringLiteral("dialog"), IsDialog, [how](QWidget* widget) {
        if (how == QLatin1String("cancel")) {
            PressCancel()(widget);
        } else if (how == QLatin1String("escape")) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        } else if (how == QLatin1String("close")) {
            widget->close();
        } else {
            auto* password = Find<QLineEdit>(widget, "editPassword");
            password->setFocus();
            QTest::keyClicks(password, QStringLiteral("pw"));
            QTest::keyClick(password, Qt::Key_Return);
        }
    });
    QCOMPARE(dialog.exec(), int(sends ? QDialog::Accepted : QDialog::Rejected));
    QVERIFY2(script.Unfinished().isEmpty(), qPrintable(script.Unfinished()));
    QCOMPARE(host.camera.size(), std::size_t(sends ? 1 : 0));
    if (!sends)
        QVERIFY(host.NothingDone());
    QCOMPARE(NextFreePort(), sends ? 10006 : 10000);
}

void TestDlgAutoSet::noAddressProposed_data()
{
    QTest::addColumn<FreeAddressOutcome>("outcome");
    QTest::addColumn<int>("kind");
    QTest::newRow("every candidate taken") << FreeAddressOutcome::Exhausted << 1;
    QTest::newRow("no local address") << FreeAddressOutcome::NoLocalAddress << 1;
    QTest::newRow("no local address, recorder") << FreeAddressOutcome::NoLocalAddress << 3;
}

void TestDlgAutoSet::noAddressProposed()
{
    QFETCH(FreeAddressOutcome, outcome);
    QFETCH(int, kind);

    FakeHost host;
    const DeviceEntry entry = MakeDevice(static_cast<PacketKind>(kind), AddressMode::Static);
    CDlgAutoSet dialog(host, entry, kMac, Finder(outcome));
    std::vector<SeenBox> boxes;
    bool stillOpen = false;
    ModalScript script;
    script.When(QStringLiteral("message at opening"), IsBox, AnswerBox(boxes))
        .When(QStringLiteral("dialog"), IsDialog,
              [&](QWidget* widget) {
                  QVERIFY(Find<CIPAddressCtrl>(widget, "ipAddress")->IsBlank());
                  QVERIFY(Find<CIPAddressCtrl>(widget, "ipGateway")->IsBlank());
                  TypeAndConfirm(QStringLiteral("pw"))(widget);
              })
        .When(QStringLiteral("message on OK"), IsBox, AnswerBox(boxes))
        .When(QStringLiteral("dialog after OK"), IsDialog, [&](QWidget* widget) {
            stillOpen = true;
            PressCancel()(widget);
        });
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY2(script.Unfinished().isEmpty(), qPrintable(script.Unfinished()));
    QVERIFY(stillOpen);

    const QString message = QString::fromStdString(FreeAddressMessage(Proposal(outcome)));
    QVERIFY(!message.isEmpty());
    QCOMPARE(boxes.size(), std::size_t(2));
    for (const SeenBox& box : boxes) {
        QCOMPARE(box.text, message);
        QCOMPARE(box.caption, ApplicationCaption());
        QCOMPARE(box.owner, &dialog);
        QVERIFY(box.ownerVisible);
    }
    QVERIFY(host.NothingDone());
    QCOMPARE(NextFreePort(), 10000);
}

void TestDlgAutoSet::noProbeSocket()
{
    FakeHost host;
    const DeviceEntry entry = MakeDevice(kCamera, AddressMode::Static);
    CDlgAutoSet dialog(host, entry, kMac, Finder(FreeAddressOutcome::NoProbeSocket));
    std::vector<SeenBox> boxes;
    ModalScript script;
    script.When(QStringLiteral("message"), IsBox, AnswerBox(boxes));
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY2(script.Unfinished().isEmpty(), qPrintable(script.Unfinished()));

    QCOMPARE(boxes.size(), std::size_t(1));
    QCOMPARE(boxes.front().text, QStringLiteral("Please start the program with admin account"));
    QCOMPARE(boxes.front().caption, ApplicationCaption());
    QCOMPARE(boxes.front().owner, &dialog);
    QVERIFY(!boxes.front().ownerVisible);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(host.NothingDone());
    QCOMPARE(NextFreePort(), 10000);
}

void TestDlgAutoSet::noPortBlockLeft()
{
    // Every block handed out since the last search.
    UsedPortTable& table = GlobalUsedPortTable();
    for (int port = kFirstBasePort; port < kBasePortLimit; port += kPortBlockSize)
        table.Add(port);
    QCOMPARE(FindFreePort(table), -1);

    FakeHost host;
    const DeviceEntry entry = MakeDevice(kCamera, AddressMode::Static);
    CDlgAutoSet dialog(host, entry, kMac, Finder());
    std::vector<SeenBox> boxes;
    ModalScript script;
    script.When(QStringLiteral("dialog"), IsDialog, TypeAndConfirm(QStringLiteral("pw")))
        .When(QStringLiteral("message"), IsBox, AnswerBox(boxes))
        .When(QStringLiteral("dialog after OK"), IsDialog, PressCancel());
    QCOMPARE(dialog.exec(), int(QDialog::Rejected));
    QVERIFY2(script.Unfinished().isEmpty(), qPrintable(script.Unfinished()));
    QCOMPARE(boxes.size(), std::size_t(1));
    QVERIFY2(boxes.front().text.contains(QStringLiteral("port")), qPrintable(boxes.front().text));
    QCOMPARE(boxes.front().owner, &dialog);
    QVERIFY(host.NothingDone());
}

void TestDlgAutoSet::macCopiedAtOpening()
{
    FakeHost host;
    auto entry = std::make_unique<DeviceEntry>(MakeDevice(kCamera, AddressMode::Dhcp));
    QString mirrorMac = kMac;
    CDlgAutoSet dialog(host, *entry, mirrorMac, Finder());
    ModalScript script;
    script.When(QStringLiteral("dialog"), IsDialog, [&](QWidget* widget) {
        // A search while the dialog is open empties the main window's MAC text and frees the rows.
        mirrorMac.clear();
        entry.reset();
        TypeAndConfirm(QStringLiteral("pw"))(widget);
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY2(script.Unfinished().isEmpty(), qPrintable(script.Unfinished()));
    QCOMPARE(host.camera.size(), std::size_t(1));
    QCOMPARE(Text(host.camera.front(), PacketField::MacAddress), kMac.toStdString());
    QCOMPARE(Port(host.camera.front(), PacketField::HttpPort), std::uint16_t(10000));
}

void TestDlgAutoSet::controlNames_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("accessibleName");
    QTest::addColumn<QString>("label");

    QTest::newRow("IP Address") << QStringLiteral("ipAddress") << QStringLiteral("IP Address")
                                << QStringLiteral("labelIPAddress");
    QTest::newRow("Subnet Mask") << QStringLiteral("ipSubnetMask") << QStringLiteral("Subnet Mask")
                                 << QStringLiteral("labelSubnetMask");
    QTest::newRow("Gateway") << QStringLiteral("ipGateway") << QStringLiteral("Gateway")
                             << QStringLiteral("labelGateway");
    QTest::newRow("IP Setting") << QStringLiteral("checkIPSetting") << QStringLiteral("IP Setting")
                                << QStringLiteral("labelIPSetting");
    QTest::newRow("Password") << QStringLiteral("editPassword") << QStringLiteral("Password") << QString();
    QTest::newRow("Port Mapping") << QStringLiteral("checkPortMapping") << QStringLiteral("Port Mapping")
                                  << QString();
    QTest::newRow("OK") << QStringLiteral("buttonOK") << QStringLiteral("OK") << QString();
    QTest::newRow("Cancel") << QStringLiteral("buttonCancel") << QStringLiteral("Cancel") << QString();
}

void TestDlgAutoSet::controlNames()
{
    QFETCH(QString, objectName);
    QFETCH(QString, accessibleName);
    QFETCH(QString, label);

    FakeHost host;
    const DeviceEntry entry = MakeDevice(kCamera, AddressMode::Static);
    CDlgAutoSet dialog(host, entry, kMac, Finder());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Auto Setting"));
    auto* control = dialog.findChild<QWidget*>(objectName);
    QVERIFY(control);
    QCOMPARE(control->accessibleName(), accessibleName);
    if (auto* button = qobject_cast<QAbstractButton*>(control); button && !button->text().isEmpty())
        QCOMPARE(button->text(), accessibleName);
    if (!label.isEmpty()) {
        auto* text = dialog.findChild<QLabel*>(label);
        QVERIFY(text);
        QCOMPARE(text->text(), accessibleName);
        QCOMPARE(text->buddy(), control);
    }
}

void TestDlgAutoSet::tabOrder()
{
    FakeHost host;
    const DeviceEntry entry = MakeDevice(kCamera, AddressMode::Static);
    CDlgAutoSet dialog(host, entry, kMac, Finder());
    const QStringList controls{QStringLiteral("buttonOK"),       QStringLiteral("buttonCancel"),
                               QStringLiteral("ipAddress"),      QStringLiteral("ipSubnetMask"),
                               QStringLiteral("editPassword"),   QStringLiteral("ipGateway"),
                               QStringLiteral("checkIPSetting"), QStringLiteral("checkPortMapping")};
    QStringList chain;
    QWidget* widget = Find<QWidget>(&dialog, "buttonOK");
    do {
        if (controls.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != Find<QWidget>(&dialog, "buttonOK"));
    QCOMPARE(chain, controls);
}

QTEST_MAIN(TestDlgAutoSet)
#include "tst_dlgautoset.moc"
