#include "batchset/BatchPlan.h"

#include "autoset/AutoSetRequest.h"
#include "discovery/PacketFields.h"
#include "manualset/ManualSetPlan.h"
#include "manualset/PortGroup.h"

#include <QStringList>

#include <algorithm>
#include <map>

namespace Netrove {

namespace {

QString Quad(const Ipv4Octets& octets)
{
    return QString::fromStdString(FormatDottedQuad(octets));
}

// An adapter of unknown prefix is taken for the /24 that Auto Set looks in.
int PrefixOf(const SearchNetwork& network)
{
    return network.prefixLength == kPrefixUnknown ? 24 : network.prefixLength;
}

// Why the address is never given to a device; empty when it may be.
QString NeverGivenReason(const Ipv4Octets& address, const BatchNetwork& where)
{
    if (!InSearchNetwork(address, where.network))
        return QStringLiteral("%1 is not in this computer's network %2")
            .arg(Quad(address), NetworkText(where.network));
    if (IsNeverProposed(address, where.network))
        return QStringLiteral("%1 is this computer's address or its network's own").arg(Quad(address));
    if (std::find(where.listed.begin(), where.listed.end(), address) != where.listed.end())
        return QStringLiteral("%1 is the address of a listed device").arg(Quad(address));
    return {};
}

// What the Manual Setting dialog would be confirmed with for the device.
ManualSetInput BatchInput(const BatchDevice& device, const BatchSettings& settings)
{
    const PacketKind kind = device.entry.kind;
    const ManualSetReported reported = ReadManualSetReply(kind, device.entry.reply);
    const PortFieldLayout layout = ManualSetPortFields(kind, ClassifyModel(reported.modelName));
    ManualSetInput input;
    input.mac = device.mac.toLatin1().toStdString();
    input.password = settings.password.toLatin1().toStdString();
    const bool dhcp = device.planDhcp.value_or(settings.dhcp);
    input.addressMode = static_cast<std::uint8_t>(dhcp ? AddressMode::Dhcp : AddressMode::Static);
    // DHCP sends what the device reported, as the dialog does.
    input.ipAddress = dhcp ? reported.ipAddress.value_or(Ipv4Octets{}) : device.newIp.value_or(Ipv4Octets{});
    input.subnetMask =
        dhcp ? reported.subnetMask.value_or(Ipv4Octets{}) : device.planMask.value_or(settings.mask);
    input.gateway =
        dhcp ? reported.gateway.value_or(Ipv4Octets{}) : device.planGateway.value_or(settings.gateway);
    // Each device keeps its own ports: those its model shows, as it reported them.
    for (std::size_t i = 0; i < input.ports.size(); ++i)
        input.ports[i] = i < layout.shown ? reported.ports[i] : 0;
    return input;
}

} // namespace

QString NetworkText(const SearchNetwork& network)
{
    const int prefix = PrefixOf(network);
    return QStringLiteral("%1/%2")
        .arg(Quad(Ipv4FromNumber(Ipv4Number(network.localAddress) & PrefixMask(prefix))))
        .arg(prefix);
}

QStringList BatchTableTitles()
{
    return {QStringLiteral("MAC Address"), QStringLiteral("Device Name"), QStringLiteral("IP Address"),
            QStringLiteral("New IP Address"), QStringLiteral("Result")};
}

Ipv4Octets NetworkMask(const SearchNetwork& network)
{
    return Ipv4FromNumber(PrefixMask(PrefixOf(network)));
}

Ipv4Octets NetworkGateway(const SearchNetwork& network)
{
    return Ipv4FromNumber((Ipv4Number(network.localAddress) & PrefixMask(PrefixOf(network))) + 1);
}

bool InSearchNetwork(const Ipv4Octets& address, const SearchNetwork& network)
{
    const std::uint32_t mask = PrefixMask(PrefixOf(network));
    return (Ipv4Number(address) & mask) == (Ipv4Number(network.localAddress) & mask);
}

QString SameAdapterRefusal(const std::vector<BatchDevice>& devices)
{
    QStringList adapters;
    for (const BatchDevice& device : devices) {
        const QString& name = device.entry.arrival.name;
        if (!adapters.contains(name))
            adapters << name;
    }
    if (adapters.size() < 2)
        return {};
    return QStringLiteral("The devices answered on different adapters (%1): choose devices of one adapter")
        .arg(adapters.join(QStringLiteral(", ")));
}

std::optional<std::vector<Ipv4Octets>> ProbeRound(std::span<const Ipv4Octets> round, AddressProber& prober,
                                                  std::set<Ipv4Octets>& inUse)
{
    const std::vector<AddressProber::Result> results = prober.Probe(round);
    std::vector<Ipv4Octets> free;
    for (std::size_t i = 0; i < round.size(); ++i) {
        // A prober that gave fewer results than it was asked for has not shown the rest free.
        const AddressProber::Result result = i < results.size() ? results[i] : AddressProber::Result::InUse;
        if (result == AddressProber::Result::NoSocket)
            return std::nullopt;
        if (result == AddressProber::Result::InUse)
            inUse.insert(round[i]);
        else
            free.push_back(round[i]);
    }
    return free;
}

QString NoProbeRefusal()
{
    FreeAddressProposal noSocket;
    noSocket.outcome = FreeAddressOutcome::NoProbeSocket;
    return QString::fromStdString(FreeAddressMessage(noSocket));
}

BatchAddresses ChooseBatchAddresses(const Ipv4Octets& first, std::size_t count, const BatchNetwork& network,
                                    AddressProber& prober, std::set<Ipv4Octets>& inUse)
{
    BatchAddresses chosen;
    const auto notEnough = [&] {
        chosen.addresses.clear();
        chosen.refusal =
            QStringLiteral("Not enough free IP addresses for %1 devices from %2").arg(count).arg(Quad(first));
        return chosen;
    };
    if (!InSearchNetwork(first, network.network)) {
        chosen.refusal = NeverGivenReason(first, network);
        return chosen;
    }
    const std::uint32_t last =
        Ipv4Number(network.network.localAddress) | ~PrefixMask(PrefixOf(network.network));
    std::uint32_t next = Ipv4Number(first);
    while (chosen.addresses.size() < count) {
        // A round: as many candidates as are still wanted and a few more, probed at once, but never
        // more than the neighbour table has room for.
        const std::size_t wanted = count - chosen.addresses.size();
        const std::size_t roundSize = std::min(wanted + wanted / 4 + 4, kLargestProbeRound);
        std::vector<Ipv4Octets> round;
        while (round.size() < roundSize && next <= last) {
            const Ipv4Octets candidate = Ipv4FromNumber(next++);
            if (NeverGivenReason(candidate, network).isEmpty())
                round.push_back(candidate);
            if (next == 0)
                break; // past 255.255.255.255
        }
        if (round.empty())
            return notEnough();
        const std::optional<std::vector<Ipv4Octets>> free = ProbeRound(round, prober, inUse);
        if (!free) {
            chosen.addresses.clear();
            chosen.refusal = NoProbeRefusal();
            return chosen;
        }
        for (std::size_t i = 0; i < free->size() && chosen.addresses.size() < count; ++i)
            chosen.addresses.push_back((*free)[i]);
        if (next > last && chosen.addresses.size() < count)
            return notEnough();
    }
    return chosen;
}

QString CheckBatch(const std::vector<BatchDevice>& devices, const BatchSettings& settings,
                   const BatchNetwork& network, const std::set<Ipv4Octets>& inUse)
{
    std::map<Ipv4Octets, QString> planned; // address -> the device it is planned for
    for (const BatchDevice& device : devices) {
        if (const std::optional<QString> why = PasswordRefusal(settings.password, device.entry.kind))
            return *why;
        const bool dhcp = device.planDhcp.value_or(settings.dhcp);
        if (dhcp)
            continue;
        if (!device.newIp)
            return QStringLiteral("%1 has no new IP address").arg(device.mac);
        const Ipv4Octets& address = *device.newIp;
        if (const QString why = NeverGivenReason(address, network); !why.isEmpty())
            return why;
        if (inUse.count(address) > 0)
            return QStringLiteral("%1 answers a ping or is known to this computer: it is in use")
                .arg(Quad(address));
        if (const auto other = planned.find(address); other != planned.end())
            return QStringLiteral("%1 is planned for two devices: %2 and %3")
                .arg(Quad(address), other->second, device.mac);
        planned.emplace(address, device.mac);
        // The mask and gateway as the Manual Setting dialog checks them, with the device's own ports.
        const ManualSetReported reported = ReadManualSetReply(device.entry.kind, device.entry.reply);
        if (const std::optional<std::string> failure = ValidateManualSetInput(
                device.entry.kind, ClassifyModel(reported.modelName), BatchInput(device, settings)))
            return QStringLiteral("%1: %2").arg(device.mac, QString::fromStdString(*failure));
    }
    return {};
}

BatchItem MakeBatchItem(const BatchDevice& device, const BatchSettings& settings)
{
    const PacketKind kind = device.entry.kind;
    BatchItem item;
    item.mac = device.mac;
    item.camera = IsCameraKind(kind);
    item.request = BuildManualSetRequest(kind, item.camera && IsShortReply(kind, device.entry.reply),
                                         BatchInput(device, settings));
    item.adapter = device.entry.arrival;
    return item;
}

} // namespace Netrove
