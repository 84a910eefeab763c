// IPv6 switched off on the host side before the window opens: the window says so once, greys the
// IPv6 box and still finds every device over IPv4.

#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/BoxAnswerer.h"
#include "tests/lab/LabFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QTest>

using namespace Netrove;

class TestIpv6OffLab final : public QObject
{
    Q_OBJECT

private slots:
    void ipv6SwitchedOffBeforeStart()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(QStringLiteral("kind=camera mac=02:00:00:00:00:01 ip=192.168.1.101\n"
                                          "kind=camera6 mac=02:00:00:00:00:02 ip=192.168.1.102 ipv6=fe80::2\n"
                                          "kind=recorder mac=02:00:00:00:00:03 ip=192.168.1.120\n")),
                 qPrintable(lab.Error()));
        // The test runs on the host side, so this switches IPv6 off there only.
        QCOMPARE(QProcess::execute(QStringLiteral("sysctl"),
                                   {QStringLiteral("-qw"), QStringLiteral("net.ipv6.conf.all.disable_ipv6=1"),
                                    QStringLiteral("net.ipv6.conf.default.disable_ipv6=1")}),
                 0);

        BoxAnswerer answerer;
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::Rows(dlg)->rowCount(), 3, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::CameraBox(dlg)->isEnabled(), 5000);
        QTest::qWait(300);
        qInfo("boxes: [%s]", qPrintable(answerer.Texts().join(QStringLiteral(" | "))));
        // The socket can still be made; the group's name no longer resolves once no adapter has an
        // IPv6 address, and either way the window says IPv6 is not there, once.
        QCOMPARE(answerer.Texts().size(), 1);
        QVERIFY2(
            answerer.Texts().first().startsWith(QStringLiteral("This computer doesn't support the IPv6.")),
            qPrintable(answerer.Texts().first()));
        QVERIFY(!MainWindow::IPv6Box(dlg)->isEnabled());
        QVERIFY(!MainWindow::IPv6Box(dlg)->isChecked());
        for (int row = 0; row < MainWindow::Rows(dlg)->rowCount(); ++row)
            QCOMPARE(MainWindow::Rows(dlg)->Text(row, 6), QStringLiteral("IPv4"));

        // A later search neither complains again nor asks over IPv6.
        answerer.Clear();
        dlg.OnBnClickedSearch();
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::Rows(dlg)->rowCount(), 3, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::CameraBox(dlg)->isEnabled(), 5000);
        QVERIFY(!MainWindow::IPv6Box(dlg)->isEnabled());
        QCOMPARE(answerer.Texts(), QStringList());
        QVERIFY(lab.Received(QStringLiteral("ipv6")).isEmpty());
    }
};

NETROVE_LAB_TEST_MAIN(TestIpv6OffLab, QApplication)

#include "tst_ipv6offlab.moc"
