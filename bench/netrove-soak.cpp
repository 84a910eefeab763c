// netrove-soak: the main window through hundreds of searches of 200 simulated cameras and 10
// recorders, with a setting request now and then ("Auto Set" and "Manual Set" in turn, each
// answered by its device, which must then be found again with its new address). Every so many
// searches it prints what the last search listed and what the process holds: its resident memory,
// the heap in use, open descriptors and threads.
//
// It sends searches, so it runs only on the host side of a lab:
//
//     tools/netlab run soak -- build-bench/bin/netrove-soak [--searches 500] [--every 50]
//                                                           [--setting-every 100] [--csv]
//
// Columns:
//   searches          searches done (0: the one the window makes as it opens)
//   rows              rows the last search listed
//   fewest            fewest rows of any search since the previous line
//   incomplete        searches so far that missed a device or listed one not simulated
//   settings          devices set so far and found again with their new address
//   rss_kib           resident memory; of it
//   anon_kib          anonymous memory (heap, stacks) and
//   file_kib          pages of the program's and its libraries' files (code first run when a dialog
//                     first opens)
//   heap_kib          memory the allocator has handed out and not taken back (its caches of small
//                     freed blocks included)
//   fds, threads      open descriptors and threads
//   seconds           since the first search

#include "bench/BenchOutput.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/SoakRun.h"

#include <QApplication>

#include <cmath>
#include <cstdio>

using namespace Netrove;
using Bench::Csv;
using Bench::Note;
using Bench::Out;

namespace {

void PrintHeader()
{
    if (Csv())
        std::fprintf(Out(), "searches,rows,fewest,incomplete,settings,rss_kib,anon_kib,file_kib,heap_kib,fds,"
                            "threads,seconds\n");
    else
        std::fprintf(Out(), "%8s  %5s  %6s  %10s  %8s  %8s  %8s  %8s  %8s  %4s  %7s  %7s\n", "searches",
                     "rows", "fewest", "incomplete", "settings", "rss_kib", "anon_kib", "file_kib",
                     "heap_kib", "fds", "threads", "seconds");
    std::fflush(Out());
}

void Print(const SoakCheckpoint& at)
{
    const char* format = Csv() ? "%d,%d,%d,%d,%d,%lld,%lld,%lld,%lld,%d,%d,%.1f\n"
                               : "%8d  %5d  %6d  %10d  %8d  %8lld  %8lld  %8lld  %8lld  %4d  %7d  %7.1f\n";
    const ProcessFigures& f = at.figures;
    std::fprintf(Out(), format, at.searches, at.rows, at.fewestRows, at.incompleteSearches, at.settings,
                 f.residentBytes / 1024, f.residentAnonBytes / 1024, f.residentFileBytes / 1024,
                 f.heapInUseBytes / 1024, f.openDescriptors, f.threads, at.seconds);
    std::fflush(Out());
}

QString Growth(long long from, long long to)
{
    return from > 0 && to > 0 ? QString::asprintf("%+.1f %%", 100.0 * double(to - from) / double(from))
                              : QStringLiteral("-");
}

bool ParseCount(const char* text, int least, int& value)
{
    bool ok = false;
    value = QString::fromLocal8Bit(text).toInt(&ok);
    return ok && value >= least;
}

int Usage(int code)
{
    std::fprintf(code == 0 ? stdout : stderr,
                 "usage: tools/netlab run soak -- netrove-soak [--searches N] [--every M] "
                 "[--setting-every K] [--csv]\n"
                 "  --searches       searches after the opening one (default 500)\n"
                 "  --every          a line of figures every M searches (default 50)\n"
                 "  --setting-every  a setting request after every K searches (default 100; 0: none)\n"
                 "  --csv            one header line and one comma-separated line per report; other lines "
                 "start with #\n"
                 "Runs only on the host side of a lab made by tools/netlab (exit code 77 elsewhere).\n");
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    SoakOptions options;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        const bool hasNext = i + 1 < argc;
        if (arg == "--help" || arg == "-h")
            return Usage(0);
        if (arg == "--csv") {
            Bench::SetCsv(true);
        } else if (arg == "--searches" && hasNext) {
            if (!ParseCount(argv[++i], 1, options.searches))
                return Usage(2);
        } else if (arg == "--every" && hasNext) {
            if (!ParseCount(argv[++i], 1, options.reportEvery))
                return Usage(2);
        } else if (arg == "--setting-every" && hasNext) {
            if (!ParseCount(argv[++i], 0, options.settingEvery))
                return Usage(2);
        } else {
            return Usage(2);
        }
    }
    if (const std::optional<int> exitCode = Bench::Start())
        return *exitCode;
    QApplication app(argc, argv);

    SoakRun run(options);
    Note(QStringLiteral(
             "netrove-soak: %1 searches of %2 simulated devices (%3 cameras over IPv4, %4 also over "
             "IPv6, %5 recorders), a setting request every %6 (lab %7)")
             .arg(options.searches)
             .arg(run.Devices())
             .arg(options.cameras)
             .arg(options.ipv6Cameras)
             .arg(options.recorders)
             .arg(options.settingEvery)
             .arg(LabFixture::LabName()));
    Note(QStringLiteral("machine: %1").arg(Bench::MachineText()));
    Note(QStringLiteral("load average at start: %1").arg(Bench::LoadAverage()));
    PrintHeader();
    QList<SoakCheckpoint> checkpoints;
    const bool started = run.Run([&checkpoints](const SoakCheckpoint& at) {
        Print(at);
        checkpoints << at;
    });
    Note(QStringLiteral("load average at end: %1").arg(Bench::LoadAverage()));
    if (checkpoints.size() > 2) {
        // The first report after the opening search is the reference: the window has searched a
        // while, and every piece of it made on first use for a search exists.
        const ProcessFigures& from = checkpoints[1].figures;
        const ProcessFigures& to = checkpoints.last().figures;
        Note(QStringLiteral(
                 "from %1 to %2 searches: resident memory %3 (anonymous %4, files %5), heap in use %6, "
                 "descriptors %7 -> %8, threads %9 -> %10")
                 .arg(checkpoints[1].searches)
                 .arg(checkpoints.last().searches)
                 .arg(Growth(from.residentBytes, to.residentBytes),
                      Growth(from.residentAnonBytes, to.residentAnonBytes),
                      Growth(from.residentFileBytes, to.residentFileBytes),
                      Growth(from.heapInUseBytes, to.heapInUseBytes))
                 .arg(from.openDescriptors)
                 .arg(to.openDescriptors)
                 .arg(from.threads)
                 .arg(to.threads));
    }
    for (const QString& failure : run.Failures())
        Note(QStringLiteral("FAILED: %1").arg(failure));
    return started && run.Failures().isEmpty() ? 0 : 1;
}
