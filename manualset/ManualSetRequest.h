#pragma once

#include "discovery/DottedQuad.h"
#include "discovery/PacketTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Netrove {

// What a device reported, as the Manual Setting dialog shows it when it opens. The reply is read in
// the layout of its kind: a camera's own, a recorder's for every other kind.
struct ManualSetReported
{
    std::string mac;
    // Nothing when the text does not read as four dotted numbers.
    std::optional<Ipv4Octets> ipAddress;
    std::optional<Ipv4Octets> subnetMask;
    std::optional<Ipv4Octets> gateway;
    std::uint8_t addressMode = 0;
    // HTTP (or service), DLX (a recorder's Port(TCP)), TCP, UDP, upload and multicast port.
    std::array<std::uint16_t, 6> ports{};
    // Empty for a recorder, whose model name is not used.
    std::string modelName;
};

ManualSetReported ReadManualSetReply(PacketKind kind, std::span<const std::uint8_t> reply);

// The longest password the device takes: 19 characters for a camera, 9 for a recorder.
int ManualSetPasswordLimit(PacketKind kind);

// The addressing-mode radio buttons, in their order: 0 "PPPoE", 1 "DHCP", 2 "STATIC"; -1 when
// none is selected. Every mode byte that is neither static nor DHCP shows as "PPPoE"; no button
// selected sends static.
inline constexpr int kModeRadioPppoe = 0;
inline constexpr int kModeRadioDhcp = 1;
inline constexpr int kModeRadioStatic = 2;
int ModeRadioFromAddressMode(std::uint8_t addressMode);
std::uint8_t AddressModeFromModeRadio(int modeRadio);

// What the user confirmed. A password longer than the device takes is cut.
struct ManualSetInput
{
    std::uint8_t addressMode = 0;
    std::string mac;
    Ipv4Octets ipAddress{};
    Ipv4Octets subnetMask{};
    Ipv4Octets gateway{};
    std::string password;
    // The leading numbers of the HTTP, DLX (Port(TCP)), TCP, UDP, upload and multicast fields; an
    // empty field reads 0.
    std::array<int, 6> ports{};
};

// The status line while the request is on its way.
inline constexpr const char* kManualSetStatusText = "Apply Start...";

// The setting request without its client tag, which the sender writes: camera offsets for every
// device; 326 bytes for a camera, 262 for a camera that sent a short reply and for a recorder.
// The web port is the HTTP port; every port travels as its low 16 bits.
std::vector<std::uint8_t> BuildManualSetRequest(PacketKind kind, bool shortForm, const ManualSetInput& input);

} // namespace Netrove
