#include "autoset/CDlgAutoSet.h"
#include "autoset/CIPAddressCtrl.h"
#include "autoset/FreeAddressSearch.h"
#include "autoset/SettingHost.h"
#include "autoset/UsedPortTable.h"
#include "devicelist/DeviceEntry.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "res/Strings.h"
#include "tests/AccessibleName.h"
#include "tests/FakeSettingHost.h"
#include "tests/ModalSteps.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <deque>
#include <memory>

using namespace Netrove;
using namespace Netrove::Testing;

Q_DECLARE_METATYPE(Netrove::AddressMode)
Q_DECLARE_METATYPE(Netrove::FreeAddressOutcome)

namespace {

constexpr PacketKind kCamera = PacketKind::KindCamera;
const QString kMac = QStringLiteral("00:1C:63:0A:0B:0C");
constexpr std::array<PacketField, 6> kPorts{PacketField::HttpPort,   PacketField::DlxPort,
                                            PacketField::TcpPort,    PacketField::UdpPort,
                                            PacketField::UploadPort, PacketField::MulticastPort};

struct Outcome : ModalRun
{
    FakeSettingHost host;
};

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

Outcome Run(const DeviceEntry& entry, std::deque<Step> steps,
            CDlgAutoSet::FreeAddressFinder finder = Finder(), const QString& mac = kMac)
{
    Outcome out;
    CDlgAutoSet dialog(out.host, entry, mac, std::move(finder));
    static_cast<ModalRun&>(out) = RunModal(dialog, std::move(steps));
    return out;
}

Step TypeAndConfirm(const QString& password)
{
    return {false, [password](QWidget* dialog) {
                QTest::keyClicks(Find<QLineEdit>(dialog, "editPassword"), password);
                QTest::mouseClick(Find<QPushButton>(dialog, "buttonOK"), Qt::LeftButton);
            }};
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

std::string Text(const std::vector<std::uint8_t>& request, PacketField field)
{
    return ReadText(kCamera, request, field);
}

std::uint16_t Port(const std::vector<std::uint8_t>& request, PacketField field)
{
    return ReadU16(kCamera, request, field);
}

void VerifyAddresses(const std::vector<std::uint8_t>& request)
{
    QCOMPARE(ReadByte(kCamera, request, PacketField::Opcode), std::uint8_t(2));
    QCOMPARE(Text(request, PacketField::MacAddress), kMac.toStdString());
    QCOMPARE(Text(request, PacketField::IpAddress), std::string("192.168.1.254"));
    QCOMPARE(Text(request, PacketField::SubnetMask), std::string("255.255.254.0"));
    QCOMPARE(Text(request, PacketField::Gateway), std::string("192.168.1.1"));
    QCOMPARE(ReadByte(kCamera, request, PacketField::AddressMode), std::uint8_t(0));
    const QString stray = StrayBytes(request);
    QVERIFY2(stray.isEmpty(), qPrintable(stray));
}

int NextFreePort()
{
    return FindFreePort(GlobalUsedPortTable());
}

bool DialogShown()
{
    const auto windows = QApplication::topLevelWidgets();
    return std::any_of(windows.begin(), windows.end(),
                       [](QWidget* w) { return qobject_cast<CDlgAutoSet*>(w) && w->isVisible(); });
}

} // namespace

class TestDlgAutoSet final : public QObject
{
    Q_OBJECT

private slots:
    void init() { GlobalUsedPortTable().Clear(); }
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
    void namesAndTabOrder();
};

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

    int searches = 0;
    bool waitCursor = false;
    bool shownDuringSearch = true;
    auto finder = [&] {
        ++searches;
        waitCursor =
            QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        shownDuringSearch = DialogShown();
        return Proposal(FreeAddressOutcome::Found);
    };
    const Step check{false, [&](QWidget* dialog) {
                         auto* box = Find<QCheckBox>(dialog, "checkIPSetting");
                         auto* portMapping = Find<QCheckBox>(dialog, "checkPortMapping");
                         QCOMPARE(box->isChecked(), ipSetting);
                         QVERIFY(!box->isEnabled());
                         QVERIFY(!portMapping->isChecked() && !portMapping->isEnabled());
                         for (const char* name : {"ipAddress", "ipSubnetMask", "ipGateway"})
                             QVERIFY2(!Find<CIPAddressCtrl>(dialog, name)->isEnabled(), name);
                         QCOMPARE(Find<CIPAddressCtrl>(dialog, "ipSubnetMask")->GetAddress(),
                                  (Ipv4Octets{255, 255, 254, 0}));
                         QCOMPARE(QApplication::focusWidget(), Find<QPushButton>(dialog, "buttonOK"));
                         TypeAndConfirm(typed).act(dialog);
                     }};
    const DeviceEntry entry = MakeDevice(kCamera, mode, alias.constData());
    const Outcome out = Run(entry, {check}, finder);
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.result, int(QDialog::Accepted));

    QCOMPARE(searches, 1);
    QVERIFY(waitCursor);
    QVERIFY(!shownDuringSearch);
    QVERIFY(!QApplication::overrideCursor());

    QCOMPARE(out.host.disableCalls, 1);
    QCOMPARE(out.host.statusTexts, QStringList{QStringLiteral("Apply Start...")});
    QVERIFY(out.host.recorder.empty());
    QCOMPARE(out.host.camera.size(), std::size_t(1));
    const std::vector<std::uint8_t>& request = out.host.camera.front();
    QCOMPARE(request.size(), std::size_t(size));
    VerifyAddresses(request);
    QCOMPARE(Text(request, PacketField::Password), sent.toStdString());
    QCOMPARE(Port(request, PacketField::WebPort), std::uint16_t(10000));
    for (std::size_t i = 0; i < kPorts.size(); ++i)
        QCOMPARE(Port(request, kPorts[i]), std::uint16_t(10000 + i));
}

void TestDlgAutoSet::confirmRecorder()
{
    const PacketKind r = PacketKind::KindRecorder;
    DeviceEntry entry = MakeDevice(r, AddressMode::Dhcp);
    WriteU16(r, entry.reply, PacketField::WebPort, 8080);
    const std::uint16_t ports[] = {80, 0xABCD, 0, 0x0102, 9000, 65535};
    for (std::size_t i = 0; i < kPorts.size(); ++i)
        WriteU16(r, entry.reply, kPorts[i], ports[i]);

    const Outcome out = Run(entry, {TypeAndConfirm(QStringLiteral("123456789012"))});
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.result, int(QDialog::Accepted));
    QVERIFY(out.host.camera.empty());
    QCOMPARE(out.host.recorder.size(), std::size_t(1));
    QCOMPARE(out.host.disableCalls, 1);
    QCOMPARE(out.host.statusTexts, QStringList{QStringLiteral("Apply Start...")});
    const std::vector<std::uint8_t>& request = out.host.recorder.front();
    QCOMPARE(request.size(), std::size_t(262));
    VerifyAddresses(request);
    // A recorder takes at most nine characters.
    QCOMPARE(Text(request, PacketField::Password), std::string("123456789"));
    QCOMPARE(Port(request, PacketField::WebPort), std::uint16_t(8080));
    for (std::size_t i = 0; i < kPorts.size(); ++i)
        QCOMPARE(Port(request, kPorts[i]), ports[i]);
    // No port block was taken.
    QCOMPARE(NextFreePort(), 10000);
}

void TestDlgAutoSet::portBlocksFollowEachOther()
{
    const DeviceEntry entry = MakeDevice(kCamera, AddressMode::Static);
    // The third comes after a search, which empties the table.
    for (const int base : {10000, 10006, -1, 10000}) {
        if (base < 0) {
            GlobalUsedPortTable().Clear();
            continue;
        }
        const Outcome out = Run(entry, {TypeAndConfirm(QString())});
        QCOMPARE(out.host.camera.size(), std::size_t(1));
        const std::vector<std::uint8_t>& request = out.host.camera.front();
        QCOMPARE(Port(request, PacketField::WebPort), std::uint16_t(base));
        for (std::size_t i = 0; i < kPorts.size(); ++i)
            QCOMPARE(Port(request, kPorts[i]), std::uint16_t(base + i));
    }
}

void TestDlgAutoSet::closing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close box") << 2;
    QTest::newRow("Enter in the password sends") << 3;
}

void TestDlgAutoSet::closing()
{
    QFETCH(int, how);
    const bool sends = how == 3;

    const Step close{false, [how](QWidget* dialog) {
                         auto* password = Find<QLineEdit>(dialog, "editPassword");
                         if (how == 0) {
                             kCancel.act(dialog);
                         } else if (how == 1) {
                             QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                         } else if (how == 2) {
                             dialog->close();
                         } else {
                             password->setFocus();
                             QTest::keyClicks(password, QStringLiteral("pw"));
                             QTest::keyClick(password, Qt::Key_Return);
                         }
                     }};
    const Outcome out = Run(MakeDevice(kCamera, AddressMode::Static), {close});
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.result, int(sends ? QDialog::Accepted : QDialog::Rejected));
    QCOMPARE(out.host.NothingDone(), !sends);
    QCOMPARE(out.host.camera.size(), std::size_t(sends ? 1 : 0));
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

    bool blank = false;
    const Step confirm{false, [&](QWidget* dialog) {
                           blank = Find<CIPAddressCtrl>(dialog, "ipAddress")->IsBlank() &&
                                   Find<CIPAddressCtrl>(dialog, "ipGateway")->IsBlank();
                           TypeAndConfirm(QStringLiteral("pw")).act(dialog);
                       }};
    // A message as the dialog opens, another on OK; the dialog is still there for "Cancel".
    const Outcome out = Run(MakeDevice(static_cast<PacketKind>(kind), AddressMode::Static),
                            {kAnswerBox, confirm, kAnswerBox, kCancel}, Finder(outcome));
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.result, int(QDialog::Rejected));
    QVERIFY(blank);

    const QString message = QString::fromStdString(FreeAddressMessage(Proposal(outcome)));
    QVERIFY(!message.isEmpty());
    QCOMPARE(out.boxes.size(), std::size_t(2));
    for (const SeenBox& box : out.boxes) {
        QCOMPARE(box.text, message);
        QCOMPARE(box.caption, ApplicationCaption());
        QVERIFY(box.ownedByDialog && box.dialogVisible);
    }
    QVERIFY(out.host.NothingDone());
    QCOMPARE(NextFreePort(), 10000);
}

void TestDlgAutoSet::noProbeSocket()
{
    const Outcome out = Run(MakeDevice(kCamera, AddressMode::Static), {kAnswerBox},
                            Finder(FreeAddressOutcome::NoProbeSocket));
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.result, int(QDialog::Rejected));
    QCOMPARE(out.boxes.size(), std::size_t(1));
    QCOMPARE(out.boxes.front().text, QStringLiteral("Please start the program with admin account"));
    QCOMPARE(out.boxes.front().caption, ApplicationCaption());
    QVERIFY(out.boxes.front().ownedByDialog);
    // The dialog never shows.
    QVERIFY(!out.boxes.front().dialogVisible);
    QVERIFY(out.host.NothingDone());
    QCOMPARE(NextFreePort(), 10000);
}

void TestDlgAutoSet::noPortBlockLeft()
{
    UsedPortTable& table = GlobalUsedPortTable();
    for (int port = kFirstBasePort; port < kBasePortLimit; port += kPortBlockSize)
        table.Add(port);
    QCOMPARE(FindFreePort(table), -1);

    const Outcome out = Run(MakeDevice(kCamera, AddressMode::Static),
                            {TypeAndConfirm(QStringLiteral("pw")), kAnswerBox, kCancel});
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.boxes.size(), std::size_t(1));
    QVERIFY2(out.boxes.front().text.contains(QStringLiteral("port")), qPrintable(out.boxes.front().text));
    QVERIFY(out.boxes.front().ownedByDialog);
    QVERIFY(out.host.NothingDone());
}

void TestDlgAutoSet::macCopiedAtOpening()
{
    auto entry = std::make_unique<DeviceEntry>(MakeDevice(kCamera, AddressMode::Dhcp));
    QString mirrorMac = kMac;
    const Step confirm{false, [&](QWidget* dialog) {
                           // A search while the dialog is open empties the main window's MAC text
                           // and frees the rows.
                           mirrorMac.clear();
                           entry.reset();
                           TypeAndConfirm(QStringLiteral("pw")).act(dialog);
                       }};
    const Outcome out = Run(*entry, {confirm}, Finder(), mirrorMac);
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.host.camera.size(), std::size_t(1));
    QCOMPARE(Text(out.host.camera.front(), PacketField::MacAddress), kMac.toStdString());
}

void TestDlgAutoSet::namesAndTabOrder()
{
    FakeSettingHost host;
    CDlgAutoSet dialog(host, MakeDevice(kCamera, AddressMode::Static), kMac, Finder());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Auto Setting"));

    // In the order of the template, which is the tab order; the label beside a control, if any.
    const struct
    {
        const char* objectName;
        const char* name;
        const char* label;
    } controls[] = {{"buttonOK", "OK", nullptr},
                    {"buttonCancel", "Cancel", nullptr},
                    {"ipAddress", "IP Address", "labelIPAddress"},
                    {"ipSubnetMask", "Subnet Mask", "labelSubnetMask"},
                    {"editPassword", "Password", nullptr},
                    {"ipGateway", "Gateway", "labelGateway"},
                    {"checkIPSetting", "IP Setting", "labelIPSetting"},
                    {"checkPortMapping", "Port Mapping", nullptr}};
    QStringList expected;
    for (const auto& control : controls) {
        auto* widget = Find<QWidget>(&dialog, control.objectName);
        QVERIFY2(widget, control.objectName);
        QCOMPARE(AccessibleName(widget), QString::fromLatin1(control.name));
        if (control.label) {
            auto* label = Find<QLabel>(&dialog, control.label);
            QVERIFY2(label, control.label);
            QCOMPARE(label->text(), QString::fromLatin1(control.name));
            QCOMPARE(label->buddy(), widget);
        }
        expected << QString::fromLatin1(control.objectName);
    }

    QStringList chain;
    QWidget* first = Find<QWidget>(&dialog, "buttonOK");
    QWidget* widget = first;
    do {
        if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != first);
    QCOMPARE(chain, expected);
}

QTEST_MAIN(TestDlgAutoSet)
#include "tst_dlgautoset.moc"
