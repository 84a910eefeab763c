#include "devicelist/SortKeys.h"

#include "devicelist/DeviceListColumns.h"
#include "discovery/PacketFields.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace Netrove {

namespace {

// A number of 0 to `limit` written in `base`, the whole text and nothing else.
std::optional<unsigned> ReadNumber(std::string_view text, int base, unsigned limit)
{
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > limit)
        return std::nullopt;
    return value;
}

// The parts of `text` between `separator`s; nothing unless there are exactly `count`, each of
// 0 to `limit`.
std::optional<std::string> Numbers(std::string_view text, std::string_view separators, std::size_t count,
                                   int base, unsigned limit)
{
    std::string bytes;
    while (bytes.size() < count) {
        const std::size_t end = text.find_first_of(separators);
        const std::optional<unsigned> number = ReadNumber(text.substr(0, end), base, limit);
        if (!number)
            return std::nullopt;
        bytes.push_back(static_cast<char>(*number));
        if (end == std::string_view::npos)
            return bytes.size() == count ? std::optional(bytes) : std::nullopt;
        text.remove_prefix(end + 1);
    }
    return std::nullopt;
}

std::string ParsedOrText(const std::optional<std::string>& parsed, std::string_view text)
{
    return parsed ? '\0' + *parsed : '\1' + std::string(text);
}

} // namespace

bool IsSortableColumn(int column)
{
    return column >= 0 && column < ColumnCount;
}

std::string SortKey(PacketKind kind, std::span<const std::uint8_t> reply, PacketField field)
{
    return ReadText(kind, reply, field);
}

int CompareSortKeys(std::string_view a, std::string_view b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto left = static_cast<unsigned char>(a[i]);
        const auto right = static_cast<unsigned char>(b[i]);
        if (left != right)
            return left < right ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string ColumnSortKey(int column, const DeviceEntry* entry, std::string_view text, int number)
{
    switch (column) {
    case ColumnNo: {
        const auto value = static_cast<std::uint32_t>(number);
        return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
                static_cast<char>(value)};
    }
    case ColumnDeviceName:
        // Another maker's camera has no reply of ours: its name is the text it shows.
        return entry && !entry->onvif ? SortKey(entry->kind, entry->reply, PacketField::ModelName)
                                      : std::string(text);
    case ColumnIp:
        return ParsedOrText(Numbers(text, ".", 4, 10, 255), text);
    case ColumnMac:
        return ParsedOrText(Numbers(text, ":-", 6, 16, 255), text);
    default:
        return std::string(text);
    }
}

} // namespace Netrove
