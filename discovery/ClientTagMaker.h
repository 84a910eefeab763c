#pragma once

#include "discovery/PacketTypes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace Netrove {

using HardwareAddress = std::array<std::uint8_t, 6>;

// Twelve random bytes in 1..255, shuffled, then the computer's hardware address (zeros when it
// has none), so that two runs differ and two computers differ.
ClientTag MakeClientTag(std::uint32_t seed, const std::optional<HardwareAddress>& hardware);

// The hardware address of the first network adapter that has one; loopback has none.
std::optional<HardwareAddress> FirstAdapterHardwareAddress();

// A reply belongs to someone else unless it carries our tag, or no tag at all (its first 15
// bytes zero), as devices that do not echo tags send.
bool IsForeignPacket(const ClientTag& own, std::span<const std::uint8_t> tag);

} // namespace Netrove
