// "Auto Set" on a computer with two links (lab0 192.168.1.10/24, lab1 10.0.5.7/16): the dialog
// proposes an address of the network the chosen device answered on, a host that ignores pings
// still counts as taken, and the dialog opens after one wait however many candidates are taken.

#include "app/CNetroveDlg.h"
#include "autoset/CIPAddressCtrl.h"
#include "devicelist/CNetroveListCtrl.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/BoxAnswerer.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/SettingDialogDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <memory>

using namespace Netrove;

namespace {

const QString kFirstCamera = QStringLiteral("02:00:00:00:0A:01");
const QString kSecondCamera = QStringLiteral("02:00:00:00:0B:01");

AutoSetOpened AutoSetAndCancel(CNetroveDlg& dlg)
{
    return PressAutoSet(dlg, [](QDialog& dialog) { dialog.reject(); });
}

} // namespace

class TestAutoSetNetworkLab final : public QObject
{
    Q_OBJECT

private:
    LabFixture m_first;
    LabFixture m_second{LabFixture::Side::Devices2};
    std::unique_ptr<BoxAnswerer> m_boxes;
    std::unique_ptr<CNetroveDlg> m_dlg;
    int m_taken = 0;

private slots:
    void initTestCase()
    {
        QVERIFY2(m_first.Start(QStringLiteral("kind=camera mac=02:00:00:00:0A:01 ip=192.168.1.101 "
                                              "mask=255.255.255.0 password=pw\n")),
                 qPrintable(m_first.Error()));
        QVERIFY2(m_second.Start(QStringLiteral("kind=camera mac=02:00:00:00:0B:01 ip=10.0.5.101 "
                                               "mask=255.255.0.0 gateway=10.0.0.1 password=pw\n")),
                 qPrintable(m_second.Error()));
    }

    void init()
    {
        m_boxes = std::make_unique<BoxAnswerer>();
        m_dlg = std::make_unique<CNetroveDlg>();
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
        QTRY_COMPARE_WITH_TIMEOUT(MainWindow::Rows(*m_dlg)->rowCount(), 2, 5000);
        QTRY_VERIFY(MainWindow::CameraBox(*m_dlg)->isEnabled());
    }

    void cleanup()
    {
        m_dlg.reset();
        m_boxes.reset();
    }

    // The rows build on each other: what a row occupies on the second link stays occupied.
    void secondLink_data()
    {
        QTest::addColumn<QStringList>("answering");
        QTest::addColumn<QStringList>("ignoringPings");
        QTest::addColumn<QString>("address");

        QTest::newRow("nothing taken") << QStringList{} << QStringList{} << "10.0.5.254";
        QTest::newRow(".254 ignores pings") << QStringList{} << QStringList{u"10.0.5.254"_qs} << "10.0.5.253";
        QTest::newRow(".254 to .250, some answering pings")
            << QStringList{u"10.0.5.253"_qs, u"10.0.5.251"_qs}
            << QStringList{u"10.0.5.252"_qs, u"10.0.5.250"_qs} << "10.0.5.249";
    }

    void secondLink()
    {
        QFETCH(QStringList, answering);
        QFETCH(QStringList, ignoringPings);
        QFETCH(QString, address);
        if (!answering.isEmpty())
            QVERIFY2(m_second.Occupy(answering, true), qPrintable(m_second.Error()));
        if (!ignoringPings.isEmpty())
            QVERIFY2(m_second.OccupyIgnoringPings(ignoringPings, true), qPrintable(m_second.Error()));
        m_taken += int(answering.size() + ignoringPings.size());

        ClickRowOf(*m_dlg, kSecondCamera);
        QVERIFY(MainWindow::AutoSetButton(*m_dlg)->isEnabled());
        const AutoSetOpened opened = AutoSetAndCancel(*m_dlg);
        QVERIFY(opened.seen);
        qInfo("\"Auto Set\" to the dialog: %lld ms, %d of the candidates taken", opened.ms, m_taken);
        QCOMPARE(opened.address, address);
        QCOMPARE(opened.gateway, u"10.0.5.1"_qs);
        QCOMPARE(opened.mask, u"255.255.0.0"_qs);
        QVERIFY2(m_boxes->Texts().isEmpty(), qPrintable(m_boxes->Texts().join(u" | "_qs)));
    }

    // The other row's device answered on the first link: its address comes from that network.
    void firstLinkStaysOnItsNetwork()
    {
        ClickRowOf(*m_dlg, kFirstCamera);
        const AutoSetOpened opened = AutoSetAndCancel(*m_dlg);
        QVERIFY(opened.seen);
        QCOMPARE(opened.address, u"192.168.1.254"_qs);
        QCOMPARE(opened.gateway, u"192.168.1.1"_qs);
        QCOMPARE(opened.mask, u"255.255.255.0"_qs);
    }
};

NETROVE_LAB_TEST_MAIN(TestAutoSetNetworkLab, QApplication)

#include "tst_autosetnetworklab.moc"
