#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "devicelist/WarningColour.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "res/Strings.h"

#include <QBrush>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::PacketKind)

namespace {

// What a list may allocate of its own while it frees a row; far below the entries' big blocks.
constexpr std::size_t kSlack = 64 * 1024;

std::size_t AllocatedBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    const auto info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

struct Device
{
    const char* model;
    const char* mac;
    const char* ip;
};

std::unique_ptr<DeviceEntry> MakeEntry(PacketKind kind, const Device& device)
{
    auto entry = std::make_unique<DeviceEntry>();
    entry->kind = kind;
    entry->reply.assign(LongFormSize(kind), 0);
    WriteText(kind, entry->reply, PacketField::ModelName, device.model);
    WriteText(kind, entry->reply, PacketField::MacAddress, device.mac);
    WriteText(kind, entry->reply, PacketField::IpAddress, device.ip);
    return entry;
}

// The row the reply handling makes for a device; number 0 lets the list number the row.
NewDeviceRow MakeRow(std::unique_ptr<DeviceEntry> entry, const Device& device, int number = 0)
{
    NewDeviceRow row;
    row.entry = std::move(entry);
    row.number = number;
    row.texts = {QString(),
                 QString::fromLatin1(device.model),
                 QString(),
                 QStringLiteral("Static"),
                 QString::fromLatin1(device.mac),
                 QString::fromLatin1(device.ip),
                 QStringLiteral("IPv4"),
                 QString()};
    return row;
}

NewDeviceRow MakeRow(PacketKind kind, const Device& device, int number = 0)
{
    return MakeRow(MakeEntry(kind, device), device, number);
}

int Append(CNetroveListCtrl& list, const Device& device, PacketKind kind = PacketKind::KindCamera)
{
    return list.Rows().InsertDeviceRow(list.Rows().rowCount(), MakeRow(kind, device));
}

QStringList ColumnTexts(const CNetroveListCtrl& list, int column)
{
    QStringList texts;
    for (int row = 0; row < list.Rows().rowCount(); ++row)
        texts << list.Rows().Text(row, column);
    return texts;
}

QStringList EntryIps(const CNetroveListCtrl& list)
{
    QStringList ips;
    for (int row = 0; row < list.Rows().rowCount(); ++row) {
        const DeviceEntry* entry = list.Rows().EntryAt(row);
        ips << (entry ? QString::fromStdString(ReadText(entry->kind, entry->reply, PacketField::IpAddress))
                      : QStringLiteral("<none>"));
    }
    return ips;
}

QStringList Numbers(int count)
{
    QStringList numbers;
    for (int i = 1; i <= count; ++i)
        numbers << QStringLiteral("  %1").arg(i);
    return numbers;
}

// Three devices whose orders by name, MAC and IP all differ from the order they answered in.
const Device kFirst{"b-cam", "00:00:00:00:00:03", "10.0.0.20"};
const Device kSecond{"C-nvr", "00:00:00:00:00:01", "10.0.0.100"};
const Device kThird{"a-ipv6", "00:00:00:00:00:02", "192.168.0.9"};

void AddThree(CNetroveListCtrl& list)
{
    Append(list, kFirst, PacketKind::KindCamera);
    Append(list, kSecond, PacketKind::KindRecorder);
    Append(list, kThird, PacketKind::KindCameraIPv6);
}

} // namespace

class TestDeviceListCtrl final : public QObject
{
    Q_OBJECT

private slots:
    void toggleSort_data();
    void toggleSort();
    void searchResetKeepsTheListsSort();
    void headerClickSortsEveryColumn();
    void rowAfterSortIsAppendedWithNextNumber();
    void replacementByMacKeepsPosition();
    void findRowByMac_data();
    void findRowByMac();
    void entryAt_data();
    void entryAt();
    void replyIsStoredAtItsLongFormSize_data();
    void replyIsStoredAtItsLongFormSize();
    void removingRowFreesItsEntry();
    void clearingFreesEveryEntryAndKeepsColumns();
    void clearingEmptyListLeavesItUntouched();
    void selectionFollowsItsDeviceAcrossSort();
    void sortingEmptyList();
    void scrollToLastRowKeepsSidewaysPosition();
    void warningColourStandsOutOnItsBase_data();
    void warningColourStandsOutOnItsBase();
};

void TestDeviceListCtrl::toggleSort_data()
{
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<int>("listColumn");
    QTest::addColumn<int>("listAscending");
    QTest::addColumn<int>("headerColumn");
    QTest::addColumn<int>("headerAscending");
    QTest::addColumn<QStringList>("ips");

    const QString a = QString::fromLatin1(kFirst.ip);
    const QString b = QString::fromLatin1(kSecond.ip);
    const QString c = QString::fromLatin1(kThird.ip);

    // IP addresses sort by their four numbers: 10.0.0.20, 10.0.0.100, 192.168.0.9.
    QTest::newRow("first click ascending") << QList<int>{5} << 5 << 1 << 5 << 1 << QStringList{a, b, c};
    QTest::newRow("second click descending") << QList<int>{5, 5} << 5 << 0 << 5 << 0 << QStringList{c, b, a};
    QTest::newRow("third click ascending") << QList<int>{5, 5, 5} << 5 << 1 << 5 << 1 << QStringList{a, b, c};
    QTest::newRow("another column starts ascending")
        << QList<int>{5, 5, 1} << 1 << 1 << 1 << 1 << QStringList{b, c, a};
    QTest::newRow("by MAC") << QList<int>{4} << 4 << 1 << 4 << 1 << QStringList{b, c, a};
    QTest::newRow("equal texts keep their order")
        << QList<int>{5, 5, 3} << 3 << 1 << 3 << 1 << QStringList{c, b, a};
    QTest::newRow("No by number, then back")
        << QList<int>{5, 5, 0, 0} << 0 << 0 << 0 << 0 << QStringList{a, b, c};
}

void TestDeviceListCtrl::toggleSort()
{
    QFETCH(QList<int>, clicks);
    QFETCH(int, listColumn);
    QFETCH(int, listAscending);
    QFETCH(int, headerColumn);
    QFETCH(int, headerAscending);
    QFETCH(QStringList, ips);

    CNetroveListCtrl list;
    AddThree(list);
    for (int column : clicks)
        list.ToggleSort(column);

    QCOMPARE(list.m_nSortColumn, listColumn);
    QCOMPARE(list.m_bSortAscending, listAscending);
    QCOMPARE(list.Header().m_nSortColumn, headerColumn);
    QCOMPARE(list.Header().m_bSortAscending, headerAscending);
    QCOMPARE(ColumnTexts(list, ColumnIp), ips);
    // The entries travel with their rows.
    QCOMPARE(EntryIps(list), ips);
    QCOMPARE(ColumnTexts(list, ColumnNo), Numbers(3));
    QCOMPARE(list.Header().SortTriangleColumn(), headerColumn);
}

void TestDeviceListCtrl::searchResetKeepsTheListsSort()
{
    CNetroveListCtrl list;
    AddThree(list);
    list.ToggleSort(ColumnIp);

    list.Header().SetSortIndicator(-1, 0);
    QCOMPARE(list.Header().SortTriangleColumn(), -1);
    QCOMPARE(list.m_nSortColumn, int(ColumnIp));
    QCOMPARE(list.m_bSortAscending, 1);

    list.ToggleSort(ColumnIp);
    QCOMPARE(list.m_bSortAscending, 0);
    QCOMPARE(ColumnTexts(list, ColumnIp),
             (QStringList{QStringLiteral("192.168.0.9"), QStringLiteral("10.0.0.100"),
                          QStringLiteral("10.0.0.20")}));
    QCOMPARE(list.Header().SortTriangleColumn(), int(ColumnIp));
    QCOMPARE(list.Header().m_bSortAscending, 0);
}

void TestDeviceListCtrl::headerClickSortsEveryColumn()
{
    CNetroveListCtrl list;
    AddThree(list);
    CNetroveHeaderCtrl& header = list.Header();
    connect(&header, &QHeaderView::sectionClicked, &list, &CNetroveListCtrl::ToggleSort);
    list.resize(900, 200);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    const auto click = [&header](int column) {
        const QPoint at(header.sectionViewportPosition(column) + header.sectionSize(column) / 2,
                        header.height() / 2);
        QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, at);
    };

    click(ColumnIp);
    QCOMPARE(list.m_nSortColumn, int(ColumnIp));
    QCOMPARE(header.SortTriangleColumn(), int(ColumnIp));

    for (int column : {int(ColumnMode), int(ColumnNo)}) {
        click(column);
        QCOMPARE(list.m_nSortColumn, column);
        QCOMPARE(header.SortTriangleColumn(), column);
        QCOMPARE(header.m_bSortAscending, 1);
        QVERIFY(header.IsOwnerDrawn(column));
    }

    click(ColumnIp);
    QCOMPARE(list.m_bSortAscending, 1);
    QCOMPARE(header.m_bSortAscending, 1);
    click(ColumnIp);
    QCOMPARE(list.m_bSortAscending, 0);
    QCOMPARE(header.SortTriangleColumn(), int(ColumnIp));
    QCOMPARE(header.m_bSortAscending, 0);
}

void TestDeviceListCtrl::rowAfterSortIsAppendedWithNextNumber()
{
    CNetroveListCtrl list;
    AddThree(list);
    list.ToggleSort(ColumnIp);
    const QStringList sorted = ColumnTexts(list, ColumnIp);

    // It would sort first, but rows that answer after a sort go to the bottom.
    const Device late{"late", "00:00:00:00:00:09", "1.0.0.1"};
    QCOMPARE(Append(list, late), 3);

    QCOMPARE(ColumnTexts(list, ColumnNo), Numbers(4));
    QCOMPARE(ColumnTexts(list, ColumnIp), sorted + QStringList{QStringLiteral("1.0.0.1")});
    QCOMPARE(EntryIps(list), ColumnTexts(list, ColumnIp));
}

void TestDeviceListCtrl::replacementByMacKeepsPosition()
{
    CNetroveListCtrl list;
    AddThree(list);
    list.ToggleSort(ColumnIp);
    list.ToggleSort(ColumnIp); // 192.168.0.9, 10.0.0.100, 10.0.0.20

    // The device in the middle answers again with a new address.
    const Device again{"C-nvr", kSecond.mac, "10.0.0.55"};
    const int position = list.Rows().FindRowByMac(QString::fromLatin1(again.mac));
    QCOMPARE(position, 1);
    list.Rows().RemoveDeviceRow(position);
    QCOMPARE(list.Rows().rowCount(), 2);
    QCOMPARE(list.Rows().InsertDeviceRow(position, MakeRow(PacketKind::KindCamera, again, position + 1)),
             position);

    const QStringList ips{QStringLiteral("192.168.0.9"), QStringLiteral("10.0.0.55"),
                          QStringLiteral("10.0.0.20")};
    QCOMPARE(ColumnTexts(list, ColumnIp), ips);
    QCOMPARE(EntryIps(list), ips);
    QCOMPARE(ColumnTexts(list, ColumnNo), Numbers(3));
    QCOMPARE(list.Rows().FindRowByMac(QString::fromLatin1(kSecond.mac)), 1);
}

void TestDeviceListCtrl::findRowByMac_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<int>("row");

    QTest::newRow("exact") << QStringLiteral("00:1A:2B:3C:4D:5E") << 0;
    QTest::newRow("first of two equal") << QStringLiteral("AA:BB:CC:DD:EE:FF") << 1;
    QTest::newRow("case differs") << QStringLiteral("aa:bb:cc:dd:ee:ff") << -1;
    QTest::newRow("prefix only") << QStringLiteral("00:1A:2B") << -1;
    QTest::newRow("trailing space") << QStringLiteral("00:1A:2B:3C:4D:5E ") << -1;
    QTest::newRow("empty") << QString() << -1;
    // Only the MAC column counts, not a text in another column.
    QTest::newRow("IP text") << QStringLiteral("10.0.0.1") << -1;
}

void TestDeviceListCtrl::findRowByMac()
{
    QFETCH(QString, mac);
    QFETCH(int, row);

    CNetroveListCtrl list;
    Append(list, {"one", "00:1A:2B:3C:4D:5E", "10.0.0.1"});
    Append(list, {"two", "AA:BB:CC:DD:EE:FF", "10.0.0.2"});
    Append(list, {"three", "AA:BB:CC:DD:EE:FF", "10.0.0.3"});
    QCOMPARE(list.Rows().FindRowByMac(mac), row);
}

void TestDeviceListCtrl::entryAt_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("ip");

    QTest::newRow("before the first") << -1 << QString();
    QTest::newRow("first") << 0 << QString::fromLatin1(kFirst.ip);
    QTest::newRow("last") << 2 << QString::fromLatin1(kThird.ip);
    QTest::newRow("one past the last") << 3 << QString();
    QTest::newRow("far past the last") << 1000 << QString();
}

void TestDeviceListCtrl::entryAt()
{
    QFETCH(int, row);
    QFETCH(QString, ip);

    CNetroveListCtrl list;
    AddThree(list);
    const DeviceEntry* entry = list.Rows().EntryAt(row);
    QCOMPARE(entry != nullptr, !ip.isEmpty());
    if (entry)
        QCOMPARE(QString::fromStdString(ReadText(entry->kind, entry->reply, PacketField::IpAddress)), ip);
}

void TestDeviceListCtrl::replyIsStoredAtItsLongFormSize_data()
{
    QTest::addColumn<PacketKind>("kind");
    QTest::addColumn<int>("received");

    QTest::newRow("short camera reply") << PacketKind::KindCamera << 262;
    QTest::newRow("full camera reply") << PacketKind::KindCamera << 326;
    QTest::newRow("short IPv6 reply") << PacketKind::KindCameraIPv6 << 302;
    QTest::newRow("recorder reply") << PacketKind::KindRecorder << 334;
    QTest::newRow("oversized buffer") << PacketKind::KindRecorder << 400;
}

void TestDeviceListCtrl::replyIsStoredAtItsLongFormSize()
{
    QFETCH(PacketKind, kind);
    QFETCH(int, received);

    auto entry = std::make_unique<DeviceEntry>();
    entry->kind = kind;
    entry->reply.assign(static_cast<std::size_t>(received), 0x5A);

    CNetroveListCtrl list;
    list.Rows().InsertDeviceRow(0, MakeRow(std::move(entry), kFirst));
    const DeviceEntry* stored = list.Rows().EntryAt(0);
    QVERIFY(stored);
    QCOMPARE(stored->kind, kind);
    const std::size_t longForm = LongFormSize(kind);
    QCOMPARE(stored->reply.size(), longForm);
    const std::size_t kept = std::min(longForm, static_cast<std::size_t>(received));
    for (std::size_t i = 0; i < longForm; ++i)
        QCOMPARE(stored->reply[i], i < kept ? std::uint8_t{0x5A} : std::uint8_t{0});
}

// An entry whose reply holds a large allocation makes its freeing visible in the heap's total.
void TestDeviceListCtrl::removingRowFreesItsEntry()
{
    constexpr std::size_t kBig = 8u << 20;
    CNetroveListCtrl list;
    AddThree(list);
    auto entry = MakeEntry(PacketKind::KindCamera, {"big", "00:00:00:00:00:0B", "10.0.0.9"});
    entry->reply.reserve(kBig);
    list.Rows().InsertDeviceRow(1, MakeRow(std::move(entry), {"big", "00:00:00:00:00:0B", "10.0.0.9"}));

    const std::size_t before = AllocatedBytes();
    list.Rows().RemoveDeviceRow(1);
    const std::size_t after = AllocatedBytes();
    // The list may allocate a little anew (its MAC index) while the big block goes.
    QVERIFY2(before + kSlack >= after + kBig,
             qPrintable(QStringLiteral("heap went from %1 to %2 bytes").arg(before).arg(after)));
    QCOMPARE(EntryIps(list), (QStringList{QString::fromLatin1(kFirst.ip), QString::fromLatin1(kSecond.ip),
                                          QString::fromLatin1(kThird.ip)}));

    // A row index outside the list removes nothing.
    list.Rows().RemoveDeviceRow(-1);
    list.Rows().RemoveDeviceRow(3);
    QCOMPARE(list.Rows().rowCount(), 3);
}

void TestDeviceListCtrl::clearingFreesEveryEntryAndKeepsColumns()
{
    constexpr std::size_t kBig = 4u << 20;
    CNetroveListCtrl list;
    for (int i = 0; i < 3; ++i) {
        const Device device{"big", "00:00:00:00:00:0B", "10.0.0.9"};
        auto entry = MakeEntry(PacketKind::KindRecorder, device);
        entry->reply.reserve(kBig);
        list.Rows().InsertDeviceRow(i, MakeRow(std::move(entry), device));
    }

    const std::size_t before = AllocatedBytes();
    list.Rows().ClearDeviceList();
    const std::size_t after = AllocatedBytes();
    QVERIFY2(before + kSlack >= after + 3 * kBig,
             qPrintable(QStringLiteral("heap went from %1 to %2 bytes").arg(before).arg(after)));
    QCOMPARE(list.Rows().rowCount(), 0);
    QCOMPARE(list.Rows().EntryAt(0), nullptr);
    QCOMPARE(list.Rows().columnCount(), int(ColumnCount));
    QCOMPARE(list.model()->headerData(ColumnMac, Qt::Horizontal).toString(),
             LoadString(kDeviceListColumns[ColumnMac].titleId));

    // The list fills again after a search.
    QCOMPARE(Append(list, kFirst), 0);
    QCOMPARE(ColumnTexts(list, ColumnNo), Numbers(1));
}

void TestDeviceListCtrl::clearingEmptyListLeavesItUntouched()
{
    CNetroveListCtrl list;
    QSignalSpy reset(list.model(), &QAbstractItemModel::modelReset);
    QSignalSpy removed(list.model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy headerChanged(list.model(), &QAbstractItemModel::headerDataChanged);

    list.Rows().ClearDeviceList();

    QCOMPARE(list.Rows().rowCount(), 0);
    QCOMPARE(reset.count(), 0);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(headerChanged.count(), 0);
    QCOMPARE(list.model()->headerData(ColumnIp, Qt::Horizontal).toString(),
             LoadString(kDeviceListColumns[ColumnIp].titleId));
}

void TestDeviceListCtrl::selectionFollowsItsDeviceAcrossSort()
{
    CNetroveListCtrl list;
    AddThree(list);
    QCOMPARE(list.SelectedRow(), -1);

    list.selectRow(0); // 10.0.0.20
    QCOMPARE(list.SelectedRow(), 0);
    list.ToggleSort(ColumnIp);
    list.ToggleSort(ColumnIp); // 192.168.0.9, 10.0.0.100, 10.0.0.20
    QCOMPARE(list.SelectedRow(), 2);
    QCOMPARE(list.Rows().Text(list.SelectedRow(), ColumnIp), QString::fromLatin1(kFirst.ip));

    list.clearSelection();
    QCOMPARE(list.SelectedRow(), -1);
}

void TestDeviceListCtrl::sortingEmptyList()
{
    CNetroveListCtrl list;
    list.ToggleSort(ColumnDeviceName);
    QCOMPARE(list.Rows().rowCount(), 0);
    QCOMPARE(list.m_nSortColumn, int(ColumnDeviceName));
    QCOMPARE(list.Header().SortTriangleColumn(), int(ColumnDeviceName));
}

void TestDeviceListCtrl::scrollToLastRowKeepsSidewaysPosition()
{
    CNetroveListCtrl list;
    list.resize(300, 150);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.ScrollToLastRow(); // nothing to show yet

    for (int i = 0; i < 40; ++i)
        Append(list, kFirst);
    list.horizontalScrollBar()->setValue(list.horizontalScrollBar()->maximum());
    const int sideways = list.horizontalScrollBar()->value();
    QVERIFY(sideways > 0);

    const auto lastRowVisible = [&list] {
        const QRect last = list.visualRect(list.model()->index(list.Rows().rowCount() - 1, ColumnNo));
        return last.bottom() >= 0 && last.top() < list.viewport()->height();
    };
    QVERIFY(!lastRowVisible());

    list.ScrollToLastRow();
    QVERIFY(lastRowVisible());
    QCOMPARE(list.horizontalScrollBar()->value(), sideways);
}

void TestDeviceListCtrl::warningColourStandsOutOnItsBase_data()
{
    QTest::addColumn<QColor>("base");
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("warning");
    QTest::newRow("light scheme") << QColor(Qt::white) << QColor(Qt::black) << QColor(0xB0, 0x00, 0x20);
    QTest::newRow("grey light scheme")
        << QColor(0xF0, 0xF0, 0xF0) << QColor(Qt::black) << QColor(0xB0, 0x00, 0x20);
    QTest::newRow("dark scheme") << QColor(0x1E, 0x1E, 0x1E) << QColor(0xE0, 0xE0, 0xE0)
                                 << QColor(0xFF, 0x8A, 0x80);
    QTest::newRow("black") << QColor(Qt::black) << QColor(Qt::white) << QColor(0xFF, 0x8A, 0x80);
}

void TestDeviceListCtrl::warningColourStandsOutOnItsBase()
{
    QFETCH(QColor, base);
    QFETCH(QColor, text);
    QFETCH(QColor, warning);
    CNetroveListCtrl list;
    Append(list, kFirst);
    Append(list, Device{"other", "00:00:00:00:00:09", kFirst.ip});
    QPalette palette = list.palette();
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::Text, text);
    list.setPalette(palette);

    // The shared address of both rows is drawn in the scheme's warning colour, as legible as text
    // and unlike it.
    for (int row = 0; row < 2; ++row)
        QCOMPARE(list.Rows().index(row, ColumnIp).data(Qt::ForegroundRole).value<QBrush>().color(), warning);
    QVERIFY(!list.Rows().index(0, ColumnMac).data(Qt::ForegroundRole).isValid());
    QVERIFY2(ContrastRatio(warning, base) >= 4.5, qPrintable(QString::number(ContrastRatio(warning, base))));
    QVERIFY(warning != text);
}

QTEST_MAIN(TestDeviceListCtrl)
#include "tst_devicelistctrl.moc"
