#include "app/SingleInstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QTimer>
#include <QtEndian>

#include <array>
#include <cstdint>

namespace Netrove {

namespace {

// Request and answer travel as one 32-bit value, little-endian.
constexpr qsizetype kMessageSize = 4;

// A caller that connects and never asks must not keep its connection open for ever.
constexpr int kRequestLifetimeMs = 2000;

QByteArray EncodeMessage(quint32 value)
{
    std::array<std::uint8_t, kMessageSize> bytes{};
    qToLittleEndian(value, bytes.data());
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), kMessageSize);
}

quint32 DecodeMessage(const QByteArray& bytes)
{
    return qFromLittleEndian<quint32>(bytes.constData());
}

int Remaining(const QDeadlineTimer& deadline)
{
    return int(deadline.remainingTime());
}

} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent)
{
    const QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!directory.isEmpty()) {
        const QDir runtimeDir(directory);
        m_strLockPath = runtimeDir.filePath(name + QStringLiteral(".lock"));
        m_strServerPath = runtimeDir.filePath(name + QStringLiteral(".sock"));
        m_lockFile = std::make_unique<QLockFile>(m_strLockPath);
        // The running copy holds the lock for its whole life, so only a dead owner makes it stale,
        // never its age.
        m_lockFile->setStaleLockTime(0);
    }
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::TryLock()
{
    if (!m_lockFile) {
        qWarning("Netrove: no runtime directory, running without the single-copy guard");
        return true;
    }
    if (m_lockFile->isLocked())
        return true;
    // One attempt: a lock left by a copy that died is removed and taken at once.
    if (m_lockFile->tryLock(0))
        return true;

    switch (m_lockFile->error()) {
    case QLockFile::LockFailedError:
    case QLockFile::PermissionError:
        return false;
    case QLockFile::NoError:
    case QLockFile::UnknownError:
        break;
    }
    qWarning("Netrove: cannot create %ls, running without the single-copy guard",
             qUtf16Printable(m_strLockPath));
    return true;
}

bool SingleInstance::AskRunningCopyToShow(int timeoutMs)
{
    return AskRunningCopy(kFindInstanceMessage, timeoutMs) == kFindInstanceMessage;
}

std::optional<quint32> SingleInstance::AskRunningCopy(quint32 request, int timeoutMs)
{
    if (m_strServerPath.isEmpty())
        return std::nullopt;

    const QDeadlineTimer deadline(qMax(timeoutMs, 0));
    QLocalSocket socket;
    socket.connectToServer(m_strServerPath);
    if (!socket.waitForConnected(Remaining(deadline)))
        return std::nullopt;

    socket.write(EncodeMessage(request));
    socket.flush();
    if (socket.bytesToWrite() > 0 && !socket.waitForBytesWritten(Remaining(deadline)))
        return std::nullopt;

    while (socket.bytesAvailable() < kMessageSize) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(Remaining(deadline)))
            return std::nullopt;
    }
    return DecodeMessage(socket.read(kMessageSize));
}

bool SingleInstance::Listen(std::function<quint32()> onFindInstance)
{
    // Like any window asked something it does not know, answer 0 to anything else.
    return StartListening([onFindInstance = std::move(onFindInstance)](quint32 request) {
        return request == kFindInstanceMessage && onFindInstance ? onFindInstance() : quint32(0);
    });
}

bool SingleInstance::ListenAnswering(quint32 answer)
{
    return StartListening([answer](quint32) { return answer; });
}

bool SingleInstance::StartListening(std::function<quint32(quint32)> onRequest)
{
    // A socket path is only ours to replace while we hold the lock; without it, it may belong to the
    // running copy.
    if (!m_lockFile || !m_lockFile->isLocked())
        return false;
    if (m_server)
        return m_server->isListening();

    m_fnOnRequest = std::move(onRequest);
    // A copy that died left its socket behind.
    QLocalServer::removeServer(m_strServerPath);
    m_server = new QLocalServer(this);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    if (!m_server->listen(m_strServerPath)) {
        qWarning("Netrove: cannot listen on %ls: %ls", qUtf16Printable(m_strServerPath),
                 qUtf16Printable(m_server->errorString()));
        return false;
    }
    return true;
}

void SingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { OnRequest(socket); });
        QTimer::singleShot(kRequestLifetimeMs, socket, &QObject::deleteLater);
        // The request may have arrived together with the connection.
        if (socket->bytesAvailable() >= kMessageSize)
            OnRequest(socket);
    }
}

void SingleInstance::OnRequest(QLocalSocket* socket)
{
    if (socket->bytesAvailable() < kMessageSize)
        return;
    // One request per connection: whatever follows it is not read.
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);

    const quint32 request = DecodeMessage(socket->read(kMessageSize));
    const quint32 answer = m_fnOnRequest ? m_fnOnRequest(request) : quint32(0);
    socket->write(EncodeMessage(answer));
    // Closes once the answer is written.
    socket->disconnectFromServer();
}

} // namespace Netrove
