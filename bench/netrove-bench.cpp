// netrove-bench: how many simulated devices answering one search end up in the list, how long the
// list takes to fill, and what each reply costs in CPU time.
//
// It sends searches, so it runs only on the host side of a lab:
//
//     tools/netlab run bench -- build-bench/bin/netrove-bench [--sizes 100,1000,5000]
//
// For every size N there are two runs, each with a fresh simulator and a fresh main window:
//   jitter  N cameras, each answering once after a random delay of 0..200 ms
//   burst   N cameras whose answers all leave at once, as fast as the socket allows
// Each run prints: devices answering (the simulator's "sent" lines), rows listed, datagrams lost
// (answered minus listed), the time from the search to the last row, and the process CPU time
// spent from the search to the last row divided by the rows.

#include "app/CNetroveDlg.h"
#include "devicelist/CNetroveListCtrl.h"
#include "tests/lab/LabFixture.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonObject>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Netrove;

namespace {

// The figures go here; the window's own chatter on standard output goes to /dev/null.
FILE* g_out = stdout;

// CPU time of the whole process, all threads (glibc: CLOCK_PROCESS_CPUTIME_ID).
double CpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// Empty when this process runs in the host namespace of the lab named in NETROVE_LAB; otherwise
// why it must not send from here.
QString NotInLab()
{
    if (const QString why = LabFixture::Unavailable(); !why.isEmpty())
        return why;
    struct stat self = {};
    struct stat host = {};
    const QString hostNs = QStringLiteral("/run/netns/%1-host").arg(LabFixture::LabName());
    if (::stat("/proc/self/ns/net", &self) != 0 || ::stat(qPrintable(hostNs), &host) != 0)
        return QStringLiteral("cannot compare this process's network namespace with %1").arg(hostNs);
    if (self.st_dev != host.st_dev || self.st_ino != host.st_ino)
        return QStringLiteral("this process is not in the lab's host namespace %1").arg(hostNs);
    return {};
}

struct RunResult
{
    int answered = 0;
    int rows = 0;
    double lastRowMs = 0;
    double cpuMs = 0;
    bool ok = false;
    QString error;
};

int SentCount(const LabFixture& lab)
{
    int sent = 0;
    for (const QJsonObject& line : lab.Log())
        if (line.value(QLatin1String("event")).toString() == QLatin1String("sent"))
            ++sent;
    return sent;
}

RunResult Run(int devices, bool burst)
{
    RunResult result;
    LabFixture lab;
    const QStringList args =
        burst ? QStringList{QStringLiteral("--burst"), QString::number(devices)}
              : QStringList{QStringLiteral("--cameras"),  QString::number(devices), QStringLiteral("--fault"),
                            QStringLiteral("jitter=200"), QStringLiteral("--seed"), QStringLiteral("1")};
    if (!lab.Start(QString(), args)) {
        result.error = lab.Error();
        return result;
    }

    CNetroveDlg dlg;
    QElapsedTimer clock;
    double lastRowMs = -1;
    double lastRowCpu = 0;
    const double cpuStart = CpuSeconds();
    QObject::connect(dlg.m_list->model(), &QAbstractItemModel::rowsInserted, &dlg, [&] {
        lastRowMs = double(clock.nsecsElapsed()) / 1e6;
        lastRowCpu = CpuSeconds();
    });
    clock.start();
    dlg.show(); // opens the channels and sends the first search

    // Until every device is listed, or nothing new arrived for a second (at least 1.5 s in all).
    // A real event loop, so that waiting costs no CPU time of its own.
    constexpr double kQuietMs = 1000;
    constexpr double kAtLeastMs = 1500;
    constexpr double kAtMostMs = 20000;
    QEventLoop loop;
    QObject::connect(dlg.m_list->model(), &QAbstractItemModel::rowsInserted, &loop, [&] {
        if (dlg.m_list->rowCount() >= devices)
            loop.quit();
    });
    QTimer check;
    check.setInterval(50);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        const double since = lastRowMs < 0 ? now : now - lastRowMs;
        if ((now >= kAtLeastMs && since >= kQuietMs) || now >= kAtMostMs)
            loop.quit();
    });
    check.start();
    if (dlg.m_list->rowCount() < devices)
        loop.exec();
    check.stop();
    result.rows = dlg.m_list->rowCount();
    result.lastRowMs = lastRowMs < 0 ? 0 : lastRowMs;
    result.cpuMs = lastRowMs < 0 ? 0 : (lastRowCpu - cpuStart) * 1e3;

    // The simulator writes its "sent" lines after each batch; wait until their count holds still.
    int sent = -1;
    for (int tries = 0; tries < 40; ++tries) {
        const int now = SentCount(lab);
        if (now == sent && now > 0)
            break;
        sent = now;
        QThread::msleep(100);
    }
    result.answered = sent;
    result.ok = true;
    if (!lab.IsRunning())
        result.error = QStringLiteral("the simulator ended during the run (see its message above)");
    lab.Stop();
    return result;
}

void Print(int devices, const char* mode, const RunResult& r)
{
    if (!r.ok) {
        std::fprintf(g_out, "%6d  %-7s  failed: %s\n", devices, mode, qPrintable(r.error));
        std::fflush(g_out);
        return;
    }
    const double perReplyUs = r.rows > 0 ? r.cpuMs * 1e3 / r.rows : 0;
    std::fprintf(g_out, "%6d  %-7s  %9d  %6d  %6d  %12.1f  %10.1f%s%s\n", devices, mode, r.answered, r.rows,
                 r.answered - r.rows, r.lastRowMs, perReplyUs, r.error.isEmpty() ? "" : "  ! ",
                 qPrintable(r.error));
    std::fflush(g_out);
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

int Usage(int code)
{
    std::fprintf(code == 0 ? stdout : stderr,
                 "usage: tools/netlab run bench -- netrove-bench [--sizes N,N,...]\n"
                 "  --sizes   device counts to measure (default 100,1000,5000; each 1..20000)\n"
                 "Runs only on the host side of a lab made by tools/netlab (exit code 77 elsewhere).\n");
    return code;
}

QString Sysctl(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed())
                                          : QStringLiteral("?");
}

} // namespace

int main(int argc, char** argv)
{
    QList<int> sizes{100, 1000, 5000};
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return Usage(0);
        if (arg == QLatin1String("--sizes") && i + 1 < argc) {
            if (!ParseSizes(QString::fromLocal8Bit(argv[++i]), sizes))
                return Usage(2);
        } else if (arg.startsWith(QLatin1String("--sizes="))) {
            if (!ParseSizes(arg.mid(8), sizes))
                return Usage(2);
        } else {
            return Usage(2);
        }
    }
    if (const QString why = NotInLab(); !why.isEmpty())
        return LabFixture::Skip(why);

    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window reports every row on standard output; keep that out of the figures.
    const int figures = ::dup(STDOUT_FILENO);
    if (figures >= 0) {
        if (FILE* out = ::fdopen(figures, "w"))
            g_out = out;
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, STDOUT_FILENO);
            ::close(null);
        }
    }

    QApplication app(argc, argv);
    std::fprintf(g_out, "netrove-bench: one search, N simulated cameras answering (lab %s, %d cores)\n",
                 qPrintable(LabFixture::LabName()), QThread::idealThreadCount());
    std::fprintf(g_out, "net.core.rmem_default %s, net.core.rmem_max %s (host side of the lab)\n",
                 qPrintable(Sysctl("/proc/sys/net/core/rmem_default")),
                 qPrintable(Sysctl("/proc/sys/net/core/rmem_max")));
    std::fprintf(g_out, "%6s  %-7s  %9s  %6s  %6s  %12s  %10s\n", "N", "mode", "answering", "rows", "lost",
                 "last row ms", "CPU us/row");
    {
        // Warm-up: the first window pays once for styles and fonts; no run should carry that.
        CNetroveDlg warmUp;
        warmUp.show();
        QElapsedTimer wait;
        wait.start();
        while (wait.elapsed() < 200)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    for (const int n : sizes) {
        Print(n, "jitter", Run(n, false));
        Print(n, "burst", Run(n, true));
    }
    std::fflush(g_out);
    return 0;
}
