#pragma once

// What the benchmarks share: the figures on standard output while the window's own lines go to
// /dev/null, notes that a CSV reader can skip, and what machine the figures come from.

#include <QString>

#include <cstdio>

namespace Netrove::Bench {

// Where the figures go: standard output as it was before KeepFiguresApart().
FILE* Out();
// Standard output from now on goes to /dev/null: the window reports every status change there.
void KeepFiguresApart();

// With CSV, every line that is not a header or a row of figures starts with "# ".
void SetCsv(bool csv);
bool Csv();
void Note(const QString& text);

// "<cpu>, N cores online; Linux <release>; Qt <version> (built with <version>), optimised build,
// offscreen platform"
QString MachineText();
QString LoadAverage();
// A file's contents without surrounding white space; "?" when it cannot be read.
QString ReadTrimmed(const char* path);

} // namespace Netrove::Bench
