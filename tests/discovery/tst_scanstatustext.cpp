#include "discovery/ScanStatusText.h"

#include <QTest>

using namespace Netrove;

class TestScanStatusText final : public QObject
{
    Q_OBJECT

private slots:
    void texts_data();
    void texts();
};

void TestScanStatusText::texts_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<qulonglong>("lost");
    QTest::addColumn<QString>("scan");
    QTest::addColumn<QString>("end");
    QTest::addColumn<int>("notAnswering");

    QTest::newRow("none") << 0 << 0ull << u"Scan 0 Item"_qs << u"Scan End"_qs << 0;
    QTest::newRow("one") << 1 << 0ull << u"Scan 1 Item"_qs << u"Scan End"_qs << 0;
    QTest::newRow("two") << 2 << 0ull << u"Scan 2 Items"_qs << u"Scan End"_qs << 0;
    QTest::newRow("lost answers") << 4800 << 200ull << u"Scan 4800 Items, 200 lost"_qs
                                  << u"Scan End, 200 lost"_qs << 0;
    QTest::newRow("not answering") << 20 << 0ull << u"Scan 20 Items, 3 not answering"_qs << u"Scan End"_qs
                                   << 3;
    QTest::newRow("lost, and not answering")
        << 20 << 5ull << u"Scan 20 Items, 5 lost, 1 not answering"_qs << u"Scan End, 5 lost"_qs << 1;
    QTest::newRow("one lost") << 1 << 1ull << u"Scan 1 Item, 1 lost"_qs << u"Scan End, 1 lost"_qs << 0;
}

void TestScanStatusText::texts()
{
    QFETCH(int, rows);
    QFETCH(qulonglong, lost);
    QFETCH(QString, scan);
    QFETCH(QString, end);
    QFETCH(int, notAnswering);
    QCOMPARE(ScanStatusText(rows, lost, notAnswering), scan);
    QCOMPARE(ScanEndText(lost), end);
}

QTEST_APPLESS_MAIN(TestScanStatusText)
#include "tst_scanstatustext.moc"
