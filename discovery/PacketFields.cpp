#include "discovery/PacketFields.h"

#include <algorithm>

namespace Netrove {

namespace {

template <typename Byte>
std::span<Byte> FieldWithin(PacketKind kind, std::span<Byte> packet, PacketField field)
{
    const auto place = FieldOf(kind, field);
    if (!place || place->end() > packet.size())
        return {};
    return packet.subspan(place->offset, place->size);
}

} // namespace

std::span<const std::uint8_t> FieldBytes(PacketKind kind, std::span<const std::uint8_t> packet,
                                         PacketField field)
{
    return FieldWithin(kind, packet, field);
}

std::span<std::uint8_t> FieldBytes(PacketKind kind, std::span<std::uint8_t> packet, PacketField field)
{
    return FieldWithin(kind, packet, field);
}

std::string ReadText(PacketKind kind, std::span<const std::uint8_t> packet, PacketField field)
{
    const auto bytes = FieldBytes(kind, packet, field);
    const auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
    return std::string(bytes.begin(), nul);
}

void WriteText(PacketKind kind, std::span<std::uint8_t> packet, PacketField field, std::string_view text)
{
    const auto bytes = FieldBytes(kind, packet, field);
    if (bytes.empty())
        return;
    std::fill(bytes.begin(), bytes.end(), std::uint8_t{0});
    const std::size_t length = std::min(text.size(), bytes.size() - 1);
    std::copy_n(text.begin(), length, bytes.begin());
}

std::uint16_t ReadU16(PacketKind kind, std::span<const std::uint8_t> packet, PacketField field)
{
    const auto bytes = FieldBytes(kind, packet, field);
    if (bytes.size() < 2)
        return 0;
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

void WriteU16(PacketKind kind, std::span<std::uint8_t> packet, PacketField field, std::uint16_t value)
{
    const auto bytes = FieldBytes(kind, packet, field);
    if (bytes.size() < 2)
        return;
    bytes[0] = static_cast<std::uint8_t>(value & 0xff);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint8_t ReadByte(PacketKind kind, std::span<const std::uint8_t> packet, PacketField field)
{
    const auto bytes = FieldBytes(kind, packet, field);
    return bytes.empty() ? 0 : bytes[0];
}

void WriteByte(PacketKind kind, std::span<std::uint8_t> packet, PacketField field, std::uint8_t value)
{
    const auto bytes = FieldBytes(kind, packet, field);
    if (!bytes.empty())
        bytes[0] = value;
}

ClientTag ReadClientTag(PacketKind kind, std::span<const std::uint8_t> packet)
{
    ClientTag tag{};
    const auto bytes = FieldBytes(kind, packet, PacketField::ClientTag);
    std::copy(bytes.begin(), bytes.end(), tag.begin());
    return tag;
}

void WriteClientTag(PacketKind kind, std::span<std::uint8_t> packet, const ClientTag& tag)
{
    const auto bytes = FieldBytes(kind, packet, PacketField::ClientTag);
    if (bytes.size() == tag.size())
        std::copy(tag.begin(), tag.end(), bytes.begin());
}

bool IsShortReply(PacketKind kind, std::span<const std::uint8_t> packet)
{
    if (kind != PacketKind::KindCamera)
        return false;
    const auto alias = FieldBytes(kind, packet, PacketField::Alias);
    return alias.size() >= 3 && alias[0] == 'N' && alias[1] == '/' && alias[2] == 'A';
}

} // namespace Netrove
