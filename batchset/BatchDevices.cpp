#include "batchset/BatchDevices.h"

#include "autoset/SearchNetwork.h"
#include "devicelist/DeviceListColumns.h"
#include "devicelist/DeviceListModel.h"

#include <QSet>

#include <algorithm>

namespace Netrove {

namespace {

std::optional<Ipv4Octets> AddressOf(const QString& text)
{
    return ParseDottedQuad(text.toStdString());
}

} // namespace

std::optional<BatchDevice> BatchDeviceOfRow(const DeviceListModel& rows, int row)
{
    const DeviceEntry* entry = rows.EntryAt(row);
    if (entry == nullptr)
        return std::nullopt;
    BatchDevice device;
    device.mac = rows.Text(row, ColumnMac);
    device.model = rows.Text(row, ColumnDeviceName);
    device.ip = rows.Text(row, ColumnIp);
    device.entry = *entry;
    return device;
}

std::optional<BatchNetwork> BatchNetworkOf(const std::vector<BatchDevice>& devices,
                                           const DeviceListModel& rows)
{
    if (devices.empty())
        return std::nullopt;
    const std::optional<SearchNetwork> network = SearchNetworkOf(devices.front().entry.arrival);
    if (!network)
        return std::nullopt;
    QSet<QString> being;
    for (const BatchDevice& device : devices)
        being.insert(device.mac);
    BatchNetwork batch{*network, {}};
    for (int row = 0; row < rows.rowCount(); ++row) {
        if (being.contains(rows.Text(row, ColumnMac)))
            continue;
        if (const std::optional<Ipv4Octets> address = AddressOf(rows.Text(row, ColumnIp)))
            batch.listed.push_back(*address);
    }
    return batch;
}

QString ProbeGivenAddresses(const std::vector<BatchDevice>& devices, const BatchNetwork& network,
                            AddressProber& prober, std::set<Ipv4Octets>& inUse)
{
    std::vector<Ipv4Octets> candidates;
    for (const BatchDevice& device : devices) {
        if (!device.newIp || device.planDhcp.value_or(false) || AddressOf(device.ip) == device.newIp ||
            !InSearchNetwork(*device.newIp, network.network) ||
            IsNeverProposed(*device.newIp, network.network))
            continue;
        if (std::find(candidates.begin(), candidates.end(), *device.newIp) == candidates.end())
            candidates.push_back(*device.newIp);
    }
    for (std::size_t start = 0; start < candidates.size(); start += kLargestProbeRound) {
        const std::size_t size = std::min(candidates.size() - start, kLargestProbeRound);
        if (!ProbeRound(std::span(candidates).subspan(start, size), prober, inUse))
            return NoProbeRefusal();
    }
    return {};
}

} // namespace Netrove
