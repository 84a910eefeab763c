// "Manual Set" from the main window against simulated devices: the request each kind of device
// receives, the device taking it, and a refused input that sends nothing and changes nothing.

#include "app/CNetroveDlg.h"
#include "autoset/CIPAddressCtrl.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/SettingDialogDriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Netrove;

namespace {

const QString kCameraMac = QStringLiteral("02:00:00:00:00:01");
const QString kShortMac = QStringLiteral("02:00:00:00:00:02");
const QString kRecorderMac = QStringLiteral("02:00:00:00:00:03");
const QString kDevices = QStringLiteral(
    "kind=camera mac=02:00:00:00:00:01 model=NC-1 alias=Door ip=192.168.1.101 mode=dhcp password=door "
    "http=80 dlx=10000\n"
    "kind=camera mac=02:00:00:00:00:02 model=NC-2 ip=192.168.1.102 password=yard short=1\n"
    "kind=recorder mac=02:00:00:00:00:03 model=NVR-1 ip=192.168.1.120 password=rec webport=8000 http=8080 "
    "dlx=9001 tcp=9002 udp=9003 upload=9004 multicast=9005\n");

template <typename Control> Control* Find(QDialog& dialog, const char* name)
{
    return dialog.findChild<Control*>(QString::fromLatin1(name));
}

void SetAddress(QDialog& dialog, const char* name, const Ipv4Octets& octets)
{
    Find<CIPAddressCtrl>(dialog, name)->SetAddress(octets);
}

void Type(QDialog& dialog, const char* name, const QString& text)
{
    QLineEdit* edit = Find<QLineEdit>(dialog, name);
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

bool ManualSet(CNetroveDlg& dlg, const std::function<void(QDialog&)>& act)
{
    return PressAndDrive(MainWindow::ManualSetButton(dlg), QStringLiteral("CDlgManualSet"), act);
}

void Confirm(QDialog& dialog)
{
    QTest::mouseClick(Find<QPushButton>(dialog, "buttonOK"), Qt::LeftButton);
}

} // namespace

class TestManualSetLab final : public QObject
{
    Q_OBJECT

private:
    SettingLab m_w;

private slots:
    void init() { QVERIFY2(m_w.Open(kDevices, 3), qPrintable(m_w.lab.Error())); }
    void cleanup() { m_w.Close(); }

    void cameraTakesStaticSettingsAndReappears()
    {
        ClickRowOf(*m_w.dlg, kCameraMac);
        QVERIFY(MainWindow::ManualSetButton(*m_w.dlg)->isEnabled());
        QString shownMac;
        QVERIFY(ManualSet(*m_w.dlg, [&shownMac](QDialog& d) {
            shownMac = Find<QLineEdit>(d, "editMac")->text();
            QTest::mouseClick(Find<QRadioButton>(d, "radioStatic"), Qt::LeftButton);
            SetAddress(d, "ipAddress", {192, 168, 1, 150});
            SetAddress(d, "ipSubnetMask", {255, 255, 255, 0});
            SetAddress(d, "ipGateway", {192, 168, 1, 1});
            Type(d, "editHttpPort", u"8081"_qs);
            Type(d, "editDlxPort", u"9000"_qs);
            Type(d, "editPassword", u"door"_qs);
            Confirm(d);
        }));
        QCOMPARE(shownMac, kCameraMac);

        QTRY_COMPARE(Settings(m_w.lab).size(), 1);
        const QJsonObject request = Settings(m_w.lab).first();
        QCOMPARE(request.value(QLatin1String("channel")).toString(), u"camera"_qs);
        QCOMPARE(request.value(QLatin1String("size")).toInt(), 326);
        QCOMPARE(Field(request, "opcode"), 2);
        QCOMPARE(Text(request, "mac"), kCameraMac);
        QCOMPARE(Text(request, "ip"), u"192.168.1.150"_qs);
        QCOMPARE(Text(request, "mask"), u"255.255.255.0"_qs);
        QCOMPARE(Text(request, "gateway"), u"192.168.1.1"_qs);
        QCOMPARE(Text(request, "password"), u"door"_qs);
        QCOMPARE(Field(request, "http"), 8081);
        QCOMPARE(Field(request, "webport"), 8081);
        QCOMPARE(Field(request, "dlx"), 9000);
        for (const char* hidden : {"tcp", "udp", "upload", "multicast"})
            QCOMPARE(Field(request, hidden), 0);
        QCOMPARE(Field(request, "mode"), 0);
        QCOMPARE(request.value(QLatin1String("outcome")).toString(), u"applied"_qs);

        // The device answers, the list empties and the camera is back with what was sent.
        QTRY_COMPARE(m_w.ListedText(kCameraMac, ColumnIp), u"192.168.1.150"_qs);
        QCOMPARE(m_w.ListedText(kCameraMac, ColumnMode), u"Static"_qs);
        QVERIFY(m_w.boxes->Texts().isEmpty());
    }

    void shortReplyCameraAndRecorderGetTheShortForm_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("channel");
        QTest::addColumn<int>("http");
        QTest::addColumn<int>("second");
        QTest::newRow("camera that answered short") << kShortMac << u"camera"_qs << 80 << 10000;
        QTest::newRow("recorder") << kRecorderMac << u"recorder"_qs << 8080 << 9001;
    }

    void shortReplyCameraAndRecorderGetTheShortForm()
    {
        QFETCH(QString, mac);
        QFETCH(QString, channel);
        QFETCH(int, http);
        QFETCH(int, second);

        ClickRowOf(*m_w.dlg, mac);
        // The reported values go back unchanged but for the password.
        QVERIFY(ManualSet(*m_w.dlg, [](QDialog& d) {
            Type(d, "editPassword", u"wrong"_qs);
            Confirm(d);
        }));
        QTRY_COMPARE(Settings(m_w.lab).size(), 1);
        const QJsonObject request = Settings(m_w.lab).first();
        QCOMPARE(request.value(QLatin1String("channel")).toString(), channel);
        QCOMPARE(request.value(QLatin1String("size")).toInt(), 262);
        QCOMPARE(Text(request, "mac"), mac);
        QCOMPARE(Field(request, "http"), http);
        QCOMPARE(Field(request, "webport"), http);
        QCOMPARE(Field(request, "dlx"), second);
        QCOMPARE(Text(request, "password"), u"wrong"_qs);
        QTRY_COMPARE(m_w.boxes->Texts(), QStringList{u"Invalid Password!"_qs});
    }

    void refusedInputSendsNothingAndChangesNothing()
    {
        ClickRowOf(*m_w.dlg, kCameraMac);
        const QString statusBefore = MainWindow::StatusLine(*m_w.dlg)->text();
        QString ipBefore, ipAfter, httpBefore, httpAfter;
        bool dhcpBefore = false, dhcpAfter = false, stayedOpen = false;
        QVERIFY(ManualSet(*m_w.dlg, [&](QDialog& d) {
            // A DHCP camera still needs a gateway whose first octet is 1 to 223.
            SetAddress(d, "ipGateway", {0, 0, 0, 0});
            ipBefore =
                QString::fromStdString(FormatDottedQuad(Find<CIPAddressCtrl>(d, "ipAddress")->GetAddress()));
            httpBefore = Find<QLineEdit>(d, "editHttpPort")->text();
            dhcpBefore = Find<QRadioButton>(d, "radioDhcp")->isChecked();
            Confirm(d); // the message box is answered by the BoxAnswerer
            ipAfter =
                QString::fromStdString(FormatDottedQuad(Find<CIPAddressCtrl>(d, "ipAddress")->GetAddress()));
            httpAfter = Find<QLineEdit>(d, "editHttpPort")->text();
            dhcpAfter = Find<QRadioButton>(d, "radioDhcp")->isChecked();
            stayedOpen = d.isVisible();
            d.reject();
        }));
        QVERIFY(stayedOpen);
        QCOMPARE(m_w.boxes->Texts(),
                 QStringList{u"The first octet value of Gateway must be from 1 to 223"_qs});
        QCOMPARE(ipAfter, ipBefore);
        QCOMPARE(httpAfter, httpBefore);
        QVERIFY(dhcpBefore);
        QCOMPARE(dhcpAfter, dhcpBefore);
        QTest::qWait(300);
        QVERIFY(Settings(m_w.lab).isEmpty());
        QCOMPARE(MainWindow::StatusLine(*m_w.dlg)->text(), statusBefore);
        QVERIFY(MainWindow::ManualSetButton(*m_w.dlg)->isEnabled());
    }

    void nothingOpensWithoutAChosenRow()
    {
        MainWindow::List(*m_w.dlg)->clearSelection();
        m_w.dlg->OnBnClickedManualSet();
        QTest::qWait(200);
        QVERIFY(Settings(m_w.lab).isEmpty());
        QVERIFY(m_w.boxes->Texts().isEmpty());
    }
};

NETROVE_LAB_TEST_MAIN(TestManualSetLab, QApplication)

#include "tst_manualsetlab.moc"
