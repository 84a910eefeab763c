#include "manualset/ManualSettingsValidation.h"

#include <QTest>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::PortGroup)

namespace {

constexpr int kStatic = 0;
constexpr int kDhcp = 1;
constexpr int kPppoe = 2;

constexpr PortGroup kPair = PortGroup::HttpDlxPair;
constexpr PortGroup kSix = PortGroup::SixPortBlock;
constexpr PortGroup kService = PortGroup::ServicePortOnly;

// A device that passes every address rule.
constexpr const char* kIp = "192.168.1.10";
constexpr const char* kMask = "255.255.255.0";
constexpr const char* kGw = "192.168.1.1";

constexpr const char* kPasses = nullptr;
constexpr const char* kIpOctet = "The first octet value of IP Address must be from 1 to 223";
constexpr const char* kGwOctet = "The first octet value of Gateway must be from 1 to 223";
constexpr const char* kBadMask = "Invalid Subnet Mask";
constexpr const char* kSame = "IP Address and Gateway should not have the same values";
constexpr const char* kNetworks = "IP Address and Gateway have to be on the same network";
constexpr const char* kIpUnusable = "Invalid IP Address with that Subnet Mask";
constexpr const char* kGwUnusable = "Invalid Gateway with that Subnet Mask";
constexpr const char* kHttp = "Invalid HTTP Port";
constexpr const char* kDlx = "Invalid DLX Port";
constexpr const char* kHttpDlx = "Invalid HTTP & DLX Port";
constexpr const char* kTcp = "Invalid Port(TCP)";
constexpr const char* kHttpTcp = "Invalid HTTP & Port(TCP)";

void AddColumns()
{
    QTest::addColumn<PortGroup>("group");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QByteArray>("ip");
    QTest::addColumn<QByteArray>("mask");
    QTest::addColumn<QByteArray>("gateway");
    QTest::addColumn<int>("http");
    QTest::addColumn<int>("second");
    // Null when every rule passes.
    QTest::addColumn<QString>("message");
}

void AddRow(const char* name, PortGroup group, int mode, const char* ip, const char* mask,
            const char* gateway, int http, int second, const char* message)
{
    QTest::newRow(name) << group << mode << QByteArray(ip) << QByteArray(mask) << QByteArray(gateway) << http
                        << second << (message ? QString::fromLatin1(message) : QString());
}

void AddCamera(const char* name, int mode, const char* ip, const char* mask, const char* gateway, int http,
               int dlx, const char* message)
{
    AddRow(name, kPair, mode, ip, mask, gateway, http, dlx, message);
}

void AddRecorder(const char* name, int mode, const char* ip, const char* mask, const char* gateway, int http,
                 int tcp, const char* message)
{
    // A recorder has no port group; the field's value must not matter.
    AddRow(name, kSix, mode, ip, mask, gateway, http, tcp, message);
}

void CheckRow(SettingKind kind)
{
    QFETCH(PortGroup, group);
    QFETCH(int, mode);
    QFETCH(QByteArray, ip);
    QFETCH(QByteArray, mask);
    QFETCH(QByteArray, gateway);
    QFETCH(int, http);
    QFETCH(int, second);
    QFETCH(QString, message);

    ManualSettingValues values;
    values.kind = kind;
    values.group = group;
    values.mode = mode;
    const auto quad = [](const QByteArray& text) {
        const auto octets = ParseDottedQuad(std::string_view(text.constData(), text.size()));
        if (!octets)
            qFatal("row has a malformed address: %s", text.constData());
        return *octets;
    };
    values.ip = quad(ip);
    values.mask = quad(mask);
    values.gateway = quad(gateway);
    values.http = http;
    values.second = second;

    const std::optional<std::string> failure = ValidateManualSettings(values);
    const QString actual = failure ? QString::fromStdString(*failure) : QString();
    QVERIFY2(actual.isNull() == message.isNull(),
             qPrintable(QStringLiteral("got \"%1\", expected \"%2\"").arg(actual, message)));
    QCOMPARE(actual, message);
}

} // namespace

class TestManualSettingsValidation final : public QObject
{
    Q_OBJECT

private slots:
    void camera_data();
    void camera() { CheckRow(SettingKind::Camera); }
    void recorder_data();
    void recorder() { CheckRow(SettingKind::Recorder); }
};

void TestManualSettingsValidation::camera_data()
{
    AddColumns();

    AddCamera("static, usual values", kStatic, kIp, kMask, kGw, 80, 9000, kPasses);

    // First octets.
    AddCamera("ip first octet 0", kStatic, "0.168.1.10", kMask, "0.168.1.1", 80, 9000, kIpOctet);
    AddCamera("first octets 1", kStatic, "1.0.0.10", kMask, "1.0.0.1", 80, 9000, kPasses);
    AddCamera("first octets 127", kStatic, "127.0.0.10", kMask, "127.0.0.1", 80, 9000, kPasses);
    AddCamera("first octets 223", kStatic, "223.1.1.10", kMask, "223.1.1.1", 80, 9000, kPasses);
    AddCamera("ip first octet 224", kStatic, "224.1.1.10", kMask, "224.1.1.1", 80, 9000, kIpOctet);
    AddCamera("gateway 0.0.0.0", kStatic, kIp, kMask, "0.0.0.0", 80, 9000, kGwOctet);
    AddCamera("gateway first octet 224", kStatic, kIp, kMask, "224.168.1.1", 80, 9000, kGwOctet);

    // Masks.
    AddCamera("mask with a hole", kStatic, kIp, "255.0.255.0", kGw, 80, 9000, kBadMask);
    AddCamera("mask with a low hole", kStatic, kIp, "255.255.255.253", kGw, 80, 9000, kBadMask);
    AddCamera("mask 0.0.0.0", kStatic, kIp, "0.0.0.0", kGw, 80, 9000, kIpUnusable);
    AddCamera("mask 128.0.0.0", kStatic, kIp, "128.0.0.0", kGw, 80, 9000, kPasses);
    AddCamera("mask 128.0.0.0, network 0", kStatic, "10.0.0.10", "128.0.0.0", "10.0.0.1", 80, 9000,
              kIpUnusable);
    AddCamera("mask 255.255.254.0", kStatic, "192.168.0.10", "255.255.254.0", kGw, 80, 9000, kPasses);
    AddCamera("mask 255.255.255.255", kStatic, kIp, "255.255.255.255", kGw, 80, 9000, kNetworks);
    AddCamera("mask /31, other network", kStatic, kIp, "255.255.255.254", kGw, 80, 9000, kNetworks);
    AddCamera("mask /31, ip host zero", kStatic, "192.168.1.10", "255.255.255.254", "192.168.1.11", 80, 9000,
              kIpUnusable);
    AddCamera("mask /31, ip host all ones", kStatic, "192.168.1.11", "255.255.255.254", "192.168.1.10", 80,
              9000, kIpUnusable);

    // Address against gateway.
    AddCamera("ip equals gateway", kStatic, kGw, kMask, kGw, 80, 9000, kSame);
    AddCamera("other network", kStatic, "192.168.2.10", kMask, kGw, 80, 9000, kNetworks);
    AddCamera("ip is the network", kStatic, "192.168.1.0", kMask, kGw, 80, 9000, kIpUnusable);
    AddCamera("ip is the broadcast", kStatic, "192.168.1.255", kMask, kGw, 80, 9000, kIpUnusable);
    AddCamera("gateway is the network", kStatic, kIp, kMask, "192.168.1.0", 80, 9000, kGwUnusable);
    AddCamera("gateway is the broadcast", kStatic, kIp, kMask, "192.168.1.255", 80, 9000, kGwUnusable);

    // DHCP and PPPoE: the gateway, mask and sameness rules still apply to the values shown.
    AddCamera("dhcp, gateway 0.0.0.0", kDhcp, kIp, kMask, "0.0.0.0", 80, 9000, kGwOctet);
    AddCamera("dhcp, all zero", kDhcp, "0.0.0.0", "0.0.0.0", "0.0.0.0", 80, 9000, kGwOctet);
    AddCamera("dhcp, ip first octet 0", kDhcp, "0.0.0.0", "0.0.0.0", kGw, 80, 9000, kPasses);
    AddCamera("dhcp, mask with a hole", kDhcp, kIp, "255.0.255.0", kGw, 80, 9000, kBadMask);
    AddCamera("dhcp, ip equals gateway", kDhcp, kGw, kMask, kGw, 80, 9000, kSame);
    AddCamera("dhcp, other network", kDhcp, "10.0.0.5", kMask, kGw, 80, 9000, kPasses);
    AddCamera("dhcp, ip is the broadcast", kDhcp, "192.168.1.255", kMask, kGw, 80, 9000, kPasses);
    AddCamera("pppoe, gateway 0.0.0.0", kPppoe, kIp, kMask, "0.0.0.0", 80, 9000, kGwOctet);
    AddCamera("pppoe, gateway is the network", kPppoe, kIp, kMask, "192.168.1.0", 80, 9000, kPasses);
    AddCamera("dhcp, bad HTTP port", kDhcp, kIp, kMask, kGw, 81, 9000, kHttp);

    // HTTP and DLX ports of an HttpDlxPair camera.
    AddCamera("HTTP 81", kStatic, kIp, kMask, kGw, 81, 9000, kHttp);
    AddCamera("HTTP 79", kStatic, kIp, kMask, kGw, 79, 9000, kHttp);
    AddCamera("HTTP 1023", kStatic, kIp, kMask, kGw, 1023, 9000, kHttp);
    AddCamera("HTTP 1024", kStatic, kIp, kMask, kGw, 1024, 9000, kPasses);
    AddCamera("HTTP 65535", kStatic, kIp, kMask, kGw, 65535, 9000, kPasses);
    AddCamera("HTTP 65536", kStatic, kIp, kMask, kGw, 65536, 9000, kHttp);
    AddCamera("HTTP empty", kStatic, kIp, kMask, kGw, 0, 9000, kHttp);
    AddCamera("HTTP negative", kStatic, kIp, kMask, kGw, -80, 9000, kHttp);
    AddCamera("DLX 1023", kStatic, kIp, kMask, kGw, 80, 1023, kDlx);
    AddCamera("DLX 1024", kStatic, kIp, kMask, kGw, 80, 1024, kPasses);
    AddCamera("DLX 65535", kStatic, kIp, kMask, kGw, 80, 65535, kPasses);
    AddCamera("DLX 65536", kStatic, kIp, kMask, kGw, 80, 65536, kDlx);
    AddCamera("DLX 80", kStatic, kIp, kMask, kGw, 8080, 80, kDlx);
    AddCamera("DLX empty", kStatic, kIp, kMask, kGw, 80, 0, kDlx);
    AddCamera("HTTP equals DLX", kStatic, kIp, kMask, kGw, 8080, 8080, kHttpDlx);
    AddCamera("HTTP next to DLX", kStatic, kIp, kMask, kGw, 8080, 8081, kPasses);

    // The other groups get no port rule, but the same address rules.
    AddRow("six-port block, 70000", kSix, kStatic, kIp, kMask, kGw, 70000, 0, kPasses);
    AddRow("six-port block, HTTP equals DLX", kSix, kStatic, kIp, kMask, kGw, 9000, 9000, kPasses);
    AddRow("service port 70000", kService, kStatic, kIp, kMask, kGw, 70000, 0, kPasses);
    AddRow("service port empty", kService, kStatic, kIp, kMask, kGw, 0, 0, kPasses);
    AddRow("six-port block, ip first octet 0", kSix, kStatic, "0.168.1.10", kMask, kGw, 80, 60001, kIpOctet);
    AddRow("service port, dhcp, gateway 0.0.0.0", kService, kDhcp, kIp, kMask, "0.0.0.0", 80, 0, kGwOctet);

    // Several rules fail; the first in order speaks.
    AddCamera("both first octets 0", kStatic, "0.0.0.0", kMask, "0.0.0.0", 80, 9000, kIpOctet);
    AddCamera("bad mask, ip equals gateway", kStatic, kGw, "255.0.255.0", kGw, 80, 9000, kBadMask);
    AddCamera("other network, ip is the network", kStatic, "192.168.2.0", kMask, kGw, 80, 9000, kNetworks);
    AddCamera("broadcast ip and gateway", kStatic, "192.168.1.255", kMask, "192.168.1.0", 80, 9000,
              kIpUnusable);
    AddCamera("bad gateway, bad HTTP", kStatic, kIp, kMask, "192.168.1.255", 0, 9000, kGwUnusable);
    AddCamera("bad HTTP, bad DLX", kStatic, kIp, kMask, kGw, 81, 1023, kHttp);
    AddCamera("bad HTTP equal to DLX", kStatic, kIp, kMask, kGw, 81, 81, kHttp);
    AddCamera("bad DLX equal to HTTP 80", kStatic, kIp, kMask, kGw, 80, 80, kDlx);
}

void TestManualSettingsValidation::recorder_data()
{
    AddColumns();

    AddRecorder("static, usual values", kStatic, kIp, kMask, kGw, 80, 8000, kPasses);

    // First octets.
    AddRecorder("ip first octet 0", kStatic, "0.168.1.10", kMask, "0.168.1.1", 80, 8000, kIpOctet);
    AddRecorder("first octets 1", kStatic, "1.0.0.10", kMask, "1.0.0.1", 80, 8000, kPasses);
    AddRecorder("first octets 127", kStatic, "127.0.0.10", kMask, "127.0.0.1", 80, 8000, kPasses);
    AddRecorder("first octets 223", kStatic, "223.1.1.10", kMask, "223.1.1.1", 80, 8000, kPasses);
    AddRecorder("ip first octet 224", kStatic, "224.1.1.10", kMask, "224.1.1.1", 80, 8000, kIpOctet);
    AddRecorder("gateway 0.0.0.0", kStatic, kIp, kMask, "0.0.0.0", 80, 8000, kGwOctet);
    AddRecorder("gateway first octet 224", kStatic, kIp, kMask, "224.168.1.1", 80, 8000, kGwOctet);

    // Masks.
    AddRecorder("mask with a hole", kStatic, kIp, "255.0.255.0", kGw, 80, 8000, kBadMask);
    AddRecorder("mask 0.0.0.0", kStatic, kIp, "0.0.0.0", kGw, 80, 8000, kIpUnusable);
    AddRecorder("mask 128.0.0.0", kStatic, kIp, "128.0.0.0", kGw, 80, 8000, kPasses);
    AddRecorder("mask 255.255.255.255", kStatic, kIp, "255.255.255.255", kGw, 80, 8000, kNetworks);
    AddRecorder("mask /31, ip host zero", kStatic, "192.168.1.10", "255.255.255.254", "192.168.1.11", 80,
                8000, kIpUnusable);
    AddRecorder("mask /31, ip host all ones", kStatic, "192.168.1.11", "255.255.255.254", "192.168.1.10", 80,
                8000, kIpUnusable);

    // Address against gateway.
    AddRecorder("ip equals gateway", kStatic, kGw, kMask, kGw, 80, 8000, kSame);
    AddRecorder("other network", kStatic, "192.168.2.10", kMask, kGw, 80, 8000, kNetworks);
    AddRecorder("ip is the network", kStatic, "192.168.1.0", kMask, kGw, 80, 8000, kIpUnusable);
    AddRecorder("ip is the broadcast", kStatic, "192.168.1.255", kMask, kGw, 80, 8000, kIpUnusable);
    AddRecorder("gateway is the network", kStatic, kIp, kMask, "192.168.1.0", 80, 8000, kGwUnusable);
    AddRecorder("gateway is the broadcast", kStatic, kIp, kMask, "192.168.1.255", 80, 8000, kGwUnusable);

    // DHCP and PPPoE skip every address rule, but not the port rules.
    AddRecorder("dhcp, gateway 0.0.0.0", kDhcp, kIp, kMask, "0.0.0.0", 80, 8000, kPasses);
    AddRecorder("dhcp, all zero", kDhcp, "0.0.0.0", "0.0.0.0", "0.0.0.0", 80, 8000, kPasses);
    AddRecorder("dhcp, bad mask, ip equals gateway", kDhcp, kGw, "255.0.255.0", kGw, 80, 8000, kPasses);
    AddRecorder("pppoe, gateway 0.0.0.0", kPppoe, kIp, kMask, "0.0.0.0", 80, 8000, kPasses);
    AddRecorder("dhcp, HTTP 79", kDhcp, "0.0.0.0", "0.0.0.0", "0.0.0.0", 79, 8000, kHttp);
    AddRecorder("pppoe, reserved Port(TCP)", kPppoe, kIp, kMask, kGw, 80, 1810, kTcp);

    // HTTP port range: unlike a camera's, 81 to 1023 are open.
    AddRecorder("HTTP 79", kStatic, kIp, kMask, kGw, 79, 8000, kHttp);
    AddRecorder("HTTP 81", kStatic, kIp, kMask, kGw, 81, 8000, kPasses);
    AddRecorder("HTTP 1023", kStatic, kIp, kMask, kGw, 1023, 8000, kPasses);
    AddRecorder("HTTP 65535", kStatic, kIp, kMask, kGw, 65535, 8000, kPasses);
    AddRecorder("HTTP 65536", kStatic, kIp, kMask, kGw, 65536, 8000, kHttp);
    AddRecorder("HTTP empty", kStatic, kIp, kMask, kGw, 0, 8000, kHttp);

    // Port(TCP) range: the four-port block must end by 65535.
    AddRecorder("Port(TCP) empty", kStatic, kIp, kMask, kGw, 80, 0, kTcp);
    AddRecorder("Port(TCP) negative", kStatic, kIp, kMask, kGw, 80, -4, kTcp);
    AddRecorder("Port(TCP) 1", kStatic, kIp, kMask, kGw, 80, 1, kPasses);
    AddRecorder("Port(TCP) 65532", kStatic, kIp, kMask, kGw, 80, 65532, kPasses);
    AddRecorder("Port(TCP) 65533", kStatic, kIp, kMask, kGw, 80, 65533, kTcp);

    // HTTP inside the Port(TCP) block.
    AddRecorder("HTTP 8000, Port(TCP) 7996", kStatic, kIp, kMask, kGw, 8000, 7996, kPasses);
    AddRecorder("HTTP 8000, Port(TCP) 7997", kStatic, kIp, kMask, kGw, 8000, 7997, kHttpTcp);
    AddRecorder("HTTP 8000, Port(TCP) 7998", kStatic, kIp, kMask, kGw, 8000, 7998, kHttpTcp);
    AddRecorder("HTTP 8000, Port(TCP) 7999", kStatic, kIp, kMask, kGw, 8000, 7999, kHttpTcp);
    AddRecorder("HTTP 8000, Port(TCP) 8000", kStatic, kIp, kMask, kGw, 8000, 8000, kHttpTcp);
    AddRecorder("HTTP 8000, Port(TCP) 8001", kStatic, kIp, kMask, kGw, 8000, 8001, kPasses);
    AddRecorder("HTTP 65535, Port(TCP) 65532", kStatic, kIp, kMask, kGw, 65535, 65532, kHttpTcp);

    // Reserved ports anywhere in the Port(TCP) block.
    const struct
    {
        int start;
        const char* message;
    } blocks[] = {{18, kPasses},  {19, kTcp},     {20, kTcp},      {22, kTcp},      {23, kPasses},
                  {107, kPasses}, {108, kTcp},    {111, kTcp},     {112, kPasses},  {120, kTcp},
                  {123, kTcp},    {124, kPasses}, {1808, kPasses}, {1809, kTcp},    {1810, kTcp},
                  {1812, kTcp},   {1813, kTcp},   {1814, kPasses}, {9919, kPasses}, {9920, kTcp},
                  {9923, kTcp},   {9924, kPasses}};
    for (const auto& block : blocks) {
        const QByteArray name = "Port(TCP) " + QByteArray::number(block.start);
        AddRecorder(name.constData(), kStatic, kIp, kMask, kGw, 80, block.start, block.message);
    }

    // Reserved HTTP ports.
    for (int http : {111, 123, 1812, 1813, 9923}) {
        const QByteArray name = "HTTP " + QByteArray::number(http) + " reserved";
        AddRecorder(name.constData(), kStatic, kIp, kMask, kGw, http, 8000, kHttp);
    }
    AddRecorder("HTTP 22", kStatic, kIp, kMask, kGw, 22, 8000, kHttp);
    AddRecorder("HTTP 1811", kStatic, kIp, kMask, kGw, 1811, 8000, kPasses);
    AddRecorder("HTTP 1814", kStatic, kIp, kMask, kGw, 1814, 8000, kPasses);

    // Several rules fail; the first in order speaks.
    AddRecorder("both first octets 0", kStatic, "0.0.0.0", kMask, "0.0.0.0", 80, 8000, kIpOctet);
    AddRecorder("bad gateway octet, bad mask", kStatic, kIp, "255.0.255.0", "0.0.0.0", 80, 8000, kGwOctet);
    AddRecorder("bad mask, ip equals gateway", kStatic, kGw, "255.0.255.0", kGw, 80, 8000, kBadMask);
    AddRecorder("bad ip, bad ports", kStatic, "192.168.1.255", kMask, kGw, 79, 0, kIpUnusable);
    AddRecorder("HTTP 79, Port(TCP) 0", kStatic, kIp, kMask, kGw, 79, 0, kHttp);
    AddRecorder("Port(TCP) 65533 holding HTTP", kStatic, kIp, kMask, kGw, 65535, 65533, kTcp);
    AddRecorder("HTTP 1812 in a reserved block", kStatic, kIp, kMask, kGw, 1812, 1810, kHttpTcp);
    AddRecorder("reserved block, reserved HTTP", kStatic, kIp, kMask, kGw, 9923, 20, kTcp);
}

QTEST_APPLESS_MAIN(TestManualSettingsValidation)
#include "tst_manualsettingsvalidation.moc"
