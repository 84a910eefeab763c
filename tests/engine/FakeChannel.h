#pragma once

#include "discovery/DeviceChannel.h"
#include "discovery/PacketFields.h"
#include "discovery/PacketLayout.h"
#include "discovery/ReplyHandling.h"

#include <sys/socket.h>

namespace Netrove {

// The devices' side of the engine without a socket: what the engine sends is told to `onSent`, and
// Deliver hands it a batch as the reader thread would.
class FakeChannel final : public DeviceChannel
{
public:
    // The channel (Camera, Recorder, IPv6) and whether it was a setting request.
    std::function<void(DiscoveryChannel, bool setting, std::span<const std::uint8_t>)> onSent;
    bool ipv6Supported = true;
    std::uint64_t dropped = 0;

    void Open(Receiver receiver) override
    {
        m_receiver = std::move(receiver);
        if (!ipv6Supported && m_receiver.onIPv6Unsupported)
            m_receiver.onIPv6Unsupported(QStringLiteral("This computer doesn't support the IPv6."));
    }
    void Close() override { m_receiver = {}; }
    void SendSearch(DiscoveryChannel channel, std::span<const std::uint8_t> request) override
    {
        if (onSent)
            onSent(channel, false, request);
    }
    void SendSetting(DiscoveryChannel channel, std::span<const std::uint8_t> request,
                     const ArrivalAdapter&) override
    {
        if (onSent)
            onSent(channel, true, request);
    }
    std::uint64_t DroppedDatagrams() const override { return dropped; }
    std::optional<HardwareAddress> TagHardwareAddress() const override
    {
        return HardwareAddress{2, 0, 0, 0, 0, 1};
    }

    void Deliver(DiscoveryChannel channel, std::vector<ReceivedDatagram> datagrams)
    {
        DatagramBatch batch{channel, std::move(datagrams), 0};
        if (m_receiver.onBatch)
            m_receiver.onBatch(batch);
    }

    // A datagram of the channel's layout in its long form: the opcode, the tag, and for a search
    // reply the device's MAC and IP texts.
    static ReceivedDatagram Datagram(DiscoveryChannel channel, const ClientTag& tag, std::uint8_t opcode,
                                     const QString& mac = {}, const QString& ip = {})
    {
        const ReplyChannel replyChannel = channel == DiscoveryChannel::Recorder ? ReplyChannel::Recorder
                                          : channel == DiscoveryChannel::IPv6   ? ReplyChannel::IPv6
                                                                                : ReplyChannel::Camera;
        const PacketKind kind = ChannelKind(replyChannel);
        ReceivedDatagram datagram;
        datagram.buffer.assign(LongFormSize(kind), 0);
        WriteByte(kind, datagram.buffer, PacketField::Opcode, opcode);
        WriteClientTag(kind, datagram.buffer, tag);
        WriteText(kind, datagram.buffer, PacketField::MacAddress, mac.toStdString());
        WriteText(kind, datagram.buffer, PacketField::IpAddress, ip.toStdString());
        datagram.size = datagram.buffer.size();
        datagram.family = ChannelFamily(replyChannel);
        datagram.from.ss_family = static_cast<sa_family_t>(datagram.family);
        return datagram;
    }

private:
    Receiver m_receiver;
};

} // namespace Netrove
