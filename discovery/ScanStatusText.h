#pragma once

#include <QString>

#include <cstdint>

namespace Netrove {

// "Scan %d %s" with the rows listed, "Item" below 2 and "Items" from 2; when answers were lost on
// the way in, their count follows: "Scan 4800 Items, 200 lost"; and the devices listed that no
// longer answer: "Scan 20 Items, 3 not answering".
QString ScanStatusText(int rows, std::uint64_t lost = 0, int notAnswering = 0);

// "Scan End", with the lost count after it in the same way.
QString ScanEndText(std::uint64_t lost = 0);

} // namespace Netrove
