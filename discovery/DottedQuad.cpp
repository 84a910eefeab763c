#include "discovery/DottedQuad.h"

#include <algorithm>

#include <cctype>
#include <cstdio>

namespace Netrove {

namespace {

// One decimal number as scanf's %d takes it: blanks, an optional sign, at least one digit. The
// value wraps like the int it is stored in would be truncated to 8 bits afterwards.
bool ReadNumber(std::string_view text, std::size_t& at, std::uint8_t& octet)
{
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    const std::size_t digits = at;
    std::uint32_t value = 0;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at]))) {
        value = value * 10u + static_cast<std::uint32_t>(text[at] - '0');
        ++at;
    }
    if (at == digits)
        return false;
    if (negative)
        value = 0u - value;
    octet = static_cast<std::uint8_t>(value & 0xFFu);
    return true;
}

} // namespace

std::optional<Ipv4Octets> ParseDottedQuad(std::string_view text)
{
    Ipv4Octets octets{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < octets.size(); ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != '.')
                return std::nullopt;
            ++at;
        }
        if (!ReadNumber(text, at, octets[i]))
            return std::nullopt;
    }
    return octets;
}

std::optional<Ipv4Octets> ParseTypedAddress(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    Ipv4Octets octets{};
    for (std::size_t i = 0; i < octets.size(); ++i) {
        std::size_t digits = 0;
        unsigned value = 0;
        while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])))
            value = value * 10u + unsigned(text[digits++] - '0');
        if (digits == 0 || digits > 3 || value > 255)
            return std::nullopt;
        octets[i] = static_cast<std::uint8_t>(value);
        text.remove_prefix(digits);
        if (i + 1 < octets.size()) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
    }
    if (!text.empty())
        return std::nullopt;
    return octets;
}

std::string FormatDottedQuad(const Ipv4Octets& octets)
{
    char text[16] = {};
    std::snprintf(text, sizeof(text), "%d.%d.%d.%d", octets[0], octets[1], octets[2], octets[3]);
    return text;
}

std::uint32_t Ipv4Number(const Ipv4Octets& octets)
{
    return std::uint32_t(octets[0]) << 24 | std::uint32_t(octets[1]) << 16 | std::uint32_t(octets[2]) << 8 |
           std::uint32_t(octets[3]);
}

Ipv4Octets Ipv4FromNumber(std::uint32_t number)
{
    return {std::uint8_t(number >> 24), std::uint8_t(number >> 16), std::uint8_t(number >> 8),
            std::uint8_t(number)};
}

std::uint32_t PrefixMask(int prefixLength)
{
    const int bits = std::clamp(prefixLength, 0, 32);
    return bits == 0 ? 0u : ~std::uint32_t(0) << (32 - bits);
}

} // namespace Netrove
