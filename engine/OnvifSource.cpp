#include "engine/OnvifSource.h"

#include "devicelist/DeviceListColumns.h"
#include "onvif/OnvifDevice.h"
#include "onvif/OnvifMessage.h"
#include "onvif/OnvifProbe.h"

#include <sys/socket.h>

namespace Netrove {

namespace {

NewDeviceRow RowOf(const OnvifRow& onvif, ReceivedDatagram& datagram)
{
    auto entry = std::make_shared<OnvifEntry>();
    entry->key = onvif.key;
    entry->endpoint = onvif.endpoint;
    entry->endpointKey = OnvifEndpointKey(onvif.endpoint);
    entry->deviceName = onvif.deviceName;
    entry->alias = onvif.alias;
    entry->mac = onvif.mac;
    entry->ip = onvif.ip;
    entry->url = onvif.url;
    entry->webAddress = onvif.webAddress;
    NewDeviceRow row;
    row.entry = std::make_unique<DeviceEntry>();
    row.entry->arrival = datagram.arrival;
    row.entry->onvif = std::move(entry);
    row.texts[ColumnDeviceName] = onvif.deviceName;
    row.texts[ColumnAlias] = onvif.alias;
    row.texts[ColumnMode] = onvif.mode;
    row.texts[ColumnMac] = onvif.mac;
    row.texts[ColumnIp] = onvif.ip;
    row.texts[ColumnProtocol] = onvif.protocol;
    row.texts[ColumnUrl] = onvif.url;
    return row;
}

} // namespace

OnvifSource::OnvifSource(std::unique_ptr<OnvifChannel> channel)
    : m_channel(std::move(channel))
{}

void OnvifSource::Open(Receiver receiver)
{
    m_receiver = std::move(receiver);
    OnvifChannel::Receiver channel;
    channel.onBatch = [this](std::vector<ReceivedDatagram>& datagrams) {
        OnBatch(datagrams);
    };
    channel.onSocketError = [this](const QString& text, int code) {
        if (m_receiver.onSocketError)
            m_receiver.onSocketError(text, code);
    };
    m_channel->Open(std::move(channel));
}

void OnvifSource::Close()
{
    m_channel->Close();
    m_messageIds.clear();
    m_probes.clear();
}

void OnvifSource::NewSearch(bool ipv4, bool ipv6)
{
    m_bIPv4 = ipv4;
    m_bIPv6 = ipv6;
    m_messageIds.clear();
    m_probes.clear();
    if (!ipv4 && !ipv6)
        return;
    for (const OnvifProbeType type : {OnvifProbeType::NetworkVideoTransmitter, OnvifProbeType::Device}) {
        m_messageIds << MakeOnvifMessageId();
        m_probes.push_back(BuildOnvifProbe(m_messageIds.last(), type));
    }
}

void OnvifSource::Send()
{
    for (const QByteArray& probe : m_probes) {
        const std::span bytes(reinterpret_cast<const std::uint8_t*>(probe.constData()),
                              std::size_t(probe.size()));
        if (m_bIPv4)
            m_channel->SendProbe(bytes, OnvifFamily::IPv4);
        if (m_bIPv6)
            m_channel->SendProbe(bytes, OnvifFamily::IPv6);
    }
}

void OnvifSource::OnBatch(std::vector<ReceivedDatagram>& datagrams)
{
    std::vector<NewDeviceRow> rows;
    for (ReceivedDatagram& datagram : datagrams) {
        if (datagram.error != 0)
            continue;
        // Only the families this search asks on are listened to.
        if (!(datagram.family == AF_INET ? m_bIPv4 : datagram.family == AF_INET6 && m_bIPv6))
            continue;
        const OnvifMessage message =
            ReadOnvifMessage(std::span<const std::uint8_t>(datagram.buffer.data(), datagram.size));
        switch (message.kind) {
        case OnvifMessageKind::ProbeMatches:
            if (!RelatesToOwnProbe(message.relatesTo, m_messageIds))
                continue;
            break;
        case OnvifMessageKind::Hello:
            if (!m_bAnnouncements)
                continue;
            break;
        case OnvifMessageKind::Bye:
            if (m_bAnnouncements && m_receiver.onBye)
                for (const OnvifMatch& match : message.matches)
                    m_receiver.onBye(OnvifEndpointKey(match.address));
            continue;
        case OnvifMessageKind::None:
        case OnvifMessageKind::Probe:
            continue;
        }
        const QString sender = datagram.SenderText();
        for (const OnvifMatch& match : message.matches) {
            if (IsOnvifVideoDevice(match))
                rows.push_back(RowOf(MakeOnvifRow(match, sender), datagram));
        }
    }
    if (!rows.empty() && m_receiver.onRows)
        m_receiver.onRows(rows);
}

} // namespace Netrove
