#include "app/AboutEntry.h"
#include "res/Resources.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Netrove;

namespace {

const QString kEntry = QStringLiteral("Netrove Information(&A)");

// A window laid out like the main window where it matters here: a list without a context menu of
// its own, a button, and free area around them.
struct Window
{
    Window()
    {
        window.resize(400, 300);
        list = new QTableView(&window);
        list->setGeometry(10, 30, 380, 200);
        list->setContextMenuPolicy(Qt::NoContextMenu);
        button = new QPushButton(QStringLiteral("Search"), &window);
        button->setGeometry(300, 250, 90, 30);
        entry = new AboutEntry(&window, [this](unsigned int command) {
            commands << command;
            return true;
        });
    }

    QDialog window;
    QTableView* list;
    QPushButton* button;
    AboutEntry* entry;
    QList<unsigned int> commands;
};

// Asks for a context menu at `pos` of `target`, as a right click there does; the texts of the menu
// that opened (empty if none), which is then closed, or its entry chosen by its mnemonic.
QStringList RequestMenu(QWidget* target, QPoint pos, bool choose = false)
{
    QStringList texts;
    QTimer watcher;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, [&texts, choose] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr)
            return;
        for (QAction* action : menu->actions())
            texts << action->text();
        if (choose)
            QTest::keyClick(menu, Qt::Key_A);
        else
            menu->close();
    });
    watcher.start();
    QContextMenuEvent request(QContextMenuEvent::Mouse, pos, target->mapToGlobal(pos));
    QApplication::sendEvent(target, &request);
    watcher.stop();
    return texts;
}

} // namespace

class TestAboutEntry final : public QObject
{
    Q_OBJECT

private slots:
    void f1ChoosesTheEntry_data()
    {
        QTest::addColumn<int>("focus");
        QTest::newRow("list has the focus") << 0;
        QTest::newRow("a button has the focus") << 1;
    }

    void f1ChoosesTheEntry()
    {
        QFETCH(int, focus);
        Window w;
        w.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        QWidget* target = focus == 0 ? static_cast<QWidget*>(w.list) : w.button;
        target->setFocus();

        QTest::keyClick(target, Qt::Key_F2);
        QTest::keyClick(target, Qt::Key_F1, Qt::ShiftModifier);
        QVERIFY(w.commands.isEmpty());
        QTest::keyClick(target, Qt::Key_F1);
        QCOMPARE(w.commands, QList<unsigned int>{IDM_ABOUTBOX});
    }

    void freeAreaOffersTheEntry()
    {
        Window w;
        w.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        const QPoint free(5, 5);
        QCOMPARE(w.window.childAt(free), nullptr);

        QCOMPARE(RequestMenu(&w.window, free), QStringList{kEntry});
        QVERIFY(w.commands.isEmpty());
        QCOMPARE(RequestMenu(&w.window, QPoint(200, 290), true), QStringList{kEntry});
        QCOMPARE(w.commands, QList<unsigned int>{IDM_ABOUTBOX});
        QCOMPARE(w.entry->Action()->shortcut(), QKeySequence(Qt::Key_F1));
    }

    // A request on a control travels up to the window when the control has no menu of its own; the
    // entry is still not offered there.
    void noEntryOverTheControls_data()
    {
        QTest::addColumn<int>("control");
        QTest::newRow("list rows") << 0;
        QTest::newRow("list itself") << 1;
        QTest::newRow("button") << 2;
    }

    void noEntryOverTheControls()
    {
        QFETCH(int, control);
        Window w;
        w.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        QWidget* target = control == 0   ? w.list->viewport()
                          : control == 1 ? static_cast<QWidget*>(w.list)
                                         : w.button;

        QCOMPARE(RequestMenu(target, QPoint(5, 5)), QStringList{});
        QVERIFY(QApplication::activePopupWidget() == nullptr);
        QVERIFY(w.commands.isEmpty());
    }
};

QTEST_MAIN(TestAboutEntry)
#include "tst_aboutentry.moc"
