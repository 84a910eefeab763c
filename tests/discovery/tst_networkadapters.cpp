// Which adapters a search goes out on, which one a setting request leaves on, whether a device lies
// in this computer's network on its adapter, and what a search that heard nothing says, from adapter
// lists and firewall findings made up here; nothing is sent.

#include "discovery/EmptySearchHint.h"
#include "discovery/NetworkAdapters.h"

#include <QTest>

#include <arpa/inet.h>
#include <net/if.h>

using namespace Netrove;

namespace {

constexpr unsigned kUp = IFF_UP | IFF_BROADCAST | IFF_RUNNING | IFF_MULTICAST;

InterfaceAddress Address(const char* name, int index, unsigned flags, const char* address, int prefix = 0)
{
    InterfaceAddress entry;
    entry.name = QString::fromLatin1(name);
    entry.interfaceIndex = index;
    entry.flags = flags;
    entry.family = QByteArray(address).contains(':') ? AF_INET6 : AF_INET;
    ::inet_pton(entry.family, address, entry.address.data());
    entry.prefixLength = prefix;
    return entry;
}

// A laptop on the office network (eth0, two IPv4 addresses) and on the cameras' switch (usb0),
// with loopback, a Wi-Fi adapter that is switched off, and a tunnel with global IPv6 only.
const std::vector<InterfaceAddress> kLaptop{
    Address("lo", 1, IFF_UP | IFF_LOOPBACK | IFF_RUNNING, "127.0.0.1"),
    Address("lo", 1, IFF_UP | IFF_LOOPBACK | IFF_RUNNING, "::1"),
    Address("eth0", 2, kUp, "192.168.1.10", 24),
    Address("eth0", 2, kUp, "192.168.1.11", 24),
    Address("eth0", 2, kUp, "2001:db8::10"),
    Address("eth0", 2, kUp, "fe80::1"),
    Address("wlan0", 3, IFF_BROADCAST | IFF_MULTICAST, "10.1.1.5"),
    Address("wlan0", 3, IFF_BROADCAST | IFF_MULTICAST, "fe80::3"),
    Address("usb0", 4, kUp, "fe80::4"),
    Address("usb0", 4, kUp, "10.0.5.7", 16),
    Address("tun0", 5, IFF_UP | IFF_POINTOPOINT | IFF_RUNNING, "2001:db8:5::1"),
};

} // namespace

Q_DECLARE_METATYPE(std::vector<Netrove::InterfaceAddress>)
Q_DECLARE_METATYPE(std::vector<Netrove::SearchAdapter>)
Q_DECLARE_METATYPE(Netrove::EmptySearchFindings)

class TestNetworkAdapters final : public QObject
{
    Q_OBJECT

private slots:
    void searchAdapters_data()
    {
        QTest::addColumn<std::vector<InterfaceAddress>>("addresses");
        QTest::addColumn<int>("family");
        QTest::addColumn<std::vector<SearchAdapter>>("expected");

        const SearchAdapter eth0{2, QStringLiteral("eth0")};
        const SearchAdapter usb0{4, QStringLiteral("usb0")};
        // Up and not loopback; each adapter once however many addresses it has; the system's order.
        QTest::newRow("IPv4 on a laptop")
            << kLaptop << int(AF_INET) << std::vector<SearchAdapter>{eth0, usb0};
        // A link-local address is what an IPv6 search needs; a global one alone does not do.
        QTest::newRow("IPv6 on a laptop")
            << kLaptop << int(AF_INET6) << std::vector<SearchAdapter>{eth0, usb0};
        QTest::newRow("one adapter") << std::vector<InterfaceAddress>{Address("lo", 1, IFF_UP | IFF_LOOPBACK,
                                                                              "127.0.0.1"),
                                                                      Address("lab0", 7, kUp, "192.168.1.10")}
                                     << int(AF_INET)
                                     << std::vector<SearchAdapter>{{7, QStringLiteral("lab0")}};
        QTest::newRow("loopback only")
            << std::vector<InterfaceAddress>{Address("lo", 1, IFF_UP | IFF_LOOPBACK, "127.0.0.1"),
                                             Address("lo", 1, IFF_UP | IFF_LOOPBACK, "fe80::1")}
            << int(AF_INET) << std::vector<SearchAdapter>{};
        QTest::newRow("IPv6 only on an IPv4 search")
            << std::vector<InterfaceAddress>{Address("eth0", 2, kUp, "fe80::1")} << int(AF_INET)
            << std::vector<SearchAdapter>{};
        QTest::newRow("an adapter the system has no index for")
            << std::vector<InterfaceAddress>{Address("gone0", 0, kUp, "10.9.9.9")} << int(AF_INET)
            << std::vector<SearchAdapter>{};
        QTest::newRow("nothing at all")
            << std::vector<InterfaceAddress>{} << int(AF_INET6) << std::vector<SearchAdapter>{};
    }

    void searchAdapters()
    {
        QFETCH(std::vector<InterfaceAddress>, addresses);
        QFETCH(int, family);
        QFETCH(std::vector<SearchAdapter>, expected);
        const std::vector<SearchAdapter> adapters = SearchAdapters(addresses, family);
        QStringList got;
        for (const SearchAdapter& a : adapters)
            got.append(QStringLiteral("%1:%2").arg(a.name).arg(a.interfaceIndex));
        QVERIFY2(adapters == expected, qPrintable(got.join(QLatin1Char(' '))));
    }

    void answeringAdapterIndex_data()
    {
        QTest::addColumn<int>("arrivalIndex");
        QTest::addColumn<QString>("arrivalName");
        QTest::addColumn<int>("expected");
        QTest::newRow("still there") << 4 << QStringLiteral("usb0") << 4;
        // Taken out and put back: the same name under a new index.
        QTest::newRow("back under a new index") << 9 << QStringLiteral("usb0") << 4;
        // Even switched off it is the device's adapter: the system then says what went wrong.
        QTest::newRow("down") << 3 << QStringLiteral("wlan0") << 3;
        QTest::newRow("gone") << 12 << QStringLiteral("usb1") << 12;
        QTest::newRow("no name") << 6 << QString() << 6;
        QTest::newRow("not known: the system routes it") << 0 << QStringLiteral("usb0") << 0;
    }

    void answeringAdapterIndex()
    {
        QFETCH(int, arrivalIndex);
        QFETCH(QString, arrivalName);
        QFETCH(int, expected);
        ArrivalAdapter arrival;
        arrival.interfaceIndex = arrivalIndex;
        arrival.name = arrivalName;
        QCOMPARE(AnsweringAdapterIndex(arrival, kLaptop), expected);
    }

    // The network rule: the device's address against the networks of the adapter it answered on.
    void inNetwork_data()
    {
        QTest::addColumn<std::vector<InterfaceAddress>>("addresses");
        QTest::addColumn<QString>("adapter");
        QTest::addColumn<QString>("local");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("network");  // the one a marked row names
        QTest::addColumn<QString>("expected"); // "yes", "no", or "" for no verdict

        const auto row = [](const char* name, const std::vector<InterfaceAddress>& addresses,
                            const char* adapter, const char* local, const char* ip, const char* network,
                            const char* expected) {
            QTest::newRow(name) << addresses << QString::fromLatin1(adapter) << QString::fromLatin1(local)
                                << QString::fromLatin1(ip) << QString::fromLatin1(network)
                                << QString::fromLatin1(expected);
        };
        row("in the prefix", kLaptop, "usb0", "10.0.5.7", "10.0.200.9", "10.0.5.7/16", "yes");
        row("out of the prefix", kLaptop, "usb0", "10.0.5.7", "192.0.0.64", "10.0.5.7/16", "no");
        row("in another adapter's network", kLaptop, "usb0", "10.0.5.7", "192.168.1.64", "10.0.5.7/16", "no");
        // An answer over IPv6 is held against the adapter's IPv4 networks just the same.
        row("answered over IPv6", kLaptop, "usb0", "fe80::4", "10.0.9.9", "10.0.5.7/16", "yes");
        // Of two addresses the one the answer was sent to is named; either network holds the device.
        row("second address", kLaptop, "eth0", "192.168.1.11", "192.168.1.64", "192.168.1.11/24", "yes");
        row("network address", kLaptop, "usb0", "10.0.5.7", "10.0.0.0", "10.0.5.7/16", "no");
        row("broadcast address", kLaptop, "usb0", "10.0.5.7", "10.0.255.255", "10.0.5.7/16", "no");
        const std::vector<InterfaceAddress> p2p{Address("ptp0", 6, kUp, "10.9.0.0", 31)};
        row("/31: both ends", p2p, "ptp0", "10.9.0.0", "10.9.0.1", "10.9.0.0/31", "yes");
        row("/31: out", p2p, "ptp0", "10.9.0.0", "10.9.0.2", "10.9.0.0/31", "no");
        const std::vector<InterfaceAddress> host{Address("vpn0", 7, kUp, "10.8.0.5", 32)};
        row("/32", host, "vpn0", "10.8.0.5", "10.8.0.6", "10.8.0.5/32", "no");
        const std::vector<InterfaceAddress> all{Address("big0", 8, kUp, "10.1.1.1", 1)};
        row("0.0.0.0", all, "big0", "10.1.1.1", "0.0.0.0", "10.1.1.1/1", "no");
        const std::vector<InterfaceAddress> linkLocal{Address("eth1", 9, kUp, "169.254.7.7", 16)};
        row("169.254/16", linkLocal, "eth1", "169.254.7.7", "169.254.3.3", "169.254.7.7/16", "no");
        row("adapter without IPv4", kLaptop, "tun0", "2001:db8:5::1", "0.0.0.0", "", "");
        row("adapter not known", kLaptop, "", "", "192.0.0.64", "", "");
        row("no address", kLaptop, "usb0", "10.0.5.7", "", "10.0.5.7/16", "");
    }

    void inNetwork()
    {
        QFETCH(std::vector<InterfaceAddress>, addresses);
        QFETCH(QString, adapter);
        QFETCH(QString, local);
        QFETCH(QString, ip);
        QFETCH(QString, network);
        QFETCH(QString, expected);
        ArrivalAdapter arrival;
        for (const InterfaceAddress& a : addresses)
            if (a.name == adapter)
                arrival.interfaceIndex = a.interfaceIndex;
        arrival.name = adapter;
        arrival.localAddress = local;
        const QList<Ipv4Network> networks = ArrivalIpv4Networks(arrival, addresses);
        QCOMPARE(networks.isEmpty() ? QString() : networks.first().AddressText(), network);
        const std::optional<bool> in = InIpv4Networks(ip.toStdString(), networks);
        QCOMPARE(in ? QString::fromLatin1(*in ? "yes" : "no") : QString(), expected);
    }

    // The first cause that applies, over what was found.
    void emptySearchHint_data()
    {
        QTest::addColumn<EmptySearchFindings>("findings");
        QTest::addColumn<QString>("expected");

        const QString none = u"No network adapter is connected."_qs;
        const QString firewalld =
            u"Nothing answered, and this computer's firewall (firewalld) may drop the "
            "answers on UDP 7711 and 7613. Allow them with: sudo firewall-cmd --permanent "
            "--add-service=netrove && sudo firewall-cmd --reload"_qs;
        const QString ufw =
            u"Nothing answered, and this computer's firewall (ufw) may drop the answers on UDP "
            "7711 and 7613. Allow them with: sudo ufw allow Netrove"_qs;
        const QString lab = u"Nothing answered on lab0 (192.168.1.10), lab1 (10.0.5.7). Check the cable, the "
                            "switch and that the devices are on."_qs;
        const std::vector<InterfaceAddress> labs{
            Address("lo", 1, IFF_UP | IFF_LOOPBACK | IFF_RUNNING, "127.0.0.1"),
            Address("lab0", 2, kUp, "fe80::1"), Address("lab0", 2, kUp, "192.168.1.10", 24),
            Address("lab1", 3, kUp, "10.0.5.7", 16), Address("lab1", 3, kUp, "10.0.5.8", 16)};
        const auto row = [](const char* name, std::vector<InterfaceAddress> addresses, bool firewalld,
                            std::optional<std::vector<FirewalldZone>> zones, const char* ufw,
                            QString expected) {
            QTest::newRow(name) << EmptySearchFindings{std::move(addresses), firewalld, std::move(zones),
                                                       QByteArray(ufw)}
                                << expected;
        };
        const FirewalldZone publicZone{u"default"_qs, {u"ssh"_qs, u"dhcpv6-client"_qs}, {u"8080/tcp"_qs}};
        const FirewalldZone opened{u"default"_qs, {u"netrove"_qs}, {}};
        const FirewalldZone ports{u"default"_qs, {}, {u"7700-7720/udp"_qs, u"7613/udp"_qs}};
        const FirewalldZone onePort{u"default"_qs, {}, {u"7711/udp"_qs, u"7613/tcp"_qs}};
        const FirewalldZone trusted{u"ACCEPT"_qs, {}, {}};

        row("loopback only", {labs[0]}, true, {}, "ENABLED=yes", none);
        row("no link", {Address("eth0", 2, IFF_UP | IFF_BROADCAST, "192.168.1.10", 24)}, false, {}, "", none);
        row("nothing in the way", labs, false, {}, "", lab);
        row("an adapter without IPv4", {Address("usb0", 4, kUp, "fe80::4")}, false, {}, "",
            u"Nothing answered on usb0. Check the cable, the switch and that the devices are on."_qs);
        row("firewalld: a zone without netrove", labs, true, std::vector{opened, publicZone}, "", firewalld);
        row("firewalld: would not tell", labs, true, {}, "", firewalld);
        row("firewalld: the service", labs, true, std::vector{opened, opened}, "", lab);
        row("firewalld: both ports", labs, true, std::vector{ports, trusted}, "", lab);
        row("firewalld: one port", labs, true, std::vector{onePort, opened}, "", firewalld);
        row("firewalld before ufw", labs, true, {}, "ENABLED=yes", firewalld);
        row("ufw enabled", labs, false, {}, "# ufw.conf\nENABLED=yes\nLOGLEVEL=low\n", ufw);
        row("ufw disabled", labs, false, {}, "#ENABLED=yes\nENABLED=no\n", lab);
        row("firewalld open, ufw enabled", labs, true, std::vector{opened, opened}, " ENABLED=\"yes\" ", ufw);
    }

    void emptySearchHint()
    {
        QFETCH(EmptySearchFindings, findings);
        QFETCH(QString, expected);
        QCOMPARE(EmptySearchHint(findings), expected);
    }

    void systemList()
    {
        // Loopback is there in any network namespace, and never searched on.
        const std::vector<InterfaceAddress> addresses = SystemInterfaceAddresses();
        const auto lo = std::find_if(addresses.begin(), addresses.end(),
                                     [](const InterfaceAddress& a) { return a.name == QLatin1String("lo"); });
        QVERIFY(lo != addresses.end());
        QCOMPARE(lo->interfaceIndex, 1);
        QVERIFY(lo->flags & IFF_LOOPBACK);
        for (const SearchAdapter& adapter : SearchAdapters(addresses, AF_INET))
            QVERIFY(adapter.name != QLatin1String("lo"));
    }
};

QTEST_GUILESS_MAIN(TestNetworkAdapters)
#include "tst_networkadapters.moc"
