#pragma once

#include <array>
#include <cstdint>

namespace Netrove {

// The first byte of a packet (byte 4 of a recorder reply).
enum class PacketOpcode : std::uint8_t
{
    Search = 1,
    ApplySettings = 2,
    ApplyPortMapping = 4,
    SearchReply = 11,
    SettingApplied = 22,
    InvalidPassword = 33,
    SettingAppliedInfo = 44,
    PortMappingError = 55,
    RouterConnectError = 66,
};

// The layout of a stored reply; the values are those a list row keeps beside its packet.
enum class PacketKind : std::int32_t
{
    KindCamera = 1,
    KindCameraIPv6 = 2,
    KindRecorder = 3,
};

// The addressing-mode byte of a packet.
enum class AddressMode : std::uint8_t
{
    Static = 0,
    Dhcp = 1,
    Pppoe = 2,
};

// 18 bytes naming the running instance; every request carries it and every reply echoes it.
inline constexpr std::size_t kClientTagSize = 18;
using ClientTag = std::array<std::uint8_t, kClientTagSize>;

} // namespace Netrove
