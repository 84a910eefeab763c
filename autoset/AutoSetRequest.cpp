#include "autoset/AutoSetRequest.h"

#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <span>
#include <utility>

namespace Netrove {

bool IsCameraKind(PacketKind kind)
{
    return kind == PacketKind::KindCamera || kind == PacketKind::KindCameraIPv6;
}

PacketKind ReplyLayout(PacketKind kind)
{
    return IsCameraKind(kind) ? kind : PacketKind::KindRecorder;
}

int AutoSetPasswordLimit(PacketKind kind)
{
    return IsCameraKind(kind) ? 19 : 9;
}

AutoSetTarget CopyAutoSetTarget(PacketKind kind, std::span<const std::uint8_t> reply, std::string mac)
{
    const PacketKind layout = ReplyLayout(kind);

    AutoSetTarget target;
    target.kind = kind;
    target.mac = std::move(mac);
    target.staticAddress =
        ReadByte(layout, reply, PacketField::AddressMode) == static_cast<std::uint8_t>(AddressMode::Static);
    target.shortForm = IsShortReply(kind, reply);
    target.subnetMask = ParseDottedQuad(ReadText(layout, reply, PacketField::SubnetMask))
                            .value_or(Ipv4Octets{255, 255, 255, 0});
    if (!IsCameraKind(kind)) {
        target.recorderWebPort = ReadU16(layout, reply, PacketField::WebPort);
        for (std::size_t i = 0; i < kServicePortFields.size(); ++i)
            target.recorderPorts[i] = ReadU16(layout, reply, kServicePortFields[i]);
    }
    return target;
}

PacketOpcode AutoSetOpcode(bool portMapping)
{
    return portMapping ? PacketOpcode::ApplyPortMapping : PacketOpcode::ApplySettings;
}

std::string_view AutoSetStatusText(bool portMapping)
{
    return portMapping ? "Port Mapping Start..." : "Apply Start...";
}

std::vector<std::uint8_t> BuildAutoSetRequest(const AutoSetTarget& target, const AutoSetInput& input)
{
    const bool camera = IsCameraKind(target.kind);
    const std::size_t size = camera && !target.shortForm ? LongFormSize(kSettingRequestLayout)
                                                         : ShortFormSize(kSettingRequestLayout);
    std::vector<std::uint8_t> request(size, 0);
    const std::span<std::uint8_t> packet = request;
    constexpr PacketKind k = kSettingRequestLayout;

    WriteByte(k, packet, PacketField::Opcode, static_cast<std::uint8_t>(AutoSetOpcode(input.portMapping)));
    WriteText(k, packet, PacketField::MacAddress, target.mac);
    WriteText(k, packet, PacketField::IpAddress, FormatDottedQuad(input.address));
    WriteText(k, packet, PacketField::SubnetMask, FormatDottedQuad(input.subnetMask));
    WriteText(k, packet, PacketField::Gateway, FormatDottedQuad(input.gateway));
    WriteText(k, packet, PacketField::Password, input.password);

    if (camera) {
        // A camera moves to the block of six ports it was given; its web page is on the first.
        const auto base = static_cast<std::uint16_t>(input.basePort);
        WriteU16(k, packet, PacketField::WebPort, base);
        for (std::size_t i = 0; i < kServicePortFields.size(); ++i)
            WriteU16(k, packet, kServicePortFields[i], static_cast<std::uint16_t>(base + i));
    } else {
        WriteU16(k, packet, PacketField::WebPort, target.recorderWebPort);
        for (std::size_t i = 0; i < kServicePortFields.size(); ++i)
            WriteU16(k, packet, kServicePortFields[i], target.recorderPorts[i]);
    }

    // The device takes the new address as a fixed one, whatever mode it was in.
    WriteByte(k, packet, PacketField::AddressMode, static_cast<std::uint8_t>(AddressMode::Static));
    return request;
}

} // namespace Netrove
