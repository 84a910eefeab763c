#include "autoset/FreeAddressSearch.h"
#include "autoset/SearchNetwork.h"

#include <QTest>

#include <map>
#include <vector>

using namespace Netrove;

namespace {

using Result = AddressProber::Result;
using Answers = std::map<int, Result>; // by the candidate's last number

// Answers from a table (Free for addresses it does not name) and remembers what it was asked.
class FakeProber final : public AddressProber
{
public:
    explicit FakeProber(Answers answers)
        : m_answers(std::move(answers))
    {}
    std::vector<Result> Probe(std::span<const Ipv4Octets> candidates) override
    {
        ++m_calls;
        std::vector<Result> results;
        for (const Ipv4Octets& candidate : candidates) {
            m_asked.push_back(candidate);
            const auto answer = m_answers.find(candidate[3]);
            results.push_back(answer == m_answers.end() ? Result::Free : answer->second);
        }
        return results;
    }
    const std::vector<Ipv4Octets>& Asked() const { return m_asked; }
    int Calls() const { return m_calls; }

private:
    Answers m_answers;
    std::vector<Ipv4Octets> m_asked;
    int m_calls = 0;
};

Answers Busy(int from, int to)
{
    Answers answers;
    for (int host = from; host >= to; --host)
        answers[host] = Result::InUse;
    return answers;
}

Ipv4Octets On(const Ipv4Octets& network, int host)
{
    return {network[0], network[1], network[2], std::uint8_t(host)};
}

QString Text(const Ipv4Octets& address)
{
    return QString::fromStdString(FormatDottedQuad(address));
}

AdapterAddress Adapter(int index, const char* name, const Ipv4Octets& address, int prefix, bool up = true)
{
    return {index, name, address, prefix, up};
}

} // namespace

class TestFreeAddressSearch final : public QObject
{
    Q_OBJECT

private slots:
    void search_data();
    void search();
    void noLocalAddressProbesNothing();
    void everyCandidateNeverProposed();
    void neverProposed_data();
    void neverProposed();
    void messages_data();
    void messages();
    void localAddress_data();
    void localAddress();
    void searchNetwork_data();
    void searchNetwork();
};

// All candidates that may be proposed are asked at once; the proposal is the one a probe of each
// in turn from .254 down stops at.
void TestFreeAddressSearch::search_data()
{
    QTest::addColumn<Ipv4Octets>("local");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<std::vector<Ipv4Octets>>("own"); // this computer's other addresses
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<FreeAddressOutcome>("outcome");
    QTest::addColumn<int>("proposedHost");    // a.b.c.n when Found
    QTest::addColumn<QList<int>>("notAsked"); // candidates never probed

    const Ipv4Octets home{192, 168, 1, 10};
    const std::vector<Ipv4Octets> none;
    QTest::newRow(".254 free") << home << 24 << none << Answers{} << FreeAddressOutcome::Found << 254
                               << QList<int>{};
    QTest::newRow(".254 and .253 busy")
        << home << 24 << none << Busy(254, 253) << FreeAddressOutcome::Found << 252 << QList<int>{};
    QTest::newRow("only .241 free") << home << 24 << none << Busy(254, 242) << FreeAddressOutcome::Found
                                    << 241 << QList<int>{};
    QTest::newRow("all fourteen busy")
        << home << 24 << none << Busy(254, 241) << FreeAddressOutcome::Exhausted << 0 << QList<int>{};
    QTest::newRow("busy below the candidates only")
        << home << 24 << none << Busy(240, 2) << FreeAddressOutcome::Found << 254 << QList<int>{};
    QTest::newRow("gaps: the highest free one")
        << home << 24 << none << Answers{{254, Result::InUse}, {252, Result::InUse}}
        << FreeAddressOutcome::Found << 253 << QList<int>{};
    QTest::newRow("mask not consulted") << Ipv4Octets{10, 0, 5, 7} << 16 << none << Busy(254, 254)
                                        << FreeAddressOutcome::Found << 253 << QList<int>{};
    QTest::newRow("prefix unknown") << home << kPrefixUnknown << none << Busy(254, 254)
                                    << FreeAddressOutcome::Found << 253 << QList<int>{};
    QTest::newRow("computer at .254 itself") << Ipv4Octets{172, 16, 9, 254} << 24 << none << Answers{}
                                             << FreeAddressOutcome::Found << 253 << QList<int>{254};
    QTest::newRow("another adapter's address")
        << home << 24 << std::vector{Ipv4Octets{192, 168, 1, 254}, Ipv4Octets{10, 0, 5, 7}} << Answers{}
        << FreeAddressOutcome::Found << 253 << QList<int>{254};
    QTest::newRow("/29: own address and broadcast skipped")
        << Ipv4Octets{192, 168, 1, 244} << 29 << std::vector{Ipv4Octets{192, 168, 1, 253}} << Busy(254, 248)
        << FreeAddressOutcome::Found << 246 << QList<int>{253, 247, 244};
    QTest::newRow("/30 at the top: broadcast .251, network .248")
        << Ipv4Octets{192, 168, 1, 249} << 30 << none << Busy(254, 252) << FreeAddressOutcome::Found << 250
        << QList<int>{251, 249, 248};
    QTest::newRow("skipped ones are not free") << Ipv4Octets{192, 168, 1, 242} << 30 << none << Busy(254, 244)
                                               << FreeAddressOutcome::Found << 241 << QList<int>{243, 242};
    QTest::newRow("no socket: nothing proposed") << home << 24 << none << Answers{{254, Result::NoSocket}}
                                                 << FreeAddressOutcome::NoProbeSocket << 0 << QList<int>{};
    QTest::newRow("socket lost after a busy one")
        << home << 24 << none << Answers{{254, Result::InUse}, {253, Result::NoSocket}}
        << FreeAddressOutcome::NoProbeSocket << 0 << QList<int>{};
    QTest::newRow("no socket past the free one does not count")
        << home << 24 << none << Answers{{254, Result::InUse}, {252, Result::NoSocket}}
        << FreeAddressOutcome::Found << 253 << QList<int>{};
}

void TestFreeAddressSearch::search()
{
    QFETCH(Ipv4Octets, local);
    QFETCH(int, prefix);
    QFETCH(std::vector<Ipv4Octets>, own);
    QFETCH(Answers, answers);
    QFETCH(FreeAddressOutcome, outcome);
    QFETCH(int, proposedHost);
    QFETCH(QList<int>, notAsked);

    FakeProber prober(answers);
    const FreeAddressProposal proposal = FindFreeAddress(SearchNetwork{local, prefix, own}, prober);

    QCOMPARE(proposal.outcome, outcome);
    QCOMPARE(proposal.localAddress, local);
    QCOMPARE(prober.Calls(), 1);
    QStringList asked;
    for (const Ipv4Octets& candidate : prober.Asked())
        asked << Text(candidate);
    QStringList expected;
    for (int host = 254; host >= 241; --host) {
        if (!notAsked.contains(host))
            expected << Text(On(local, host));
    }
    QCOMPARE(asked, expected);
    if (outcome == FreeAddressOutcome::Found) {
        QCOMPARE(Text(proposal.address), Text(On(local, proposedHost)));
        QCOMPARE(Text(proposal.gateway), Text(On(local, 1)));
        QVERIFY(answers.find(proposedHost) == answers.end());
        QCOMPARE(FreeAddressMessage(proposal), std::string());
    } else {
        QCOMPARE(proposal.address, Ipv4Octets{});
        QCOMPARE(proposal.gateway, Ipv4Octets{});
    }
}

void TestFreeAddressSearch::noLocalAddressProbesNothing()
{
    FakeProber prober({});
    const FreeAddressProposal proposal = FindFreeAddress(std::nullopt, prober);
    QCOMPARE(proposal.outcome, FreeAddressOutcome::NoLocalAddress);
    QCOMPARE(prober.Calls(), 0);
}

// This computer holds all fourteen: nothing to probe, nothing to propose.
void TestFreeAddressSearch::everyCandidateNeverProposed()
{
    const Ipv4Octets local{192, 168, 1, 10};
    SearchNetwork network{local, 24, {}};
    for (int host = 254; host >= 241; --host)
        network.ownAddresses.push_back(On(local, host));
    FakeProber prober({});
    const FreeAddressProposal proposal = FindFreeAddress(network, prober);
    QCOMPARE(proposal.outcome, FreeAddressOutcome::Exhausted);
    QCOMPARE(prober.Calls(), 0);
}

void TestFreeAddressSearch::neverProposed_data()
{
    QTest::addColumn<Ipv4Octets>("candidate");
    QTest::addColumn<Ipv4Octets>("local");
    QTest::addColumn<int>("prefix");
    QTest::addColumn<bool>("never");

    const auto host = [](int n) {
        return Ipv4Octets{192, 168, 1, std::uint8_t(n)};
    };
    QTest::newRow("the computer's address") << host(10) << host(10) << 24 << true;
    QTest::newRow("another adapter's address") << host(250) << host(10) << 24 << true;
    QTest::newRow("/24: .254 is a host") << host(254) << host(10) << 24 << false;
    QTest::newRow("another maker's camera holds it") << host(241) << host(10) << 24 << true;
    QTest::newRow("/24: broadcast .255") << host(255) << host(10) << 24 << true;
    QTest::newRow("/16: a candidate") << Ipv4Octets{10, 0, 5, 254} << Ipv4Octets{10, 0, 5, 7} << 16 << false;
    QTest::newRow("/25 upper half: a candidate") << host(254) << host(130) << 25 << false;
    QTest::newRow("/28: broadcast .255") << host(255) << host(245) << 28 << true;
    QTest::newRow("/29: broadcast .247") << host(247) << host(244) << 29 << true;
    QTest::newRow("/29: .246 is a host") << host(246) << host(244) << 29 << false;
    QTest::newRow("/30: network .248") << host(248) << host(249) << 30 << true;
    QTest::newRow("/30: broadcast .251") << host(251) << host(249) << 30 << true;
    QTest::newRow("/31: both are hosts") << host(253) << host(252) << 31 << false;
    QTest::newRow("/32: a host") << host(254) << host(253) << 32 << false;
    QTest::newRow("prefix unknown: .255 not judged") << host(255) << host(10) << kPrefixUnknown << false;
    QTest::newRow("/0: everything's broadcast") << Ipv4Octets{255, 255, 255, 255} << host(10) << 0 << true;
}

void TestFreeAddressSearch::neverProposed()
{
    QFETCH(Ipv4Octets, candidate);
    QFETCH(Ipv4Octets, local);
    QFETCH(int, prefix);
    QFETCH(bool, never);
    const SearchNetwork network{local, prefix, {{10, 0, 5, 7}, {192, 168, 1, 250}}, {}, {{192, 168, 1, 241}}};
    QCOMPARE(IsNeverProposed(candidate, network), never);
}

void TestFreeAddressSearch::messages_data()
{
    QTest::addColumn<FreeAddressOutcome>("outcome");
    QTest::addColumn<Ipv4Octets>("local");
    QTest::addColumn<QString>("message");

    QTest::newRow("exhausted") << FreeAddressOutcome::Exhausted << Ipv4Octets{192, 168, 1, 10}
                               << "No free IP address was found in 192.168.1.241 - 192.168.1.254";
    QTest::newRow("exhausted, widest numbers")
        << FreeAddressOutcome::Exhausted << Ipv4Octets{255, 255, 255, 255}
        << "No free IP address was found in 255.255.255.241 - "
           "255.255.255.254";
    QTest::newRow("no local address") << FreeAddressOutcome::NoLocalAddress << Ipv4Octets{}
                                      << "The IP address of this computer could not be found";
    QTest::newRow("no probe socket") << FreeAddressOutcome::NoProbeSocket << Ipv4Octets{10, 0, 5, 7}
                                     << "Please start the program with admin account";
}

void TestFreeAddressSearch::messages()
{
    QFETCH(FreeAddressOutcome, outcome);
    QFETCH(Ipv4Octets, local);
    QFETCH(QString, message);

    FreeAddressProposal proposal;
    proposal.outcome = outcome;
    proposal.localAddress = local;
    QCOMPARE(QString::fromStdString(FreeAddressMessage(proposal)), message);
}

void TestFreeAddressSearch::localAddress_data()
{
    QTest::addColumn<std::vector<Ipv4Octets>>("resolved");
    QTest::addColumn<std::vector<Ipv4Octets>>("adapters");
    QTest::addColumn<QString>("chosen"); // empty: none

    const Ipv4Octets loopback{127, 0, 0, 1};
    const Ipv4Octets debianName{127, 0, 1, 1};
    const Ipv4Octets lan{192, 168, 1, 10};
    const Ipv4Octets other{10, 0, 5, 7};

    QTest::newRow("host name's loopback skipped")
        << std::vector{debianName, lan} << std::vector{loopback, other} << "192.168.1.10";
    QTest::newRow("first resolved wins over adapters")
        << std::vector{lan, other} << std::vector{loopback, other} << "192.168.1.10";
    QTest::newRow("only loopback resolved: adapter")
        << std::vector{debianName} << std::vector{loopback, other, lan} << "10.0.5.7";
    QTest::newRow("nothing resolved: adapter")
        << std::vector<Ipv4Octets>{} << std::vector{other} << "10.0.5.7";
    QTest::newRow("whole 127/8 is loopback") << std::vector{Ipv4Octets{127, 255, 3, 4}}
                                             << std::vector{Ipv4Octets{127, 9, 9, 9}, lan} << "192.168.1.10";
    QTest::newRow("128.x is not loopback")
        << std::vector{Ipv4Octets{128, 0, 0, 1}} << std::vector{lan} << "128.0.0.1";
    QTest::newRow("loopback everywhere") << std::vector{debianName} << std::vector{loopback} << QString();
    QTest::newRow("nothing at all") << std::vector<Ipv4Octets>{} << std::vector<Ipv4Octets>{} << QString();
}

void TestFreeAddressSearch::localAddress()
{
    QFETCH(std::vector<Ipv4Octets>, resolved);
    QFETCH(std::vector<Ipv4Octets>, adapters);
    QFETCH(QString, chosen);

    const std::optional<Ipv4Octets> address = ChooseLocalAddress(resolved, adapters);
    QCOMPARE(address.has_value(), !chosen.isEmpty());
    if (address)
        QCOMPARE(QString::fromStdString(FormatDottedQuad(*address)), chosen);
}

// The network of the adapter the device answered on, else today's choice from the host name.
void TestFreeAddressSearch::searchNetwork_data()
{
    QTest::addColumn<std::vector<AdapterAddress>>("adapters");
    QTest::addColumn<ArrivalAdapter>("arrival");
    QTest::addColumn<std::vector<Ipv4Octets>>("resolved");
    QTest::addColumn<QString>("local"); // empty: none
    QTest::addColumn<int>("prefix");

    const AdapterAddress lo = Adapter(1, "lo", {127, 0, 0, 1}, 8);
    const AdapterAddress lab0 = Adapter(2, "lab0", {192, 168, 1, 10}, 24);
    const AdapterAddress lab1 = Adapter(3, "lab1", {10, 0, 5, 7}, 16);
    const AdapterAddress lab1Second = Adapter(3, "lab1", {172, 20, 0, 5}, 28);
    const std::vector adapters{lo, lab0, lab1};
    const std::vector<Ipv4Octets> byName{{127, 0, 1, 1}, {192, 168, 1, 10}};
    const auto arrival = [](int index, const char* name, const char* address) {
        return ArrivalAdapter{index, QString::fromLatin1(name), QString::fromLatin1(address), {}};
    };

    QTest::newRow("the adapter the answer came in on")
        << adapters << arrival(3, "lab1", "10.0.5.7") << byName << "10.0.5.7" << 16;
    QTest::newRow("name gone: the index") << adapters << arrival(3, "eth9", "") << byName << "10.0.5.7" << 16;
    QTest::newRow("put back under a new index: the name")
        << adapters << arrival(9, "lab1", "") << byName << "10.0.5.7" << 16;
    QTest::newRow("the name wins over an index now another's")
        << adapters << arrival(2, "lab1", "") << byName << "10.0.5.7" << 16;
    QTest::newRow("index not known: the host name's address")
        << adapters << arrival(0, "lab1", "10.0.5.7") << byName << "192.168.1.10" << 24;
    QTest::newRow("answer over IPv6: the adapter's IPv4 address")
        << adapters << arrival(3, "lab1", "fe80::1c:2") << byName << "10.0.5.7" << 16;
    QTest::newRow("several addresses: the one answered to")
        << std::vector{lo, lab0, lab1, lab1Second} << arrival(3, "lab1", "172.20.0.5") << byName
        << "172.20.0.5" << 28;
    QTest::newRow("several addresses: else the first")
        << std::vector{lo, lab0, lab1Second, lab1} << arrival(3, "lab1", "10.9.9.9") << byName << "172.20.0.5"
        << 28;
    QTest::newRow("arrival not known: the host name's address, with its prefix")
        << adapters << ArrivalAdapter{} << byName << "192.168.1.10" << 24;
    QTest::newRow("arrival adapter without IPv4: the host name's address")
        << adapters << arrival(4, "wlan0", "fe80::7") << byName << "192.168.1.10" << 24;
    QTest::newRow("answer on loopback: the host name's address")
        << adapters << arrival(1, "lo", "127.0.0.1") << byName << "192.168.1.10" << 24;
    QTest::newRow("host name's address on no adapter: prefix unknown")
        << adapters << ArrivalAdapter{} << std::vector<Ipv4Octets>{{192, 168, 7, 7}} << "192.168.7.7"
        << kPrefixUnknown;
    QTest::newRow("nothing resolved: the first adapter that is up")
        << std::vector{lo, Adapter(2, "lab0", {192, 168, 1, 10}, 24, false), lab1} << ArrivalAdapter{}
        << std::vector<Ipv4Octets>{} << "10.0.5.7" << 16;
    QTest::newRow("arrival adapter down: still its address")
        << std::vector{lo, lab0, Adapter(3, "lab1", {10, 0, 5, 7}, 16, false)} << arrival(3, "lab1", "")
        << byName << "10.0.5.7" << 16;
    QTest::newRow("nothing but loopback")
        << std::vector{lo} << ArrivalAdapter{} << std::vector<Ipv4Octets>{{127, 0, 1, 1}} << QString() << 0;
}

void TestFreeAddressSearch::searchNetwork()
{
    QFETCH(std::vector<AdapterAddress>, adapters);
    QFETCH(ArrivalAdapter, arrival);
    QFETCH(std::vector<Ipv4Octets>, resolved);
    QFETCH(QString, local);
    QFETCH(int, prefix);

    const std::optional<SearchNetwork> network = ChooseSearchNetwork(arrival, adapters, resolved);
    QCOMPARE(network.has_value(), !local.isEmpty());
    if (!network)
        return;
    QCOMPARE(Text(network->localAddress), local);
    QCOMPARE(network->prefixLength, prefix);
    // The probes leave by the adapter holding that address; by none in particular when none holds it.
    const auto holder = std::find_if(adapters.begin(), adapters.end(), [&](const AdapterAddress& a) {
        return a.address == network->localAddress;
    });
    QCOMPARE(network->adapter, holder == adapters.end() ? std::string() : holder->name);
    // Whichever adapter the search looks on, no adapter's address is ever proposed.
    for (const AdapterAddress& adapter : adapters)
        QVERIFY2(IsNeverProposed(adapter.address, *network), qPrintable(Text(adapter.address)));
}

QTEST_APPLESS_MAIN(TestFreeAddressSearch)
#include "tst_freeaddresssearch.moc"
