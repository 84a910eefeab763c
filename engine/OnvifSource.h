#pragma once

#include "devicelist/DeviceListModel.h"
#include "onvif/OnvifChannel.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace Netrove {

// Cameras of every maker, found by ONVIF WS-Discovery beside Netrove's own devices: each search's
// two probes (NetworkVideoTransmitter and Device, each with a MessageID of its own, sent again with
// the search's repeats), and the rows that their matches, and the cameras' announcements, become.
// Anyone on the network can send these messages: a match counts only when it answers a probe of
// this search and names a video device, and nothing is ever sent because of what one says.
class OnvifSource final
{
public:
    struct Receiver
    {
        std::function<void(std::vector<NewDeviceRow>&)> onRows;
        // A camera said goodbye: its endpoint key (OnvifEndpointKey).
        std::function<void(const QString&)> onBye;
        std::function<void(const QString&, int)> onSocketError;
    };

    explicit OnvifSource(std::unique_ptr<OnvifChannel> channel);
    OnvifSource(const OnvifSource&) = delete;
    OnvifSource& operator=(const OnvifSource&) = delete;

    void Open(Receiver receiver);
    void Close();
    // A new search: fresh probes, to the families asked (none: the search sends no probe, and
    // takes no match in).
    void NewSearch(bool ipv4, bool ipv6);
    // The search's probes, the same bytes each time.
    void Send();
    // Cameras that announce themselves (Hello) are listed, and those that leave (Bye) told, only
    // while the list is kept live.
    void SetAnnouncementsHeard(bool heard) { m_bAnnouncements = heard; }
    std::uint64_t DroppedDatagrams() const { return m_channel->DroppedDatagrams(); }

private:
    void OnBatch(std::vector<ReceivedDatagram>& datagrams);

    std::unique_ptr<OnvifChannel> m_channel;
    Receiver m_receiver;
    QStringList m_messageIds;
    std::vector<QByteArray> m_probes;
    bool m_bIPv4 = false;
    bool m_bIPv6 = false;
    bool m_bAnnouncements = false;
};

} // namespace Netrove
