#include "tests/lab/HostileDatagrams.h"

#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <algorithm>
#include <random>

namespace Netrove {

namespace {

constexpr std::size_t kLargestDatagram = 1500;
constexpr std::uint8_t kSearchReply = static_cast<std::uint8_t>(PacketOpcode::SearchReply);
// The results a device answers a setting request with, and one no device uses.
constexpr std::uint8_t kResults[] = {22, 33, 44, 55, 66, 99};

PacketKind KindOf(FloodPort port)
{
    switch (port) {
    case FloodPort::Camera:
        return PacketKind::KindCamera;
    case FloodPort::Recorder:
        return PacketKind::KindRecorder;
    case FloodPort::IPv6:
    case FloodPort::IPv6OverIPv4:
        return PacketKind::KindCameraIPv6;
    }
    return PacketKind::KindCamera;
}

class FloodMaker
{
public:
    FloodMaker(const ClientTag& ownTag, std::uint32_t seed)
        : m_ownTag(ownTag)
        , m_random(seed)
    {}

    std::vector<FloodDatagram> Make(int count)
    {
        constexpr FloodPort kPorts[] = {FloodPort::Camera, FloodPort::Recorder, FloodPort::IPv6};
        // Every opcode but a search reply's, with our tag, in every layout.
        for (const FloodPort port : kPorts) {
            for (int op = 0; op < 256; ++op) {
                if (op != kSearchReply)
                    Add(port, "every opcode with our tag",
                        Tagged(port, std::uint8_t(op), m_ownTag, LongForm(port)));
            }
        }
        // Setting results carrying our tag while no setting request awaits one, full, short and cut.
        for (const FloodPort port : kPorts) {
            for (const std::uint8_t op : kResults) {
                for (int i = 0; i < 20; ++i) {
                    const std::size_t size = i == 0 ? LongForm(port) : Between(TagEnd(port), LongForm(port));
                    Add(port, "results with our tag", Tagged(port, op, m_ownTag, size));
                }
            }
        }
        for (int i = 0; i < 300; ++i) {
            // Too short to carry an opcode and a tag.
            const FloodPort port = kPorts[Between(0, 2)];
            auto bytes =
                Tagged(port, i % 2 ? kSearchReply : kResults[Between(0, 5)], m_ownTag, LongForm(port));
            bytes.resize(Between(0, TagEnd(port) - 1));
            Add(port, "truncated below the tag", std::move(bytes));
        }
        for (int i = 0; i < 300; ++i) {
            // A search reply with more bytes than its layout holds.
            const FloodPort port = kPorts[Between(0, 2)];
            auto bytes = SearchReply(port, m_ownTag, i, nullptr);
            bytes.resize(Between(LongForm(port) + 1, kLargestDatagram), 0xA5);
            Add(port, "oversize search replies", std::move(bytes));
        }
        for (int i = 0; i < 300; ++i) {
            const FloodPort port = kPorts[Between(0, 2)];
            Add(port, "search replies with a foreign tag", SearchReply(port, ForeignTag(), i, nullptr));
        }
        for (int i = 0; i < 60; ++i) {
            // The IPv6 layout with our tag, but over IPv4: not an IPv6 camera.
            Add(FloodPort::IPv6OverIPv4, "IPv6 search replies over IPv4",
                SearchReply(FloodPort::IPv6OverIPv4, m_ownTag, i, nullptr));
        }
        for (int i = 0; i < 60; ++i) {
            // Well-formed: our tag, no tag or a tag blank in its first 15 bytes; the long form, or
            // cut anywhere after the MAC address.
            const FloodPort port = kPorts[i % 3];
            const ClientTag tag = i % 4 == 0 ? ClientTag{} : (i % 4 == 1 ? ZeroFifteenTag() : m_ownTag);
            FloodRow row;
            auto bytes = SearchReply(port, tag, i, &row);
            const std::size_t macEnd = FieldOf(KindOf(port), PacketField::MacAddress)->end();
            const std::size_t received = i % 3 == 0 ? bytes.size() : Between(macEnd, bytes.size() - 1);
            bytes.resize(received);
            row = RowFor(port, bytes);
            FloodDatagram& added = Add(port, "well-formed search replies", std::move(bytes));
            added.row = row;
            added.broadcast = port != FloodPort::IPv6 && i % 5 == 0;
        }
        while (int(m_flood.size()) < count) {
            const FloodPort port = kPorts[Between(0, 2)];
            std::vector<std::uint8_t> bytes(Between(0, kLargestDatagram));
            for (auto& byte : bytes)
                byte = std::uint8_t(Between(0, 255));
            FloodDatagram& added = Add(port, "random bytes", std::move(bytes));
            added.broadcast = port != FloodPort::IPv6 && Between(0, 9) == 0;
        }
        // Mixed, then cut to size: a short flood still holds some of each kind.
        std::shuffle(m_flood.begin(), m_flood.end(), m_random);
        m_flood.resize(std::min<std::size_t>(m_flood.size(), std::size_t(count)));
        return std::move(m_flood);
    }

private:
    std::size_t Between(std::size_t low, std::size_t high)
    {
        return std::uniform_int_distribution<std::size_t>(low, high)(m_random);
    }

    static std::size_t LongForm(FloodPort port) { return LongFormSize(KindOf(port)); }
    static std::size_t TagEnd(FloodPort port) { return FieldOf(KindOf(port), PacketField::ClientTag)->end(); }

    FloodDatagram& Add(FloodPort port, const char* kind, std::vector<std::uint8_t> bytes)
    {
        FloodDatagram datagram;
        datagram.port = port;
        datagram.kind = kind;
        datagram.bytes = std::move(bytes);
        m_flood.push_back(std::move(datagram));
        return m_flood.back();
    }

    // The layout's long form: random bytes, then the opcode and the tag.
    std::vector<std::uint8_t> Tagged(FloodPort port, std::uint8_t op, const ClientTag& tag, std::size_t size)
    {
        const PacketKind kind = KindOf(port);
        std::vector<std::uint8_t> bytes(LongFormSize(kind));
        for (auto& byte : bytes)
            byte = std::uint8_t(Between(0, 255));
        WriteByte(kind, bytes, PacketField::Opcode, op);
        WriteClientTag(kind, bytes, tag);
        bytes.resize(size);
        return bytes;
    }

    // A device's full answer to a search, numbered n within its kind of datagram.
    std::vector<std::uint8_t> SearchReply(FloodPort port, const ClientTag& tag, int n, FloodRow* row)
    {
        const PacketKind kind = KindOf(port);
        std::vector<std::uint8_t> bytes(LongFormSize(kind), 0);
        WriteByte(kind, bytes, PacketField::Opcode, kSearchReply);
        WriteClientTag(kind, bytes, tag);
        // Every reply that should be listed has a MAC address of its own.
        char text[64];
        std::snprintf(text, sizeof text, "02:46:4C:%02X:%02X:%02X", unsigned(port), unsigned(row ? 1 : 0),
                      unsigned(n & 0xff));
        WriteText(kind, bytes, PacketField::MacAddress, text);
        std::snprintf(text, sizeof text, "10.46.%d.%d", int(port), n % 250 + 1);
        WriteText(kind, bytes, PacketField::IpAddress, text);
        WriteText(kind, bytes, PacketField::SubnetMask, "255.255.0.0");
        WriteText(kind, bytes, PacketField::Gateway, "10.46.0.1");
        WriteText(kind, bytes, PacketField::ModelName, "FLOOD-MODEL"); // shown as its first 10
        std::snprintf(text, sizeof text, "Flood %d", n);
        WriteText(kind, bytes, PacketField::Alias, text);
        std::snprintf(text, sizeof text, "http://10.46.%d.%d", int(port), n % 250 + 1);
        WriteText(kind, bytes, PacketField::Url, text);
        WriteByte(kind, bytes, PacketField::AddressMode, std::uint8_t(n % 3));
        return bytes;
    }

    // What the list shows for a reply of which only `received` arrived: nothing past the end, and
    // "N/A" as the alias of anything shorter than the long form.
    static FloodRow RowFor(FloodPort port, const std::vector<std::uint8_t>& received)
    {
        const PacketKind kind = KindOf(port);
        std::vector<std::uint8_t> seen = received;
        seen.resize(LongFormSize(kind), 0);
        const auto text = [&](PacketField field) {
            return QString::fromStdString(ReadText(kind, seen, field));
        };
        FloodRow row;
        row.mac = text(PacketField::MacAddress);
        row.model = text(PacketField::ModelName).left(10);
        row.alias = received.size() == LongFormSize(kind) ? text(PacketField::Alias) : QStringLiteral("N/A");
        row.ip = text(PacketField::IpAddress);
        row.protocol = port == FloodPort::IPv6 ? QStringLiteral("IPv6") : QStringLiteral("IPv4");
        return row;
    }

    ClientTag ForeignTag()
    {
        ClientTag tag{};
        while (tag == m_ownTag || std::all_of(tag.begin(), tag.begin() + 15, [](auto b) { return b == 0; })) {
            for (auto& byte : tag)
                byte = std::uint8_t(Between(0, 255));
        }
        return tag;
    }

    ClientTag ZeroFifteenTag()
    {
        ClientTag tag{};
        for (std::size_t i = 15; i < tag.size(); ++i)
            tag[i] = std::uint8_t(Between(1, 255));
        return tag;
    }

    ClientTag m_ownTag;
    std::mt19937 m_random;
    std::vector<FloodDatagram> m_flood;
};

} // namespace

std::vector<FloodDatagram> MakeHostileFlood(const ClientTag& ownTag, int count, std::uint32_t seed)
{
    return FloodMaker(ownTag, seed).Make(count);
}

std::map<std::string, int> CountKinds(const std::vector<FloodDatagram>& flood)
{
    std::map<std::string, int> counts;
    for (const FloodDatagram& datagram : flood)
        ++counts[datagram.kind];
    return counts;
}

} // namespace Netrove
