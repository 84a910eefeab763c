// What `netrove-cli search` prints: the JSON keys scripts rely on, and table and CSV lines that stay
// one line per device whatever a device sends.

#include "cli/DeviceOutput.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

using namespace Netrove;

namespace {

DeviceRecord Camera()
{
    DeviceRecord record;
    record.kindText = u"IP CAMERA"_qs;
    record.model = u"NC-1"_qs;
    record.alias = u"Front\ndoor"_qs; // a device's text may hold anything
    record.mode = u"Static"_qs;
    record.mac = u"00:1A:2B:00:00:01"_qs;
    record.ip = u"192.168.1.101"_qs;
    record.subnetMask = u"255.255.255.0"_qs;
    record.gateway = u"192.168.1.1"_qs;
    record.protocol = u"IPv4"_qs;
    record.webAddress = u"http://192.168.1.101:80"_qs;
    record.ports[DeviceRecord::PortHttp] = 80;
    record.ports[DeviceRecord::PortDlx] = 10000;
    record.mayBeSet = true;
    record.adapter = u"lab0"_qs;
    record.localAddress = u"192.168.1.10"_qs;
    record.sameIpAddressAs = {u"00:1A:2B:00:00:02"_qs};
    record.sameIpAddressCount = 3;
    return record;
}

} // namespace

class TestDeviceOutput final : public QObject
{
    Q_OBJECT

private slots:
    void jsonHasEveryKey()
    {
        const QJsonObject json = DeviceRecordJson(Camera());
        const QStringList keys{u"kind"_qs,
                               u"model"_qs,
                               u"alias"_qs,
                               u"mode"_qs,
                               u"mac"_qs,
                               u"ip"_qs,
                               u"subnet_mask"_qs,
                               u"gateway"_qs,
                               u"protocol"_qs,
                               u"web_address"_qs,
                               u"ports"_qs,
                               u"may_be_set"_qs,
                               u"adapter"_qs,
                               u"local_address"_qs,
                               u"same_ip_address_as"_qs,
                               u"same_ip_address_count"_qs};
        QCOMPARE(json.keys().size(), keys.size());
        for (const QString& key : keys)
            QVERIFY2(json.contains(key), qPrintable(key));
        QCOMPARE(json[u"alias"_qs].toString(), u"Front\ndoor"_qs);
        QCOMPARE(json[u"may_be_set"_qs].toBool(), true);
        QCOMPARE(json[u"same_ip_address_as"_qs].toArray().size(), 1);
        QCOMPARE(json[u"same_ip_address_count"_qs].toInt(), 3);
        // A port the model lacks is there, as null.
        const QJsonObject ports = json[u"ports"_qs].toObject();
        QCOMPARE(ports.keys().size(), 6);
        QCOMPARE(ports[u"http"_qs].toInt(), 80);
        QCOMPARE(ports[u"dlx"_qs].toInt(), 10000);
        for (const char* lacking : {"tcp", "udp", "upload", "multicast"})
            QVERIFY2(ports[QLatin1String(lacking)].isNull(), lacking);
    }

    void formats_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("lines"); // with no device, with two
        QTest::newRow("table") << int(CliFormat::Table) << 1;
        QTest::newRow("csv") << int(CliFormat::Csv) << 1;
    }

    void formats()
    {
        QFETCH(int, format);
        QFETCH(int, lines);
        const auto count = [](const QByteArray& text) {
            return text.count('\n');
        };
        QCOMPARE(count(FormatDeviceRecords({}, CliFormat(format))), lines);
        const QByteArray two = FormatDeviceRecords({Camera(), Camera()}, CliFormat(format));
        if (CliFormat(format) == CliFormat::Table) {
            // One line per device: the line break in the alias is a space there.
            QCOMPARE(count(two), lines + 2);
            QVERIFY(two.contains("Front door"));
            QVERIFY(two.startsWith("Device Type"));
        } else {
            // CSV quotes the line break, as RFC 4180 has it.
            QVERIFY(two.contains("\"Front\ndoor\""));
            QVERIFY(two.endsWith("\r\n"));
        }
    }

    void jsonIsOneArray()
    {
        const QJsonDocument none = QJsonDocument::fromJson(FormatDeviceRecords({}, CliFormat::Json));
        QVERIFY(none.isArray());
        QVERIFY(none.array().isEmpty());
        const QJsonDocument two =
            QJsonDocument::fromJson(FormatDeviceRecords({Camera(), Camera()}, CliFormat::Json));
        QCOMPARE(two.array().size(), 2);
        QCOMPARE(two.array().first().toObject()[u"mac"_qs].toString(), u"00:1A:2B:00:00:01"_qs);
    }
};

QTEST_GUILESS_MAIN(TestDeviceOutput)

#include "tst_deviceoutput.moc"
