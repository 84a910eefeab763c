// What cameras and other WS-Discovery hosts answer, the way they write it, through the reader and
// the row rules: whether a row is listed and what it shows.

#include "onvif/OnvifDevice.h"
#include "onvif/OnvifMessage.h"
#include "onvif/OnvifProbe.h"

#include <QSet>
#include <QTest>
#include <QUuid>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::OnvifMessageKind)
Q_DECLARE_METATYPE(Netrove::OnvifProbeType)

namespace {

const QString kOwnProbe = QStringLiteral("uuid:7c3d2b1a-0f4e-4d5c-9a8b-123456789abc");
const QString kCamera = QStringLiteral("urn:uuid:2419d68a-2dd2-21b2-a205-ec2c4d35ee40");
const QString kCameraKey = QStringLiteral("2419d68a-2dd2-21b2-a205-ec2c4d35ee40");
const QString kSender = QStringLiteral("192.168.1.64");
const QString kService = QStringLiteral("http://192.168.1.64/onvif/device_service");

// The envelopes of real answers, each with its own prefixes and layout: {id}, {relates} and
// {body} are filled in.
enum class Dialect
{
    // One line, a namespace for everything, SOAP-ENV/wsa/d.
    SoapEnv,
    // Indented, s/a/wsdd.
    Indented,
    // env/wsadis, the discovery namespace under the prefix "dn" and ONVIF's network one under "tdn".
    Env,
    // WS-Discovery 2009/01 with WS-Addressing 1.0.
    Oasis2009,
};

QString Envelope(Dialect dialect)
{
    switch (dialect) {
    case Dialect::SoapEnv:
        return QString::fromUtf8(
            R"(<?xml version="1.0" encoding="UTF-8"?><SOAP-ENV:Envelope xmlns:SOAP-ENV="http://www.w3.org/2003/05/soap-envelope" xmlns:SOAP-ENC="http://www.w3.org/2003/05/soap-encoding" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance" xmlns:xsd="http://www.w3.org/2001/XMLSchema" xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing" xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery" xmlns:dn="http://www.onvif.org/ver10/network/wsdl" xmlns:tds="http://www.onvif.org/ver10/device/wsdl"><SOAP-ENV:Header><wsa:MessageID>{id}</wsa:MessageID><wsa:RelatesTo>{relates}</wsa:RelatesTo><wsa:To SOAP-ENV:mustUnderstand="true">http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsa:To><wsa:Action SOAP-ENV:mustUnderstand="true">http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</wsa:Action></SOAP-ENV:Header><SOAP-ENV:Body><d:ProbeMatches>{body}</d:ProbeMatches></SOAP-ENV:Body></SOAP-ENV:Envelope>)");
    case Dialect::Indented:
        return QString::fromUtf8(R"(<?xml version="1.0" encoding="utf-8"?>
<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"
            xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing"
            xmlns:wsdd="http://schemas.xmlsoap.org/ws/2005/04/discovery"
            xmlns:dn="http://www.onvif.org/ver10/network/wsdl">
  <s:Header>
    <a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</a:Action>
    <a:MessageID>
      {id}
    </a:MessageID>
    <a:RelatesTo>{relates}</a:RelatesTo>
  </s:Header>
  <s:Body>
    <wsdd:ProbeMatches>
{body}
    </wsdd:ProbeMatches>
  </s:Body>
</s:Envelope>
)");
    case Dialect::Env:
        return QString::fromUtf8(
            R"(<?xml version="1.0" encoding="UTF-8"?>
<env:Envelope xmlns:env="http://www.w3.org/2003/05/soap-envelope" xmlns:wsadis="http://schemas.xmlsoap.org/ws/2004/08/addressing" xmlns:dn="http://schemas.xmlsoap.org/ws/2005/04/discovery" xmlns:tdn="http://www.onvif.org/ver10/network/wsdl"><env:Header><wsadis:MessageID>{id}</wsadis:MessageID><wsadis:RelatesTo>{relates}</wsadis:RelatesTo><wsadis:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</wsadis:To><wsadis:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</wsadis:Action></env:Header><env:Body><dn:ProbeMatches>{body}</dn:ProbeMatches></env:Body></env:Envelope>)");
    case Dialect::Oasis2009:
        return QString::fromUtf8(
            R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" xmlns:a="http://www.w3.org/2005/08/addressing" xmlns:d="http://docs.oasis-open.org/ws-dd/ns/discovery/2009/01" xmlns:dn="http://www.onvif.org/ver10/network/wsdl"><s:Header><a:Action>http://docs.oasis-open.org/ws-dd/ns/discovery/2009/01/ProbeMatches</a:Action><a:MessageID>{id}</a:MessageID><a:RelatesTo>{relates}</a:RelatesTo></s:Header><s:Body><d:ProbeMatches>{body}</d:ProbeMatches></s:Body></s:Envelope>)");
    }
    return {};
}

// The prefixes of the dialect's matches: addressing, discovery, ONVIF's network types.
struct Prefixes
{
    QString a, d, dn;
};

Prefixes PrefixesOf(Dialect dialect)
{
    switch (dialect) {
    case Dialect::SoapEnv:
        return {u"wsa"_qs, u"d"_qs, u"dn"_qs};
    case Dialect::Indented:
        return {u"a"_qs, u"wsdd"_qs, u"dn"_qs};
    case Dialect::Env:
        return {u"wsadis"_qs, u"dn"_qs, u"tdn"_qs};
    case Dialect::Oasis2009:
        return {u"a"_qs, u"d"_qs, u"dn"_qs};
    }
    return {};
}

// One match; a list left null is left out of it.
struct Match
{
    QString address = kCamera;
    QString types = u"{dn}:NetworkVideoTransmitter"_qs;
    QString scopes =
        u"onvif://www.onvif.org/type/video_encoder onvif://www.onvif.org/hardware/IPC-3220 "
        "onvif://www.onvif.org/name/Front%20door onvif://www.onvif.org/location/country/nowhere"_qs;
    QString xaddrs = kService;
};

QString MatchXml(Dialect dialect, const Match& match, const QString& element = u"ProbeMatch"_qs)
{
    const Prefixes p = PrefixesOf(dialect);
    QString xml =
        u"<{d}:%1><{a}:EndpointReference><{a}:Address>%2</{a}:Address></{a}:EndpointReference>"_qs.arg(
            element, match.address);
    if (!match.types.isNull())
        xml += u"<{d}:Types>%1</{d}:Types>"_qs.arg(match.types);
    if (!match.scopes.isNull())
        xml += u"<{d}:Scopes>%1</{d}:Scopes>"_qs.arg(match.scopes);
    if (!match.xaddrs.isNull())
        xml += u"<{d}:XAddrs>%1</{d}:XAddrs>"_qs.arg(match.xaddrs);
    xml += u"<{d}:MetadataVersion>1</{d}:MetadataVersion></{d}:%1>"_qs.arg(element);
    return xml.replace(u"{a}"_qs, p.a).replace(u"{d}"_qs, p.d).replace(u"{dn}"_qs, p.dn);
}

QByteArray Reply(Dialect dialect, const QList<Match>& matches, const QString& relatesTo = kOwnProbe,
                 const QString& messageId = u"uuid:0c2b5f0e-96a3-4e4e-8a1d-3f0e2d1c0b0a"_qs)
{
    QString body;
    for (const Match& match : matches)
        body += MatchXml(dialect, match);
    return Envelope(dialect)
        .replace(u"{id}"_qs, messageId)
        .replace(u"{relates}"_qs, relatesTo)
        .replace(u"{body}"_qs, body)
        .toUtf8();
}

QByteArray Reply(const Match& match)
{
    return Reply(Dialect::SoapEnv, {match});
}

// A Hello or Bye, as a camera multicasts it.
QByteArray Announcement(const QString& element, const Match& match)
{
    return QString::fromUtf8(
               R"(<?xml version="1.0" encoding="UTF-8"?><s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope" xmlns:a="http://schemas.xmlsoap.org/ws/2004/08/addressing" xmlns:d="http://schemas.xmlsoap.org/ws/2005/04/discovery" xmlns:dn="http://www.onvif.org/ver10/network/wsdl"><s:Header><a:MessageID>uuid:5b9b7f1c-3a8e-4a51-9a1e-6f0f2b8d4c21</a:MessageID><a:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To><a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/%1</a:Action><d:AppSequence InstanceId="1" MessageNumber="1"/></s:Header><s:Body>%2</s:Body></s:Envelope>)")
        .arg(element, MatchXml(Dialect::Indented, match, element).replace(u"wsdd:"_qs, u"d:"_qs))
        .toUtf8();
}

QByteArray Nested(std::size_t size)
{
    QByteArray xml = "<s:Envelope><s:Body>";
    while (std::size_t(xml.size()) + 5 <= size)
        xml += "<a:b>";
    return xml;
}

QByteArray ManyAttributes(int count)
{
    QByteArray xml = "<s:Envelope";
    for (int i = 0; i < count; ++i)
        xml += " xmlns:p" + QByteArray::number(i) + "=\"urn:x\"";
    return xml + "><s:Body/></s:Envelope>";
}

} // namespace

class TestOnvifMessage final : public QObject
{
    Q_OBJECT

private slots:
    // Each row: an answer and its sender; what the reader makes of it, whether it answers this
    // search, how many rows it lists, the endpoint key of its first match, and the first row's texts.
    void answers_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("sender");
        QTest::addColumn<OnvifMessageKind>("kind");
        QTest::addColumn<bool>("ownSearch");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("web");
        const auto pm = OnvifMessageKind::ProbeMatches;
        const QString web = u"http://192.168.1.64/"_qs;
        const QString model = u"IPC-3220"_qs;
        const QString door = u"Front door"_qs;

        for (const auto& [dialect, name] : {std::pair{Dialect::SoapEnv, "SOAP-ENV, wsa, d"},
                                            std::pair{Dialect::Indented, "s, a, wsdd, indented"},
                                            std::pair{Dialect::Env, "env, wsadis, dn as discovery"},
                                            std::pair{Dialect::Oasis2009, "2009/01"}}) {
            QTest::newRow(name) << Reply(dialect, {Match{}}) << kSender << pm << true << 1 << kCameraKey
                                << model << door << "" << kSender << kService << web;
        }
        QTest::newRow("uuid: without urn:, capitals")
            << Reply(Match{.address = u"uuid:2419D68A-2DD2-21B2-A205-EC2C4D35EE40"_qs}) << kSender << pm
            << true << 1 << kCameraKey << model << door << "" << kSender << kService << web;
        QTest::newRow("both ONVIF types, Device by its own namespace")
            << Reply(Match{.types = u"tds:Device dn:NetworkVideoTransmitter"_qs}) << kSender << pm << true
            << 1 << kCameraKey << model << door << "" << kSender << kService << web;
        QTest::newRow("tds:Device alone")
            << Reply(Match{.types = u"tds:Device"_qs}) << kSender << pm << true << 1 << kCameraKey << model
            << door << "" << kSender << kService << web;
        QTest::newRow("no Types, ONVIF scopes")
            << Reply(Match{.types = QString()}) << kSender << pm << true << 1 << kCameraKey << model << door
            << "" << kSender << kService << web;
        QTest::newRow("no Types, no ONVIF scopes")
            << Reply(Match{.types = QString(), .scopes = u"http://example.com/scope"_qs}) << kSender << pm
            << true << 0 << kCameraKey << ""
            << ""
            << ""
            << ""
            << ""
            << "";
        QTest::newRow("types under a prefix declared nowhere")
            << Reply(Match{.types = u"tdn:NetworkVideoTransmitter"_qs}) << kSender << pm << true << 1
            << kCameraKey << model << door << "" << kSender << kService << web;
        QTest::newRow("a computer") << Reply(Match{.types = u"pub:Computer"_qs,
                                                   .scopes = QString(),
                                                   .xaddrs = QString()})
                                    << kSender << pm << true << 0 << kCameraKey << ""
                                    << ""
                                    << ""
                                    << ""
                                    << ""
                                    << "";
        QTest::newRow("a printer, wsdp:Device")
            << QByteArray(
                   Reply(
                       Match{.types = u"wsdp:Device wprt:PrintDeviceType"_qs,
                             .scopes = u"http://schemas.microsoft.com/windows/2006/08/wdp/print/default"_qs})
                       .replace("xmlns:d=",
                                "xmlns:wsdp=\"http://schemas.xmlsoap.org/ws/2006/02/devprof\" "
                                "xmlns:wprt=\"http://schemas.microsoft.com/windows/2006/08/wdp/print\" "
                                "xmlns:d="))
            << kSender << pm << true << 0 << kCameraKey << ""
            << ""
            << ""
            << ""
            << ""
            << "";

        // Scopes.
        QTest::newRow("UTF-8 escapes, capitalised categories, a MAC address")
            << Reply(Match{
                   .scopes =
                       u"onvif://www.onvif.org/Hardware/IPC-3220 onvif://www.onvif.org/Name/Caf%C3%A9%20Nord "
                       "onvif://www.onvif.org/MacAddress/00408c1234ab"_qs})
            << kSender << pm << true << 1 << kCameraKey << model << u"Café Nord"_qs << "00:40:8C:12:34:AB"
            << kSender << kService << web;
        QTest::newRow("raw spaces in the name, on a new line, a mac scope")
            << Reply(Match{
                   .scopes =
                       u"onvif://www.onvif.org/name/Front door\n\tonvif://www.onvif.org/mac/00-40-8C-12-34-AB"_qs})
            << kSender << pm << true << 1 << kCameraKey << "" << door << "00:40:8C:12:34:AB" << kSender
            << kService << web;
        QTest::newRow("junk entries, a bad escape left as it is")
            << Reply(Match{.scopes =
                               u"onvif://www.onvif.org/ junk: onvif://www.onvif.org/name/ "
                               "onvif://www.onvif.org/hardware onvif://www.onvif.org/name/Cam%ZZ%4 "
                               "onvif://www.onvif.org/name/Second onvif://www.onvif.org/MacAddress/none"_qs})
            << kSender << pm << true << 1 << kCameraKey << ""
            << "Cam%ZZ%4"
            << "none" << kSender << kService << web;
        QTest::newRow("a raw DEL shows as a replacement")
            << Reply(Match{.scopes = u"onvif://www.onvif.org/name/A\u007fB"_qs}) << kSender << pm << true << 1
            << kCameraKey << "" << u"A\ufffdB"_qs << "" << kSender << kService << web;
        QTest::newRow("an escaped line break is left escaped")
            << Reply(Match{.scopes = u"onvif://www.onvif.org/name/Two%0Alines"_qs}) << kSender << pm << true
            << 1 << kCameraKey << ""
            << "Two%0Alines"
            << "" << kSender << kService << web;

        // XAddrs.
        QTest::newRow("a link-local XAddr before the camera's own")
            << Reply(Match{.xaddrs = u"http://169.254.12.34/onvif/device_service "_qs + kService})
            << u"192.168.1.2"_qs << pm << true << 1 << kCameraKey << model << door << "" << kSender
            << kService << web;
        QTest::newRow("only 127.0.0.1: the sender")
            << Reply(Match{.xaddrs = u"http://127.0.0.1/onvif/device_service"_qs}) << u"192.168.1.70"_qs << pm
            << true << 1 << kCameraKey << model << door << ""
            << "192.168.1.70"
            << ""
            << "http://192.168.1.70/";
        QTest::newRow("placeholders: the sender")
            << Reply(Match{
                   .xaddrs =
                       u"http://0.0.0.0/onvif/device_service XAddrs http://ipaddress/onvif/device_service"_qs})
            << u"192.168.1.70"_qs << pm << true << 1 << kCameraKey << model << door << ""
            << "192.168.1.70"
            << ""
            << "http://192.168.1.70/";
        QTest::newRow("several on new lines: the one equal to the sender")
            << Reply(Match{
                   .xaddrs =
                       u"http://10.1.1.64:8080/onvif/device_service\n\t\thttp://192.168.1.64/onvif/device_service\n"_qs})
            << kSender << pm << true << 1 << kCameraKey << model << door << "" << kSender << kService << web;
        QTest::newRow("not the sender: the first usable")
            << Reply(Match{
                   .xaddrs =
                       u"http://10.1.1.64:8080/onvif/device_service http://192.168.1.65/onvif/device_service"_qs})
            << kSender << pm << true << 1 << kCameraKey << model << door << ""
            << "10.1.1.64"
            << "http://10.1.1.64:8080/onvif/device_service"
            << "http://10.1.1.64/";
        QTest::newRow("https only") << Reply(Match{.xaddrs = u"https://192.168.1.64/onvif/device_service"_qs})
                                    << kSender << pm << true << 1 << kCameraKey << model << door << ""
                                    << kSender << "https://192.168.1.64/onvif/device_service"
                                    << "https://192.168.1.64/";
        QTest::newRow("IPv6")
            << Reply(Match{
                   .xaddrs =
                       u"http://[fe80::2%25lab0]/onvif/device_service http://[2001:db8::64]:80/onvif/device_service"_qs})
            << u"fe80::1"_qs << pm << true << 1 << kCameraKey << model << door << ""
            << "2001:db8::64"
            << "http://[2001:db8::64]:80/onvif/device_service"
            << "http://[2001:db8::64]/";
        QTest::newRow("no XAddrs at all") << Reply(Match{.xaddrs = QString()}) << kSender << pm << true << 1
                                          << kCameraKey << model << door << "" << kSender << "" << web;

        // Whose search it answers.
        QTest::newRow("the probe's MessageID echoed as its own")
            << Reply(Dialect::SoapEnv, {Match{}}, kOwnProbe, kOwnProbe) << kSender << pm << true << 1
            << kCameraKey << model << door << "" << kSender << kService << web;
        QTest::newRow("RelatesTo with urn: and capitals")
            << Reply(Dialect::SoapEnv, {Match{}}, u"urn:UUID:7C3D2B1A-0F4E-4D5C-9A8B-123456789ABC"_qs)
            << kSender << pm << true << 1 << kCameraKey << model << door << "" << kSender << kService << web;
        QTest::newRow("another search's answer")
            << Reply(Dialect::SoapEnv, {Match{}}, u"uuid:11111111-0f4e-4d5c-9a8b-123456789abc"_qs) << kSender
            << pm << false << 1 << kCameraKey << model << door << "" << kSender << kService << web;

        // One device, or several.
        const Match twin{
            .scopes =
                u"onvif://www.onvif.org/hardware/IPC-3220 onvif://www.onvif.org/MacAddress/00:40:8c:00:00:02"_qs,
            .xaddrs = u"http://192.168.1.65/onvif/device_service"_qs};
        QTest::newRow("two cameras of one model with one serial")
            << Reply(Dialect::SoapEnv,
                     {Match{.scopes = u"onvif://www.onvif.org/hardware/IPC-3220 "
                                      "onvif://www.onvif.org/MacAddress/00:40:8c:00:00:01"_qs},
                      twin})
            << kSender << pm << true << 2 << kCameraKey << model << ""
            << "00:40:8C:00:00:01" << kSender << kService << web;
        QTest::newRow("one camera twice in one answer")
            << Reply(Dialect::SoapEnv, {Match{}, Match{}}) << kSender << pm << true << 1 << kCameraKey
            << model << door << "" << kSender << kService << web;
        QTest::newRow("trailing NUL") << Reply(Match{}) + QByteArray(2, '\0') << kSender << pm << true << 1
                                      << kCameraKey << model << door << "" << kSender << kService << web;
        const QByteArray two = Reply(Dialect::SoapEnv, {Match{}, twin});
        QTest::newRow("cut short in the second match")
            << two.left(two.indexOf("192.168.1.65")) << kSender << pm << true << 1 << kCameraKey << model
            << door << "" << kSender << kService << web;
        const QByteArray one = Reply(Match{});
        QTest::newRow("cut short in the only match")
            << one.left(one.indexOf("</d:ProbeMatch>")) << kSender << pm << true << 0 << ""
            << ""
            << ""
            << ""
            << ""
            << ""
            << "";

        // Announcements.
        QTest::newRow("Hello") << Announcement(u"Hello"_qs, Match{}) << kSender << OnvifMessageKind::Hello
                               << false << 1 << kCameraKey << model << door << "" << kSender << kService
                               << web;
        QTest::newRow("Bye") << Announcement(
                                    u"Bye"_qs,
                                    Match{.types = QString(), .scopes = QString(), .xaddrs = QString()})
                             << kSender << OnvifMessageKind::Bye << false << 0 << kCameraKey << ""
                             << ""
                             << ""
                             << ""
                             << ""
                             << "";

        // Hostile input.
        const QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE s:Envelope [<!ENTITY a \"ha\"><!ENTITY b "
                                  "\"&a;&a;&a;&a;&a;&a;&a;&a;\">"
                                  "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>" +
                                  Reply(Match{.scopes = u"onvif://www.onvif.org/name/&c;"_qs}).mid(38);
        QTest::newRow("entities of a DTD") << laughs << kSender << OnvifMessageKind::None << false << 0 << ""
                                           << ""
                                           << ""
                                           << ""
                                           << ""
                                           << ""
                                           << "";
        QTest::newRow("an external entity")
            << "<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY e SYSTEM \"file:///etc/passwd\">]>" +
                   Reply(Match{.scopes = u"onvif://www.onvif.org/name/&e;"_qs}).mid(38)
            << kSender << OnvifMessageKind::None << false << 0 << ""
            << ""
            << ""
            << ""
            << ""
            << ""
            << "";
        QTest::newRow("an undeclared entity") << Reply(Match{.scopes = u"onvif://www.onvif.org/name/&e;"_qs})
                                              << kSender << pm << true << 0 << ""
                                              << ""
                                              << ""
                                              << ""
                                              << ""
                                              << ""
                                              << "";
        QByteArray deep = Reply(Match{});
        deep.replace("<d:MetadataVersion>", QByteArray("<x:y>").repeated(14) +
                                                QByteArray("</x:y>").repeated(14) + "<d:MetadataVersion>");
        QTest::newRow("nested deeper than 16")
            << deep << kSender << OnvifMessageKind::None << false << 0 << ""
            << ""
            << ""
            << ""
            << ""
            << ""
            << "";
        QByteArray comment = Reply(Match{});
        comment.replace("<SOAP-ENV:Body>", "<SOAP-ENV:Body><!--" + QByteArray(4096, 'c') + "-->");
        QTest::newRow("a long comment") << comment << kSender << OnvifMessageKind::None << false << 0 << ""
                                        << ""
                                        << ""
                                        << ""
                                        << ""
                                        << ""
                                        << "";
        QTest::newRow("64 KiB of nesting")
            << Nested(65536) << kSender << OnvifMessageKind::None << false << 0 << ""
            << ""
            << ""
            << ""
            << ""
            << ""
            << "";
        QTest::newRow("64 KiB of garbage")
            << QByteArray(65536, '\xa7') << kSender << OnvifMessageKind::None << false << 0 << ""
            << ""
            << ""
            << ""
            << ""
            << ""
            << "";
        QTest::newRow("thousands of attributes")
            << ManyAttributes(3000) << kSender << OnvifMessageKind::None << false << 0 << ""
            << ""
            << ""
            << ""
            << ""
            << ""
            << "";
        QByteArray huge = Reply(Match{});
        huge.insert(huge.indexOf("<SOAP-ENV:Body>"), QByteArray(65536 - huge.size() + 1, ' '));
        QTest::newRow("larger than 64 KiB") << huge << kSender << OnvifMessageKind::None << false << 0 << ""
                                            << ""
                                            << ""
                                            << ""
                                            << ""
                                            << ""
                                            << "";
        QTest::newRow("not a SOAP envelope") << QByteArray("<d:ProbeMatches><d:ProbeMatch><d:Types>dn:"
                                                           "NetworkVideoTransmitter</d:Types></d:ProbeMatch>"
                                                           "</d:ProbeMatches>")
                                             << kSender << OnvifMessageKind::None << false << 0 << ""
                                             << ""
                                             << ""
                                             << ""
                                             << ""
                                             << ""
                                             << "";
    }
    void answers()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, sender);
        QFETCH(OnvifMessageKind, kind);
        QFETCH(bool, ownSearch);
        QFETCH(int, rows);
        const OnvifMessage message = ReadOnvifMessage(
            {reinterpret_cast<const std::uint8_t*>(datagram.constData()), std::size_t(datagram.size())});
        QCOMPARE(message.kind, kind);
        QCOMPARE(RelatesToOwnProbe(message.relatesTo,
                                   {u"uuid:0e0e0e0e-0000-4000-8000-000000000000"_qs, kOwnProbe}),
                 ownSearch);

        QList<OnvifRow> listed;
        QSet<QString> keys;
        for (const OnvifMatch& match : message.matches) {
            const OnvifRow row = MakeOnvifRow(match, sender);
            if (IsOnvifVideoDevice(match) && !keys.contains(row.key)) {
                keys.insert(row.key);
                listed.append(row);
            }
        }
        QCOMPARE(listed.size(), rows);
        QTEST(message.matches.empty() ? QString() : OnvifEndpointKey(message.matches.front().address), "key");
        if (rows == 0)
            return;
        const OnvifRow& row = listed.first();
        QTEST(row.deviceName, "name");
        QTEST(row.alias, "alias");
        QTEST(row.mac, "mac");
        QTEST(row.ip, "ip");
        QTEST(row.url, "url");
        QTEST(row.webAddress, "web");
    }

    // A probe reads back as the probe it is: its own MessageID, and the one type it asks for in
    // ONVIF's namespace.
    void probe_data()
    {
        QTest::addColumn<OnvifProbeType>("type");
        QTest::addColumn<QString>("localName");
        QTest::addColumn<QString>("namespaceUri");
        QTest::newRow("NetworkVideoTransmitter")
            << OnvifProbeType::NetworkVideoTransmitter << "NetworkVideoTransmitter"
            << "http://www.onvif.org/ver10/network/wsdl";
        QTest::newRow("Device") << OnvifProbeType::Device << "Device"
                                << "http://www.onvif.org/ver10/device/wsdl";
    }
    void probe()
    {
        QFETCH(OnvifProbeType, type);
        const QString id = MakeOnvifMessageId();
        QVERIFY(id.startsWith(u"uuid:"_qs));
        QVERIFY(!QUuid::fromString(id.mid(5)).isNull());
        QVERIFY(id != MakeOnvifMessageId());
        const QByteArray probe = BuildOnvifProbe(id, type);
        QCOMPARE(BuildOnvifProbe(id, type), probe);
        const OnvifMessage read = ReadOnvifMessage(
            {reinterpret_cast<const std::uint8_t*>(probe.constData()), std::size_t(probe.size())});
        QCOMPARE(read.kind, OnvifMessageKind::Probe);
        QCOMPARE(read.messageId, id);
        QCOMPARE(read.matches.size(), std::size_t(1));
        QCOMPARE(read.matches.front().types.size(), 1);
        QTEST(read.matches.front().types.front().localName, "localName");
        QTEST(read.matches.front().types.front().namespaceUri, "namespaceUri");
        QVERIFY(probe.contains(
            "<a:To s:mustUnderstand=\"1\">urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>"));
        QVERIFY(probe.contains(">http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action>"));
    }
};

QTEST_APPLESS_MAIN(TestOnvifMessage)
#include "tst_onvifmessage.moc"
