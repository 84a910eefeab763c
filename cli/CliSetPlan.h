#pragma once

#include "autoset/FreeAddressSearch.h"
#include "cli/CliArguments.h"
#include "devicelist/DeviceEntry.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace Netrove {

// The setting request netrove-cli sends for `set`, or why it sends none.
struct CliSetPlan
{
    std::vector<std::uint8_t> request; // without the tag, which the sender writes
    bool camera = true;                // the camera channel, else the recorder channel
    QString proposal;                  // --auto: what was proposed, for the user
    QString refusal;                   // non-empty: nothing is sent, and this is why
    int exitCode = 0;                  // with a refusal: what netrove-cli ends with

    bool Refused() const { return !refusal.isEmpty(); }
};

// The request the Manual Setting dialog would send for the device's row when the user chose the
// command's mode, addresses and ports and typed its password, after the dialog's checks. Ports that
// the options do not give keep what the device reported; ports the dialog does not show for the
// device's model cannot be given. PPPoE is kept only by a device that reports it, as the dialog
// offers no more.
CliSetPlan PlanManualSet(const DeviceEntry& entry, const QString& mac, const CliCommand& command);

// The request the Auto Setting dialog would send with this proposal and, for a camera, the base
// port the free port search handed out.
CliSetPlan PlanAutoSet(const DeviceEntry& entry, const QString& mac, const CliCommand& command,
                       const FreeAddressProposal& proposal, int basePort);

} // namespace Netrove
