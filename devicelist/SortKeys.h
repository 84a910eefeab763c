#pragma once

#include "devicelist/DeviceEntry.h"
#include "discovery/PacketLayout.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Netrove {

// Every column of the list sorts.
bool IsSortableColumn(int column);

// The field's text up to its NUL, never past the field, read in the layout of the row's kind.
std::string SortKey(PacketKind kind, std::span<const std::uint8_t> reply, PacketField field);

// Byte-wise as unsigned values; a prefix is the smaller. Negative, 0 or positive.
int CompareSortKeys(std::string_view a, std::string_view b);

// What a row sorts by in the column, compared with CompareSortKeys: No by the row's number, Device
// Name by the reply's model field (the column shows its first ten characters), IP Address by its
// four numbers (192.168.1.9 before 192.168.1.10) and MAC Address by its six bytes (a text that is
// neither comes after every one that is, as text), the other columns by their text. `entry` may be
// null for a row without one.
std::string ColumnSortKey(int column, const DeviceEntry* entry, std::string_view text, int number);

} // namespace Netrove
