// Where an answer came in: the control messages the reader receives with each datagram, and the
// shared adapter texts made of them. Messages are built by hand; nothing is sent.

#include "discovery/ArrivalAdapterCache.h"

#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>

using namespace Netrove;

namespace {

// A received message's control area holding the given control messages, in order.
class Control
{
public:
    template <typename T> Control& Add(int level, int type, const T& value, std::size_t length = sizeof(T))
    {
        const std::size_t at = m_bytes.size();
        m_bytes.resize(at + CMSG_SPACE(sizeof(T)), 0);
        cmsghdr header{};
        header.cmsg_level = level;
        header.cmsg_type = type;
        header.cmsg_len = CMSG_LEN(length);
        std::memcpy(m_bytes.data() + at, &header, sizeof(header));
        std::memcpy(m_bytes.data() + at + CMSG_LEN(0), &value, sizeof(T));
        return *this;
    }
    msghdr Header()
    {
        msghdr header{};
        header.msg_control = m_bytes.empty() ? nullptr : m_bytes.data();
        header.msg_controllen = m_bytes.size();
        return header;
    }

private:
    std::vector<char> m_bytes; // the allocator aligns it for any header
};

in_pktinfo Ipv4Info(int index, const char* localAddress, const char* headerAddress)
{
    in_pktinfo info{};
    info.ipi_ifindex = index;
    ::inet_pton(AF_INET, localAddress, &info.ipi_spec_dst);
    ::inet_pton(AF_INET, headerAddress, &info.ipi_addr);
    return info;
}

in6_pktinfo Ipv6Info(int index, const char* address)
{
    in6_pktinfo info{};
    info.ipi6_ifindex = static_cast<unsigned>(index);
    ::inet_pton(AF_INET6, address, &info.ipi6_addr);
    return info;
}

ArrivalKey Key(int index, int family, const char* address)
{
    ArrivalKey key;
    key.interfaceIndex = index;
    key.family = family;
    ::inet_pton(family, address, key.address.data());
    return key;
}

} // namespace

class TestArrivalAdapter final : public QObject
{
    Q_OBJECT

private slots:
    void controlMessages()
    {
        const std::uint32_t drops = 5;
        {
            // An answer sent to the broadcast address still names the computer's own address.
            Control control;
            control.Add(SOL_SOCKET, SO_RXQ_OVFL, drops)
                .Add(IPPROTO_IP, IP_PKTINFO, Ipv4Info(3, "10.0.5.7", "255.255.255.255"));
            const auto key = ReadArrivalKey(control.Header());
            QVERIFY(key.has_value());
            QCOMPARE(key->interfaceIndex, 3);
            QCOMPARE(key->family, int(AF_INET));
            QVERIFY(key->address == Key(3, AF_INET, "10.0.5.7").address);
        }
        {
            Control control;
            control.Add(IPPROTO_IPV6, IPV6_PKTINFO, Ipv6Info(4, "fe80::1:2"));
            const auto key = ReadArrivalKey(control.Header());
            QVERIFY(key.has_value());
            QCOMPARE(key->interfaceIndex, 4);
            QCOMPARE(key->family, int(AF_INET6));
            QVERIFY(key->address == Key(4, AF_INET6, "fe80::1:2").address);
        }
        {
            // Only the drop counter: the socket did not ask where datagrams arrive.
            Control control;
            control.Add(SOL_SOCKET, SO_RXQ_OVFL, drops);
            QVERIFY(!ReadArrivalKey(control.Header()).has_value());
        }
        {
            Control none;
            QVERIFY(!ReadArrivalKey(none.Header()).has_value());
        }
        {
            // A message too short for its kind is not read past its end.
            Control control;
            control.Add(IPPROTO_IPV6, IPV6_PKTINFO, Ipv6Info(4, "fe80::1"), sizeof(in6_pktinfo) - 4);
            QVERIFY(!ReadArrivalKey(control.Header()).has_value());
        }
    }

    void cacheSharesTextsAndAsksOncePerAdapter()
    {
        QList<int> asked;
        ArrivalAdapterCache cache([&asked](int index) {
            asked.append(index);
            return QStringLiteral("lab%1").arg(index - 2);
        });
        const ArrivalAdapter first = cache.Find(Key(3, AF_INET, "10.0.5.7"));
        QCOMPARE(first.interfaceIndex, 3);
        QCOMPARE(first.name, QStringLiteral("lab1"));
        QCOMPARE(first.localAddress, QStringLiteral("10.0.5.7"));

        // Ten thousand answers on one adapter: one name asked for, one pair of texts among them all.
        for (int i = 0; i < 10000; ++i) {
            const ArrivalAdapter again = cache.Find(Key(3, AF_INET, "10.0.5.7"));
            QVERIFY(again.name.isSharedWith(first.name));
            QVERIFY(again.localAddress.isSharedWith(first.localAddress));
        }
        QCOMPARE(asked, QList<int>{3});

        const ArrivalAdapter ipv6 = cache.Find(Key(2, AF_INET6, "fe80::a8c1:1ff:fe02:304"));
        QCOMPARE(ipv6.name, QStringLiteral("lab0"));
        QCOMPARE(ipv6.localAddress, QStringLiteral("fe80::a8c1:1ff:fe02:304"));
        // Another address on a known adapter is a new pair; the first stays as it was.
        const ArrivalAdapter other = cache.Find(Key(3, AF_INET, "10.0.9.9"));
        QCOMPARE(other.localAddress, QStringLiteral("10.0.9.9"));
        QCOMPARE(cache.Find(Key(3, AF_INET, "10.0.5.7")).localAddress, QStringLiteral("10.0.5.7"));
        QCOMPARE(cache.Size(), std::size_t(3));
    }

    void cacheStaysSmallAndForgets()
    {
        int asked = 0;
        ArrivalAdapterCache cache([&asked](int) {
            ++asked;
            return QStringLiteral("eth");
        });
        // A flood of addresses, as spoofed answers could bring, never grows the cache past its limit.
        for (int i = 0; i < 1000; ++i) {
            ArrivalKey key = Key(5, AF_INET, "10.0.0.0");
            key.address[2] = std::uint8_t(i >> 8);
            key.address[3] = std::uint8_t(i);
            cache.Find(key);
            QVERIFY(cache.Size() <= ArrivalAdapterCache::kLimit);
        }
        // After a clear (a renamed adapter) the name is asked for again; texts handed out stay intact.
        const ArrivalAdapter kept = cache.Find(Key(5, AF_INET, "10.0.0.1"));
        cache.Clear();
        const int before = asked;
        cache.Find(Key(5, AF_INET, "10.0.0.1"));
        QCOMPARE(asked, before + 1);
        QCOMPARE(kept.localAddress, QStringLiteral("10.0.0.1"));
    }
};

QTEST_GUILESS_MAIN(TestArrivalAdapter)
#include "tst_arrivaladapter.moc"
