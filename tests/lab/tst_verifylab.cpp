// After a setting succeeds, the window watches the device until it is back: the status line says what
// it waits for, and then whether it came back with the address it was sent, with another one, or not
// at all.

#include "app/CNetroveDlg.h"
#include "autoset/CIPAddressCtrl.h"
#include "devicelist/CNetroveListCtrl.h"
#include "engine/DeviceEngine.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/SettingDialogDriver.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using namespace Netrove;

namespace {

const QString kMac = QStringLiteral("00:1A:2B:00:00:01");
// A second device whose answer comes later, so that rows still arrive after the check.
const QString kLateCamera =
    QStringLiteral("kind=camera mac=00:1A:2B:00:00:09 model=NC-9 ip=192.168.1.109 password=pw delay=400\n");

void ChooseMode(QDialog& dialog, const char* radio)
{
    QTest::mouseClick(dialog.findChild<QRadioButton*>(QString::fromLatin1(radio)), Qt::LeftButton);
}

} // namespace

class TestVerifyLab final : public QObject
{
    Q_OBJECT

private slots:
    void statusLineTellsWhereTheDeviceIs_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("dhcp");
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("withinMs"); // from the result to the verdict
        QTest::newRow("back at the address sent")
            << QString() << false << u"00:1A:2B:00:00:01 now at 192.168.1.252"_qs << 5000;
        // The wait is shortened to 5 s: what is not "now at" is told only at its end.
        QTest::newRow("back with another address")
            << u"after=192.168.1.64"_qs << false
            << u"00:1A:2B:00:00:01 answered with 192.168.1.64, not 192.168.1.252"_qs << 9000;
        QTest::newRow("not back") << u"after=none"_qs << false
                                  << u"00:1A:2B:00:00:01 did not answer after the change"_qs << 9000;
        // A camera that restarts to take its address, silent meanwhile.
        QTest::newRow("back after a restart of 20 s")
            << u"reboot=20"_qs << false << u"00:1A:2B:00:00:01 now at 192.168.1.252"_qs << 27000;
        // A device told to take its address by DHCP only has to answer; it keeps 192.168.1.101 here.
        QTest::newRow("DHCP, answered again")
            << QString() << true << u"00:1A:2B:00:00:01 now at 192.168.1.101"_qs << 5000;
    }

    void statusLineTellsWhereTheDeviceIs()
    {
        QFETCH(QString, fault);
        QFETCH(bool, dhcp);
        QFETCH(QString, status);
        QFETCH(int, withinMs);

        SettingLab w;
        const QString device =
            QStringLiteral(
                "kind=camera mac=00:1A:2B:00:00:01 model=NC-1 ip=192.168.1.101 password=pw http=80 "
                "dlx=10000 %1\n")
                .arg(fault);
        QVERIFY2(w.Open(device + kLateCamera, 2), qPrintable(w.lab.Error()));
        if (fault.startsWith(u"after="_qs))
            w.dlg->SetChangeWaitMs(5000);
        ClickRowOf(*w.dlg, kMac);
        QVERIFY(PressAndDrive(MainWindow::ManualSetButton(*w.dlg), u"CDlgManualSet"_qs, [dhcp](QDialog& d) {
            if (dhcp) {
                ChooseMode(d, "radioDhcp");
            } else {
                ChooseMode(d, "radioStatic");
                d.findChild<CIPAddressCtrl*>(u"ipAddress"_qs)->SetAddress({192, 168, 1, 252});
                d.findChild<CIPAddressCtrl*>(u"ipSubnetMask"_qs)->SetAddress({255, 255, 255, 0});
                d.findChild<CIPAddressCtrl*>(u"ipGateway"_qs)->SetAddress({192, 168, 1, 1});
            }
            QTest::keyClicks(d.findChild<QLineEdit*>(u"editPassword"_qs), u"pw"_qs);
            QTest::mouseClick(d.findChild<QPushButton*>(u"buttonOK"_qs), Qt::LeftButton);
        }));
        QTRY_COMPARE(Settings(w.lab).size(), 1);
        QCOMPARE(Settings(w.lab).first().value(QLatin1String("outcome")).toString(), u"applied"_qs);

        if (fault == u"reboot=20"_qs) {
            QTRY_VERIFY_WITH_TIMEOUT(MainWindow::StatusLine(*w.dlg)->text().startsWith(
                                         u"Waiting for 00:1A:2B:00:00:01 at 192.168.1.252\u2026 "_qs),
                                     3000);
            // Meanwhile the other device is listed, and the window goes on working.
            QTRY_COMPARE(MainWindow::Rows(*w.dlg)->rowCount(), 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::StatusLine(*w.dlg)->text(), status, withinMs);
        // The other device's row, and the end of the search, leave the check on the line.
        QTRY_COMPARE(MainWindow::Rows(*w.dlg)->rowCount(), fault == u"after=none"_qs ? 1 : 2);
        QTRY_VERIFY_WITH_TIMEOUT(!w.dlg->Engine().IsRefreshTimerActive(), 4000);
        QCOMPARE(MainWindow::StatusLine(*w.dlg)->text(), status);
        QVERIFY2(w.boxes->Texts().isEmpty(), qPrintable(w.boxes->Texts().join(u" | "_qs)));
    }

    // A result that is no success checks nothing: the line says what the device answered.
    void refusedChangeIsNotChecked()
    {
        SettingLab w;
        QVERIFY2(
            w.Open(
                u"kind=camera mac=00:1A:2B:00:00:01 model=NC-1 ip=192.168.1.101 password=pw result=66\n"_qs,
                1),
            qPrintable(w.lab.Error()));
        ClickRowOf(*w.dlg, kMac);
        QVERIFY(PressAndDrive(MainWindow::ManualSetButton(*w.dlg), u"CDlgManualSet"_qs, [](QDialog& d) {
            QTest::keyClicks(d.findChild<QLineEdit*>(u"editPassword"_qs), u"pw"_qs);
            QTest::mouseClick(d.findChild<QPushButton*>(u"buttonOK"_qs), Qt::LeftButton);
        }));
        QTRY_COMPARE(w.boxes->Texts(), QStringList{u"Router Connect Error!"_qs});
        QTest::qWait(1000);
        QCOMPARE(MainWindow::StatusLine(*w.dlg)->text(), u"Router Connect Error!"_qs);
    }
};

NETROVE_LAB_TEST_MAIN(TestVerifyLab, QApplication)

#include "tst_verifylab.moc"
