#include "manualset/SubnetTerms.h"

namespace Netrove {

std::uint32_t PackIpv4(const Ipv4Octets& octets)
{
    return std::uint32_t{octets[0]} << 24 | std::uint32_t{octets[1]} << 16 | std::uint32_t{octets[2]} << 8 |
           std::uint32_t{octets[3]};
}

std::uint8_t FirstOctet(std::uint32_t address)
{
    return static_cast<std::uint8_t>(address >> 24);
}

bool IsContiguousMask(std::uint32_t mask)
{
    // Filling in every bit below the lowest set one gives all ones only when no hole lies above it;
    // for 0 the subtraction wraps to all ones.
    return (mask | (mask - 1u)) == 0xFFFFFFFFu;
}

bool IsUsableAddress(std::uint32_t address, std::uint32_t mask)
{
    const std::uint32_t hostBits = ~mask;
    const std::uint32_t host = address & hostBits;
    const std::uint32_t network = address & mask;
    return host != hostBits && host != 0 && network != 0;
}

} // namespace Netrove
