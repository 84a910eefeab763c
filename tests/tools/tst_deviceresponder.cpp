// The simulator's rules without a network: device-file lines, the answers' layouts and faults,
// the setting requests, and the guard that keeps it out of the machine's own namespace.

#include "discovery/PacketFields.h"
#include "discovery/SearchRequests.h"
#include "onvif/OnvifMessage.h"
#include "onvif/OnvifProbe.h"
#include "tools/devsim/DeviceResponder.h"
#include "tools/devsim/NetnsGuard.h"
#include "tools/devsim/OnvifResponder.h"
#include "tools/devsim/SimLog.h"

#include <QTemporaryDir>
#include <QTest>

#include <numeric>

using namespace Netrove;
using namespace Netrove::DevSim;

Q_DECLARE_METATYPE(Netrove::DevSim::Channel)

namespace {

ClientTag SampleTag()
{
    ClientTag tag{};
    std::iota(tag.begin(), tag.end(), std::uint8_t{0x31});
    return tag;
}

SimDevice Device(const char* line)
{
    ParsedLine parsed = ParseDeviceLine(line);
    if (!parsed.device)
        qFatal("bad device line in the test: %s (%s)", line, parsed.error.c_str());
    return *parsed.device;
}

std::vector<std::uint8_t> SearchFor(Channel channel)
{
    switch (channel) {
    case Channel::Camera:
        return BuildCameraSearch(SampleTag());
    case Channel::Recorder:
        return BuildRecorderSearch(SampleTag());
    case Channel::IPv6:
        return BuildIPv6Search(SampleTag());
    }
    return {};
}

// A setting request as the setting dialogs build it: camera layout, zero-filled.
std::vector<std::uint8_t> SettingRequest(const char* mac, const char* password, std::uint8_t opcode = 2,
                                         std::size_t size = 262)
{
    constexpr PacketKind k = PacketKind::KindCamera;
    std::vector<std::uint8_t> packet(size, 0);
    WriteByte(k, packet, PacketField::Opcode, opcode);
    WriteClientTag(k, packet, SampleTag());
    WriteText(k, packet, PacketField::MacAddress, mac);
    WriteText(k, packet, PacketField::IpAddress, "192.168.1.241");
    WriteText(k, packet, PacketField::SubnetMask, "255.255.0.0");
    WriteText(k, packet, PacketField::Gateway, "192.168.1.254");
    WriteText(k, packet, PacketField::Password, password);
    WriteU16(k, packet, PacketField::WebPort, 10000);
    WriteU16(k, packet, PacketField::HttpPort, 10000);
    WriteU16(k, packet, PacketField::DlxPort, 10001);
    WriteU16(k, packet, PacketField::TcpPort, 10002);
    WriteU16(k, packet, PacketField::UdpPort, 10003);
    WriteU16(k, packet, PacketField::UploadPort, 10004);
    WriteU16(k, packet, PacketField::MulticastPort, 10005);
    WriteByte(k, packet, PacketField::AddressMode, 1);
    return packet;
}

bool ZeroFirst15(const ClientTag& tag)
{
    return std::all_of(tag.begin(), tag.begin() + 15, [](std::uint8_t b) { return b == 0; });
}

} // namespace

class TestDeviceResponder final : public QObject
{
    Q_OBJECT

private slots:
    void parseLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("device");
        QTest::addColumn<QString>("errorPart"); // empty: no error expected
        QTest::newRow("full camera")
            << "kind=camera mac=AA:BB:CC:00:00:01 ip=192.168.1.20 http=8080 mode=pppoe" << true << "";
        QTest::newRow("quoted alias") << "mac=M1 alias=\"Gate \\\"North\\\" 2\" model=NC-1" << true << "";
        QTest::newRow("comment") << "   # a comment" << false << "";
        QTest::newRow("blank") << "" << false << "";
        QTest::newRow("no mac") << "kind=camera ip=1.2.3.4" << false << "mac";
        QTest::newRow("unknown key") << "mac=M1 colour=red" << false << "unknown key";
        QTest::newRow("port too large") << "mac=M1 tcp=70000" << false << "port";
        QTest::newRow("bad kind") << "mac=M1 kind=printer" << false << "camera";
        QTest::newRow("bad tag mode") << "mac=M1 tag=maybe" << false << "foreign";
        QTest::newRow("success not a success") << "mac=M1 success=33" << false << "22 or 44";
        QTest::newRow("open quote") << "mac=M1 alias=\"open" << false << "quote";
        QTest::newRow("bare word") << "mac=M1 camera" << false << "key=value";
        QTest::newRow("ONVIF camera, no mac") << "kind=onvif name=\"Front door\" dialect=env" << true << "";
        QTest::newRow("bad dialect") << "kind=onvif dialect=soap" << false << "soapenv";
        QTest::newRow("bad types") << "kind=onvif types=some" << false << "onvif or none";
    }
    void parseLine()
    {
        QFETCH(QString, line);
        QFETCH(bool, device);
        QFETCH(QString, errorPart);
        const ParsedLine parsed = ParseDeviceLine(line.toStdString());
        QCOMPARE(parsed.device.has_value(), device);
        if (errorPart.isEmpty())
            QVERIFY2(parsed.error.empty(), parsed.error.c_str());
        else
            QVERIFY2(QString::fromStdString(parsed.error).contains(errorPart), parsed.error.c_str());
    }

    void parsedValues()
    {
        const SimDevice d =
            Device("kind=recorder mac=M1 alias=\"Gate \\\"N\\\"\" webport=81 udp=7 mode=2 setting=0");
        QCOMPARE(d.kind, SimKind::Recorder);
        QCOMPARE(d.alias, std::string("Gate \"N\""));
        QCOMPARE(d.webPort, 81);
        QCOMPARE(d.ports[3], 7);
        QCOMPARE(d.addressMode, 2);
        QCOMPARE(d.settingAllowed, 0);
    }

    // Which devices answer a search on which channel, and how long their answer is.
    void searchReply_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<int>("answers");
        QTest::addColumn<int>("size");
        QTest::newRow("camera, camera port") << "kind=camera mac=M" << Channel::Camera << 1 << 326;
        QTest::newRow("camera, ipv6") << "kind=camera mac=M" << Channel::IPv6 << 0 << 0;
        QTest::newRow("camera, recorder port") << "kind=camera mac=M" << Channel::Recorder << 0 << 0;
        QTest::newRow("ipv6 camera, camera port") << "kind=camera6 mac=M" << Channel::Camera << 1 << 326;
        QTest::newRow("ipv6 camera, ipv6") << "kind=camera6 mac=M" << Channel::IPv6 << 1 << 366;
        QTest::newRow("recorder") << "kind=recorder mac=M" << Channel::Recorder << 1 << 334;
        QTest::newRow("recorder, camera port") << "kind=recorder mac=M" << Channel::Camera << 0 << 0;
        QTest::newRow("short camera") << "mac=M short=1" << Channel::Camera << 1 << 262;
        QTest::newRow("short ipv6 camera") << "kind=camera6 mac=M short=1" << Channel::IPv6 << 1 << 302;
        QTest::newRow("oversize") << "mac=M size=400" << Channel::Camera << 1 << 400;
        QTest::newRow("largest") << "mac=M size=65507" << Channel::Camera << 1 << 65507;
        QTest::newRow("three copies") << "mac=M copies=3" << Channel::Camera << 3 << 326;
        QTest::newRow("silent") << "mac=M silent=1" << Channel::Camera << 0 << 0;
    }
    void searchReply()
    {
        QFETCH(QString, line);
        QFETCH(Channel, channel);
        QFETCH(int, answers);
        QFETCH(int, size);
        DeviceResponder responder({Device(qPrintable(line))});
        std::mt19937 random(1);
        const Handling handling = responder.Handle(channel, SearchFor(channel), random);
        QCOMPARE(handling.request, std::string("search"));
        QCOMPARE(int(handling.answers.size()), answers);
        for (const Answer& answer : handling.answers) {
            QCOMPARE(int(answer.bytes.size()), size);
            QCOMPARE(ReadByte(ChannelKind(channel), answer.bytes, PacketField::Opcode), 11);
        }
    }

    // Which WS-Discovery devices answer a probe, and how: to the probe's MessageID, within ONVIF's
    // delay, with their own MessageID unless they echo the probe's.
    void onvifProbe_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<bool>("ipv6");
        QTest::addColumn<int>("answers");
        const QString id = QStringLiteral("uuid:0b7d3c2a-1e4f-4a5b-8c6d-7e8f9a0b1c2d");
        const QByteArray transmitter = BuildOnvifProbe(id, OnvifProbeType::NetworkVideoTransmitter);
        QByteArray printer = transmitter;
        printer.replace("dn:NetworkVideoTransmitter", "wprt:PrintDeviceType");
        QTest::newRow("camera, NetworkVideoTransmitter")
            << "kind=onvif ip=192.168.1.64" << transmitter << false << 1;
        QTest::newRow("camera, Device")
            << "kind=onvif ip=192.168.1.64" << BuildOnvifProbe(id, OnvifProbeType::Device) << false << 1;
        QTest::newRow("camera, a printer probe") << "kind=onvif ip=192.168.1.64" << printer << false << 0;
        QTest::newRow("camera without Types, a printer probe")
            << "kind=onvif types=none" << printer << false << 1;
        QTest::newRow("computer, any probe") << "kind=wsdhost" << transmitter << false << 1;
        QTest::newRow("camera without IPv6, IPv6")
            << "kind=onvif ip=192.168.1.64" << transmitter << true << 0;
        QTest::newRow("camera with IPv6, IPv6") << "kind=onvif ipv6=fe80::64" << transmitter << true << 1;
        QTest::newRow("echoing camera") << "kind=onvif echo=1 dialect=2009" << transmitter << false << 1;
        QTest::newRow("two copies") << "kind=onvif copies=2 dialect=indented" << transmitter << false << 2;
        QTest::newRow("silent") << "kind=onvif silent=1" << transmitter << false << 0;
        QTest::newRow("not a probe") << "kind=onvif" << QByteArray("<s:Envelope/>") << false << 0;
        QTest::newRow("a recorder") << "kind=recorder mac=M1" << transmitter << false << 0;
    }
    void onvifProbe()
    {
        QFETCH(QString, line);
        QFETCH(QByteArray, datagram);
        QFETCH(bool, ipv6);
        QFETCH(int, answers);
        const SimDevice device = Device(qPrintable(line));
        const OnvifResponder responder({device});
        std::mt19937 random(1);
        const Handling handling = responder.Handle(
            {reinterpret_cast<const std::uint8_t*>(datagram.constData()), std::size_t(datagram.size())}, ipv6,
            random);
        QCOMPARE(int(handling.answers.size()), answers);
        for (const Answer& answer : handling.answers) {
            const OnvifMessage reply = ReadOnvifMessage(answer.bytes);
            QCOMPARE(reply.kind, OnvifMessageKind::ProbeMatches);
            QCOMPARE(reply.relatesTo, QStringLiteral("uuid:0b7d3c2a-1e4f-4a5b-8c6d-7e8f9a0b1c2d"));
            QCOMPARE(reply.messageId == reply.relatesTo, device.onvif.echo);
            QCOMPARE(reply.matches.size(), std::size_t(1));
            QVERIFY(answer.delayMs >= 0 && answer.delayMs <= OnvifResponder::kMaxDelayMs);
        }
    }

    void searchOfWrongSizeIsIgnored()
    {
        DeviceResponder responder({Device("mac=M")});
        std::mt19937 random(1);
        std::vector<std::uint8_t> search = BuildCameraSearch(SampleTag());
        search.push_back(0);
        const Handling handling = responder.Handle(Channel::Camera, search, random);
        QVERIFY(handling.answers.empty());
        QVERIFY2(handling.outcome.find("263") != std::string::npos, handling.outcome.c_str());
    }

    // Every field lands where the tool reads it, in each channel's layout.
    void replyFields_data()
    {
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<QString>("line");
        const QString common = QStringLiteral(
            "mac=AA:BB:CC:DD:EE:FF ip=192.168.1.77 mask=255.255.255.0 gateway=192.168.1.1 model=NC-4321 "
            "alias=Lobby url=https://cam webport=8443 http=8080 dlx=9000 tcp=9001 udp=9002 upload=9003 "
            "multicast=9004 mode=dhcp ipv6=fe80::1");
        QTest::newRow("camera") << Channel::Camera << QStringLiteral("kind=camera ") + common;
        QTest::newRow("ipv6") << Channel::IPv6 << QStringLiteral("kind=camera6 ") + common;
        QTest::newRow("recorder") << Channel::Recorder << QStringLiteral("kind=recorder setting=0 ") + common;
    }
    void replyFields()
    {
        QFETCH(Channel, channel);
        QFETCH(QString, line);
        const SimDevice device = Device(qPrintable(line));
        const PacketKind k = ChannelKind(channel);
        const std::vector<std::uint8_t> r = DeviceResponder::BuildSearchReply(device, channel, SampleTag());
        QCOMPARE(r.size(), LongFormSize(k));
        QCOMPARE(ReadByte(k, r, PacketField::Opcode), 11);
        QVERIFY(ReadClientTag(k, r) == SampleTag());
        QCOMPARE(ReadText(k, r, PacketField::MacAddress), std::string("AA:BB:CC:DD:EE:FF"));
        QCOMPARE(ReadText(k, r, PacketField::IpAddress), std::string("192.168.1.77"));
        QCOMPARE(ReadText(k, r, PacketField::ModelName), std::string("NC-4321"));
        QCOMPARE(ReadText(k, r, PacketField::Alias), std::string("Lobby"));
        QCOMPARE(ReadText(k, r, PacketField::Url), std::string("https://cam"));
        QCOMPARE(ReadText(k, r, PacketField::Password), std::string());
        QCOMPARE(ReadU16(k, r, PacketField::WebPort), 8443);
        QCOMPARE(ReadU16(k, r, PacketField::HttpPort), 8080);
        QCOMPARE(ReadU16(k, r, PacketField::MulticastPort), 9004);
        QCOMPARE(ReadByte(k, r, PacketField::AddressMode), 1);
        if (channel == Channel::IPv6)
            QCOMPARE(ReadText(k, r, PacketField::Ipv6Address), std::string("fe80::1"));
        if (channel == Channel::Recorder) {
            QCOMPARE(r[4], 11); // the opcode sits after the 4-byte prefix
            QCOMPARE(r[265], 0);
        }
    }

    void tagModes_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("equalsRequest");
        QTest::addColumn<bool>("zeroFirst15");
        QTest::newRow("echo") << "echo" << true << false;
        QTest::newRow("foreign") << "foreign" << false << false;
        QTest::newRow("zero") << "zero" << false << true;
        QTest::newRow("zero15") << "zero15" << false << true;
    }
    void tagModes()
    {
        QFETCH(QString, mode);
        QFETCH(bool, equalsRequest);
        QFETCH(bool, zeroFirst15);
        const SimDevice device = Device(qPrintable(QStringLiteral("kind=recorder mac=M tag=") + mode));
        const auto r = DeviceResponder::BuildSearchReply(device, Channel::Recorder, SampleTag());
        const ClientTag tag = ReadClientTag(PacketKind::KindRecorder, r);
        QCOMPARE(tag == SampleTag(), equalsRequest);
        QCOMPARE(ZeroFirst15(tag), zeroFirst15);
        if (mode == QLatin1String("zero15"))
            QVERIFY(tag[17] != 0);
    }

    void filledTextsHaveNoNul()
    {
        const SimDevice device = Device("mac=M alias=Hall model=NC url=http:// fill=1");
        const auto r = DeviceResponder::BuildSearchReply(device, Channel::Camera, SampleTag());
        constexpr PacketKind k = PacketKind::KindCamera;
        for (PacketField field : {PacketField::Alias, PacketField::ModelName, PacketField::Url}) {
            const auto bytes = FieldBytes(k, r, field);
            QVERIFY(std::find(bytes.begin(), bytes.end(), 0) == bytes.end());
        }
        QCOMPARE(ReadText(k, r, PacketField::Alias).substr(0, 5), std::string("HallX"));
        QCOMPARE(ReadText(k, r, PacketField::Alias).size(), std::size_t{65});
        // The MAC must stay exact: the tool copies it into its setting requests.
        QCOMPARE(ReadText(k, r, PacketField::MacAddress), std::string("M"));
    }

    void delays()
    {
        DeviceResponder responder({Device("mac=M delay=100 jitter=50 copies=20")});
        std::mt19937 random(7);
        const Handling handling = responder.Handle(Channel::Camera, SearchFor(Channel::Camera), random);
        QCOMPARE(handling.answers.size(), std::size_t{20});
        int lo = 1000, hi = 0;
        for (const Answer& a : handling.answers) {
            lo = std::min(lo, a.delayMs);
            hi = std::max(hi, a.delayMs);
        }
        QVERIFY2(lo >= 100 && hi <= 150 && hi > lo, qPrintable(QStringLiteral("%1..%2").arg(lo).arg(hi)));
    }

    // A setting request meant for one device: the result it answers and whether it took the values.
    void setting_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<Channel>("channel");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("opcode");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("result"); // -1: no answer
        QTest::addColumn<bool>("applied");
        const QString cam = QStringLiteral("kind=camera mac=C1 password=pw ip=192.168.1.50 ");
        const QString rec = QStringLiteral("kind=recorder mac=R1 password=pw ip=192.168.1.60 ");
        QTest::newRow("applied") << cam << Channel::Camera << "C1"
                                 << "pw" << 2 << 262 << 22 << true;
        QTest::newRow("port mapping, long") << cam << Channel::Camera << "C1"
                                            << "pw" << 4 << 326 << 22 << true;
        QTest::newRow("answers 44") << cam + QLatin1String("success=44") << Channel::Camera << "C1"
                                    << "pw" << 2 << 262 << 44 << true;
        QTest::newRow("wrong password") << cam << Channel::Camera << "C1"
                                        << "nope" << 2 << 262 << 33 << false;
        QTest::newRow("port mapping error") << cam + QLatin1String("result=55") << Channel::Camera << "C1"
                                            << "pw" << 4 << 262 << 55 << false;
        QTest::newRow("router error") << cam + QLatin1String("result=66") << Channel::Camera << "C1"
                                      << "pw" << 4 << 262 << 66 << false;
        QTest::newRow("unknown code") << cam + QLatin1String("result=99") << Channel::Camera << "C1"
                                      << "pw" << 2 << 262 << 99 << false;
        QTest::newRow("no answer") << cam + QLatin1String("result=none") << Channel::Camera << "C1"
                                   << "pw" << 2 << 262 << -1 << false;
        QTest::newRow("no answer, wrong password")
            << cam + QLatin1String("result=none") << Channel::Camera << "C1"
            << "x" << 2 << 262 << 33 << false;
        QTest::newRow("other mac") << cam << Channel::Camera << "C2"
                                   << "pw" << 2 << 262 << -1 << false;
        QTest::newRow("mac differs in case") << cam << Channel::Camera << "c1"
                                             << "pw" << 2 << 262 << -1 << false;
        QTest::newRow("odd size") << cam << Channel::Camera << "C1"
                                  << "pw" << 2 << 300 << -1 << false;
        QTest::newRow("camera asked on recorder port") << cam << Channel::Recorder << "C1"
                                                       << "pw" << 2 << 262 << -1 << false;
        QTest::newRow("recorder") << rec << Channel::Recorder << "R1"
                                  << "pw" << 2 << 262 << 22 << true;
        QTest::newRow("recorder, wrong password") << rec << Channel::Recorder << "R1"
                                                  << "x" << 2 << 262 << 33 << false;
        QTest::newRow("recorder takes no setting")
            << rec + QLatin1String("setting=0") << Channel::Recorder << "R1"
            << "pw" << 2 << 262 << -1 << false;
    }
    void setting()
    {
        QFETCH(QString, line);
        QFETCH(Channel, channel);
        QFETCH(QString, mac);
        QFETCH(QString, password);
        QFETCH(int, opcode);
        QFETCH(int, size);
        QFETCH(int, result);
        QFETCH(bool, applied);
        DeviceResponder responder({Device(qPrintable(line))});
        const std::string oldIp = responder.Devices()[0].ip;
        std::mt19937 random(1);
        const auto request =
            SettingRequest(qPrintable(mac), qPrintable(password), static_cast<std::uint8_t>(opcode),
                           static_cast<std::size_t>(size));
        const Handling handling = responder.Handle(channel, request, random);
        QCOMPARE(int(handling.answers.size()), result < 0 ? 0 : 1);
        if (result >= 0) {
            const PacketKind k = ChannelKind(channel);
            const auto& bytes = handling.answers[0].bytes;
            QCOMPARE(bytes.size(), LongFormSize(k));
            QCOMPARE(int(ReadByte(k, bytes, PacketField::Opcode)), result);
            QVERIFY(ReadClientTag(k, bytes) == SampleTag());
        }
        const SimDevice& device = responder.Devices()[0];
        QCOMPARE(device.ip, applied ? std::string("192.168.1.241") : oldIp);
        if (applied) {
            QCOMPARE(device.mask, std::string("255.255.0.0"));
            QCOMPARE(device.gateway, std::string("192.168.1.254"));
            QCOMPARE(device.webPort, 10000);
            QCOMPARE(device.ports[0], 10000);
            QCOMPARE(device.ports[5], 10005);
            QCOMPARE(device.addressMode, 1);
            // The next search shows the new values.
            const Handling again = responder.Handle(channel, SearchFor(channel), random);
            QCOMPARE(again.answers.size(), std::size_t{1});
            QCOMPARE(ReadText(ChannelKind(channel), again.answers[0].bytes, PacketField::IpAddress),
                     std::string("192.168.1.241"));
            QCOMPARE(ReadU16(ChannelKind(channel), again.answers[0].bytes, PacketField::UploadPort), 10004);
        }
    }

    void recorderUrlFollowsItsAddress()
    {
        DeviceResponder responder({Device("kind=recorder mac=R1 password=pw ip=192.168.1.60 "
                                          "url=http://192.168.1.60:8000")});
        std::mt19937 random(1);
        responder.Handle(Channel::Recorder, SettingRequest("R1", "pw"), random);
        QCOMPARE(responder.Devices()[0].url, std::string("http://192.168.1.241:8000"));
    }

    // After an applied change: the address the device comes back with, or no answer at all.
    void afterChange_data()
    {
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("answeredWith"); // empty: no answer to the next search
        QTest::newRow("the address sent") << QString() << u"192.168.1.241"_qs;
        QTest::newRow("another address") << u"after=192.168.1.64"_qs << u"192.168.1.64"_qs;
        QTest::newRow("gone") << u"after=none"_qs << QString();
    }

    void afterChange()
    {
        QFETCH(QString, after);
        QFETCH(QString, answeredWith);
        DeviceResponder responder(
            {Device(qPrintable(u"kind=camera mac=C1 password=pw ip=192.168.1.50 "_qs + after))});
        std::mt19937 random(1);
        const Handling handling = responder.Handle(Channel::Camera, SettingRequest("C1", "pw"), random);
        QCOMPARE(handling.answers.size(), std::size_t{1});
        QCOMPARE(int(ReadByte(PacketKind::KindCamera, handling.answers[0].bytes, PacketField::Opcode)), 22);
        const Handling again = responder.Handle(Channel::Camera, SearchFor(Channel::Camera), random);
        QCOMPARE(again.answers.size(), std::size_t{answeredWith.isEmpty() ? 0u : 1u});
        if (!answeredWith.isEmpty())
            QCOMPARE(ReadText(PacketKind::KindCamera, again.answers[0].bytes, PacketField::IpAddress),
                     answeredWith.toStdString());
    }

    void jsonStrings_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("json");
        QTest::newRow("plain") << QByteArray("NC-1") << "\"NC-1\"";
        QTest::newRow("quote and backslash") << QByteArray("a\"b\\c") << "\"a\\\"b\\\\c\"";
        QTest::newRow("control") << QByteArray("a\nb") << "\"a\\u000ab\"";
        QTest::newRow("high byte") << QByteArray("\xe9") << "\"\\u00e9\"";
    }
    void jsonStrings()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, json);
        QCOMPARE(QString::fromStdString(JsonString(std::string_view(text.constData(), text.size()))), json);
    }

    void netnsGuard()
    {
        const char* self = "/proc/self/ns/net";
        QCOMPARE(SameNetworkNamespace(self, self), std::optional<bool>(true));
        QCOMPARE(SameNetworkNamespace(self, "/nonexistent"), std::optional<bool>());
        std::string why;
        // Process 1 in the same namespace: refused, whatever is named.
        QVERIFY(!InLabNetworkNamespace(why, self, self, "/nonexistent"));
        QVERIFY(!why.empty());

        // Process 1 unreadable: allowed only in a named namespace.
        QTemporaryDir named;
        QVERIFY(named.isValid());
        const QByteArray dir = QFile::encodeName(named.path());
        QVERIFY(!InLabNetworkNamespace(why, self, "/nonexistent", dir.constData()));
        QVERIFY(QFile::link(QString::fromLatin1(self), named.filePath(QStringLiteral("lab1-dev"))));
        QVERIFY(InLabNetworkNamespace(why, self, "/nonexistent", dir.constData()));
    }
};

QTEST_GUILESS_MAIN(TestDeviceResponder)
#include "tst_deviceresponder.moc"
