#pragma once

#include "discovery/PacketTypes.h"

#include <array>
#include <cstddef>
#include <optional>

namespace Netrove {

enum class PacketField
{
    Prefix,
    Opcode,
    ClientTag,
    MacAddress,
    IpAddress,
    SubnetMask,
    Gateway,
    Ipv6Address,
    Password,
    ReservedBeforeWebPort,
    WebPort,
    ReservedAfterWebPort,
    ModelName,
    HttpPort,
    DlxPort,
    TcpPort,
    UdpPort,
    UploadPort,
    MulticastPort,
    AddressMode,
    Url,
    SettingAllowed,
    Alias,
};

struct FieldPlace
{
    std::size_t offset = 0;
    std::size_t size = 0;
    constexpr std::size_t end() const { return offset + size; }
};

// The six service ports, in the order the devices and the dialogs list them.
inline constexpr std::array<PacketField, 6> kServicePortFields{
    PacketField::HttpPort, PacketField::DlxPort,    PacketField::TcpPort,
    PacketField::UdpPort,  PacketField::UploadPort, PacketField::MulticastPort};

// Every setting request is laid out as a camera packet, a recorder's too.
inline constexpr PacketKind kSettingRequestLayout = PacketKind::KindCamera;

// Where a field sits in a layout; nothing when the layout has no such field. This is the only
// place that knows packet offsets.
std::optional<FieldPlace> FieldOf(PacketKind kind, PacketField field);

// Requests use the short form, replies the long form. Recorders send no short form; their
// setting requests are camera packets.
std::size_t ShortFormSize(PacketKind kind);
std::size_t LongFormSize(PacketKind kind);

// Where the reply handling forces a NUL into a full-size reply's alias.
std::size_t AliasTerminatorOffset(PacketKind kind);

} // namespace Netrove
