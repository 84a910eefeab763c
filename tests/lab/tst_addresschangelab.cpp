// The computer's address changes while the window is open: the next search still lists every
// device, and the address the setting dialogs work from follows the change.

#include "app/CNetroveDlg.h"
#include "autoset/LocalAddress.h"
#include "devicelist/CNetroveListCtrl.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/BoxAnswerer.h"
#include "tests/lab/LabFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QTest>

using namespace Netrove;

namespace {

// The test runs on the host side, so `ip` changes the host side's network.
bool Ip(const QString& arguments)
{
    return QProcess::execute(QStringLiteral("ip"), arguments.split(QLatin1Char(' '))) == 0;
}

QString Text(const std::optional<Ipv4Octets>& address)
{
    if (!address)
        return QStringLiteral("none");
    return QStringLiteral("%1.%2.%3.%4")
        .arg((*address)[0])
        .arg((*address)[1])
        .arg((*address)[2])
        .arg((*address)[3]);
}

} // namespace

class TestAddressChangeLab final : public QObject
{
    Q_OBJECT

private slots:
    void addressChangesWhileOpen()
    {
        LabFixture lab;
        QVERIFY2(lab.Start(QStringLiteral("kind=camera mac=02:00:00:00:00:01 ip=192.168.1.101\n"
                                          "kind=recorder mac=02:00:00:00:00:03 ip=192.168.1.120\n")),
                 qPrintable(lab.Error()));
        BoxAnswerer answerer;
        CNetroveDlg dlg;
        dlg.show();
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::Rows(dlg)->rowCount(), 2, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::CameraBox(dlg)->isEnabled(), 5000);
        const QString before = Text(LocalIpv4Address());

        // In this order: removing the first address of a network removes the later ones with it.
        QVERIFY(Ip(QStringLiteral("addr del 192.168.1.10/24 dev lab0")));
        QVERIFY(Ip(QStringLiteral("addr add 192.168.1.30/24 dev lab0")));
        // Removing the old address took the routes through it.
        QVERIFY(Ip(QStringLiteral("route replace default via 192.168.1.1 dev lab0")));

        dlg.OnBnClickedSearch();
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::Rows(dlg)->rowCount(), 2, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(MainWindow::CameraBox(dlg)->isEnabled(), 5000);
        const QString after = Text(LocalIpv4Address());
        qInfo("local address before %s, after %s; boxes: [%s]", qPrintable(before), qPrintable(after),
              qPrintable(answerer.Texts().join(QStringLiteral(" | "))));
        QCOMPARE(before, QStringLiteral("192.168.1.10"));
        QCOMPARE(after, QStringLiteral("192.168.1.30"));
        QCOMPARE(answerer.Texts(), QStringList());
    }
};

NETROVE_LAB_TEST_MAIN(TestAddressChangeLab, QApplication)

#include "tst_addresschangelab.moc"
