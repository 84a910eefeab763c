#include "tests/lab/LabFixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QThread>

#include <cstdio>
#include <sys/stat.h>

namespace Netrove {

namespace {

QString DevsimPath()
{
    const QString fromEnv = qEnvironmentVariable("NETROVE_DEVSIM");
    return fromEnv.isEmpty() ? QStringLiteral(NETROVE_DEVSIM_BUILT) : fromEnv;
}

} // namespace

LabFixture::LabFixture(Side side)
    : m_side(side)
    , m_dir(std::make_unique<QTemporaryDir>())
{}

LabFixture::~LabFixture()
{
    Stop();
}

QString LabFixture::Unavailable()
{
    if (LabName().isEmpty())
        return QStringLiteral(
            "not inside a lab (run me with tools/netlab run NAME -- ...; NETROVE_LAB is unset)");
    if (!QFileInfo::exists(QStringLiteral("/run/netns/%1-dev").arg(LabName())))
        return QStringLiteral("lab %1 has no devices side").arg(LabName());
    if (!QFileInfo(DevsimPath()).isExecutable())
        return QStringLiteral("no simulator at %1").arg(DevsimPath());
    return {};
}

int LabFixture::Skip(const QString& why)
{
    std::fprintf(stderr, "SKIP: %s\n", qPrintable(why));
    return kSkipExitCode;
}

QString LabFixture::LabName()
{
    return qEnvironmentVariable("NETROVE_LAB");
}

QString LabFixture::NotOnHostSide()
{
    if (const QString why = Unavailable(); !why.isEmpty())
        return why;
    struct stat self = {};
    struct stat host = {};
    const QString hostNs = QStringLiteral("/run/netns/%1-host").arg(LabName());
    if (::stat("/proc/self/ns/net", &self) != 0 || ::stat(qPrintable(hostNs), &host) != 0)
        return QStringLiteral("cannot compare this process's network namespace with %1").arg(hostNs);
    if (self.st_dev != host.st_dev || self.st_ino != host.st_ino)
        return QStringLiteral("this process is not in the lab's host namespace %1").arg(hostNs);
    return {};
}

QString LabFixture::Netlab() const
{
    const QString fromEnv = qEnvironmentVariable("NETROVE_NETLAB");
    return fromEnv.isEmpty() ? QStringLiteral(NETROVE_NETLAB_SOURCE) : fromEnv;
}

QString LabFixture::LogPath() const
{
    return m_dir->filePath(QStringLiteral("devsim.log"));
}

QString LabFixture::DeviceFilePath() const
{
    return m_dir->filePath(QStringLiteral("devices.txt"));
}

bool LabFixture::Start(const QString& deviceFile, const QStringList& arguments)
{
    Stop();
    m_error.clear();
    if (const QString why = Unavailable(); !why.isEmpty()) {
        m_error = why;
        return false;
    }
    const bool second = m_side == Side::Devices2;
    if (second && !QFileInfo::exists(QStringLiteral("/run/netns/%1-dev2").arg(LabName()))) {
        m_error =
            QStringLiteral("lab %1 has no second link (register the test with SECOND_LINK)").arg(LabName());
        return false;
    }
    QFile devices(DeviceFilePath());
    if (!devices.open(QIODevice::WriteOnly | QIODevice::Truncate) || devices.write(deviceFile.toUtf8()) < 0) {
        m_error = QStringLiteral("cannot write %1").arg(DeviceFilePath());
        return false;
    }
    devices.close();
    QFile::remove(LogPath());

    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{LabName(),        second ? QStringLiteral("devices2") : QStringLiteral("devices"),
                     DevsimPath(),     QStringLiteral("--devices"),
                     DeviceFilePath(), QStringLiteral("--log"),
                     LogPath()};
    args += arguments;
    m_process->start(Netlab(), QStringList{QStringLiteral("exec")} + args);
    if (!m_process->waitForStarted(3000)) {
        m_error = QStringLiteral("cannot start %1: %2").arg(Netlab(), m_process->errorString());
        return false;
    }
    const bool ready = WaitForLog(
        [](const QList<QJsonObject>& lines) {
            return !lines.isEmpty() &&
                   lines.first().value(QLatin1String("event")).toString() == QLatin1String("ready");
        },
        5000);
    if (!ready) {
        m_error = m_process->state() == QProcess::NotRunning
                      ? QStringLiteral("the simulator ended with code %1").arg(m_process->exitCode())
                      : QStringLiteral("the simulator did not get ready in 5 s");
        Stop();
        return false;
    }
    return true;
}

void LabFixture::Stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(2000)) {
            m_process->kill();
            m_process->waitForFinished(1000);
        }
    }
    m_process.reset();
}

bool LabFixture::IsRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QList<QJsonObject> LabFixture::Log() const
{
    QList<QJsonObject> lines;
    QFile file(LogPath());
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    const QByteArray all = file.readAll();
    // A line is complete once its newline is written; a partial last line waits for the next read.
    const qsizetype end = all.lastIndexOf('\n');
    if (end < 0)
        return lines;
    for (const QByteArray& line : all.left(end).split('\n')) {
        const QJsonDocument doc = QJsonDocument::fromJson(line);
        if (doc.isObject())
            lines.append(doc.object());
    }
    return lines;
}

QList<QJsonObject> LabFixture::Received(const QString& channel) const
{
    QList<QJsonObject> received;
    for (const QJsonObject& line : Log()) {
        if (line.value(QLatin1String("event")).toString() != QLatin1String("received"))
            continue;
        if (channel.isEmpty() || line.value(QLatin1String("channel")).toString() == channel)
            received.append(line);
    }
    return received;
}

bool LabFixture::WaitForLog(const std::function<bool(const QList<QJsonObject>&)>& done, int timeoutMs) const
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        if (done(Log()))
            return true;
        if (deadline.hasExpired())
            return false;
        // Keeps a test's own sockets and widgets served while it waits.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
}

bool LabFixture::Occupy(const QStringList& addresses, bool secondLink)
{
    return RunOccupy(secondLink ? QStringList{QStringLiteral("--dev2")} : QStringList{}, addresses);
}

bool LabFixture::OccupyIgnoringPings(const QStringList& addresses, bool secondLink)
{
    QStringList options{QStringLiteral("--ignore-pings")};
    if (secondLink)
        options << QStringLiteral("--dev2");
    return RunOccupy(options, addresses);
}

bool LabFixture::RunOccupy(const QStringList& options, const QStringList& addresses)
{
    const QStringList args = QStringList{QStringLiteral("occupy"), LabName()} + options + addresses;
    QProcess netlab;
    netlab.setProcessChannelMode(QProcess::ForwardedChannels);
    netlab.start(Netlab(), args);
    if (!netlab.waitForFinished(10000) || netlab.exitStatus() != QProcess::NormalExit ||
        netlab.exitCode() != 0) {
        m_error = QStringLiteral("netlab occupy %1 failed").arg((options + addresses).join(QLatin1Char(' ')));
        return false;
    }
    return true;
}

} // namespace Netrove
