#pragma once

#include "discovery/PacketTypes.h"
#include "manualset/ManualSetRequest.h"
#include "manualset/PortGroup.h"

#include <QString>

#include <cstddef>
#include <optional>
#include <string>

namespace Netrove {

// Which of the six port fields (HTTP, DLX or Port(TCP), TCP, UDP, upload, multicast) the Manual
// Setting dialog shows for a device, from the HTTP field on, and whether they are typed into. The
// fields it hides stay empty and send 0.
struct PortFieldLayout
{
    std::size_t shown = 2;
    // false: the six-port block, which moves only as a whole with the arrows
    bool typed = true;
};

// A recorder shows HTTP and Port(TCP); a camera what its model's port group has.
PortFieldLayout ManualSetPortFields(PacketKind kind, PortGroup group);

// The dialog's checks over what it would send: the addressing mode, the three addresses and the
// first two port fields. The message of the first rule that fails; nothing when all pass.
std::optional<std::string> ValidateManualSetInput(PacketKind kind, PortGroup group,
                                                  const ManualSetInput& input);

// Why a password given outside the dialog cannot go to the device: longer than the device takes
// (where the dialog's field stops taking characters), or not single-byte. Nothing when it can.
std::optional<QString> PasswordRefusal(const QString& password, PacketKind kind);

} // namespace Netrove
