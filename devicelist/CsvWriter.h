#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Netrove {

// One line of comma-separated values as RFC 4180 has it, in UTF-8 and ended by CR LF. Each field is
// first guarded against being taken for a formula (GuardSpreadsheetCell); one that then holds a comma,
// a double quote, a CR or an LF is enclosed in double quotes, its quotes doubled; every other field
// is written as it is.
QByteArray CsvLine(const QStringList& fields);

// The fields joined by tabs, for pasting one row into a spreadsheet or a text: each guarded as in
// CsvLine, then its tabs, line breaks and other control characters, which would split the row or
// hide in it, each made a space. No line end.
QString TabSeparatedLine(const QStringList& fields);

} // namespace Netrove
