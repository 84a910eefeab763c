// Choosing a row of the main window's list, as a user does it with the mouse and the keyboard: which
// setting buttons it allows, what the window keeps of the chosen device, and the row of the last click.

#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveHeaderCtrl.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "engine/DeviceEngine.h"
#include "tests/app/MainWindowControls.h"
#include "tests/devicelist/BrowserStandIn.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/LabWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Netrove;
using Netrove::Test::WaitFor;
using Netrove::Test::Window;

namespace {

const QString kDevices = QStringLiteral(
    "kind=camera mac=02:00:00:00:00:01 model=NC-1 ip=192.168.1.101 mask=255.255.0.0 gateway=192.168.1.254 "
    "http=81 dlx=10001 tcp=10031 udp=10021 upload=10011\n"
    "kind=camera6 mac=02:00:00:00:00:02 model=NC-6 ip=192.168.1.102 ipv6=fe80::2 http=82\n"
    "kind=recorder mac=02:00:00:00:00:03 model=NVR-A ip=192.168.1.120 http=83\n"
    "kind=recorder mac=02:00:00:00:00:04 model=NVR-B ip=192.168.1.121 setting=0\n"
    "kind=camera mac=02:00:00:00:00:05 model=NC-5 ip=300.1.2.3 gateway=nonsense\n");
constexpr int kRows = 5;

// A window with every device listed (over IPv4 only unless asked) and the search settled.
bool Open(Window& w, bool ipv4 = true)
{
    if (!w.lab.Start(kDevices))
        return false;
    w.dlg.show();
    if (!QTest::qWaitForWindowExposed(&w.dlg))
        return false;
    if (!ipv4) {
        if (!WaitFor([&w] { return MainWindow::IPv4Box(w.dlg)->isEnabled(); }))
            return false;
        MainWindow::SetBox(MainWindow::IPv4Box(w.dlg), false);
        w.dlg.OnBnClickedSearch();
        QTest::qWait(500);
        return MainWindow::Rows(w.dlg)->rowCount() == 1;
    }
    // The dual camera may answer over IPv6 last; ask again over IPv4 only so that every row is IPv4.
    if (!WaitFor([&w] { return MainWindow::IPv6Box(w.dlg)->isEnabled(); }))
        return false;
    MainWindow::SetBox(MainWindow::IPv6Box(w.dlg), false);
    w.dlg.OnBnClickedSearch();
    WaitFor([&w] { return MainWindow::Rows(w.dlg)->rowCount() >= kRows; });
    QTest::qWait(200);
    return MainWindow::Rows(w.dlg)->rowCount() == kRows;
}

int RowOf(const Window& w, const char* mac)
{
    return MainWindow::Rows(w.dlg)->FindRowByMac(QString::fromLatin1(mac));
}

void ClickRow(Window& w, int row, Qt::MouseButton button = Qt::LeftButton)
{
    CNetroveListCtrl& list = *MainWindow::List(w.dlg);
    const QPoint at = list.visualRect(list.model()->index(row, ColumnDeviceName)).center();
    QTest::mouseClick(list.viewport(), button, {}, at);
}

QString Octets(const std::optional<Ipv4Octets>& octets)
{
    return octets ? QString::fromStdString(FormatDottedQuad(*octets)) : QStringLiteral("blank");
}

bool SettingButtons(const CNetroveDlg& dlg)
{
    return MainWindow::AutoSetButton(dlg)->isEnabled() && MainWindow::ManualSetButton(dlg)->isEnabled();
}

bool NoSettingButton(const CNetroveDlg& dlg)
{
    return !MainWindow::AutoSetButton(dlg)->isEnabled() && !MainWindow::ManualSetButton(dlg)->isEnabled();
}

} // namespace

class TestSelectionLab final : public QObject
{
    Q_OBJECT

private slots:
    void enableRulesAndMirror_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("settable");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("httpPort");

        QTest::newRow("camera") << u"02:00:00:00:00:01"_qs << Qt::LeftButton << true << u"192.168.1.101"_qs
                                << u"192.168.1.254"_qs << u"81"_qs;
        QTest::newRow("camera, right button") << u"02:00:00:00:00:01"_qs << Qt::RightButton << true
                                              << u"192.168.1.101"_qs << u"192.168.1.254"_qs << u"81"_qs;
        QTest::newRow("recorder that may be set") << u"02:00:00:00:00:03"_qs << Qt::LeftButton << true
                                                  << u"192.168.1.120"_qs << u"192.168.1.1"_qs << u"83"_qs;
        QTest::newRow("recorder that may not be set") << u"02:00:00:00:00:04"_qs << Qt::LeftButton << false
                                                      << u"192.168.1.121"_qs << u"192.168.1.1"_qs << u"80"_qs;
        QTest::newRow("address numbers keep their low 8 bits")
            << u"02:00:00:00:00:05"_qs << Qt::RightButton << true << u"44.1.2.3"_qs << u"blank"_qs
            << u"80"_qs;
    }

    void enableRulesAndMirror()
    {
        QFETCH(QString, mac);
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, settable);
        QFETCH(QString, ip);
        QFETCH(QString, gateway);
        QFETCH(QString, httpPort);

        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        const int row = MainWindow::Rows(w.dlg)->FindRowByMac(mac);
        QVERIFY(row >= 0);
        ClickRow(w, row, button);

        QCOMPARE(MainWindow::List(w.dlg)->SelectedRow(), row);
        QCOMPARE(w.dlg.ClickedItem(), row);
        QCOMPARE(SettingButtons(w.dlg), settable);
        if (!settable)
            QVERIFY(NoSettingButton(w.dlg));
        QCOMPARE(w.dlg.Mirror().mac, mac);
        QCOMPARE(Octets(w.dlg.Mirror().ip), ip);
        QCOMPARE(Octets(w.dlg.Mirror().gateway), gateway);
        QCOMPARE(w.dlg.Mirror().httpPort, httpPort);
        QVERIFY(w.dlg.Mirror().password.isEmpty());
    }

    void ipv6RowCannotBeSet()
    {
        Window w;
        QVERIFY2(Open(w, false), qPrintable(w.lab.Error()));
        QCOMPARE(MainWindow::Rows(w.dlg)->Text(0, ColumnProtocol), u"IPv6"_qs);
        ClickRow(w, 0);
        QVERIFY(NoSettingButton(w.dlg));
        // The mirror comes from the row's own IPv6 reply.
        QCOMPARE(w.dlg.Mirror().mac, u"02:00:00:00:00:02"_qs);
        QCOMPARE(w.dlg.Mirror().httpPort, u"82"_qs);
        QCOMPARE(w.dlg.ClickedItem(), 0);
    }

    void keyboardMovesTheMirrorButNotTheClickedRow()
    {
        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        MainWindow::List(w.dlg)->ToggleSort(ColumnMac); // rows in MAC order: 01 02 03 04 05
        ClickRow(w, 2);
        QCOMPARE(w.dlg.Mirror().mac, u"02:00:00:00:00:03"_qs);
        QTest::keyClick(MainWindow::List(w.dlg), Qt::Key_Down);
        QCOMPARE(MainWindow::List(w.dlg)->SelectedRow(), 3);
        QCOMPARE(w.dlg.Mirror().mac, u"02:00:00:00:00:04"_qs);
        QVERIFY(NoSettingButton(w.dlg)); // the recorder that may not be set
        QCOMPARE(w.dlg.ClickedItem(), 2);
        QTest::keyClick(MainWindow::List(w.dlg), Qt::Key_Down);
        QCOMPARE(w.dlg.Mirror().mac, u"02:00:00:00:00:05"_qs);
        QVERIFY(SettingButtons(w.dlg));
        QCOMPARE(w.dlg.ClickedItem(), 2);
    }

    void clickBelowTheLastRow()
    {
        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        const int camera = RowOf(w, "02:00:00:00:00:01");
        ClickRow(w, camera);
        QVERIFY(SettingButtons(w.dlg));

        CNetroveListCtrl& list = *MainWindow::List(w.dlg);
        const QRect last = list.visualRect(list.model()->index(kRows - 1, ColumnDeviceName));
        const QPoint below(last.center().x(), last.bottom() + last.height() * 2);
        QVERIFY(!list.indexAt(below).isValid());
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, below);
        QCOMPARE(w.dlg.ClickedItem(), -1);
        QVERIFY(NoSettingButton(w.dlg));
        // The mirror keeps the row that was chosen before.
        QCOMPARE(w.dlg.Mirror().mac, u"02:00:00:00:00:01"_qs);
    }

    void columnClickWithAndWithoutSelection()
    {
        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        ClickRow(w, RowOf(w, "02:00:00:00:00:01"));
        QCOMPARE(w.dlg.Mirror().httpPort, u"81"_qs);

        // With a row chosen, the mirror follows it to its sorted place.
        w.dlg.OnColumnClickList(ColumnIp);
        QCOMPARE(MainWindow::Rows(w.dlg)->Text(MainWindow::List(w.dlg)->SelectedRow(), ColumnMac),
                 u"02:00:00:00:00:01"_qs);
        QCOMPARE(w.dlg.Mirror().mac, u"02:00:00:00:00:01"_qs);
        QCOMPARE(Octets(w.dlg.Mirror().ip), u"192.168.1.101"_qs);

        // Without one: the MAC and the addresses are emptied, the ports stay.
        MainWindow::List(w.dlg)->clearSelection();
        w.dlg.OnColumnClickList(ColumnIp);
        QVERIFY(w.dlg.Mirror().mac.isEmpty());
        QCOMPARE(Octets(w.dlg.Mirror().ip), u"blank"_qs);
        QCOMPARE(Octets(w.dlg.Mirror().subnetMask), u"blank"_qs);
        QCOMPARE(Octets(w.dlg.Mirror().gateway), u"blank"_qs);
        QCOMPARE(w.dlg.Mirror().httpPort, u"81"_qs);
        QCOMPARE(w.dlg.Mirror().dlxPort, u"10001"_qs);
        QCOMPARE(w.dlg.Mirror().tcpPort, u"10031"_qs);
        QCOMPARE(w.dlg.Mirror().udpPort, u"10021"_qs);
        QCOMPARE(w.dlg.Mirror().uploadPort, u"10011"_qs);
    }

    void headerClickSorts()
    {
        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        CNetroveHeaderCtrl& header = *(&MainWindow::List(w.dlg)->Header());
        QTRY_VERIFY(header.isEnabled()); // once the search has settled
        const auto click = [&header](int column) {
            const QPoint at(header.sectionViewportPosition(column) + header.sectionSize(column) / 2,
                            header.height() / 2);
            QTest::mouseClick(header.viewport(), Qt::LeftButton, {}, at);
        };
        click(ColumnMac);
        QCOMPARE(MainWindow::List(w.dlg)->m_nSortColumn, int(ColumnMac));
        QCOMPARE(MainWindow::Rows(w.dlg)->Text(0, ColumnMac), u"02:00:00:00:00:01"_qs);
        click(ColumnMac);
        QCOMPARE(MainWindow::List(w.dlg)->m_bSortAscending, 0);
        QCOMPARE(MainWindow::Rows(w.dlg)->Text(0, ColumnMac), u"02:00:00:00:00:05"_qs);
        // A picture of the sorted window for a person to look at, when one is asked for.
        if (const QString path = qEnvironmentVariable("NETROVE_SCREENSHOT"); !path.isEmpty())
            QVERIFY(w.dlg.grab().save(path));
    }

    void doubleClickOpensTheWebPage()
    {
        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        BrowserStandIn browser;
        CNetroveListCtrl& list = *MainWindow::List(w.dlg);
        const int camera = RowOf(w, "02:00:00:00:00:01");
        // A double-click is a click and then the second press.
        const QPoint at = list.visualRect(list.model()->index(camera, ColumnDeviceName)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(browser.OpenedTexts(), QStringList{u"http://192.168.1.101:80"_qs});
    }

    void choosingARowEndsTheSearchCycle()
    {
        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        w.dlg.OnBnClickedSearch();
        QTRY_COMPARE(MainWindow::Rows(w.dlg)->rowCount(), kRows);
        QVERIFY(!MainWindow::CameraBox(w.dlg)->isEnabled());
        QVERIFY(w.dlg.Engine().IsRefreshTimerActive());
        ClickRow(w, 0);
        QVERIFY(!w.dlg.Engine().IsRefreshTimerActive());
        QVERIFY(!w.dlg.Engine().IsSettleTimerActive());
        for (QCheckBox* box : {MainWindow::CameraBox(w.dlg), MainWindow::NvrBox(w.dlg),
                               MainWindow::IPv4Box(w.dlg), MainWindow::IPv6Box(w.dlg)})
            QVERIFY(box->isEnabled());
        QVERIFY((&MainWindow::List(w.dlg)->Header())->isEnabled());
        // No "Scan End" comes, and nothing is added while the row is chosen.
        QTest::qWait(3200);
        QCOMPARE(MainWindow::StatusLine(w.dlg)->text(), u"Scan 5 Items"_qs);
    }
};

NETROVE_LAB_TEST_MAIN(TestSelectionLab, QApplication)

#include "tst_selectionlab.moc"
