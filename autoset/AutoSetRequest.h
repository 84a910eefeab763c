#pragma once

#include "discovery/DottedQuad.h"
#include "discovery/PacketTypes.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace Netrove {

// What the Auto Setting dialog keeps of the chosen device. It is copied once, when the dialog
// opens: a search while the dialog is open frees the row and empties the main window's MAC text,
// and the request must still reach the device the user chose.
struct AutoSetTarget
{
    PacketKind kind = PacketKind::KindCamera;
    // The device's MAC address text, as the main window showed it; it names the device the
    // broadcast request is meant for.
    std::string mac;
    bool staticAddress = false;
    // A camera that answered with the short form gets short requests too.
    bool shortForm = false;
    // The mask the device reported; 255.255.255.0 when its text does not read as an address,
    // since the proposed address and gateway are those of a /24 network.
    Ipv4Octets subnetMask{};
    // A recorder keeps its own web port and six service ports, HttpPort to MulticastPort.
    std::uint16_t recorderWebPort = 0;
    std::array<std::uint16_t, 6> recorderPorts{};
};

// What the user confirmed: the proposed addresses (blank parts read as 0), the typed password and,
// for a camera, the first of the six ports the free port search handed out.
struct AutoSetInput
{
    Ipv4Octets address{};
    Ipv4Octets subnetMask{};
    Ipv4Octets gateway{};
    std::string password;
    bool portMapping = false;
    int basePort = 0;
};

// Cameras are kinds 1 and 2; every other kind is set as a recorder.
bool IsCameraKind(PacketKind kind);
// The layout a stored reply is read in: a camera's own, a recorder's for every other kind.
PacketKind ReplyLayout(PacketKind kind);

// The longest password the device takes: 19 characters for a camera, 9 for a recorder.
int AutoSetPasswordLimit(PacketKind kind);

// Reads the values the dialog needs from a list row's reply, in the layout of the row's kind.
AutoSetTarget CopyAutoSetTarget(PacketKind kind, std::span<const std::uint8_t> reply, std::string mac);

PacketOpcode AutoSetOpcode(bool portMapping);
// The status line while the request is on its way.
std::string_view AutoSetStatusText(bool portMapping);

// The setting request without its client tag, which the sender writes: camera offsets for every
// device; 326 bytes for a camera, 262 for a camera that sent a short reply and for a recorder.
std::vector<std::uint8_t> BuildAutoSetRequest(const AutoSetTarget& target, const AutoSetInput& input);

} // namespace Netrove
