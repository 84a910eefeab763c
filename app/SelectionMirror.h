#pragma once

#include "discovery/DottedQuad.h"

#include <QString>

#include <optional>

namespace Netrove {

// What the main window keeps of the chosen row for the setting dialogs. An address that is not
// set is blank, as an emptied address control is.
struct SelectionMirror
{
    static constexpr int kPasswordLimit = 19;

    QString mac;
    std::optional<Ipv4Octets> ip;
    std::optional<Ipv4Octets> subnetMask;
    std::optional<Ipv4Octets> gateway;
    QString password = QStringLiteral("7517");
    QString httpPort;
    QString dlxPort;
    QString tcpPort;
    QString udpPort;
    QString uploadPort;
};

} // namespace Netrove
