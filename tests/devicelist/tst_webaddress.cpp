#include "devicelist/DeviceEntry.h"
#include "devicelist/WebAddress.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <QTest>

#include <memory>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::PacketKind)
Q_DECLARE_METATYPE(Netrove::WebPageAction)

namespace {

DeviceEntry MakeEntry(PacketKind kind, const char* ip, const char* url, std::uint16_t webPort,
                      std::uint16_t httpPort, const char* ipv6 = "")
{
    DeviceEntry entry;
    entry.kind = kind;
    entry.reply.assign(LongFormSize(kind), 0);
    WriteText(kind, entry.reply, PacketField::IpAddress, ip);
    WriteText(kind, entry.reply, PacketField::Url, url);
    WriteU16(kind, entry.reply, PacketField::WebPort, webPort);
    WriteU16(kind, entry.reply, PacketField::HttpPort, httpPort);
    if (kind == PacketKind::KindCameraIPv6)
        WriteText(kind, entry.reply, PacketField::Ipv6Address, ipv6);
    return entry;
}

} // namespace

class TestWebAddress final : public QObject
{
    Q_OBJECT

private slots:
    void buildCameraWebUrl_data();
    void buildCameraWebUrl();
    void buildCameraIPv6WebUrl_data();
    void buildCameraIPv6WebUrl();
    void chooseWebPage_data();
    void chooseWebPage();
    void rowWithoutEntryDoesNothing();
};

void TestWebAddress::buildCameraWebUrl_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("webPort");
    QTest::addColumn<int>("httpPort");
    QTest::addColumn<QString>("expected");

    const QString host = QStringLiteral("192.168.1.100");
    QTest::newRow("http 8080") << host << "http://cam" << 8080 << 80 << "http://192.168.1.100:8080";
    QTest::newRow("http always writes 80") << host << "http://cam" << 80 << 80 << "http://192.168.1.100:80";
    QTest::newRow("https, same ports") << host << "https://cam" << 443 << 443 << "https://192.168.1.100";
    QTest::newRow("https, ports differ") << host << "https://cam" << 443 << 80 << "https://192.168.1.100:443";
    QTest::newRow("HTTPS in capitals is http")
        << host << "HTTPS://cam" << 443 << 443 << "http://192.168.1.100:443";
    QTest::newRow("exactly https") << host << "https" << 8443 << 8443 << "https://192.168.1.100";
    QTest::newRow("shorter than https") << host << "http" << 81 << 81 << "http://192.168.1.100:81";
    QTest::newRow("https not at the start") << host << " https" << 81 << 81 << "http://192.168.1.100:81";
    QTest::newRow("empty url") << host << "" << 5000 << 5000 << "http://192.168.1.100:5000";
    QTest::newRow("ports unsigned") << host << "http" << 65535 << 0 << "http://192.168.1.100:65535";
}

void TestWebAddress::buildCameraWebUrl()
{
    QFETCH(QString, host);
    QFETCH(QString, url);
    QFETCH(int, webPort);
    QFETCH(int, httpPort);
    QFETCH(QString, expected);

    const std::string address =
        BuildCameraWebUrl(host.toStdString(), url.toStdString(), static_cast<std::uint16_t>(webPort),
                          static_cast<std::uint16_t>(httpPort));
    QCOMPARE(QString::fromStdString(address), expected);
}

void TestWebAddress::buildCameraIPv6WebUrl_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<int>("webPort");
    QTest::addColumn<int>("httpPort");
    QTest::addColumn<int>("osMajorVersion");
    QTest::addColumn<QString>("expected");

    QTest::newRow("http, version 5") << "" << 80 << 80 << 5 << "http://[fe80::1%254]:80";
    QTest::newRow("http, version 6") << "" << 80 << 80 << 6 << "http://[fe80::1]:80";
    QTest::newRow("http, version 4") << "" << 80 << 80 << 4 << "http://[fe80::1]:80";
    QTest::newRow("http, query failed") << "" << 80 << 80 << -1 << "http://[fe80::1]:80";
    QTest::newRow("https same ports, version 5") << "https" << 443 << 443 << 5 << "https://[fe80::1%254]";
    QTest::newRow("https same ports, version 6") << "https" << 443 << 443 << 6 << "https://[fe80::1]";
    QTest::newRow("https ports differ, version 5")
        << "https" << 8443 << 80 << 5 << "https://[fe80::1%254]:8443";
    QTest::newRow("https ports differ, version 6") << "https" << 8443 << 80 << 6 << "https://[fe80::1]:8443";
    QTest::newRow("HTTPS capitals, version 5") << "HTTPS" << 443 << 443 << 5 << "http://[fe80::1%254]:443";
}

void TestWebAddress::buildCameraIPv6WebUrl()
{
    QFETCH(QString, url);
    QFETCH(int, webPort);
    QFETCH(int, httpPort);
    QFETCH(int, osMajorVersion);
    QFETCH(QString, expected);

    const std::string address =
        BuildCameraIPv6WebUrl("fe80::1", url.toStdString(), static_cast<std::uint16_t>(webPort),
                              static_cast<std::uint16_t>(httpPort), osMajorVersion);
    QCOMPARE(QString::fromStdString(address), expected);
}

void TestWebAddress::chooseWebPage_data()
{
    QTest::addColumn<QString>("protocol");
    QTest::addColumn<PacketKind>("kind");
    QTest::addColumn<QString>("url");
    QTest::addColumn<WebPageAction>("action");
    QTest::addColumn<QString>("address");

    const auto camera = PacketKind::KindCamera;
    const auto camera6 = PacketKind::KindCameraIPv6;
    const auto recorder = PacketKind::KindRecorder;
    const auto open = WebPageAction::OpenAddress;
    const auto nothing = WebPageAction::Nothing;

    QTest::newRow("IPv4 camera") << "IPv4" << camera << "http://x" << open << "http://192.168.1.100:8080";
    QTest::newRow("recorder's own address") << "IPv4" << recorder << "http://nvr.local:8000/index.html"
                                            << open << "http://nvr.local:8000/index.html";
    QTest::newRow("recorder, any text")
        << "IPv4" << recorder << "file:///etc/passwd" << open << "file:///etc/passwd";
    QTest::newRow("recorder, empty url") << "IPv4" << recorder << "" << open << "";
    QTest::newRow("IPv6 camera asks")
        << "IPv6" << camera6 << "http://x" << WebPageAction::ChooseIPv6OrIPv4 << "";
    QTest::newRow("IPv6 text, camera kind") << "IPv6" << camera << "http://x" << nothing << "";
    QTest::newRow("IPv6 text, recorder") << "IPv6" << recorder << "http://x" << nothing << "";
    QTest::newRow("protocol text not exactly IPv4") << "ipv4" << camera << "http://x" << nothing << "";
    QTest::newRow("no protocol text") << "" << recorder << "http://x" << nothing << "";
}

void TestWebAddress::chooseWebPage()
{
    QFETCH(QString, protocol);
    QFETCH(PacketKind, kind);
    QFETCH(QString, url);
    QFETCH(WebPageAction, action);
    QFETCH(QString, address);

    const DeviceEntry entry =
        MakeEntry(kind, "192.168.1.100", url.toLatin1().constData(), 8080, 80, "fe80::1");
    const WebPageChoice choice = ChooseWebPage(protocol, &entry);
    QCOMPARE(choice.action, action);
    QCOMPARE(QString::fromStdString(choice.address), address);
}

void TestWebAddress::rowWithoutEntryDoesNothing()
{
    QCOMPARE(ChooseWebPage(QStringLiteral("IPv4"), nullptr).action, WebPageAction::Nothing);
    QCOMPARE(ChooseWebPage(QStringLiteral("IPv6"), nullptr).action, WebPageAction::Nothing);
}

QTEST_GUILESS_MAIN(TestWebAddress)
#include "tst_webaddress.moc"
