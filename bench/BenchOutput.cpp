#include "bench/BenchOutput.h"

#include "tests/lab/LabFixture.h"

#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace Netrove::Bench {

namespace {

FILE* g_out = stdout;
bool g_csv = false;

QString CpuModel()
{
    QFile cpuinfo(QStringLiteral("/proc/cpuinfo"));
    // Files under /proc claim a size of 0, so they are read whole rather than line by line.
    if (!cpuinfo.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    for (const QByteArray& line : cpuinfo.readAll().split('\n')) {
        if (line.startsWith("model name"))
            return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
    }
    return QStringLiteral("?");
}

void KeepFiguresApart()
{
    const int figures = ::dup(STDOUT_FILENO);
    if (figures < 0)
        return;
    if (FILE* out = ::fdopen(figures, "w"))
        g_out = out;
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::close(null);
    }
}

} // namespace

std::optional<int> Start()
{
    if (const QString why = LabFixture::NotOnHostSide(); !why.isEmpty())
        return LabFixture::Skip(why);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    KeepFiguresApart();
    return std::nullopt;
}

FILE* Out()
{
    return g_out;
}

void SetCsv(bool csv)
{
    g_csv = csv;
}

bool Csv()
{
    return g_csv;
}

void Note(const QString& text)
{
    std::fprintf(g_out, "%s%s\n", g_csv ? "# " : "", qPrintable(text));
    std::fflush(g_out);
}

QString ReadTrimmed(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll().trimmed())
                                          : QStringLiteral("?");
}

QString LoadAverage()
{
    return ReadTrimmed("/proc/loadavg").section(QLatin1Char(' '), 0, 2);
}

QString MachineText()
{
    utsname system{};
    ::uname(&system);
    return QStringLiteral("%1, %2 cores online; %3 %4; Qt %5 (built with %6), %7 build, %8 platform")
        .arg(CpuModel())
        .arg(::sysconf(_SC_NPROCESSORS_ONLN))
        .arg(QString::fromLatin1(system.sysname), QString::fromLatin1(system.release),
             QString::fromLatin1(qVersion()), QStringLiteral(QT_VERSION_STR),
#ifdef NDEBUG
             QStringLiteral("optimised"),
#else
             QStringLiteral("debug"),
#endif
             QGuiApplication::platformName());
}

namespace {

constexpr qint64 kTickNs = 5'000'000;

qint64 ThreadCpuNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

StallMeter::StallMeter()
{
    m_tick.setTimerType(Qt::PreciseTimer);
    m_tick.setInterval(5);
    QObject::connect(&m_tick, &QTimer::timeout, &m_tick, [this] { Tick(); });
}

void StallMeter::Tick()
{
    const qint64 now = m_clock.nsecsElapsed();
    const qint64 cpu = ThreadCpuNs();
    if (now - m_lastTickNs - kTickNs > m_worstLateNs) {
        m_worstLateNs = now - m_lastTickNs - kTickNs;
        m_worstCpuNs = cpu - m_lastCpuNs;
    }
    m_lastTickNs = now;
    m_lastCpuNs = cpu;
}

void StallMeter::Start()
{
    m_worstLateNs = 0;
    m_worstCpuNs = 0;
    m_clock.start();
    m_lastTickNs = 0;
    m_lastCpuNs = ThreadCpuNs();
    m_tick.start();
}

void StallMeter::Stop()
{
    m_tick.stop();
    // A run that ends before the timer is next due still counts its last stretch.
    Tick();
}

void ServeUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer waited;
    waited.start();
    QEventLoop loop;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done() || waited.elapsed() >= ms)
            loop.quit();
    });
    check.start(10);
    if (!done())
        loop.exec();
}

} // namespace Netrove::Bench
