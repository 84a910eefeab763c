#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Netrove {

// One line of comma-separated values as RFC 4180 has it, in UTF-8 and ended by CR LF: a field that
// holds a comma, a double quote, a CR or an LF is enclosed in double quotes, its quotes doubled;
// every other field is written as it is.
QByteArray CsvLine(const QStringList& fields);

// The fields joined by tabs, for pasting one row into a spreadsheet or a text: tabs, line breaks
// and other control characters inside a field would split the row or hide in it, so each becomes a
// space. No line end.
QString TabSeparatedLine(const QStringList& fields);

} // namespace Netrove
