// The host side's link goes down in the middle of a search and comes back: the window survives
// whatever it reports meanwhile, and a later search lists every device again.

#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/BoxAnswerer.h"
#include "tests/lab/LabFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProcess>
#include <QTest>

using namespace Netrove;

namespace {

const QString kThreeKinds =
    QStringLiteral("kind=camera mac=02:00:00:00:00:01 model=NC-1 ip=192.168.1.101\n"
                   "kind=camera6 mac=02:00:00:00:00:02 model=NC-6 ip=192.168.1.102 ipv6=fe80::2\n"
                   "kind=recorder mac=02:00:00:00:00:03 model=NVR-16 ip=192.168.1.120\n");

// The test runs on the host side, so `ip` changes the host side's network.
QString Ip(const QStringList& arguments, bool* ok = nullptr)
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), arguments);
    const bool done =
        ip.waitForFinished(10000) && ip.exitStatus() == QProcess::NormalExit && ip.exitCode() == 0;
    if (ok)
        *ok = done;
    return QString::fromLocal8Bit(ip.readAllStandardOutput() + ip.readAllStandardError());
}

} // namespace

class TestLinkDownLab final : public QObject
{
    Q_OBJECT

private slots:
    void linkDownMidSearchAndBack()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(kThreeKinds), qPrintable(lab.Error()));
        BoxAnswerer answerer;
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::Rows(dlg)->rowCount(), 3, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::IPv4Box(dlg)->isEnabled(), 5000);

        const QString addressBefore =
            Ip({QStringLiteral("-4"), QStringLiteral("addr"), QStringLiteral("show"), QStringLiteral("dev"),
                QStringLiteral("lab0")});
        const QString routesBefore = Ip({QStringLiteral("route"), QStringLiteral("show")});
        bool ok = false;
        dlg.OnBnClickedSearch();
        Ip({QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lab0"), QStringLiteral("down")},
           &ok);
        QVERIFY(ok);
        // The search settles without the link; then one more while it is still down.
        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::IPv4Box(dlg)->isEnabled(), 10000);
        dlg.OnBnClickedSearch();
        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::IPv4Box(dlg)->isEnabled(), 10000);
        QTest::qWait(3500); // the status line's last word
        qInfo("while the link was down: %d rows, status \"%s\", boxes: [%s]",
              MainWindow::Rows(dlg)->rowCount(), qPrintable(MainWindow::StatusLine(dlg)->text()),
              qPrintable(answerer.Texts().join(QStringLiteral(" | "))));
        QVERIFY(dlg.isVisible());
        QVERIFY(lab.IsRunning());

        Ip({QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lab0"), QStringLiteral("up")},
           &ok);
        QVERIFY(ok);
        // The kernel drops the routes through a link that goes down; put back what netlab had made.
        const QString routesAfter = Ip({QStringLiteral("route"), QStringLiteral("show")});
        const QString addressAfter = Ip({QStringLiteral("-4"), QStringLiteral("addr"), QStringLiteral("show"),
                                         QStringLiteral("dev"), QStringLiteral("lab0")});
        qInfo("after the link came up: address %s, routes [%s] (before: [%s])",
              addressAfter.contains(QStringLiteral("192.168.1.10/24")) ? "kept" : "lost",
              qPrintable(routesAfter.simplified()), qPrintable(routesBefore.simplified()));
        QVERIFY(addressBefore.contains(QStringLiteral("192.168.1.10/24")));
        if (!addressAfter.contains(QStringLiteral("192.168.1.10/24")))
            Ip({QStringLiteral("addr"), QStringLiteral("replace"), QStringLiteral("192.168.1.10/24"),
                QStringLiteral("dev"), QStringLiteral("lab0")});
        Ip({QStringLiteral("route"), QStringLiteral("replace"), QStringLiteral("default"),
            QStringLiteral("via"), QStringLiteral("192.168.1.1"), QStringLiteral("dev"),
            QStringLiteral("lab0")},
           &ok);
        QVERIFY(ok);
        Ip({QStringLiteral("-6"), QStringLiteral("route"), QStringLiteral("replace"),
            QStringLiteral("multicast"), QStringLiteral("ff00::/8"), QStringLiteral("dev"),
            QStringLiteral("lab0"), QStringLiteral("table"), QStringLiteral("local"),
            QStringLiteral("metric"), QStringLiteral("1")},
           &ok);
        QVERIFY(ok);

        answerer.Clear();
        dlg.OnBnClickedSearch();
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::Rows(dlg)->rowCount(), 3, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::IPv4Box(dlg)->isEnabled(), 5000);
        QCOMPARE(MainWindow::Rows(dlg)->rowCount(), 3);
        QCOMPARE(answerer.Texts(), QStringList());
    }
};

NETROVE_LAB_TEST_MAIN(TestLinkDownLab, QApplication)

#include "tst_linkdownlab.moc"
