#pragma once

#include "discovery/ArrivalAdapter.h"
#include "discovery/PacketTypes.h"

#include <cstdint>
#include <vector>

namespace Netrove {

// What one device-list row knows about its device: the reply it sent, in the layout of the channel
// it came on, and the adapter it came in on. The row owns its entry; the list pads or cuts the reply to the
// full long form of its kind when the row is inserted, so that every field of the layout can be read.
struct DeviceEntry
{
    PacketKind kind = PacketKind::KindCamera;
    std::vector<std::uint8_t> reply;
    ArrivalAdapter arrival; // of the reply the row shows
};

} // namespace Netrove
