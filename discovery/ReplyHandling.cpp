#include "discovery/ReplyHandling.h"

#include "discovery/ClientTagMaker.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <netinet/in.h>
#include <sys/socket.h>

namespace Netrove {

namespace {

constexpr std::size_t kModelNameShown = 10;

} // namespace

PacketKind ChannelKind(ReplyChannel channel)
{
    switch (channel) {
    case ReplyChannel::Camera:
        return PacketKind::KindCamera;
    case ReplyChannel::IPv6:
        return PacketKind::KindCameraIPv6;
    case ReplyChannel::Recorder:
        return PacketKind::KindRecorder;
    }
    return PacketKind::KindCamera;
}

int ChannelFamily(ReplyChannel channel)
{
    return channel == ReplyChannel::IPv6 ? AF_INET6 : AF_INET;
}

ReplyChannel KindChannel(PacketKind kind)
{
    switch (kind) {
    case PacketKind::KindCamera:
        return ReplyChannel::Camera;
    case PacketKind::KindCameraIPv6:
        return ReplyChannel::IPv6;
    case PacketKind::KindRecorder:
        return ReplyChannel::Recorder;
    }
    return ReplyChannel::Camera;
}

ReplyAction ClassifyReply(ReplyChannel channel, std::span<const std::uint8_t> buffer, std::size_t received,
                          int senderFamily, const ReplyFilter& filter)
{
    const PacketKind kind = ChannelKind(channel);
    if (senderFamily != ChannelFamily(channel))
        return ReplyAction::Drop;
    // A datagram too short to carry its opcode and tag is noise, not an answer: zero-filling
    // would otherwise turn it into an untagged result.
    if (received < FieldOf(kind, PacketField::ClientTag)->end() || buffer.size() < LongFormSize(kind))
        return ReplyAction::Drop;

    const std::uint8_t op = ReadByte(kind, buffer, PacketField::Opcode);
    const bool foreign = IsForeignPacket(filter.ownTag, FieldBytes(kind, buffer, PacketField::ClientTag));
    if (op != static_cast<std::uint8_t>(PacketOpcode::SearchReply) && foreign)
        return ReplyAction::Drop;
    if ((channel == ReplyChannel::Camera && !filter.cameraBox) ||
        (channel == ReplyChannel::Recorder && !filter.nvrBox))
        return ReplyAction::Drop;

    const auto result = [&filter](ReplyAction action) {
        return filter.settingOutstanding ? action : ReplyAction::UnaskedResult;
    };
    switch (static_cast<PacketOpcode>(op)) {
    case PacketOpcode::SearchReply: {
        const bool protocol = channel == ReplyChannel::IPv6 ? filter.ipv6 : filter.ipv4;
        if (!protocol || foreign || filter.rowSelected)
            return ReplyAction::Drop;
        return ReplyAction::AddRow;
    }
    case PacketOpcode::SettingApplied:
    case PacketOpcode::SettingAppliedInfo:
        return result(ReplyAction::SettingApplied);
    case PacketOpcode::PortMappingError:
        return result(ReplyAction::PortMappingError);
    case PacketOpcode::RouterConnectError:
        return result(ReplyAction::RouterConnectError);
    case PacketOpcode::InvalidPassword:
        return result(ReplyAction::InvalidPassword);
    default:
        return channel == ReplyChannel::Recorder ? result(ReplyAction::UnknownResult) : ReplyAction::Drop;
    }
}

std::string AddressModeText(std::uint8_t mode)
{
    switch (static_cast<AddressMode>(mode)) {
    case AddressMode::Static:
        return "Static";
    case AddressMode::Dhcp:
        return "Dynamic";
    case AddressMode::Pppoe:
        return "PPPoE";
    }
    return {};
}

DeviceRowTexts PrepareSearchReply(ReplyChannel channel, std::span<std::uint8_t> buffer, std::size_t received,
                                  int senderFamily)
{
    const PacketKind kind = ChannelKind(channel);
    if (received == LongFormSize(kind)) {
        if (AliasTerminatorOffset(kind) < buffer.size())
            buffer[AliasTerminatorOffset(kind)] = 0;
    } else {
        const auto alias = FieldBytes(kind, buffer, PacketField::Alias);
        const char shortAlias[4] = {'N', '/', 'A', '\0'};
        for (std::size_t i = 0; i < 4 && i < alias.size(); ++i)
            alias[i] = static_cast<std::uint8_t>(shortAlias[i]);
    }
    return ReadRowTexts(kind, buffer, senderFamily);
}

DeviceRowTexts ReadRowTexts(PacketKind kind, std::span<const std::uint8_t> reply, int senderFamily)
{
    DeviceRowTexts texts;
    texts.model = ReadText(kind, reply, PacketField::ModelName).substr(0, kModelNameShown);
    texts.alias = ReadText(kind, reply, PacketField::Alias);
    texts.mode = AddressModeText(ReadByte(kind, reply, PacketField::AddressMode));
    texts.mac = ReadText(kind, reply, PacketField::MacAddress);
    texts.ip = ReadText(kind, reply, PacketField::IpAddress);
    texts.protocol = senderFamily == AF_INET6 ? "IPv6" : (senderFamily == AF_INET ? "IPv4" : "");
    texts.url = ReadText(kind, reply, PacketField::Url);
    return texts;
}

} // namespace Netrove
