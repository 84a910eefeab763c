// The free address search with real ICMP probes from the host side of a lab (192.168.1.10/24);
// the devices side answers pings for the addresses a test occupies, or holds them and ignores
// pings.

#include "autoset/FreeAddressSearch.h"
#include "autoset/IcmpProbe.h"
#include "autoset/Ipv4SocketAddress.h"
#include "autoset/LocalAddress.h"
#include "tests/lab/LabFixture.h"

#include <QCoreApplication>
#include <QFile>
#include <QSet>
#include <QTest>

#include <linux/capability.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

using namespace Netrove;

namespace {

const Ipv4Octets kHost{192, 168, 1, 10};
const Ipv4Octets kDevices{192, 168, 1, 2};
const Ipv4Octets kNobody{192, 168, 1, 200};

QString Address(int host)
{
    return QStringLiteral("192.168.1.%1").arg(host);
}

QString Text(const Ipv4Octets& address)
{
    return QString::fromStdString(FormatDottedQuad(address));
}

// The lab's host side: one adapter, 192.168.1.10/24.
const SearchNetwork kHostNetwork{kHost, 24, {kHost}};

// Passes the probes to the real prober and remembers what it asked and heard.
class RecordingProber final : public AddressProber
{
public:
    std::vector<Result> Probe(std::span<const Ipv4Octets> candidates) override
    {
        ++m_calls;
        const std::vector<Result> results = m_prober.Probe(candidates);
        for (std::size_t i = 0; i < candidates.size(); ++i)
            m_asked.emplace_back(candidates[i], i < results.size() ? results[i] : Result::NoSocket);
        return results;
    }
    const std::vector<std::pair<Ipv4Octets, Result>>& Asked() const { return m_asked; }
    int Calls() const { return m_calls; }

private:
    IcmpProber m_prober;
    std::vector<std::pair<Ipv4Octets, Result>> m_asked;
    int m_calls = 0;
};

// The echo request and its reply alone, without the neighbour table.
AddressProber::Result PingOne(const Ipv4Octets& address)
{
    const std::vector<AddressProber::Result> results = IcmpProber::PingAll(std::span(&address, 1));
    return results.size() == 1 ? results.front() : AddressProber::Result::NoSocket;
}

// Runs `work` on a thread of its own that may not open raw sockets, as a program without the
// rights, and whose ping program gets none either. False when the right could not be taken away.
bool RunWithoutRawSockets(const std::function<void()>& work)
{
    bool dropped = false;
    std::thread thread([&] {
        if (::prctl(PR_CAPBSET_DROP, CAP_NET_RAW, 0, 0, 0) != 0)
            return;
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
        if (::syscall(SYS_capget, &header, data) != 0)
            return;
        data[CAP_TO_INDEX(CAP_NET_RAW)].effective &= ~CAP_TO_MASK(CAP_NET_RAW);
        if (::syscall(SYS_capset, &header, data) != 0)
            return;
        const int raw = ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
        if (raw >= 0) {
            ::close(raw);
            return;
        }
        dropped = true;
        work();
    });
    thread.join();
    return dropped;
}

// Who may open ping sockets in the lab's host namespace; put back when the test ends.
class PingGroupRange final
{
public:
    PingGroupRange()
    {
        QFile file(Path());
        if (file.open(QIODevice::ReadOnly))
            m_saved = file.readAll();
    }
    ~PingGroupRange()
    {
        if (!m_saved.isEmpty())
            Set(m_saved);
    }
    PingGroupRange(const PingGroupRange&) = delete;
    PingGroupRange& operator=(const PingGroupRange&) = delete;

    static bool Set(const QByteArray& range)
    {
        QFile file(Path());
        return file.open(QIODevice::WriteOnly) && file.write(range) == range.size();
    }

private:
    static QString Path() { return QStringLiteral("/proc/sys/net/ipv4/ping_group_range"); }
    QByteArray m_saved;
};

// ICMP traffic that is not the candidate's echo reply: our own echo request (our identifier and
// sequence) sent to the devices side every 20 ms, whose replies every raw ICMP socket of the host
// sees. Counts what came in while `probing` was set.
class EchoNoise final
{
public:
    EchoNoise()
        : m_thread([this] { Run(); })
    {}
    ~EchoNoise()
    {
        m_stop = true;
        m_thread.join();
    }
    EchoNoise(const EchoNoise&) = delete;
    EchoNoise& operator=(const EchoNoise&) = delete;

    std::atomic<bool> probing{false};
    int DatagramsWhileProbing() const { return m_received; }
    bool Failed() const { return m_failed; }

private:
    void Run()
    {
        const int fd = ::socket(AF_INET, SOCK_RAW, IPPROTO_ICMP);
        if (fd < 0) {
            m_failed = true;
            return;
        }
        const auto identifier = static_cast<std::uint16_t>(::getpid() & 0xFFFF);
        const auto request = BuildEchoRequest(identifier);
        const sockaddr_in to = SocketAddressOf(kDevices);
        while (!m_stop) {
            if (::sendto(fd, request.data(), request.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                         sizeof(to)) < 0)
                m_failed = true;
            pollfd ready{fd, POLLIN, 0};
            while (::poll(&ready, 1, 20) > 0) {
                std::array<std::uint8_t, 1024> buffer{};
                if (::recvfrom(fd, buffer.data(), buffer.size(), 0, nullptr, nullptr) > 0 && probing)
                    ++m_received;
            }
        }
        ::close(fd);
    }

    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_failed{false};
    std::atomic<int> m_received{0};
    std::thread m_thread;
};

} // namespace

class TestFreeAddressLab final : public QObject
{
    Q_OBJECT

private:
    LabFixture m_lab;
    QSet<int> m_occupied;

    bool OccupyHosts(const QList<int>& hosts, bool ignorePings = false)
    {
        QStringList addresses;
        for (int host : hosts) {
            if (!m_occupied.contains(host))
                addresses << Address(host);
            m_occupied.insert(host);
        }
        if (addresses.isEmpty())
            return true;
        return ignorePings ? m_lab.OccupyIgnoringPings(addresses) : m_lab.Occupy(addresses);
    }

private slots:
    // The rows build on each other: what a row occupies stays occupied. All fourteen candidates are
    // probed at once, every time.
    void search_data()
    {
        QTest::addColumn<QList<int>>("occupy");
        QTest::addColumn<QList<int>>("ignoringPings");
        QTest::addColumn<FreeAddressOutcome>("outcome");
        QTest::addColumn<QString>("address");

        QTest::newRow("nothing at .254")
            << QList<int>{} << QList<int>{} << FreeAddressOutcome::Found << "192.168.1.254";
        QTest::newRow(".254 ignores pings")
            << QList<int>{} << QList<int>{254} << FreeAddressOutcome::Found << "192.168.1.253";
        QTest::newRow(".254 to .250, some answering pings")
            << QList<int>{253, 251} << QList<int>{252, 250} << FreeAddressOutcome::Found << "192.168.1.249";
        QList<int> rest;
        for (int host = 249; host >= 241; --host)
            rest << host;
        QTest::newRow("all fourteen taken")
            << rest << QList<int>{} << FreeAddressOutcome::Exhausted << QString();
    }
    void search()
    {
        QFETCH(QList<int>, occupy);
        QFETCH(QList<int>, ignoringPings);
        QFETCH(FreeAddressOutcome, outcome);
        QFETCH(QString, address);
        QVERIFY2(OccupyHosts(occupy), qPrintable(m_lab.Error()));
        QVERIFY2(OccupyHosts(ignoringPings, true), qPrintable(m_lab.Error()));

        RecordingProber prober;
        const auto start = std::chrono::steady_clock::now();
        const FreeAddressProposal proposal = FindFreeAddress(kHostNetwork, prober);
        const auto took = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
        qInfo("free address search with %lld taken: %.0f ms", qlonglong(m_occupied.size()), took.count());

        QCOMPARE(proposal.outcome, outcome);
        QCOMPARE(prober.Calls(), 1);
        QCOMPARE(int(prober.Asked().size()), 14);
        for (const auto& [candidate, result] : prober.Asked()) {
            const auto expected = m_occupied.contains(candidate[3]) ? AddressProber::Result::InUse
                                                                    : AddressProber::Result::Free;
            QVERIFY2(result == expected, qPrintable(Text(candidate)));
        }
        if (outcome == FreeAddressOutcome::Found) {
            QCOMPARE(Text(proposal.address), address);
            QCOMPARE(Text(proposal.gateway), QStringLiteral("192.168.1.1"));
        } else {
            QCOMPARE(QString::fromStdString(FreeAddressMessage(proposal)),
                     QStringLiteral("No free IP address was found in 192.168.1.241 - 192.168.1.254"));
        }
    }

    // Echo replies with our identifier and sequence, from another address, arrive throughout the
    // probe of an address where nothing is; it stays free.
    void otherTrafficDuringTheProbe()
    {
        EchoNoise noise;
        noise.probing = true;
        const auto result = PingOne(kNobody);
        noise.probing = false;
        QCOMPARE(result, AddressProber::Result::Free);
        QVERIFY(!noise.Failed());
        // Sent 20 ms apart, three of them cannot all have missed the probe's socket.
        QVERIFY2(
            noise.DatagramsWhileProbing() >= 3,
            qPrintable(QStringLiteral("only %1 came during the probe").arg(noise.DatagramsWhileProbing())));
    }

    // A host that ignores pings sends no echo reply, yet its address is taken: the echo request made
    // the kernel learn its hardware address.
    void ignoringPingsIsTakenAllTheSame()
    {
        const Ipv4Octets silent{192, 168, 1, 230};
        QVERIFY2(m_lab.OccupyIgnoringPings({Text(silent)}), qPrintable(m_lab.Error()));
        const std::vector<AddressProber::Result> probed = IcmpProber().Probe(std::span(&silent, 1));
        QCOMPARE(probed, std::vector{AddressProber::Result::InUse});
        QCOMPARE(PingOne(silent), AddressProber::Result::Free);
        // Nobody at all: no hardware address either.
        const std::vector<AddressProber::Result> nobody = IcmpProber().Probe(std::span(&kNobody, 1));
        QCOMPARE(nobody, std::vector{AddressProber::Result::Free});
    }

    // Without the right to raw sockets the probe goes out on a ping socket, whose replies carry
    // the kernel's identifier.
    void pingSocket_data()
    {
        QTest::addColumn<Ipv4Octets>("address");
        QTest::addColumn<AddressProber::Result>("result");
        QTest::newRow("devices' own address") << kDevices << AddressProber::Result::InUse;
        QTest::newRow("occupied, answering pings")
            << Ipv4Octets{192, 168, 1, 253} << AddressProber::Result::InUse;
        QTest::newRow("nobody there") << kNobody << AddressProber::Result::Free;
    }
    void pingSocket()
    {
        QFETCH(Ipv4Octets, address);
        QFETCH(AddressProber::Result, result);
        QVERIFY2(OccupyHosts({253}), qPrintable(m_lab.Error()));
        PingGroupRange range;
        QVERIFY(PingGroupRange::Set("0 2147483647"));

        AddressProber::Result answer = AddressProber::Result::NoSocket;
        QVERIFY2(RunWithoutRawSockets([&] { answer = PingOne(address); }),
                 "cannot take the right to raw sockets away");
        QCOMPARE(answer, result);
    }

    void noSocketAtAll()
    {
        PingGroupRange range;
        QVERIFY(PingGroupRange::Set("1 0"));

        FreeAddressProposal proposal;
        int calls = 0;
        QVERIFY2(RunWithoutRawSockets([&] {
                     RecordingProber prober;
                     proposal = FindFreeAddress(kHostNetwork, prober);
                     calls = prober.Calls();
                 }),
                 "cannot take the right to raw sockets away");
        QCOMPARE(proposal.outcome, FreeAddressOutcome::NoProbeSocket);
        QCOMPARE(calls, 1);
        QCOMPARE(QString::fromStdString(FreeAddressMessage(proposal)),
                 QStringLiteral("Please start the program with admin account"));
    }

    // The lab's host side has the loopback adapter and 192.168.1.10 only.
    void localAddress()
    {
        for (const Ipv4Octets& adapter : AdapterAddresses())
            QVERIFY2(IsLoopback(adapter) || adapter == kHost, qPrintable(Text(adapter)));
        for (const Ipv4Octets& resolved : ResolvedHostAddresses()) {
            if (!IsLoopback(resolved))
                QSKIP("this computer's name resolves to an address of a network outside the lab");
        }
        const std::optional<Ipv4Octets> local = LocalIpv4Address();
        QVERIFY(local.has_value());
        QCOMPARE(Text(*local), QStringLiteral("192.168.1.10"));
    }
};

NETROVE_LAB_TEST_MAIN(TestFreeAddressLab, QCoreApplication)
#include "tst_freeaddresslab.moc"
