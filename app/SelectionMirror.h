#pragma once

#include "discovery/ArrivalAdapter.h"
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
    // The adapter the chosen device answered on, and that device's MAC text. Kept when the mirror is
    // emptied, so that a request confirmed after the list was emptied still leaves where its device is.
    QString adapterMac;
    ArrivalAdapter adapter;
};

} // namespace Netrove
