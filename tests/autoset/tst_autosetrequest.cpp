#include "autoset/AutoSetRequest.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QTest>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::PacketKind)

namespace {

constexpr PacketKind kCamera = PacketKind::KindCamera;

std::vector<std::uint8_t> MakeReply(PacketKind kind, std::uint8_t addressMode, const char* alias,
                                    const char* mask)
{
    const PacketKind layout = IsCameraKind(kind) ? kind : PacketKind::KindRecorder;
    std::vector<std::uint8_t> reply(LongFormSize(layout), 0);
    WriteByte(layout, reply, PacketField::AddressMode, addressMode);
    WriteText(layout, reply, PacketField::Alias, alias);
    WriteText(layout, reply, PacketField::SubnetMask, mask);
    return reply;
}

} // namespace

class TestAutoSetRequest final : public QObject
{
    Q_OBJECT

private slots:
    void copiedFromTheReply_data();
    void copiedFromTheReply();
    void portMappingOpcode_data();
    void portMappingOpcode();
};

void TestAutoSetRequest::copiedFromTheReply_data()
{
    QTest::addColumn<PacketKind>("kind");
    QTest::addColumn<int>("addressMode");
    QTest::addColumn<QByteArray>("alias");
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<bool>("staticAddress");
    QTest::addColumn<bool>("shortForm");
    QTest::addColumn<QByteArray>("maskRead");
    QTest::addColumn<int>("passwordLimit");

    QTest::newRow("static camera") << kCamera << 0 << QByteArray("Lobby") << QByteArray("255.255.0.0") << true
                                   << false << QByteArray("255.255.0.0") << 19;
    QTest::newRow("DHCP camera") << kCamera << 1 << QByteArray("Lobby") << QByteArray("255.255.255.128")
                                 << false << false << QByteArray("255.255.255.128") << 19;
    QTest::newRow("PPPoE camera") << kCamera << 2 << QByteArray("Lobby") << QByteArray("255.0.0.0") << false
                                  << false << QByteArray("255.0.0.0") << 19;
    QTest::newRow("short reply") << kCamera << 0 << QByteArray("N/A") << QByteArray("255.255.255.0") << true
                                 << true << QByteArray("255.255.255.0") << 19;
    QTest::newRow("alias starting N/A")
        << kCamera << 0 << QByteArray("N/Achbau") << QByteArray("255.255.255.0") << true << true
        << QByteArray("255.255.255.0") << 19;
    // Read in the IPv6 layout itself, where the mode byte is 40 bytes further on.
    QTest::newRow("IPv6 camera") << PacketKind::KindCameraIPv6 << 1 << QByteArray("N/A")
                                 << QByteArray("255.255.255.0") << false << false
                                 << QByteArray("255.255.255.0") << 19;
    QTest::newRow("recorder") << PacketKind::KindRecorder << 1 << QByteArray("N/A")
                              << QByteArray("255.255.254.0") << false << false << QByteArray("255.255.254.0")
                              << 9;
    QTest::newRow("unknown kind as recorder")
        << static_cast<PacketKind>(7) << 0 << QByteArray() << QByteArray("255.255.0.0") << true << false
        << QByteArray("255.255.0.0") << 9;
    QTest::newRow("mask not an address") << kCamera << 0 << QByteArray() << QByteArray("none") << true
                                         << false << QByteArray("255.255.255.0") << 19;
    QTest::newRow("mask empty") << PacketKind::KindRecorder << 0 << QByteArray() << QByteArray() << true
                                << false << QByteArray("255.255.255.0") << 9;
}

void TestAutoSetRequest::copiedFromTheReply()
{
    QFETCH(PacketKind, kind);
    QFETCH(int, addressMode);
    QFETCH(QByteArray, alias);
    QFETCH(QByteArray, mask);
    QFETCH(bool, staticAddress);
    QFETCH(bool, shortForm);
    QFETCH(QByteArray, maskRead);
    QFETCH(int, passwordLimit);

    const auto reply =
        MakeReply(kind, static_cast<std::uint8_t>(addressMode), alias.constData(), mask.constData());
    const AutoSetTarget target = CopyAutoSetTarget(kind, reply, "00:11:22:33:44:55");
    QCOMPARE(target.kind, kind);
    QCOMPARE(target.mac, std::string("00:11:22:33:44:55"));
    QCOMPARE(target.staticAddress, staticAddress);
    QCOMPARE(target.shortForm, shortForm);
    QCOMPARE(QByteArray::fromStdString(FormatDottedQuad(target.subnetMask)), maskRead);
    QCOMPARE(AutoSetPasswordLimit(kind), passwordLimit);
}

void TestAutoSetRequest::portMappingOpcode_data()
{
    QTest::addColumn<bool>("portMapping");
    QTest::addColumn<int>("opcode");
    QTest::addColumn<QString>("status");

    QTest::newRow("apply") << false << 2 << QStringLiteral("Apply Start...");
    QTest::newRow("port mapping") << true << 4 << QStringLiteral("Port Mapping Start...");
}

void TestAutoSetRequest::portMappingOpcode()
{
    QFETCH(bool, portMapping);
    QFETCH(int, opcode);
    QFETCH(QString, status);

    AutoSetInput input;
    input.portMapping = portMapping;
    for (PacketKind kind : {kCamera, PacketKind::KindRecorder}) {
        const auto request =
            BuildAutoSetRequest(CopyAutoSetTarget(kind, MakeReply(kind, 0, "", ""), "m"), input);
        QCOMPARE(ReadByte(kCamera, request, PacketField::Opcode), std::uint8_t(opcode));
    }
    const std::string_view text = AutoSetStatusText(portMapping);
    QCOMPARE(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())), status);
}

QTEST_APPLESS_MAIN(TestAutoSetRequest)
#include "tst_autosetrequest.moc"
