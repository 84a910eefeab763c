#include "autoset/FreeAddressSearch.h"

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
    Result IsAddressInUse(const Ipv4Octets& candidate) override
    {
        m_asked.push_back(candidate);
        const auto answer = m_answers.find(candidate[3]);
        return answer == m_answers.end() ? Result::Free : answer->second;
    }
    const std::vector<Ipv4Octets>& Asked() const { return m_asked; }

private:
    Answers m_answers;
    std::vector<Ipv4Octets> m_asked;
};

Answers Busy(int from, int to)
{
    Answers answers;
    for (int host = from; host >= to; --host)
        answers[host] = Result::InUse;
    return answers;
}

} // namespace

class TestFreeAddressSearch final : public QObject
{
    Q_OBJECT

private slots:
    void search_data();
    void search();
    void noLocalAddressProbesNothing();
    void messages_data();
    void messages();
    void localAddress_data();
    void localAddress();
};

void TestFreeAddressSearch::search_data()
{
    QTest::addColumn<Ipv4Octets>("local");
    QTest::addColumn<Answers>("answers");
    QTest::addColumn<FreeAddressOutcome>("outcome");
    QTest::addColumn<int>("proposedHost"); // a.b.c.n when Found
    QTest::addColumn<int>("probes");       // candidates asked, from .254 down

    const Ipv4Octets home{192, 168, 1, 10};
    QTest::newRow(".254 free") << home << Answers{} << FreeAddressOutcome::Found << 254 << 1;
    QTest::newRow(".254 and .253 busy") << home << Busy(254, 253) << FreeAddressOutcome::Found << 252 << 3;
    QTest::newRow("only .241 free") << home << Busy(254, 242) << FreeAddressOutcome::Found << 241 << 14;
    QTest::newRow("all fourteen busy") << home << Busy(254, 241) << FreeAddressOutcome::Exhausted << 0 << 14;
    QTest::newRow("busy below the candidates only")
        << home << Busy(240, 2) << FreeAddressOutcome::Found << 254 << 1;
    QTest::newRow("mask not consulted")
        << Ipv4Octets{10, 0, 5, 7} << Busy(254, 254) << FreeAddressOutcome::Found << 253 << 2;
    QTest::newRow("computer at .254 itself answers")
        << Ipv4Octets{172, 16, 9, 254} << Busy(254, 254) << FreeAddressOutcome::Found << 253 << 2;
    QTest::newRow("no socket: stops at once")
        << home << Answers{{254, Result::NoSocket}} << FreeAddressOutcome::NoProbeSocket << 0 << 1;
    QTest::newRow("socket lost after a busy one")
        << home << Answers{{254, Result::InUse}, {253, Result::NoSocket}} << FreeAddressOutcome::NoProbeSocket
        << 0 << 2;
}

void TestFreeAddressSearch::search()
{
    QFETCH(Ipv4Octets, local);
    QFETCH(Answers, answers);
    QFETCH(FreeAddressOutcome, outcome);
    QFETCH(int, proposedHost);
    QFETCH(int, probes);

    FakeProber prober(answers);
    const FreeAddressProposal proposal = FindFreeAddress(local, prober);

    QCOMPARE(proposal.outcome, outcome);
    QCOMPARE(proposal.localAddress, local);
    QCOMPARE(int(prober.Asked().size()), probes);
    for (int i = 0; i < probes; ++i) {
        const Ipv4Octets expected{local[0], local[1], local[2], std::uint8_t(254 - i)};
        QCOMPARE(FormatDottedQuad(prober.Asked()[std::size_t(i)]), FormatDottedQuad(expected));
    }
    if (outcome == FreeAddressOutcome::Found) {
        QCOMPARE(proposal.address, (Ipv4Octets{local[0], local[1], local[2], std::uint8_t(proposedHost)}));
        QCOMPARE(proposal.gateway, (Ipv4Octets{local[0], local[1], local[2], 1}));
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
    QVERIFY(prober.Asked().empty());
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

QTEST_APPLESS_MAIN(TestFreeAddressSearch)
#include "tst_freeaddresssearch.moc"
