// netrove-bench: how many simulated devices answering one search end up in the list, how long the
// list takes to fill, what each reply costs in CPU time and memory, how long the window stops
// answering meanwhile, and how long a sort of the full list takes.
//
// It sends searches, so it runs only on the host side of a lab:
//
//     tools/netlab run bench -- build-bench/bin/netrove-bench [--csv] [--sizes 100,1000,10000]
//                                                              [--receive-buffer BYTES]
//
// For every size N there are three runs, each with a fresh simulator and a fresh main window:
//   jitter   N cameras, each answering once after a random delay of 0..200 ms, to a click on Search
//            in a window that is already up
//   burst    N cameras whose answers all leave at once, as fast as the socket allows, likewise
//   opening  the burst, answering the search the window makes as it opens: its answers arrive
//            while the window is still being built, and its figures carry the window's first paint
// Each run gives, all times from the search (the click, or the moment the window is shown):
//   answering          devices that answered (the distinct MACs of the simulator's "sent" lines)
//   datagrams          answers sent in all (each device answers every send of the search)
//   rows, lost         rows listed; answering minus rows
//   kernel_drops       datagrams the window's receive sockets dropped (DroppedDatagrams())
//   last_send_ms       when the simulator's last answer left (its log, on the shared monotonic clock)
//   last_row_ms        when the last row was listed
//   cpu_us_per_reply   process CPU time from the search to the last row, per row
//   cpu_us_per_datagram  process CPU time of the whole run (at least 1.5 s, every send's answers),
//                      per answer sent
//   max_stall_ms       the longest a 5 ms timer came late: how long the window went unanswered
//   rss_bytes_per_row  resident memory grown from just before the search to the end, per row
//   sort_ms            the slowest of the sortable columns, sorted once with all rows listed

#include "app/CNetroveDlg.h"
#include "bench/BatchBench.h"
#include "bench/BenchOutput.h"
#include "bench/FilterBench.h"
#include "bench/LossyBench.h"
#include "bench/OnvifBench.h"
#include "devicelist/CNetroveListCtrl.h"
#include "devicelist/DeviceListColumns.h"
#include "discovery/DiscoveryChannels.h"
#include "tests/app/MainWindowControls.h"
#include "tests/lab/LabFixture.h"
#include "tests/lab/ProcessFigures.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonObject>
#include <QPushButton>
#include <QSet>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <malloc.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace Netrove;
using Bench::Csv;
using Bench::Note;
using Bench::Out;

namespace {

constexpr const char* kCsvHeader =
    "n,mode,answering,datagrams,rows,lost,kernel_drops,last_send_ms,last_row_ms,"
    "cpu_us_per_reply,cpu_us_per_datagram,max_stall_ms,rss_bytes_per_row,sort_ms";

// CPU time of the whole process, all threads (glibc: CLOCK_PROCESS_CPUTIME_ID).
double CpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// The clock the simulator's log times are placed on (doc/devsim.md, "monotonic_ms").
double MonotonicMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// What the system granted the camera receive socket (bound to the reply port), as SO_RCVBUF
// reports it (twice the usable size); -1 when no such socket is open.
int GrantedCameraReceiveBuffer()
{
    int granted = -1;
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds)
        return granted;
    while (const dirent* entry = ::readdir(fds)) {
        const int fd = std::atoi(entry->d_name);
        sockaddr_storage local{};
        socklen_t length = sizeof local;
        if (fd <= 2 || ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
            local.ss_family != AF_INET ||
            ntohs(reinterpret_cast<const sockaddr_in&>(local).sin_port) !=
                DiscoveryChannels::kCameraReplyPort)
            continue;
        socklen_t size = sizeof granted;
        ::getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &granted, &size);
    }
    ::closedir(fds);
    return granted;
}

enum class RunMode
{
    Jitter,  // answers spread over 200 ms, to a click on Search
    Burst,   // answers all at once, to a click on Search
    Opening, // answers all at once, to the search the window makes as it opens
};

struct RunResult
{
    int answered = 0;
    int datagrams = 0;
    double cpuAllMs = 0;
    int rows = 0;
    std::uint64_t kernelDrops = 0;
    double lastSendMs = NAN;
    double lastRowMs = 0;
    double cpuMs = 0;
    double maxStallMs = 0;
    double rssGrowth = 0;
    double sortMs = 0;
    bool ok = false;
    QString error;
};

struct SimulatorLog
{
    int sent = 0;
    int devices = 0; // distinct MACs among the answers
    // When the last answer left, on this process's monotonic clock; NaN when the log has no times.
    double lastSentMonotonicMs = NAN;
};

SimulatorLog ReadSimulatorLog(const LabFixture& lab)
{
    SimulatorLog result;
    double zero = NAN;
    double lastT = NAN;
    QSet<QString> macs;
    for (const QJsonObject& line : lab.Log()) {
        const QString event = line.value(QLatin1String("event")).toString();
        if (event == QLatin1String("ready")) {
            zero = line.value(QLatin1String("monotonic_ms")).toDouble(NAN);
        } else if (event == QLatin1String("sent")) {
            ++result.sent;
            macs.insert(line.value(QLatin1String("mac")).toString());
            const double t = line.value(QLatin1String("t")).toDouble(NAN);
            if (!std::isnan(t) && (std::isnan(lastT) || t > lastT))
                lastT = t;
        }
    }
    result.lastSentMonotonicMs = zero + lastT;
    result.devices = int(macs.size());
    return result;
}

RunResult Run(int devices, RunMode mode, int receiveBuffer)
{
    RunResult result;
    LabFixture lab;
    const QStringList args =
        mode != RunMode::Jitter
            ? QStringList{QStringLiteral("--burst"), QString::number(devices)}
            : QStringList{QStringLiteral("--cameras"),  QString::number(devices), QStringLiteral("--fault"),
                          QStringLiteral("jitter=200"), QStringLiteral("--seed"), QStringLiteral("1")};

    auto sockets = std::make_unique<DiscoveryChannels>();
    if (receiveBuffer > 0)
        sockets->SetCameraReceiveBuffer(receiveBuffer);
    const DiscoveryChannels& channels = *sockets;
    CNetroveDlg dlg(std::move(sockets));
    if (mode != RunMode::Opening) {
        // The window is up, painted and idle before the devices exist; the run is a click on Search.
        dlg.show();
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 300)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    if (!lab.Start(QString(), args)) {
        result.error = lab.Error();
        return result;
    }
    QElapsedTimer clock;
    double lastRowMs = -1;
    double lastRowCpu = 0;
    QObject::connect(MainWindow::List(dlg)->model(), &QAbstractItemModel::rowsInserted, &dlg, [&] {
        lastRowMs = double(clock.nsecsElapsed()) / 1e6;
        lastRowCpu = CpuSeconds();
    });

    // A timer due every 5 ms comes late by as long as the event loop was busy elsewhere: that is
    // how long a click or a repaint would have waited.
    constexpr qint64 kTickNs = 5'000'000;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(5);
    qint64 lastTickNs = 0;
    qint64 worstLateNs = 0;
    QObject::connect(&tick, &QTimer::timeout, &dlg, [&] {
        const qint64 now = clock.nsecsElapsed();
        worstLateNs = std::max(worstLateNs, now - lastTickNs - kTickNs);
        lastTickNs = now;
    });

    // Memory that earlier runs freed would otherwise be taken again unseen; the program has one
    // window, not a series, so each run starts from a heap with nothing free left resident.
    ::malloc_trim(0);
    const long long rssBefore = ResidentBytes();
    const double cpuStart = CpuSeconds();
    const double searchMonotonicMs = MonotonicMs();
    clock.start();
    tick.start();
    if (mode == RunMode::Opening)
        dlg.show(); // opens the channels and sends the first search while the window is being built
    else
        MainWindow::SearchButton(dlg)->click();

    // At least 1.5 s, so that the answers to every send of the search are taken in, and until every
    // device is listed or nothing new arrived for a second. A real event loop, so that waiting costs
    // no CPU time of its own.
    constexpr double kQuietMs = 1000;
    constexpr double kAtLeastMs = 1500;
    constexpr double kAtMostMs = 30000;
    QEventLoop loop;
    QTimer check;
    check.setInterval(50);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        const double since = lastRowMs < 0 ? now : now - lastRowMs;
        const bool all = MainWindow::Rows(dlg)->rowCount() >= devices;
        if ((now >= kAtLeastMs && (all || since >= kQuietMs)) || now >= kAtMostMs)
            loop.quit();
    });
    check.start();
    loop.exec();
    check.stop();
    tick.stop();
    result.cpuAllMs = (CpuSeconds() - cpuStart) * 1e3;
    // A run that ends before the timer is next due still counts its last stretch.
    worstLateNs = std::max(worstLateNs, clock.nsecsElapsed() - lastTickNs - kTickNs);
    result.rows = MainWindow::Rows(dlg)->rowCount();
    result.kernelDrops = channels.DroppedDatagrams();
    result.lastRowMs = lastRowMs < 0 ? 0 : lastRowMs;
    result.cpuMs = lastRowMs < 0 ? 0 : (lastRowCpu - cpuStart) * 1e3;
    result.maxStallMs = double(worstLateNs) / 1e6;
    // The run is over when the last rows are painted too, however soon the last one came (a first
    // paint takes a few passes of the event loop).
    {
        QEventLoop paint;
        QTimer::singleShot(100, &paint, &QEventLoop::quit);
        paint.exec();
    }
    const long long rssAfter = ResidentBytes();
    result.rssGrowth = rssBefore < 0 || rssAfter < 0 ? NAN : double(rssAfter - rssBefore);

    // A user sorts once the list is full and painted; each column on its own, the slowest counts.
    for (const int column : {ColumnDeviceName, ColumnMac, ColumnIp}) {
        QElapsedTimer sort;
        sort.start();
        MainWindow::List(dlg)->ToggleSort(column);
        result.sortMs = std::max(result.sortMs, double(sort.nsecsElapsed()) / 1e6);
        QApplication::processEvents();
    }

    // The simulator writes its "sent" lines after each batch; wait until their count holds still.
    SimulatorLog log;
    int sent = -1;
    for (int tries = 0; tries < 60; ++tries) {
        log = ReadSimulatorLog(lab);
        if (log.sent == sent && log.sent > 0)
            break;
        sent = log.sent;
        QThread::msleep(100);
    }
    result.answered = log.devices;
    result.datagrams = log.sent;
    result.lastSendMs = log.lastSentMonotonicMs - searchMonotonicMs;
    result.ok = true;
    if (!lab.IsRunning())
        result.error = QStringLiteral("the simulator ended during the run (see its message above)");
    lab.Stop();
    return result;
}

// An empty field (CSV) or "-" (table) for a figure that could not be taken.
QString Figure(double value, int decimals)
{
    if (std::isnan(value))
        return Csv() ? QString() : QStringLiteral("-");
    return QString::number(value, 'f', decimals);
}

void Print(int devices, const char* mode, const RunResult& r)
{
    if (!r.ok) {
        Note(QStringLiteral("%1 %2 failed: %3").arg(devices).arg(QLatin1String(mode), r.error));
        return;
    }
    const double perReplyUs = r.rows > 0 ? r.cpuMs * 1e3 / r.rows : NAN;
    const double perDatagramUs = r.datagrams > 0 ? r.cpuAllMs * 1e3 / r.datagrams : NAN;
    const double rssPerRow = r.rows > 0 ? r.rssGrowth / r.rows : NAN;
    const QStringList fields{
        QString::number(devices),       QLatin1String(mode),      QString::number(r.answered),
        QString::number(r.datagrams),   QString::number(r.rows),  QString::number(r.answered - r.rows),
        QString::number(r.kernelDrops), Figure(r.lastSendMs, 1),  Figure(r.lastRowMs, 1),
        Figure(perReplyUs, 1),          Figure(perDatagramUs, 1), Figure(r.maxStallMs, 1),
        Figure(rssPerRow, 0),           Figure(r.sortMs, 2)};
    if (Csv()) {
        std::fprintf(Out(), "%s\n", qPrintable(fields.join(QLatin1Char(','))));
    } else {
        static constexpr int kWidths[] = {6, -7, 9, 9, 6, 6, 12, 12, 11, 16, 19, 12, 17, 7};
        QString line;
        for (int i = 0; i < fields.size(); ++i)
            line += QStringLiteral("%1  ").arg(fields[i], kWidths[i]);
        line.chop(2);
        std::fprintf(Out(), "%s\n", qPrintable(line));
    }
    std::fflush(Out());
    if (!r.error.isEmpty())
        Note(QStringLiteral("%1 %2: %3").arg(devices).arg(QLatin1String(mode), r.error));
}

void PrintTableHeader()
{
    if (Csv()) {
        std::fprintf(Out(), "%s\n", kCsvHeader);
    } else {
        std::fprintf(Out(), "%6s  %-7s  %9s  %9s  %6s  %6s  %12s  %12s  %11s  %16s  %19s  %12s  %17s  %7s\n",
                     "n", "mode", "answering", "datagrams", "rows", "lost", "kernel_drops", "last_send_ms",
                     "last_row_ms", "cpu_us_per_reply", "cpu_us_per_datagram", "max_stall_ms",
                     "rss_bytes_per_row", "sort_ms");
    }
    std::fflush(Out());
}

bool ParseSizes(const QString& text, QList<int>& sizes)
{
    sizes.clear();
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int n = part.trimmed().toInt(&ok);
        if (!ok || n < 1 || n > 20000)
            return false;
        sizes.append(n);
    }
    return !sizes.isEmpty();
}

bool ParseBytes(const QString& text, int& bytes)
{
    bool ok = false;
    bytes = text.trimmed().toInt(&ok);
    return ok && bytes > 0;
}

int Usage(int code)
{
    std::fprintf(
        code == 0 ? stdout : stderr,
        "usage: tools/netlab run bench -- netrove-bench [--csv] [--sizes N,N,...] "
        "[--receive-buffer BYTES] [--filter | --batch | --lossy | --restart | --onvif]\n"
        "  --csv             one header line and one comma-separated line per run; other lines "
        "start with #\n"
        "  --sizes           device counts to measure (default 100,1000,10000; each 1..20000)\n"
        "  --receive-buffer  what the camera receive sockets ask the system for (default %d)\n"
        "  --filter          instead: answers arriving with a filter typed, the filter typed key by key\n"
        "                    and erased with every device listed, every column sorted\n"
        "  --batch           instead: N factory-new cameras at one address given addresses at once and\n"
        "                    checked (default sizes 100,1000; 1000 need the lab's --prefix 22), then\n"
        "                    the first size again with 10 cameras that never answer the setting request\n"
        "  --lossy           instead: N cameras (default 200) with 20 %% and 5 %% of their answers lost,\n"
        "                    10 searches each\n"
        "  --restart         instead: netrove-cli set on a camera silent for 40 s after its change, and\n"
        "                    set-many on 30 cameras silent for 20 to 40 s\n"
        "  --onvif           instead: 500 ONVIF cameras of other makers, alone and with 10000 of ours\n"
        "Runs only on the host side of a lab made by tools/netlab (exit code 77 elsewhere).\n",
        DiscoveryChannels::kCameraReceiveBuffer);
    return code;
}

void PrintMachine(int receiveBuffer, const QString& what)
{
    Note(QStringLiteral("netrove-bench: %1 (lab %2)").arg(what, LabFixture::LabName()));
    Note(QStringLiteral("machine: %1").arg(Bench::MachineText()));
    Note(QStringLiteral("net.core.rmem_default %1, net.core.rmem_max %2 (host side of the lab)")
             .arg(Bench::ReadTrimmed("/proc/sys/net/core/rmem_default"),
                  Bench::ReadTrimmed("/proc/sys/net/core/rmem_max")));
    Note(QStringLiteral("camera receive buffer: requested %1, granted %2 (SO_RCVBUF, which counts double)")
             .arg(receiveBuffer)
             .arg(GrantedCameraReceiveBuffer()));
    Note(QStringLiteral("load average at start: %1").arg(Bench::LoadAverage()));
}

} // namespace

int main(int argc, char** argv)
{
    QList<int> sizes{100, 1000, 10000};
    bool sizesGiven = false;
    bool filter = false;
    bool batch = false;
    bool lossy = false;
    bool restart = false;
    bool onvif = false;
    int receiveBuffer = DiscoveryChannels::kCameraReceiveBuffer;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const bool hasNext = i + 1 < argc;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return Usage(0);
        if (arg == QLatin1String("--csv")) {
            Bench::SetCsv(true);
        } else if (arg == QLatin1String("--filter")) {
            filter = true;
        } else if (arg == QLatin1String("--batch")) {
            batch = true;
        } else if (arg == QLatin1String("--lossy")) {
            lossy = true;
        } else if (arg == QLatin1String("--restart")) {
            restart = true;
        } else if (arg == QLatin1String("--onvif")) {
            onvif = true;
        } else if (arg == QLatin1String("--sizes") && hasNext) {
            if (!ParseSizes(QString::fromLocal8Bit(argv[++i]), sizes))
                return Usage(2);
            sizesGiven = true;
        } else if (arg.startsWith(QLatin1String("--sizes="))) {
            if (!ParseSizes(arg.mid(8), sizes))
                return Usage(2);
            sizesGiven = true;
        } else if (arg == QLatin1String("--receive-buffer") && hasNext) {
            if (!ParseBytes(QString::fromLocal8Bit(argv[++i]), receiveBuffer))
                return Usage(2);
        } else if (arg.startsWith(QLatin1String("--receive-buffer="))) {
            if (!ParseBytes(arg.mid(17), receiveBuffer))
                return Usage(2);
        } else {
            return Usage(2);
        }
    }
    if (int(filter) + int(batch) + int(lossy) + int(restart) + int(onvif) > 1)
        return Usage(2);
    if (batch && !sizesGiven)
        sizes = {100, 1000};
    if (lossy && !sizesGiven)
        sizes = {200};
    if (const std::optional<int> exitCode = Bench::Start())
        return *exitCode;

    QApplication app(argc, argv);
    {
        // Warm-up: the first window pays once for styles and fonts; no run should carry that. Its
        // sockets also tell what the system grants.
        auto sockets = std::make_unique<DiscoveryChannels>();
        sockets->SetCameraReceiveBuffer(receiveBuffer);
        CNetroveDlg warmUp(std::move(sockets));
        warmUp.show();
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 200)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        PrintMachine(receiveBuffer, batch ? QStringLiteral("N factory-new cameras given addresses at once")
                                          : QStringLiteral("one search, N simulated cameras answering"));
    }
    if (filter) {
        Bench::PrintFilterHeader();
        for (const int n : sizes)
            Bench::RunFilter(n);
        Note(QStringLiteral("load average at end: %1").arg(Bench::LoadAverage()));
        return 0;
    }
    if (lossy) {
        Bench::PrintLossyHeader();
        for (const int n : sizes) {
            Bench::RunLossy(n, 20, 10);
            Bench::RunLossy(n, 5, 10);
        }
        Note(QStringLiteral("load average at end: %1").arg(Bench::LoadAverage()));
        return 0;
    }
    if (onvif) {
        Bench::PrintOnvifHeader();
        Bench::RunOnvif(500, 0);
        Bench::RunOnvif(500, 10000);
        Note(QStringLiteral("load average at end: %1").arg(Bench::LoadAverage()));
        return 0;
    }
    if (restart) {
        Bench::PrintRestartHeader();
        Bench::RunRestart();
        Note(QStringLiteral("load average at end: %1").arg(Bench::LoadAverage()));
        return 0;
    }
    if (batch) {
        Bench::PrintBatchHeader();
        for (const int n : sizes)
            Bench::RunBatch(n, 0);
        Bench::RunBatch(sizes.first(), std::min(10, sizes.first()));
        Note(QStringLiteral("load average at end: %1").arg(Bench::LoadAverage()));
        return 0;
    }
    PrintTableHeader();
    for (const int n : sizes) {
        Print(n, "jitter", Run(n, RunMode::Jitter, receiveBuffer));
        Print(n, "burst", Run(n, RunMode::Burst, receiveBuffer));
        Print(n, "opening", Run(n, RunMode::Opening, receiveBuffer));
    }
    Note(QStringLiteral("load average at end: %1").arg(Bench::LoadAverage()));
    return 0;
}
