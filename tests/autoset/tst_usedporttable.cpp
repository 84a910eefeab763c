#include "autoset/UsedPortTable.h"

#include <QTest>

#include <set>

using namespace Netrove;

class TestUsedPortTable final : public QObject
{
    Q_OBJECT

private slots:
    void sequenceAfterASearch();
    void clearStartsOver();
    void portsBeyondFiftyStayDistinct();
    void skipsPortsAlreadyRecorded();
    void exhaustion();
    void globalTableIsOne();
};

void TestUsedPortTable::sequenceAfterASearch()
{
    UsedPortTable table;
    QCOMPARE(FindFreePort(table), 10000);
    QCOMPARE(FindFreePort(table), 10006);
    QCOMPARE(FindFreePort(table), 10012);
    QCOMPARE(int(table.Count()), 3);
    QVERIFY(table.Contains(10006));
}

void TestUsedPortTable::clearStartsOver()
{
    UsedPortTable table;
    FindFreePort(table);
    FindFreePort(table);
    table.Clear();
    QCOMPARE(int(table.Count()), 0);
    QVERIFY(!table.Contains(10000));
    QCOMPARE(FindFreePort(table), 10000);
}

void TestUsedPortTable::portsBeyondFiftyStayDistinct()
{
    UsedPortTable table;
    std::set<int> handedOut;
    for (int n = 1; n <= 60; ++n) {
        const int port = FindFreePort(table);
        QCOMPARE(port, 10000 + 6 * (n - 1));
        QVERIFY2(handedOut.insert(port).second,
                 qPrintable(QStringLiteral("port %1 handed out twice").arg(port)));
    }
    QCOMPARE(int(table.Count()), 60);
}

// The table may hold base ports it did not hand out itself; they are passed over.
void TestUsedPortTable::skipsPortsAlreadyRecorded()
{
    UsedPortTable table;
    table.Add(10000);
    table.Add(10012);
    table.Add(10001); // not a base port: changes nothing
    QCOMPARE(FindFreePort(table), 10006);
    QCOMPARE(FindFreePort(table), 10018);
}

// Every base port but the last already handed out: the last one, 59998, then none.
void TestUsedPortTable::exhaustion()
{
    UsedPortTable table;
    for (int port = 10000; port < 59998; port += 6)
        table.Add(port);
    QCOMPARE(FindFreePort(table), 59998);
    QCOMPARE(int(table.Count()), 8334);
    QCOMPARE(FindFreePort(table), -1);
    QCOMPARE(FindFreePort(table), -1);
    QCOMPARE(int(table.Count()), 8334);
    table.Clear();
    QCOMPARE(FindFreePort(table), 10000);
}

void TestUsedPortTable::globalTableIsOne()
{
    GlobalUsedPortTable().Clear();
    QCOMPARE(FindFreePort(GlobalUsedPortTable()), 10000);
    QCOMPARE(FindFreePort(GlobalUsedPortTable()), 10006);
    GlobalUsedPortTable().Clear();
    QCOMPARE(FindFreePort(GlobalUsedPortTable()), 10000);
}

QTEST_APPLESS_MAIN(TestUsedPortTable)
#include "tst_usedporttable.moc"
