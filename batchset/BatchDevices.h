#pragma once

#include "batchset/BatchPlan.h"

#include <optional>
#include <set>
#include <vector>

namespace Netrove {

class DeviceListModel;

// A listed row as a device to set with others: its MAC, model and address texts and a copy of its
// entry, since the search that checks the batch empties the list. Nothing for a row without an entry.
std::optional<BatchDevice> BatchDeviceOfRow(const DeviceListModel& rows, int row);

// The network of the adapter the devices answered on (that of the first; SameAdapterRefusal tells
// whether all did), with the addresses that the listed devices not among them report. Nothing when
// this computer has no IPv4 address to be found there.
std::optional<BatchNetwork> BatchNetworkOf(const std::vector<BatchDevice>& devices,
                                           const DeviceListModel& rows);

// Pings at once the new addresses that were given, not chosen (an address plan's, a cell edited by
// hand), inside the network, and adds those in use to `inUse` for CheckBatch. A device's present
// address is not pinged for it: it is the device itself that would answer. A refusal when nothing
// could ping.
QString ProbeGivenAddresses(const std::vector<BatchDevice>& devices, const BatchNetwork& network,
                            AddressProber& prober, std::set<Ipv4Octets>& inUse);

} // namespace Netrove
