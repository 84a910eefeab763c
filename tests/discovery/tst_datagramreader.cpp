// The reader thread over a local socket pair: no network involved.

#include "discovery/DatagramReader.h"

#include <QTest>

#include <algorithm>
#include <mutex>

#include <sys/socket.h>
#include <unistd.h>

using namespace Netrove;

namespace {

constexpr std::size_t kLongForm = 326;

struct Pair
{
    int reader = -1;
    int writer = -1;
    Pair()
    {
        int fds[2] = {-1, -1};
        if (::socketpair(AF_UNIX, SOCK_DGRAM, 0, fds) == 0) {
            reader = fds[0];
            writer = fds[1];
        }
    }
    ~Pair()
    {
        for (int fd : {reader, writer})
            if (fd >= 0)
                ::close(fd);
    }
    bool Send(std::size_t size, std::uint8_t fill) const
    {
        const std::vector<std::uint8_t> bytes(size, fill);
        return ::send(writer, bytes.data(), bytes.size(), 0) == ssize_t(size);
    }
};

// What the reader handed over, by slot; filled on the reader's thread.
struct Collector
{
    std::mutex mutex;
    std::vector<std::vector<ReceivedDatagram>> bySlot{DatagramReader::kSlots};
    int batches = 0;
    std::size_t largestBatch = 0;

    DatagramReader::Deliver Sink()
    {
        return [this](int slot, std::vector<ReceivedDatagram> datagrams, int) {
            std::lock_guard lock(mutex);
            ++batches;
            largestBatch = std::max(largestBatch, datagrams.size());
            for (ReceivedDatagram& datagram : datagrams)
                bySlot[std::size_t(slot)].push_back(std::move(datagram));
        };
    }

    std::size_t Count(int slot)
    {
        std::lock_guard lock(mutex);
        return bySlot[std::size_t(slot)].size();
    }
};

// Takes what came for the slot, letting every batch go, until `count` datagrams came or two seconds
// passed.
std::vector<ReceivedDatagram> Take(Collector& collector, DatagramReader& reader, int slot, std::size_t count)
{
    std::vector<ReceivedDatagram> taken;
    for (int tries = 0; tries < 200 && taken.size() < count; ++tries) {
        {
            std::lock_guard lock(collector.mutex);
            for (ReceivedDatagram& datagram : collector.bySlot[std::size_t(slot)])
                taken.push_back(std::move(datagram));
            collector.bySlot[std::size_t(slot)].clear();
        }
        reader.Taken(slot);
        if (taken.size() < count)
            QTest::qSleep(10);
    }
    return taken;
}

} // namespace

class TestDatagramReader final : public QObject
{
    Q_OBJECT

private slots:
    void datagramsArriveInOrderZeroFilled()
    {
        Pair pair;
        QVERIFY(pair.reader >= 0);
        Collector collector;
        DatagramReader reader(collector.Sink());
        reader.Watch(0, pair.reader, kLongForm);
        QVERIFY(pair.Send(262, 0x11));
        QVERIFY(pair.Send(326, 0x22));
        QVERIFY(pair.Send(19, 0x33));

        const auto items = Take(collector, reader, 0, 3);
        QCOMPARE(items.size(), std::size_t(3));
        const std::size_t sizes[] = {262, 326, 19};
        const std::uint8_t fills[] = {0x11, 0x22, 0x33};
        for (std::size_t i = 0; i < 3; ++i) {
            const ReceivedDatagram& d = items[i];
            QCOMPARE(d.error, 0);
            QCOMPARE(d.size, sizes[i]);
            QCOMPARE(d.buffer.size(), kLongForm);
            QCOMPARE(d.family, int(AF_UNSPEC)); // the pair's sender has no address
            for (std::size_t at = 0; at < kLongForm; ++at)
                QCOMPARE(d.buffer[at], at < sizes[i] ? fills[i] : std::uint8_t{0});
        }
    }

    void oversizeFailsAndTheNextStillComes()
    {
        Pair pair;
        Collector collector;
        DatagramReader reader(collector.Sink());
        reader.Watch(1, pair.reader, kLongForm);
        QVERIFY(pair.Send(kLongForm + 1, 0x44));
        QVERIFY(pair.Send(kLongForm, 0x55));
        const auto items = Take(collector, reader, 1, 2);
        QCOMPARE(items.size(), std::size_t(2));
        QCOMPARE(items[0].error, EMSGSIZE);
        QCOMPARE(items[1].error, 0);
        QCOMPARE(items[1].buffer.front(), std::uint8_t{0x55});
        // A buffer that took the oversize datagram is clean for the next one.
        QVERIFY(pair.Send(10, 0x66));
        const auto next = Take(collector, reader, 1, 1);
        QCOMPARE(next.size(), std::size_t(1));
        QCOMPARE(next[0].buffer[10], std::uint8_t{0});
    }

    // The receiving thread has at most one batch of a socket in hand, of at most kBatchLimit
    // datagrams; the rest waits with the reader until that one is taken.
    void oneBoundedBatchAtATime()
    {
        Pair pair;
        Collector collector;
        DatagramReader reader(collector.Sink());
        reader.Watch(0, pair.reader, kLongForm);
        constexpr std::size_t kSent = DatagramReader::kBatchLimit + 44;
        for (std::size_t i = 0; i < kSent; ++i)
            QVERIFY(pair.Send(20, std::uint8_t(i)));
        // The sends wait for the reader now and then, so the first batch holds what it had read
        // when the socket ran dry: any number up to the limit.
        QTRY_VERIFY(collector.Count(0) > 0);
        QTest::qSleep(100);
        const std::size_t inHand = collector.Count(0);
        QVERIFY(inHand <= DatagramReader::kBatchLimit);
        QTest::qSleep(100);
        QCOMPARE(collector.Count(0), inHand);
        QCOMPARE(collector.batches, 1);
        const auto items = Take(collector, reader, 0, kSent);
        QCOMPARE(items.size(), kSent);
        QVERIFY(collector.batches >= 2 && collector.largestBatch <= DatagramReader::kBatchLimit);
        for (std::size_t i = 0; i < kSent; ++i)
            QCOMPARE(items[i].buffer[0], std::uint8_t(i));
        QCOMPARE(reader.QueueDrops(0), std::uint64_t(0));
    }

    // A trimmed socket's datagrams hold only their own bytes, and beyond kTrimmedBytesLimit of them
    // waiting further ones are dropped and counted: a flood of the largest datagrams costs
    // megabytes, not gigabytes.
    void trimmedDatagramsHoldTheirOwnBytes()
    {
        Pair pair;
        Collector collector;
        DatagramReader reader(collector.Sink());
        reader.Watch(1, pair.reader, 65536, true);
        QVERIFY(pair.Send(1200, 0x5a));
        const auto first = Take(collector, reader, 1, 1);
        QCOMPARE(first.size(), std::size_t(1));
        QCOMPARE(first[0].size, std::size_t(1200));
        QCOMPARE(first[0].buffer, std::vector<std::uint8_t>(1200, 0x5a));

        // Nothing is taken meanwhile: all but one batch waits with the reader.
        constexpr std::size_t kLarge = 60000;
        constexpr std::size_t kSent =
            DatagramReader::kBatchLimit + DatagramReader::kTrimmedBytesLimit / kLarge + 40;
        for (std::size_t i = 0; i < kSent; ++i)
            QVERIFY(pair.Send(kLarge, std::uint8_t(i)));
        QTRY_VERIFY(reader.QueueDrops(1) > 0);
        QTest::qSleep(50);
        const std::size_t kept = kSent - std::size_t(reader.QueueDrops(1));
        const auto items = Take(collector, reader, 1, kept);
        QCOMPARE(items.size(), kept);
        QVERIFY(kept * kLarge <= DatagramReader::kTrimmedBytesLimit + DatagramReader::kBatchLimit * kLarge);
        for (const ReceivedDatagram& item : items)
            QCOMPARE(item.buffer.size(), kLarge);
    }

    void pausedReaderLeavesTheSocketAlone()
    {
        Pair pair;
        Collector collector;
        DatagramReader reader(collector.Sink());
        reader.SetPaused(true);
        reader.Watch(2, pair.reader, kLongForm);
        QVERIFY(pair.Send(100, 0x77));
        QTest::qSleep(100);
        QCOMPARE(collector.Count(2), std::size_t(0));
        reader.SetPaused(false);
        QCOMPARE(Take(collector, reader, 2, 1).size(), std::size_t(1));
    }

    void slotsAreKeptApartAndStopForgets()
    {
        Pair first;
        Pair second;
        Collector collector;
        DatagramReader reader(collector.Sink());
        reader.Watch(0, first.reader, kLongForm);
        reader.Watch(2, second.reader, 366);
        QVERIFY(first.Send(5, 0x01));
        QVERIFY(second.Send(366, 0x02));
        const auto ipv6 = Take(collector, reader, 2, 1);
        QCOMPARE(ipv6.size(), std::size_t(1));
        QCOMPARE(ipv6[0].buffer.size(), std::size_t(366));
        QCOMPARE(ipv6[0].buffer.back(), std::uint8_t{0x02});
        QTRY_COMPARE(collector.Count(0), std::size_t(1));

        reader.Stop();
        QVERIFY(first.Send(5, 0x03));
        QTest::qSleep(50);
        QCOMPARE(collector.Count(0), std::size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestDatagramReader)
#include "tst_datagramreader.moc"
