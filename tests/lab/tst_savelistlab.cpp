// The listed devices saved as a file and the chosen row copied, as a user does it: Ctrl+S or the
// window's context menu, the file dialog answered, the file read back as a spreadsheet would.

#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "devicelist/DeviceRecord.h"
#include "tests/FileDialogAnswerer.h"
#include "tests/app/MainWindowControls.h"
#include "tests/devicelist/CsvReader.h"
#include "tests/lab/BoxAnswerer.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/LabWindow.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace Netrove;
using Netrove::Test::ReadCsv;
using Netrove::Test::WaitFor;
using Netrove::Test::Window;

namespace {

// Two devices claim 192.168.1.150; one alias needs quoting.
const QString kDevices = QStringLiteral(
    "kind=camera mac=02:00:00:00:00:01 model=NC-210 alias=\"Gate 1, \\\"north\\\"\" ip=192.168.1.101 "
    "http=81 dlx=10001\n"
    "kind=camera mac=02:00:00:00:00:02 model=QMR-A4102 alias=Yard ip=192.168.1.150\n"
    "kind=camera6 mac=02:00:00:00:00:03 model=NC-6 alias=Roof ip=192.168.1.103 ipv6=fe80::3\n"
    "kind=recorder mac=02:00:00:00:00:04 model=NVR-16 alias=Rack ip=192.168.1.150 "
    "url=http://192.168.1.150:8000 http=8000 dlx=9000 setting=0\n");
constexpr int kRows = 4;

const QStringList kAliasedCamera = {u"IP CAMERA"_qs,
                                    u"NC-210"_qs,
                                    u"Gate 1, \"north\""_qs,
                                    u"Static"_qs,
                                    u"02:00:00:00:00:01"_qs,
                                    u"192.168.1.101"_qs,
                                    u"255.255.255.0"_qs,
                                    u"192.168.1.1"_qs,
                                    u"IPv4"_qs,
                                    u"http://192.168.1.101:80"_qs,
                                    u"81"_qs,
                                    u"10001"_qs,
                                    {},
                                    {},
                                    {},
                                    {},
                                    u"Yes"_qs,
                                    {},
                                    {},
                                    {},
                                    {}};

// The adapter an answer came in on and this computer's address there, once the reader tells them,
// are the lab's host side, and the camera lies in its network; until then all three are empty. The
// fields with those three blanked.
QStringList WithoutArrival(QStringList fields)
{
    const qsizetype adapter = DeviceRecordTitles().indexOf(u"Adapter"_qs);
    const qsizetype inNetwork = DeviceRecordTitles().indexOf(u"In Network"_qs);
    if (fields.size() > std::max(adapter + 1, inNetwork) && fields[adapter] == u"lab0"_qs &&
        fields[adapter + 1] == u"192.168.1.10"_qs && fields[inNetwork] == u"Yes"_qs) {
        fields[adapter].clear();
        fields[adapter + 1].clear();
        fields[inNetwork].clear();
    }
    // When it answered, and no endpoint (it is one of ours): what follows "In Network".
    if (fields.size() == DeviceRecordTitles().size() && !fields[inNetwork + 1].isEmpty() &&
        fields.last().isEmpty())
        fields.resize(inNetwork + 1);
    return fields;
}

// Every device listed and the search settled, the list sorted by IP address, descending, so that
// its order is none the devices answered in.
bool Open(Window& w)
{
    if (!w.lab.Start(kDevices))
        return false;
    w.dlg.show();
    if (!QTest::qWaitForWindowExposed(&w.dlg))
        return false;
    if (!WaitFor([&w] {
            return MainWindow::Rows(w.dlg)->rowCount() == kRows && MainWindow::IPv4Box(w.dlg)->isEnabled();
        }))
        return false;
    w.dlg.OnColumnClickList(ColumnIp);
    w.dlg.OnColumnClickList(ColumnIp);
    return MainWindow::Rows(w.dlg)->Text(0, ColumnIp) == u"192.168.1.150"_qs;
}

QList<QStringList> ReadSaved(const QString& path, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return {};
    }
    QList<QStringList> records;
    if (!ReadCsv(file.readAll(), records, error))
        return {};
    return records;
}

int ColumnOf(const QString& title)
{
    return static_cast<int>(DeviceRecordTitles().indexOf(title));
}

} // namespace

class TestSaveListLab final : public QObject
{
    Q_OBJECT

private slots:
    void ctrlSSavesEveryDeviceInListOrder()
    {
        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"devices.csv"_qs);
        FileDialogAnswerer answerer(path);
        BoxAnswerer boxes;

        QTest::keyClick(MainWindow::List(w.dlg), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(answerer.Opened(), 1);
        QVERIFY(answerer.Saving());
        QCOMPARE(answerer.Filters(), QStringList{u"CSV files (*.csv)"_qs});
        QCOMPARE(boxes.Texts(), QStringList{});

        QString error;
        const QList<QStringList> saved = ReadSaved(path, error);
        QVERIFY2(!saved.isEmpty(), qPrintable(error));
        QCOMPARE(saved.first(), DeviceRecordTitles());
        QCOMPARE(saved.size(), kRows + 1);

        const CNetroveListCtrl& list = *MainWindow::List(w.dlg);
        for (int row = 0; row < kRows; ++row) {
            const QStringList& fields = saved[row + 1];
            QCOMPARE(fields.size(), DeviceRecordTitles().size());
            // The list's order and texts.
            for (const int column :
                 {ColumnDeviceName, ColumnAlias, ColumnMode, ColumnMac, ColumnIp, ColumnProtocol})
                QCOMPARE(fields[ColumnOf(list.model()->headerData(column, Qt::Horizontal).toString())],
                         list.Rows().Text(row, column));
            const QString mac = fields[ColumnOf(u"MAC Address"_qs)];
            const QString sharing = fields[ColumnOf(u"Same IP Address As"_qs)];
            if (mac == u"02:00:00:00:00:01"_qs) {
                QCOMPARE(WithoutArrival(fields), kAliasedCamera);
            } else if (mac == u"02:00:00:00:00:02"_qs) {
                QCOMPARE(sharing, u"02:00:00:00:00:04"_qs);
                QCOMPARE(
                    fields.mid(ColumnOf(u"HTTP Port"_qs), 6),
                    (QStringList{u"80"_qs, u"10000"_qs, u"10030"_qs, u"10020"_qs, u"10010"_qs, u"10050"_qs}));
            } else if (mac == u"02:00:00:00:00:03"_qs) {
                // Found over IPv4 or IPv6, whichever answer came last; never settable over IPv6.
                const bool overIPv6 = fields[ColumnOf(u"Protocol"_qs)] == u"IPv6"_qs;
                QCOMPARE(fields[ColumnOf(u"Web Address"_qs)],
                         overIPv6 ? u"http://[fe80::3]:80"_qs : u"http://192.168.1.103:80"_qs);
                QCOMPARE(fields[ColumnOf(u"Can Be Set"_qs)], overIPv6 ? u"No"_qs : u"Yes"_qs);
            } else {
                QCOMPARE(mac, u"02:00:00:00:00:04"_qs);
                QCOMPARE(fields[ColumnOf(u"Device Type"_qs)], u"NVR"_qs);
                QCOMPARE(fields[ColumnOf(u"Web Address"_qs)], u"http://192.168.1.150:8000"_qs);
                QCOMPARE(fields.mid(ColumnOf(u"HTTP Port"_qs), 6),
                         (QStringList{u"8000"_qs, {}, u"9000"_qs, {}, {}, {}}));
                QCOMPARE(fields[ColumnOf(u"Can Be Set"_qs)], u"No"_qs);
                QCOMPARE(sharing, u"02:00:00:00:00:02"_qs);
            }
        }
    }

    void contextMenuOffersSaveList()
    {
        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        QTemporaryDir dir;
        const QString path = dir.filePath(u"from-menu.csv"_qs);
        FileDialogAnswerer answerer(path);

        QStringList texts;
        QStringList accessibleNames;
        QTimer menuWatcher;
        menuWatcher.setInterval(10);
        QObject::connect(&menuWatcher, &QTimer::timeout, &menuWatcher, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr || !texts.isEmpty())
                return;
            for (QAction* action : menu->actions())
                texts << action->text();
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(menu);
            for (int i = 0; accessible != nullptr && i < accessible->childCount(); ++i)
                accessibleNames << accessible->child(i)->text(QAccessible::Name);
            // The first entry, chosen with the keyboard.
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        menuWatcher.start();
        const QPoint free(w.dlg.width() - 4, 4);
        QCOMPARE(w.dlg.childAt(free), nullptr);
        QContextMenuEvent request(QContextMenuEvent::Mouse, free, w.dlg.mapToGlobal(free));
        QApplication::sendEvent(&w.dlg, &request);
        menuWatcher.stop();

        QCOMPARE(texts, (QStringList{u"Save List..."_qs, u"Apply Address Plan..."_qs, QString(),
                                     u"Netrove Information(&A)"_qs}));
        QCOMPARE(accessibleNames.first(), u"Save List..."_qs);
        QCOMPARE(answerer.Opened(), 1);
        QString error;
        QCOMPARE(ReadSaved(path, error).size(), kRows + 1);
    }

    // Nothing is written unless a file was chosen; a file that cannot be written is told, with why.
    void cancelWritesNothingAndFailureIsTold()
    {
        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        QTemporaryDir dir;
        BoxAnswerer boxes;
        {
            FileDialogAnswerer cancel{QString()};
            QTest::keyClick(&w.dlg, Qt::Key_S, Qt::ControlModifier);
            QCOMPARE(cancel.Opened(), 1);
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
        QCOMPARE(boxes.Texts(), QStringList{});

        const QString unwritable = dir.filePath(u"no such folder/devices.csv"_qs);
        FileDialogAnswerer answerer(unwritable);
        // As the window manager does when a dialog closes.
        w.dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w.dlg));
        QTest::keyClick(&w.dlg, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(answerer.Opened(), 1);
        QCOMPARE(boxes.Texts().size(), 1);
        QVERIFY2(
            boxes.Texts().first().startsWith(u"The list could not be saved to "_qs + unwritable + u":\n"_qs),
            qPrintable(boxes.Texts().first()));
        QVERIFY2(boxes.Texts().first().size() > unwritable.size() + 32, "the reason is missing");
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{});
    }

    void ctrlCCopiesTheChosenRow()
    {
        Window w;
        QVERIFY2(Open(w), qPrintable(w.lab.Error()));
        CNetroveListCtrl& list = *MainWindow::List(w.dlg);
        QClipboard* clipboard = QGuiApplication::clipboard();

        // No row chosen: the clipboard keeps what it had.
        list.setFocus();
        clipboard->setText(u"kept"_qs);
        QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard->text(), u"kept"_qs);

        const int row = list.Rows().FindRowByMac(u"02:00:00:00:00:01"_qs);
        const QPoint at = list.visualRect(list.model()->index(row, ColumnAlias)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(list.SelectedRow(), row);
        QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(WithoutArrival(clipboard->text().split(u'\t')), kAliasedCamera);

        // From any control of the window.
        clipboard->setText(u"kept"_qs);
        MainWindow::SearchButton(w.dlg)->setFocus();
        QTest::keyClick(MainWindow::SearchButton(w.dlg), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(WithoutArrival(clipboard->text().split(u'\t')), kAliasedCamera);

        if (const QString path = qEnvironmentVariable("NETROVE_SCREENSHOT"); !path.isEmpty()) {
            w.dlg.showMaximized();
            QTest::qWait(200);
            QVERIFY(w.dlg.grab().save(path));
        }
    }
};

NETROVE_LAB_TEST_MAIN(TestSaveListLab, QApplication)
#include "tst_savelistlab.moc"
