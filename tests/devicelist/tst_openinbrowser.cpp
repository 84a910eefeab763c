#include "BrowserStandIn.h"
#include "devicelist/OpenInBrowser.h"
#include "devicelist/WebAddress.h"

#include <QTest>

#include <memory>

using namespace Netrove;

namespace {

// Every scheme a refused address names, besides the browser's own two: an address let through by
// mistake lands with the stand-in, never with the desktop.
const QStringList kSchemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("file"),
                           QStringLiteral("javascript"), QStringLiteral("smb")};

} // namespace

class TestOpenInBrowser final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void categoryIsOffByDefault();
    void refused_data();
    void refused();
    void opened_data();
    void opened();
    void cameraAddressesPassTheSameCheck_data();
    void cameraAddressesPassTheSameCheck();

private:
    std::unique_ptr<BrowserStandIn> m_browser;
};

void TestOpenInBrowser::initTestCase()
{
    m_browser = std::make_unique<BrowserStandIn>(kSchemes);
}

void TestOpenInBrowser::init()
{
    m_browser->Clear();
}

void TestOpenInBrowser::categoryIsOffByDefault()
{
    // Rules given from outside decide for themselves.
    if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES")) {
        OpenInBrowser("file:///etc/passwd");
        QVERIFY(m_browser->opened.isEmpty());
        QCOMPARE(m_browser->webLines.size(), 0);
    }
    // The remaining tests read the lines.
    QLoggingCategory::setFilterRules(QStringLiteral("netrove.web.debug=true"));
}

void TestOpenInBrowser::refused_data()
{
    QTest::addColumn<QByteArray>("address");

    QTest::newRow("local file") << QByteArray("file:///etc/passwd");
    QTest::newRow("script") << QByteArray("javascript:alert(1)");
    QTest::newRow("network share") << QByteArray("smb://host/share");
    QTest::newRow("user name") << QByteArray("http://user@192.168.1.20/");
    QTest::newRow("password only") << QByteArray("https://:secret@192.168.1.20/");
    QTest::newRow("command-line option") << QByteArray("--help");
    QTest::newRow("text with spaces") << QByteArray("http://192.168.1.20/ --new-window");
    QTest::newRow("spaces in host") << QByteArray("http://evil host:80");
    QTest::newRow("leading space") << QByteArray(" http://192.168.1.20/");
    QTest::newRow("new line") << QByteArray("http://192.168.1.20/\n--incognito");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("no host") << QByteArray("http:///etc/passwd");
    QTest::newRow("no slashes") << QByteArray("http:192.168.1.20");
    QTest::newRow("port out of range") << QByteArray("http://192.168.1.20:99999/");
    QTest::newRow("relative") << QByteArray("192.168.1.20/index.html");
    QTest::newRow("bad escape") << QByteArray("http://192.168.1.20/%zz");
}

void TestOpenInBrowser::refused()
{
    QFETCH(QByteArray, address);

    OpenInBrowser(std::string_view(address.constData(), static_cast<std::size_t>(address.size())));
    QVERIFY2(m_browser->opened.isEmpty(), qPrintable(m_browser->opened.value(0).toString()));
    QCOMPARE(m_browser->webLines.size(), 1);
    QVERIFY2(!m_browser->webLines.first().contains(QLatin1Char('\n')),
             qPrintable(m_browser->webLines.first()));
    QVERIFY(!CheckWebAddress(std::string_view(address.constData(), static_cast<std::size_t>(address.size())))
                 .Accepted());
}

void TestOpenInBrowser::opened_data()
{
    QTest::addColumn<QByteArray>("address");
    QTest::addColumn<QString>("expected");

    QTest::newRow("camera http") << QByteArray("http://192.168.1.100:8080") << "http://192.168.1.100:8080";
    QTest::newRow("camera https") << QByteArray("https://192.168.1.100") << "https://192.168.1.100";
    QTest::newRow("recorder page") << QByteArray("http://192.168.1.20:8000/index.html?lang=en#top")
                                   << "http://192.168.1.20:8000/index.html?lang=en#top";
    QTest::newRow("scheme in capitals") << QByteArray("HTTP://192.168.1.20/") << "http://192.168.1.20/";
    QTest::newRow("host name") << QByteArray("https://nvr.example.net/") << "https://nvr.example.net/";
    QTest::newRow("IPv6") << QByteArray("http://[fe80::1]:80") << "http://[fe80::1]:80";
    QTest::newRow("IPv6 with zone") << QByteArray("http://[fe80::1%254]:80") << "http://[fe80::1%254]:80";
}

void TestOpenInBrowser::opened()
{
    QFETCH(QByteArray, address);
    QFETCH(QString, expected);

    OpenInBrowser(std::string_view(address.constData(), static_cast<std::size_t>(address.size())));
    QCOMPARE(m_browser->opened.size(), 1);
    QCOMPARE(m_browser->opened.first().toString(), expected);
    QVERIFY2(m_browser->webLines.isEmpty(), qPrintable(m_browser->webLines.join(QLatin1Char('|'))));
}

void TestOpenInBrowser::cameraAddressesPassTheSameCheck_data()
{
    QTest::addColumn<QByteArray>("ip");
    QTest::addColumn<bool>("opens");

    QTest::newRow("address") << QByteArray("192.168.1.100") << true;
    QTest::newRow("user name in the address") << QByteArray("me@192.168.1.100") << false;
    QTest::newRow("space in the address") << QByteArray("192.168.1.100 -x") << false;
    QTest::newRow("no address") << QByteArray() << false;
}

void TestOpenInBrowser::cameraAddressesPassTheSameCheck()
{
    QFETCH(QByteArray, ip);
    QFETCH(bool, opens);

    OpenInBrowser(BuildCameraWebUrl(ip.toStdString(), "http", 80, 80));
    QCOMPARE(m_browser->opened.size(), opens ? 1 : 0);
    QCOMPARE(m_browser->webLines.size(), opens ? 0 : 1);
}

QTEST_GUILESS_MAIN(TestOpenInBrowser)
#include "tst_openinbrowser.moc"
