#pragma once

#include "discovery/NetworkAdapters.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <vector>

namespace Netrove {

// A zone of firewalld, as far as it tells whether answers to a search get in.
struct FirewalldZone
{
    QString target;       // "default", "ACCEPT", "DROP", ...
    QStringList services; // "netrove", "ssh", ...
    QStringList ports;    // "7711/udp", "7700-7800/udp"
};

// What an ordinary user's program can find out about why a search heard nothing.
struct EmptySearchFindings
{
    std::vector<InterfaceAddress> addresses; // every address of every adapter, as the system lists them
    bool firewalldRunning = false;           // firewalld answers on the system bus
    // The zones of the connected adapters, as firewalld told them; nothing when it would not tell.
    std::optional<std::vector<FirewalldZone>> firewalldZones;
    QByteArray ufwSettings; // /etc/ufw/ufw.conf, empty where there is none
};

// The adapters a search can be heard on: up with a link (a cable in, a wireless network joined),
// loopback aside; each once, in the system's order.
QStringList ConnectedAdapterNames(std::span<const InterfaceAddress> addresses);

// The line that names the likely cause of a search that heard nothing, the first that applies: no
// adapter connected; a firewall of this computer on and not known to let the answers in (firewalld
// running without the "netrove" service or both answer ports in the zone of a connected adapter, or
// would not tell; else ufw enabled); otherwise the adapters asked, to check the cable and devices.
QString EmptySearchHint(const EmptySearchFindings& findings);

} // namespace Netrove
