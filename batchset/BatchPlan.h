#pragma once

#include "autoset/FreeAddressSearch.h"
#include "devicelist/DeviceEntry.h"
#include "discovery/DottedQuad.h"
#include "engine/BatchBook.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <span>
#include <vector>

namespace Netrove {

// One device to be set with others: what the list shows of it, a copy of its row's entry, and the
// address it is to get (nothing with DHCP).
struct BatchDevice
{
    QString mac;
    QString model;
    QString ip; // as listed
    DeviceEntry entry;
    std::optional<Ipv4Octets> newIp;
    // What an address plan gives this device itself; the dialog's fields apply where it gives none.
    std::optional<Ipv4Octets> planMask;
    std::optional<Ipv4Octets> planGateway;
    std::optional<bool> planDhcp;
};

// What the Batch Setting dialog's fields say.
struct BatchSettings
{
    Ipv4Octets first{};
    Ipv4Octets mask{};
    Ipv4Octets gateway{};
    bool dhcp = false;
    QString password;
};

// Where the new addresses lie, and what is never given to a device: this computer's addresses, the
// network and broadcast addresses of the adapter's network (SearchNetwork), and the addresses that
// listed devices not being set report.
struct BatchNetwork
{
    SearchNetwork network;
    std::vector<Ipv4Octets> listed;
};

// The devices must have answered on one adapter, where their requests then leave: empty when they
// did, else the message naming the adapters.
QString SameAdapterRefusal(const std::vector<BatchDevice>& devices);

// The candidates probed at once: those in use go to `inUse`, the free ones come back in their order.
// Nothing when no probe could be sent; NoProbeRefusal() says so.
std::optional<std::vector<Ipv4Octets>> ProbeRound(std::span<const Ipv4Octets> round, AddressProber& prober,
                                                  std::set<Ipv4Octets>& inUse);
QString NoProbeRefusal();

// Each candidate pinged takes an entry of the computer's neighbour table while its hardware address
// is asked for (about 3 s), and Linux holds 1024 by default for all adapters together: a ping that
// finds no room is never sent, and would count as no answer. Larger batches are probed in rounds.
constexpr std::size_t kLargestProbeRound = 256;

// `count` addresses from `first` upwards, one per device, each inside the network, never one that is
// never given out, and never one that answers a ping or whose hardware address the computer knows
// (the prober tells; all candidates of a round are probed at once). `inUse` collects what the probes
// found taken. A refusal when `first` lies outside the network, no probe could be sent, or the
// network has not enough free addresses.
struct BatchAddresses
{
    std::vector<Ipv4Octets> addresses;
    QString refusal;
};
BatchAddresses ChooseBatchAddresses(const Ipv4Octets& first, std::size_t count, const BatchNetwork& network,
                                    AddressProber& prober, std::set<Ipv4Octets>& inUse);

// Everything checked before anything is sent: the password the devices' fields can hold, the mask
// and gateway by the Manual Setting rules, no two devices given one address, no address outside the
// network, never given out, or found in use. The first refusal's message; empty when all pass.
QString CheckBatch(const std::vector<BatchDevice>& devices, const BatchSettings& settings,
                   const BatchNetwork& network, const std::set<Ipv4Octets>& inUse);

// The device's setting request, as the Manual Setting dialog would send it with its own ports.
BatchItem MakeBatchItem(const BatchDevice& device, const BatchSettings& settings);

// The columns of a batch's table, in the Batch Setting dialog and in netrove-cli's output alike.
QStringList BatchTableTitles();

// "192.168.1.0/24"
QString NetworkText(const SearchNetwork& network);
// What a batch sends where nobody chose a subnet mask or gateway: the mask of the adapter's network,
// and the network's first address (its .1).
Ipv4Octets NetworkMask(const SearchNetwork& network);
Ipv4Octets NetworkGateway(const SearchNetwork& network);
// Whether the address lies in the adapter's network (an unknown prefix counts as /24).
bool InSearchNetwork(const Ipv4Octets& address, const SearchNetwork& network);

} // namespace Netrove
