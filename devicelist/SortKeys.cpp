#include "devicelist/SortKeys.h"

#include "devicelist/DeviceListColumns.h"
#include "discovery/PacketFields.h"

#include <algorithm>

namespace Netrove {

std::optional<PacketField> SortFieldOfColumn(int column)
{
    switch (column) {
    case ColumnDeviceName:
        return PacketField::ModelName;
    case ColumnMac:
        return PacketField::MacAddress;
    case ColumnIp:
        return PacketField::IpAddress;
    default:
        return std::nullopt;
    }
}

bool IsSortableColumn(int column)
{
    return SortFieldOfColumn(column).has_value();
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

int CompareEntries(const DeviceEntry& a, const DeviceEntry& b, int column, int ascending)
{
    const auto field = SortFieldOfColumn(column);
    if (!field)
        return 0;
    const std::string keyA = SortKey(a.kind, a.reply, *field);
    const std::string keyB = SortKey(b.kind, b.reply, *field);
    return ascending ? CompareSortKeys(keyA, keyB) : CompareSortKeys(keyB, keyA);
}

} // namespace Netrove
