#include "manualset/LeadingNumber.h"

#include <QTest>

#include <limits>

using namespace Netrove;

class TestLeadingNumber final : public QObject
{
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
};

void TestLeadingNumber::reads_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("number");

    QTest::newRow("empty") << QByteArray("") << 0;
    QTest::newRow("letters") << QByteArray("abc") << 0;
    QTest::newRow("plain") << QByteArray("80") << 80;
    QTest::newRow("leading blank") << QByteArray(" 80") << 80;
    QTest::newRow("leading tab and newline") << QByteArray("\t\n8000") << 8000;
    QTest::newRow("plus sign") << QByteArray("+80") << 80;
    QTest::newRow("minus sign") << QByteArray("-5") << -5;
    QTest::newRow("sign alone") << QByteArray("-") << 0;
    QTest::newRow("blank after sign") << QByteArray("- 5") << 0;
    QTest::newRow("trailing letters") << QByteArray("80abc") << 80;
    QTest::newRow("stops at second number") << QByteArray("80 81") << 80;
    QTest::newRow("leading zeros") << QByteArray("0080") << 80;
    QTest::newRow("above a port") << QByteArray("70000") << 70000;
    QTest::newRow("int max") << QByteArray("2147483647") << std::numeric_limits<int>::max();
    QTest::newRow("one past int max") << QByteArray("2147483648") << std::numeric_limits<int>::max();
    QTest::newRow("int min") << QByteArray("-2147483648") << std::numeric_limits<int>::min();
    QTest::newRow("twenty digits") << QByteArray("99999999999999999999") << std::numeric_limits<int>::max();
    QTest::newRow("twenty digits negative")
        << QByteArray("-99999999999999999999") << std::numeric_limits<int>::min();
}

void TestLeadingNumber::reads()
{
    QFETCH(QByteArray, text);
    QFETCH(int, number);
    QCOMPARE(ReadLeadingNumber(std::string_view(text.constData(), text.size())), number);
}

QTEST_APPLESS_MAIN(TestLeadingNumber)
#include "tst_leadingnumber.moc"
