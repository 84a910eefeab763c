#include "discovery/ClientTagMaker.h"

#include <QTest>

#include <algorithm>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::ClientTag)

namespace {

ClientTag TagWith(std::initializer_list<std::pair<int, std::uint8_t>> bytes)
{
    ClientTag tag{};
    for (const auto& [index, value] : bytes)
        tag[index] = value;
    return tag;
}

} // namespace

class TestClientTag final : public QObject
{
    Q_OBJECT

private slots:
    void randomPartIsNeverZero()
    {
        for (std::uint32_t seed : {0u, 1u, 1765000000u, 0xffffffffu}) {
            const ClientTag tag = MakeClientTag(seed, std::nullopt);
            QVERIFY(std::none_of(tag.begin(), tag.begin() + 12, [](std::uint8_t b) { return b == 0; }));
            QVERIFY(std::all_of(tag.begin() + 12, tag.end(), [](std::uint8_t b) { return b == 0; }));
        }
    }

    void runsInDifferentSecondsDiffer()
    {
        const HardwareAddress hardware{0x02, 0x11, 0x22, 0x33, 0x44, 0x55};
        const ClientTag first = MakeClientTag(1765000000u, hardware);
        const ClientTag second = MakeClientTag(1765000001u, hardware);
        QVERIFY(!std::equal(first.begin(), first.begin() + 12, second.begin()));
        QVERIFY(std::equal(first.begin() + 12, first.end(), second.begin() + 12));
        QCOMPARE(first[12], std::uint8_t(0x02));
        QCOMPARE(first[17], std::uint8_t(0x55));
    }

    void foreignTest_data()
    {
        QTest::addColumn<ClientTag>("tag");
        QTest::addColumn<bool>("foreign");
        const ClientTag own = MakeClientTag(42, HardwareAddress{1, 2, 3, 4, 5, 6});
        ClientTag other = own;
        other[3] ^= 0xff;
        ClientTag otherHardware = own;
        otherHardware[17] ^= 0xff;
        QTest::newRow("own tag") << own << false;
        QTest::newRow("another instance") << other << true;
        QTest::newRow("another computer") << otherHardware << true;
        QTest::newRow("all zero") << ClientTag{} << false;
        QTest::newRow("zero but the last three") << TagWith({{15, 9}, {16, 9}, {17, 9}}) << false;
        QTest::newRow("byte 14 set") << TagWith({{14, 1}}) << true;
        QTest::newRow("byte 0 set") << TagWith({{0, 1}}) << true;
    }

    void foreignTest()
    {
        QFETCH(ClientTag, tag);
        QFETCH(bool, foreign);
        const ClientTag own = MakeClientTag(42, HardwareAddress{1, 2, 3, 4, 5, 6});
        QCOMPARE(IsForeignPacket(own, tag), foreign);
    }

    void truncatedTagIsForeign()
    {
        const ClientTag own{};
        const std::uint8_t bytes[10] = {};
        QVERIFY(IsForeignPacket(own, bytes));
    }
};

QTEST_APPLESS_MAIN(TestClientTag)
#include "tst_clienttag.moc"
