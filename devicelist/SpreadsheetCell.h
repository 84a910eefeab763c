#pragma once

#include <QString>

namespace Netrove {

// A spreadsheet opening a saved list or a pasted row takes a cell that begins with "=", "+", "-" or
// "@" for a formula (and one that begins with a tab or a CR for what follows them), so an alias such
// as =HYPERLINK(…) would become a live link. Every CSV and clipboard writer passes its cells through
// here: such a cell gets a leading "'", which spreadsheets read as "text, not a formula". A text that
// already begins with "'"s before such a character gets one more too, so that reading back is exact.
QString GuardSpreadsheetCell(const QString& text);

// For a reader of what Netrove wrote: the text a guarded cell stood for (one leading "'" taken off
// where the guard put it; any other cell as it is).
QString UnguardSpreadsheetCell(const QString& cell);

} // namespace Netrove
