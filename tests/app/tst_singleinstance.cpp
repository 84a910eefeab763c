// The single-copy guard across real processes: every copy is a singleinstance_peer started with its
// own runtime directory, so no real copy of the program is ever disturbed.

#include "app/SingleInstance.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

using namespace Netrove;

namespace {

const QString kName = QStringLiteral("Netrove2.0-B9FC3E1B-4D58-44cb-A169-91D4A10623BD");

// A second start must know it is second, and have asked the running copy, within this, whatever
// the running copy does. Loading the program and tearing it down are the system's time, and on a
// loaded machine under the sanitizers they alone can take longer; they are printed, not judged.
constexpr int kSecondStartLimitMs = 1000;
// A first copy only has to get going; a loaded machine may be slow at it.
constexpr int kStartUpMs = 10000;
// Copies started together in raceOfCopiesGivesOneWindow().
constexpr int kRacingCopies = 20;

// Milliseconds on the monotonic clock, to compare when different copies ended.
qint64 NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// One copy of the stand-in program and what it has printed so far.
class Peer final
{
public:
    Peer(const QProcessEnvironment& environment, const QStringList& arguments,
         const std::function<void()>& childModifier = {})
    {
        m_process.setProcessEnvironment(environment);
        QObject::connect(&m_process, &QProcess::finished, &m_process, [this] { m_endedAtMs = NowMs(); });
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process,
                         [this] { m_output += m_process.readAllStandardOutput(); });
        QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process,
                         [this] { m_errors += m_process.readAllStandardError(); });
        if (childModifier)
            m_process.setChildProcessModifier(childModifier);
        m_started.start();
        m_process.start(QStringLiteral(NETROVE_SINGLEINSTANCE_PEER), arguments);
        m_process.waitForStarted();
    }

    ~Peer()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }

    Q_DISABLE_COPY_MOVE(Peer)

    bool Printed(const char* line) const { return m_output.split('\n').contains(QByteArray(line)); }
    // The number after `prefix` on the line that starts with it, or -1.
    qint64 PrintedNumber(const QByteArray& prefix) const
    {
        for (const QByteArray& line : m_output.split('\n'))
            if (line.startsWith(prefix))
                return line.mid(prefix.size()).toLongLong();
        return -1;
    }

    // True when the copy ended by itself with exit code 0 and, from reaching the lock, knew it
    // was second within kSecondStartLimitMs.
    bool EndsAsSecondCopy()
    {
        const bool finished = m_process.waitForFinished(kStartUpMs);
        m_output += m_process.readAllStandardOutput();
        m_errors += m_process.readAllStandardError();
        const qint64 decisionMs = PrintedNumber("decided ") - PrintedNumber("through ");
        qInfo("a second copy decided %lld ms after reaching the lock and ended %lld ms after it was started",
              decisionMs, m_started.elapsed());
        return finished && m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0 &&
               PrintedNumber("decided ") >= 0 && decisionMs <= kSecondStartLimitMs;
    }

    void Crash()
    {
        m_process.kill(); // SIGKILL: no destructor runs, the lock file and the socket stay behind
        m_process.waitForFinished();
    }

    bool IsRunning() const { return m_process.state() == QProcess::Running; }
    // When the copy ended, on NowMs()'s clock; -1 while it runs.
    qint64 EndedAtMs() const { return m_endedAtMs; }
    bool EndedCleanly() const
    {
        return m_process.state() == QProcess::NotRunning && m_process.exitStatus() == QProcess::NormalExit &&
               m_process.exitCode() == 0;
    }
    QByteArray Report() const
    {
        return "output after " + QByteArray::number(m_started.elapsed()) + " ms: [" + m_output +
               "], errors: [" + m_errors + "]";
    }

private:
    QProcess m_process;
    QByteArray m_output;
    QByteArray m_errors;
    QElapsedTimer m_started;
    qint64 m_endedAtMs = -1;
};

// What holds the lock when the second copy starts in unansweredSecondStart().
enum class Holder
{
    StartingCopy,        // took the lock, window not there yet
    StartingAfterCrash,  // the same, with the socket of a crashed copy still lying there
    HungCopy,            // listens, but its event loop never runs
    LiveProcessLock,     // a lock held by another live process
    AgedLiveProcessLock, // the same, hours old and not locked by the system
};

} // namespace

Q_DECLARE_METATYPE(Holder)

class TestSingleInstance final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_runtimeDir;
    QProcessEnvironment m_environment;
    QByteArray m_savedRuntimeDir;
    bool m_bHadRuntimeDir = false;

    // The paths a copy in this test's runtime directory uses.
    static QString LockPath() { return SingleInstance(kName).LockFilePath(); }
    static QString ServerPath() { return SingleInstance(kName).ServerPath(); }

    std::unique_ptr<Peer> StartListeningCopy(const QStringList& arguments = {})
    {
        auto peer = std::make_unique<Peer>(m_environment, arguments);
        // The caller checks what it printed; a copy that never got there fails there with its output.
        (void)QTest::qWaitFor([&peer] { return peer->Printed("listening") || !peer->IsRunning(); },
                              kStartUpMs);
        return peer;
    }

    // Starts kRacingCopies copies that wait at a gate, opens the gate once all of them wait there,
    // and checks that exactly one becomes the first copy and that every other one knows it is second
    // within kSecondStartLimitMs of leaving the gate and ends (within kStartUpMs: tearing down 19
    // processes at once on a busy machine is the system's time, not the program's). Gives the first
    // copy, or none and why in `error`.
    std::unique_ptr<Peer> Race(const char* round, QByteArray& error)
    {
        const QString gate = m_runtimeDir->filePath(QStringLiteral("gate-") + QLatin1String(round));
        std::vector<std::unique_ptr<Peer>> copies;
        for (int copy = 0; copy < kRacingCopies; ++copy)
            copies.push_back(
                std::make_unique<Peer>(m_environment, QStringList{QStringLiteral("--gate"), gate}));
        const bool allWaiting = QTest::qWaitFor(
            [&copies] {
                return std::all_of(copies.begin(), copies.end(),
                                   [](const auto& peer) { return peer->Printed("waiting"); });
            },
            kStartUpMs * 3);
        if (!allWaiting) {
            error = "not every copy reached the gate";
            return {};
        }

        QFile gateFile(gate);
        const qint64 openedAtMs = NowMs();
        if (!gateFile.open(QIODevice::WriteOnly)) {
            error = "cannot open the gate";
            return {};
        }
        gateFile.close();

        // Generous: the others are judged by their own times, not by this wait.
        (void)QTest::qWaitFor(
            [&copies] {
                return std::count_if(copies.begin(), copies.end(),
                                     [](const auto& peer) { return peer->IsRunning(); }) <= 1;
            },
            kStartUpMs);
        std::unique_ptr<Peer> first;
        qint64 slowestDecisionMs = 0; // from leaving the gate to knowing it is second
        qint64 slowestEndMs = 0;      // from leaving the gate to the end of the process
        qint64 latestThroughMs = 0;   // from the gate opening to leaving it
        int firsts = 0;
        for (auto& peer : copies) {
            if (peer->Printed("first")) {
                ++firsts;
                first = std::move(peer);
                continue;
            }
            if (!peer->EndedCleanly() ||
                !(peer->Printed("second answered") || peer->Printed("second unanswered"))) {
                error = "a second copy did not end as one: " + peer->Report();
                return {};
            }
            const qint64 throughMs = peer->PrintedNumber("through ");
            slowestDecisionMs = qMax(slowestDecisionMs, peer->PrintedNumber("decided ") - throughMs);
            slowestEndMs = qMax(slowestEndMs, peer->EndedAtMs() - throughMs);
            latestThroughMs = qMax(latestThroughMs, throughMs - openedAtMs);
        }
        qInfo("%s: of the other %d copies the slowest knew it was second %lld ms and ended %lld ms "
              "after leaving the gate; the last left it %lld ms after it opened",
              round, kRacingCopies - 1, slowestDecisionMs, slowestEndMs, latestThroughMs);
        if (firsts != 1) {
            error = QByteArray::number(firsts) + " copies took the lock";
            return {};
        }
        if (slowestDecisionMs > kSecondStartLimitMs) {
            error = "a second copy took " + QByteArray::number(slowestDecisionMs) + " ms to know it";
            return {};
        }
        if (!QTest::qWaitFor([&first] { return first->Printed("listening") || !first->IsRunning(); },
                             kStartUpMs) ||
            !first->IsRunning()) {
            error = "the first copy does not listen: " + first->Report();
            return {};
        }
        return first;
    }

private slots:
    void initTestCase()
    {
        m_bHadRuntimeDir = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        m_savedRuntimeDir = qgetenv("XDG_RUNTIME_DIR");
    }

    void cleanupTestCase()
    {
        if (m_bHadRuntimeDir)
            qputenv("XDG_RUNTIME_DIR", m_savedRuntimeDir);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }

    void init()
    {
        m_runtimeDir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_runtimeDir->isValid());
        QVERIFY(QFile::setPermissions(m_runtimeDir->path(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        // This process looks at the same directory, so the lock and socket paths come from the guard
        // itself.
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtimeDir->path()));
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir->path());
        m_environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QVERIFY(QFileInfo(LockPath()).absolutePath() == QDir(m_runtimeDir->path()).absolutePath());
    }

    void cleanup() { m_runtimeDir.reset(); }

    void secondStartBringsFirstToFront_data()
    {
        QTest::addColumn<QStringList>("firstArguments");
        QTest::newRow("window in the main loop") << QStringList();
        QTest::newRow("window under a modal dialog") << QStringList{QStringLiteral("--modal")};
    }

    void secondStartBringsFirstToFront()
    {
        QFETCH(QStringList, firstArguments);
        const auto first = StartListeningCopy(firstArguments);
        QVERIFY2(first->Printed("first") && first->Printed("listening"), first->Report().constData());

        // Every later start is answered, not only the first one.
        for (int start = 0; start < 2; ++start) {
            Peer second(m_environment, {});
            QVERIFY2(second.EndsAsSecondCopy(), second.Report().constData());
            QVERIFY2(second.Printed("second answered"), second.Report().constData());
            QVERIFY2(!second.Printed("first"), second.Report().constData());
        }
        QTRY_VERIFY2(first->Printed("asked to front"), first->Report().constData());
        QVERIFY(first->IsRunning());
    }

    void lockOfCrashedCopyDoesNotBlock()
    {
        auto crashed = StartListeningCopy();
        QVERIFY2(crashed->Printed("listening"), crashed->Report().constData());
        crashed->Crash();
        // What the crash leaves behind is the point of this test.
        QVERIFY(QFile::exists(LockPath()));
        QVERIFY(QFile::exists(ServerPath()));

        const auto next = StartListeningCopy();
        QVERIFY2(next->Printed("first") && next->Printed("listening"), next->Report().constData());

        // The new copy answers on the socket path the crashed one had.
        Peer second(m_environment, {});
        QVERIFY2(second.EndsAsSecondCopy(), second.Report().constData());
        QVERIFY2(second.Printed("second answered"), second.Report().constData());
        QTRY_VERIFY2(next->Printed("asked to front"), next->Report().constData());
    }

    void raceOfCopiesGivesOneWindow()
    {
        QByteArray error;
        auto winner = Race("first race", error);
        QVERIFY2(winner, error.constData());
        winner->Crash();
        // The crashed winner's lock and socket stay behind for the next race.
        QVERIFY(QFile::exists(LockPath()));
        QVERIFY(QFile::exists(ServerPath()));
        winner = Race("race after a crash", error);
        QVERIFY2(winner, error.constData());

        Peer second(m_environment, {});
        QVERIFY2(second.EndsAsSecondCopy(), second.Report().constData());
        QVERIFY2(second.Printed("second answered"), second.Report().constData());
        QTRY_VERIFY2(winner->Printed("asked to front"), winner->Report().constData());
    }

    void unansweredSecondStartEndsSilently_data()
    {
        QTest::addColumn<Holder>("holder");
        QTest::newRow("first copy still starting") << Holder::StartingCopy;
        QTest::newRow("starting, crashed copy's socket left") << Holder::StartingAfterCrash;
        QTest::newRow("first copy hung") << Holder::HungCopy;
        QTest::newRow("lock of a live process") << Holder::LiveProcessLock;
        QTest::newRow("hours-old lock of a live process") << Holder::AgedLiveProcessLock;
    }

    void unansweredSecondStartEndsSilently()
    {
        QFETCH(Holder, holder);
        std::vector<std::unique_ptr<Peer>> holders;
        std::unique_ptr<SingleInstance> ownLock;

        switch (holder) {
        case Holder::StartingAfterCrash: {
            auto crashed = StartListeningCopy();
            QVERIFY2(crashed->Printed("listening"), crashed->Report().constData());
            crashed->Crash();
        }
            [[fallthrough]];
        case Holder::StartingCopy: {
            holders.push_back(
                std::make_unique<Peer>(m_environment, QStringList{QStringLiteral("--no-listen")}));
            Peer& starting = *holders.back();
            QTRY_VERIFY2_WITH_TIMEOUT(starting.Printed("not listening"), starting.Report().constData(),
                                      kStartUpMs);
            QCOMPARE(QFile::exists(ServerPath()), holder == Holder::StartingAfterCrash);
            break;
        }
        case Holder::HungCopy:
            holders.push_back(StartListeningCopy({QStringLiteral("--hang")}));
            QVERIFY2(holders.back()->Printed("listening"), holders.back()->Report().constData());
            break;
        case Holder::LiveProcessLock:
            ownLock = std::make_unique<SingleInstance>(kName);
            QVERIFY(ownLock->TryLock());
            break;
        case Holder::AgedLiveProcessLock: {
            // A lock naming this live process, written as a plain file so that only its contents and
            // its age can tell a second copy anything.
            QByteArray contents;
            {
                SingleInstance own(kName);
                QVERIFY(own.TryLock());
                QFile lock(LockPath());
                QVERIFY(lock.open(QIODevice::ReadOnly));
                contents = lock.readAll();
            }
            QFile lock(LockPath());
            QVERIFY(lock.open(QIODevice::WriteOnly | QIODevice::NewOnly));
            QCOMPARE(lock.write(contents), contents.size());
            QVERIFY(lock.flush()); // a later write would make it new again
            const QDateTime hoursAgo = QDateTime::currentDateTime().addSecs(-3 * 3600);
            QVERIFY(lock.setFileTime(hoursAgo, QFileDevice::FileModificationTime));
            lock.close();
            QVERIFY(QFileInfo(LockPath()).lastModified() < hoursAgo.addSecs(60));
            break;
        }
        }

        Peer second(m_environment, {});
        QVERIFY2(second.EndsAsSecondCopy(), second.Report().constData());
        QVERIFY2(second.Printed("second unanswered"), second.Report().constData());
        QVERIFY2(!second.Printed("first"), second.Report().constData());
        QVERIFY(QFile::exists(LockPath()));
        for (const auto& running : holders)
            QVERIFY2(running->IsRunning(), running->Report().constData());
    }

    void lockThatMayNotBeOpenedCountsAsRunning()
    {
        // A crashed copy's lock: readable, it would be taken over at once.
        auto crashed = StartListeningCopy();
        QVERIFY2(crashed->Printed("listening"), crashed->Report().constData());
        crashed->Crash();
        const QString lockPath = LockPath();
        QVERIFY(QFile::exists(lockPath));

        std::function<void()> asOtherUser;
        if (::geteuid() == 0) {
            // Root reads every file, so the second copy runs as another user who owns the runtime
            // directory but not the lock.
            const passwd* nobody = ::getpwnam("nobody");
            if (!nobody)
                QSKIP("running as root and there is no user 'nobody' to run the second copy as");
            for (QFileInfo step(QStringLiteral(NETROVE_SINGLEINSTANCE_PEER)); !step.isRoot();
                 step = QFileInfo(step.absolutePath())) {
                if (!step.permission(QFile::ExeOther))
                    QSKIP("running as root and the peer program is out of reach of user 'nobody'");
            }
            const uid_t uid = nobody->pw_uid;
            const gid_t gid = nobody->pw_gid;
            // From here on only that user's view of the directory counts.
            QCOMPARE(::chown(QFile::encodeName(m_runtimeDir->path()).constData(), uid, gid), 0);
            QVERIFY(QFile::setPermissions(lockPath, QFile::ReadOwner | QFile::WriteOwner));
            m_environment.insert(QStringLiteral("HOME"), m_runtimeDir->path());
            asOtherUser = [uid, gid] {
                if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                    ::_exit(126);
            };
        } else {
            QVERIFY(QFile::setPermissions(lockPath, {}));
        }

        Peer second(m_environment, {}, asOtherUser);
        QVERIFY2(second.EndsAsSecondCopy(), second.Report().constData());
        QVERIFY2(second.Printed("second unanswered"), second.Report().constData());
        QVERIFY2(!second.Printed("first"), second.Report().constData());
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
