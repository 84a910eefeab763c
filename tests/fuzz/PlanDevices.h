#pragma once

// The devices that fuzz_plan reads every address plan over, and whose saved list seeds its corpus:
// a Static and a Dynamic camera, a recorder, and two cameras out of their boxes at one address, one
// of them writing its MAC in small letters.

#include "devicelist/DeviceListModel.h"
#include "devicelist/DeviceRowFromReply.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"

#include <cstdint>
#include <vector>

namespace Netrove::Fuzz {

struct PlanDevice
{
    ReplyChannel channel;
    const char* mac;
    const char* model;
    std::uint8_t mode; // AddressMode
    const char* ip;
    const char* alias;
};

inline constexpr PlanDevice kPlanDevices[] = {
    {ReplyChannel::Camera, "00:1A:2B:00:00:01", "NC-220", 0, "192.168.1.101", "Front door"},
    {ReplyChannel::Camera, "00:1A:2B:00:42:01", "NC-220", 1, "192.168.1.102", "=1+1"},
    {ReplyChannel::Recorder, "00:1A:2B:00:00:03", "NR-16", 0, "192.168.1.120", "Hall, \"east\""},
    {ReplyChannel::Camera, "02:4e:52:00:00:04", "QMR-A4102", 0, "192.168.1.64", ""},
    {ReplyChannel::Camera, "02:4E:52:00:00:05", "QMZ-4470", 1, "192.168.1.64", ""},
};

// Lists the devices as their search replies would.
inline void ListPlanDevices(DeviceListModel& rows)
{
    std::vector<NewDeviceRow> replies;
    for (const PlanDevice& device : kPlanDevices) {
        const PacketKind kind = ChannelKind(device.channel);
        std::vector<std::uint8_t> packet(LongFormSize(kind), 0);
        if (kind == PacketKind::KindRecorder)
            WriteText(kind, packet, PacketField::Prefix, "NVR");
        WriteByte(kind, packet, PacketField::Opcode, 11);
        WriteText(kind, packet, PacketField::MacAddress, device.mac);
        WriteText(kind, packet, PacketField::IpAddress, device.ip);
        WriteText(kind, packet, PacketField::SubnetMask, "255.255.255.0");
        WriteText(kind, packet, PacketField::Gateway, "192.168.1.1");
        WriteText(kind, packet, PacketField::ModelName, device.model);
        WriteText(kind, packet, PacketField::Alias, device.alias);
        WriteByte(kind, packet, PacketField::AddressMode, device.mode);
        WriteU16(kind, packet, PacketField::WebPort, 80);
        WriteU16(kind, packet, PacketField::HttpPort, 80);
        WriteU16(kind, packet, PacketField::DlxPort, 10000);
        WriteByte(kind, packet, PacketField::SettingAllowed, 1);
        const std::size_t size = packet.size();
        replies.push_back(
            MakeDeviceRow(device.channel, std::move(packet), size, ChannelFamily(device.channel)));
    }
    rows.AddReplies(std::move(replies));
}

} // namespace Netrove::Fuzz
