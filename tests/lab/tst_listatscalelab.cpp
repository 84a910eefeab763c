// Many devices answering one search at once: every answer listed exactly once, and answers that the
// computer had to drop are counted in the status line rather than lost unseen.

#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "discovery/DiscoveryChannels.h"
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
    for (int row = 0; row < list.rowCount(); ++row)
        texts << list.GetItemText(row, column);
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
        CNetroveDlg dlg;
        dlg.show(); // the search the window makes as it opens
        QTRY_COMPARE_WITH_TIMEOUT(dlg.m_list->rowCount(), kBurst + 1, 10000);
        QTRY_COMPARE(SentCount(lab), kBurst + 3);
        QTest::qWait(300);
        QCOMPARE(dlg.m_list->rowCount(), kBurst + 1);

        const QStringList macs = Column(*dlg.m_list, ColumnMac);
        QCOMPARE(QSet<QString>(macs.begin(), macs.end()).size(), kBurst + 1);
        QCOMPARE(macs.count(kTriple), 1);
        QStringList numbers;
        for (int row = 0; row < kBurst + 1; ++row)
            numbers << QStringLiteral("  %1").arg(row + 1);
        QCOMPARE(Column(*dlg.m_list, ColumnNo), numbers);
        QCOMPARE(dlg.m_staticStatus->text(), QStringLiteral("Scan 500 Items"));
        QCOMPARE(dlg.m_staticStatus->accessibleName(), dlg.m_staticStatus->text());

        // Sorted, then every device answers again without the list being emptied: each answer
        // replaces its own row, so the sorted order and the numbers stay.
        QTRY_VERIFY(dlg.m_pHeader->isEnabled());
        dlg.m_list->ToggleSort(ColumnIp);
        const QStringList sortedMacs = Column(*dlg.m_list, ColumnMac);
        const int tripleRow = sortedMacs.indexOf(kTriple);
        QVERIFY(tripleRow >= 0);
        dlg.m_channels->SendCameraSearch(dlg.m_clientTag, std::uint8_t(PacketOpcode::Search));
        QTRY_COMPARE_WITH_TIMEOUT(SentCount(lab), 2 * (kBurst + 3), 10000);
        QTest::qWait(300);
        QCOMPARE(dlg.m_list->rowCount(), kBurst + 1);
        QCOMPARE(Column(*dlg.m_list, ColumnMac), sortedMacs);
        QCOMPARE(dlg.m_list->FindRowByMac(kTriple), tripleRow);
        QCOMPARE(Column(*dlg.m_list, ColumnNo), numbers);
    }

    void droppedAnswersAreCounted()
    {
        LabFixture lab;
        constexpr int kAnswers = 600;
        QVERIFY2(lab.Start(QString(), {QStringLiteral("--burst"), QString::number(kAnswers)}),
                 qPrintable(lab.Error()));
        CNetroveDlg dlg;
        // The smallest queue the system allows, and a window that does not read while the burst
        // arrives: most answers must be dropped, and every one of them must be counted.
        dlg.m_channels->SetCameraReceiveBuffer(1);
        dlg.m_channels->SetReadingPaused(true);
        dlg.show();
        QTRY_COMPARE_WITH_TIMEOUT(SentCount(lab), kAnswers, 10000);
        QTest::qWait(100);
        dlg.m_channels->SetReadingPaused(false);

        QTRY_VERIFY_WITH_TIMEOUT(dlg.m_staticStatus->text().contains(QLatin1String(" lost")), 5000);
        const QString status = dlg.m_staticStatus->text();
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^Scan (\\d+) Items?, (\\d+) lost$")).match(status);
        QVERIFY2(match.hasMatch(), qPrintable(status));
        const int rows = match.captured(1).toInt();
        const int lost = match.captured(2).toInt();
        QCOMPARE(rows, dlg.m_list->rowCount());
        QVERIFY2(lost > 0, qPrintable(status));
        QCOMPARE(rows + lost, kAnswers);
        QCOMPARE(dlg.m_staticStatus->accessibleName(), status);
    }
};

NETROVE_LAB_TEST_MAIN(TestListAtScaleLab, QApplication)

#include "tst_listatscalelab.moc"
