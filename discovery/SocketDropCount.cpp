#include "discovery/SocketDropCount.h"

#include <QByteArray>
#include <QFile>
#include <QList>

#include <sys/stat.h>

namespace Netrove {

std::uint64_t SystemDropCount(int fd)
{
    struct stat info = {};
    if (fd < 0 || ::fstat(fd, &info) != 0)
        return 0;
    const QByteArray inode = QByteArray::number(quint64(info.st_ino));
    for (const char* path : {"/proc/net/udp", "/proc/net/udp6"}) {
        QFile table(QString::fromLatin1(path));
        if (!table.open(QIODevice::ReadOnly))
            continue;
        table.readLine(); // the column titles
        while (!table.atEnd()) {
            const QList<QByteArray> columns = table.readLine().simplified().split(' ');
            // sl local remote st tx:rx tr:when retrnsmt uid timeout inode ref pointer drops
            if (columns.size() >= 13 && columns[9] == inode)
                return columns.last().toULongLong();
        }
    }
    return 0;
}

} // namespace Netrove
