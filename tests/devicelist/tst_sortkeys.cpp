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

// The reply field the tables below put a column's text in.
PacketField FieldOfColumn(int column)
{
    return column == 1   ? PacketField::ModelName
           : column == 4 ? PacketField::MacAddress
                         : PacketField::IpAddress;
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
    void columnKeys_data();
    void columnKeys();
    void numbersAndModels();
};

void TestSortKeys::sortableColumns_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("sortable");

    QTest::newRow("none") << -1 << false;
    QTest::newRow("No") << 0 << true;
    QTest::newRow("Device Name") << 1 << true;
    QTest::newRow("Alias") << 2 << true;
    QTest::newRow("Mode") << 3 << true;
    QTest::newRow("MAC Address") << 4 << true;
    QTest::newRow("IP Address") << 5 << true;
    QTest::newRow("Protocol") << 6 << true;
    QTest::newRow("URL") << 7 << true;
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
    QCOMPARE(QByteArray::fromStdString(SortKey(kind, reply, FieldOfColumn(column))), key);
}

void TestSortKeys::keysCompareAsUnsignedText_data()
{
    QTest::addColumn<QByteArray>("a");
    QTest::addColumn<QByteArray>("b");
    QTest::addColumn<int>("order");

    QTest::newRow("digits as text: 100 before 20")
        << QByteArray("10.0.0.100") << QByteArray("10.0.0.20") << -1;
    QTest::newRow("digits as text: .10 before .9")
        << QByteArray("192.168.0.10") << QByteArray("192.168.0.9") << -1;
    QTest::newRow("digits as text: dot before digit")
        << QByteArray("1.0.0.20") << QByteArray("10.0.0.2") << -1;
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

void TestSortKeys::columnKeys_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QByteArray>("textA");
    QTest::addColumn<QByteArray>("textB");
    QTest::addColumn<int>("order");

    QTest::newRow("IP by numbers: .9 before .10")
        << 5 << QByteArray("192.168.1.9") << QByteArray("192.168.1.10") << -1;
    QTest::newRow("IP by numbers: 2 before 10") << 5 << QByteArray("2.0.0.0") << QByteArray("10.0.0.0") << -1;
    QTest::newRow("IP with leading zeros")
        << 5 << QByteArray("192.168.001.005") << QByteArray("192.168.1.5") << 0;
    QTest::newRow("IP before a text that is none")
        << 5 << QByteArray("255.255.255.255") << QByteArray("1.2.3") << -1;
    QTest::newRow("IP out of range is text") << 5 << QByteArray("300.1.1.1") << QByteArray("9.9.9.9") << 1;
    QTest::newRow("MAC by bytes, case aside")
        << 4 << QByteArray("00:1a:2B:00:00:0A") << QByteArray("00:1A:2b:00:00:09") << 1;
    QTest::newRow("MAC with dashes") << 4 << QByteArray("00-1A-2B-00-00-01")
                                     << QByteArray("00:1A:2B:00:00:02") << -1;
    QTest::newRow("MAC before one that is none")
        << 4 << QByteArray("FF:FF:FF:FF:FF:FF") << QByteArray("00:1A") << -1;
    QTest::newRow("Alias as text") << 2 << QByteArray("Gate") << QByteArray("gate") << -1;
    QTest::newRow("Mode as text") << 3 << QByteArray("Dynamic") << QByteArray("Static") << -1;
}

void TestSortKeys::columnKeys()
{
    QFETCH(int, column);
    QFETCH(QByteArray, textA);
    QFETCH(QByteArray, textB);
    QFETCH(int, order);
    const std::string a = ColumnSortKey(column, nullptr, ToStd(textA), 0);
    const std::string b = ColumnSortKey(column, nullptr, ToStd(textB), 0);
    QCOMPARE(Sign(CompareSortKeys(a, b)), order);
    QCOMPARE(Sign(CompareSortKeys(b, a)), -order);
}

void TestSortKeys::numbersAndModels()
{
    // No by the row's number, not its text; Device Name by the reply's whole model field.
    QCOMPARE(Sign(CompareSortKeys(ColumnSortKey(0, nullptr, {}, 9), ColumnSortKey(0, nullptr, {}, 10))), -1);
    DeviceEntry a;
    a.kind = PacketKind::KindRecorder;
    a.reply.assign(LongFormSize(a.kind), 0);
    WriteText(a.kind, a.reply, PacketField::ModelName, "NVR-1600-B");
    QCOMPARE(ColumnSortKey(1, &a, "NVR-1600", 0), std::string("NVR-1600-B"));
}

QTEST_APPLESS_MAIN(TestSortKeys)
#include "tst_sortkeys.moc"
