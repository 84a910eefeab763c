#include "autoset/CIPAddressCtrl.h"
#include "devicelist/DeviceEntry.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "manualset/CDlgManualSet.h"
#include "manualset/CUpDownCtrl.h"
#include "res/Strings.h"
#include "tests/AccessibleName.h"
#include "tests/FakeSettingHost.h"
#include "tests/ModalSteps.h"

#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include <memory>

using namespace Netrove;
using namespace Netrove::Testing;

namespace {

constexpr PacketKind kCamera = PacketKind::KindCamera;
constexpr PacketKind kRecorder = PacketKind::KindRecorder;
const char* const kMac = "00:1C:63:0A:0B:0C";
const char* const kSixPortBlock = "QMR-A4102";
const char* const kServicePortOnly = "QMZ-4470GX";
const char* const kHttpDlxPair = "QMX-1000";
constexpr std::array<PacketField, 6> kPorts{PacketField::HttpPort,   PacketField::DlxPort,
                                            PacketField::TcpPort,    PacketField::UdpPort,
                                            PacketField::UploadPort, PacketField::MulticastPort};
const char* const kPortFields[] = {"editHttpPort", "editDlxPort",    "editTcpPort",
                                   "editUdpPort",  "editUploadPort", "editMulticastPort"};
const char* const kPortLabels[] = {"labelServicePort", "labelHttpPort",   "labelDlxPort",      "labelTcpPort",
                                   "labelUdpPort",     "labelUploadPort", "labelMulticastPort"};
const char* const kAddressControls[] = {"ipAddress", "ipSubnetMask", "ipGateway"};

struct Device
{
    PacketKind kind = kCamera;
    const char* model = kHttpDlxPair;
    std::uint8_t mode = 0;
    std::array<std::uint16_t, 6> ports{8080, 9000, 7, 8, 9, 65535};
    const char* alias = "Lobby";
    const char* gateway = "192.168.1.1";
};

DeviceEntry MakeEntry(const Device& device)
{
    const PacketKind layout = device.kind == kRecorder ? kRecorder : device.kind;
    DeviceEntry entry;
    entry.kind = device.kind;
    entry.reply.assign(LongFormSize(layout), 0);
    WriteText(layout, entry.reply, PacketField::MacAddress, kMac);
    WriteText(layout, entry.reply, PacketField::IpAddress, "192.168.1.10");
    WriteText(layout, entry.reply, PacketField::SubnetMask, "255.255.255.0");
    WriteText(layout, entry.reply, PacketField::Gateway, device.gateway);
    WriteText(layout, entry.reply, PacketField::ModelName, device.model);
    WriteByte(layout, entry.reply, PacketField::AddressMode, device.mode);
    for (std::size_t i = 0; i < kPorts.size(); ++i)
        WriteU16(layout, entry.reply, kPorts[i], device.ports[i]);
    WriteText(layout, entry.reply, PacketField::Alias, device.alias);
    return entry;
}

struct Outcome : ModalRun
{
    FakeSettingHost host;
    // The one request sent, if any.
    std::vector<std::uint8_t> request;
};

Outcome Run(const DeviceEntry& entry, std::deque<Step> steps)
{
    Outcome out;
    CDlgManualSet dialog(out.host, entry);
    static_cast<ModalRun&>(out) = RunModal(dialog, std::move(steps));
    if (out.host.camera.size() + out.host.recorder.size() == 1)
        out.request = out.host.camera.empty() ? out.host.recorder.front() : out.host.camera.front();
    return out;
}

Step Act(std::function<void(QWidget*)> act)
{
    return {false, std::move(act)};
}

const Step kConfirm =
    Act([](QWidget* dialog) { QTest::mouseClick(Find<QPushButton>(dialog, "buttonOK"), Qt::LeftButton); });

void Retype(QWidget* dialog, const char* field, const QString& text)
{
    auto* edit = Find<QLineEdit>(dialog, field);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

QStringList PortTexts(QWidget* dialog)
{
    QStringList texts;
    for (const char* name : kPortFields)
        texts << Find<QLineEdit>(dialog, name)->text();
    return texts;
}

QStringList Numbers(std::initializer_list<int> values)
{
    QStringList texts;
    for (int value : values)
        texts << QString::number(value);
    return texts;
}

std::uint16_t SentPort(const std::vector<std::uint8_t>& request, PacketField field)
{
    return ReadU16(kCamera, request, field);
}

// The web port first, then the six service ports.
QStringList SentPorts(const std::vector<std::uint8_t>& request)
{
    QStringList texts{QString::number(SentPort(request, PacketField::WebPort))};
    for (PacketField field : kPorts)
        texts << QString::number(SentPort(request, field));
    return texts;
}

// Everything a user can see or change: texts, enabled, shown, read-only, checked, and the focus.
QStringList State(QWidget* dialog)
{
    QStringList state;
    for (const QWidget* w : dialog->findChildren<QWidget*>()) {
        QString line =
            QStringLiteral("%1 %2 %3").arg(w->objectName()).arg(w->isEnabled()).arg(w->isVisible());
        if (const auto* edit = qobject_cast<const QLineEdit*>(w))
            line += QStringLiteral(" '%1' %2").arg(edit->text()).arg(edit->isReadOnly());
        if (const auto* radio = qobject_cast<const QRadioButton*>(w))
            line += QStringLiteral(" %1").arg(radio->isChecked());
        state << line;
    }
    // The control that has, or gets back, the focus when the dialog is active.
    state << QStringLiteral("focus %1")
                 .arg(dialog->focusWidget() ? dialog->focusWidget()->objectName() : QStringLiteral("none"));
    return state;
}

} // namespace

class TestDlgManualSet final : public QObject
{
    Q_OBJECT

private slots:
    void portFields_data();
    void portFields();
    void stepping_data();
    void stepping();
    void addressingMode_data();
    void addressingMode();
    void request_data();
    void request();
    void refused_data();
    void refused();
    void closing_data();
    void closing();
    void rowFreedWhileOpen();
    void namesAndTabOrder();
};

void TestDlgManualSet::portFields_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QStringList>("labels"); // shown, from top to bottom
    QTest::addColumn<QStringList>("shown");  // port fields shown, with their texts
    QTest::addColumn<QStringList>("writable");

    const QStringList six{QStringLiteral("HTTP Port"),   QStringLiteral("DLX Port"),
                          QStringLiteral("TCP Port"),    QStringLiteral("UDP Port"),
                          QStringLiteral("Upload Port"), QStringLiteral("Multicast Port")};
    const QStringList sixShown = Numbers({8080, 9000, 7, 8, 9, 65535});
    const QStringList pair{QStringLiteral("HTTP Port"), QStringLiteral("DLX Port")};
    QTest::newRow("six-port block") << 1 << QByteArray(kSixPortBlock) << six << sixShown << QStringList();
    QTest::newRow("IPv6 camera, its own layout")
        << 2 << QByteArray(kSixPortBlock) << six << sixShown << QStringList();
    QTest::newRow("service port only")
        << 1 << QByteArray(kServicePortOnly) << QStringList{QStringLiteral("Service Port")} << Numbers({8080})
        << QStringList{QStringLiteral("editHttpPort")};
    QTest::newRow("HTTP and DLX") << 1 << QByteArray(kHttpDlxPair) << pair << Numbers({8080, 9000})
                                  << QStringList{QStringLiteral("editHttpPort"),
                                                 QStringLiteral("editDlxPort")};
    QTest::newRow("letter case counts")
        << 1 << QByteArray("qmr-a4102") << pair << Numbers({8080, 9000})
        << QStringList{QStringLiteral("editHttpPort"), QStringLiteral("editDlxPort")};
    QTest::newRow("recorder, model not used")
        << 3 << QByteArray(kSixPortBlock)
        << QStringList{QStringLiteral("HTTP Port"), QStringLiteral("Port(TCP)")} << Numbers({8080, 9000})
        << QStringList{QStringLiteral("editHttpPort"), QStringLiteral("editDlxPort")};
}

void TestDlgManualSet::portFields()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, model);
    QFETCH(QStringList, labels);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, writable);

    FakeSettingHost host;
    CDlgManualSet dialog(host,
                         MakeEntry({.kind = static_cast<PacketKind>(kind), .model = model.constData()}));
    QStringList shownLabels;
    for (const char* name : kPortLabels) {
        auto* label = Find<QLabel>(&dialog, name);
        if (label->isVisibleTo(&dialog)) {
            shownLabels << label->text();
            // A screen reader finds the field by the label a person sees beside it.
            QCOMPARE(AccessibleName(label->buddy()), label->text());
        }
    }
    QCOMPARE(shownLabels, labels);

    QStringList shownFields;
    QStringList writableFields;
    for (const char* name : kPortFields) {
        auto* field = Find<QLineEdit>(&dialog, name);
        if (field->isVisibleTo(&dialog))
            shownFields << field->text();
        else
            QVERIFY2(field->text().isEmpty(), name);
        if (!field->isReadOnly())
            writableFields << QString::fromLatin1(name);
    }
    QCOMPARE(shownFields, shown);
    QCOMPARE(writableFields, writable);
    QCOMPARE(Find<CUpDownCtrl>(&dialog, "spinPorts")->isVisibleTo(&dialog), writable.isEmpty());
}

void TestDlgManualSet::stepping_data()
{
    QTest::addColumn<int>("http");
    QTest::addColumn<QString>("presses"); // u/d: the arrows; k/K: the Up and Down keys
    QTest::addColumn<QStringList>("ports");

    const QStringList low = Numbers({80, 60001, 60002, 60003, 60004, 60005});
    const QStringList first = Numbers({10000, 10001, 10002, 10003, 10004, 10005});
    const QStringList last = Numbers({59992, 59993, 59994, 59995, 59996, 59997});
    QTest::newRow("80 up") << 80 << QStringLiteral("u") << first;
    QTest::newRow("80 down stays") << 80 << QStringLiteral("d") << low;
    QTest::newRow("80 up twice") << 80 << QStringLiteral("uu")
                                 << Numbers({10006, 10007, 10008, 10009, 10010, 10011});
    QTest::newRow("10000 down") << 10000 << QStringLiteral("d") << low;
    QTest::newRow("10006 down") << 10006 << QStringLiteral("d") << first;
    QTest::newRow("8080 up") << 8080 << QStringLiteral("u") << low;
    QTest::newRow("8080 down") << 8080 << QStringLiteral("d") << low;
    QTest::newRow("92 down is 86") << 92 << QStringLiteral("d") << first;
    QTest::newRow("9990 up") << 9990 << QStringLiteral("u")
                             << Numbers({9996, 9997, 9998, 9999, 10000, 10001});
    QTest::newRow("59992 up stays") << 59992 << QStringLiteral("u") << last;
    QTest::newRow("59998 down") << 59998 << QStringLiteral("d") << last;
    QTest::newRow("60000 up") << 60000 << QStringLiteral("u") << last;
    QTest::newRow("Up key") << 80 << QStringLiteral("k") << first;
    QTest::newRow("Down key") << 10000 << QStringLiteral("K") << low;
}

void TestDlgManualSet::stepping()
{
    QFETCH(int, http);
    QFETCH(QString, presses);
    QFETCH(QStringList, ports);

    QStringList shown;
    const Step step = Act([&](QWidget* dialog) {
        auto* spin = Find<CUpDownCtrl>(dialog, "spinPorts");
        for (const QChar press : presses) {
            if (press == u'u' || press == u'd') {
                QTest::mouseClick(press == u'u' ? spin->UpButton() : spin->DownButton(), Qt::LeftButton);
            } else {
                spin->setFocus();
                QTest::keyClick(spin, press == u'k' ? Qt::Key_Up : Qt::Key_Down);
            }
        }
        shown = PortTexts(dialog);
        kConfirm.act(dialog);
    });
    const Device device{.model = kSixPortBlock, .ports = {static_cast<std::uint16_t>(http), 1, 2, 3, 4, 5}};
    const Outcome out = Run(MakeEntry(device), {step});
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(shown, ports);
    QCOMPARE(out.request.size(), std::size_t(326));
    QCOMPARE(SentPorts(out.request), QStringList{ports.front()} + ports);
}

void TestDlgManualSet::addressingMode_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("click"); // a radio button, or nothing
    QTest::addColumn<bool>("step");        // one step of the port block afterwards
    QTest::addColumn<QByteArray>("checked");
    QTest::addColumn<bool>("enabled"); // the address controls
    QTest::addColumn<int>("sent");

    QTest::newRow("static") << 0 << QByteArray() << false << QByteArray("radioStatic") << true << 0;
    QTest::newRow("DHCP") << 1 << QByteArray() << false << QByteArray("radioDhcp") << false << 1;
    QTest::newRow("PPPoE") << 2 << QByteArray() << false << QByteArray("radioPppoe") << false << 2;
    QTest::newRow("mode 3") << 3 << QByteArray() << false << QByteArray("radioPppoe") << true << 2;
    QTest::newRow("DHCP, then STATIC")
        << 1 << QByteArray("radioStatic") << false << QByteArray("radioStatic") << true << 0;
    QTest::newRow("static, then DHCP")
        << 0 << QByteArray("radioDhcp") << false << QByteArray("radioDhcp") << false << 1;
    QTest::newRow("DHCP, STATIC, then a step")
        << 1 << QByteArray("radioStatic") << true << QByteArray("radioStatic") << true << 0;
    QTest::newRow("PPPoE, then a step")
        << 2 << QByteArray() << true << QByteArray("radioPppoe") << false << 2;
}

void TestDlgManualSet::addressingMode()
{
    QFETCH(int, mode);
    QFETCH(QByteArray, click);
    QFETCH(bool, step);
    QFETCH(QByteArray, checked);
    QFETCH(bool, enabled);
    QFETCH(int, sent);

    const Step act = Act([&](QWidget* dialog) {
        if (!click.isEmpty())
            QTest::mouseClick(Find<QRadioButton>(dialog, click.constData()), Qt::LeftButton);
        if (step)
            QTest::mouseClick(Find<CUpDownCtrl>(dialog, "spinPorts")->UpButton(), Qt::LeftButton);
        QVERIFY(Find<QRadioButton>(dialog, checked.constData())->isChecked());
        // The user can choose only DHCP or a static address.
        QVERIFY(!Find<QRadioButton>(dialog, "radioPppoe")->isEnabled());
        for (const char* name : kAddressControls) {
            QVERIFY2(Find<CIPAddressCtrl>(dialog, name)->isEnabled() == enabled, name);
        }
        // Disabled or not, the controls show what the device reported.
        QCOMPARE(Find<CIPAddressCtrl>(dialog, "ipAddress")->GetAddress(), (Ipv4Octets{192, 168, 1, 10}));
        kConfirm.act(dialog);
    });
    const Outcome out =
        Run(MakeEntry({.model = kSixPortBlock, .mode = static_cast<std::uint8_t>(mode)}), {act});
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.request.size(), std::size_t(326));
    QCOMPARE(ReadByte(kCamera, out.request, PacketField::AddressMode), std::uint8_t(sent));
}

void TestDlgManualSet::request_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("alias");
    QTest::addColumn<QString>("http"); // typed over the HTTP field, if any
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("sentPassword");
    QTest::addColumn<QStringList>("ports");

    const QStringList pair = Numbers({8080, 9000, 0, 0, 0, 0});
    QTest::newRow("camera") << 1 << QByteArray(kHttpDlxPair) << QByteArray("Lobby") << QString()
                            << QStringLiteral("pw") << 326 << QByteArray("pw") << pair;
    QTest::newRow("short-reply camera") << 1 << QByteArray(kHttpDlxPair) << QByteArray("N/A") << QString()
                                        << QStringLiteral("pw") << 262 << QByteArray("pw") << pair;
    QTest::newRow("recorder") << 3 << QByteArray() << QByteArray("Lobby") << QString()
                              << QStringLiteral("123456789012") << 262 << QByteArray("123456789") << pair;
    QTest::newRow("untouched password") << 1 << QByteArray(kHttpDlxPair) << QByteArray("Lobby") << QString()
                                        << QString() << 326 << QByteArray() << pair;
    QTest::newRow("service port 70000, low 16 bits")
        << 1 << QByteArray(kServicePortOnly) << QByteArray("Lobby") << QStringLiteral("70000") << QString()
        << 326 << QByteArray() << Numbers({4464, 0, 0, 0, 0, 0});
}

void TestDlgManualSet::request()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, alias);
    QFETCH(QString, http);
    QFETCH(QString, password);
    QFETCH(int, size);
    QFETCH(QByteArray, sentPassword);
    QFETCH(QStringList, ports);

    const Step act = Act([&](QWidget* dialog) {
        if (!http.isEmpty())
            Retype(dialog, "editHttpPort", http);
        QTest::keyClicks(Find<QLineEdit>(dialog, "editPassword"), password);
        Find<CIPAddressCtrl>(dialog, "ipAddress")->SetAddress({192, 168, 1, 77});
        kConfirm.act(dialog);
    });
    const bool recorder = kind == 3;
    const Device device{.kind = static_cast<PacketKind>(kind),
                        .model = model.constData(),
                        .ports = {8080, 9000, 7, 8, 9, 65535},
                        .alias = alias.constData()};
    const Outcome out = Run(MakeEntry(device), {act});
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.result, int(QDialog::Accepted));
    QCOMPARE(out.host.camera.size(), std::size_t(recorder ? 0 : 1));
    QCOMPARE(out.host.recorder.size(), std::size_t(recorder ? 1 : 0));
    QCOMPARE(out.host.disableCalls, 1);
    QCOMPARE(out.host.statusTexts, QStringList{QStringLiteral("Apply Start...")});

    const std::vector<std::uint8_t>& request = out.request;
    QCOMPARE(request.size(), std::size_t(size));
    QCOMPARE(ReadByte(kCamera, request, PacketField::Opcode), std::uint8_t(2));
    QCOMPARE(ReadText(kCamera, request, PacketField::MacAddress), std::string(kMac));
    QCOMPARE(ReadText(kCamera, request, PacketField::IpAddress), std::string("192.168.1.77"));
    QCOMPARE(ReadText(kCamera, request, PacketField::SubnetMask), std::string("255.255.255.0"));
    QCOMPARE(ReadText(kCamera, request, PacketField::Gateway), std::string("192.168.1.1"));
    QCOMPARE(ReadText(kCamera, request, PacketField::Password), sentPassword.toStdString());
    QCOMPARE(ReadByte(kCamera, request, PacketField::AddressMode), std::uint8_t(0));
    QCOMPARE(SentPorts(request), QStringList{ports.front()} + ports);
    const QString stray = StrayBytes(request);
    QVERIFY2(stray.isEmpty(), qPrintable(stray));
}

void TestDlgManualSet::refused_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("gateway");
    QTest::addColumn<QByteArray>("field"); // retyped, if any
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    QTest::newRow("HTTP 81") << 1 << 0 << QByteArray("192.168.1.1") << QByteArray("editHttpPort")
                             << QStringLiteral("81") << QStringLiteral("Invalid HTTP Port");
    QTest::newRow("recorder Port(TCP) 1810")
        << 3 << 0 << QByteArray("192.168.1.1") << QByteArray("editDlxPort") << QStringLiteral("1810")
        << QStringLiteral("Invalid Port(TCP)");
    QTest::newRow("DHCP camera, gateway 0.0.0.0")
        << 1 << 1 << QByteArray("0.0.0.0") << QByteArray() << QString()
        << QStringLiteral("The first octet value of Gateway must be from 1 to 223");
    QTest::newRow("static, gateway elsewhere")
        << 1 << 0 << QByteArray("10.0.0.1") << QByteArray() << QString()
        << QStringLiteral("IP Address and Gateway have to be on the same network");
}

void TestDlgManualSet::refused()
{
    QFETCH(int, kind);
    QFETCH(int, mode);
    QFETCH(QByteArray, gateway);
    QFETCH(QByteArray, field);
    QFETCH(QString, text);
    QFETCH(QString, message);

    QStringList before;
    QStringList after;
    const Step confirm = Act([&](QWidget* dialog) {
        if (!field.isEmpty())
            Retype(dialog, field.constData(), text);
        before = State(dialog);
        // Enter, so that the focus stays where the user left it.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    const Step look = Act([&](QWidget* dialog) {
        after = State(dialog);
        kCancel.act(dialog);
    });
    const Device device{.kind = static_cast<PacketKind>(kind),
                        .mode = static_cast<std::uint8_t>(mode),
                        .gateway = gateway.constData()};
    const Outcome out = Run(MakeEntry(device), {confirm, kAnswerBox, look});
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.result, int(QDialog::Rejected));
    QCOMPARE(out.boxes.size(), std::size_t(1));
    QCOMPARE(out.boxes.front().text, message);
    QCOMPARE(out.boxes.front().caption, ApplicationCaption());
    QVERIFY(out.boxes.front().ownedByDialog && out.boxes.front().dialogVisible);
    QVERIFY(out.host.NothingDone());
    QCOMPARE(after, before);
}

void TestDlgManualSet::closing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("Cancel") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close box") << 2;
}

void TestDlgManualSet::closing()
{
    QFETCH(int, how);
    const Step close = Act([how](QWidget* dialog) {
        Retype(dialog, "editHttpPort", QStringLiteral("8000"));
        if (how == 0)
            kCancel.act(dialog);
        else if (how == 1)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        else
            dialog->close();
    });
    const Outcome out = Run(MakeEntry({}), {close});
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(out.result, int(QDialog::Rejected));
    QVERIFY(out.host.NothingDone());
}

void TestDlgManualSet::rowFreedWhileOpen()
{
    auto entry = std::make_unique<DeviceEntry>(MakeEntry({.model = kSixPortBlock, .mode = 1}));
    const Step confirm = Act([&](QWidget* dialog) {
        // A setting result while the dialog is open starts a search, which frees the rows.
        std::fill(entry->reply.begin(), entry->reply.end(), std::uint8_t{0xEE});
        entry.reset();
        QTest::mouseClick(Find<CUpDownCtrl>(dialog, "spinPorts")->DownButton(), Qt::LeftButton);
        kConfirm.act(dialog);
    });
    const Outcome out = Run(*entry, {confirm});
    QVERIFY2(out.unfinished.isEmpty(), qPrintable(out.unfinished));
    QCOMPARE(ReadText(kCamera, out.request, PacketField::MacAddress), std::string(kMac));
    QCOMPARE(ReadByte(kCamera, out.request, PacketField::AddressMode), std::uint8_t(1));
    QCOMPARE(SentPort(out.request, PacketField::TcpPort), std::uint16_t(60002));
}

void TestDlgManualSet::namesAndTabOrder()
{
    FakeSettingHost host;
    CDlgManualSet dialog(host, MakeEntry({.model = kSixPortBlock}));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Manual Setting"));

    // In tab order; the label beside a control, if any.
    const struct
    {
        const char* objectName;
        const char* name;
        const char* label;
    } controls[] = {{"editMac", "MAC Address", "labelMacAddress"},
                    {"ipAddress", "IP Address", "labelIPAddress"},
                    {"ipSubnetMask", "Subnet Mask", "labelSubnetMask"},
                    {"ipGateway", "Gateway", "labelGateway"},
                    {"editHttpPort", "HTTP Port", "labelHttpPort"},
                    {"spinPorts", "Port Block", nullptr},
                    {"editDlxPort", "DLX Port", "labelDlxPort"},
                    {"editTcpPort", "TCP Port", "labelTcpPort"},
                    {"editUdpPort", "UDP Port", "labelUdpPort"},
                    {"editUploadPort", "Upload Port", "labelUploadPort"},
                    {"editMulticastPort", "Multicast Port", "labelMulticastPort"},
                    {"editPassword", "Password", nullptr},
                    {"buttonOK", "OK", nullptr},
                    {"buttonCancel", "Cancel", nullptr},
                    {"radioPppoe", "PPPoE", nullptr},
                    {"radioDhcp", "DHCP", nullptr},
                    {"radioStatic", "STATIC", nullptr}};
    QStringList expected;
    for (const auto& control : controls) {
        auto* widget = Find<QWidget>(&dialog, control.objectName);
        QVERIFY2(widget, control.objectName);
        QCOMPARE(AccessibleName(widget), QString::fromLatin1(control.name));
        if (control.label) {
            auto* label = Find<QLabel>(&dialog, control.label);
            QCOMPARE(label->text(), QString::fromLatin1(control.name));
            QCOMPARE(label->buddy(), widget);
        }
        expected << QString::fromLatin1(control.objectName);
    }
    auto* spin = Find<CUpDownCtrl>(&dialog, "spinPorts");
    QCOMPARE(AccessibleName(spin->UpButton()), QStringLiteral("Port Block Up"));
    QCOMPARE(AccessibleName(spin->DownButton()), QStringLiteral("Port Block Down"));
    // It sits right of the HTTP field, level with it.
    const QRect http = Find<QWidget>(&dialog, "editHttpPort")->geometry();
    QVERIFY(spin->geometry().left() >= http.center().x() && spin->geometry().left() <= http.right() + 1);
    QVERIFY(spin->geometry().top() <= http.top() && spin->geometry().bottom() >= http.bottom());

    QStringList chain;
    QWidget* first = Find<QWidget>(&dialog, "editMac");
    QWidget* widget = first;
    do {
        if (expected.contains(widget->objectName()) && !chain.contains(widget->objectName()))
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != first);
    QCOMPARE(chain, expected);
}

QTEST_MAIN(TestDlgManualSet)
#include "tst_dlgmanualset.moc"
