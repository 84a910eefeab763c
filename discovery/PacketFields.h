#pragma once

#include "discovery/PacketLayout.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Netrove {

// Field access by layout. Every accessor stays inside both the field and the buffer: a field that
// the layout lacks, or that a too-short buffer does not hold, reads as empty or 0 and is not
// written.

std::span<const std::uint8_t> FieldBytes(PacketKind kind, std::span<const std::uint8_t> packet,
                                         PacketField field);
std::span<std::uint8_t> FieldBytes(PacketKind kind, std::span<std::uint8_t> packet, PacketField field);

// The text up to its NUL, never past its field (a field filled without NUL yields all its bytes).
std::string ReadText(PacketKind kind, std::span<const std::uint8_t> packet, PacketField field);

// Writes the text and its NUL, cut to the field's size minus one; the rest of the field is zeroed.
void WriteText(PacketKind kind, std::span<std::uint8_t> packet, PacketField field, std::string_view text);

// 16-bit fields travel little-endian.
std::uint16_t ReadU16(PacketKind kind, std::span<const std::uint8_t> packet, PacketField field);
void WriteU16(PacketKind kind, std::span<std::uint8_t> packet, PacketField field, std::uint16_t value);

std::uint8_t ReadByte(PacketKind kind, std::span<const std::uint8_t> packet, PacketField field);
void WriteByte(PacketKind kind, std::span<std::uint8_t> packet, PacketField field, std::uint8_t value);

ClientTag ReadClientTag(PacketKind kind, std::span<const std::uint8_t> packet);
void WriteClientTag(PacketKind kind, std::span<std::uint8_t> packet, const ClientTag& tag);

// A camera that sent the short form is stored with "N/A" as its alias; its setting requests must
// then be short too. A real alias that starts with "N/A" counts the same.
bool IsShortReply(PacketKind kind, std::span<const std::uint8_t> packet);

} // namespace Netrove
