// Many devices answering one search at once: every answer listed exactly once, and answers that the
// computer had to drop are counted in the status line rather than lost unseen.

#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "discovery/DiscoveryChannels.h"
#include "discovery/SearchRequests.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/LabFixture.h"

#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Netrove;

namespace {

constexpr int kBurst = 499;
const QString kTriple = QStringLiteral("02:00:00:00:0A:01");

int SentCount(const LabFixture& lab)
{
    int sent = 0;
    for (const QJsonObject& line : lab.Log())
        if (line.value(QLatin1String("event")).toString() == QLatin1String("sent"))
            ++sent;
    return sent;
}

QStringList Column(const CNetroveListCtrl& list, int column)
{
    QStringList texts;
    for (int row = 0; row < list.Rows().rowCount(); ++row)
        texts << list.Rows().Text(row, column);
    return texts;
}

} // namespace

class TestListAtScaleLab final : public QObject
{
    Q_OBJECT

private slots:
    void burstOfFiveHundredListedOnceEach()
    {
        LabFixture lab;
        // One camera answers every search three times; 499 more answer in the same tight loop.
        QVERIFY2(
            lab.Start(
                QStringLiteral("kind=camera mac=%1 model=NC-TRIPLE ip=192.168.1.50 copies=3\n").arg(kTriple),
                {QStringLiteral("--burst"), QString::number(kBurst)}),
            qPrintable(lab.Error()));
        auto sockets = std::make_unique<DiscoveryChannels>();
        DiscoveryChannels* channels = sockets.get();
        CNetroveDlg dlg(std::move(sockets));
        dlg.show(); // the search the window makes as it opens
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::Rows(dlg)->rowCount(), kBurst + 1, 10000);
        // Every send of the search is answered by every device, the triple one three times.
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.Engine().SearchSending(), 5000);
        QTRY_COMPARE(SentCount(lab), dlg.Engine().SearchSends() * (kBurst + 3));
        QTest::qWait(300);
        const int opening = SentCount(lab);
        QCOMPARE(opening, dlg.Engine().SearchSends() * (kBurst + 3));
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), kBurst + 1);

        const QStringList macs = Column(*MainWindow::List(dlg), ColumnMac);
        QCOMPARE(QSet<QString>(macs.begin(), macs.end()).size(), kBurst + 1);
        QCOMPARE(macs.count(kTriple), 1);
        QStringList numbers;
        for (int row = 0; row < kBurst + 1; ++row)
            numbers << QStringLiteral("  %1").arg(row + 1);
        QCOMPARE(Column(*MainWindow::List(dlg), ColumnNo), numbers);
        QCOMPARE(MainWindow::StatusLine(dlg)->text(), QStringLiteral("Scan 500 Items"));
        QCOMPARE(AccessibleName(MainWindow::StatusLine(dlg)), MainWindow::StatusLine(dlg)->text());

        // Sorted, then every device answers again without the list being emptied: each answer
        // replaces its own row, so the sorted order and the numbers stay.
        QTRY_VERIFY((&MainWindow::List(dlg)->Header())->isEnabled());
        MainWindow::List(dlg)->ToggleSort(ColumnIp);
        const QStringList sortedMacs = Column(*MainWindow::List(dlg), ColumnMac);
        const int tripleRow = sortedMacs.indexOf(kTriple);
        QVERIFY(tripleRow >= 0);
        channels->SendSearch(DiscoveryChannel::Camera, BuildCameraSearch(dlg.Engine().Tag()));
        QTRY_COMPARE_WITH_TIMEOUT(SentCount(lab), opening + kBurst + 3, 10000);
        QTest::qWait(300);
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), kBurst + 1);
        QCOMPARE(Column(*MainWindow::List(dlg), ColumnMac), sortedMacs);
        QCOMPARE(MainWindow::Rows(dlg)->FindRowByMac(kTriple), tripleRow);
        QCOMPARE(Column(*MainWindow::List(dlg), ColumnNo), numbers);
    }

    void droppedAnswersAreCounted()
    {
        LabFixture lab;
        constexpr int kAnswers = 600;
        QVERIFY2(lab.Start(QString(), {QStringLiteral("--burst"), QString::number(kAnswers)}),
                 qPrintable(lab.Error()));
        auto channels = std::make_unique<DiscoveryChannels>();
        // The smallest queue the system allows, and a window that does not read while the burst
        // arrives: most answers must be dropped, and every one of them must be counted.
        channels->SetCameraReceiveBuffer(1);
        channels->SetReadingPaused(true);
        DiscoveryChannels& reading = *channels;
        CNetroveDlg dlg(std::move(channels));
        dlg.show();
        QTRY_COMPARE_WITH_TIMEOUT(SentCount(lab), kAnswers, 10000);
        QTest::qWait(100);
        reading.SetReadingPaused(false);

        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::StatusLine(dlg)->text().contains(QLatin1String(" lost")), 5000);
        const QString status = MainWindow::StatusLine(dlg)->text();
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^Scan (\\d+) Items?, (\\d+) lost$")).match(status);
        QVERIFY2(match.hasMatch(), qPrintable(status));
        QVERIFY2(match.captured(2).toInt() > 0, qPrintable(status));
        QCOMPARE(AccessibleName(MainWindow::StatusLine(dlg)), status);
        // Once the search's repeated sends are answered: a device that is not listed lost every
        // answer, and each of them is counted; no more are counted lost than were sent and not listed.
        QTRY_VERIFY_WITH_TIMEOUT(!dlg.Engine().SearchSending(), 5000);
        QTest::qWait(500);
        const int rows = MainWindow::Rows(dlg)->rowCount();
        const auto lost = int(dlg.Engine().LostAnswers());
        const QString figures =
            QStringLiteral("%1 rows, %2 lost, %3 sent").arg(rows).arg(lost).arg(SentCount(lab));
        QVERIFY2(rows + lost >= kAnswers, qPrintable(figures));
        QVERIFY2(lost <= SentCount(lab) - rows, qPrintable(figures));
    }
};

NETROVE_LAB_TEST_MAIN(TestListAtScaleLab, QApplication)

#include "tst_listatscalelab.moc"
