#include "autoset/NeighbourTable.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace Netrove {

namespace {

// The columns of /proc/net/arp: "IP address", "HW type", "Flags", "HW address", "Mask", "Device".
constexpr std::size_t kAddressColumn = 0;
constexpr std::size_t kFlagsColumn = 2;
constexpr std::size_t kHardwareColumn = 3;
constexpr std::size_t kColumnCount = 6;
constexpr unsigned kCompleteFlag = 0x2; // ATF_COM

std::vector<std::string_view> Columns(std::string_view line)
{
    std::vector<std::string_view> columns;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t", at);
        if (start == std::string_view::npos)
            break;
        const std::size_t end = std::min(line.find_first_of(" \t", start), line.size());
        columns.push_back(line.substr(start, end - start));
        at = end;
    }
    return columns;
}

// "0x2" and the like.
bool ReadHexFlags(std::string_view text, unsigned& flags)
{
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
        return false;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data() + 2, end, flags, 16);
    return error == std::errc() && stop == end;
}

bool IsHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// "aa:bb:cc:dd:ee:ff": pairs of hex digits joined by colons, not all of them zero.
bool IsHardwareAddress(std::string_view text)
{
    if (text.size() < 2 || (text.size() + 1) % 3 != 0)
        return false;
    bool nonZero = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i % 3 == 2) {
            if (c != ':')
                return false;
        } else if (!IsHexDigit(c)) {
            return false;
        } else if (c != '0') {
            nonZero = true;
        }
    }
    return nonZero;
}

// An address column reads as exactly four dotted numbers from 0 to 255.
bool ReadAddress(std::string_view text, Ipv4Octets& address)
{
    std::size_t part = 0;
    std::size_t at = 0;
    for (; part < address.size(); ++part) {
        if (part > 0) {
            if (at >= text.size() || text[at] != '.')
                return false;
            ++at;
        }
        unsigned value = 0;
        const char* begin = text.data() + at;
        const auto [stop, error] = std::from_chars(begin, text.data() + text.size(), value, 10);
        if (error != std::errc() || stop == begin || stop - begin > 3 || value > 255)
            return false;
        address[part] = static_cast<std::uint8_t>(value);
        at = static_cast<std::size_t>(stop - text.data());
    }
    return at == text.size();
}

} // namespace

std::vector<Ipv4Octets> ResolvedNeighbours(std::string_view arpTable)
{
    std::vector<Ipv4Octets> resolved;
    std::size_t at = 0;
    while (at < arpTable.size()) {
        const std::size_t end = std::min(arpTable.find('\n', at), arpTable.size());
        const std::vector<std::string_view> columns = Columns(arpTable.substr(at, end - at));
        at = end + 1;
        Ipv4Octets address{};
        unsigned flags = 0;
        // A line without all its columns may have been cut inside the hardware address.
        if (columns.size() < kColumnCount || !ReadAddress(columns[kAddressColumn], address) ||
            !ReadHexFlags(columns[kFlagsColumn], flags) || (flags & kCompleteFlag) == 0 ||
            !IsHardwareAddress(columns[kHardwareColumn]))
            continue;
        resolved.push_back(address);
    }
    return resolved;
}

std::string ReadArpTable()
{
    std::ifstream file("/proc/net/arp");
    if (!file)
        return {};
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace Netrove
