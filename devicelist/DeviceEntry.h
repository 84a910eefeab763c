#pragma once

#include "discovery/ArrivalAdapter.h"
#include "discovery/PacketTypes.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <memory>
#include <vector>

namespace Netrove {

// A camera of another maker, heard by ONVIF WS-Discovery: what its answer said, as its row shows it.
// Netrove cannot set such a device; its address counts as taken all the same.
struct OnvifEntry
{
    QString key;         // the row's key: the endpoint address with its MAC or IP (see MakeOnvifRow)
    QString endpoint;    // the endpoint address as written
    QString endpointKey; // the same without "urn:" and case, as a Bye names it
    QString deviceName;  // its "hardware" scope
    QString alias;       // its "name" scope
    QString mac;         // its "MacAddress" scope, where it has one
    QString ip;
    QString url;        // its device service address
    QString webAddress; // "http://HOST/": what a double-click opens
};

// What one device-list row knows about its device: the reply it sent, in the layout of the channel
// it came on, and the adapter it came in on. The row owns its entry; the list pads or cuts the reply to the
// full long form of its kind when the row is inserted, so that every field of the layout can be read.
struct DeviceEntry
{
    PacketKind kind = PacketKind::KindCamera;
    std::vector<std::uint8_t> reply;
    ArrivalAdapter arrival; // of the reply the row shows
    // When the device last answered (this computer's clock, milliseconds since 1970), and how many
    // searches in a row it has not answered since.
    qint64 lastSeenMs = 0;
    int missedSearches = 0;
    // Set for a camera heard by ONVIF WS-Discovery: `reply` is then blank, of the camera layout.
    std::shared_ptr<const OnvifEntry> onvif;
};

// A device that missed this many searches in a row is shown as not answering.
inline constexpr int kMissedSearchesNotAnswering = 3;

inline bool Answering(const DeviceEntry& entry)
{
    return entry.missedSearches < kMissedSearchesNotAnswering;
}

// Whether a device's new reply takes the place of the one its row shows. A camera that answers both
// the IPv4 and the IPv6 search is listed from its IPv4 answer, whichever came last: that row may be
// set and opens its web page at once, so the row does not flicker between two kinds of device as a
// search's repeated answers come in. An IPv6 answer still tells that the device is there.
inline bool ReplyTakesRowOf(const DeviceEntry& listed, const DeviceEntry& reply)
{
    return !(listed.kind == PacketKind::KindCamera && reply.kind == PacketKind::KindCameraIPv6);
}

} // namespace Netrove
