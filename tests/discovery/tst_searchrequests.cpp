#include "discovery/SearchRequests.h"

#include <QTest>

#include <map>
#include <numeric>

using namespace Netrove;

namespace {

ClientTag SampleTag()
{
    ClientTag tag{};
    std::iota(tag.begin(), tag.end(), std::uint8_t{0xA0});
    return tag;
}

// Every byte of the request: the listed ones hold their value, all others are 0.
void CompareBytes(const std::vector<std::uint8_t>& packet,
                  const std::map<std::size_t, std::uint8_t>& expected)
{
    for (std::size_t i = 0; i < packet.size(); ++i) {
        const auto it = expected.find(i);
        const std::uint8_t want = it == expected.end() ? 0 : it->second;
        QVERIFY2(packet[i] == want,
                 qPrintable(QStringLiteral("byte %1 is %2, expected %3").arg(i).arg(packet[i]).arg(want)));
    }
}

std::map<std::size_t, std::uint8_t> TagAt(std::size_t offset)
{
    std::map<std::size_t, std::uint8_t> bytes;
    const ClientTag tag = SampleTag();
    for (std::size_t i = 0; i < tag.size(); ++i)
        bytes[offset + i] = tag[i];
    return bytes;
}

// The port defaults, little-endian, starting at WebPort.
std::map<std::size_t, std::uint8_t> DefaultsAt(std::size_t webPort)
{
    const std::size_t http = webPort + 14;
    return {
        {webPort, 0x88},   {webPort + 1, 0x13}, // WebPort 5000
        {http, 0x88},      {http + 1, 0x13},    // HttpPort 5000
        {http + 2, 0x10},  {http + 3, 0x27},    // DlxPort 10000
        {http + 4, 0x2E},  {http + 5, 0x27},    // TcpPort 10030
        {http + 6, 0x24},  {http + 7, 0x27},    // UdpPort 10020
        {http + 8, 0x1A},  {http + 9, 0x27},    // UploadPort 10010
        {http + 10, 0x42}, {http + 11, 0x27},   // MulticastPort 10050
    };
}

} // namespace

class TestSearchRequests final : public QObject
{
    Q_OBJECT

private slots:
    void cameraSearch()
    {
        const auto packet = BuildCameraSearch(SampleTag());
        QCOMPARE(packet.size(), std::size_t(262));
        auto expected = TagAt(1);
        expected.merge(DefaultsAt(106));
        expected[0] = 1;
        CompareBytes(packet, expected);
        QCOMPARE(packet[122], std::uint8_t(0x10));
        QCOMPARE(packet[123], std::uint8_t(0x27));
    }

    void ipv6Search()
    {
        const auto packet = BuildIPv6Search(SampleTag());
        QCOMPARE(packet.size(), std::size_t(302));
        auto expected = TagAt(1);
        expected.merge(DefaultsAt(146));
        expected[0] = 1;
        CompareBytes(packet, expected);
        QCOMPARE(packet[170], std::uint8_t(0x42)); // MulticastPort 40 bytes further on
    }

    void recorderSearch()
    {
        const auto packet = BuildRecorderSearch(SampleTag());
        QCOMPARE(packet.size(), std::size_t(262));
        auto expected = TagAt(1);
        expected[0] = 1;
        CompareBytes(packet, expected);
    }

    void opcodeIsTheCallers()
    {
        QCOMPARE(BuildCameraSearch(SampleTag(), 7)[0], std::uint8_t(7));
        QCOMPARE(BuildRecorderSearch(SampleTag(), 7)[0], std::uint8_t(7));
        QCOMPARE(BuildIPv6Search(SampleTag(), 7)[0], std::uint8_t(7));
    }

    void defaultsLeaveOtherBytesAlone()
    {
        // FillSearchDefaults writes the defaults only; opcode, tag and alias start are the caller's.
        std::vector<std::uint8_t> packet(262, 0x5A);
        FillSearchDefaults(packet);
        QCOMPARE(packet[0], std::uint8_t(0x5A));
        QCOMPARE(packet[18], std::uint8_t(0x5A));
        QCOMPARE(packet[261], std::uint8_t(0x5A));
        QCOMPARE(packet[19], std::uint8_t(0));  // MacAddress emptied
        QCOMPARE(packet[132], std::uint8_t(0)); // AddressMode
        QCOMPARE(packet[106], std::uint8_t(0x88));

        std::vector<std::uint8_t> ipv6(302, 0x5A);
        FillSearchDefaultsIPv6(ipv6);
        QCOMPARE(ipv6[85], std::uint8_t(0)); // Ipv6Address emptied
        QCOMPARE(ipv6[146], std::uint8_t(0x88));
        QCOMPARE(ipv6[172], std::uint8_t(0));
        QCOMPARE(ipv6[301], std::uint8_t(0x5A));
    }
};

QTEST_APPLESS_MAIN(TestSearchRequests)
#include "tst_searchrequests.moc"
