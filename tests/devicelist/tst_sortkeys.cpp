#include "devicelist/SortKeys.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QTest>

#include <vector>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::PacketKind)

namespace {

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

std::string ToStd(const QByteArray& bytes)
{
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

DeviceEntry MakeEntry(PacketKind kind, int column, const QByteArray& text)
{
    DeviceEntry entry;
    entry.kind = kind;
    entry.reply.assign(LongFormSize(kind), 0);
    if (const auto field = SortFieldOfColumn(column))
        WriteText(kind, entry.reply, *field, ToStd(text));
    return entry;
}

} // namespace

class TestSortKeys final : public QObject
{
    Q_OBJECT

private slots:
    void sortableColumns_data();
    void sortableColumns();
    void keyIsReadInTheRowsLayout_data();
    void keyIsReadInTheRowsLayout();
    void keysCompareAsUnsignedText_data();
    void keysCompareAsUnsignedText();
    void entriesCompareByColumnAndDirection_data();
    void entriesCompareByColumnAndDirection();
};

void TestSortKeys::sortableColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("sortable");

    QTest::newRow("none") << -1 << false;
    QTest::newRow("No") << 0 << false;
    QTest::newRow("Device Name") << 1 << true;
    QTest::newRow("Alias") << 2 << false;
    QTest::newRow("Mode") << 3 << false;
    QTest::newRow("MAC Address") << 4 << true;
    QTest::newRow("IP Address") << 5 << true;
    QTest::newRow("Protocol") << 6 << false;
    QTest::newRow("URL") << 7 << false;
    QTest::newRow("past the last column") << 8 << false;
}

void TestSortKeys::sortableColumns()
{
    QFETCH(int, column);
    QFETCH(bool, sortable);
    QCOMPARE(IsSortableColumn(column), sortable);
}

// The field bytes are placed at the offset the device sends them at; every other byte of the reply
// is 'B', so a key that runs past its field, or reads another layout's offset, shows 'B's.
void TestSortKeys::keyIsReadInTheRowsLayout_data()
{
    QTest::addColumn<PacketKind>("kind");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("fieldBytes");
    QTest::addColumn<QByteArray>("key");

    const auto cam = PacketKind::KindCamera;
    const auto v6 = PacketKind::KindCameraIPv6;
    const auto nvr = PacketKind::KindRecorder;
    const QByteArray fullModel(11, 'M');
    const QByteArray fullMac(18, 'A');
    const QByteArray fullIp(16, '9');
    const QByteArray nul(1, '\0');

    QTest::newRow("camera model") << cam << 1 << 109 << QByteArray("IPC-100") + nul << QByteArray("IPC-100");
    QTest::newRow("IPv6 camera model") << v6 << 1 << 149 << QByteArray("IPC-6") + nul << QByteArray("IPC-6");
    QTest::newRow("recorder model") << nvr << 1 << 113 << QByteArray("NVR-16") + nul << QByteArray("NVR-16");
    QTest::newRow("camera model without NUL") << cam << 1 << 109 << fullModel << fullModel;
    QTest::newRow("recorder model without NUL") << nvr << 1 << 113 << fullModel << fullModel;
    QTest::newRow("camera MAC") << cam << 4 << 19 << QByteArray("00:1A:2B:3C:4D:5E") + nul
                                << QByteArray("00:1A:2B:3C:4D:5E");
    QTest::newRow("IPv6 camera MAC without NUL") << v6 << 4 << 19 << fullMac << fullMac;
    QTest::newRow("recorder MAC without NUL") << nvr << 4 << 23 << fullMac << fullMac;
    QTest::newRow("camera IP") << cam << 5 << 37 << QByteArray("192.168.0.10") + nul
                               << QByteArray("192.168.0.10");
    QTest::newRow("IPv6 camera IP") << v6 << 5 << 37 << QByteArray("10.0.0.2") + nul
                                    << QByteArray("10.0.0.2");
    QTest::newRow("recorder IP") << nvr << 5 << 41 << QByteArray("172.16.1.1") + nul
                                 << QByteArray("172.16.1.1");
    QTest::newRow("camera IP without NUL") << cam << 5 << 37 << fullIp << fullIp;
    QTest::newRow("recorder IP without NUL") << nvr << 5 << 41 << fullIp << fullIp;
    QTest::newRow("empty field") << cam << 4 << 19 << nul << QByteArray();
    QTest::newRow("text stops at the first NUL")
        << nvr << 1 << 113 << QByteArray("AB") + nul + "CD" + nul << QByteArray("AB");
}

void TestSortKeys::keyIsReadInTheRowsLayout()
{
    QFETCH(PacketKind, kind);
    QFETCH(int, column);
    QFETCH(int, offset);
    QFETCH(QByteArray, fieldBytes);
    QFETCH(QByteArray, key);

    std::vector<std::uint8_t> reply(LongFormSize(kind), 'B');
    std::copy(fieldBytes.begin(), fieldBytes.end(), reply.begin() + offset);
    const auto field = SortFieldOfColumn(column);
    QVERIFY(field.has_value());
    QCOMPARE(QByteArray::fromStdString(SortKey(kind, reply, *field)), key);
}

void TestSortKeys::keysCompareAsUnsignedText_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<int>("order");

    QTest::newRow("IP as text: 100 before 20") << QByteArray("10.0.0.100") << QByteArray("10.0.0.20") << -1;
    QTest::newRow("IP as text: .10 before .9")
        << QByteArray("192.168.0.10") << QByteArray("192.168.0.9") << -1;
    QTest::newRow("IP as text: dot before digit") << QByteArray("1.0.0.20") << QByteArray("10.0.0.2") << -1;
    QTest::newRow("upper case before lower case") << QByteArray("IPC") << QByteArray("ipc") << -1;
    QTest::newRow("Z before a") << QByteArray("Z") << QByteArray("a") << -1;
    QTest::newRow("MAC digits before letters") << QByteArray("00:1A") << QByteArray("00:A1") << -1;
    QTest::newRow("0xE9 after z") << QByteArray("\xE9") << QByteArray("z") << 1;
    QTest::newRow("0x80 after 0x7F") << QByteArray("A\x80") << QByteArray("A\x7F") << 1;
    QTest::newRow("0xFF after 0xFE") << QByteArray("\xFF") << QByteArray("\xFE") << 1;
    QTest::newRow("prefix is smaller") << QByteArray("ABC") << QByteArray("ABCD") << -1;
    QTest::newRow("empty is smallest") << QByteArray() << QByteArray("A") << -1;
    QTest::newRow("equal keys") << QByteArray("00:11:22:33:44:55") << QByteArray("00:11:22:33:44:55") << 0;
    QTest::newRow("both empty") << QByteArray() << QByteArray() << 0;
}

void TestSortKeys::keysCompareAsUnsignedText()
{
    QFETCH(QByteArray, a);
    QFETCH(QByteArray, b);
    QFETCH(int, order);
    QCOMPARE(Sign(CompareSortKeys(ToStd(a), ToStd(b))), order);
    QCOMPARE(Sign(CompareSortKeys(ToStd(b), ToStd(a))), -order);
}

void TestSortKeys::entriesCompareByColumnAndDirection_data()
{
    QTest::addColumn<PacketKind>("kindA");
    QTest::addColumn<QByteArray>("textA");
    QTest::addColumn<PacketKind>("kindB");
    QTest::addColumn<QByteArray>("textB");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("ascending");
    QTest::addColumn<int>("order");

    const auto cam = PacketKind::KindCamera;
    const auto v6 = PacketKind::KindCameraIPv6;
    const auto nvr = PacketKind::KindRecorder;

    QTest::newRow("IP ascending") << cam << QByteArray("10.0.0.100") << cam << QByteArray("10.0.0.20") << 5
                                  << 1 << -1;
    QTest::newRow("IP descending swaps")
        << cam << QByteArray("10.0.0.100") << cam << QByteArray("10.0.0.20") << 5 << 0 << 1;
    QTest::newRow("model of IPv6 camera against camera")
        << v6 << QByteArray("IPC-2") << cam << QByteArray("NVR-8") << 1 << 1 << -1;
    QTest::newRow("model of recorder read in its own layout")
        << nvr << QByteArray("Z") << cam << QByteArray("B") << 1 << 1 << 1;
    QTest::newRow("MAC of recorder against IPv6 camera")
        << nvr << QByteArray("00:0A") << v6 << QByteArray("00:0B") << 4 << 1 << -1;
    QTest::newRow("MAC descending") << nvr << QByteArray("00:0A") << v6 << QByteArray("00:0B") << 4 << 0 << 1;
    QTest::newRow("equal keys ascending")
        << cam << QByteArray("1.1.1.1") << nvr << QByteArray("1.1.1.1") << 5 << 1 << 0;
    QTest::newRow("equal keys descending")
        << v6 << QByteArray("1.1.1.1") << nvr << QByteArray("1.1.1.1") << 5 << 0 << 0;
    QTest::newRow("any non-zero direction is ascending")
        << cam << QByteArray("A") << cam << QByteArray("B") << 1 << 7 << -1;
}

void TestSortKeys::entriesCompareByColumnAndDirection()
{
    QFETCH(PacketKind, kindA);
    QFETCH(QByteArray, textA);
    QFETCH(PacketKind, kindB);
    QFETCH(QByteArray, textB);
    QFETCH(int, column);
    QFETCH(int, ascending);
    QFETCH(int, order);

    const DeviceEntry a = MakeEntry(kindA, column, textA);
    const DeviceEntry b = MakeEntry(kindB, column, textB);
    QCOMPARE(Sign(CompareEntries(a, b, column, ascending)), order);
}

QTEST_APPLESS_MAIN(TestSortKeys)
#include "tst_sortkeys.moc"
