#include "manualset/ManualSetRequest.h"

#include "autoset/AutoSetRequest.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <string_view>

namespace Netrove {

ManualSetReported ReadManualSetReply(PacketKind kind, std::span<const std::uint8_t> reply)
{
    const bool camera = IsCameraKind(kind);
    const PacketKind layout = ReplyLayout(kind);

    ManualSetReported reported;
    reported.mac = ReadText(layout, reply, PacketField::MacAddress);
    reported.ipAddress = ParseDottedQuad(ReadText(layout, reply, PacketField::IpAddress));
    reported.subnetMask = ParseDottedQuad(ReadText(layout, reply, PacketField::SubnetMask));
    reported.gateway = ParseDottedQuad(ReadText(layout, reply, PacketField::Gateway));
    reported.addressMode = ReadByte(layout, reply, PacketField::AddressMode);
    for (std::size_t i = 0; i < kServicePortFields.size(); ++i)
        reported.ports[i] = ReadU16(layout, reply, kServicePortFields[i]);
    if (camera)
        reported.modelName = ReadText(layout, reply, PacketField::ModelName);
    return reported;
}

int ManualSetPasswordLimit(PacketKind kind)
{
    return IsCameraKind(kind) ? 19 : 9;
}

int ModeRadioFromAddressMode(std::uint8_t addressMode)
{
    switch (static_cast<AddressMode>(addressMode)) {
    case AddressMode::Static:
        return kModeRadioStatic;
    case AddressMode::Dhcp:
        return kModeRadioDhcp;
    default:
        return kModeRadioPppoe;
    }
}

std::uint8_t AddressModeFromModeRadio(int modeRadio)
{
    AddressMode mode = AddressMode::Static;
    if (modeRadio == kModeRadioPppoe)
        mode = AddressMode::Pppoe;
    else if (modeRadio == kModeRadioDhcp)
        mode = AddressMode::Dhcp;
    return static_cast<std::uint8_t>(mode);
}

std::vector<std::uint8_t> BuildManualSetRequest(PacketKind kind, bool shortForm, const ManualSetInput& input)
{
    const bool longForm = IsCameraKind(kind) && !shortForm;
    std::vector<std::uint8_t> request(
        longForm ? LongFormSize(kSettingRequestLayout) : ShortFormSize(kSettingRequestLayout), 0);
    const std::span<std::uint8_t> packet = request;
    constexpr PacketKind k = kSettingRequestLayout;
    const auto passwordLimit = static_cast<std::size_t>(ManualSetPasswordLimit(kind));

    WriteByte(k, packet, PacketField::Opcode, static_cast<std::uint8_t>(PacketOpcode::ApplySettings));
    WriteByte(k, packet, PacketField::AddressMode, input.addressMode);
    WriteText(k, packet, PacketField::MacAddress, input.mac);
    WriteText(k, packet, PacketField::IpAddress, FormatDottedQuad(input.ipAddress));
    WriteText(k, packet, PacketField::SubnetMask, FormatDottedQuad(input.subnetMask));
    WriteText(k, packet, PacketField::Gateway, FormatDottedQuad(input.gateway));
    WriteText(k, packet, PacketField::Password, std::string_view(input.password).substr(0, passwordLimit));
    // The device's web page is on its HTTP port.
    WriteU16(k, packet, PacketField::WebPort, static_cast<std::uint16_t>(input.ports[0]));
    for (std::size_t i = 0; i < kServicePortFields.size(); ++i)
        WriteU16(k, packet, kServicePortFields[i], static_cast<std::uint16_t>(input.ports[i]));
    return request;
}

} // namespace Netrove
