#include "app/CAboutDlg.h"
#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "tests/lab/LabFixture.h"

#include <QApplication>

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Netrove;

class TestMainWindow final : public QObject
{
    Q_OBJECT

private slots:
    void everyControlIsNamed()
    {
        CNetroveDlg dlg;
        const char* names[] = {"checkIpCamera",   "checkNvr",  "deviceList",   "statusLine",
                               "checkIPv4",       "checkIPv6", "buttonSearch", "buttonAutoSet",
                               "buttonManualSet", "buttonExit"};
        for (const char* name : names) {
            auto* widget = dlg.findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(widget, name);
            QVERIFY2(!widget->accessibleName().isEmpty(), name);
        }
        QCOMPARE(dlg.findChild<QWidget*>(QStringLiteral("buttonAutoSet"))->accessibleName(),
                 QStringLiteral("Auto Set"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Netrove v2.0.1.2 for the network products"));
    }

    void listColumns()
    {
        CNetroveDlg dlg;
        const QStringList titles = {QStringLiteral("No"),          QStringLiteral("Device Name"),
                                    QStringLiteral("Alias"),       QStringLiteral("Mode"),
                                    QStringLiteral("MAC Address"), QStringLiteral("IP Address"),
                                    QStringLiteral("Protocol"),    QStringLiteral("URL")};
        const int widths[] = {40, 100, 100, 70, 120, 100, 80, 220};
        QCOMPARE(dlg.m_list->columnCount(), 8);
        for (int column = 0; column < 8; ++column) {
            QCOMPARE(dlg.m_list->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
            QCOMPARE(dlg.m_list->columnWidth(column), widths[column]);
        }
        const auto alignment = [&dlg](int column) {
            return dlg.m_list->model()
                ->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole)
                .value<Qt::Alignment>();
        };
        QVERIFY(alignment(7) & Qt::AlignLeft);
        QVERIFY(alignment(4) & Qt::AlignHCenter);
        QCOMPARE(dlg.m_list->selectionMode(), QAbstractItemView::SingleSelection);
    }

    void initialState()
    {
        CNetroveDlg dlg;
        dlg.OnInitDialog();
        QVERIFY(dlg.m_checkCamera->isChecked());
        QVERIFY(dlg.m_checkNvr->isChecked());
        QVERIFY(dlg.m_checkIPv4->isChecked());
        QVERIFY(dlg.m_checkIPv6->isChecked());
        QCOMPARE(dlg.m_bCamera, 1);
        QCOMPARE(dlg.m_bNVR, 1);
        QCOMPARE(dlg.m_nClickedItem, -1);
        QCOMPARE(dlg.m_nLastItemCount, -1);
        QCOMPARE(dlg.m_mirror.password, QStringLiteral("7517"));
        QVERIFY(!dlg.m_btnAutoSet->isEnabled());
        QVERIFY(!dlg.m_btnManualSet->isEnabled());
    }

    // Clicks on the real boxes reach the rule through the handlers.
    void boxClicksApplyTheRule()
    {
        CNetroveDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        enableModeBoxes(dlg);

        QTest::mouseClick(dlg.m_checkIPv4, Qt::LeftButton);
        QTest::mouseClick(dlg.m_checkIPv6, Qt::LeftButton);
        QVERIFY(!dlg.m_btnSearch->isEnabled());
        QTest::mouseClick(dlg.m_checkIPv6, Qt::LeftButton);
        QVERIFY(dlg.m_btnSearch->isEnabled());

        // Only NVR, no IPv4: the IPv6 box goes grey but keeps its mark.
        QTest::mouseClick(dlg.m_checkCamera, Qt::LeftButton);
        QVERIFY(!dlg.m_btnSearch->isEnabled());
        QVERIFY(!dlg.m_checkIPv6->isEnabled());
        QVERIFY(dlg.m_checkIPv6->isChecked());
        QTest::mouseClick(dlg.m_checkCamera, Qt::LeftButton);
        QVERIFY(dlg.m_btnSearch->isEnabled());
        QVERIFY(dlg.m_checkIPv6->isEnabled());
    }

    void withoutIPv6TheBoxNeverComesBack()
    {
        CNetroveDlg dlg;
        dlg.m_bIPv6Available = 0;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        enableModeBoxes(dlg);
        dlg.m_checkIPv6->setEnabled(false);
        QVERIFY(!dlg.m_checkIPv6->isChecked());
        for (QCheckBox* box : {dlg.m_checkCamera, dlg.m_checkNvr, dlg.m_checkIPv4}) {
            QTest::mouseClick(box, Qt::LeftButton);
            QVERIFY(!dlg.m_checkIPv6->isEnabled());
            QTest::mouseClick(box, Qt::LeftButton);
            QVERIFY(!dlg.m_checkIPv6->isEnabled());
        }
    }

    void enterDoesNothing()
    {
        CNetroveDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QSignalSpy finished(&dlg, &QDialog::finished);
        QSignalSpy exitClicked(dlg.m_btnExit, &QPushButton::clicked);
        QSignalSpy searchClicked(dlg.m_btnSearch, &QPushButton::clicked);
        for (QWidget* target : {static_cast<QWidget*>(dlg.m_btnExit), static_cast<QWidget*>(dlg.m_btnSearch),
                                static_cast<QWidget*>(dlg.m_list), static_cast<QWidget*>(&dlg)}) {
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
        CNetroveDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QSignalSpy finished(&dlg, &QDialog::finished);
        if (how == 0)
            QTest::mouseClick(dlg.m_btnExit, Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(&dlg, Qt::Key_Escape);
        else
            dlg.close();
        QCOMPARE(finished.count(), 1);
        QVERIFY(!dlg.isVisible());
    }

    void findInstanceIsAnswered()
    {
        CNetroveDlg dlg;
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
        CNetroveDlg dlg;
        bool handled = false;
        QCOMPARE(AboutBoxesOpenedBy([&] { handled = dlg.OnSysCommand(command); }), opens ? 1 : 0);
        QCOMPARE(handled, opens);
    }

    void f1OpensTheAboutBox()
    {
        CNetroveDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.m_list->setFocus();
        QCOMPARE(AboutBoxesOpenedBy([&dlg] { QTest::keyClick(dlg.m_list, Qt::Key_F1); }), 1);
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
        CNetroveDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QSize initial = dlg.size();
        QCOMPARE(dlg.minimumSize(), initial);
        QVERIFY(dlg.maximumWidth() > initial.width() && dlg.maximumHeight() > initial.height());
        QVERIFY(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);

        const QList<QWidget*> top = {dlg.m_checkCamera, dlg.m_checkNvr};
        const QList<QWidget*> below = {dlg.m_staticStatus, dlg.m_checkIPv4,  dlg.m_checkIPv6,
                                       dlg.m_btnSearch,    dlg.m_btnAutoSet, dlg.m_btnManualSet,
                                       dlg.m_btnExit};
        const auto geometries = [](const QList<QWidget*>& controls) {
            QList<QRect> rects;
            for (QWidget* control : controls)
                rects << control->geometry();
            return rects;
        };
        const QRect list = dlg.m_list->geometry();
        const QList<QRect> topBefore = geometries(top);
        const QList<QRect> belowBefore = geometries(below);

        dlg.resize(initial + growth);
        QTRY_COMPARE(dlg.size(), initial + growth);
        QCOMPARE(dlg.m_list->geometry(), list.adjusted(0, 0, growth.width(), growth.height()));
        QCOMPARE(dlg.m_list->columnWidth(ColumnUrl), 220 + growth.width());
        QCOMPARE(dlg.m_list->columnWidth(ColumnIp), 100);
        QCOMPARE(geometries(top), topBefore);
        const QList<QRect> belowAfter = geometries(below);
        for (qsizetype i = 0; i < below.size(); ++i) {
            QCOMPARE(belowAfter[i].size(), belowBefore[i].size());
            QCOMPARE(belowAfter[i].topLeft() - belowBefore[i].topLeft(),
                     QPoint(growth.width(), growth.height()));
            if (i > 0)
                QVERIFY(belowAfter[i].left() > belowAfter[i - 1].right());
        }
        QVERIFY(belowAfter.first().top() > dlg.m_list->geometry().bottom());
        QVERIFY(dlg.rect().contains(belowAfter.last()));

        // Never smaller than the template, and back to the template's places.
        dlg.resize(initial - QSize(100, 100));
        QTRY_COMPARE(dlg.size(), initial);
        QCOMPARE(dlg.m_list->geometry(), list);
        QCOMPARE(dlg.m_list->columnWidth(ColumnUrl), 220);
        QCOMPARE(geometries(below), belowBefore);
    }

    void maximised()
    {
        CNetroveDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        const QSize initial = dlg.size();
        const QRect list = dlg.m_list->geometry();
        const QRect exit = dlg.m_btnExit->geometry();
        dlg.showMaximized();
        QTRY_VERIFY(dlg.isMaximized());
        QTRY_VERIFY(dlg.size() != initial);
        const QSize growth = dlg.size() - initial;
        QCOMPARE(dlg.m_list->geometry(), list.adjusted(0, 0, growth.width(), growth.height()));
        QCOMPARE(dlg.m_btnExit->geometry(), exit.translated(growth.width(), growth.height()));
        if (const QString path = qEnvironmentVariable("NETROVE_SCREENSHOT"); !path.isEmpty())
            QVERIFY(dlg.grab().save(path));
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
        for (QCheckBox* box : {dlg.m_checkCamera, dlg.m_checkNvr, dlg.m_checkIPv4, dlg.m_checkIPv6})
            box->setEnabled(true);
        dlg.UpdateModeControls();
    }
};

NETROVE_LAB_TEST_MAIN(TestMainWindow, QApplication)
#include "tst_mainwindow.moc"
