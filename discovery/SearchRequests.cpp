#include "discovery/SearchRequests.h"

#include "discovery/PacketFields.h"

namespace Netrove {

namespace {

void FillDefaults(PacketKind kind, std::span<std::uint8_t> packet)
{
    for (PacketField text :
         {PacketField::MacAddress, PacketField::IpAddress, PacketField::SubnetMask, PacketField::Gateway,
          PacketField::Ipv6Address, PacketField::Password, PacketField::ModelName, PacketField::Url})
        WriteText(kind, packet, text, {});
    WriteU16(kind, packet, PacketField::WebPort, 5000);
    WriteU16(kind, packet, PacketField::HttpPort, 5000);
    WriteU16(kind, packet, PacketField::DlxPort, 10000);
    WriteU16(kind, packet, PacketField::TcpPort, 10030);
    WriteU16(kind, packet, PacketField::UdpPort, 10020);
    WriteU16(kind, packet, PacketField::UploadPort, 10010);
    WriteU16(kind, packet, PacketField::MulticastPort, 10050);
    WriteByte(kind, packet, PacketField::AddressMode, 0);
    WriteByte(kind, packet, PacketField::ReservedBeforeWebPort, 0);
    WriteByte(kind, packet, PacketField::ReservedAfterWebPort, 0);
}

std::vector<std::uint8_t> BuildRequest(PacketKind kind, bool withDefaults, const ClientTag& tag,
                                       std::uint8_t opcode)
{
    std::vector<std::uint8_t> packet(ShortFormSize(kind), 0);
    if (withDefaults)
        FillDefaults(kind, packet);
    WriteByte(kind, packet, PacketField::Opcode, opcode);
    WriteClientTag(kind, packet, tag);
    return packet;
}

} // namespace

void FillSearchDefaults(std::span<std::uint8_t> packet)
{
    FillDefaults(PacketKind::KindCamera, packet);
}

void FillSearchDefaultsIPv6(std::span<std::uint8_t> packet)
{
    FillDefaults(PacketKind::KindCameraIPv6, packet);
}

std::vector<std::uint8_t> BuildCameraSearch(const ClientTag& tag, std::uint8_t opcode)
{
    return BuildRequest(PacketKind::KindCamera, true, tag, opcode);
}

std::vector<std::uint8_t> BuildIPv6Search(const ClientTag& tag, std::uint8_t opcode)
{
    return BuildRequest(PacketKind::KindCameraIPv6, true, tag, opcode);
}

std::vector<std::uint8_t> BuildRecorderSearch(const ClientTag& tag, std::uint8_t opcode)
{
    // The recorder search is laid out as a camera short form with no defaults.
    return BuildRequest(PacketKind::KindCamera, false, tag, opcode);
}

} // namespace Netrove
