#include "autoset/IcmpEcho.h"

#include <QTest>

#include <vector>

using namespace Netrove;

namespace {

using Bytes = std::vector<std::uint8_t>;

const Ipv4Octets kCandidate{192, 168, 1, 254};
const Ipv4Octets kOther{192, 168, 1, 2};
constexpr std::uint16_t kIdentifier = 0x2345;

Bytes FromHex(const char* hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    return Bytes(bytes.begin(), bytes.end());
}

// An ICMP echo message as the candidate's stack sends it back: our bytes with type 0.
Bytes EchoMessage(std::uint8_t type, std::uint16_t identifier, std::uint8_t sequenceLow = 0x0F)
{
    Bytes icmp{
        type, 0, 0, 0, std::uint8_t(identifier & 0xFF), std::uint8_t(identifier >> 8), sequenceLow, 0x00,
        0,    0, 0, 0};
    const std::uint16_t checksum = IcmpChecksum(icmp);
    icmp[2] = std::uint8_t(checksum & 0xFF);
    icmp[3] = std::uint8_t(checksum >> 8);
    return icmp;
}

// The same message behind an IPv4 header from `source`, with `optionWords` words of options.
Bytes WithIpv4Header(const Bytes& icmp, const Ipv4Octets& source, int optionWords = 0)
{
    const std::size_t headerSize = 20 + std::size_t(optionWords) * 4;
    Bytes datagram(headerSize, 0);
    datagram[0] = std::uint8_t(0x40 | (headerSize / 4));
    datagram[2] = std::uint8_t((headerSize + icmp.size()) >> 8);
    datagram[3] = std::uint8_t((headerSize + icmp.size()) & 0xFF);
    datagram[8] = 64;
    datagram[9] = 1;
    std::copy(source.begin(), source.end(), datagram.begin() + 12);
    std::copy(kOther.begin(), kOther.end(), datagram.begin() + 16);
    datagram.insert(datagram.end(), icmp.begin(), icmp.end());
    return datagram;
}

} // namespace

class TestIcmpEcho final : public QObject
{
    Q_OBJECT

private slots:
    void checksum_data();
    void checksum();
    void checksumOfMessageWithItsChecksumIsZero();
    void echoRequest();
    void matcher_data();
    void matcher();
    void matcherOnEveryPrefix();
    void matchAmongCandidates_data();
    void matchAmongCandidates();
};

void TestIcmpEcho::checksum_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("onWire"); // the checksum, low half first

    // The example of RFC 1071, section 3: sum ddf2, checksum 220d in network order.
    QTest::newRow("RFC 1071 example")
        << QByteArray::fromHex("0001f203f4f5f6f7") << QByteArray::fromHex("220d");
    // A well-known IPv4 header whose checksum field (b861) is zeroed.
    QTest::newRow("IPv4 header") << QByteArray::fromHex("450000730000400040110000c0a80001c0a800c7")
                                 << QByteArray::fromHex("b861");
    QTest::newRow("odd length: last byte alone")
        << QByteArray::fromHex("0001f203f4f5f6f7aa") << QByteArray::fromHex("780c");
    QTest::newRow("one byte") << QByteArray::fromHex("01") << QByteArray::fromHex("feff");
    QTest::newRow("empty") << QByteArray() << QByteArray::fromHex("ffff");
    QTest::newRow("carry folded more than once")
        << QByteArray(140000, char(0xFF)) << QByteArray::fromHex("0000");
    QTest::newRow("zeros") << QByteArray(12, '\0') << QByteArray::fromHex("ffff");
}

void TestIcmpEcho::checksum()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, onWire);
    const std::uint16_t sum =
        IcmpChecksum({reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())});
    QCOMPARE(int(sum & 0xFF), int(std::uint8_t(onWire[0])));
    QCOMPARE(int(sum >> 8), int(std::uint8_t(onWire[1])));
}

void TestIcmpEcho::checksumOfMessageWithItsChecksumIsZero()
{
    for (const std::uint16_t identifier : {0x0000, 0x2345, 0xFFFF, 0x00FF}) {
        const auto request = BuildEchoRequest(identifier);
        QCOMPARE(IcmpChecksum(request), std::uint16_t(0));
    }
}

void TestIcmpEcho::echoRequest()
{
    const auto request = BuildEchoRequest(static_cast<std::uint16_t>(74565 & 0xFFFF));
    const QByteArray bytes(reinterpret_cast<const char*>(request.data()), qsizetype(request.size()));
    QCOMPARE(bytes.toHex(' '), QByteArray("08 00 a3 dc 45 23 0f 00 00 00 00 00"));
}

void TestIcmpEcho::matcher_data()
{
    QTest::addColumn<Bytes>("datagram");
    QTest::addColumn<IcmpSocketKind>("kind");
    QTest::addColumn<Ipv4Octets>("sender");
    QTest::addColumn<bool>("matches");

    const auto raw = IcmpSocketKind::Raw;
    const auto ping = IcmpSocketKind::Datagram;
    const Bytes reply = EchoMessage(kIcmpEchoReply, kIdentifier);

    QTest::newRow("raw: the candidate's reply")
        << WithIpv4Header(reply, kCandidate) << raw << kCandidate << true;
    QTest::newRow("raw: header with options")
        << WithIpv4Header(reply, kCandidate, 3) << raw << kCandidate << true;
    QTest::newRow("raw: longest header")
        << WithIpv4Header(reply, kCandidate, 10) << raw << kCandidate << true;
    QTest::newRow("ping socket: the candidate's reply") << reply << ping << kCandidate << true;
    QTest::newRow("ping socket: kernel's identifier")
        << EchoMessage(kIcmpEchoReply, 0x0B0A) << ping << kCandidate << true;

    QTest::newRow("raw: reply from another address")
        << WithIpv4Header(reply, kOther) << raw << kOther << false;
    QTest::newRow("raw: header source differs from the sender")
        << WithIpv4Header(reply, kOther) << raw << kCandidate << false;
    QTest::newRow("ping socket: reply from another address") << reply << ping << kOther << false;
    QTest::newRow("raw: someone's echo request")
        << WithIpv4Header(EchoMessage(kIcmpEchoRequest, kIdentifier), kCandidate) << raw << kCandidate
        << false;
    QTest::newRow("ping socket: echo request")
        << EchoMessage(kIcmpEchoRequest, kIdentifier) << ping << kCandidate << false;
    QTest::newRow("raw: other identifier")
        << WithIpv4Header(EchoMessage(kIcmpEchoReply, 0x4523), kCandidate) << raw << kCandidate << false;
    QTest::newRow("raw: other sequence")
        << WithIpv4Header(EchoMessage(kIcmpEchoReply, kIdentifier, 0x10), kCandidate) << raw << kCandidate
        << false;
    QTest::newRow("ping socket: other sequence")
        << EchoMessage(kIcmpEchoReply, kIdentifier, 0x00) << ping << kCandidate << false;

    // Destination unreachable from the candidate, quoting our own request (IPv4 header + 8 bytes).
    Bytes unreachable{3, 1, 0, 0, 0, 0, 0, 0};
    const auto request = BuildEchoRequest(kIdentifier);
    const Bytes quoted = WithIpv4Header(Bytes(request.begin(), request.end()), kOther);
    unreachable.insert(unreachable.end(), quoted.begin(), quoted.begin() + 28);
    QTest::newRow("raw: error report quoting our request")
        << WithIpv4Header(unreachable, kCandidate) << raw << kCandidate << false;
    QTest::newRow("ping socket: error report") << unreachable << ping << kCandidate << false;

    Bytes wrongCode = reply;
    wrongCode[1] = 1;
    QTest::newRow("raw: echo reply with a code")
        << WithIpv4Header(wrongCode, kCandidate) << raw << kCandidate << false;

    Bytes notIcmp = WithIpv4Header(reply, kCandidate);
    notIcmp[9] = 17;
    QTest::newRow("raw: not ICMP") << notIcmp << raw << kCandidate << false;
    Bytes ipv6Version = WithIpv4Header(reply, kCandidate);
    ipv6Version[0] = 0x65;
    QTest::newRow("raw: version 6") << ipv6Version << raw << kCandidate << false;
    Bytes shortHeader = WithIpv4Header(reply, kCandidate);
    shortHeader[0] = 0x44;
    QTest::newRow("raw: header length below 20") << shortHeader << raw << kCandidate << false;
    Bytes longHeader = WithIpv4Header(reply, kCandidate);
    longHeader[0] = 0x4F; // 60 bytes claimed, 32 there
    QTest::newRow("raw: header length past the end") << longHeader << raw << kCandidate << false;
    Bytes headerOnly = WithIpv4Header(reply, kCandidate, 3);
    headerOnly.resize(32 + 7);
    QTest::newRow("raw: echo header cut short") << headerOnly << raw << kCandidate << false;

    QTest::newRow("raw: reply without IP header") << reply << raw << kCandidate << false;
    QTest::newRow("raw: empty") << Bytes{} << raw << kCandidate << false;
    QTest::newRow("ping socket: empty") << Bytes{} << ping << kCandidate << false;
    QTest::newRow("ping socket: seven bytes")
        << Bytes(reply.begin(), reply.begin() + 7) << ping << kCandidate << false;
    QTest::newRow("ping socket: eight bytes suffice")
        << Bytes(reply.begin(), reply.begin() + 8) << ping << kCandidate << true;
    QTest::newRow("raw: garbage") << FromHex("ffffffffffffffffffffffffffffffffffffffffffffffffffffffff")
                                  << raw << kCandidate << false;
}

void TestIcmpEcho::matcher()
{
    QFETCH(Bytes, datagram);
    QFETCH(IcmpSocketKind, kind);
    QFETCH(Ipv4Octets, sender);
    QFETCH(bool, matches);
    QCOMPARE(IsEchoReplyFrom(datagram, kind, sender, kCandidate, kIdentifier), matches);
}

// No prefix of a matching datagram shorter than the whole echo header matches, and none is read past
// its end (the sanitizers watch the copies, which are exactly as long as the prefix).
void TestIcmpEcho::matcherOnEveryPrefix()
{
    const Bytes reply = EchoMessage(kIcmpEchoReply, kIdentifier);
    const Bytes datagram = WithIpv4Header(reply, kCandidate, 2);
    for (std::size_t size = 0; size <= datagram.size(); ++size) {
        const Bytes prefix(datagram.begin(), datagram.begin() + std::ptrdiff_t(size));
        QCOMPARE(IsEchoReplyFrom(prefix, IcmpSocketKind::Raw, kCandidate, kCandidate, kIdentifier),
                 size >= 28 + 8);
    }
    for (std::size_t size = 0; size <= reply.size(); ++size) {
        const Bytes prefix(reply.begin(), reply.begin() + std::ptrdiff_t(size));
        QCOMPARE(IsEchoReplyFrom(prefix, IcmpSocketKind::Datagram, kCandidate, kCandidate, kIdentifier),
                 size >= 8);
    }
}

// All fourteen candidates are pinged at once with the same request; a reply counts for the candidate
// it came from, and only when it would count probing that candidate alone.
void TestIcmpEcho::matchAmongCandidates_data()
{
    QTest::addColumn<Bytes>("datagram");
    QTest::addColumn<IcmpSocketKind>("kind");
    QTest::addColumn<int>("sender"); // last number of 192.168.1.x
    QTest::addColumn<int>("index");  // of the candidate it counts for; -1 none

    const auto raw = IcmpSocketKind::Raw;
    const auto ping = IcmpSocketKind::Datagram;
    const Bytes reply = EchoMessage(kIcmpEchoReply, kIdentifier);
    const auto from = [](int host) {
        return Ipv4Octets{192, 168, 1, std::uint8_t(host)};
    };

    QTest::newRow("raw: first candidate") << WithIpv4Header(reply, from(254)) << raw << 254 << 0;
    QTest::newRow("raw: last candidate") << WithIpv4Header(reply, from(241)) << raw << 241 << 13;
    QTest::newRow("ping socket: a middle one") << reply << ping << 247 << 7;
    QTest::newRow("raw: not a candidate") << WithIpv4Header(reply, from(2)) << raw << 2 << -1;
    QTest::newRow("raw: just below the candidates") << WithIpv4Header(reply, from(240)) << raw << 240 << -1;
    QTest::newRow("raw: header names another candidate")
        << WithIpv4Header(reply, from(252)) << raw << 253 << -1;
    QTest::newRow("raw: a candidate's reply to someone else")
        << WithIpv4Header(EchoMessage(kIcmpEchoReply, 0x4523), from(250)) << raw << 250 << -1;
    QTest::newRow("ping socket: a candidate's echo request")
        << EchoMessage(kIcmpEchoRequest, kIdentifier) << ping << 250 << -1;
}

void TestIcmpEcho::matchAmongCandidates()
{
    QFETCH(Bytes, datagram);
    QFETCH(IcmpSocketKind, kind);
    QFETCH(int, sender);
    QFETCH(int, index);

    std::vector<Ipv4Octets> candidates;
    for (int host = 254; host >= 241; --host)
        candidates.push_back({192, 168, 1, std::uint8_t(host)});
    const std::optional<std::size_t> match =
        MatchEchoReply(datagram, kind, {192, 168, 1, std::uint8_t(sender)}, candidates, kIdentifier);
    QCOMPARE(match ? int(*match) : -1, index);
}

QTEST_APPLESS_MAIN(TestIcmpEcho)
#include "tst_icmpecho.moc"
