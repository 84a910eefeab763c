// Thirty searches of 210 simulated devices with a setting request after every tenth, under the
// sanitizers' leak checks: every search lists every device, each device set is found again with its
// new address, and the window holds no more descriptors at the end than after its opening search.
// Memory is not judged here (AddressSanitizer keeps freed memory aside); bench/netrove-soak measures it.

#include "tests/lab/LabFixture.h"
#include "tests/lab/SoakRun.h"

#include <QApplication>
#include <QSet>
#include <QTest>

using namespace Netrove;

class TestSoakLab final : public QObject
{
    Q_OBJECT

private slots:
    void everySearchListsEveryDeviceAndNoDescriptorStays()
    {
        SoakOptions options;
        options.searches = 30;
        options.reportEvery = 10;
        options.settingEvery = 10;
        SoakRun run(options);
        QList<SoakCheckpoint> checkpoints;
        QSet<QString> descriptorsAtStart;
        QSet<QString> descriptorsGained;
        const bool started = run.Run([&](const SoakCheckpoint& at) {
            qInfo(
                "after %d searches: %d rows (fewest %d), %d incomplete, %d set, %d descriptors, %d threads, "
                "%.1f s",
                at.searches, at.rows, at.fewestRows, at.incompleteSearches, at.settings,
                at.figures.openDescriptors, at.figures.threads, at.seconds);
            const QStringList targets = OpenDescriptorTargets();
            if (checkpoints.isEmpty())
                descriptorsAtStart = QSet<QString>(targets.begin(), targets.end());
            else
                descriptorsGained.unite(
                    QSet<QString>(targets.begin(), targets.end()).subtract(descriptorsAtStart));
            checkpoints << at;
        });
        QVERIFY2(started, qPrintable(run.Failures().join(QLatin1Char('\n'))));
        QVERIFY2(run.Failures().isEmpty(), qPrintable(run.Failures().join(QLatin1Char('\n'))));
        QCOMPARE(checkpoints.size(), 4);
        QCOMPARE(checkpoints.last().searches, 30);
        QCOMPARE(checkpoints.last().incompleteSearches, 0);
        QCOMPARE(checkpoints.last().settings, 3);
        QVERIFY(checkpoints.first().figures.openDescriptors > 0);
        for (const SoakCheckpoint& at : checkpoints) {
            QCOMPARE(at.fewestRows, run.Devices());
            QVERIFY2(at.figures.openDescriptors == checkpoints.first().figures.openDescriptors,
                     qPrintable(QStringLiteral("%1 descriptors after %2 searches, %3 at the start; new: %4")
                                    .arg(at.figures.openDescriptors)
                                    .arg(at.searches)
                                    .arg(checkpoints.first().figures.openDescriptors)
                                    .arg(descriptorsGained.values().join(QStringLiteral(", ")))));
        }
    }
};

NETROVE_LAB_TEST_MAIN(TestSoakLab, QApplication)

#include "tst_soaklab.moc"
