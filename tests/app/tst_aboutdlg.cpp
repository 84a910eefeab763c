#include "app/CAboutDlg.h"
#include "res/DialogUnits.h"
#include "res/Resources.h"
#include "tests/AccessibleName.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Netrove;

namespace {

const QString kVersion = QStringLiteral("Netrove_v2.0.1.2 for the network products");

// Runs the box modally and closes it from inside its loop the way given; the box's result, or -1 if
// it was still open after a second.
int RunAndClose(const std::function<void(CAboutDlg&)>& close)
{
    CAboutDlg dlg;
    int result = -1;
    QTimer::singleShot(0, &dlg, [&dlg, &close] {
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        close(dlg);
    });
    QTimer::singleShot(1000, &dlg, [&dlg] {
        if (dlg.isVisible())
            dlg.done(-1);
    });
    result = dlg.exec();
    return result;
}

} // namespace

class TestAboutDlg final : public QObject
{
    Q_OBJECT

private slots:
    void titleTextsAndNames()
    {
        CAboutDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Netrove Information"));

        auto* version = dlg.findChild<QLabel*>(QStringLiteral("staticVersion"));
        QVERIFY(version);
        QCOMPARE(version->text(), kVersion);
        QCOMPARE(AccessibleName(version), kVersion);
        QCOMPARE(version->textFormat(), Qt::PlainText);

        auto* ok = dlg.findChild<QPushButton*>(QStringLiteral("buttonOk"));
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(AccessibleName(ok), QStringLiteral("OK"));
        QVERIFY(ok->isDefault());

        auto* icon = dlg.findChild<QLabel*>(QStringLiteral("iconApplication"));
        QVERIFY(icon);
        QVERIFY(!AccessibleName(icon).isEmpty());
        QCOMPARE(icon->pixmap().size(), QSize(32, 32));
        QCOMPARE(icon->pixmap().toImage(), ApplicationIcon().pixmap(32, 32).toImage());

        // The icon, the text and OK, nothing else.
        QCOMPARE(dlg.findChildren<QWidget*>().size(), 3);
    }

    // Where the controls sit, and the text fits its line: it would be cut, not wrapped.
    void layout()
    {
        CAboutDlg dlg;
        const DialogUnits units{QFontMetrics(dlg.font())};
        QCOMPARE(dlg.size(), QSize(units.ToPixelsX(237), units.ToPixelsY(53)));
        QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
        auto* version = dlg.findChild<QLabel*>(QStringLiteral("staticVersion"));
        auto* ok = dlg.findChild<QPushButton*>(QStringLiteral("buttonOk"));
        auto* icon = dlg.findChild<QLabel*>(QStringLiteral("iconApplication"));
        QCOMPARE(ok->geometry(), units.ToPixels(179, 33, 50, 14));
        QCOMPARE(icon->geometry().topLeft(), units.ToPixels(11, 6, 20, 20).topLeft());
        QVERIFY(!icon->geometry().intersects(version->geometry()));
        QVERIFY2(version->fontMetrics().horizontalAdvance(kVersion) <= version->width(),
                 qPrintable(QStringLiteral("text %1 px in %2 px")
                                .arg(version->fontMetrics().horizontalAdvance(kVersion))
                                .arg(version->width())));
        QVERIFY(version->geometry().right() < dlg.width());
    }

    void applicationIconSizes()
    {
        const QIcon icon = ApplicationIcon();
        QVERIFY(!icon.isNull());
        const QList<QSize> sizes = icon.availableSizes();
        QVERIFY(sizes.contains(QSize(16, 16)));
        QVERIFY(sizes.contains(QSize(32, 32)));
        for (int size : {16, 32}) {
            // Each size is its own drawing, not the other one scaled.
            const QImage own(QStringLiteral(":/netrove/netrove-%1.png").arg(size));
            QCOMPARE(own.size(), QSize(size, size));
            const QImage image = icon.pixmap(size, size).toImage().convertToFormat(own.format());
            QCOMPARE(image, own);
        }
    }

    void closes_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << 0 << int(QDialog::Accepted);
        QTest::newRow("Enter") << 1 << int(QDialog::Accepted);
        QTest::newRow("Escape") << 2 << int(QDialog::Rejected);
        QTest::newRow("close box") << 3 << int(QDialog::Rejected);
    }

    void closes()
    {
        QFETCH(int, how);
        QFETCH(int, result);
        const int got = RunAndClose([how](CAboutDlg& dlg) {
            auto* ok = dlg.findChild<QPushButton*>(QStringLiteral("buttonOk"));
            switch (how) {
            case 0:
                QTest::mouseClick(ok, Qt::LeftButton);
                break;
            case 1:
                QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dlg,
                                Qt::Key_Return);
                break;
            case 2:
                QTest::keyClick(&dlg, Qt::Key_Escape);
                break;
            default:
                dlg.close();
                break;
            }
        });
        QCOMPARE(got, result);
    }
};

QTEST_MAIN(TestAboutDlg)
#include "tst_aboutdlg.moc"
