#include "discovery/DottedQuad.h"

#include <QTest>

using namespace Netrove;

class TestDottedQuad final : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void format();
};

void TestDottedQuad::parse_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QList<int>>("octets");

    QTest::newRow("plain") << QByteArray("192.168.1.20") << true << QList<int>{192, 168, 1, 20};
    QTest::newRow("zeros") << QByteArray("0.0.0.0") << true << QList<int>{0, 0, 0, 0};
    QTest::newRow("300 keeps its low 8 bits") << QByteArray("300.1.2.3") << true << QList<int>{44, 1, 2, 3};
    QTest::newRow("256 wraps to 0") << QByteArray("10.256.0.1") << true << QList<int>{10, 0, 0, 1};
    QTest::newRow("negative wraps") << QByteArray("-1.0.0.1") << true << QList<int>{255, 0, 0, 1};
    QTest::newRow("blanks before numbers") << QByteArray(" 1. 2. 3. 4") << true << QList<int>{1, 2, 3, 4};
    QTest::newRow("trailing text ignored") << QByteArray("1.2.3.4abc") << true << QList<int>{1, 2, 3, 4};
    QTest::newRow("leading zeros are decimal") << QByteArray("010.0.0.08") << true << QList<int>{10, 0, 0, 8};
    QTest::newRow("huge number does not overflow")
        << QByteArray("99999999999999999999.1.1.1") << true << QList<int>{255, 1, 1, 1};
    QTest::newRow("three parts") << QByteArray("1.2.3") << false << QList<int>{};
    QTest::newRow("empty") << QByteArray() << false << QList<int>{};
    QTest::newRow("not a number") << QByteArray("a.b.c.d") << false << QList<int>{};
    QTest::newRow("blank before dot") << QByteArray("1 .2.3.4") << false << QList<int>{};
    QTest::newRow("empty part") << QByteArray("1..2.3") << false << QList<int>{};
    QTest::newRow("IPv6 text") << QByteArray("fe80::1") << false << QList<int>{};
}

void TestDottedQuad::parse()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(QList<int>, octets);

    const auto parsed = ParseDottedQuad(std::string_view(text.constData(), std::size_t(text.size())));
    QCOMPARE(parsed.has_value(), ok);
    if (!ok)
        return;
    for (int i = 0; i < 4; ++i)
        QCOMPARE(int((*parsed)[std::size_t(i)]), octets[i]);
}

void TestDottedQuad::format()
{
    QCOMPARE(FormatDottedQuad({192, 168, 1, 254}), std::string("192.168.1.254"));
    QCOMPARE(FormatDottedQuad({0, 0, 0, 0}), std::string("0.0.0.0"));
    QCOMPARE(FormatDottedQuad({255, 255, 255, 255}), std::string("255.255.255.255"));
}

QTEST_APPLESS_MAIN(TestDottedQuad)
#include "tst_dottedquad.moc"
