#include "manualset/PortBlockStepping.h"

#include <QTest>

#include <limits>

using namespace Netrove;

namespace {

constexpr int kUp = -1;
constexpr int kDown = 1;

} // namespace

class TestPortBlockStepping final : public QObject
{
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
};

void TestPortBlockStepping::steps_data()
{
    QTest::addColumn<int>("http");
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("base");
    // The first of the five other ports; they follow one by one.
    QTest::addColumn<int>("firstCompanion");

    QTest::newRow("80 up") << 80 << kUp << 10000 << 10001;
    QTest::newRow("80 down stays") << 80 << kDown << 80 << 60001;
    QTest::newRow("10000 down") << 10000 << kDown << 80 << 60001;
    QTest::newRow("10000 up") << 10000 << kUp << 10006 << 10007;
    QTest::newRow("10006 down") << 10006 << kDown << 10000 << 10001;
    QTest::newRow("86 shown, down") << 86 << kDown << 80 << 60001;
    QTest::newRow("92 down lands on 86") << 92 << kDown << 10000 << 10001;
    QTest::newRow("8080 up") << 8080 << kUp << 80 << 60001;
    QTest::newRow("8080 down") << 8080 << kDown << 80 << 60001;
    QTest::newRow("9988 up gives 9994") << 9988 << kUp << 80 << 60001;
    QTest::newRow("9989 up gives 9995") << 9989 << kUp << 9995 << 9996;
    QTest::newRow("9990 up") << 9990 << kUp << 9996 << 9997;
    QTest::newRow("10005 down gives 9999") << 10005 << kDown << 9999 << 10000;
    QTest::newRow("59986 up") << 59986 << kUp << 59992 << 59993;
    QTest::newRow("59992 up stays") << 59992 << kUp << 59992 << 59993;
    QTest::newRow("59992 down") << 59992 << kDown << 59986 << 59987;
    QTest::newRow("59991 up gives 59997") << 59991 << kUp << 59997 << 59998;
    QTest::newRow("60004 down gives 59998") << 60004 << kDown << 59992 << 59993;
    QTest::newRow("65535 up") << 65535 << kUp << 59992 << 59993;
    QTest::newRow("65535 down") << 65535 << kDown << 59992 << 59993;
    QTest::newRow("0 up") << 0 << kUp << 80 << 60001;
    QTest::newRow("int max up") << std::numeric_limits<int>::max() << kUp << 59992 << 59993;
    QTest::newRow("int min down") << std::numeric_limits<int>::min() << kDown << 80 << 60001;
}

void TestPortBlockStepping::steps()
{
    QFETCH(int, http);
    QFETCH(int, change);
    QFETCH(int, base);
    QFETCH(int, firstCompanion);
    const std::array<int, 6> expected = {
        base, firstCompanion, firstCompanion + 1, firstCompanion + 2, firstCompanion + 3, firstCompanion + 4};
    const std::array<int, 6> ports = StepPortBlock(http, change);
    for (std::size_t i = 0; i < ports.size(); ++i)
        QVERIFY2(
            ports[i] == expected[i],
            qPrintable(QStringLiteral("port %1 is %2, expected %3").arg(i).arg(ports[i]).arg(expected[i])));
}

QTEST_APPLESS_MAIN(TestPortBlockStepping)
#include "tst_portblockstepping.moc"
