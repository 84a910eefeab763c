// The record of a listed device, as the saved list, the clipboard and the command line print it.

#include "devicelist/CsvWriter.h"
#include "devicelist/DeviceListExport.h"
#include "devicelist/DeviceRecord.h"
#include "devicelist/DeviceRowFromReply.h"
#include "devicelist/SpreadsheetCell.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "tests/devicelist/CsvReader.h"
#include "tests/devicelist/TextsLeaveAsData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <array>
#include <string>

using namespace Netrove;
using Netrove::Test::ReadCsv;

Q_DECLARE_METATYPE(Netrove::DeviceEntry)

namespace {

// A search reply as a device sends it, turned into a row's entry by the reply handling's own steps.
struct Reply
{
    ReplyChannel channel = ReplyChannel::Camera;
    std::string model = "NC-210";
    std::string alias = "Front door";
    std::string mac = "02:00:00:00:00:01";
    std::string ip = "192.168.1.101";
    std::string mask = "255.255.255.0";
    std::string gateway = "192.168.1.1";
    std::string url = "http://cam";
    std::string ipv6 = "fe80::2";
    std::uint8_t mode = 0;
    std::uint16_t webPort = 80;
    std::array<std::uint16_t, 6> ports{80, 10000, 10030, 10020, 10010, 10050};
    std::uint8_t settingAllowed = 1;
    std::size_t received = 0; // 0: the full long form
    ArrivalAdapter arrival;

    NewDeviceRow Row() const
    {
        const PacketKind kind = ChannelKind(channel);
        std::vector<std::uint8_t> buffer(LongFormSize(kind), 0);
        WriteByte(kind, buffer, PacketField::Opcode, static_cast<std::uint8_t>(PacketOpcode::SearchReply));
        WriteText(kind, buffer, PacketField::ModelName, model);
        WriteText(kind, buffer, PacketField::MacAddress, mac);
        WriteText(kind, buffer, PacketField::IpAddress, ip);
        WriteText(kind, buffer, PacketField::SubnetMask, mask);
        WriteText(kind, buffer, PacketField::Gateway, gateway);
        WriteText(kind, buffer, PacketField::Url, url);
        WriteText(kind, buffer, PacketField::Ipv6Address, ipv6);
        // The alias fills its field as sent, without the writer's NUL: the reply handling cuts it.
        const auto aliasField = FieldBytes(kind, std::span<std::uint8_t>(buffer), PacketField::Alias);
        std::copy_n(alias.begin(), std::min(alias.size(), aliasField.size()), aliasField.begin());
        WriteByte(kind, buffer, PacketField::AddressMode, mode);
        WriteU16(kind, buffer, PacketField::WebPort, webPort);
        for (std::size_t i = 0; i < ports.size(); ++i)
            WriteU16(kind, buffer, kServicePortFields[i], ports[i]);
        WriteByte(kind, buffer, PacketField::SettingAllowed, settingAllowed);
        const std::size_t size = received == 0 ? buffer.size() : received;
        std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(size), buffer.end(), std::uint8_t{0});
        NewDeviceRow row = MakeDeviceRow(channel, std::move(buffer), size, ChannelFamily(channel));
        row.entry->arrival = arrival;
        return row;
    }

    DeviceEntry Entry() const { return *Row().entry; }
};

Reply Camera6()
{
    Reply reply;
    reply.channel = ReplyChannel::IPv6;
    return reply;
}

Reply Recorder()
{
    Reply reply;
    reply.channel = ReplyChannel::Recorder;
    reply.model = "NVR-16";
    reply.alias = "Rack";
    reply.mac = "02:00:00:00:00:03";
    reply.ip = "192.168.1.120";
    reply.url = "http://192.168.1.120:8000";
    reply.ports = {8000, 9000, 9001, 9002, 9003, 9004};
    return reply;
}

DeviceRecord At(const char* mac, const char* ip)
{
    DeviceRecord record;
    record.mac = QString::fromLatin1(mac);
    record.ip = QString::fromLatin1(ip);
    return record;
}

QStringList SameIpTexts(const std::vector<DeviceRecord>& records)
{
    QStringList texts;
    for (const DeviceRecord& record : records)
        texts << DeviceRecordFields(record).at(DeviceRecordTitles().indexOf(u"Same IP Address As"_qs));
    return texts;
}

} // namespace

class TestDeviceRecord final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }
    void fields_data();
    void fields();
    void titlesMatchTheFields();
    void csvQuoting_data();
    void csvQuoting();
    void garbageTextBytes();
    void clipboardRowStaysOneRow();
    void hostileTextsStayData_data();
    void hostileTextsStayData();
    void sameIpAddress_data();
    void sameIpAddress();
    void sameIpAddressIsCutAndCounted();
    void listRecordsFollowTheListOrder();
    void saveWritesTheWholeListOrNothing();
};

void TestDeviceRecord::fields_data()
{
    QTest::addColumn<DeviceEntry>("entry");
    QTest::addColumn<QStringList>("expected");

    // Kind, model, alias, mode, MAC, IP, mask, gateway, protocol, web address, the six ports,
    // may be set, adapter, local address, same IP address as, in network, last seen, endpoint.
    const auto row = [](QStringList fields) {
        while (fields.size() < 23)
            fields << QString();
        return fields;
    };
    const QStringList camera = {u"IP CAMERA"_qs,
                                u"NC-210"_qs,
                                u"Front door"_qs,
                                u"Static"_qs,
                                u"02:00:00:00:00:01"_qs,
                                u"192.168.1.101"_qs,
                                u"255.255.255.0"_qs,
                                u"192.168.1.1"_qs,
                                u"IPv4"_qs,
                                u"http://192.168.1.101:80"_qs};
    const QStringList cameraPorts = {u"80"_qs, u"10000"_qs, {}, {}, {}, {}, u"Yes"_qs};

    QTest::newRow("camera: HTTP and DLX port") << Reply().Entry() << row(camera + cameraPorts);

    Reply six;
    six.model = "QMR-A4102";
    QStringList expected = camera;
    expected[1] = u"QMR-A4102"_qs;
    QTest::newRow("camera: a six-port model")
        << six.Entry()
        << row(expected + QStringList{u"80"_qs, u"10000"_qs, u"10030"_qs, u"10020"_qs, u"10010"_qs,
                                      u"10050"_qs, u"Yes"_qs});

    Reply service;
    service.model = "QMZ-4470GX";
    expected = camera;
    expected[1] = u"QMZ-4470GX"_qs;
    QTest::newRow("camera: a service port model")
        << service.Entry() << row(expected + QStringList{u"80"_qs, {}, {}, {}, {}, {}, u"Yes"_qs});

    Reply longName;
    longName.model = "ABCDEFGHIJK";
    expected = camera;
    expected[1] = u"ABCDEFGHIJ"_qs;
    QTest::newRow("camera: the list's 10 characters of the model")
        << longName.Entry() << row(expected + cameraPorts);

    Reply https;
    https.url = "https://cam";
    https.webPort = 443;
    https.ports[0] = 443;
    expected = camera;
    expected[9] = u"https://192.168.1.101"_qs;
    QTest::newRow("camera: https, web port is the HTTP port")
        << https.Entry() << row(expected + QStringList{u"443"_qs, u"10000"_qs, {}, {}, {}, {}, u"Yes"_qs});

    Reply shortReply;
    shortReply.received = ShortFormSize(PacketKind::KindCamera);
    expected = camera;
    expected[2] = u"N/A"_qs;
    QTest::newRow("camera: short reply") << shortReply.Entry() << row(expected + cameraPorts);

    Reply dhcp;
    dhcp.mode = 1;
    dhcp.arrival = {3, u"lab0"_qs, u"192.168.1.10"_qs, {{{192, 168, 1, 10}, 24}}};
    expected = camera;
    expected[3] = u"Dynamic"_qs;
    QTest::newRow("camera: DHCP, adapter known")
        << dhcp.Entry()
        << row(expected + cameraPorts + QStringList{u"lab0"_qs, u"192.168.1.10"_qs, {}, u"Yes"_qs});
    dhcp.arrival = {4, u"lab1"_qs, u"10.0.5.7"_qs, {{{10, 0, 5, 7}, 16}}};
    QTest::newRow("camera: outside its adapter's network")
        << dhcp.Entry()
        << row(expected + cameraPorts + QStringList{u"lab1"_qs, u"10.0.5.7"_qs, {}, u"No"_qs});
    // The time of day in the zone of the computer (UTC here), with its offset written out.
    DeviceEntry seen = dhcp.Entry();
    seen.lastSeenMs = 1796899333000;
    QTest::newRow("camera: last seen")
        << seen
        << row(expected + cameraPorts +
               QStringList{u"lab1"_qs, u"10.0.5.7"_qs, {}, u"No"_qs, u"2026-12-10T10:42:13+00:00"_qs});
    // Another maker's camera: what its ONVIF answer said, nothing to set, its endpoint last.
    DeviceEntry onvif = seen;
    onvif.onvif = std::make_shared<OnvifEntry>(
        OnvifEntry{u"k"_qs, u"urn:uuid:1"_qs, u"uuid:1"_qs, u"DOME-5"_qs, u"Gate"_qs, u"AC:CC:8E:00:00:01"_qs,
                   u"10.0.5.64"_qs, u"http://10.0.5.64/onvif/device_service"_qs, u"http://10.0.5.64/"_qs});
    QTest::newRow("another maker's camera") << onvif
                                            << QStringList{u"ONVIF"_qs,
                                                           u"DOME-5"_qs,
                                                           u"Gate"_qs,
                                                           {},
                                                           u"AC:CC:8E:00:00:01"_qs,
                                                           u"10.0.5.64"_qs,
                                                           {},
                                                           {},
                                                           u"ONVIF"_qs,
                                                           u"http://10.0.5.64/"_qs,
                                                           {},
                                                           {},
                                                           {},
                                                           {},
                                                           {},
                                                           {},
                                                           u"No"_qs,
                                                           u"lab1"_qs,
                                                           u"10.0.5.7"_qs,
                                                           {},
                                                           u"Yes"_qs,
                                                           u"2026-12-10T10:42:13+00:00"_qs,
                                                           u"urn:uuid:1"_qs};
    seen.missedSearches = kMissedSearchesNotAnswering;
    QTest::newRow("camera: not answering")
        << seen
        << row(expected + cameraPorts +
               QStringList{u"lab1"_qs,
                           u"10.0.5.7"_qs,
                           {},
                           u"No"_qs,
                           u"2026-12-10T10:42:13+00:00 (not answering)"_qs});

    Reply unknownMode;
    unknownMode.mode = 3;
    expected = camera;
    expected[3] = QString();
    QTest::newRow("camera: mode byte 3") << unknownMode.Entry() << row(expected + cameraPorts);

    expected = camera;
    expected[8] = u"IPv6"_qs;
    expected[9] = u"http://[fe80::2]:80"_qs;
    QTest::newRow("IPv6 camera: its IPv6 address, never set")
        << Camera6().Entry() << row(expected + QStringList{u"80"_qs, u"10000"_qs, {}, {}, {}, {}, u"No"_qs});

    Reply garbled6 = Camera6();
    garbled6.ipv6 = "not an address";
    expected[9] = QString();
    QTest::newRow("IPv6 camera: an address that is no address")
        << garbled6.Entry() << row(expected + QStringList{u"80"_qs, u"10000"_qs, {}, {}, {}, {}, u"No"_qs});

    const QStringList recorder = {u"NVR"_qs,
                                  u"NVR-16"_qs,
                                  u"Rack"_qs,
                                  u"Static"_qs,
                                  u"02:00:00:00:00:03"_qs,
                                  u"192.168.1.120"_qs,
                                  u"255.255.255.0"_qs,
                                  u"192.168.1.1"_qs,
                                  u"IPv4"_qs,
                                  u"http://192.168.1.120:8000"_qs};
    // A recorder's "Port(TCP)" travels in the DLX field.
    const QStringList recorderPorts = {u"8000"_qs, {}, u"9000"_qs, {}, {}, {}};
    QTest::newRow("recorder") << Recorder().Entry() << row(recorder + recorderPorts + QStringList{u"Yes"_qs});

    Reply refusing = Recorder();
    refusing.settingAllowed = 0;
    QTest::newRow("recorder that accepts no setting")
        << refusing.Entry() << row(recorder + recorderPorts + QStringList{u"No"_qs});

    Reply fileAddress = Recorder();
    fileAddress.url = "file:///etc/passwd";
    fileAddress.mode = 2;
    expected = recorder;
    expected[3] = u"PPPoE"_qs;
    expected[9] = QString();
    QTest::newRow("recorder: PPPoE, an address Netrove would not open")
        << fileAddress.Entry() << row(expected + recorderPorts + QStringList{u"Yes"_qs});
}

void TestDeviceRecord::fields()
{
    QFETCH(DeviceEntry, entry);
    QFETCH(QStringList, expected);
    const DeviceRecord record = MakeDeviceRecord(entry);
    QCOMPARE(DeviceRecordFields(record), expected);
    QCOMPARE(record.kind, entry.kind);
    QCOMPARE(record.mayBeSet, expected[16] == u"Yes"_qs);
}

void TestDeviceRecord::titlesMatchTheFields()
{
    const QStringList titles = DeviceRecordTitles();
    QCOMPARE(titles.size(), DeviceRecordFields(DeviceRecord{}).size());
    QCOMPARE(titles.first(), u"Device Type"_qs);
    // The list's own titles where the list has the column.
    QCOMPARE(titles.mid(1, 5),
             (QStringList{u"Device Name"_qs, u"Alias"_qs, u"Mode"_qs, u"MAC Address"_qs, u"IP Address"_qs}));
    QCOMPARE(titles.mid(10, 7), (QStringList{u"HTTP Port"_qs, u"DLX Port"_qs, u"TCP Port"_qs, u"UDP Port"_qs,
                                             u"Upload Port"_qs, u"Multicast Port"_qs, u"Can Be Set"_qs}));
}

void TestDeviceRecord::csvQuoting_data()
{
    QTest::addColumn<QString>("alias");
    QTest::addColumn<QByteArray>("written");

    QTest::newRow("plain") << u"Front door"_qs << QByteArray("Front door");
    QTest::newRow("empty") << QString() << QByteArray("");
    QTest::newRow("leading and trailing spaces kept") << u" door "_qs << QByteArray(" door ");
    QTest::newRow("comma") << u"Gate 1, north"_qs << QByteArray("\"Gate 1, north\"");
    QTest::newRow("quotes doubled") << u"The \"big\" one"_qs << QByteArray("\"The \"\"big\"\" one\"");
    QTest::newRow("only a quote") << u"\""_qs << QByteArray("\"\"\"\"");
    QTest::newRow("CR LF") << u"line 1\r\nline 2"_qs << QByteArray("\"line 1\r\nline 2\"");
    QTest::newRow("LF alone") << u"a\nb"_qs << QByteArray("\"a\nb\"");
    QTest::newRow("CR alone") << u"a\rb"_qs << QByteArray("\"a\rb\"");
    QTest::newRow("semicolon and tab need no quotes") << u"a;b\tc"_qs << QByteArray("a;b\tc");
    QTest::newRow("a formula") << u"=HYPERLINK(\"http://x\",\"y\")"_qs
                               << QByteArray("\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"");
    QTest::newRow("tab first") << u"\tx"_qs << QByteArray("'\tx");
    QTest::newRow("CR first") << u"\rx"_qs << QByteArray("\"'\rx\"");
    QTest::newRow("a text mark before a formula") << u"'=1"_qs << QByteArray("''=1");
    QTest::newRow("a text mark before text") << u"'a"_qs << QByteArray("'a");
    QTest::newRow("UTF-8") << u"Süd \u00ff"_qs
                           << QByteArray("S\xc3\xbc"
                                         "d \xc3\xbf");
}

void TestDeviceRecord::csvQuoting()
{
    QFETCH(QString, alias);
    QFETCH(QByteArray, written);
    const QStringList fields = {u"NC-210"_qs, alias, u"Static"_qs};
    const QByteArray line = CsvLine(fields);
    QCOMPARE(line, "NC-210," + written + ",Static\r\n");

    QList<QStringList> records;
    QString error;
    QVERIFY2(ReadCsv(line, records, error), qPrintable(error));
    QCOMPARE(records.size(), 1);
    records[0][1] = UnguardSpreadsheetCell(records[0][1]); // as a reader of the list takes it back
    QCOMPARE(records, QList<QStringList>{fields});
}

void TestDeviceRecord::garbageTextBytes()
{
    Reply garbage;
    garbage.model = "\xff\x80Z\x01";
    garbage.alias = "\x01\tline1\r\nline2\x85\"q\",x\x7f";
    garbage.mac = "02:00:\xe9\x1b[31m";
    garbage.url = "\xfe\xfd";
    const NewDeviceRow row = garbage.Row();
    const DeviceRecord record = MakeDeviceRecord(*row.entry);

    // The record shows what the list shows: single bytes as their own characters.
    QCOMPARE(record.model, row.texts[ColumnDeviceName]);
    QCOMPARE(record.alias, row.texts[ColumnAlias]);
    QCOMPARE(record.mac, row.texts[ColumnMac]);
    QCOMPARE(record.model, QString::fromLatin1("\xff\x80Z\x01"));

    const QByteArray csv = DeviceListCsv({record});
    QList<QStringList> records;
    QString error;
    QVERIFY2(ReadCsv(csv, records, error), qPrintable(error));
    QCOMPARE(records.size(), 2);
    QCOMPARE(records[0], DeviceRecordTitles());
    QCOMPARE(records[1], DeviceRecordFields(record));

    const QStringList pasted = DeviceRowClipboardText(record).split(QLatin1Char('\t'));
    QCOMPARE(pasted.size(), DeviceRecordTitles().size());
    QCOMPARE(pasted[2], u"  line1  line2 \"q\",x "_qs);
    QCOMPARE(pasted[4], u"02:00:\u00e9 [31m"_qs);
}

void TestDeviceRecord::clipboardRowStaysOneRow()
{
    const QString line =
        TabSeparatedLine({u"a\tb"_qs, u"c\r\nd"_qs, u"e\u2028f\u0085g"_qs, u"\"h\",i"_qs, {}});
    QCOMPARE(line, u"a b\tc  d\te f g\t\"h\",i\t"_qs);
}

void TestDeviceRecord::hostileTextsStayData_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("alias");
    QTest::addColumn<QByteArray>("mac");

    QTest::newRow("markup") << QByteArray("<b>NC</b>") << QByteArray("<h1>x</h1>")
                            << QByteArray("<img src=x>");
    QTest::newRow("formulas") << QByteArray("-2+3") << QByteArray("=HYPERLINK(\"http://x\",\"y\")")
                              << QByteArray("@x");
    QTest::newRow("ESC, BEL and C1") << QByteArray("\x1b]0;x\x07\x9b") << QByteArray("\x1b[2J\x85")
                                     << QByteArray("\x1b[31m");
    QTest::newRow("a full alias field without NUL")
        << QByteArray("NC") << QByteArray(80, '+') << QByteArray("+1");
}

void TestDeviceRecord::hostileTextsStayData()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, alias);
    QFETCH(QByteArray, mac);
    Reply hostile;
    hostile.model = model.toStdString();
    hostile.alias = alias.toStdString();
    hostile.mac = mac.toStdString();
    DeviceListModel rows;
    rows.InsertDeviceRow(0, hostile.Row());
    QCOMPARE(Netrove::Test::TextsLeaveAsData(rows), QString());
    QCOMPARE(rows.index(1, ColumnIp).data(Qt::AccessibleDescriptionRole).toString(),
             u"IP address also used by "_qs + QString::fromLatin1(mac));
}

void TestDeviceRecord::sameIpAddress_data()
{
    QTest::addColumn<QStringList>("devices"); // MAC=IP
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("all different") << QStringList{u"A=10.0.0.1"_qs, u"B=10.0.0.2"_qs}
                                   << QStringList{QString(), QString()};
    QTest::newRow("two of three share") << QStringList{u"A=10.0.0.1"_qs, u"B=10.0.0.2"_qs, u"C=10.0.0.1"_qs}
                                        << QStringList{u"C"_qs, {}, u"A"_qs};
    QTest::newRow("three share, in list order")
        << QStringList{u"C=10.0.0.1"_qs, u"A=10.0.0.1"_qs, u"B=10.0.0.1"_qs}
        << QStringList{u"A B"_qs, u"C B"_qs, u"C A"_qs};
    QTest::newRow("no address is no shared address")
        << QStringList{u"A="_qs, u"B="_qs, u"C=0.0.0.0"_qs, u"D=0.0.0.0"_qs}
        << QStringList{{}, {}, u"D"_qs, u"C"_qs};
    QTest::newRow("one device twice is named once, never by itself")
        << QStringList{u"A=10.0.0.1"_qs, u"A=10.0.0.1"_qs, u"B=10.0.0.1"_qs}
        << QStringList{u"B"_qs, u"B"_qs, u"A"_qs};
}

void TestDeviceRecord::sameIpAddress()
{
    QFETCH(QStringList, devices);
    QFETCH(QStringList, expected);
    std::vector<DeviceRecord> records;
    for (const QString& device : devices)
        records.push_back(At(qPrintable(device.section(u'=', 0, 0)), qPrintable(device.section(u'=', 1))));
    FillSameIpAddress(records);
    QCOMPARE(SameIpTexts(records), expected);
    FillSameIpAddress(records);
    QCOMPARE(SameIpTexts(records), expected);
}

void TestDeviceRecord::sameIpAddressIsCutAndCounted()
{
    std::vector<DeviceRecord> records;
    QStringList macs;
    for (int i = 0; i < 20; ++i) {
        macs << u"M%1"_qs.arg(i);
        records.push_back(At(qPrintable(macs.last()), "10.0.0.9"));
    }
    FillSameIpAddress(records);
    QCOMPARE(records[0].sameIpAddressCount, 19);
    QCOMPARE(records[0].sameIpAddressAs, macs.mid(1, 16));
    QCOMPARE(SameIpTexts(records)[0], macs.mid(1, 16).join(u' ') + u" and 3 more"_qs);

    const DeviceRecord given = MakeDeviceRecord(Reply().Entry(), macs);
    QCOMPARE(given.sameIpAddressCount, 20);
    QCOMPARE(given.sameIpAddressAs, macs.mid(0, 16));
}

void TestDeviceRecord::listRecordsFollowTheListOrder()
{
    DeviceListModel rows;
    std::vector<NewDeviceRow> replies;
    // The list's own marks and the saved list's column agree, whatever the address.
    const std::array<std::pair<const char*, const char*>, 7> devices{{{"02:00:00:00:00:0A", "10.0.0.30"},
                                                                      {"02:00:00:00:00:0B", "10.0.0.4"},
                                                                      {"02:00:00:00:00:0C", "10.0.0.30"},
                                                                      {"02:00:00:00:00:0D", ""},
                                                                      {"02:00:00:00:00:0E", "0.0.0.0"},
                                                                      {"02:00:00:00:00:0F", "0.0.0.0"},
                                                                      {"02:00:00:00:00:10", "10.0.0.30"}}};
    for (const auto& [mac, ip] : devices) {
        Reply reply;
        reply.mac = mac;
        reply.ip = ip;
        replies.push_back(reply.Row());
    }
    rows.AddReplies(std::move(replies));
    rows.SortRows(ColumnIp, 0);

    const std::vector<DeviceRecord> records = DeviceListRecords(rows);
    QCOMPARE(records.size(), devices.size());
    for (int row = 0; row < rows.rowCount(); ++row) {
        QCOMPARE(records[row].mac, rows.Text(row, ColumnMac));
        const std::optional<DeviceRecord> one = DeviceListRecord(rows, row);
        QVERIFY(one);
        QCOMPARE(DeviceRecordFields(*one), DeviceRecordFields(records[row]));
    }
    // Descending by address: the one without an address first, then 10.0.0.30, 10.0.0.4, 0.0.0.0.
    QCOMPARE(records[0].sameIpAddressAs, QStringList{});
    QCOMPARE(records[1].sameIpAddressAs, (QStringList{u"02:00:00:00:00:0C"_qs, u"02:00:00:00:00:10"_qs}));
    QCOMPARE(records[4].sameIpAddressAs, QStringList{});
    QCOMPARE(records[5].sameIpAddressAs, QStringList{u"02:00:00:00:00:0F"_qs});
    QVERIFY(!DeviceListRecord(rows, rows.rowCount()));
    QVERIFY(!DeviceListRecord(rows, -1));
}

void TestDeviceRecord::saveWritesTheWholeListOrNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::vector<DeviceRecord> records = {MakeDeviceRecord(Reply().Entry()),
                                               MakeDeviceRecord(Recorder().Entry())};

    const QString path = dir.filePath(u"devices.csv"_qs);
    QCOMPARE(SaveDeviceListCsv(path, records), QString());
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), DeviceListCsv(records));
    saved.close();

    // A directory in the way, or none to write into: the reason, and nothing written.
    QVERIFY(QDir(dir.path()).mkdir(u"taken.csv"_qs));
    for (const QString& bad : {dir.filePath(u"taken.csv"_qs), dir.filePath(u"missing/devices.csv"_qs)}) {
        const QString reason = SaveDeviceListCsv(bad, records);
        QVERIFY2(!reason.isEmpty(), qPrintable(bad));
        QVERIFY(!QFileInfo(bad).isFile());
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"devices.csv"_qs});
}

QTEST_APPLESS_MAIN(TestDeviceRecord)
#include "tst_devicerecord.moc"
