#include "discovery/EmptySearchHint.h"

#include "discovery/DiscoveryChannels.h"
#include "discovery/DottedQuad.h"

#include <net/if.h>

#include <algorithm>

namespace Netrove {

namespace {

constexpr std::uint16_t kAnswerPorts[] = {DiscoveryChannels::kCameraReplyPort,
                                          DiscoveryChannels::kRecorderReplyPort};

bool Connected(const InterfaceAddress& entry)
{
    const unsigned linked = IFF_UP | IFF_RUNNING;
    return entry.interfaceIndex > 0 && (entry.flags & linked) == linked && !(entry.flags & IFF_LOOPBACK);
}

// "7711/udp" or a range "7700-7800/udp" that holds the port.
bool OpensPort(const QString& opening, std::uint16_t port)
{
    const QStringList parts = opening.split(QLatin1Char('/'));
    if (parts.size() != 2 || parts[1].compare(QLatin1String("udp"), Qt::CaseInsensitive) != 0)
        return false;
    const QStringList range = parts[0].split(QLatin1Char('-'));
    const int first = range.first().toInt();
    const int last = range.last().toInt();
    return range.size() <= 2 && first <= port && port <= last;
}

bool LetsAnswersIn(const FirewalldZone& zone)
{
    if (zone.target == QLatin1String("ACCEPT") || zone.services.contains(QLatin1String("netrove")))
        return true;
    return std::all_of(std::begin(kAnswerPorts), std::end(kAnswerPorts), [&zone](std::uint16_t port) {
        return std::any_of(zone.ports.cbegin(), zone.ports.cend(),
                           [port](const QString& opening) { return OpensPort(opening, port); });
    });
}

bool FirewalldInTheWay(const EmptySearchFindings& findings)
{
    if (!findings.firewalldRunning)
        return false;
    return !findings.firewalldZones ||
           !std::all_of(findings.firewalldZones->begin(), findings.firewalldZones->end(), LetsAnswersIn);
}

// ufw reads its settings file as shell assignments: ENABLED=yes, perhaps quoted.
bool UfwEnabled(const QByteArray& settings)
{
    for (QByteArray line : settings.split('\n')) {
        line = line.trimmed();
        if (line == "ENABLED=yes" || line == "ENABLED=\"yes\"" || line == "ENABLED='yes'")
            return true;
    }
    return false;
}

QString FirewallText(const QString& firewall, const QString& allow)
{
    return QStringLiteral(
               "Nothing answered, and this computer's firewall (%1) may drop the answers on UDP %2 "
               "and %3. Allow them with: %4")
        .arg(firewall)
        .arg(kAnswerPorts[0])
        .arg(kAnswerPorts[1])
        .arg(allow);
}

// "lab0 (192.168.1.10)": the adapter with its first IPv4 address, or its name alone.
QString AdapterText(const QString& name, std::span<const InterfaceAddress> addresses)
{
    const auto ipv4 = std::find_if(addresses.begin(), addresses.end(), [&name](const InterfaceAddress& a) {
        return a.name == name && a.family == AF_INET;
    });
    if (ipv4 == addresses.end())
        return name;
    const Ipv4Octets octets{ipv4->address[0], ipv4->address[1], ipv4->address[2], ipv4->address[3]};
    return QStringLiteral("%1 (%2)").arg(name, QString::fromStdString(FormatDottedQuad(octets)));
}

} // namespace

QStringList ConnectedAdapterNames(std::span<const InterfaceAddress> addresses)
{
    QStringList names;
    for (const InterfaceAddress& entry : addresses) {
        if (Connected(entry) && !names.contains(entry.name))
            names.append(entry.name);
    }
    return names;
}

QString EmptySearchHint(const EmptySearchFindings& findings)
{
    const QStringList adapters = ConnectedAdapterNames(findings.addresses);
    if (adapters.isEmpty())
        return QStringLiteral("No network adapter is connected.");
    if (FirewalldInTheWay(findings))
        return FirewallText(QStringLiteral("firewalld"),
                            QStringLiteral("sudo firewall-cmd --permanent --add-service=netrove && "
                                           "sudo firewall-cmd --reload"));
    if (UfwEnabled(findings.ufwSettings))
        return FirewallText(QStringLiteral("ufw"), QStringLiteral("sudo ufw allow Netrove"));
    QStringList named;
    for (const QString& adapter : adapters)
        named.append(AdapterText(adapter, findings.addresses));
    return QStringLiteral("Nothing answered on %1. Check the cable, the switch and that the devices are on.")
        .arg(named.join(QStringLiteral(", ")));
}

} // namespace Netrove
