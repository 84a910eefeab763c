#include "devicelist/CNetroveHeaderCtrl.h"
#include "devicelist/HeaderItemLayout.h"

#include <QPainter>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTest>

#include <set>
#include <utility>
#include <vector>

using namespace Netrove;

namespace {

// A header 20 pixels high has the margin o = 5.
constexpr int kHeight = 20;
constexpr int kMargin = kHeight / 4;

// Colours no title and no button face can take, so that a triangle pixel is told by its colour.
const QColor kFace(0xc0, 0xc0, 0xc0);
const QColor kText(0x00, 0x00, 0x00);
const QColor kLight(0xff, 0x40, 0xff);
const QColor kDark(0x00, 0x40, 0xff);

struct Column
{
    QString title;
    Qt::Alignment alignment;
    int width;
};

// A header over a model of its own, shown on the offscreen screen at the test's height.
class HeaderUnderTest final
{
public:
    explicit HeaderUnderTest(const std::vector<Column>& columns)
        : m_model(0, static_cast<int>(columns.size()))
    {
        QPalette colours = m_header.palette();
        colours.setColor(QPalette::Button, kFace);
        colours.setColor(QPalette::ButtonText, kText);
        colours.setColor(QPalette::Light, kLight);
        colours.setColor(QPalette::Dark, kDark);
        m_header.setPalette(colours);
        for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
            const Column& column = columns[static_cast<std::size_t>(i)];
            m_model.setHeaderData(i, Qt::Horizontal, column.title);
            m_model.setHeaderData(i, Qt::Horizontal, QVariant::fromValue(column.alignment | Qt::AlignVCenter),
                                  Qt::TextAlignmentRole);
        }
        m_header.setModel(&m_model);
        int total = 0;
        for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
            m_header.resizeSection(i, columns[static_cast<std::size_t>(i)].width);
            total += columns[static_cast<std::size_t>(i)].width;
        }
        m_header.resize(total + 40, kHeight);
        m_header.show();
    }

    CNetroveHeaderCtrl& header() { return m_header; }

    QImage Paint()
    {
        QCoreApplication::processEvents();
        return m_header.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The item's rectangle in the header's pixels: right and bottom just outside it.
    QRect Item(int column) const
    {
        return QRect(m_header.sectionViewportPosition(column), 0, m_header.sectionSize(column), kHeight);
    }

    void Press(int column)
    {
        QTest::mousePress(m_header.viewport(), Qt::LeftButton, {}, Item(column).center());
    }
    void Release(int column)
    {
        QTest::mouseRelease(m_header.viewport(), Qt::LeftButton, {}, Item(column).center());
    }

private:
    QStandardItemModel m_model;
    CNetroveHeaderCtrl m_header;
};

bool IsTriangleColour(QRgb pixel)
{
    return pixel == kLight.rgb() || pixel == kDark.rgb();
}

// Pixels of the title: neither the face nor a triangle colour.
bool IsInk(QRgb pixel)
{
    return pixel != kFace.rgb() && !IsTriangleColour(pixel);
}

// The smallest rectangle holding every ink pixel of the area; null if there is none.
QRect InkBounds(const QImage& image, const QRect& area)
{
    QRect bounds;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (IsInk(image.pixel(x, y)))
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

std::set<std::pair<int, int>> TriangleColourPixels(const QImage& image, const QRect& area,
                                                   const QColor& colour)
{
    std::set<std::pair<int, int>> pixels;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) == colour.rgb())
                pixels.emplace(x, y);
        }
    }
    return pixels;
}

std::set<std::pair<int, int>> EdgePixels(const std::vector<QPoint>& edge, int right)
{
    std::set<std::pair<int, int>> pixels;
    for (std::size_t i = 1; i < edge.size(); ++i) {
        for (const QPoint& p : LinePixels(edge[i - 1] + QPoint(right, 0), edge[i] + QPoint(right, 0)))
            pixels.emplace(p.x(), p.y());
    }
    return pixels;
}

// The title as drawn on the face in the rectangle, with the same font: what the header must show.
QImage ReferenceTitle(const QFont& font, QSize size, const QRect& label, Qt::Alignment alignment,
                      const QString& text)
{
    QPixmap pixmap(size);
    pixmap.fill(kFace);
    QPainter painter(&pixmap);
    painter.setFont(font);
    painter.setPen(kText);
    painter.drawText(label, int(alignment | Qt::AlignVCenter) | Qt::TextSingleLine | Qt::TextDontClip, text);
    painter.end();
    return pixmap.toImage().convertToFormat(QImage::Format_RGB32);
}

QString Describe(const std::set<std::pair<int, int>>& pixels)
{
    QStringList points;
    for (const auto& [x, y] : pixels)
        points << QStringLiteral("(%1,%2)").arg(x).arg(y);
    return points.join(QLatin1Char(' '));
}

const QString kName = QStringLiteral("Device Name");

} // namespace

class TestHeaderCtrl final : public QObject
{
    Q_OBJECT

private slots:
    void lightEdgeStandsOutFromTheFace_data();
    void lightEdgeStandsOutFromTheFace();
    void triangleAtItsCoordinates_data();
    void triangleAtItsCoordinates();
    void titleKeepsItsMargins_data();
    void titleKeepsItsMargins();
    void longTitleEndsWithEllipsis();
    void onlyTheSortColumnShowsTheTriangle();
    void pressedTitleMovesTriangleStays();
    void narrowColumnShowsTriangleWithoutTitle_data();
    void narrowColumnShowsTriangleWithoutTitle();
    void unmarkedColumnsKeepThePlatformsDrawing();
};

void TestHeaderCtrl::triangleAtItsCoordinates_data()
{
    QTest::addColumn<int>("ascending");
    // Offsets from the item's right edge R; the last point of each edge is where its pen stops.
    QTest::addColumn<std::vector<QPoint>>("light");
    QTest::addColumn<std::vector<QPoint>>("dark");

    QTest::newRow("ascending") << 1 << std::vector<QPoint>{{-10, 5}, {-5, 14}, {-17, 14}}
                               << std::vector<QPoint>{{-16, 14}, {-10, 4}};
    QTest::newRow("descending") << 0 << std::vector<QPoint>{{-6, 5}, {-11, 15}}
                                << std::vector<QPoint>{{-12, 15}, {-16, 5}, {-6, 5}};
}

void TestHeaderCtrl::triangleAtItsCoordinates()
{
    QFETCH(int, ascending);
    QFETCH(std::vector<QPoint>, light);
    QFETCH(std::vector<QPoint>, dark);

    HeaderUnderTest under({{QStringLiteral("No"), Qt::AlignHCenter, 40}, {kName, Qt::AlignHCenter, 100}});
    under.header().SetSortIndicator(1, ascending);
    const QImage image = under.Paint();
    const QRect item = under.Item(1);
    const int R = item.left() + item.width();

    // The dark pen goes second and covers the light one where they meet.
    const auto wantDark = EdgePixels(dark, R);
    auto wantLight = EdgePixels(light, R);
    for (const auto& pixel : wantDark)
        wantLight.erase(pixel);

    const auto gotLight = TriangleColourPixels(image, item, kLight);
    const auto gotDark = TriangleColourPixels(image, item, kDark);
    QVERIFY2(gotLight == wantLight, qPrintable(QStringLiteral("light: %1").arg(Describe(gotLight))));
    QVERIFY2(gotDark == wantDark, qPrintable(QStringLiteral("dark: %1").arg(Describe(gotDark))));

    // The corners the pens start from; where an edge ends, the next one goes on.
    QCOMPARE(image.pixel(R + light.front().x(), light.front().y()), kLight.rgb());
    QCOMPARE(image.pixel(R + dark.front().x(), dark.front().y()), kDark.rgb());
    QCOMPARE(image.pixel(R + light.back().x(), light.back().y()), kFace.rgb());
}

void TestHeaderCtrl::titleKeepsItsMargins_data()
{
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("sorted");

    QTest::newRow("centred") << int(Qt::AlignHCenter) << false;
    QTest::newRow("centred, sort column") << int(Qt::AlignHCenter) << true;
    QTest::newRow("left") << int(Qt::AlignLeft) << false;
    QTest::newRow("left, sort column") << int(Qt::AlignLeft) << true;
    QTest::newRow("right") << int(Qt::AlignRight) << false;
    QTest::newRow("right, sort column") << int(Qt::AlignRight) << true;
}

void TestHeaderCtrl::titleKeepsItsMargins()
{
    QFETCH(int, alignment);
    QFETCH(bool, sorted);

    const auto horizontal = Qt::Alignment(alignment);
    HeaderUnderTest under({{QStringLiteral("No"), Qt::AlignHCenter, 40},
                           {QStringLiteral("MAC"), horizontal, 120},
                           {QStringLiteral("IP"), Qt::AlignHCenter, 100}});
    // Both sortable columns drawn here; the one under test is the sort column or not.
    under.header().SetSortIndicator(sorted ? 2 : 1, 1);
    under.header().SetSortIndicator(sorted ? 1 : 2, 1);

    const QRect item = under.Item(1);
    const int right = item.left() + item.width() - kMargin - (sorted ? 3 * kMargin : 0);
    const QRect label(item.left() + kMargin, 0, right - (item.left() + kMargin), kHeight);
    const QImage image = under.Paint();
    const QRect ink = InkBounds(image, item);
    QVERIFY(!ink.isNull());
    QVERIFY2(ink.left() >= label.left() && ink.right() < label.left() + label.width(),
             qPrintable(QStringLiteral("title from x %1 to %2, label from %3 to %4")
                            .arg(ink.left())
                            .arg(ink.right())
                            .arg(label.left())
                            .arg(label.left() + label.width() - 1)));

    const QImage want =
        ReferenceTitle(under.header().font(), image.size(), label, horizontal, QStringLiteral("MAC"));
    // Left of where a triangle could be, the item is exactly the title in its label.
    const QRect compared(item.left(), 0, item.width() - 3 * kMargin - 2, kHeight);
    QCOMPARE(image.copy(compared), want.copy(compared));
}

void TestHeaderCtrl::longTitleEndsWithEllipsis()
{
    const QString title = QStringLiteral("Device Name of a recorder with a long title");
    HeaderUnderTest under({{QStringLiteral("No"), Qt::AlignHCenter, 40}, {title, Qt::AlignHCenter, 100}});
    under.header().SetSortIndicator(1, 1);
    const QImage image = under.Paint();
    const QRect item = under.Item(1);
    const QRect label(item.left() + kMargin, 0, item.width() - 5 * kMargin, kHeight);
    const QRect compared(item.left(), 0, item.width() - 3 * kMargin - 2, kHeight);
    QVERIFY(!InkBounds(image, item).isNull());

    // Some beginning of the title followed by an ellipsis, and nothing longer than the label.
    bool found = false;
    for (qsizetype length = title.size() - 1; length > 0 && !found; --length) {
        for (const QString& ellipsis : {QString(QChar(0x2026)), QStringLiteral("...")}) {
            const QString text = title.left(length) + ellipsis;
            if (under.header().fontMetrics().horizontalAdvance(text) > label.width())
                continue;
            const QImage want =
                ReferenceTitle(under.header().font(), image.size(), label, Qt::AlignHCenter, text);
            if (image.copy(compared) == want.copy(compared)) {
                found = true;
                break;
            }
        }
    }
    QVERIFY2(found, "the item does not show a beginning of its title and an ellipsis");
}

// Marked columns stay drawn here, on the face with their title; only the sort column has a triangle,
// and after a search (no column) none has.
void TestHeaderCtrl::onlyTheSortColumnShowsTheTriangle()
{
    HeaderUnderTest under({{QStringLiteral("No"), Qt::AlignHCenter, 40},
                           {kName, Qt::AlignHCenter, 100},
                           {QStringLiteral("IP Address"), Qt::AlignHCenter, 100}});
    under.header().SetSortIndicator(1, 1);
    under.header().SetSortIndicator(2, 0);
    const QImage sorted = under.Paint();
    under.header().SetSortIndicator(-1, 0);
    const QImage searched = under.Paint();

    const auto hasTriangle = [&under](const QImage& image, int column) {
        return !TriangleColourPixels(image, under.Item(column), kLight).empty() ||
               !TriangleColourPixels(image, under.Item(column), kDark).empty();
    };
    QVERIFY(!hasTriangle(sorted, 1));
    QVERIFY(hasTriangle(sorted, 2));
    QVERIFY(!hasTriangle(searched, 1));
    QVERIFY(!hasTriangle(searched, 2));
    QVERIFY(!under.header().IsOwnerDrawn(0));
    QCOMPARE(under.header().SortTriangleColumn(), -1);
    for (int column : {1, 2}) {
        QVERIFY(under.header().IsOwnerDrawn(column));
        QCOMPARE(searched.pixel(under.Item(column).topRight()), kFace.rgb());
        QVERIFY(!InkBounds(searched, under.Item(column)).isNull());
    }
}

void TestHeaderCtrl::pressedTitleMovesTriangleStays()
{
    HeaderUnderTest under({{QStringLiteral("No"), Qt::AlignHCenter, 40}, {kName, Qt::AlignHCenter, 120}});
    under.header().SetSortIndicator(1, 1);
    const QRect item = under.Item(1);
    const QImage released = under.Paint();

    under.Press(1);
    const QImage pressed = under.Paint();
    under.Release(1);

    // The title goes one pixel right and two down; the triangle stays.
    const QRect before = InkBounds(released, item);
    const QRect after = InkBounds(pressed, item);
    QVERIFY(!before.isNull());
    QCOMPARE(after, before.translated(1, 2));
    QCOMPARE(pressed.copy(after), released.copy(before));

    QCOMPARE(TriangleColourPixels(pressed, item, kLight), TriangleColourPixels(released, item, kLight));
    QCOMPARE(TriangleColourPixels(pressed, item, kDark), TriangleColourPixels(released, item, kDark));
    QVERIFY(!TriangleColourPixels(pressed, item, kDark).empty());

    // Released, it is drawn as before.
    QCOMPARE(under.Paint(), released);
}

void TestHeaderCtrl::narrowColumnShowsTriangleWithoutTitle_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("wholeTriangle");

    // 5·o leaves the label no width; below 3·o + 2 the triangle is cut at the item's left edge.
    QTest::newRow("label of no width") << 5 * kMargin << true;
    QTest::newRow("triangle cut") << 12 << false;
}

void TestHeaderCtrl::narrowColumnShowsTriangleWithoutTitle()
{
    QFETCH(int, width);
    QFETCH(bool, wholeTriangle);

    HeaderUnderTest under({{QStringLiteral("No"), Qt::AlignHCenter, 40},
                           {kName, Qt::AlignHCenter, 100},
                           {QStringLiteral("IP Address"), Qt::AlignHCenter, width}});
    under.header().SetSortIndicator(1, 1); // the neighbour is drawn here too, on a plain face
    under.header().SetSortIndicator(2, 1);
    const QImage image = under.Paint();
    const QRect item = under.Item(2);
    const int R = item.left() + item.width();

    QVERIFY(InkBounds(image, item).isNull());
    auto want = EdgePixels({{-10, 5}, {-5, 14}, {-17, 14}}, R);
    for (const auto& pixel : EdgePixels({{-16, 14}, {-10, 4}}, R))
        want.erase(pixel);
    if (!wholeTriangle)
        std::erase_if(want, [&item](const auto& pixel) { return pixel.first < item.left(); });
    QCOMPARE(TriangleColourPixels(image, item, kLight), want);
    // Nothing of the triangle reaches the neighbour.
    const QRect neighbour = under.Item(1);
    QVERIFY(TriangleColourPixels(image, neighbour, kLight).empty());
    QVERIFY(TriangleColourPixels(image, neighbour, kDark).empty());
    QCOMPARE(image.pixel(neighbour.right(), 14), kFace.rgb());
}

void TestHeaderCtrl::unmarkedColumnsKeepThePlatformsDrawing()
{
    const std::vector<Column> columns{{QStringLiteral("No"), Qt::AlignHCenter, 40},
                                      {kName, Qt::AlignHCenter, 100},
                                      {QStringLiteral("Alias"), Qt::AlignHCenter, 100}};
    HeaderUnderTest under(columns);
    under.header().SetSortIndicator(1, 1);
    under.header().SetSortIndicator(-1, 0);
    const QImage image = under.Paint();

    // The same titles in a header of the platform's own, with the same settings.
    QStandardItemModel model(0, 3);
    for (int i = 0; i < 3; ++i) {
        model.setHeaderData(i, Qt::Horizontal, columns[static_cast<std::size_t>(i)].title);
        model.setHeaderData(i, Qt::Horizontal, QVariant::fromValue(Qt::Alignment(Qt::AlignCenter)),
                            Qt::TextAlignmentRole);
    }
    QHeaderView plain(Qt::Horizontal);
    plain.setPalette(under.header().palette());
    plain.setSectionsClickable(true);
    plain.setHighlightSections(false);
    plain.setModel(&model);
    for (int i = 0; i < 3; ++i)
        plain.resizeSection(i, columns[static_cast<std::size_t>(i)].width);
    plain.resize(image.size());
    plain.show();
    QCoreApplication::processEvents();
    const QImage platform = plain.grab().toImage().convertToFormat(QImage::Format_RGB32);

    for (int column : {0, 2})
        QCOMPARE(image.copy(under.Item(column)), platform.copy(under.Item(column)));
    // The marked column is not the platform's: a plain face where the platform draws its frame.
    QVERIFY(image.copy(under.Item(1)) != platform.copy(under.Item(1)));
}

void TestHeaderCtrl::lightEdgeStandsOutFromTheFace_data()
{
    QTest::addColumn<QColor>("face");
    QTest::addColumn<QColor>("light");
    QTest::addColumn<bool>("lightKept");

    QTest::newRow("grey face, white highlight") << QColor(0xd4, 0xd0, 0xc8) << QColor(Qt::white) << true;
    QTest::newRow("flat theme, face nearly white") << QColor(0xef, 0xef, 0xef) << QColor(Qt::white) << false;
    QTest::newRow("dark theme, highlight lighter")
        << QColor(0x35, 0x35, 0x35) << QColor(0x80, 0x80, 0x80) << true;
    QTest::newRow("dark theme, highlight as dark as the face")
        << QColor(0x35, 0x35, 0x35) << QColor(0x3a, 0x3a, 0x3a) << false;
}

void TestHeaderCtrl::lightEdgeStandsOutFromTheFace()
{
    QFETCH(QColor, face);
    QFETCH(QColor, light);
    QFETCH(bool, lightKept);

    QPalette colours;
    colours.setColor(QPalette::Button, face);
    colours.setColor(QPalette::Light, light);
    colours.setColor(QPalette::Mid, QColor(0x12, 0x34, 0x56));
    QCOMPARE(LightEdgeColour(colours), lightKept ? light : QColor(0x12, 0x34, 0x56));
}

QTEST_MAIN(TestHeaderCtrl)
#include "tst_headerctrl.moc"
