// What netrove-cli sends for `set`: the request the dialogs would build from the device's reply and
// the options, or the refusal the dialogs would give (and the exit code it ends with).

#include "cli/CliExitCodes.h"
#include "cli/CliSetPlan.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QTest>

using namespace Netrove;

namespace {

// A device's stored reply, in the layout of its kind, as the list keeps it.
struct Reply
{
    PacketKind kind = PacketKind::KindCamera;
    const char* model = "NC-1";
    std::uint8_t mode = 0;
    const char* gateway = "192.168.1.1";
    bool shortForm = false;
};

DeviceEntry Entry(const Reply& r)
{
    DeviceEntry entry;
    entry.kind = r.kind;
    entry.reply.assign(LongFormSize(r.kind), 0);
    const auto packet = std::span<std::uint8_t>(entry.reply);
    WriteText(r.kind, packet, PacketField::MacAddress, "00:1A:2B:00:00:01");
    WriteText(r.kind, packet, PacketField::IpAddress, "192.168.1.101");
    WriteText(r.kind, packet, PacketField::SubnetMask, "255.255.255.0");
    WriteText(r.kind, packet, PacketField::Gateway, r.gateway);
    WriteText(r.kind, packet, PacketField::ModelName, r.model);
    WriteText(r.kind, packet, PacketField::Alias, r.shortForm ? "N/A" : "Door");
    WriteByte(r.kind, packet, PacketField::AddressMode, r.mode);
    const std::array<std::uint16_t, 6> ports{8080, 9000, 9001, 9002, 9003, 9004};
    for (std::size_t i = 0; i < ports.size(); ++i)
        WriteU16(r.kind, packet, kServicePortFields[i], ports[i]);
    return entry;
}

CliCommand Command(const QString& options)
{
    const CliParse parsed = ParseCliArguments(
        (u"set 00:1A:2B:00:00:01 --password pw "_qs + options).split(u' ', Qt::SkipEmptyParts));
    if (!parsed.command)
        qFatal("bad options in the test: %s", qPrintable(parsed.error));
    return *parsed.command;
}

const QString kStatic = u"--static 192.168.1.252 --mask 255.255.255.0 --gateway 192.168.1.1"_qs;

} // namespace

Q_DECLARE_METATYPE(Reply)

class TestCliSetPlan final : public QObject
{
    Q_OBJECT

private slots:
    void manualSet_data()
    {
        QTest::addColumn<Reply>("reply");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("refusal"); // empty: sent
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QList<int>>("ports"); // HTTP to multicast

        const Reply camera;
        const Reply recorder{PacketKind::KindRecorder, "NVR-1"};
        const Reply block{PacketKind::KindCamera, "QMR-A4102"};
        const Reply service{PacketKind::KindCamera, "QMZ-4470"};
        const QList<int> pair{8080, 9000, 0, 0, 0, 0};

        QTest::newRow("camera, static")
            << camera << kStatic << QString() << 326 << 0 << u"192.168.1.252"_qs << pair;
        QTest::newRow("camera, new ports")
            << camera << kStatic + u" --http 80 --dlx 10000"_qs << QString() << 326 << 0
            << u"192.168.1.252"_qs << QList<int>{80, 10000, 0, 0, 0, 0};
        QTest::newRow("short reply") << Reply{PacketKind::KindCamera, "NC-1", 0, "192.168.1.1", true}
                                     << kStatic << QString() << 262 << 0 << u"192.168.1.252"_qs << pair;
        QTest::newRow("DHCP keeps the reported addresses")
            << camera << u"--dhcp"_qs << QString() << 326 << 1 << u"192.168.1.101"_qs << pair;
        QTest::newRow("recorder") << recorder << u"--dhcp --dlx 9100"_qs << QString() << 262 << 1
                                  << u"192.168.1.101"_qs << QList<int>{8080, 9100, 0, 0, 0, 0};
        // The listing calls a recorder's Port(TCP) "tcp"; the option of that name sets it.
        QTest::newRow("recorder, --tcp") << recorder << u"--dhcp --tcp 9100"_qs << QString() << 262 << 1
                                         << u"192.168.1.101"_qs << QList<int>{8080, 9100, 0, 0, 0, 0};
        QTest::newRow("six-port block, high")
            << block << kStatic + u" --http 10006"_qs << QString() << 326 << 0 << u"192.168.1.252"_qs
            << QList<int>{10006, 10007, 10008, 10009, 10010, 10011};
        QTest::newRow("six-port block, 80")
            << block << kStatic + u" --http 80"_qs << QString() << 326 << 0 << u"192.168.1.252"_qs
            << QList<int>{80, 60001, 60002, 60003, 60004, 60005};
        QTest::newRow("six-port block, as reported")
            << block << u"--dhcp"_qs << QString() << 326 << 1 << u"192.168.1.101"_qs
            << QList<int>{8080, 9000, 9001, 9002, 9003, 9004};
        QTest::newRow("one service port") << service << u"--dhcp --http 8000"_qs << QString() << 326 << 1
                                          << u"192.168.1.101"_qs << QList<int>{8000, 0, 0, 0, 0, 0};
        QTest::newRow("PPPoE kept") << Reply{PacketKind::KindCamera, "NC-1", 2} << u"--pppoe"_qs << QString()
                                    << 326 << 2 << u"192.168.1.101"_qs << pair;

        QTest::newRow("PPPoE not chosen") << camera << u"--pppoe"_qs << u"PPPoE can be kept, not chosen"_qs
                                          << 0 << 0 << QString() << QList<int>{};
        QTest::newRow("port the model lacks") << camera << kStatic + u" --tcp 9001"_qs
                                              << u"has no TCP port"_qs << 0 << 0 << QString() << QList<int>{};
        QTest::newRow("recorder, --tcp and --dlx") << recorder << u"--dhcp --tcp 9100 --dlx 9100"_qs
                                                   << u"give one"_qs << 0 << 0 << QString() << QList<int>{};
        QTest::newRow("recorder's upload port")
            << recorder << u"--dhcp --upload 9003"_qs << u"has no upload port"_qs << 0 << 0 << QString()
            << QList<int>{};
        QTest::newRow("service port model's DLX")
            << service << u"--dhcp --dlx 9001"_qs << u"has no DLX port"_qs << 0 << 0 << QString()
            << QList<int>{};
        QTest::newRow("block moves as a whole")
            << block << u"--dhcp --dlx 10001"_qs << u"move as one block"_qs << 0 << 0 << QString()
            << QList<int>{};
        QTest::newRow("block start the arrows never reach")
            << block << u"--dhcp --http 5000"_qs << u"start at 80 or at 9995 to 59997"_qs << 0 << 0
            << QString() << QList<int>{};
        // The dialog's own checks, with its messages.
        QTest::newRow("mask") << camera
                              << u"--static 192.168.1.252 --mask 255.0.255.0 --gateway 192.168.1.1"_qs
                              << u"Invalid Subnet Mask"_qs << 0 << 0 << QString() << QList<int>{};
        QTest::newRow("DHCP camera without gateway")
            << Reply{PacketKind::KindCamera, "NC-1", 1, "0.0.0.0"} << u"--dhcp"_qs
            << u"The first octet value of Gateway must be from 1 to 223"_qs << 0 << 0 << QString()
            << QList<int>{};
        QTest::newRow("HTTP 81") << camera << kStatic + u" --http 81"_qs << u"Invalid HTTP Port"_qs << 0 << 0
                                 << QString() << QList<int>{};
        QTest::newRow("recorder's reserved port")
            << recorder << u"--dhcp --dlx 1810"_qs << u"Invalid Port(TCP)"_qs << 0 << 0 << QString()
            << QList<int>{};
    }

    void manualSet()
    {
        QFETCH(Reply, reply);
        QFETCH(QString, options);
        QFETCH(QString, refusal);
        QFETCH(int, size);
        QFETCH(int, mode);
        QFETCH(QString, ip);
        QFETCH(QList<int>, ports);

        const CliSetPlan plan = PlanManualSet(Entry(reply), u"00:1A:2B:00:00:01"_qs, Command(options));
        if (!refusal.isEmpty()) {
            QVERIFY2(plan.refusal.contains(refusal), qPrintable(plan.refusal));
            QCOMPARE(plan.exitCode, int(ExitRefused));
            QVERIFY(plan.request.empty());
            return;
        }
        QVERIFY2(!plan.Refused(), qPrintable(plan.refusal));
        QCOMPARE(plan.camera, reply.kind != PacketKind::KindRecorder);
        constexpr PacketKind k = kSettingRequestLayout;
        const auto& request = plan.request;
        QCOMPARE(int(request.size()), size);
        QCOMPARE(int(ReadByte(k, request, PacketField::Opcode)), 2);
        QCOMPARE(ReadText(k, request, PacketField::MacAddress), std::string("00:1A:2B:00:00:01"));
        QCOMPARE(ReadText(k, request, PacketField::Password), std::string("pw"));
        QCOMPARE(int(ReadByte(k, request, PacketField::AddressMode)), mode);
        QCOMPARE(QString::fromStdString(ReadText(k, request, PacketField::IpAddress)), ip);
        QCOMPARE(int(ReadU16(k, request, PacketField::WebPort)), ports[0]);
        for (std::size_t i = 0; i < kServicePortFields.size(); ++i)
            QCOMPARE(int(ReadU16(k, request, kServicePortFields[i])), ports[qsizetype(i)]);
    }

    void passwordLongerThanTheDeviceTakes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("limit");
        QTest::newRow("camera") << int(PacketKind::KindCamera) << 19;
        QTest::newRow("recorder") << int(PacketKind::KindRecorder) << 9;
    }

    void passwordLongerThanTheDeviceTakes()
    {
        QFETCH(int, kind);
        QFETCH(int, limit);
        const DeviceEntry entry = Entry(Reply{PacketKind(kind), "NC-1", 1});
        CliCommand command = Command(u"--dhcp"_qs);
        command.password = QString(limit, u'p');
        QVERIFY2(!PlanManualSet(entry, u"M"_qs, command).Refused(), "the longest password is taken");
        command.password += u'p';
        const CliSetPlan plan = PlanManualSet(entry, u"M"_qs, command);
        QVERIFY2(plan.refusal.contains(QString::number(limit)), qPrintable(plan.refusal));
        QVERIFY(PlanAutoSet(entry, u"M"_qs, command, {FreeAddressOutcome::Found}, 10000).Refused());
    }

    void autoSet()
    {
        FreeAddressProposal proposal{
            FreeAddressOutcome::Found, {192, 168, 1, 10}, {192, 168, 1, 254}, {192, 168, 1, 1}};
        const CliSetPlan camera =
            PlanAutoSet(Entry(Reply{}), u"00:1A:2B:00:00:01"_qs, Command(u"--auto"_qs), proposal, 10006);
        QVERIFY2(!camera.Refused(), qPrintable(camera.refusal));
        QCOMPARE(camera.proposal, u"Proposed for 00:1A:2B:00:00:01: IP address 192.168.1.254, subnet mask "
                                  "255.255.255.0, gateway 192.168.1.1, ports 10006-10011"_qs);
        constexpr PacketKind k = kSettingRequestLayout;
        QCOMPARE(camera.request.size(), std::size_t{326});
        QCOMPARE(ReadText(k, camera.request, PacketField::IpAddress), std::string("192.168.1.254"));
        QCOMPARE(ReadU16(k, camera.request, PacketField::WebPort), 10006);
        QCOMPARE(ReadU16(k, camera.request, PacketField::MulticastPort), 10011);
        QCOMPARE(int(ReadByte(k, camera.request, PacketField::AddressMode)), 0);

        const CliSetPlan recorder = PlanAutoSet(Entry(Reply{PacketKind::KindRecorder, "NVR-1"}),
                                                u"00:1A:2B:00:00:01"_qs, Command(u"--auto"_qs), proposal, 0);
        QVERIFY(!recorder.camera);
        QVERIFY(!recorder.proposal.contains(u"ports"_qs));
        QCOMPARE(ReadU16(k, recorder.request, PacketField::HttpPort), 8080);

        for (const auto& [outcome, message] :
             {std::pair{FreeAddressOutcome::Exhausted, u"No free IP address was found in 192.168.1.241"_qs},
              std::pair{FreeAddressOutcome::NoProbeSocket,
                        u"Please start the program with admin account"_qs}}) {
            proposal.outcome = outcome;
            const CliSetPlan none =
                PlanAutoSet(Entry(Reply{}), u"M"_qs, Command(u"--auto"_qs), proposal, 10000);
            QVERIFY2(none.refusal.startsWith(message), qPrintable(none.refusal));
            QCOMPARE(none.exitCode, int(ExitFailure));
        }
    }
};

QTEST_GUILESS_MAIN(TestCliSetPlan)

#include "tst_clisetplan.moc"
