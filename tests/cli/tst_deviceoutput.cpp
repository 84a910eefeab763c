// What `netrove-cli search` prints: the JSON keys scripts rely on, and table lines that stay one
// line per device whatever a device sends.

#include "cli/DeviceOutput.h"

#include <QJsonArray>
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
                               u"same_ip_address_count"_qs,
                               u"in_network"_qs,
                               u"last_seen"_qs,
                               u"answering"_qs,
                               u"endpoint"_qs};
        QCOMPARE(json.keys().size(), keys.size());
        for (const QString& key : keys)
            QVERIFY2(json.contains(key), qPrintable(key));
        QCOMPARE(json[u"alias"_qs].toString(), u"Front\ndoor"_qs);
        QCOMPARE(json[u"may_be_set"_qs].toBool(), true);
        QCOMPARE(json[u"same_ip_address_as"_qs].toArray().size(), 1);
        QCOMPARE(json[u"same_ip_address_count"_qs].toInt(), 3);
        QVERIFY(json[u"in_network"_qs].isNull()); // not known
        QVERIFY(json[u"last_seen"_qs].isNull());  // not known either
        QCOMPARE(json[u"answering"_qs].toBool(), true);
        // A port the model lacks is there, as null.
        const QJsonObject ports = json[u"ports"_qs].toObject();
        QCOMPARE(ports.keys().size(), 6);
        QCOMPARE(ports[u"http"_qs].toInt(), 80);
        QCOMPARE(ports[u"dlx"_qs].toInt(), 10000);
        for (const char* lacking : {"tcp", "udp", "upload", "multicast"})
            QVERIFY2(ports[QLatin1String(lacking)].isNull(), lacking);
    }

    // A device's text may hold a line break; a table line stays one line (CSV quotes it instead).
    void tableLineStaysOneLine()
    {
        QCOMPARE(FormatDeviceRecords({}, CliFormat::Table).count('\n'), 1);
        const QByteArray two = FormatDeviceRecords({Camera(), Camera()}, CliFormat::Table);
        QVERIFY(two.startsWith("Device Type"));
        QCOMPARE(two.count('\n'), 3);
        QVERIFY(two.contains("Front?door"));
    }
};

QTEST_GUILESS_MAIN(TestDeviceOutput)

#include "tst_deviceoutput.moc"
