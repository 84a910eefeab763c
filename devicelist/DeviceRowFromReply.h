#pragma once

#include "devicelist/DeviceListModel.h"
#include "discovery/ReplyHandling.h"

#include <cstdint>
#include <vector>

namespace Netrove {

// The row a search reply becomes: its alias made what the list shows (see PrepareSearchReply), its
// entry holding the reply in the channel's layout and the adapter it came in on, and its column texts.
NewDeviceRow MakeDeviceRow(ReplyChannel channel, std::vector<std::uint8_t> buffer, std::size_t received,
                           int senderFamily, ArrivalAdapter arrival = {});

} // namespace Netrove
