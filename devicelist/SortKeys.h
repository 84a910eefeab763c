#pragma once

#include "devicelist/DeviceEntry.h"
#include "discovery/PacketLayout.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace Netrove {

// The reply field a column sorts by: Device Name, MAC Address and IP Address; the other columns do
// not sort.
std::optional<PacketField> SortFieldOfColumn(int column);
bool IsSortableColumn(int column);

// The field's text up to its NUL, never past the field, read in the layout of the row's kind.
std::string SortKey(PacketKind kind, std::span<const std::uint8_t> reply, PacketField field);

// Byte-wise as unsigned values; a prefix is the smaller. Addresses compare as text, not as
// numbers. Negative, 0 or positive.
int CompareSortKeys(std::string_view a, std::string_view b);

// The order of two rows for a sort by the column; a zero direction sorts descending. A column that
// does not sort gives 0.
int CompareEntries(const DeviceEntry& a, const DeviceEntry& b, int column, int ascending);

} // namespace Netrove
