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

    QTest::newRow("none") << 0 << 0ull << u"Scan 0 Item"_qs << u"Scan End"_qs;
    QTest::newRow("one") << 1 << 0ull << u"Scan 1 Item"_qs << u"Scan End"_qs;
    QTest::newRow("two") << 2 << 0ull << u"Scan 2 Items"_qs << u"Scan End"_qs;
    QTest::newRow("lost answers") << 4800 << 200ull << u"Scan 4800 Items, 200 lost"_qs
                                  << u"Scan End, 200 lost"_qs;
    QTest::newRow("one lost") << 1 << 1ull << u"Scan 1 Item, 1 lost"_qs << u"Scan End, 1 lost"_qs;
}

void TestScanStatusText::texts()
{
    QFETCH(int, rows);
    QFETCH(qulonglong, lost);
    QFETCH(QString, scan);
    QFETCH(QString, end);
    QCOMPARE(ScanStatusText(rows, lost), scan);
    QCOMPARE(ScanEndText(lost), end);
}

QTEST_APPLESS_MAIN(TestScanStatusText)
#include "tst_scanstatustext.moc"
