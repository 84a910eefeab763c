#pragma once

// What the benchmarks share: their start-up, the figures on standard output while the window's own
// lines go to /dev/null, notes that a CSV reader can skip, and what machine the figures come from.

#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <cstdio>
#include <functional>
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

// Runs the event loop until `done` holds or `ms` have passed.
void ServeUntil(const std::function<bool()>& done, int ms);

// How late a timer due every 5 ms comes: the longest the event loop was busy elsewhere, which is how
// long a click or a repaint would have waited. With it, the CPU time the thread spent in that
// stretch: far less than the stall means the system ran other programs meanwhile.
class StallMeter final
{
public:
    StallMeter();
    void Start();
    void Stop();
    double WorstMs() const { return double(m_worstLateNs) / 1e6; }
    double WorstCpuMs() const { return double(m_worstCpuNs) / 1e6; }

private:
    void Tick();

    QElapsedTimer m_clock;
    QTimer m_tick;
    qint64 m_lastTickNs = 0;
    qint64 m_lastCpuNs = 0;
    qint64 m_worstLateNs = 0;
    qint64 m_worstCpuNs = 0;
};

} // namespace Netrove::Bench
