#include "tests/lab/ProcessFigures.h"

#include <QByteArray>
#include <QFile>

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <malloc.h>
#include <unistd.h>

namespace Netrove {

namespace {

// Files under /proc claim a size of 0, so they are read whole rather than by size.
QByteArray ReadProcFile(const char* path)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every open descriptor but the one that lists them.
template <typename Visit> bool ForEachDescriptor(Visit visit)
{
    DIR* fds = ::opendir("/proc/self/fd");
    if (!fds)
        return false;
    const int own = ::dirfd(fds);
    while (const dirent* entry = ::readdir(fds)) {
        if (entry->d_name[0] == '.')
            continue;
        const int fd = std::atoi(entry->d_name);
        if (fd != own)
            visit(fd);
    }
    ::closedir(fds);
    return true;
}

// A number of /proc/self/status ("Threads:", "RssAnon:" in kB); -1 when it is not there.
long long StatusValue(const QByteArray& status, const char* name)
{
    for (const QByteArray& line : status.split('\n')) {
        if (line.startsWith(name))
            return line.mid(qsizetype(std::strlen(name))).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

} // namespace

long long ResidentBytes()
{
    const QList<QByteArray> fields = ReadProcFile("/proc/self/statm").split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : -1;
}

int OpenDescriptors()
{
    int count = 0;
    return ForEachDescriptor([&count](int) { ++count; }) ? count : -1;
}

QStringList OpenDescriptorTargets()
{
    QStringList targets;
    ForEachDescriptor([&targets](int fd) {
        char target[256] = {};
        const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
        const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
        targets << QStringLiteral("%1 %2").arg(fd).arg(length > 0 ? QString::fromLocal8Bit(target, length)
                                                                  : QStringLiteral("?"));
    });
    return targets;
}

ProcessFigures ReadProcessFigures()
{
    ProcessFigures figures;
    figures.residentBytes = ResidentBytes();
    const struct mallinfo2 heap = ::mallinfo2();
    // Small blocks in the arenas plus the large ones mapped on their own.
    figures.heapInUseBytes = static_cast<long long>(heap.uordblks + heap.hblkhd);
    figures.openDescriptors = OpenDescriptors();
    const QByteArray status = ReadProcFile("/proc/self/status");
    figures.threads = int(StatusValue(status, "Threads:"));
    const long long anonKb = StatusValue(status, "RssAnon:");
    const long long fileKb = StatusValue(status, "RssFile:");
    figures.residentAnonBytes = anonKb < 0 ? -1 : anonKb * 1024;
    figures.residentFileBytes = fileKb < 0 ? -1 : fileKb * 1024;
    return figures;
}

} // namespace Netrove
