#include "autoset/NeighbourTable.h"

#include <QTest>

using namespace Netrove;

namespace {

const char kTitle[] = "IP address       HW type     Flags       HW address            Mask     Device\n";

// A line as the kernel writes it.
std::string Line(const char* address, const char* flags, const char* hardware, const char* device = "lab0")
{
    char line[160] = {};
    std::snprintf(line, sizeof(line), "%-16s 0x%-10s%-11s %-17s     *        %s\n", address, "1", flags,
                  hardware, device);
    return line;
}

} // namespace

class TestNeighbourTable final : public QObject
{
    Q_OBJECT

private slots:
    void resolved_data();
    void resolved();
    void everyPrefixOfATable();
};

void TestNeighbourTable::resolved_data()
{
    QTest::addColumn<QByteArray>("table");
    QTest::addColumn<QStringList>("resolved");

    const std::string title = kTitle;
    const auto table = [&title](const std::string& lines) {
        return QByteArray::fromStdString(title + lines);
    };

    QTest::newRow("reachable") << table(Line("192.168.1.254", "0x2", "02:00:00:00:00:fe"))
                               << QStringList{u"192.168.1.254"_qs};
    QTest::newRow("permanent") << table(Line("192.168.1.253", "0x6", "02:00:00:00:00:FD"))
                               << QStringList{u"192.168.1.253"_qs};
    QTest::newRow("incomplete or failed: no flag, zero address")
        << table(Line("192.168.1.252", "0x0", "00:00:00:00:00:00")) << QStringList{};
    QTest::newRow("flag without an address")
        << table(Line("192.168.1.252", "0x2", "00:00:00:00:00:00")) << QStringList{};
    QTest::newRow("address without the flag")
        << table(Line("192.168.1.252", "0x0", "02:00:00:00:00:fc")) << QStringList{};
    QTest::newRow("proxy entry") << table(Line("192.168.1.251", "0xc", "00:00:00:00:00:00")) << QStringList{};
    // An adapter without hardware addresses leaves the column blank, so the mask's "*" stands there.
    QTest::newRow("adapter without hardware addresses")
        << table(Line("10.8.0.1", "0x2", "", "tun0")) << QStringList{};
    QTest::newRow("several, in order") << table(Line("192.168.1.254", "0x2", "02:00:00:00:00:fe") +
                                                Line("192.168.1.250", "0x0", "00:00:00:00:00:00") +
                                                Line("10.0.5.254", "0x2", "02:00:00:00:05:fe", "lab1"))
                                       << QStringList{u"192.168.1.254"_qs, u"10.0.5.254"_qs};
    QTest::newRow("title only") << table("") << QStringList{};
    QTest::newRow("empty") << QByteArray() << QStringList{};
    QTest::newRow("no line end at the end")
        << QByteArray("192.168.1.254    0x1         0x2         02:00:00:00:00:fe     *        lab0")
        << QStringList{u"192.168.1.254"_qs};

    QTest::newRow("cut after the flags") << QByteArray("192.168.1.254    0x1         0x2\n") << QStringList{};
    QTest::newRow("address out of range")
        << table(Line("192.168.1.256", "0x2", "02:00:00:00:00:fe")) << QStringList{};
    QTest::newRow("flags not hex") << table(Line("192.168.1.254", "2", "02:00:00:00:00:fe")) << QStringList{};
    QTest::newRow("hardware address not hex")
        << table(Line("192.168.1.254", "0x2", "02:00:00:00:00:fg")) << QStringList{};
    QTest::newRow("tabs and blank lines")
        << QByteArray("\n\n192.168.1.254\t0x1\t0x2\t02:00:00:00:00:fe\t*\tlab0\n\n")
        << QStringList{u"192.168.1.254"_qs};
}

void TestNeighbourTable::resolved()
{
    QFETCH(QByteArray, table);
    QFETCH(QStringList, resolved);

    QStringList found;
    for (const Ipv4Octets& address : ResolvedNeighbours(std::string_view(table.constData(), table.size())))
        found << QString::fromStdString(FormatDottedQuad(address));
    QCOMPARE(found, resolved);
}

// A line cut short names no address, wherever it ends: not even at a byte of the hardware address.
// No prefix is read past its end (the sanitizers watch the copy, which is exactly as long).
void TestNeighbourTable::everyPrefixOfATable()
{
    const std::string table = kTitle + Line("192.168.1.254", "0x2", "02:00:00:00:00:fe");
    const std::size_t complete = table.find("lab0") + 1;
    for (std::size_t size = 0; size <= table.size(); ++size) {
        const std::vector<char> prefix(table.begin(), table.begin() + std::ptrdiff_t(size));
        const auto found = ResolvedNeighbours(std::string_view(prefix.data(), prefix.size()));
        QCOMPARE(found.size(), size >= complete ? std::size_t(1) : std::size_t(0));
    }
}

QTEST_APPLESS_MAIN(TestNeighbourTable)
#include "tst_neighbourtable.moc"
