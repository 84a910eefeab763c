// The engine over a fake channel and a hand-driven clock: each case is a short script of what the
// user and the devices do, and the log of what the engine said and sent, with the moment of each.

#include "devicelist/DeviceListColumns.h"
#include "devicelist/DeviceListModel.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "engine/DeviceEngine.h"
#include "engine/SettingResultText.h"
#include "tests/engine/FakeChannel.h"
#include "tests/engine/FakeClock.h"

#include <QTest>

using namespace Netrove;

namespace {

const char* ChannelName(DiscoveryChannel channel)
{
    switch (channel) {
    case DiscoveryChannel::Camera:
        return "camera";
    case DiscoveryChannel::Recorder:
        return "recorder";
    case DiscoveryChannel::IPv6:
        return "ipv6";
    }
    return "?";
}

DiscoveryChannel ChannelNamed(const QString& name)
{
    if (name == u"nvr"_qs || name == u"recorder"_qs)
        return DiscoveryChannel::Recorder;
    return name == u"ipv6"_qs ? DiscoveryChannel::IPv6 : DiscoveryChannel::Camera;
}

// A static setting request to one device, laid out as every setting request is.
std::vector<std::uint8_t> StaticRequest(const QString& mac, const QString& ip)
{
    constexpr PacketKind k = kSettingRequestLayout;
    std::vector<std::uint8_t> packet(LongFormSize(k), 0);
    WriteByte(k, packet, PacketField::Opcode, std::uint8_t(PacketOpcode::ApplySettings));
    WriteText(k, packet, PacketField::MacAddress, mac.toStdString());
    WriteText(k, packet, PacketField::IpAddress, ip.toStdString());
    return packet;
}

// A search request as it left: when, on which channel, its bytes.
struct SentSearch
{
    qint64 atMs = 0;
    DiscoveryChannel channel = DiscoveryChannel::Camera;
    std::vector<std::uint8_t> bytes;
};

// The engine, its fake surroundings and the log of what it said. A search's requests are logged as
// they leave with its "Scan Start..."; their repeats, and the searches of a watch, are in `searches`.
struct Bench
{
    FakeChannel* channel = nullptr;
    FakeClock* clock = nullptr;
    std::unique_ptr<DeviceEngine> engine;
    QStringList log;
    std::vector<SentSearch> searches;
    qint64 scanStartMs = -1;

    Bench()
    {
        auto fakeChannel = std::make_unique<FakeChannel>();
        auto fakeClock = std::make_unique<FakeClock>();
        channel = fakeChannel.get();
        clock = fakeClock.get();
        engine = std::make_unique<DeviceEngine>(std::move(fakeChannel), std::move(fakeClock));
        channel->onSent = [this](DiscoveryChannel sent, bool setting, std::span<const std::uint8_t> bytes) {
            if (!setting)
                searches.push_back({clock->NowMs(), sent, {bytes.begin(), bytes.end()}});
            if (setting || clock->NowMs() == scanStartMs)
                Note(QStringLiteral("> %1%2").arg(setting ? u"set "_qs : QString(),
                                                  QLatin1String(ChannelName(sent))));
        };
        DeviceEngine* e = engine.get();
        QObject::connect(e, &DeviceEngine::statusChanged, e, [this](const QString& text) {
            if (text == u"Scan Start..."_qs)
                scanStartMs = clock->NowMs();
            Note(text.trimmed().isEmpty() ? u"(blank)"_qs : text);
        });
        QObject::connect(e, &DeviceEngine::changeWaiting, e, [this](const QString& text) { Note(text); });
        QObject::connect(e, &DeviceEngine::searchSettled, e, [this] { Note(u"settled"_qs); });
        QObject::connect(e, &DeviceEngine::searchFinished, e, [this] { Note(u"finished"_qs); });
        QObject::connect(e, &DeviceEngine::settingApplied, e, [this] { Note(u"applied"_qs); });
        QObject::connect(e, &DeviceEngine::settingUnanswered, e, [this] { Note(u"unanswered"_qs); });
        QObject::connect(e, &DeviceEngine::batchChanged, e, [this](int index) {
            Note(QStringLiteral("batch %1 %2").arg(index).arg(engine->Batch()->Text(index)));
        });
        QObject::connect(e, &DeviceEngine::batchFinished, e, [this] { Note(u"batch done"_qs); });
        QObject::connect(e, &DeviceEngine::settingFailed, e,
                         [this](ReplyAction action) { Note(u"failed "_qs + SettingResultText(action)); });
        engine->Open();
    }

    void Note(const QString& what) { log << QStringLiteral("%1 %2").arg(clock->NowMs()).arg(what); }

    void Reply(DiscoveryChannel on, const ClientTag& tag, std::uint8_t opcode, const QString& mac = {},
               const QString& ip = {})
    {
        std::vector<ReceivedDatagram> batch;
        batch.push_back(FakeChannel::Datagram(on, tag, opcode, mac, ip));
        channel->Deliver(on, std::move(batch));
    }

    // One step of a case's script.
    void Run(const QString& step)
    {
        const QStringList words = step.split(QLatin1Char(' '));
        const QString& verb = words[0];
        const auto reply = std::uint8_t(PacketOpcode::SearchReply);
        if (verb == u"search"_qs) {
            engine->StartSearch();
        } else if (verb == u"wait"_qs) {
            clock->Advance(words[1].toInt());
        } else if (verb == u"camera"_qs || verb == u"ipv6"_qs || verb == u"nvr"_qs) {
            Reply(ChannelNamed(verb), engine->Tag(), reply, words[1], words[2]);
        } else if (verb == u"foreign"_qs) {
            ClientTag other{};
            other.fill(0x77);
            Reply(DiscoveryChannel::Camera, other, reply, words[1], words[2]);
        } else if (verb == u"result"_qs) {
            Reply(ChannelNamed(words[1]), engine->Tag(), std::uint8_t(words[2].toInt()), words.value(3));
        } else if (verb == u"batch"_qs) {
            // Devices 00:1A:2B:00:00:01 up, each to 192.168.1.201 up.
            std::vector<BatchItem> items;
            for (int i = 1; i <= words[1].toInt(); ++i) {
                const QString mac = QStringLiteral("00:1A:2B:00:00:%1").arg(i, 2, 10, QLatin1Char('0'));
                items.push_back(
                    {mac, true, StaticRequest(mac, QStringLiteral("192.168.1.%1").arg(200 + i)), {}});
            }
            engine->StartBatch(std::move(items));
        } else if (verb == u"cancel"_qs) {
            engine->CancelBatch();
        } else if (verb == u"close"_qs) {
            engine->Close();
        } else if (verb == u"choose"_qs) {
            SearchChoice choice{false, false, false, false};
            choice.camera = words.contains(u"camera"_qs);
            choice.nvr = words.contains(u"nvr"_qs);
            choice.ipv4 = words.contains(u"ipv4"_qs);
            choice.ipv6 = words.contains(u"ipv6"_qs);
            engine->SetSearchChoice(choice);
        } else if (verb == u"hold"_qs || verb == u"release"_qs) {
            engine->SetListHeld(verb == u"hold"_qs, words.mid(1));
        } else if (verb == u"keep"_qs) {
            engine->SetKeepSearching(true);
        } else if (verb == u"set"_qs) {
            std::vector<std::uint8_t> request = StaticRequest(words[1], words[2]);
            engine->SendCameraPacket(request);
        } else if (verb == u"drop"_qs) {
            channel->dropped += words[1].toULongLong();
        } else if (verb == u"gap"_qs) {
            clock->randomMs = words[1].toInt();
        } else if (verb == u"watch"_qs) {
            engine->SetChangeWaitMs(words[1].toInt());
        } else {
            QFAIL(qPrintable(u"no such step: "_qs + step));
        }
    }

    // When the search requests of a channel left.
    QList<qint64> SendTimes(DiscoveryChannel on) const
    {
        QList<qint64> times;
        for (const SentSearch& sent : searches) {
            if (sent.channel == on)
                times << sent.atMs;
        }
        return times;
    }

    // The rows as "MAC IP", and "IPv6" for a row of that kind, in the list's order.
    QStringList Rows() const
    {
        QStringList rows;
        for (int row = 0; row < engine->Rows().rowCount(); ++row) {
            rows << engine->Rows().Text(row, ColumnMac) + QLatin1Char(' ') +
                        engine->Rows().Text(row, ColumnIp);
            // Whether the row may be set and what a double-click opens follow its kind.
            if (engine->Rows().EntryAt(row)->kind == PacketKind::KindCameraIPv6)
                rows.last() += u" IPv6"_qs;
            // What a row of a device that stopped answering says of it, first of all.
            if (!Answering(*engine->Rows().EntryAt(row)))
                rows.last() += u", "_qs + engine->Rows()
                                              .index(row, ColumnMac)
                                              .data(Qt::AccessibleDescriptionRole)
                                              .toString()
                                              .section(u'\n', 0, 0);
        }
        return rows;
    }
};

const QString A = u"00:1A:2B:00:00:01"_qs;

} // namespace

class TestDeviceEngine final : public QObject
{
    Q_OBJECT

private slots:
    void scripts_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QStringList>("rows");

        const QStringList sent = {u"0 Scan Start..."_qs, u"0 > camera"_qs, u"0 > recorder"_qs,
                                  u"0 > ipv6"_qs};
        // The search cycle.
        QTest::newRow("nothing answers: Scan End after 3 s")
            << QStringList{u"search"_qs, u"wait 5000"_qs}
            << sent + QStringList{u"1600 settled"_qs, u"3000 Scan End"_qs, u"3000 finished"_qs}
            << QStringList{};
        QTest::newRow("three answer: counted, settled, no Scan End")
            << QStringList{u"search"_qs,
                           u"wait 100"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"wait 900"_qs,
                           u"ipv6 00:1A:2B:00:00:02 192.168.1.102"_qs,
                           u"nvr 00:1A:2B:00:00:03 192.168.1.103"_qs,
                           u"wait 4000"_qs}
            << sent + QStringList{u"100 Scan 1 Item"_qs, u"1000 Scan 2 Items"_qs, u"1000 Scan 3 Items"_qs,
                                  u"2400 settled"_qs, u"3000 finished"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs, u"00:1A:2B:00:00:02 192.168.1.102 IPv6"_qs,
                           u"00:1A:2B:00:00:03 192.168.1.103"_qs};
        QTest::newRow("the same count as the last search settles at once")
            << QStringList{u"search"_qs, u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs, u"wait 3000"_qs,
                           u"search"_qs, u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs, u"wait 900"_qs}
            << QStringList{u"0 Scan Start..."_qs, u"0 > camera"_qs,         u"0 > recorder"_qs,
                           u"0 > ipv6"_qs,        u"0 Scan 1 Item"_qs,      u"1600 settled"_qs,
                           u"3000 finished"_qs,   u"3000 Scan Start..."_qs, u"3000 > camera"_qs,
                           u"3000 > recorder"_qs, u"3000 > ipv6"_qs,        u"3000 Scan 1 Item"_qs,
                           u"3800 settled"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs};
        QTest::newRow("only the chosen channels are asked")
            << QStringList{u"choose nvr ipv6"_qs, u"search"_qs, u"choose camera ipv6"_qs, u"search"_qs}
            << QStringList{u"0 Scan Start..."_qs, u"0 Scan Start..."_qs, u"0 > ipv6"_qs} << QStringList{};
        QTest::newRow("lost answers are told once the count settles")
            << QStringList{u"search"_qs, u"drop 5"_qs, u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"wait 1700"_qs}
            << sent + QStringList{u"0 Scan 1 Item"_qs, u"1600 settled"_qs, u"1600 Scan 1 Item, 5 lost"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs};
        // Replies into rows.
        QTest::newRow("a second answer replaces the row of its MAC")
            << QStringList{u"search"_qs, u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"camera 00:1A:2B:00:00:02 192.168.1.102"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.201"_qs}
            << sent + QStringList{u"0 Scan 1 Item"_qs, u"0 Scan 2 Items"_qs, u"0 Scan 2 Items"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.201"_qs, u"00:1A:2B:00:00:02 192.168.1.102"_qs};
        // Whichever answer of a device heard over IPv4 and IPv6 comes last, its row is the IPv4 one.
        QTest::newRow("IPv4 answer, then IPv6: the IPv4 row stays")
            << QStringList{u"search"_qs, u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"ipv6 00:1A:2B:00:00:01 192.168.1.201"_qs}
            << sent + QStringList{u"0 Scan 1 Item"_qs, u"0 Scan 1 Item"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs};
        QTest::newRow("IPv6 answer, then IPv4: the IPv4 row takes its place")
            << QStringList{u"search"_qs, u"ipv6 00:1A:2B:00:00:01 192.168.1.201"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs}
            << sent + QStringList{u"0 Scan 1 Item"_qs, u"0 Scan 1 Item"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs};
        QTest::newRow("another instance's answer is not listed")
            << QStringList{u"search"_qs, u"foreign 00:1A:2B:00:00:01 192.168.1.101"_qs} << sent
            << QStringList{};
        QTest::newRow("an unchecked device box drops its answers")
            << QStringList{u"choose nvr ipv4"_qs, u"search"_qs, u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"nvr 00:1A:2B:00:00:03 192.168.1.103"_qs}
            << QStringList{u"0 Scan Start..."_qs, u"0 > recorder"_qs, u"0 Scan 1 Item"_qs}
            << QStringList{u"00:1A:2B:00:00:03 192.168.1.103"_qs};
        QTest::newRow("a held row keeps the list; the cycle ends without Scan End")
            << QStringList{u"search"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"hold"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.250"_qs,
                           u"nvr 00:1A:2B:00:00:03 192.168.1.103"_qs,
                           u"wait 5000"_qs,
                           u"release"_qs,
                           u"nvr 00:1A:2B:00:00:03 192.168.1.103"_qs}
            << sent + QStringList{u"0 Scan 1 Item"_qs, u"1600 settled"_qs, u"5000 Scan 2 Items"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs, u"00:1A:2B:00:00:03 192.168.1.103"_qs};
        QTest::newRow("a search lets go of a held list")
            << QStringList{u"hold"_qs, u"search"_qs, u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs}
            << sent + QStringList{u"0 Scan 1 Item"_qs} << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs};
        // Keep searching: a round every 15 s that keeps the list and tells who stopped answering.
        const QStringList twoListed = {u"choose camera ipv4"_qs, u"search"_qs,
                                       u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                                       u"camera 00:1A:2B:00:00:02 192.168.1.102"_qs, u"keep"_qs};
        const QStringList twoCounted = {u"0 Scan Start..."_qs, u"0 > camera"_qs,   u"0 Scan 1 Item"_qs,
                                        u"0 Scan 2 Items"_qs,  u"1600 settled"_qs, u"3000 finished"_qs};
        QStringList rounds;
        for (int round = 0; round < 3; ++round)
            rounds << u"wait 15000"_qs << u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs;
        QTest::newRow("three rounds missed: not answering; an answer, and it is back")
            << twoListed + rounds + QStringList{u"wait 3000"_qs}
            << twoCounted + QStringList{u"15000 Scan 2 Items"_qs, u"18000 Scan 2 Items"_qs,
                                        u"30000 Scan 2 Items"_qs, u"33000 Scan 2 Items"_qs,
                                        u"45000 Scan 2 Items"_qs, u"48000 Scan 2 Items, 1 not answering"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"00:1A:2B:00:00:02 192.168.1.102, Not answering since 10:42:00"_qs};
        QTest::newRow("a device not answering is back at its next answer")
            << twoListed + rounds + QStringList{u"wait 3000"_qs, u"camera 00:1A:2B:00:00:02 192.168.1.102"_qs}
            << twoCounted + QStringList{u"15000 Scan 2 Items"_qs, u"18000 Scan 2 Items"_qs,
                                        u"30000 Scan 2 Items"_qs, u"33000 Scan 2 Items"_qs,
                                        u"45000 Scan 2 Items"_qs, u"48000 Scan 2 Items, 1 not answering"_qs,
                                        u"48000 Scan 2 Items"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs, u"00:1A:2B:00:00:02 192.168.1.102"_qs};
        QTest::newRow("keep searching: a held row stays, the others are updated and added")
            << twoListed + QStringList{u"hold 00:1A:2B:00:00:01"_qs, u"wait 15000"_qs,
                                       u"camera 00:1A:2B:00:00:01 192.168.1.201"_qs,
                                       u"camera 00:1A:2B:00:00:02 192.168.1.202"_qs,
                                       u"camera 00:1A:2B:00:00:03 192.168.1.203"_qs}
            << twoCounted.mid(0, 5) +
                   QStringList{u"15000 Scan 2 Items"_qs, u"15000 Scan 2 Items"_qs, u"15000 Scan 3 Items"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs, u"00:1A:2B:00:00:02 192.168.1.202"_qs,
                           u"00:1A:2B:00:00:03 192.168.1.203"_qs};
        // Results, acted on only while a request awaits them.
        QTest::newRow("a result nobody asked for is not acted on")
            << QStringList{u"result camera 22"_qs, u"result nvr 33"_qs, u"result camera 55"_qs}
            << QStringList{} << QStringList{};
        QTest::newRow("a failure is told, and so is the next")
            << QStringList{u"set 00:1A:2B:00:00:01 192.168.1.201"_qs, u"wait 100"_qs, u"result camera 33"_qs,
                           u"result nvr 99"_qs}
            << QStringList{u"0 > set camera"_qs, u"100 failed Invalid Password!"_qs, u"100 failed Error!"_qs}
            << QStringList{};
        QTest::newRow("after 10 s results no longer count")
            << QStringList{u"set 00:1A:2B:00:00:01 192.168.1.201"_qs, u"wait 10000"_qs,
                           u"result camera 22"_qs}
            << QStringList{u"0 > set camera"_qs, u"10000 unanswered"_qs} << QStringList{};
        QTest::newRow("the first success searches again, the second counts no more")
            << QStringList{u"set 00:1A:2B:00:00:01 192.168.1.201"_qs, u"wait 100"_qs, u"result camera 22"_qs,
                           u"result camera 22"_qs, u"result camera 33"_qs}
            << QStringList{u"0 > set camera"_qs,
                           u"100 applied"_qs,
                           u"100 (blank)"_qs,
                           u"100 Scan Start..."_qs,
                           u"100 > camera"_qs,
                           u"100 > recorder"_qs,
                           u"100 > ipv6"_qs,
                           u"100 Waiting for 00:1A:2B:00:00:01 at 192.168.1.201\u2026 0 s"_qs}
            << QStringList{};
        // The check of a change, in the search after its success.
        const QStringList applied = {u"0 > set camera"_qs,  u"0 applied"_qs,  u"0 (blank)"_qs,
                                     u"0 Scan Start..."_qs, u"0 > camera"_qs, u"0 > recorder"_qs,
                                     u"0 > ipv6"_qs};
        const QString waiting = u"Waiting for 00:1A:2B:00:00:01 at 192.168.1.201\u2026 %1 s"_qs;
        const auto waited = [&waiting](int fromS, int toS) {
            QStringList lines;
            for (int second = fromS; second <= toS; ++second)
                lines << QStringLiteral("%1 ").arg(second * 1000) + waiting.arg(second);
            return lines;
        };
        QTest::newRow("now at the address it was sent")
            << QStringList{u"set 00:1A:2B:00:00:01 192.168.1.201"_qs, u"result camera 44"_qs, u"wait 500"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.201"_qs, u"wait 4000"_qs}
            << applied + waited(0, 0) +
                   QStringList{u"500 00:1A:2B:00:00:01 now at 192.168.1.201"_qs, u"1600 settled"_qs,
                               u"3000 finished"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.201"_qs};
        // A camera may answer once with its old address before it restarts to take the new one.
        QTest::newRow("the old address first, the new one after a restart")
            << QStringList{u"set 00:1A:2B:00:00:01 192.168.1.201"_qs,    u"result camera 22"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.64"_qs,  u"wait 4500"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.201"_qs, u"wait 3000"_qs}
            << applied + waited(0, 1) + QStringList{u"1600 settled"_qs} + waited(2, 2) +
                   QStringList{u"3000 finished"_qs} + waited(3, 4) +
                   QStringList{u"4500 00:1A:2B:00:00:01 now at 192.168.1.201"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.201"_qs};
        QTest::newRow("only ever another address: told at the wait's end")
            << QStringList{u"watch 5000"_qs, u"set 00:1A:2B:00:00:01 192.168.1.201"_qs,
                           u"result camera 22"_qs, u"camera 00:1A:2B:00:00:01 192.168.1.64"_qs,
                           u"wait 6000"_qs}
            << applied + waited(0, 1) + QStringList{u"1600 settled"_qs} + waited(2, 2) +
                   QStringList{u"3000 finished"_qs} + waited(3, 4) +
                   QStringList{u"5000 00:1A:2B:00:00:01 answered with 192.168.1.64, not 192.168.1.201"_qs}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.64"_qs};
        QTest::newRow("did not answer after the change")
            << QStringList{u"watch 3000"_qs, u"set 00:1A:2B:00:00:01 192.168.1.201"_qs,
                           u"result camera 22"_qs, u"camera 00:1A:2B:00:00:02 192.168.1.102"_qs,
                           u"wait 4000"_qs}
            << applied + waited(0, 1) + QStringList{u"1600 settled"_qs} + waited(2, 2) +
                   QStringList{u"3000 finished"_qs,
                               u"3000 00:1A:2B:00:00:01 did not answer after the change"_qs}
            << QStringList{u"00:1A:2B:00:00:02 192.168.1.102"_qs};
        QTest::newRow("searching again ends the wait without a word")
            << QStringList{u"set 00:1A:2B:00:00:01 192.168.1.201"_qs, u"result camera 22"_qs, u"wait 1500"_qs,
                           u"search"_qs, u"wait 100000"_qs}
            << applied + waited(0, 1) + QStringList{u"1500 Scan Start..."_qs, u"1500 > camera"_qs,
                                                    u"1500 > recorder"_qs,    u"1500 > ipv6"_qs,
                                                    u"2300 settled"_qs,       u"3000 Scan End"_qs,
                                                    u"3000 finished"_qs}
            << QStringList{};
    }

    void initTestCase()
    {
        // The rows' times of day are told as this computer's clock has them.
        qputenv("TZ", "UTC");
        tzset();
    }

    void scripts()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, log);
        QFETCH(QStringList, rows);
        Bench bench;
        for (const QString& step : steps)
            bench.Run(step);
        QCOMPARE(bench.log, log);
        QCOMPARE(bench.Rows(), rows);
    }

    // When a search's requests leave: the same bytes each time, at least three times, more while
    // new devices still answer.
    void sendSchedule_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<qint64>>("sends");
        QTest::addColumn<QStringList>("rows");
        const QString camera = u"choose camera ipv4"_qs;
        QTest::newRow("a clean network: three sends, the gap random, then twice it")
            << QStringList{camera,
                           u"gap 120"_qs,
                           u"search"_qs,
                           u"wait 10"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"wait 3000"_qs}
            << QList<qint64>{0, 120, 360} << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs};
        QTest::newRow("someone new after the third send: again, the gap doubling to 500 ms")
            << QStringList{camera,
                           u"gap 200"_qs,
                           u"search"_qs,
                           u"wait 700"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"wait 500"_qs,
                           u"camera 00:1A:2B:00:00:02 192.168.1.102"_qs,
                           u"wait 3000"_qs}
            << QList<qint64>{0, 200, 600, 1100, 1600}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs, u"00:1A:2B:00:00:02 192.168.1.102"_qs};
        QTest::newRow("at most six sends, within the search's 3 s")
            << QStringList{camera,
                           u"gap 250"_qs,
                           u"search"_qs,
                           u"wait 800"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"wait 500"_qs,
                           u"camera 00:1A:2B:00:00:02 192.168.1.102"_qs,
                           u"wait 500"_qs,
                           u"camera 00:1A:2B:00:00:03 192.168.1.103"_qs,
                           u"wait 500"_qs,
                           u"camera 00:1A:2B:00:00:04 192.168.1.104"_qs,
                           u"wait 3000"_qs}
            << QList<qint64>{0, 250, 750, 1250, 1750, 2250}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs, u"00:1A:2B:00:00:02 192.168.1.102"_qs,
                           u"00:1A:2B:00:00:03 192.168.1.103"_qs, u"00:1A:2B:00:00:04 192.168.1.104"_qs};
        QTest::newRow("a device heard again is nobody new")
            << QStringList{camera,         u"search"_qs,
                           u"wait 350"_qs, u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"wait 400"_qs, u"camera 00:1A:2B:00:00:01 192.168.1.101"_qs,
                           u"wait 3000"_qs}
            << QList<qint64>{0, 100, 300, 700} << QStringList{u"00:1A:2B:00:00:01 192.168.1.101"_qs};
        QTest::newRow("Search again starts the sends over")
            << QStringList{camera, u"search"_qs, u"wait 150"_qs, u"search"_qs, u"wait 3000"_qs}
            << QList<qint64>{0, 100, 150, 250, 450} << QStringList{};
        QTest::newRow("closing stops them") << QStringList{camera, u"search"_qs, u"close"_qs, u"wait 3000"_qs}
                                            << QList<qint64>{0} << QStringList{};
        // After a success, a search every 3 s, each with its sends; the list is emptied once.
        QTest::newRow("the wait for a changed device")
            << QStringList{camera,
                           u"watch 7000"_qs,
                           u"set 00:1A:2B:00:00:01 192.168.1.201"_qs,
                           u"result camera 22"_qs,
                           u"camera 00:1A:2B:00:00:01 192.168.1.64"_qs,
                           u"wait 10000"_qs}
            << QList<qint64>{0, 100, 300, 3000, 3100, 3300, 6000, 6100, 6300}
            << QStringList{u"00:1A:2B:00:00:01 192.168.1.64"_qs};
    }

    void sendSchedule()
    {
        QFETCH(QStringList, steps);
        QFETCH(QList<qint64>, sends);
        QFETCH(QStringList, rows);
        Bench bench;
        for (const QString& step : steps)
            bench.Run(step);
        QCOMPARE(bench.SendTimes(DiscoveryChannel::Camera), sends);
        QCOMPARE(bench.Rows(), rows);
        // Each send is the same request, the instance's tag unchanged.
        for (const SentSearch& sent : bench.searches)
            QVERIFY(sent.bytes == bench.searches.front().bytes);
    }

    void batches_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("log");
        const QString a = u"00:1A:2B:00:00:01"_qs, b = u"00:1A:2B:00:00:02"_qs;
        const QStringList search = {u"Scan Start..."_qs, u"> camera"_qs, u"> recorder"_qs, u"> ipv6"_qs};
        const auto at = [](int ms, const QStringList& lines) {
            QStringList timed;
            for (const QString& line : lines)
                timed << QStringLiteral("%1 %2").arg(ms).arg(line);
            return timed;
        };
        const QString waitingB = u"Waiting for 00:1A:2B:00:00:02 at 192.168.1.202\u2026 %1 s"_qs;
        QTest::newRow("results by MAC, then the devices are watched until each is back")
            << QStringList{u"batch 2"_qs,
                           u"wait 50"_qs,
                           u"result camera 22 "_qs + b,
                           u"result camera 44 "_qs + a,
                           u"wait 100"_qs,
                           u"camera "_qs + a + u" 192.168.1.201"_qs,
                           u"camera "_qs + b + u" 192.168.1.64"_qs,
                           u"wait 2000"_qs,
                           u"camera "_qs + b + u" 192.168.1.202"_qs,
                           u"wait 5000"_qs}
            << at(0, {u"> set camera"_qs, u"> set camera"_qs}) +
                   at(50, QStringList{u"batch 1 Applied"_qs, u"batch 0 Applied"_qs,
                                      u"batch 0 waiting\u2026"_qs, u"batch 1 waiting\u2026"_qs} +
                              search + QStringList{u"Waiting for 2 devices\u2026 0 s"_qs}) +
                   at(150, {u"batch 0 now at 192.168.1.201"_qs}) + at(1050, {waitingB.arg(1)}) +
                   at(1650, {u"settled"_qs}) + at(2050, {waitingB.arg(2)}) +
                   at(2150, {u"batch 1 now at 192.168.1.202"_qs, u"Scan 2 Items"_qs, u"batch done"_qs,
                             u"Scan 2 Items"_qs}) +
                   at(3050, {u"finished"_qs});
        QTest::newRow("only ever the old address: told at the wait's end")
            << QStringList{u"watch 2000"_qs, u"batch 1"_qs, u"result camera 22 "_qs + a,
                           u"camera "_qs + a + u" 192.168.1.64"_qs, u"wait 2000"_qs}
            << at(0, QStringList{u"> set camera"_qs, u"batch 0 Applied"_qs, u"batch 0 waiting\u2026"_qs} +
                         search +
                         QStringList{u"Waiting for 00:1A:2B:00:00:01 at 192.168.1.201\u2026 0 s"_qs}) +
                   at(1000, {u"Waiting for 00:1A:2B:00:00:01 at 192.168.1.201\u2026 1 s"_qs}) +
                   at(1600, {u"settled"_qs}) +
                   at(2000, {u"batch 0 answered with 192.168.1.64, not 192.168.1.201"_qs, u"Scan 1 Item"_qs,
                             u"batch done"_qs});
        QTest::newRow("Cancel during the check: each device told as it stands")
            << QStringList{u"batch 2"_qs, u"result camera 22 "_qs + a, u"result camera 22 "_qs + b,
                           u"camera "_qs + a + u" 192.168.1.64"_qs, u"cancel"_qs}
            << at(0, QStringList{u"> set camera"_qs, u"> set camera"_qs, u"batch 0 Applied"_qs,
                                 u"batch 1 Applied"_qs, u"batch 0 waiting\u2026"_qs,
                                 u"batch 1 waiting\u2026"_qs} +
                         search +
                         QStringList{u"Waiting for 2 devices\u2026 0 s"_qs,
                                     u"batch 0 answered with 192.168.1.64, not 192.168.1.201"_qs,
                                     u"batch 1 did not answer after the change"_qs, u"Scan 1 Item"_qs,
                                     u"batch done"_qs});
        QTest::newRow("at most eight await their results")
            << QStringList{u"batch 10"_qs, u"result camera 55 00:1A:2B:00:00:03"_qs}
            << QStringList(8, u"0 > set camera"_qs) +
                   QStringList{u"0 batch 2 Port Mapping Error"_qs, u"0 > set camera"_qs};
        QTest::newRow("after Invalid Password! nothing more is sent")
            << QStringList{u"batch 10"_qs, u"wait 100"_qs, u"result camera 33 00:1A:2B:00:00:01"_qs,
                           u"wait 10000"_qs}
            << QStringList(8, u"0 > set camera"_qs) +
                   at(100,
                      {u"batch 0 Invalid Password!"_qs, u"batch 8 Not sent"_qs, u"batch 9 Not sent"_qs}) +
                   at(10000, {u"batch 1 No result"_qs, u"batch 2 No result"_qs, u"batch 3 No result"_qs,
                              u"batch 4 No result"_qs, u"batch 5 No result"_qs, u"batch 6 No result"_qs,
                              u"batch 7 No result"_qs, u"batch done"_qs});
        QTest::newRow("a result of a device not awaiting one is not acted on")
            << QStringList{u"batch 1"_qs, u"result camera 22 "_qs + b, u"result camera 22"_qs, u"cancel"_qs}
            << QStringList{u"0 > set camera"_qs};
        const QString waitingA = u"Waiting for 00:1A:2B:00:00:01 at 192.168.1.201\u2026 %1 s"_qs;
        QTest::newRow("cancelled: nothing more sent; silent after the change")
            << QStringList{u"watch 3000"_qs, u"batch 9"_qs,  u"cancel"_qs, u"result camera 22 "_qs + a,
                           u"wait 10000"_qs, u"wait 3000"_qs}
            << QStringList(8, u"0 > set camera"_qs) +
                   QStringList{u"0 batch 8 Not sent"_qs, u"0 batch 0 Applied"_qs} +
                   at(10000, {u"batch 1 No result"_qs, u"batch 2 No result"_qs, u"batch 3 No result"_qs,
                              u"batch 4 No result"_qs, u"batch 5 No result"_qs, u"batch 6 No result"_qs,
                              u"batch 7 No result"_qs, u"batch 0 waiting\u2026"_qs}) +
                   at(10000, search + QStringList{waitingA.arg(0)}) + at(11000, {waitingA.arg(1)}) +
                   at(11600, {u"settled"_qs}) + at(12000, {waitingA.arg(2)}) +
                   at(13000, {u"finished"_qs, u"batch 0 did not answer after the change"_qs, u"Scan End"_qs,
                              u"batch done"_qs});
    }

    void batches()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, log);
        Bench bench;
        for (const QString& step : steps)
            bench.Run(step);
        QVERIFY2(bench.log == log, qPrintable(bench.log.join(u'|')));
    }

    // A failure that a front end answers with a message box (an event loop of its own) is told only
    // once its batch is listed, so the batch is never left half done.
    void failuresAreToldAfterTheirBatch()
    {
        Bench bench;
        std::vector<std::uint8_t> request = StaticRequest(A, u"192.168.1.201"_qs);
        bench.engine->SendCameraPacket(request);
        int rowsWhenTold = -1;
        QObject::connect(bench.engine.get(), &DeviceEngine::settingFailed, bench.engine.get(),
                         [&] { rowsWhenTold = bench.engine->Rows().rowCount(); });
        std::vector<ReceivedDatagram> batch;
        const ClientTag& tag = bench.engine->Tag();
        batch.push_back(FakeChannel::Datagram(DiscoveryChannel::Camera, tag, 33));
        batch.push_back(FakeChannel::Datagram(DiscoveryChannel::Camera, tag, 11, A, u"192.168.1.101"_qs));
        bench.channel->Deliver(DiscoveryChannel::Camera, std::move(batch));
        QCOMPARE(rowsWhenTold, 1);
    }
};

QTEST_GUILESS_MAIN(TestDeviceEngine)

#include "tst_deviceengine.moc"
