// "Auto Set" from the main window, as a user does it, against simulated devices: the address the
// dialog proposes after probing the lab's network, the request the device receives, and the device
// reappearing with its new address.

#include "app/CNetroveDlg.h"
#include "autoset/CIPAddressCtrl.h"
#include "batchset/CDlgBatchSet.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/SettingDialogDriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Netrove;

namespace {

const QString kCameraMac = QStringLiteral("02:00:00:00:00:01");
const QString kShortMac = QStringLiteral("02:00:00:00:00:02");
const QString kRecorderMac = QStringLiteral("02:00:00:00:00:03");
const QString kDevices = QStringLiteral(
    "kind=camera mac=02:00:00:00:00:01 model=NC-1 alias=Door ip=192.168.1.101 mask=255.255.0.0 mode=dhcp "
    "password=door\n"
    "kind=camera mac=02:00:00:00:00:02 model=NC-2 ip=192.168.1.102 password=yard short=1\n"
    "kind=recorder mac=02:00:00:00:00:03 model=NVR-1 ip=192.168.1.120 password=rec webport=8000 http=8080 "
    "dlx=9001 tcp=9002 udp=9003 upload=9004 multicast=9005\n");

void TypeAndConfirm(QDialog& dialog, const QString& password)
{
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("editPassword"));
    QTest::keyClicks(edit, password);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("buttonOK")), Qt::LeftButton);
}

} // namespace

class TestAutoSetLab final : public QObject
{
    Q_OBJECT

private:
    SettingLab m_w;

private slots:
    void init() { QVERIFY2(m_w.Open(kDevices, 3), qPrintable(m_w.lab.Error())); }
    void cleanup() { m_w.Close(); }

    void cameraGetsTheTopFreeAddressAndReappears()
    {
        ClickRowOf(*m_w.dlg, kCameraMac);
        QVERIFY(MainWindow::AutoSetButton(*m_w.dlg)->isEnabled());
        const AutoSetOpened opened =
            PressAutoSet(*m_w.dlg, [](QDialog& d) { TypeAndConfirm(d, QStringLiteral("door")); });
        QVERIFY(opened.seen);
        QCOMPARE(opened.address, u"192.168.1.254"_qs);
        QCOMPARE(opened.gateway, u"192.168.1.1"_qs);
        QCOMPARE(opened.mask, u"255.255.0.0"_qs); // the mask the device reported

        QTRY_COMPARE(Settings(m_w.lab).size(), 1);
        const QJsonObject request = Settings(m_w.lab).first();
        QCOMPARE(request.value(QLatin1String("channel")).toString(), u"camera"_qs);
        QCOMPARE(request.value(QLatin1String("size")).toInt(), 326);
        QCOMPARE(Field(request, "opcode"), 2);
        QCOMPARE(Text(request, "mac"), kCameraMac);
        QCOMPARE(Text(request, "ip"), u"192.168.1.254"_qs);
        QCOMPARE(Text(request, "mask"), u"255.255.0.0"_qs);
        QCOMPARE(Text(request, "gateway"), u"192.168.1.1"_qs);
        QCOMPARE(Text(request, "password"), u"door"_qs);
        QCOMPARE(Field(request, "webport"), 10000);
        int port = 10000;
        for (const char* name : {"http", "dlx", "tcp", "udp", "upload", "multicast"})
            QCOMPARE(Field(request, name), port++);
        QCOMPARE(Field(request, "mode"), 0);
        QCOMPARE(request.value(QLatin1String("outcome")).toString(), u"applied"_qs);

        // The device's success empties the list and searches again; it is back with its new address.
        QTRY_COMPARE(m_w.ListedText(kCameraMac, ColumnIp), u"192.168.1.254"_qs);
        QCOMPARE(m_w.ListedText(kCameraMac, ColumnMode), u"Static"_qs);
        QVERIFY(m_w.boxes->Texts().isEmpty());
    }

    void portBlocksUntilTheNextSearch()
    {
        // A wrong password: the device refuses, so no search clears the blocks handed out.
        for (int attempt = 0; attempt < 2; ++attempt) {
            ClickRowOf(*m_w.dlg, kCameraMac);
            QVERIFY(
                PressAutoSet(*m_w.dlg, [](QDialog& d) { TypeAndConfirm(d, QStringLiteral("wrong")); }).seen);
            QTRY_COMPARE(Settings(m_w.lab).size(), attempt + 1);
            QTRY_COMPARE(m_w.boxes->Texts(), QStringList{u"Invalid Password!"_qs});
            m_w.boxes->Clear();
        }
        QCOMPARE(Field(Settings(m_w.lab)[0], "http"), 10000);
        QCOMPARE(Field(Settings(m_w.lab)[1], "http"), 10006);
        QCOMPARE(Field(Settings(m_w.lab)[1], "multicast"), 10011);

        // Cancel, Escape and the close box send nothing and take no block.
        const std::function<void(QDialog&)> ways[] = {
            [](QDialog& d) {
                QTest::mouseClick(d.findChild<QPushButton*>(u"buttonCancel"_qs), Qt::LeftButton);
            },
            [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
            [](QDialog& d) { d.close(); },
        };
        for (const auto& way : ways) {
            ClickRowOf(*m_w.dlg, kCameraMac);
            QVERIFY(PressAutoSet(*m_w.dlg, way).seen);
            QVERIFY(MainWindow::AutoSetButton(*m_w.dlg)->isEnabled());
        }
        QTest::qWait(300);
        QCOMPARE(Settings(m_w.lab).size(), 2);

        // A recorder takes no block and keeps its own ports.
        ClickRowOf(*m_w.dlg, kRecorderMac);
        QVERIFY(PressAutoSet(*m_w.dlg, [](QDialog& d) { TypeAndConfirm(d, QStringLiteral("wrong")); }).seen);
        QTRY_COMPARE(Settings(m_w.lab).size(), 3);
        const QJsonObject recorder = Settings(m_w.lab)[2];
        QCOMPARE(recorder.value(QLatin1String("channel")).toString(), u"recorder"_qs);
        QCOMPARE(recorder.value(QLatin1String("size")).toInt(), 262);
        QCOMPARE(Text(recorder, "mac"), kRecorderMac);
        QCOMPARE(Field(recorder, "webport"), 8000);
        int port = 8080;
        for (const char* name : {"http", "dlx", "tcp", "udp", "upload", "multicast"}) {
            QCOMPARE(Field(recorder, name), port);
            port = port == 8080 ? 9001 : port + 1;
        }
        QCOMPARE(Field(recorder, "mode"), 0);
        QTRY_COMPARE(m_w.boxes->Texts(), QStringList{u"Invalid Password!"_qs});

        // The short-reply camera gets the short form and the next block; after a search, 10000 again.
        ClickRowOf(*m_w.dlg, kShortMac);
        QVERIFY(PressAutoSet(*m_w.dlg, [](QDialog& d) { TypeAndConfirm(d, QStringLiteral("wrong")); }).seen);
        QTRY_COMPARE(Settings(m_w.lab).size(), 4);
        QCOMPARE(Settings(m_w.lab)[3].value(QLatin1String("size")).toInt(), 262);
        QCOMPARE(Field(Settings(m_w.lab)[3], "http"), 10012);

        m_w.dlg->OnBnClickedSearch();
        QTRY_COMPARE(MainWindow::Rows(*m_w.dlg)->rowCount(), 3);
        QTRY_VERIFY(MainWindow::CameraBox(*m_w.dlg)->isEnabled());
        ClickRowOf(*m_w.dlg, kCameraMac);
        QVERIFY(PressAutoSet(*m_w.dlg, [](QDialog& d) { TypeAndConfirm(d, QStringLiteral("wrong")); }).seen);
        QTRY_COMPARE(Settings(m_w.lab).size(), 5);
        QCOMPARE(Field(Settings(m_w.lab)[4], "http"), 10000);
    }

    void searchWhileOpenKeepsTheAddressee()
    {
        ClickRowOf(*m_w.dlg, kCameraMac);
        QVERIFY(PressAutoSet(*m_w.dlg, [this](QDialog& d) {
                    m_w.dlg->OnBnClickedSearch(); // empties the list and the mirror
                    TypeAndConfirm(d, QStringLiteral("door"));
                }).seen);
        QTRY_COMPARE(Settings(m_w.lab).size(), 1);
        QCOMPARE(Text(Settings(m_w.lab).first(), "mac"), kCameraMac);
        QCOMPARE(Settings(m_w.lab).first().value(QLatin1String("outcome")).toString(), u"applied"_qs);
    }

    void takenAddressesAreSkipped()
    {
        QVERIFY2(m_w.lab.Occupy({u"192.168.1.254"_qs, u"192.168.1.253"_qs}), qPrintable(m_w.lab.Error()));
        ClickRowOf(*m_w.dlg, kCameraMac);
        const AutoSetOpened opened = PressAutoSet(*m_w.dlg, [](QDialog& d) { d.reject(); });
        QCOMPARE(opened.address, u"192.168.1.252"_qs);
        QCOMPARE(opened.gateway, u"192.168.1.1"_qs);
    }

    void everyAddressTakenSendsNothing()
    {
        QStringList all;
        for (int host = 241; host <= 254; ++host)
            all << QStringLiteral("192.168.1.%1").arg(host);
        QVERIFY2(m_w.lab.Occupy(all), qPrintable(m_w.lab.Error()));
        ClickRowOf(*m_w.dlg, kCameraMac);
        bool stayedOpen = false;
        const AutoSetOpened opened = PressAutoSet(*m_w.dlg, [&stayedOpen](QDialog& d) {
            // OK sends nothing and the dialog stays; Cancel then closes it.
            QTest::keyClicks(d.findChild<QLineEdit*>(u"editPassword"_qs), u"door"_qs);
            QTest::mouseClick(d.findChild<QPushButton*>(u"buttonOK"_qs), Qt::LeftButton);
            stayedOpen = d.isVisible();
            d.reject();
        });
        QVERIFY(opened.seen);
        QVERIFY(stayedOpen);
        QCOMPARE(opened.address, u"blank"_qs);
        QCOMPARE(opened.gateway, u"blank"_qs);
        QTest::qWait(300);
        QVERIFY(Settings(m_w.lab).isEmpty());
        QVERIFY2(
            m_w.boxes->Texts().contains(u"No free IP address was found in 192.168.1.241 - 192.168.1.254"_qs),
            qPrintable(m_w.boxes->Texts().join(u" | "_qs)));
    }

    void nothingOpensWithoutTheClickedRow()
    {
        // A row chosen with the keyboard after a click on no row: the dialog does not open.
        CNetroveListCtrl& list = *MainWindow::List(*m_w.dlg);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(5, list.viewport()->height() - 5));
        QCOMPARE(m_w.dlg->ClickedItem(), -1);
        list.setFocus();
        list.selectRow(0);
        QVERIFY(MainWindow::AutoSetButton(*m_w.dlg)->isEnabled());
        m_w.dlg->OnBnClickedAutoSet();
        QTest::qWait(200);
        QVERIFY(Settings(m_w.lab).isEmpty());
        QVERIFY(m_w.boxes->Texts().isEmpty());
    }

    // Thirty cameras from the factory, all at one address, chosen with Ctrl+A and set in one go:
    // the addresses from .100 up, each device checked after the change.
    void batchSetOfThirtyFactoryNewCameras()
    {
        m_w.Close();
        QString devices;
        for (int i = 0; i < 30; ++i)
            devices += QStringLiteral(
                           "kind=camera mac=02:00:00:00:0C:%1 model=QMX-1000 ip=192.168.1.64 password=pw\n")
                           .arg(i, 2, 16, QLatin1Char('0'));
        QVERIFY2(m_w.Open(devices, 30), qPrintable(m_w.lab.Error()));
        CNetroveListCtrl* list = MainWindow::List(*m_w.dlg);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(list->SelectedRows().size(), std::size_t(30));
        auto* batch = m_w.dlg->findChild<QPushButton*>(u"buttonBatchSet"_qs);
        QVERIFY(batch->isEnabled() && !MainWindow::AutoSetButton(*m_w.dlg)->isEnabled());

        QStringList macs;
        QStringList planned;
        QStringList results;
        bool probingWhenShown = false;
        const bool opened = PressAndDrive(batch, u"CDlgBatchSet"_qs, [&](QDialog& dialog) {
            auto* table = dialog.findChild<QTableWidget*>(u"tableDevices"_qs);
            // The new addresses come once their pings are done; the window goes on meanwhile.
            auto* batchDialog = qobject_cast<CDlgBatchSet*>(&dialog);
            probingWhenShown = batchDialog && batchDialog->Probing();
            for (int i = 0; i < 250 && batchDialog && batchDialog->Probing(); ++i)
                QTest::qWait(20);
            for (int row = 0; row < table->rowCount(); ++row) {
                macs << table->item(row, 0)->text();
                planned << table->item(row, 3)->text();
            }
            TypeAndConfirm(dialog, u"pw"_qs);
            const auto done = [table] {
                for (int row = 0; row < table->rowCount(); ++row)
                    if (!table->item(row, 4)->text().startsWith(u"now at"_qs))
                        return false;
                return true;
            };
            for (int i = 0; i < 500 && !done(); ++i)
                QTest::qWait(20);
            for (int row = 0; row < table->rowCount(); ++row)
                results << table->item(row, 4)->text();
            if (const QString path = qEnvironmentVariable("NETROVE_SCREENSHOT"); !path.isEmpty())
                dialog.grab().save(path);
            QTest::mouseClick(dialog.findChild<QPushButton*>(u"buttonCancel"_qs), Qt::LeftButton);
        });
        QVERIFY(opened);
        QVERIFY(probingWhenShown);
        QCOMPARE(planned.size(), 30);
        QCOMPARE(planned.first(), u"192.168.1.100"_qs);
        QCOMPARE(planned.last(), u"192.168.1.129"_qs);
        QCOMPARE(Settings(m_w.lab).size(), 30);
        for (int row = 0; row < 30; ++row)
            QCOMPARE(results.value(row), u"now at "_qs + planned[row]);
        QTRY_COMPARE(MainWindow::Rows(*m_w.dlg)->rowCount(), 30);
        for (int row = 0; row < 30; ++row)
            QCOMPARE(m_w.ListedText(macs[row], ColumnIp), planned[row]);
    }
};

NETROVE_LAB_TEST_MAIN(TestAutoSetLab, QApplication)

#include "tst_autosetlab.moc"
