#include "manualset/PortGroup.h"

#include <QTest>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::PortGroup)

class TestPortGroup final : public QObject
{
    Q_OBJECT

private slots:
    void classifies_data();
    void classifies();
};

void TestPortGroup::classifies_data()
{
    QTest::addColumn<QByteArray>("modelName");
    QTest::addColumn<PortGroup>("group");

    // Every listed name, so that a mistyped one shows.
    for (const char* name : {"QMR-A4102", "QMR-A7180", "QMR-K610", "QMR-E8251", "QMR-A4163", "QMR-A4167",
                             "QMR-A7124", "QMR-A7196", "QMR-E9032", "QMR-E9532", "QMT-6400", "QMT-6800",
                             "QMW-5120", "QMY-5120", "QMW-5120F", "QMW-5121"})
        QTest::addRow("six-port %s", name) << QByteArray(name) << PortGroup::SixPortBlock;
    for (const char* name :
         {"QMZ-4470", "QMZ-4470GX", "QMR-2600", "QMR-880", "QMZ-4910", "QMZ-4020", "QMZ-4020F", "QMZ-4060"})
        QTest::addRow("service port %s", name) << QByteArray(name) << PortGroup::ServicePortOnly;

    QTest::newRow("empty") << QByteArray() << PortGroup::HttpDlxPair;
    QTest::newRow("unlisted") << QByteArray("QMR-A4103") << PortGroup::HttpDlxPair;
    QTest::newRow("lower case") << QByteArray("qmr-a4102") << PortGroup::HttpDlxPair;
    QTest::newRow("one letter lower") << QByteArray("QMZ-4470gx") << PortGroup::HttpDlxPair;
    QTest::newRow("prefix of a listed name") << QByteArray("QMR-K61") << PortGroup::HttpDlxPair;
    QTest::newRow("listed name and more") << QByteArray("QMR-K6100") << PortGroup::HttpDlxPair;
    QTest::newRow("trailing blank") << QByteArray("QMR-880 ") << PortGroup::HttpDlxPair;

    // The name comes from a fixed field: it ends at its first NUL, whatever follows.
    QTest::newRow("NUL padded") << QByteArray("QMR-K610\0\0\0", 11) << PortGroup::SixPortBlock;
    QTest::newRow("bytes after NUL") << QByteArray("QMR-880\0ZZZ", 11) << PortGroup::ServicePortOnly;
    QTest::newRow("starts with NUL") << QByteArray("\0QMR-880", 8) << PortGroup::HttpDlxPair;

    // Only the first 10 bytes count, as in the "Device Name" column: a longer name is grouped by them.
    QTest::newRow("11 bytes, first 10 listed") << QByteArray("QMZ-4470GXB") << PortGroup::ServicePortOnly;
    QTest::newRow("long, first 10 listed") << QByteArray("QMZ-4470GX-B2") << PortGroup::ServicePortOnly;
    QTest::newRow("long, first 10 unlisted") << QByteArray("QMR-A4102XY") << PortGroup::HttpDlxPair;
    QTest::newRow("10 bytes, 9 listed") << QByteArray("QMZ-4020FX") << PortGroup::HttpDlxPair;
}

void TestPortGroup::classifies()
{
    QFETCH(QByteArray, modelName);
    QFETCH(PortGroup, group);
    QCOMPARE(ClassifyModel(std::string_view(modelName.constData(), modelName.size())), group);
}

QTEST_APPLESS_MAIN(TestPortGroup)
#include "tst_portgroup.moc"
