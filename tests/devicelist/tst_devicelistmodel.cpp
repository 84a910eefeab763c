#include "devicelist/DeviceListModel.h"
#include "devicelist/RowTooltips.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QFont>
#include <QSignalSpy>
#include <QTest>

using namespace Netrove;

namespace {

// What the list view gives the model for its palette (a light one here).
const QVariant kWarning = QBrush(QColor(0xB0, 0x00, 0x20));

// "MAC=IP" replies, the way the reply handling turns them into rows.
NewDeviceRow Reply(const QString& macAndIp)
{
    const QStringList parts = macAndIp.split(QLatin1Char('='));
    NewDeviceRow row;
    row.entry = std::make_unique<DeviceEntry>();
    row.entry->kind = PacketKind::KindCamera;
    row.entry->reply.assign(LongFormSize(PacketKind::KindCamera), 0);
    WriteText(PacketKind::KindCamera, row.entry->reply, PacketField::MacAddress, parts[0].toStdString());
    WriteText(PacketKind::KindCamera, row.entry->reply, PacketField::IpAddress, parts[1].toStdString());
    WriteText(PacketKind::KindCamera, row.entry->reply, PacketField::ModelName, "NC");
    row.texts[ColumnDeviceName] = QStringLiteral("NC");
    row.texts[ColumnMac] = parts[0];
    row.texts[ColumnIp] = parts[1];
    row.texts[ColumnProtocol] = QStringLiteral("IPv4");
    return row;
}

std::vector<NewDeviceRow> Replies(const QStringList& list)
{
    std::vector<NewDeviceRow> rows;
    for (const QString& one : list)
        rows.push_back(Reply(one));
    return rows;
}

// Every row as "No|MAC|IP|IP of its entry", so that texts and entry must agree.
QStringList Listing(const DeviceListModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        const DeviceEntry* entry = model.EntryAt(row);
        const QString entryIp =
            entry ? QString::fromStdString(ReadText(entry->kind, entry->reply, PacketField::IpAddress))
                  : QString();
        rows << QStringLiteral("%1|%2|%3|%4")
                    .arg(model.Text(row, ColumnNo).trimmed(), model.Text(row, ColumnMac),
                         model.Text(row, ColumnIp), entryIp);
    }
    return rows;
}

// Every row as "MAC>the other MACs listed with its IP address", top to bottom.
QStringList Conflicts(const DeviceListModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.Text(row, ColumnMac) + QLatin1Char('>') +
                    model.ConflictingMacs(row).join(QLatin1Char(','));
    return rows;
}

// The same, found the slow way: every row compared with every other.
QStringList ConflictsByWalking(const DeviceListModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList others;
        for (int other = 0; other < model.rowCount(); ++other) {
            const QString mac = model.Text(other, ColumnMac);
            if (!model.Text(row, ColumnIp).isEmpty() &&
                model.Text(other, ColumnIp) == model.Text(row, ColumnIp) &&
                mac != model.Text(row, ColumnMac) && !others.contains(mac))
                others << mac;
        }
        rows << model.Text(row, ColumnMac) + QLatin1Char('>') + others.join(QLatin1Char(','));
    }
    return rows;
}

// "+A=1,B=2" adds a batch, "i0 C=1" inserts at row 0, "-1" removes row 1, "s5a" / "s4d" sorts by a
// column, "c" clears.
void Apply(DeviceListModel& model, const QString& step)
{
    if (step.startsWith(QLatin1Char('+'))) {
        model.AddReplies(Replies(step.mid(1).split(QLatin1Char(','))));
    } else if (step.startsWith(QLatin1Char('i'))) {
        const QStringList parts = step.mid(1).split(QLatin1Char(' '));
        model.InsertDeviceRow(parts[0].toInt(), Reply(parts[1]));
    } else if (step.startsWith(QLatin1Char('-'))) {
        model.RemoveDeviceRow(step.mid(1).toInt());
    } else if (step.startsWith(QLatin1Char('s'))) {
        model.SortRows(step.mid(1, 1).toInt(), step.endsWith(QLatin1Char('a')) ? 1 : 0);
    } else if (step == QLatin1String("c")) {
        model.ClearDeviceList();
    }
}

} // namespace

class TestDeviceListModel final : public QObject
{
    Q_OBJECT

private slots:
    void batchesListAsOneReplyAtATime_data();
    void batchesListAsOneReplyAtATime();
    void oneInsertionPerBatch();
    void macIndexFollowsSortRemoveAndClear();
    void sortKeepsEqualKeysInOrderAndRenumbers();
    void selectionFollowsItsRowAcrossSort();
    void textsKeepEveryColumn();
    void conflictsFollowEveryChange_data();
    void conflictsFollowEveryChange();
    void markedCellsAreDrawnAgain();
    void tooltipsNameTheAdapter();
    void filterShowsRowsOfEveryWord_data();
    void filterShowsRowsOfEveryWord();
};

void TestDeviceListModel::batchesListAsOneReplyAtATime_data()
{
    QTest::addColumn<QStringList>("listed");   // one reply at a time, before the batch
    QTest::addColumn<QStringList>("batch");    // then all of these at once
    QTest::addColumn<QStringList>("expected"); // No|MAC|IP|entry IP, top to bottom

    QTest::newRow("new devices are appended in order")
        << QStringList{} << QStringList{u"A=1.0.0.1"_qs, u"B=1.0.0.2"_qs, u"C=1.0.0.3"_qs}
        << QStringList{u"1|A|1.0.0.1|1.0.0.1"_qs, u"2|B|1.0.0.2|1.0.0.2"_qs, u"3|C|1.0.0.3|1.0.0.3"_qs};
    QTest::newRow("a listed device is replaced in place")
        << QStringList{u"A=1.0.0.1"_qs, u"B=1.0.0.2"_qs, u"C=1.0.0.3"_qs} << QStringList{u"B=9.9.9.9"_qs}
        << QStringList{u"1|A|1.0.0.1|1.0.0.1"_qs, u"2|B|9.9.9.9|9.9.9.9"_qs, u"3|C|1.0.0.3|1.0.0.3"_qs};
    QTest::newRow("a new device answering three times in one batch keeps one row")
        << QStringList{u"A=1.0.0.1"_qs}
        << QStringList{u"X=2.0.0.1"_qs, u"B=1.0.0.2"_qs, u"X=2.0.0.2"_qs, u"X=2.0.0.3"_qs}
        << QStringList{u"1|A|1.0.0.1|1.0.0.1"_qs, u"2|X|2.0.0.3|2.0.0.3"_qs, u"3|B|1.0.0.2|1.0.0.2"_qs};
    QTest::newRow("replacements and appends mixed")
        << QStringList{u"A=1.0.0.1"_qs, u"B=1.0.0.2"_qs}
        << QStringList{u"C=1.0.0.3"_qs, u"A=8.8.8.8"_qs, u"C=7.7.7.7"_qs, u"B=6.6.6.6"_qs}
        << QStringList{u"1|A|8.8.8.8|8.8.8.8"_qs, u"2|B|6.6.6.6|6.6.6.6"_qs, u"3|C|7.7.7.7|7.7.7.7"_qs};
    QTest::newRow("MAC texts differing only in case are two devices")
        << QStringList{u"aa:bb=1.0.0.1"_qs} << QStringList{u"AA:BB=1.0.0.2"_qs}
        << QStringList{u"1|aa:bb|1.0.0.1|1.0.0.1"_qs, u"2|AA:BB|1.0.0.2|1.0.0.2"_qs};
    QTest::newRow("an empty batch changes nothing")
        << QStringList{u"A=1.0.0.1"_qs} << QStringList{} << QStringList{u"1|A|1.0.0.1|1.0.0.1"_qs};
}

void TestDeviceListModel::batchesListAsOneReplyAtATime()
{
    QFETCH(QStringList, listed);
    QFETCH(QStringList, batch);
    QFETCH(QStringList, expected);

    DeviceListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const QString& one : listed)
        model.AddReplies(Replies({one}));
    model.AddReplies(Replies(batch));
    QCOMPARE(Listing(model), expected);

    // The same replies one at a time give the same list.
    DeviceListModel single;
    for (const QString& one : listed + batch)
        single.AddReplies(Replies({one}));
    QCOMPARE(Listing(single), expected);

    // The index finds every device at its row.
    for (int row = 0; row < model.rowCount(); ++row)
        QCOMPARE(model.FindRowByMac(model.Text(row, ColumnMac)), row);
}

void TestDeviceListModel::oneInsertionPerBatch()
{
    DeviceListModel model;
    model.AddReplies(Replies({u"A=1.0.0.1"_qs}));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

    QStringList batch;
    for (int i = 0; i < 300; ++i)
        batch << QStringLiteral("M%1=10.0.%2.%3").arg(i).arg(i / 256).arg(i % 256);
    batch << u"A=1.0.0.9"_qs;
    QCOMPARE(model.AddReplies(Replies(batch)), 300);

    QCOMPARE(inserted.count(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 1);
    QCOMPARE(inserted.first().at(2).toInt(), 300);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().at(0).value<QModelIndex>().row(), 0);
    QCOMPARE(model.Text(0, ColumnIp), u"1.0.0.9"_qs);
    QCOMPARE(model.rowCount(), 301);
}

void TestDeviceListModel::macIndexFollowsSortRemoveAndClear()
{
    DeviceListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.AddReplies(Replies({u"C=3.0.0.1"_qs, u"A=1.0.0.1"_qs, u"B=2.0.0.1"_qs}));

    model.SortRows(ColumnIp, 1);
    QCOMPARE(model.FindRowByMac(u"A"_qs), 0);
    QCOMPARE(model.FindRowByMac(u"B"_qs), 1);
    QCOMPARE(model.FindRowByMac(u"C"_qs), 2);
    // After a sort a reply still replaces its own row.
    model.AddReplies(Replies({u"C=0.0.0.1"_qs}));
    QCOMPARE(Listing(model),
             (QStringList{u"1|A|1.0.0.1|1.0.0.1"_qs, u"2|B|2.0.0.1|2.0.0.1"_qs, u"3|C|0.0.0.1|0.0.0.1"_qs}));

    model.RemoveDeviceRow(0);
    QCOMPARE(model.FindRowByMac(u"A"_qs), -1);
    QCOMPARE(model.FindRowByMac(u"B"_qs), 0);
    QCOMPARE(model.FindRowByMac(u"C"_qs), 1);

    model.InsertDeviceRow(0, Reply(u"D=4.0.0.1"_qs));
    QCOMPARE(model.FindRowByMac(u"D"_qs), 0);
    QCOMPARE(model.FindRowByMac(u"C"_qs), 2);

    model.ClearDeviceList();
    QCOMPARE(model.rowCount(), 0);
    for (const QString& mac : {u"B"_qs, u"C"_qs, u"D"_qs})
        QCOMPARE(model.FindRowByMac(mac), -1);
    model.AddReplies(Replies({u"B=2.0.0.2"_qs}));
    QCOMPARE(Listing(model), QStringList{u"1|B|2.0.0.2|2.0.0.2"_qs});
}

void TestDeviceListModel::sortKeepsEqualKeysInOrderAndRenumbers()
{
    DeviceListModel model;
    // Equal model names: the sort by name must keep their order both ways.
    model.AddReplies(Replies({u"E=5.0.0.1"_qs, u"D=4.0.0.1"_qs, u"F=6.0.0.1"_qs}));
    for (int ascending : {1, 0}) {
        model.SortRows(ColumnDeviceName, ascending);
        QCOMPARE(Listing(model), (QStringList{u"1|E|5.0.0.1|5.0.0.1"_qs, u"2|D|4.0.0.1|4.0.0.1"_qs,
                                              u"3|F|6.0.0.1|6.0.0.1"_qs}));
    }
    model.SortRows(ColumnMac, 0);
    QCOMPARE(Listing(model),
             (QStringList{u"1|F|6.0.0.1|6.0.0.1"_qs, u"2|E|5.0.0.1|5.0.0.1"_qs, u"3|D|4.0.0.1|4.0.0.1"_qs}));
    // A column that does not sort leaves rows and numbers alone.
    model.SortRows(ColumnAlias, 1);
    QCOMPARE(model.Text(0, ColumnMac), u"F"_qs);
}

void TestDeviceListModel::selectionFollowsItsRowAcrossSort()
{
    DeviceListModel model;
    model.AddReplies(Replies({u"C=3.0.0.1"_qs, u"A=1.0.0.1"_qs, u"B=2.0.0.1"_qs}));
    const QPersistentModelIndex chosen = model.index(0, ColumnMac); // C
    model.SortRows(ColumnMac, 1);
    QCOMPARE(chosen.row(), 2);
    QCOMPARE(chosen.data().toString(), u"C"_qs);
}

void TestDeviceListModel::textsKeepEveryColumn()
{
    DeviceListModel model;
    NewDeviceRow row = Reply(u"A=1.0.0.1"_qs);
    row.texts = {QString(),     u"Model"_qs, u"Alias, with \u00e9"_qs, u"Dynamic"_qs, u"A"_qs,
                 u"1.0.0.1"_qs, u"IPv6"_qs,  u"http://x/"_qs};
    model.InsertDeviceRow(0, std::move(row));
    QCOMPARE(model.Text(0, ColumnNo), u"  1"_qs);
    QCOMPARE(model.Text(0, ColumnDeviceName), u"Model"_qs);
    QCOMPARE(model.Text(0, ColumnAlias), u"Alias, with \u00e9"_qs);
    QCOMPARE(model.Text(0, ColumnMode), u"Dynamic"_qs);
    QCOMPARE(model.Text(0, ColumnMac), u"A"_qs);
    QCOMPARE(model.Text(0, ColumnIp), u"1.0.0.1"_qs);
    QCOMPARE(model.Text(0, ColumnProtocol), u"IPv6"_qs);
    QCOMPARE(model.Text(0, ColumnUrl), u"http://x/"_qs);
    QCOMPARE(model.Text(0, ColumnCount), QString());
    QCOMPARE(model.Text(1, ColumnMac), QString());
    QCOMPARE(model.data(model.index(0, ColumnUrl), Qt::AccessibleTextRole).toString(), u"http://x/"_qs);
}

void TestDeviceListModel::conflictsFollowEveryChange_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected"); // MAC>other MACs, top to bottom

    QTest::newRow("cameras from the factory share one address")
        << QStringList{u"+A=192.168.0.100,B=192.168.0.100,C=192.168.0.100,D=10.0.0.1"_qs}
        << QStringList{u"A>B,C"_qs, u"B>A,C"_qs, u"C>A,B"_qs, u"D>"_qs};
    QTest::newRow("one of two is given another address")
        << QStringList{u"+A=1,B=1"_qs, u"+B=2"_qs} << QStringList{u"A>"_qs, u"B>"_qs};
    QTest::newRow("a device is given an address in use")
        << QStringList{u"+A=1,B=2"_qs, u"+B=1"_qs} << QStringList{u"A>B"_qs, u"B>A"_qs};
    QTest::newRow("a device moves on within one batch")
        << QStringList{u"+A=1,B=1,B=2"_qs} << QStringList{u"A>"_qs, u"B>"_qs};
    QTest::newRow("a listed device moves on and another takes its address in one batch")
        << QStringList{u"+A=1,B=2"_qs, u"+A=3,C=2,B=1"_qs} << QStringList{u"A>"_qs, u"B>"_qs, u"C>"_qs};
    QTest::newRow("removed rows take their share along")
        << QStringList{u"+A=1,B=1,C=1"_qs, u"-0"_qs} << QStringList{u"B>C"_qs, u"C>B"_qs};
    QTest::newRow("the last of a pair removed")
        << QStringList{u"+A=1,B=1,C=2"_qs, u"-0"_qs, u"-0"_qs} << QStringList{u"C>"_qs};
    QTest::newRow("inserted in the middle")
        << QStringList{u"+A=1,B=2"_qs, u"i1 C=2"_qs} << QStringList{u"A>"_qs, u"C>B"_qs, u"B>C"_qs};
    QTest::newRow("sorting keeps marks with their rows")
        << QStringList{u"+C=1,A=2,B=1"_qs, u"s4a"_qs} << QStringList{u"A>"_qs, u"B>C"_qs, u"C>B"_qs};
    QTest::newRow("sorted both ways, then a reply")
        << QStringList{u"+C=1,A=2,B=1"_qs, u"s4a"_qs, u"s5d"_qs, u"+A=1"_qs}
        << QStringList{u"A>B,C"_qs, u"B>A,C"_qs, u"C>A,B"_qs};
    QTest::newRow("cleared lists forget")
        << QStringList{u"+A=1,B=1"_qs, u"c"_qs, u"+C=1"_qs} << QStringList{u"C>"_qs};
    QTest::newRow("no address is no shared address")
        << QStringList{u"+A=,B="_qs} << QStringList{u"A>"_qs, u"B>"_qs};
    QTest::newRow("one device listed twice shares with itself only")
        << QStringList{u"+A=1"_qs, u"i0 A=1"_qs, u"+B=1"_qs} << QStringList{u"A>B"_qs, u"A>B"_qs, u"B>A"_qs};
    QTest::newRow("address texts compare exactly")
        << QStringList{u"+A=1.0.0.1,B=1.0.0.01"_qs} << QStringList{u"A>"_qs, u"B>"_qs};
}

void TestDeviceListModel::conflictsFollowEveryChange()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);
    DeviceListModel model;
    model.SetWarningForeground(kWarning);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const QString& step : steps) {
        Apply(model, step);
        QCOMPARE(Conflicts(model), ConflictsByWalking(model));
    }
    QCOMPARE(Conflicts(model), expected);

    // What the list draws and says follows the same rows.
    for (int row = 0; row < model.rowCount(); ++row) {
        const QStringList others = model.ConflictingMacs(row);
        const QModelIndex ip = model.index(row, ColumnIp);
        QCOMPARE(ip.data(Qt::ForegroundRole).isValid(), !others.isEmpty());
        if (others.isEmpty())
            continue;
        const QString text = u"IP address also used by "_qs + others.join(u", "_qs);
        QCOMPARE(ip.data(Qt::ToolTipRole).toString(), PlainTooltip(text));
        QCOMPARE(ip.data(Qt::AccessibleDescriptionRole).toString(), text);
        QVERIFY(!model.index(row, ColumnMac).data(Qt::ForegroundRole).isValid());
    }
}

void TestDeviceListModel::markedCellsAreDrawnAgain()
{
    DeviceListModel model;
    model.SetWarningForeground(kWarning);
    QStringList distinct{u"A=10.0.0.1"_qs};
    for (int i = 0; i < 100; ++i)
        distinct << QStringLiteral("M%1=10.1.0.%2").arg(i).arg(i);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.AddReplies(Replies(distinct));
    // Devices with addresses of their own cost no notices.
    QCOMPARE(changed.count(), 0);

    const auto coversA = [&](const QList<QVariant>& notice) {
        const QModelIndex first = notice.at(0).value<QModelIndex>();
        const QModelIndex last = notice.at(1).value<QModelIndex>();
        const auto roles = notice.at(2).value<QList<int>>();
        return first.row() == 0 && last.row() >= 0 && first.column() <= ColumnIp &&
               last.column() >= ColumnIp && (roles.isEmpty() || roles.contains(Qt::ForegroundRole));
    };
    // B arrives with A's address: A is marked and drawn again.
    model.AddReplies(Replies({u"B=10.0.0.1"_qs}));
    QVERIFY(std::any_of(changed.begin(), changed.end(), coversA));
    QVERIFY(model.index(0, ColumnIp).data(Qt::ForegroundRole).isValid());

    // B is re-addressed: A's mark goes and A is drawn again.
    changed.clear();
    model.AddReplies(Replies({u"B=10.0.0.2"_qs}));
    QVERIFY(std::any_of(changed.begin(), changed.end(), coversA));
    QVERIFY(!model.index(0, ColumnIp).data(Qt::ForegroundRole).isValid());

    // And back, then B's row removed.
    model.AddReplies(Replies({u"B=10.0.0.1"_qs}));
    changed.clear();
    model.RemoveDeviceRow(model.FindRowByMac(u"B"_qs));
    QVERIFY(std::any_of(changed.begin(), changed.end(), coversA));
    QVERIFY(!model.index(0, ColumnIp).data(Qt::ForegroundRole).isValid());

    // Another colour scheme: marked cells take its warning colour.
    model.AddReplies(Replies({u"C=10.0.0.1"_qs}));
    changed.clear();
    model.SetWarningForeground(QBrush(QColor(0xFF, 0x8A, 0x80)));
    QVERIFY(std::any_of(changed.begin(), changed.end(), coversA));
    QCOMPARE(model.index(0, ColumnIp).data(Qt::ForegroundRole).value<QBrush>().color(),
             QColor(0xFF, 0x8A, 0x80));
}

void TestDeviceListModel::tooltipsNameTheAdapter()
{
    const auto arriving = [](const QString& macAndIp, ArrivalAdapter arrival) {
        NewDeviceRow row = Reply(macAndIp);
        row.entry->arrival = std::move(arrival);
        return row;
    };
    DeviceListModel model;
    std::vector<NewDeviceRow> rows;
    const QList<Ipv4Network> lab0{{{192, 168, 1, 10}, 24}};
    rows.push_back(arriving(u"A=10.0.5.101"_qs, {3, u"lab1"_qs, u"10.0.5.7"_qs, {{{10, 0, 5, 7}, 16}}}));
    rows.push_back(arriving(u"B=192.168.1.101"_qs, {2, u"lab0"_qs, u"fe80::1"_qs, {}}));
    rows.push_back(arriving(u"C=10.0.5.101"_qs, {2, u"lab0"_qs, QString(), lab0}));
    rows.push_back(Reply(u"D=1.2.3.4"_qs));
    model.AddReplies(std::move(rows));
    QFont italic;
    italic.setItalic(true);
    model.SetOutsideNetworkFont(italic);

    for (const int role : {int(Qt::ToolTipRole), int(Qt::AccessibleDescriptionRole)}) {
        // A tooltip shows what is said, escaped.
        const auto said = [role](const QString& text) {
            return role == Qt::ToolTipRole ? PlainTooltip(text) : text;
        };
        QCOMPARE(model.index(0, ColumnDeviceName).data(role).toString(), said(u"lab1, 10.0.5.7"_qs));
        QCOMPARE(model.index(0, ColumnUrl).data(role).toString(), said(u"lab1, 10.0.5.7"_qs));
        QCOMPARE(model.index(1, ColumnIp).data(role).toString(), said(u"lab0, fe80::1"_qs));
        QCOMPARE(model.index(2, ColumnMac).data(role).toString(), said(u"lab0"_qs));
        // A shared address says so where the address is; the rest of the row still names its adapter.
        QCOMPARE(model.index(0, ColumnIp).data(role).toString(), said(u"IP address also used by C"_qs));
        // C lies outside the network of the adapter it answered on too: both are said, in italics.
        QCOMPARE(model.index(2, ColumnIp).data(role).toString(),
                 said(u"IP address also used by A\nNot in this computer's network (lab0, 192.168.1.10/24): "
                      "use Auto Set to give it an address there"_qs));
        QVERIFY(!model.index(3, ColumnMac).data(role).isValid());
    }
    QCOMPARE(PlainTooltip(u"<a>\nb"_qs), u"<qt>&lt;a&gt;<br>b</qt>"_qs);
    QCOMPARE(model.index(2, ColumnIp).data(Qt::FontRole), QVariant(italic));
    QVERIFY(!model.index(0, ColumnIp).data(Qt::FontRole).isValid());
    QVERIFY(!model.index(2, ColumnMac).data(Qt::FontRole).isValid());
    // The device's later answer on another adapter: one row, the adapter of that answer.
    std::vector<NewDeviceRow> again;
    again.push_back(arriving(u"B=192.168.1.101"_qs, {3, u"lab1"_qs, u"10.0.5.7"_qs, {}}));
    model.AddReplies(std::move(again));
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.index(1, ColumnNo).data(Qt::AccessibleDescriptionRole).toString(), u"lab1, 10.0.5.7"_qs);
}

void TestDeviceListModel::filterShowsRowsOfEveryWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("sharedOnly");
    QTest::addColumn<QStringList>("shown"); // the last two digits of the MACs shown
    QTest::addColumn<bool>("outsideOnly");

    const auto row = [](const char* text, bool shared, QStringList shown, bool outside = false) {
        QTest::newRow(text) << QString::fromUtf8(text) << shared << shown << outside;
    };
    row("", false, {u"05"_qs, u"06"_qs, u"07"_qs, u"01"_qs});
    row("001a2b000005", false, {u"05"_qs});
    row("00-1A-2B", false, {u"05"_qs, u"06"_qs, u"07"_qs});
    row("2b:00:00:05", false, {u"05"_qs});
    row("gate", false, {u"05"_qs});
    row("  Gate   north ", false, {u"05"_qs});
    row("192.168.1.7", false, {u"05"_qs});
    row("nc-210 static", false, {u"05"_qs, u"01"_qs});
    row("nc-210 roof", false, {});
    row("dynamic", false, {u"06"_qs});
    row("ipv6", false, {u"07"_qs});
    row("https", false, {u"07"_qs});
    row("GÄSTE", false, {u"01"_qs});
    row("words across columns: 210gate", false, {});
    row("", true, {u"06"_qs, u"07"_qs});
    row("recorder", true, {u"06"_qs});
    row("gate", true, {});
    // Outside the network only: every device answered on an adapter in 192.168.1.0/24.
    row("nc-210", false, {u"01"_qs}, true);
    row("nc", true, {}, true);
}

void TestDeviceListModel::filterShowsRowsOfEveryWord()
{
    QFETCH(QString, text);
    QFETCH(bool, sharedOnly);
    QFETCH(QStringList, shown);
    QFETCH(bool, outsideOnly);
    DeviceListModel model;
    const auto add = [&model](QStringList texts) {
        NewDeviceRow row = Reply(texts[3] + QLatin1Char('=') + texts[4]);
        row.entry->arrival.ipv4Networks = {{{192, 168, 1, 10}, 24}};
        for (int column = ColumnDeviceName; column < ColumnCount; ++column)
            row.texts[column] = texts[column - 1];
        std::vector<NewDeviceRow> batch;
        batch.push_back(std::move(row));
        model.AddReplies(std::move(batch));
    };
    add({u"NC-210"_qs, u"Gate north"_qs, u"Static"_qs, u"00:1A:2B:00:00:05"_qs, u"192.168.1.70"_qs,
         u"IPv4"_qs, u"http://192.168.1.70"_qs});
    add({u"NR-1600"_qs, u"Main recorder"_qs, u"Dynamic"_qs, u"00:1A:2B:00:00:06"_qs, u"192.168.1.64"_qs,
         u"IPv4"_qs, QString()});
    add({u"NC-620"_qs, u"Roof"_qs, u"PPPoE"_qs, u"00:1A:2B:00:01:07"_qs, u"192.168.1.64"_qs, u"IPv6"_qs,
         u"https://[fe80::7]"_qs});
    add({u"NC-210"_qs, u"Gäste"_qs, u"Static"_qs, u"AA:BB:CC:00:00:01"_qs, u"10.0.0.7"_qs, u"IPv4"_qs,
         QString()});
    const DeviceFilter filter(text.startsWith(u"words across"_qs) ? u"210gate"_qs : text, sharedOnly,
                              outsideOnly);
    QStringList matching;
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.RowMatches(row, filter))
            matching << model.Text(row, ColumnMac).right(2);
    }
    QCOMPARE(matching, shown);
}

QTEST_GUILESS_MAIN(TestDeviceListModel)

#include "tst_devicelistmodel.moc"
