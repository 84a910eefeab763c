#pragma once

#include "batchset/BatchPlan.h"
#include "discovery/DottedQuad.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace Netrove {

class DeviceListModel;

// One line of an address plan: the device by its MAC and what it is to become.
struct PlanLine
{
    int line = 0; // where the line begins in the file, from 1
    QString mac;
    std::optional<Ipv4Octets> ip; // nothing where the cell is empty, as a Dynamic line's may be
    std::optional<Ipv4Octets> mask;
    std::optional<Ipv4Octets> gateway;
    std::optional<bool> dhcp; // the "Mode" column: Static, or Dynamic (DHCP); nothing when absent
};

// An address plan is a saved list edited in a spreadsheet: CSV with the saved list's header, of
// which "MAC Address" and "IP Address" are required, "Subnet Mask", "Gateway" and "Mode" used when
// present, and every other column ignored. A cell that the saved list guarded against formulas
// (a leading "'") reads as it was. Lines with no field at all are skipped.
struct AddressPlan
{
    std::vector<PlanLine> lines;
    QString refusal; // "Line 7: ..."; nothing is used of a plan that has one
};
AddressPlan ReadAddressPlan(const QByteArray& csv);

// The plan over the listed devices: a device to set for each line that changes something; a line
// whose address and mode are the device's present ones is left alone and named in `unchanged`. A
// MAC that no listed device has, a device named twice, a Dynamic line whose address is not the
// device's present one, or an address planned for two devices is refused with its line number.
struct ResolvedPlan
{
    std::vector<BatchDevice> devices;
    QStringList unchanged; // the MACs left alone, as listed
    QString refusal;
};
ResolvedPlan ResolveAddressPlan(const AddressPlan& plan, const DeviceListModel& rows);

// The listed device of a MAC text: written exactly as the device writes it, else with other letter
// case; -1 when none.
int ListedRowOfMac(const DeviceListModel& rows, const QString& mac);

} // namespace Netrove
