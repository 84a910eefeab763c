#include "app/ModeRules.h"

#include <QTest>

using namespace Netrove;

class TestModeRules final : public QObject
{
    Q_OBJECT

private slots:
    void rules_data()
    {
        QTest::addColumn<bool>("ipv6Available");
        QTest::addColumn<bool>("camera");
        QTest::addColumn<bool>("nvr");
        QTest::addColumn<bool>("ipv4");
        QTest::addColumn<bool>("ipv6");
        QTest::addColumn<bool>("ipv6BoxEnabled");
        QTest::addColumn<bool>("searchEnabled");

        // available camera nvr  ipv4   ipv6  -> ipv6 box, search
        QTest::newRow("everything checked") << true << true << true << true << true << true << true;
        QTest::newRow("neither protocol") << true << true << true << false << false << true << false;
        QTest::newRow("IPv4 rechecked") << true << true << true << true << false << true << true;
        QTest::newRow("IPv6 rechecked") << true << true << true << false << true << true << true;
        QTest::newRow("NVR only without IPv4") << true << false << true << false << true << false << false;
        QTest::newRow("NVR only with IPv4") << true << false << true << true << true << false << true;
        QTest::newRow("camera checked again") << true << true << true << false << true << true << true;
        QTest::newRow("camera only over IPv6") << true << true << false << false << true << true << true;
        QTest::newRow("no device family") << true << false << false << true << true << true << false;
        QTest::newRow("no IPv6: box stays off") << false << true << true << true << false << false << true;
        QTest::newRow("no IPv6, cameras only") << false << true << false << true << false << false << true;
        QTest::newRow("no IPv6, nothing checked")
            << false << false << false << false << false << false << false;
    }

    void rules()
    {
        QFETCH(bool, ipv6Available);
        QFETCH(bool, camera);
        QFETCH(bool, nvr);
        QFETCH(bool, ipv4);
        QFETCH(bool, ipv6);
        QFETCH(bool, ipv6BoxEnabled);
        QFETCH(bool, searchEnabled);
        const ModeControlStates states = ComputeModeControls({ipv6Available, camera, nvr, ipv4, ipv6});
        QCOMPARE(states.ipv6BoxEnabled, ipv6BoxEnabled);
        QCOMPARE(states.searchEnabled, searchEnabled);
    }
};

QTEST_APPLESS_MAIN(TestModeRules)
#include "tst_moderules.moc"
