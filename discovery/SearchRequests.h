#pragma once

#include "discovery/PacketTypes.h"

#include <cstdint>
#include <span>
#include <vector>

namespace Netrove {

// The search defaults (ports and empty texts) at the camera and the IPv6 camera offsets. The
// buffer must hold the layout's short form; bytes the defaults do not name are left as they are.
void FillSearchDefaults(std::span<std::uint8_t> packet);
void FillSearchDefaultsIPv6(std::span<std::uint8_t> packet);

// The three search requests, exactly as they go on the wire.
std::vector<std::uint8_t> BuildCameraSearch(const ClientTag& tag, std::uint8_t opcode = 1);
std::vector<std::uint8_t> BuildIPv6Search(const ClientTag& tag, std::uint8_t opcode = 1);
// Recorders are asked with opcode and tag at the camera positions and nothing else.
std::vector<std::uint8_t> BuildRecorderSearch(const ClientTag& tag, std::uint8_t opcode = 1);

} // namespace Netrove
