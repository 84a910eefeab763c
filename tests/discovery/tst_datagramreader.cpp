// The reader thread over a local socket pair: no network involved.

#include "discovery/DatagramReader.h"

#include <QTest>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Netrove;

namespace {

constexpr std::size_t kLongForm = 326;

struct Pair
{
    int reader = -1;
    int writer = -1;
    int wake = -1;
    Pair()
    {
        int fds[2] = {-1, -1};
        if (::socketpair(AF_UNIX, SOCK_DGRAM, 0, fds) == 0) {
            reader = fds[0];
            writer = fds[1];
        }
        wake = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    }
    ~Pair()
    {
        for (int fd : {reader, writer, wake})
            if (fd >= 0)
                ::close(fd);
    }
    bool Send(std::size_t size, std::uint8_t fill) const
    {
        const std::vector<std::uint8_t> bytes(size, fill);
        return ::send(writer, bytes.data(), bytes.size(), 0) == ssize_t(size);
    }
    bool Woken(int timeoutMs) const
    {
        pollfd p{wake, POLLIN, 0};
        return ::poll(&p, 1, timeoutMs) == 1;
    }
};

// Pops until `count` items came or two seconds passed.
std::vector<std::pair<ReceiveStatus, ReceivedDatagram>> Take(DatagramReader& reader, int slot, int count)
{
    std::vector<std::pair<ReceiveStatus, ReceivedDatagram>> items;
    for (int tries = 0; tries < 200 && int(items.size()) < count; ++tries) {
        ReceivedDatagram datagram;
        int error = 0;
        const ReceiveStatus status = reader.Pop(slot, datagram, error);
        if (status == ReceiveStatus::NothingWaiting) {
            QTest::qSleep(10);
            continue;
        }
        datagram.size = status == ReceiveStatus::Failed ? std::size_t(error) : datagram.size;
        items.emplace_back(status, std::move(datagram));
    }
    return items;
}

} // namespace

class TestDatagramReader final : public QObject
{
    Q_OBJECT

private slots:
    void datagramsArriveInOrderZeroFilled()
    {
        Pair pair;
        QVERIFY(pair.reader >= 0 && pair.wake >= 0);
        DatagramReader reader;
        reader.Watch(0, pair.reader, kLongForm, pair.wake);
        QVERIFY(pair.Send(262, 0x11));
        QVERIFY(pair.Send(326, 0x22));
        QVERIFY(pair.Send(19, 0x33));
        QVERIFY(pair.Woken(2000));

        const auto items = Take(reader, 0, 3);
        QCOMPARE(items.size(), std::size_t(3));
        const std::size_t sizes[] = {262, 326, 19};
        const std::uint8_t fills[] = {0x11, 0x22, 0x33};
        for (std::size_t i = 0; i < 3; ++i) {
            QCOMPARE(items[i].first, ReceiveStatus::Received);
            const ReceivedDatagram& d = items[i].second;
            QCOMPARE(d.size, sizes[i]);
            QCOMPARE(d.buffer.size(), kLongForm);
            QCOMPARE(d.family, int(AF_UNSPEC)); // the pair's sender has no address
            for (std::size_t at = 0; at < kLongForm; ++at)
                QCOMPARE(d.buffer[at], at < sizes[i] ? fills[i] : std::uint8_t{0});
        }
        QVERIFY(!reader.HasQueued(0));
    }

    void oversizeFailsAndTheNextStillComes()
    {
        Pair pair;
        DatagramReader reader;
        reader.Watch(1, pair.reader, kLongForm, pair.wake);
        QVERIFY(pair.Send(kLongForm + 1, 0x44));
        QVERIFY(pair.Send(kLongForm, 0x55));
        const auto items = Take(reader, 1, 2);
        QCOMPARE(items.size(), std::size_t(2));
        QCOMPARE(items[0].first, ReceiveStatus::Failed);
        QCOMPARE(items[0].second.size, std::size_t(EMSGSIZE));
        QCOMPARE(items[1].first, ReceiveStatus::Received);
        QCOMPARE(items[1].second.buffer.front(), std::uint8_t{0x55});
        // A buffer that took the oversize datagram is clean for the next one.
        QVERIFY(pair.Send(10, 0x66));
        const auto next = Take(reader, 1, 1);
        QCOMPARE(next.size(), std::size_t(1));
        QCOMPARE(next[0].second.buffer[10], std::uint8_t{0});
    }

    void pausedReaderLeavesTheSocketAlone()
    {
        Pair pair;
        DatagramReader reader;
        reader.SetPaused(true);
        reader.Watch(2, pair.reader, kLongForm, pair.wake);
        QVERIFY(pair.Send(100, 0x77));
        QTest::qSleep(100);
        QVERIFY(!reader.HasQueued(2));
        reader.SetPaused(false);
        QCOMPARE(Take(reader, 2, 1).size(), std::size_t(1));
    }

    void slotsAreKeptApartAndStopForgets()
    {
        Pair first;
        Pair second;
        DatagramReader reader;
        reader.Watch(0, first.reader, kLongForm, first.wake);
        reader.Watch(2, second.reader, 366, second.wake);
        QVERIFY(first.Send(5, 0x01));
        QVERIFY(second.Send(366, 0x02));
        QVERIFY(second.Woken(2000));
        const auto ipv6 = Take(reader, 2, 1);
        QCOMPARE(ipv6.size(), std::size_t(1));
        QCOMPARE(ipv6[0].second.buffer.size(), std::size_t(366));
        QCOMPARE(ipv6[0].second.buffer.back(), std::uint8_t{0x02});
        QTRY_VERIFY(reader.HasQueued(0));

        reader.Stop();
        QVERIFY(!reader.HasQueued(0));
        QVERIFY(first.Send(5, 0x03));
        QTest::qSleep(50);
        QVERIFY(!reader.HasQueued(0));
    }
};

QTEST_GUILESS_MAIN(TestDatagramReader)
#include "tst_datagramreader.moc"
