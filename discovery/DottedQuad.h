#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Netrove {

// The four numbers of an IPv4 address, first octet first, as an IP address control holds them.
using Ipv4Octets = std::array<std::uint8_t, 4>;

// Reads "a.b.c.d" the way the devices' address texts have always been read: each part a decimal
// number (optional sign, leading blanks allowed), reduced to its low 8 bits, so 300 reads as 44.
// Anything after the fourth number is ignored. Nothing when the text does not start with four
// dotted numbers.
std::optional<Ipv4Octets> ParseDottedQuad(std::string_view text);

// An address a person typed (an option, a plan file, a table's cell), read strictly: exactly four
// dotted numbers of 0 to 255, of at most three digits each, blanks around the whole aside.
std::optional<Ipv4Octets> ParseTypedAddress(std::string_view text);

// "%d.%d.%d.%d".
std::string FormatDottedQuad(const Ipv4Octets& octets);

// The address as one number, its first octet highest, and back: for a network's arithmetic.
std::uint32_t Ipv4Number(const Ipv4Octets& octets);
Ipv4Octets Ipv4FromNumber(std::uint32_t number);
// The mask of a prefix length as such a number; a length below 0 or above 32 counts as 0 or 32.
std::uint32_t PrefixMask(int prefixLength);

} // namespace Netrove
