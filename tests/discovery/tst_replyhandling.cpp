#include "discovery/ClientTagMaker.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "discovery/ReplyHandling.h"

#include <QTest>

#include <sys/socket.h>

using namespace Netrove;

Q_DECLARE_METATYPE(Netrove::ReplyChannel)
Q_DECLARE_METATYPE(Netrove::ReplyAction)

namespace {

const ClientTag kOwnTag = MakeClientTag(7, HardwareAddress{2, 0, 0, 0, 0, 1});

enum class TagChoice
{
    Own,
    Zero,
    Foreign,
};

// A received datagram as the channel stores it: its long form, zero past the received bytes.
std::vector<std::uint8_t> Datagram(ReplyChannel channel, std::uint8_t op, TagChoice tag, std::size_t received)
{
    const PacketKind kind = ChannelKind(channel);
    std::vector<std::uint8_t> buffer(LongFormSize(kind), 0);
    WriteByte(kind, buffer, PacketField::Opcode, op);
    ClientTag written{};
    if (tag == TagChoice::Own)
        written = kOwnTag;
    else if (tag == TagChoice::Foreign)
        written.fill(0x77);
    WriteClientTag(kind, buffer, written);
    WriteText(kind, buffer, PacketField::MacAddress, "00:11:22:33:44:55");
    std::fill(buffer.begin() + std::min(received, buffer.size()), buffer.end(), 0);
    return buffer;
}

} // namespace

class TestReplyHandling final : public QObject
{
    Q_OBJECT

private slots:
    void classify_data();
    void classify();
    void everyOpcodeOnEveryChannel();
    void unaskedResults_data();
    void unaskedResults();
    void datagramSizes_data();
    void datagramSizes();
    void aliasRules_data();
    void aliasRules();
    void rowTexts();
    void textsFillingTheirFields();
};

void TestReplyHandling::classify_data()
{
    QTest::addColumn<ReplyChannel>("channel");
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("tag");
    QTest::addColumn<int>("family");
    QTest::addColumn<bool>("cameraBox");
    QTest::addColumn<bool>("nvrBox");
    QTest::addColumn<bool>("ipv4");
    QTest::addColumn<bool>("ipv6");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<ReplyAction>("action");

    const int own = int(TagChoice::Own), zero = int(TagChoice::Zero), foreign = int(TagChoice::Foreign);
    const auto cam = ReplyChannel::Camera, v6 = ReplyChannel::IPv6, nvr = ReplyChannel::Recorder;
    const int in4 = AF_INET, in6 = AF_INET6;
    using A = ReplyAction;
    // clang-format off
    QTest::newRow("camera reply")              << cam << 11 << own     << in4 << true  << true  << true  << true  << false << A::AddRow;
    QTest::newRow("untagged reply accepted")   << cam << 11 << zero    << in4 << true  << true  << true  << true  << false << A::AddRow;
    QTest::newRow("foreign reply dropped")     << cam << 11 << foreign << in4 << true  << true  << true  << true  << false << A::Drop;
    QTest::newRow("wrong family dropped")      << cam << 11 << own     << in6 << true  << true  << true  << true  << false << A::Drop;
    QTest::newRow("camera box off")            << cam << 11 << own     << in4 << false << true  << true  << true  << false << A::Drop;
    QTest::newRow("IPv4 off")                  << cam << 11 << own     << in4 << true  << true  << false << true  << false << A::Drop;
    QTest::newRow("row selected")              << cam << 11 << own     << in4 << true  << true  << true  << true  << true  << A::Drop;
    QTest::newRow("IPv6 reply")                << v6  << 11 << own     << in6 << true  << true  << true  << true  << false << A::AddRow;
    QTest::newRow("IPv6 reply, IPv6 off")      << v6  << 11 << own     << in6 << true  << true  << true  << false << false << A::Drop;
    QTest::newRow("IPv6 reply, camera box off")<< v6  << 11 << own     << in6 << false << true  << true  << true  << false << A::AddRow;
    QTest::newRow("IPv6 from IPv4 sender")     << v6  << 11 << own     << in4 << true  << true  << true  << true  << false << A::Drop;
    QTest::newRow("recorder reply")            << nvr << 11 << own     << in4 << true  << true  << true  << true  << false << A::AddRow;
    QTest::newRow("recorder, NVR box off")     << nvr << 11 << own     << in4 << true  << false << true  << true  << false << A::Drop;
    QTest::newRow("recorder, IPv4 off")        << nvr << 11 << own     << in4 << true  << true  << false << true  << false << A::Drop;
    QTest::newRow("applied")                   << cam << 22 << own     << in4 << true  << true  << true  << true  << false << A::SettingApplied;
    QTest::newRow("applied with details")      << nvr << 44 << own     << in4 << true  << true  << true  << true  << false << A::SettingApplied;
    QTest::newRow("applied while selected")    << cam << 22 << own     << in4 << true  << true  << true  << true  << true  << A::SettingApplied;
    QTest::newRow("applied, IPv4 off")         << cam << 22 << own     << in4 << true  << true  << false << true  << false << A::SettingApplied;
    QTest::newRow("foreign result")            << cam << 22 << foreign << in4 << true  << true  << true  << true  << false << A::Drop;
    QTest::newRow("untagged result")           << cam << 33 << zero    << in4 << true  << true  << true  << true  << false << A::InvalidPassword;
    QTest::newRow("camera result, box off")    << cam << 33 << own     << in4 << false << true  << true  << true  << false << A::Drop;
    QTest::newRow("IPv6 result, box off")      << v6  << 33 << own     << in6 << false << true  << true  << true  << false << A::InvalidPassword;
    QTest::newRow("port mapping error")        << cam << 55 << own     << in4 << true  << true  << true  << true  << false << A::PortMappingError;
    QTest::newRow("router connect error")      << nvr << 66 << own     << in4 << true  << true  << true  << true  << false << A::RouterConnectError;
    QTest::newRow("recorder unknown result")   << nvr << 99 << own     << in4 << true  << true  << true  << true  << false << A::UnknownResult;
    QTest::newRow("camera unknown result")     << cam << 99 << own     << in4 << true  << true  << true  << true  << false << A::Drop;
    QTest::newRow("IPv6 unknown result")       << v6  << 99 << own     << in6 << true  << true  << true  << true  << false << A::Drop;
    // clang-format on
}

void TestReplyHandling::classify()
{
    QFETCH(ReplyChannel, channel);
    QFETCH(int, op);
    QFETCH(int, tag);
    QFETCH(int, family);
    QFETCH(bool, cameraBox);
    QFETCH(bool, nvrBox);
    QFETCH(bool, ipv4);
    QFETCH(bool, ipv6);
    QFETCH(bool, selected);
    QFETCH(ReplyAction, action);
    const std::size_t size = LongFormSize(ChannelKind(channel));
    const auto buffer = Datagram(channel, std::uint8_t(op), TagChoice(tag), size);
    const ReplyFilter filter{cameraBox, nvrBox, ipv4, ipv6, selected, kOwnTag, true};
    QCOMPARE(ClassifyReply(channel, buffer, size, family, filter), action);
}

// No opcode crashes or reads past the buffer; only the known ones lead anywhere.
void TestReplyHandling::everyOpcodeOnEveryChannel()
{
    const ReplyFilter filter{true, true, true, true, false, kOwnTag, true};
    for (ReplyChannel channel : {ReplyChannel::Camera, ReplyChannel::IPv6, ReplyChannel::Recorder}) {
        const std::size_t size = LongFormSize(ChannelKind(channel));
        for (int op = 0; op < 256; ++op) {
            const auto buffer = Datagram(channel, std::uint8_t(op), TagChoice::Own, size);
            const ReplyAction action = ClassifyReply(channel, buffer, size, ChannelFamily(channel), filter);
            const bool known = op == 11 || op == 22 || op == 33 || op == 44 || op == 55 || op == 66;
            if (!known) {
                const ReplyAction expected =
                    channel == ReplyChannel::Recorder ? ReplyAction::UnknownResult : ReplyAction::Drop;
                QVERIFY2(action == expected, qPrintable(QStringLiteral("op %1").arg(op)));
            } else {
                QVERIFY2(action != ReplyAction::Drop && action != ReplyAction::UnknownResult,
                         qPrintable(QStringLiteral("op %1").arg(op)));
            }
        }
    }
}

// Results count only while this window's setting request awaits one: a forged "applied" must not
// make the window search again, whoever sends it and whatever tag it carries.
void TestReplyHandling::unaskedResults_data()
{
    QTest::addColumn<ReplyChannel>("channel");
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("tag");
    QTest::addColumn<ReplyAction>("action");
    const int own = int(TagChoice::Own), zero = int(TagChoice::Zero), foreign = int(TagChoice::Foreign);
    const auto cam = ReplyChannel::Camera, v6 = ReplyChannel::IPv6, nvr = ReplyChannel::Recorder;
    using A = ReplyAction;
    QTest::newRow("applied") << cam << 22 << own << A::UnaskedResult;
    QTest::newRow("applied with details") << nvr << 44 << own << A::UnaskedResult;
    QTest::newRow("invalid password") << v6 << 33 << own << A::UnaskedResult;
    QTest::newRow("untagged invalid password") << cam << 33 << zero << A::UnaskedResult;
    QTest::newRow("port mapping error") << cam << 55 << own << A::UnaskedResult;
    QTest::newRow("router connect error") << nvr << 66 << own << A::UnaskedResult;
    QTest::newRow("recorder unknown result") << nvr << 99 << own << A::UnaskedResult;
    QTest::newRow("camera unknown result") << cam << 99 << own << A::Drop;
    QTest::newRow("foreign result") << cam << 22 << foreign << A::Drop;
    QTest::newRow("search reply still listed") << cam << 11 << own << A::AddRow;
    QTest::newRow("recorder search reply still listed") << nvr << 11 << own << A::AddRow;
}

void TestReplyHandling::unaskedResults()
{
    QFETCH(ReplyChannel, channel);
    QFETCH(int, op);
    QFETCH(int, tag);
    QFETCH(ReplyAction, action);
    const std::size_t size = LongFormSize(ChannelKind(channel));
    const auto buffer = Datagram(channel, std::uint8_t(op), TagChoice(tag), size);
    ReplyFilter filter{true, true, true, true, false, kOwnTag};
    QVERIFY(!filter.settingOutstanding); // nothing awaits a result unless the window says so
    QCOMPARE(ClassifyReply(channel, buffer, size, ChannelFamily(channel), filter), action);
}

void TestReplyHandling::datagramSizes_data()
{
    QTest::addColumn<ReplyChannel>("channel");
    QTest::addColumn<int>("received");
    QTest::addColumn<int>("op");
    QTest::addColumn<ReplyAction>("action");
    const auto cam = ReplyChannel::Camera, nvr = ReplyChannel::Recorder, v6 = ReplyChannel::IPv6;
    using A = ReplyAction;
    QTest::newRow("camera 0 bytes") << cam << 0 << 11 << A::Drop;
    QTest::newRow("camera 1 byte") << cam << 1 << 11 << A::Drop;
    QTest::newRow("camera 18 bytes, tag cut") << cam << 18 << 33 << A::Drop;
    QTest::newRow("camera 19 bytes, opcode and tag") << cam << 19 << 33 << A::InvalidPassword;
    QTest::newRow("camera 19-byte search reply") << cam << 19 << 11 << A::AddRow;
    QTest::newRow("camera 261") << cam << 261 << 11 << A::AddRow;
    QTest::newRow("camera 262") << cam << 262 << 11 << A::AddRow;
    QTest::newRow("camera 263") << cam << 263 << 11 << A::AddRow;
    QTest::newRow("camera 326") << cam << 326 << 11 << A::AddRow;
    QTest::newRow("recorder 0 bytes") << nvr << 0 << 99 << A::Drop;
    QTest::newRow("recorder 22 bytes, tag cut") << nvr << 22 << 99 << A::Drop;
    QTest::newRow("recorder 23 bytes") << nvr << 23 << 99 << A::UnknownResult;
    QTest::newRow("recorder 262") << nvr << 262 << 11 << A::AddRow;
    QTest::newRow("recorder 334") << nvr << 334 << 11 << A::AddRow;
    QTest::newRow("IPv6 18 bytes") << v6 << 18 << 11 << A::Drop;
    QTest::newRow("IPv6 302") << v6 << 302 << 11 << A::AddRow;
    QTest::newRow("IPv6 366") << v6 << 366 << 11 << A::AddRow;
}

void TestReplyHandling::datagramSizes()
{
    QFETCH(ReplyChannel, channel);
    QFETCH(int, received);
    QFETCH(int, op);
    QFETCH(ReplyAction, action);
    const auto buffer = Datagram(channel, std::uint8_t(op), TagChoice::Own, std::size_t(received));
    const ReplyFilter filter{true, true, true, true, false, kOwnTag, true};
    QCOMPARE(ClassifyReply(channel, buffer, std::size_t(received), ChannelFamily(channel), filter), action);
}

void TestReplyHandling::aliasRules_data()
{
    QTest::addColumn<ReplyChannel>("channel");
    QTest::addColumn<int>("received");
    QTest::addColumn<QByteArray>("alias");
    const auto cam = ReplyChannel::Camera, nvr = ReplyChannel::Recorder, v6 = ReplyChannel::IPv6;
    QTest::newRow("camera full alias of 65") << cam << 326 << QByteArray(63, 'a');
    QTest::newRow("camera short reply") << cam << 262 << QByteArray("N/A");
    QTest::newRow("camera one byte short") << cam << 325 << QByteArray("N/A");
    QTest::newRow("IPv6 full") << v6 << 366 << QByteArray(63, 'a');
    QTest::newRow("IPv6 short") << v6 << 302 << QByteArray("N/A");
    QTest::newRow("recorder full alias of 68") << nvr << 334 << QByteArray(67, 'a');
    QTest::newRow("recorder short") << nvr << 300 << QByteArray("N/A");
}

void TestReplyHandling::aliasRules()
{
    QFETCH(ReplyChannel, channel);
    QFETCH(int, received);
    QFETCH(QByteArray, alias);
    const PacketKind kind = ChannelKind(channel);
    std::vector<std::uint8_t> buffer(LongFormSize(kind), 'a');
    const DeviceRowTexts texts =
        PrepareSearchReply(channel, buffer, std::size_t(received), ChannelFamily(channel));
    QCOMPARE(QByteArray::fromStdString(texts.alias), alias);
    QCOMPARE(QByteArray::fromStdString(ReadText(kind, buffer, PacketField::Alias)), alias);
    if (received != int(LongFormSize(kind)))
        QVERIFY(IsShortReply(kind, buffer) == (kind == PacketKind::KindCamera));
}

void TestReplyHandling::rowTexts()
{
    const PacketKind kind = PacketKind::KindRecorder;
    std::vector<std::uint8_t> buffer(LongFormSize(kind), 0);
    WriteText(kind, buffer, PacketField::ModelName, "NVR-1632-PRO");
    WriteText(kind, buffer, PacketField::MacAddress, "00:1A:2B:3C:4D:5E");
    WriteText(kind, buffer, PacketField::IpAddress, "192.168.1.50");
    WriteText(kind, buffer, PacketField::Url, "http://192.168.1.50:8080");
    WriteText(kind, buffer, PacketField::Alias, "Back office");
    WriteByte(kind, buffer, PacketField::AddressMode, 2);
    const DeviceRowTexts texts = PrepareSearchReply(ReplyChannel::Recorder, buffer, buffer.size(), AF_INET);
    QCOMPARE(texts.model, std::string("NVR-1632-P")); // ten characters of the model
    QCOMPARE(texts.mac, std::string("00:1A:2B:3C:4D:5E"));
    QCOMPARE(texts.ip, std::string("192.168.1.50"));
    QCOMPARE(texts.mode, std::string("PPPoE"));
    QCOMPARE(texts.protocol, std::string("IPv4"));
    QCOMPARE(texts.url, std::string("http://192.168.1.50:8080"));
    QCOMPARE(texts.alias, std::string("Back office"));

    QCOMPARE(AddressModeText(0), std::string("Static"));
    QCOMPARE(AddressModeText(1), std::string("Dynamic"));
    QCOMPARE(AddressModeText(3), std::string());
    QCOMPARE(AddressModeText(255), std::string());
}

// Every text filled to its last byte with no NUL: each column stops at its own field.
void TestReplyHandling::textsFillingTheirFields()
{
    std::vector<std::uint8_t> buffer(LongFormSize(PacketKind::KindCameraIPv6), 'x');
    const DeviceRowTexts texts = PrepareSearchReply(ReplyChannel::IPv6, buffer, buffer.size(), AF_INET6);
    QCOMPARE(texts.model.size(), std::size_t(10));
    QCOMPARE(texts.mac.size(), std::size_t(18));
    QCOMPARE(texts.ip.size(), std::size_t(16));
    QCOMPARE(texts.url.size(), std::size_t(128));
    QCOMPARE(texts.alias.size(), std::size_t(63));
    QCOMPARE(texts.mode, std::string());
    QCOMPARE(texts.protocol, std::string("IPv6"));
}

QTEST_APPLESS_MAIN(TestReplyHandling)
#include "tst_replyhandling.moc"
