#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QTest>

#include <vector>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::PacketKind)
Q_DECLARE_METATYPE(Netrove::PacketField)

class TestPacketLayout final : public QObject
{
    Q_OBJECT

private slots:
    void fieldPlaces_data();
    void fieldPlaces();
    void fieldsTileEachLayout_data();
    void fieldsTileEachLayout();
    void formSizes();
    void textFillingItsFieldStopsAtTheField();
    void writtenTextIsCutAndTerminated_data();
    void writtenTextIsCutAndTerminated();
    void sixteenBitFieldsAreLittleEndian();
    void accessOutsideTheBufferIsHarmless();
    void shortReplyTest_data();
    void shortReplyTest();
};

// Offset and size in each layout; -1 where the layout has no such field.
void TestPacketLayout::fieldPlaces_data()
{
    QTest::addColumn<PacketField>("field");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("camera");
    QTest::addColumn<int>("ipv6");
    QTest::addColumn<int>("recorder");

    struct Row
    {
        const char* name;
        PacketField field;
        int size, camera, ipv6, recorder;
    };
    const Row rows[] = {
        {"Opcode", PacketField::Opcode, 1, 0, 0, 4},
        {"ClientTag", PacketField::ClientTag, 18, 1, 1, 5},
        {"MacAddress", PacketField::MacAddress, 18, 19, 19, 23},
        {"IpAddress", PacketField::IpAddress, 16, 37, 37, 41},
        {"SubnetMask", PacketField::SubnetMask, 16, 53, 53, 57},
        {"Gateway", PacketField::Gateway, 16, 69, 69, 73},
        {"Ipv6Address", PacketField::Ipv6Address, 40, -1, 85, -1},
        {"Password", PacketField::Password, 20, 85, 125, 89},
        {"reserved before WebPort", PacketField::ReservedBeforeWebPort, 1, 105, 145, 109},
        {"WebPort", PacketField::WebPort, 2, 106, 146, 110},
        {"reserved after WebPort", PacketField::ReservedAfterWebPort, 1, 108, 148, 112},
        {"ModelName", PacketField::ModelName, 11, 109, 149, 113},
        {"HttpPort", PacketField::HttpPort, 2, 120, 160, 124},
        {"DlxPort", PacketField::DlxPort, 2, 122, 162, 126},
        {"TcpPort", PacketField::TcpPort, 2, 124, 164, 128},
        {"UdpPort", PacketField::UdpPort, 2, 126, 166, 130},
        {"UploadPort", PacketField::UploadPort, 2, 128, 168, 132},
        {"MulticastPort", PacketField::MulticastPort, 2, 130, 170, 134},
        {"AddressMode", PacketField::AddressMode, 1, 132, 172, 136},
        {"Url", PacketField::Url, 128, 133, 173, 137},
        {"SettingAllowed", PacketField::SettingAllowed, 1, -1, -1, 265},
        {"Prefix", PacketField::Prefix, 4, -1, -1, 0},
    };
    for (const Row& row : rows)
        QTest::newRow(row.name) << row.field << row.size << row.camera << row.ipv6 << row.recorder;
}

void TestPacketLayout::fieldPlaces()
{
    QFETCH(PacketField, field);
    QFETCH(int, size);
    QFETCH(int, camera);
    QFETCH(int, ipv6);
    QFETCH(int, recorder);
    const std::pair<PacketKind, int> expected[] = {{PacketKind::KindCamera, camera},
                                                   {PacketKind::KindCameraIPv6, ipv6},
                                                   {PacketKind::KindRecorder, recorder}};
    for (const auto& [kind, offset] : expected) {
        const auto place = FieldOf(kind, field);
        const QByteArray where = "layout " + QByteArray::number(static_cast<int>(kind));
        if (offset < 0) {
            QVERIFY2(!place.has_value(), where.constData());
            continue;
        }
        QVERIFY2(place.has_value(), where.constData());
        QCOMPARE(place->offset, std::size_t(offset));
        QCOMPARE(place->size, std::size_t(size));
    }
}

// The fields of a long form follow each other with no gap and no overlap, and the alias ends
// exactly at the long form's end.
void TestPacketLayout::fieldsTileEachLayout_data()
{
    QTest::addColumn<PacketKind>("kind");
    QTest::addColumn<int>("aliasSize");
    QTest::newRow("camera") << PacketKind::KindCamera << 65;
    QTest::newRow("ipv6 camera") << PacketKind::KindCameraIPv6 << 65;
    QTest::newRow("recorder") << PacketKind::KindRecorder << 68;
}

void TestPacketLayout::fieldsTileEachLayout()
{
    QFETCH(PacketKind, kind);
    QFETCH(int, aliasSize);
    std::vector<int> owner(LongFormSize(kind), -1);
    for (int f = int(PacketField::Prefix); f <= int(PacketField::Alias); ++f) {
        const auto place = FieldOf(kind, PacketField(f));
        if (!place)
            continue;
        QVERIFY2(place->end() <= owner.size(), qPrintable(QStringLiteral("field %1 past the end").arg(f)));
        for (std::size_t i = place->offset; i < place->end(); ++i) {
            QVERIFY2(owner[i] == -1, qPrintable(QStringLiteral("byte %1 claimed twice").arg(i)));
            owner[i] = f;
        }
    }
    for (std::size_t i = 0; i < owner.size(); ++i)
        QVERIFY2(owner[i] != -1, qPrintable(QStringLiteral("byte %1 belongs to no field").arg(i)));
    QCOMPARE(FieldOf(kind, PacketField::Alias)->size, std::size_t(aliasSize));
}

void TestPacketLayout::formSizes()
{
    QCOMPARE(ShortFormSize(PacketKind::KindCamera), std::size_t(262));
    QCOMPARE(LongFormSize(PacketKind::KindCamera), std::size_t(326));
    QCOMPARE(ShortFormSize(PacketKind::KindCameraIPv6), std::size_t(302));
    QCOMPARE(LongFormSize(PacketKind::KindCameraIPv6), std::size_t(366));
    QCOMPARE(LongFormSize(PacketKind::KindRecorder), std::size_t(334));
    QCOMPARE(AliasTerminatorOffset(PacketKind::KindCamera), std::size_t(324));
    QCOMPARE(AliasTerminatorOffset(PacketKind::KindCameraIPv6), std::size_t(364));
    QCOMPARE(AliasTerminatorOffset(PacketKind::KindRecorder), std::size_t(333));
}

void TestPacketLayout::textFillingItsFieldStopsAtTheField()
{
    // MacAddress filled to its last byte with no NUL, the next field (IpAddress) right behind it.
    std::vector<std::uint8_t> packet(326, 0);
    for (std::size_t i = 19; i < 37; ++i)
        packet[i] = 'M';
    for (std::size_t i = 37; i < 53; ++i)
        packet[i] = 'I';
    QCOMPARE(ReadText(PacketKind::KindCamera, packet, PacketField::MacAddress), std::string(18, 'M'));
    QCOMPARE(ReadText(PacketKind::KindCamera, packet, PacketField::IpAddress), std::string(16, 'I'));

    // The alias is the last field: a full one ends at the buffer's end.
    std::vector<std::uint8_t> recorder(334, 'A');
    QCOMPARE(ReadText(PacketKind::KindRecorder, recorder, PacketField::Alias), std::string(68, 'A'));
}

void TestPacketLayout::writtenTextIsCutAndTerminated_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("short") << QByteArray("admin") << QByteArray("admin");
    QTest::newRow("19 characters fit") << QByteArray(19, 'x') << QByteArray(19, 'x');
    QTest::newRow("20 characters are cut") << QByteArray(20, 'y') << QByteArray(19, 'y');
    QTest::newRow("far too long") << QByteArray(300, 'z') << QByteArray(19, 'z');
}

void TestPacketLayout::writtenTextIsCutAndTerminated()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, stored);
    // Password (85..104) between bytes that must stay untouched.
    std::vector<std::uint8_t> packet(262, 0xEE);
    WriteText(PacketKind::KindCamera, packet, PacketField::Password, text.toStdString());
    QCOMPARE(packet[84], std::uint8_t(0xEE));
    QCOMPARE(packet[105], std::uint8_t(0xEE));
    QCOMPARE(QByteArray::fromStdString(ReadText(PacketKind::KindCamera, packet, PacketField::Password)),
             stored);
    QCOMPARE(packet[104], std::uint8_t(0)); // always a NUL in the field's last byte
    for (std::size_t i = 85 + stored.size(); i < 105; ++i)
        QCOMPARE(packet[i], std::uint8_t(0));
}

void TestPacketLayout::sixteenBitFieldsAreLittleEndian()
{
    std::vector<std::uint8_t> packet(334, 0);
    WriteU16(PacketKind::KindRecorder, packet, PacketField::HttpPort, 5000);
    QCOMPARE(packet[124], std::uint8_t(0x88));
    QCOMPARE(packet[125], std::uint8_t(0x13));
    packet[126] = 0x10;
    packet[127] = 0x27;
    QCOMPARE(ReadU16(PacketKind::KindRecorder, packet, PacketField::DlxPort), std::uint16_t(10000));
    packet[110] = 0xff;
    packet[111] = 0xff;
    QCOMPARE(ReadU16(PacketKind::KindRecorder, packet, PacketField::WebPort), std::uint16_t(65535));
}

void TestPacketLayout::accessOutsideTheBufferIsHarmless()
{
    // A short camera datagram lacks the alias; a camera packet has no IPv6 address field.
    std::vector<std::uint8_t> packet(262, 'x');
    QCOMPARE(ReadText(PacketKind::KindCamera, packet, PacketField::Alias), std::string());
    QCOMPARE(ReadText(PacketKind::KindCamera, packet, PacketField::Ipv6Address), std::string());
    WriteText(PacketKind::KindCamera, packet, PacketField::Alias, "never");
    WriteU16(PacketKind::KindRecorder, std::span(packet).first(10), PacketField::HttpPort, 1);
    QCOMPARE(ReadU16(PacketKind::KindRecorder, std::span(packet).first(10), PacketField::HttpPort),
             std::uint16_t(0));
    QCOMPARE(std::count(packet.begin(), packet.end(), 'x'), 262);
}

void TestPacketLayout::shortReplyTest_data()
{
    QTest::addColumn<PacketKind>("kind");
    QTest::addColumn<QByteArray>("alias");
    QTest::addColumn<bool>("isShort");
    QTest::newRow("camera N/A") << PacketKind::KindCamera << QByteArray("N/A") << true;
    QTest::newRow("camera alias starting with N/A")
        << PacketKind::KindCamera << QByteArray("N/A lobby") << true;
    QTest::newRow("camera real alias") << PacketKind::KindCamera << QByteArray("Lobby") << false;
    QTest::newRow("camera lower-case n/a") << PacketKind::KindCamera << QByteArray("n/a") << false;
    QTest::newRow("camera empty alias") << PacketKind::KindCamera << QByteArray() << false;
    QTest::newRow("recorder N/A") << PacketKind::KindRecorder << QByteArray("N/A") << false;
}

void TestPacketLayout::shortReplyTest()
{
    QFETCH(PacketKind, kind);
    QFETCH(QByteArray, alias);
    QFETCH(bool, isShort);
    std::vector<std::uint8_t> packet(LongFormSize(kind), 0);
    WriteText(kind, packet, PacketField::Alias, alias.toStdString());
    QCOMPARE(IsShortReply(kind, packet), isShort);
}

QTEST_APPLESS_MAIN(TestPacketLayout)
#include "tst_packetlayout.moc"
