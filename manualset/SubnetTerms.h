#pragma once

#include "discovery/DottedQuad.h"

#include <cstdint>

namespace Netrove {

// An address as one number, first octet most significant, so that masks apply bit by bit.
std::uint32_t PackIpv4(const Ipv4Octets& octets);

std::uint8_t FirstOctet(std::uint32_t address);

// Every bit above the lowest set bit is set; an all-zero mask counts as contiguous.
bool IsContiguousMask(std::uint32_t mask);

// Neither the network's own address nor its broadcast address, and not in network 0.
bool IsUsableAddress(std::uint32_t address, std::uint32_t mask);

} // namespace Netrove
