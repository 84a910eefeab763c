#include "autoset/AutoSetRequest.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QTest>

#include <algorithm>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::PacketKind)

namespace {

constexpr PacketKind kCamera = PacketKind::KindCamera;

constexpr std::array<PacketField, 6> kPorts{PacketField::HttpPort,   PacketField::DlxPort,
                                            PacketField::TcpPort,    PacketField::UdpPort,
                                            PacketField::UploadPort, PacketField::MulticastPort};

DeviceEntry MakeEntry(PacketKind kind, std::uint8_t addressMode, const char* alias, const char* mask)
{
    DeviceEntry entry;
    entry.kind = kind;
    const PacketKind layout = IsCameraKind(kind) ? kind : PacketKind::KindRecorder;
    entry.reply.assign(LongFormSize(layout), 0);
    WriteByte(layout, entry.reply, PacketField::AddressMode, addressMode);
    WriteText(layout, entry.reply, PacketField::Alias, alias);
    WriteText(layout, entry.reply, PacketField::SubnetMask, mask);
    return entry;
}

AutoSetInput MakeInput(int basePort)
{
    AutoSetInput input;
    input.address = {192, 168, 1, 254};
    input.subnetMask = {255, 255, 255, 0};
    input.gateway = {192, 168, 1, 1};
    input.password = "abcdefghijklmnopqrs"; // 19 characters, the whole field but its NUL
    input.basePort = basePort;
    return input;
}

// Every byte of the request outside the fields that the request names is 0.
QString StrayBytes(const std::vector<std::uint8_t>& request)
{
    const PacketField named[] = {PacketField::Opcode,       PacketField::MacAddress, PacketField::IpAddress,
                                 PacketField::SubnetMask,   PacketField::Gateway,    PacketField::Password,
                                 PacketField::WebPort,      PacketField::HttpPort,   PacketField::DlxPort,
                                 PacketField::TcpPort,      PacketField::UdpPort,    PacketField::UploadPort,
                                 PacketField::MulticastPort};
    std::vector<bool> covered(request.size(), false);
    for (PacketField field : named) {
        const FieldPlace place = *FieldOf(kCamera, field);
        std::fill(covered.begin() + static_cast<std::ptrdiff_t>(place.offset),
                  covered.begin() + static_cast<std::ptrdiff_t>(place.end()), true);
    }
    QString stray;
    for (std::size_t i = 0; i < request.size(); ++i) {
        if (!covered[i] && request[i] != 0)
            stray += QStringLiteral("%1=%2 ").arg(i).arg(request[i]);
    }
    return stray;
}

} // namespace

class TestAutoSetRequest final : public QObject
{
    Q_OBJECT

private slots:
    void copiedFromTheReply_data();
    void copiedFromTheReply();
    void cameraRequestFields();
    void recorderRequestKeepsItsPorts();
    void requestSize_data();
    void requestSize();
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

    const DeviceEntry entry =
        MakeEntry(kind, static_cast<std::uint8_t>(addressMode), alias.constData(), mask.constData());
    const AutoSetTarget target = CopyAutoSetTarget(entry, "00:11:22:33:44:55");
    QCOMPARE(target.kind, kind);
    QCOMPARE(target.mac, std::string("00:11:22:33:44:55"));
    QCOMPARE(target.staticAddress, staticAddress);
    QCOMPARE(target.shortForm, shortForm);
    QCOMPARE(QByteArray::fromStdString(FormatDottedQuad(target.subnetMask)), maskRead);
    QCOMPARE(AutoSetPasswordLimit(kind), passwordLimit);
}

void TestAutoSetRequest::cameraRequestFields()
{
    AutoSetTarget target =
        CopyAutoSetTarget(MakeEntry(kCamera, 1, "Lobby", "255.255.255.0"), "AA:BB:CC:DD:EE:FF");
    const std::vector<std::uint8_t> request = BuildAutoSetRequest(target, MakeInput(10006));

    QCOMPARE(request.size(), std::size_t(326));
    QCOMPARE(ReadByte(kCamera, request, PacketField::Opcode), std::uint8_t(2));
    QCOMPARE(ReadText(kCamera, request, PacketField::MacAddress), std::string("AA:BB:CC:DD:EE:FF"));
    QCOMPARE(ReadText(kCamera, request, PacketField::IpAddress), std::string("192.168.1.254"));
    QCOMPARE(ReadText(kCamera, request, PacketField::SubnetMask), std::string("255.255.255.0"));
    QCOMPARE(ReadText(kCamera, request, PacketField::Gateway), std::string("192.168.1.1"));
    QCOMPARE(ReadText(kCamera, request, PacketField::Password), std::string("abcdefghijklmnopqrs"));
    QCOMPARE(ReadU16(kCamera, request, PacketField::WebPort), std::uint16_t(10006));
    for (std::size_t i = 0; i < kPorts.size(); ++i)
        QCOMPARE(ReadU16(kCamera, request, kPorts[i]), std::uint16_t(10006 + i));
    // A DHCP device is asked to take the new address as a fixed one.
    QCOMPARE(ReadByte(kCamera, request, PacketField::AddressMode), std::uint8_t(0));
    // The tag is the sender's; the alias, model and reserved bytes stay 0.
    const QString stray = StrayBytes(request);
    QVERIFY2(stray.isEmpty(), qPrintable(stray));
}

void TestAutoSetRequest::recorderRequestKeepsItsPorts()
{
    DeviceEntry entry = MakeEntry(PacketKind::KindRecorder, 2, "NVR", "255.255.255.0");
    const PacketKind r = PacketKind::KindRecorder;
    WriteU16(r, entry.reply, PacketField::WebPort, 0x1F90);
    const std::uint16_t ports[] = {80, 0xFFFF, 0x0102, 0, 9000, 0x8001};
    for (std::size_t i = 0; i < kPorts.size(); ++i)
        WriteU16(r, entry.reply, kPorts[i], ports[i]);

    // The base port is a camera's; a recorder ignores it.
    const std::vector<std::uint8_t> request =
        BuildAutoSetRequest(CopyAutoSetTarget(entry, "00:1A:2B:3C:4D:5E"), MakeInput(10000));

    QCOMPARE(request.size(), std::size_t(262));
    // Laid out as a camera packet: the opcode at 0, the MAC at 19, although the reply had them
    // at 4 and 23.
    QCOMPARE(ReadByte(kCamera, request, PacketField::Opcode), std::uint8_t(2));
    QCOMPARE(ReadText(kCamera, request, PacketField::MacAddress), std::string("00:1A:2B:3C:4D:5E"));
    QCOMPARE(ReadU16(kCamera, request, PacketField::WebPort), std::uint16_t(0x1F90));
    // The six ports, byte for byte.
    const auto first = FieldOf(kCamera, PacketField::HttpPort)->offset;
    const auto replied = FieldOf(r, PacketField::HttpPort)->offset;
    QVERIFY(std::equal(request.begin() + static_cast<std::ptrdiff_t>(first),
                       request.begin() + static_cast<std::ptrdiff_t>(first + 12),
                       entry.reply.begin() + static_cast<std::ptrdiff_t>(replied)));
    QCOMPARE(ReadByte(kCamera, request, PacketField::AddressMode), std::uint8_t(0));
    const QString stray = StrayBytes(request);
    QVERIFY2(stray.isEmpty(), qPrintable(stray));
}

void TestAutoSetRequest::requestSize_data()
{
    QTest::addColumn<PacketKind>("kind");
    QTest::addColumn<QByteArray>("alias");
    QTest::addColumn<int>("size");

    QTest::newRow("camera") << kCamera << QByteArray("Lobby") << 326;
    QTest::newRow("camera, short reply") << kCamera << QByteArray("N/A") << 262;
    QTest::newRow("camera, alias N/A-2") << kCamera << QByteArray("N/A-2") << 262;
    QTest::newRow("camera, alias n/a") << kCamera << QByteArray("n/a") << 326;
    QTest::newRow("IPv6 camera") << PacketKind::KindCameraIPv6 << QByteArray("Lobby") << 326;
    QTest::newRow("recorder") << PacketKind::KindRecorder << QByteArray("Lobby") << 262;
}

void TestAutoSetRequest::requestSize()
{
    QFETCH(PacketKind, kind);
    QFETCH(QByteArray, alias);
    QFETCH(int, size);

    const AutoSetTarget target =
        CopyAutoSetTarget(MakeEntry(kind, 0, alias.constData(), "255.255.255.0"), "m");
    QCOMPARE(BuildAutoSetRequest(target, MakeInput(10000)).size(), std::size_t(size));
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

    AutoSetInput input = MakeInput(10000);
    input.portMapping = portMapping;
    for (PacketKind kind : {kCamera, PacketKind::KindRecorder}) {
        const auto request = BuildAutoSetRequest(CopyAutoSetTarget(MakeEntry(kind, 0, "", ""), "m"), input);
        QCOMPARE(ReadByte(kCamera, request, PacketField::Opcode), std::uint8_t(opcode));
    }
    const std::string_view text = AutoSetStatusText(portMapping);
    QCOMPARE(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())), status);
}

QTEST_APPLESS_MAIN(TestAutoSetRequest)
#include "tst_autosetrequest.moc"
