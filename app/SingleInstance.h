#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace Netrove {

// The name of the lock and of the socket beside it: one per user session, shared by the window and
// the command line, which would take each other's answers.
inline constexpr const char* kNetroveInstanceName = "Netrove2.0-B9FC3E1B-4D58-44cb-A169-91D4A10623BD";

// What a second start asks the running copy, and what the running copy's window answers.
inline constexpr quint32 kFindInstanceMessage = 0x402;
// What the command line asks to learn who holds the lock without bringing a window to the front (a
// window answers 0, as to anything it does not know), and what a running command line answers to
// every request.
inline constexpr quint32 kWhoRunsMessage = 0x404;
inline constexpr quint32 kCommandLineRunsAnswer = 0x405;

// Keeps the program to one copy per user session. A lock file in the user's runtime directory marks
// the running copy; a local socket beside it lets a second start ask that copy's window to come to
// the front. The lock dies with its process, as a crashed copy must not keep the program from starting.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the first copy. False when another live copy holds the lock, or when the lock
    // exists but this copy may not open it. When no lock can be made at all the program still runs
    // (true), without a guard and without answering second starts.
    bool TryLock();

    // Second copy: asks the running copy's window to come to the front. True only when it answered
    // kFindInstanceMessage within the time-out; a copy that is still starting or hangs gives false.
    bool AskRunningCopyToShow(int timeoutMs = 200);
    // Asks the copy that holds the lock; its answer, or nothing when none came within the time-out.
    std::optional<quint32> AskRunningCopy(quint32 request, int timeoutMs = 200);

    // First copy, after TryLock() took the lock: answers second starts from the event loop that runs,
    // modal loops included. onFindInstance raises the window and gives the answer.
    bool Listen(std::function<quint32()> onFindInstance);
    // The same, answering every request with `answer`: how a running command line tells what it is.
    bool ListenAnswering(quint32 answer);

    QString LockFilePath() const { return m_strLockPath; }
    QString ServerPath() const { return m_strServerPath; }

private:
    bool StartListening(std::function<quint32(quint32)> onRequest);
    void OnNewConnection();
    void OnRequest(QLocalSocket* socket);

    QString m_strLockPath;
    QString m_strServerPath;
    std::unique_ptr<QLockFile> m_lockFile;
    QLocalServer* m_server = nullptr; // child of this
    std::function<quint32(quint32)> m_fnOnRequest;
};

} // namespace Netrove
