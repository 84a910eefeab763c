#include "devicelist/HeaderItemLayout.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

using namespace Netrove;

class TestHeaderItemLayout final : public QObject
{
    Q_OBJECT

private slots:
    void label_data();
    void label();
    void triangle_data();
    void triangle();
    void linePixels_data();
    void linePixels();
};

void TestHeaderItemLayout::label_data()
{
    QTest::addColumn<QRect>("item");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<bool>("sortColumn");
    QTest::addColumn<QRect>("label"); // null: no title

    // A 20-pixel item (o = 5) is drawn in the header's test; these are the other cases.
    QTest::newRow("o truncated: 23 high")
        << QRect(100, 0, 100, 23) << false << false << QRect(105, 0, 90, 23);
    QTest::newRow("o = 6, sort column") << QRect(100, 0, 100, 24) << false << true << QRect(106, 0, 70, 24);
    QTest::newRow("pressed, lower down") << QRect(0, 10, 60, 20) << true << false << QRect(6, 12, 50, 20);
    QTest::newRow("no margin under 4 high") << QRect(0, 0, 30, 3) << false << true << QRect(0, 0, 30, 3);
    QTest::newRow("sort column one pixel wide") << QRect(0, 0, 26, 20) << false << true << QRect(5, 0, 1, 20);
    QTest::newRow("pressed too narrow") << QRect(0, 0, 10, 20) << true << false << QRect();
}

void TestHeaderItemLayout::label()
{
    QFETCH(QRect, item);
    QFETCH(bool, pressed);
    QFETCH(bool, sortColumn);
    QFETCH(QRect, label);

    const HeaderItemLayout layout = LayOutHeaderItem(item, pressed, sortColumn, true);
    QCOMPARE(layout.hasText, !label.isNull());
    if (layout.hasText)
        QCOMPARE(layout.label, label);
}

void TestHeaderItemLayout::triangle_data()
{
    QTest::addColumn<QRect>("item");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<bool>("sortColumn");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<std::vector<QPoint>>("light");
    QTest::addColumn<std::vector<QPoint>>("dark");

    const QRect item(100, 0, 100, 20); // R = 200, B = 20, o = 5
    const std::vector<QPoint> upLight{{190, 5}, {195, 14}, {183, 14}};
    const std::vector<QPoint> upDark{{184, 14}, {190, 4}};
    QTest::newRow("ascending") << item << false << true << true << upLight << upDark;
    QTest::newRow("descending") << item << false << true << false << std::vector<QPoint>{{194, 5}, {189, 15}}
                                << std::vector<QPoint>{{188, 15}, {184, 5}, {194, 5}};
    QTest::newRow("pressed: the triangle stays") << item << true << true << true << upLight << upDark;
    QTest::newRow("o = 6") << QRect(100, 0, 100, 24) << false << true << true
                           << std::vector<QPoint>{{188, 6}, {194, 17}, {180, 17}}
                           << std::vector<QPoint>{{181, 17}, {188, 5}};
    // Measured from the item's own top, like the title.
    QTest::newRow("item lower down") << QRect(100, 10, 100, 20) << false << true << true
                                     << std::vector<QPoint>{{190, 15}, {195, 24}, {183, 24}}
                                     << std::vector<QPoint>{{184, 24}, {190, 14}};
    QTest::newRow("not the sort column")
        << item << false << false << true << std::vector<QPoint>{} << std::vector<QPoint>{};
}

void TestHeaderItemLayout::triangle()
{
    QFETCH(QRect, item);
    QFETCH(bool, pressed);
    QFETCH(bool, sortColumn);
    QFETCH(bool, ascending);
    QFETCH(std::vector<QPoint>, light);
    QFETCH(std::vector<QPoint>, dark);

    const HeaderItemLayout layout = LayOutHeaderItem(item, pressed, sortColumn, ascending);
    QCOMPARE(layout.lightEdge, light);
    QCOMPARE(layout.darkEdge, dark);
}

void TestHeaderItemLayout::linePixels_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");

    QTest::newRow("no length") << QPoint(3, 4) << QPoint(3, 4);
    QTest::newRow("one step") << QPoint(3, 4) << QPoint(4, 5);
    QTest::newRow("leftwards") << QPoint(195, 14) << QPoint(183, 14);
    QTest::newRow("downwards") << QPoint(0, 0) << QPoint(0, 9);
    QTest::newRow("steep down right") << QPoint(190, 5) << QPoint(195, 14);
    QTest::newRow("steep up right") << QPoint(184, 14) << QPoint(190, 4);
    QTest::newRow("steep down left, halves") << QPoint(194, 5) << QPoint(189, 15);
    QTest::newRow("steep up left") << QPoint(188, 15) << QPoint(184, 5);
    QTest::newRow("shallow") << QPoint(-7, 2) << QPoint(20, -5);
    QTest::newRow("diagonal") << QPoint(0, 0) << QPoint(-6, -6);
}

void TestHeaderItemLayout::linePixels()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);

    const std::vector<QPoint> pixels = LinePixels(from, to);
    const int dx = to.x() - from.x();
    const int dy = to.y() - from.y();
    const int steps = std::max(std::abs(dx), std::abs(dy));
    QCOMPARE(static_cast<int>(pixels.size()), steps);
    if (steps == 0)
        return;
    QCOMPARE(pixels.front(), from);
    QVERIFY(std::find(pixels.begin(), pixels.end(), to) == pixels.end());
    for (int i = 0; i < steps; ++i) {
        const QPoint p = pixels[static_cast<std::size_t>(i)];
        // Each pixel is the line's nearest at its step, one step further along the longer axis.
        const double idealX = from.x() + double(dx) * i / steps;
        const double idealY = from.y() + double(dy) * i / steps;
        QVERIFY2(std::abs(p.x() - idealX) <= 0.5 && std::abs(p.y() - idealY) <= 0.5,
                 qPrintable(QStringLiteral("step %1 at (%2,%3)").arg(i).arg(p.x()).arg(p.y())));
    }
    // Joined to the next edge's start, the line is unbroken.
    const QPoint last = pixels.back();
    QVERIFY(std::abs(to.x() - last.x()) <= 1 && std::abs(to.y() - last.y()) <= 1);
}

QTEST_APPLESS_MAIN(TestHeaderItemLayout)
#include "tst_headeritemlayout.moc"
