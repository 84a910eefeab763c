#include "app/CAboutDlg.h"
#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "engine/DeviceEngine.h"
#include "tests/AccessibleName.h"
#include "tests/FileDialogAnswerer.h"
#include "tests/app/MainWindowControls.h"
#include "tests/devicelist/CsvReader.h"
#include "tests/engine/FakeChannel.h"
#include "tests/lab/BoxAnswerer.h"

#include <QApplication>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Netrove;

namespace {

// Devices that never answer: the window searches as it opens, and nothing leaves the test.
std::unique_ptr<FakeChannel> Quiet()
{
    return std::make_unique<FakeChannel>();
}

} // namespace

class TestMainWindow final : public QObject
{
    Q_OBJECT

private slots:
    void everyControlIsNamed()
    {
        CNetroveDlg dlg(Quiet());
        const char* names[] = {"checkIpCamera",   "checkNvr",  "deviceList",   "statusLine",
                               "checkIPv4",       "checkIPv6", "buttonSearch", "buttonAutoSet",
                               "buttonManualSet", "buttonExit"};
        for (const char* name : names) {
            auto* widget = dlg.findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(widget, name);
            QVERIFY2(!AccessibleName(widget).isEmpty() || widget == MainWindow::StatusLine(dlg), name);
        }
        QCOMPARE(AccessibleName(MainWindow::AutoSetButton(dlg)), QStringLiteral("Auto Set"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Netrove v2.0.1.2 for the network products"));
    }

    void listColumns()
    {
        CNetroveDlg dlg(Quiet());
        const QStringList titles = {QStringLiteral("No"),          QStringLiteral("Device Name"),
                                    QStringLiteral("Alias"),       QStringLiteral("Mode"),
                                    QStringLiteral("MAC Address"), QStringLiteral("IP Address"),
                                    QStringLiteral("Protocol"),    QStringLiteral("URL")};
        const int widths[] = {40, 100, 100, 70, 120, 100, 80, 220};
        QCOMPARE(MainWindow::Rows(dlg)->columnCount(), 8);
        for (int column = 0; column < 8; ++column) {
            QCOMPARE(MainWindow::List(dlg)->model()->headerData(column, Qt::Horizontal).toString(),
                     titles[column]);
            QCOMPARE(MainWindow::List(dlg)->columnWidth(column), widths[column]);
        }
        const auto alignment = [&dlg](int column) {
            return MainWindow::List(dlg)
                ->model()
                ->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole)
                .value<Qt::Alignment>();
        };
        QVERIFY(alignment(7) & Qt::AlignLeft);
        QVERIFY(alignment(4) & Qt::AlignHCenter);
        QCOMPARE(MainWindow::List(dlg)->selectionMode(), QAbstractItemView::ExtendedSelection);
    }

    void initialState()
    {
        CNetroveDlg dlg(Quiet());
        dlg.OnInitDialog();
        QVERIFY(MainWindow::CameraBox(dlg)->isChecked());
        QVERIFY(MainWindow::NvrBox(dlg)->isChecked());
        QVERIFY(MainWindow::IPv4Box(dlg)->isChecked());
        QVERIFY(MainWindow::IPv6Box(dlg)->isChecked());
        QVERIFY(dlg.Engine().Choice().camera && dlg.Engine().Choice().nvr);
        QVERIFY(dlg.Engine().Choice().ipv4 && dlg.Engine().Choice().ipv6);
        QCOMPARE(dlg.ClickedItem(), -1);
        QCOMPARE(dlg.Engine().LastItemCount(), -1);
        QCOMPARE(dlg.Mirror().password, QStringLiteral("7517"));
        QVERIFY(!MainWindow::AutoSetButton(dlg)->isEnabled());
        QVERIFY(!MainWindow::ManualSetButton(dlg)->isEnabled());
    }

    // Clicks on the real boxes reach the rule through the handlers.
    void boxClicksApplyTheRule()
    {
        CNetroveDlg dlg(Quiet());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        enableModeBoxes(dlg);

        QTest::mouseClick(MainWindow::IPv4Box(dlg), Qt::LeftButton);
        QTest::mouseClick(MainWindow::IPv6Box(dlg), Qt::LeftButton);
        QVERIFY(!MainWindow::SearchButton(dlg)->isEnabled());
        QTest::mouseClick(MainWindow::IPv6Box(dlg), Qt::LeftButton);
        QVERIFY(MainWindow::SearchButton(dlg)->isEnabled());

        // Only NVR, no IPv4: the IPv6 box goes grey but keeps its mark.
        QTest::mouseClick(MainWindow::CameraBox(dlg), Qt::LeftButton);
        QVERIFY(!MainWindow::SearchButton(dlg)->isEnabled());
        QVERIFY(!MainWindow::IPv6Box(dlg)->isEnabled());
        QVERIFY(MainWindow::IPv6Box(dlg)->isChecked());
        QTest::mouseClick(MainWindow::CameraBox(dlg), Qt::LeftButton);
        QVERIFY(MainWindow::SearchButton(dlg)->isEnabled());
        QVERIFY(MainWindow::IPv6Box(dlg)->isEnabled());
    }

    void withoutIPv6TheBoxNeverComesBack()
    {
        auto channel = Quiet();
        channel->ipv6Supported = false;
        BoxAnswerer answerer;
        CNetroveDlg dlg(std::move(channel));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        enableModeBoxes(dlg);
        QVERIFY(!MainWindow::IPv6Box(dlg)->isEnabled());
        QVERIFY(!MainWindow::IPv6Box(dlg)->isChecked());
        for (QCheckBox* box :
             {MainWindow::CameraBox(dlg), MainWindow::NvrBox(dlg), MainWindow::IPv4Box(dlg)}) {
            QTest::mouseClick(box, Qt::LeftButton);
            QVERIFY(!MainWindow::IPv6Box(dlg)->isEnabled());
            QTest::mouseClick(box, Qt::LeftButton);
            QVERIFY(!MainWindow::IPv6Box(dlg)->isEnabled());
        }
        QCOMPARE(answerer.Texts(), QStringList{u"This computer doesn't support the IPv6."_qs});
        QVERIFY(!dlg.Engine().Choice().ipv6);
    }

    void enterDoesNothing()
    {
        CNetroveDlg dlg(Quiet());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QSignalSpy finished(&dlg, &QDialog::finished);
        QSignalSpy exitClicked(MainWindow::ExitButton(dlg), &QPushButton::clicked);
        QSignalSpy searchClicked(MainWindow::SearchButton(dlg), &QPushButton::clicked);
        for (QWidget* target : {static_cast<QWidget*>(MainWindow::ExitButton(dlg)),
                                static_cast<QWidget*>(MainWindow::SearchButton(dlg)),
                                static_cast<QWidget*>(MainWindow::List(dlg)), static_cast<QWidget*>(&dlg)}) {
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Return);
            QTest::keyClick(target, Qt::Key_Enter);
        }
        QCOMPARE(finished.count(), 0);
        QCOMPARE(exitClicked.count(), 0);
        QCOMPARE(searchClicked.count(), 0);
        QVERIFY(dlg.isVisible());
    }

    void exitEscapeAndCloseEndTheWindow_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Exit") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }

    void exitEscapeAndCloseEndTheWindow()
    {
        QFETCH(int, how);
        CNetroveDlg dlg(Quiet());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QSignalSpy finished(&dlg, &QDialog::finished);
        if (how == 0)
            QTest::mouseClick(MainWindow::ExitButton(dlg), Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else
            dlg.close();
        QCOMPARE(finished.count(), 1);
        QVERIFY(!dlg.isVisible());
    }

    void findInstanceIsAnswered()
    {
        CNetroveDlg dlg(Quiet());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.showMinimized();
        QCOMPARE(dlg.OnFindInstance(), quint32(0x402));
        QVERIFY(!dlg.isMinimized());
    }

    void systemCommands_data()
    {
        QTest::addColumn<unsigned int>("command");
        QTest::addColumn<bool>("opens");
        QTest::newRow("About") << 0x10u << true;
        QTest::newRow("About, low bits set") << 0x1Fu << true;
        QTest::newRow("About, some low bits") << 0x13u << true;
        QTest::newRow("next command") << 0x20u << false;
        QTest::newRow("none") << 0x0u << false;
        QTest::newRow("move") << 0xF010u << false;
        QTest::newRow("minimise") << 0xF020u << false;
        QTest::newRow("close") << 0xF060u << false;
    }

    // Commands that are not the About entry's are left to the platform.
    void systemCommands()
    {
        QFETCH(unsigned int, command);
        QFETCH(bool, opens);
        CNetroveDlg dlg(Quiet());
        bool handled = false;
        QCOMPARE(AboutBoxesOpenedBy([&] { handled = dlg.OnSysCommand(command); }), opens ? 1 : 0);
        QCOMPARE(handled, opens);
    }

    void f1OpensTheAboutBox()
    {
        CNetroveDlg dlg(Quiet());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        MainWindow::List(dlg)->setFocus();
        QCOMPARE(AboutBoxesOpenedBy([&dlg] { QTest::keyClick(MainWindow::List(dlg), Qt::Key_F1); }), 1);
        QVERIFY(dlg.isVisible());
    }

    // A larger window gives the list all its new room; the row below keeps its order, spacing and
    // size, and the template's size is the smallest.
    void windowGrows_data()
    {
        QTest::addColumn<QSize>("growth");
        QTest::newRow("wider and taller") << QSize(300, 200);
        QTest::newRow("wider only") << QSize(250, 0);
        QTest::newRow("taller only") << QSize(0, 120);
    }

    void windowGrows()
    {
        QFETCH(QSize, growth);
        CNetroveDlg dlg(Quiet());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QSize initial = dlg.size();
        QCOMPARE(dlg.minimumSize(), initial);
        QVERIFY(dlg.maximumWidth() > initial.width() && dlg.maximumHeight() > initial.height());
        QVERIFY(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);

        const QList<QWidget*> top = {MainWindow::CameraBox(dlg), MainWindow::NvrBox(dlg)};
        const QList<QWidget*> below = {MainWindow::StatusLine(dlg),    MainWindow::IPv4Box(dlg),
                                       MainWindow::IPv6Box(dlg),       MainWindow::SearchButton(dlg),
                                       MainWindow::AutoSetButton(dlg), MainWindow::ManualSetButton(dlg),
                                       MainWindow::ExitButton(dlg)};
        const auto geometries = [](const QList<QWidget*>& controls) {
            QList<QRect> rects;
            for (QWidget* control : controls)
                rects << control->geometry();
            return rects;
        };
        const QRect list = MainWindow::List(dlg)->geometry();
        const QList<QRect> topBefore = geometries(top);
        const QList<QRect> belowBefore = geometries(below);

        dlg.resize(initial + growth);
        QTRY_COMPARE(dlg.size(), initial + growth);
        QCOMPARE(MainWindow::List(dlg)->geometry(), list.adjusted(0, 0, growth.width(), growth.height()));
        QCOMPARE(MainWindow::List(dlg)->columnWidth(ColumnUrl), 220 + growth.width());
        QCOMPARE(MainWindow::List(dlg)->columnWidth(ColumnIp), 100);
        QCOMPARE(geometries(top), topBefore);
        const QList<QRect> belowAfter = geometries(below);
        for (qsizetype i = 0; i < below.size(); ++i) {
            QCOMPARE(belowAfter[i].size(), belowBefore[i].size());
            QCOMPARE(belowAfter[i].topLeft() - belowBefore[i].topLeft(),
                     QPoint(growth.width(), growth.height()));
            if (i > 0)
                QVERIFY(belowAfter[i].left() > belowAfter[i - 1].right());
        }
        QVERIFY(belowAfter.first().top() > MainWindow::List(dlg)->geometry().bottom());
        QVERIFY(dlg.rect().contains(belowAfter.last()));

        // Never smaller than the template, and back to the template's places.
        dlg.resize(initial - QSize(100, 100));
        QTRY_COMPARE(dlg.size(), initial);
        QCOMPARE(MainWindow::List(dlg)->geometry(), list);
        QCOMPARE(MainWindow::List(dlg)->columnWidth(ColumnUrl), 220);
        QCOMPARE(geometries(below), belowBefore);
    }

    void maximised()
    {
        CNetroveDlg dlg(Quiet());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QSize initial = dlg.size();
        const QRect list = MainWindow::List(dlg)->geometry();
        const QRect exit = MainWindow::ExitButton(dlg)->geometry();
        dlg.showMaximized();
        QTRY_VERIFY(dlg.isMaximized());
        QTRY_VERIFY(dlg.size() != initial);
        const QSize growth = dlg.size() - initial;
        QCOMPARE(MainWindow::List(dlg)->geometry(), list.adjusted(0, 0, growth.width(), growth.height()));
        QCOMPARE(MainWindow::ExitButton(dlg)->geometry(), exit.translated(growth.width(), growth.height()));
        if (const QString path = qEnvironmentVariable("NETROVE_SCREENSHOT"); !path.isEmpty())
            QVERIFY(dlg.grab().save(path));
    }

    // The filter narrows the list as it is typed and as answers keep arriving; the status line counts
    // every device heard, the label beside the filter those shown.
    void filterNarrowsTheListAsAnswersArrive()
    {
        auto channel = Quiet();
        FakeChannel* devices = channel.get();
        CNetroveDlg dlg(std::move(channel));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        const auto answer = [&](const char* mac, const char* ip) {
            std::vector<ReceivedDatagram> batch;
            batch.push_back(FakeChannel::Datagram(DiscoveryChannel::Camera, dlg.Engine().Tag(), 11,
                                                  QString::fromLatin1(mac), QString::fromLatin1(ip)));
            devices->Deliver(DiscoveryChannel::Camera, std::move(batch));
        };
        answer("00:1A:2B:00:00:01", "192.168.1.64");
        answer("00:1A:2B:00:00:02", "192.168.1.64");
        answer("00:1A:2B:00:01:03", "192.168.1.103");
        auto* filter = dlg.findChild<QLineEdit*>(u"editFilter"_qs);
        auto* shown = dlg.findChild<QLabel*>(u"staticShown"_qs);
        CNetroveListCtrl* list = MainWindow::List(dlg);
        QCOMPARE(AccessibleName(filter), u"Filter"_qs);
        QCOMPARE(filter->placeholderText(), u"Filter"_qs);
        QVERIFY(shown->text().isEmpty());
        // The filter row's controls side by side, each as wide as it needs.
        auto* outside = dlg.findChild<QCheckBox*>(u"checkOutsideNetwork"_qs);
        auto* shared = dlg.findChild<QCheckBox*>(u"checkSharedIp"_qs);
        QCOMPARE(AccessibleName(outside), u"Outside network only"_qs);
        QVERIFY(filter->geometry().right() < shared->geometry().left() &&
                shared->geometry().right() < outside->geometry().left() &&
                outside->geometry().right() < shown->geometry().left());
        for (QCheckBox* box : {shared, outside})
            QVERIFY2(box->width() >= box->sizeHint().width(), qPrintable(box->text()));

        QTest::keyClick(&dlg, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(filter->hasFocus());
        QTest::keyClicks(filter, u"00-1a-2b-00-00"_qs);
        QCOMPARE(list->model()->rowCount(), 2);
        QCOMPARE(shown->text(), u"2 of 3 shown"_qs);
        QCOMPARE(AccessibleName(shown), shown->text());
        answer("00:1A:2B:00:00:04", "192.168.1.104");
        answer("00:1A:2B:00:02:05", "192.168.1.105");
        QCOMPARE(shown->text(), u"3 of 5 shown"_qs);
        QCOMPARE(MainWindow::StatusLine(dlg)->text(), u"Scan 5 Items"_qs);
        QCOMPARE(list->Rows().Text(list->SourceRow(list->model()->index(2, 0)), ColumnMac),
                 u"00:1A:2B:00:00:04"_qs);

        // A chosen row that more typing hides is chosen no more.
        const QModelIndex fourth =
            list->ShownIndex(list->Rows().FindRowByMac(u"00:1A:2B:00:00:04"_qs), ColumnIp);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(fourth).center());
        QVERIFY(MainWindow::AutoSetButton(dlg)->isEnabled());
        QVERIFY(dlg.Engine().ListHeld());
        QTest::keyClicks(filter, u"-01"_qs);
        QCOMPARE(shown->text(), u"1 of 5 shown"_qs);
        QCOMPARE(list->SelectedRow(), -1);
        QVERIFY(!MainWindow::AutoSetButton(dlg)->isEnabled());
        QVERIFY(!dlg.Engine().ListHeld());

        // Escape empties the field and shows every row; the window stays.
        QTest::keyClick(filter, Qt::Key_Escape);
        QVERIFY(filter->text().isEmpty());
        QVERIFY(shown->text().isEmpty());
        QCOMPARE(list->model()->rowCount(), 5);
        QVERIFY(dlg.isVisible());

        // The devices that still share their address, saved as shown.
        dlg.findChild<QCheckBox*>(u"checkSharedIp"_qs)->click();
        QCOMPARE(shown->text(), u"2 of 5 shown"_qs);
        QTemporaryDir folder;
        const QString path = folder.filePath(u"shared.csv"_qs);
        FileDialogAnswerer answerer(path);
        dlg.OnSaveList();
        QCOMPARE(answerer.Title(), u"Save List (2 of 5 shown)"_qs);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QList<QStringList> records;
        QString error;
        QVERIFY2(Test::ReadCsv(saved.readAll(), records, error), qPrintable(error));
        QCOMPARE(records.size(), 3);
        const qsizetype mac = records[0].indexOf(u"MAC Address"_qs);
        QCOMPARE(records[1][mac], u"00:1A:2B:00:00:01"_qs);
        QCOMPARE(records[2][mac], u"00:1A:2B:00:00:02"_qs);
    }

private:
    // Runs `act`; every About box it opens is checked and closed with Escape from inside its loop.
    static int AboutBoxesOpenedBy(const std::function<void()>& act)
    {
        int opened = 0;
        QTimer watcher;
        watcher.setInterval(10);
        QObject::connect(&watcher, &QTimer::timeout, [&opened] {
            auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
            if (about == nullptr || !about->isVisible())
                return;
            ++opened;
            QCOMPARE(about->windowTitle(), QStringLiteral("Netrove Information"));
            QVERIFY(qobject_cast<CNetroveDlg*>(about->parentWidget()));
            QTest::keyClick(about, Qt::Key_Escape);
        });
        watcher.start();
        act();
        watcher.stop();
        return opened;
    }

    // The first search keeps the mode boxes until the list settles; the tests want them at once.
    static void enableModeBoxes(CNetroveDlg& dlg)
    {
        for (QCheckBox* box : {MainWindow::CameraBox(dlg), MainWindow::NvrBox(dlg), MainWindow::IPv4Box(dlg),
                               MainWindow::IPv6Box(dlg)})
            box->setEnabled(true);
        dlg.UpdateModeControls();
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
