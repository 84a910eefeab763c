#pragma once

// What the benchmarks share: their start-up, the figures on standard output while the window's own
// lines go to /dev/null, notes that a CSV reader can skip, and what machine the figures come from.

#include <QString>

#include <cstdio>
#include <optional>

namespace Netrove::Bench {

// What every benchmark does before its QApplication. It sends, so it goes on only on the host side
// of a lab; its windows then use the offscreen platform, and standard output from now on goes to
// /dev/null, since the window reports every row and status change there. Nothing when it may go on,
// else the exit code to leave with (LabFixture::Skip).
std::optional<int> Start();

// Where the figures go: standard output as it was before Start().
FILE* Out();

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
