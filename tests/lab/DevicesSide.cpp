#include "tests/lab/DevicesSide.h"

#include "tests/lab/LabFixture.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <thread>
#include <unistd.h>

namespace Netrove {

QString RunOnDevicesSide(const std::function<void()>& work)
{
    const QString path = QStringLiteral("/run/netns/%1-dev").arg(LabFixture::LabName());
    const int ns = ::open(qPrintable(path), O_RDONLY | O_CLOEXEC);
    if (ns < 0)
        return QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    QString error;
    // Only this thread changes its network namespace; the rest of the process stays on the host side.
    std::thread thread([&] {
        if (::setns(ns, CLONE_NEWNET) != 0) {
            error =
                QStringLiteral("cannot enter %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        work();
    });
    thread.join();
    ::close(ns);
    return error;
}

} // namespace Netrove
