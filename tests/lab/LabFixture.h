#pragma once

// LabFixture — simulated devices for tests that run inside a lab (tools/netlab).
//
// A lab test is registered with netrove_add_lab_test() (tests/lab/CMakeLists.txt); ctest runs it
// as `tools/netlab run lab -- <test>`, so the test itself runs on the host side of a fresh lab,
// and netlab passes the lab's name in NETROVE_LAB and its own path in NETROVE_NETLAB. Outside a
// lab, LabFixture::Unavailable() gives the reason, and a test's main() returns
// LabFixture::kSkipExitCode so that ctest reports it as skipped, never as passed:
//
//     NETROVE_LAB_TEST_MAIN(MyLabTest, QCoreApplication)   // QApplication for widget tests
//
// In a test:
//
//     Netrove::LabFixture lab;
//     QVERIFY2(lab.Start(QStringLiteral("kind=camera mac=02:00:00:00:00:01 password=pw\n")),
//              qPrintable(lab.Error()));        // netrove-devsim runs on the devices side
//     ... send, receive ...
//     QTRY_VERIFY(lab.Received(QStringLiteral("camera")).size() == 1);   // what the devices got
//     const QJsonObject request = lab.Received().last();  // "hex", "size", "fields", "outcome"
//     lab.Occupy({QStringLiteral("192.168.1.254")});      // answers pings from now on
//     lab.OccupyIgnoringPings({QStringLiteral("192.168.1.253")}); // taken, but pings go unanswered
//     lab.Stop();                                          // also done by the destructor
//
// LabFixture second(LabFixture::Side::Devices2) runs its simulator on the second link's devices side.
//
// The device-file format and the log lines are described in doc/devsim.md. The simulator binary
// is NETROVE_DEVSIM if set, else the one this build made.

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace Netrove {

class LabFixture final
{
public:
    static constexpr int kSkipExitCode = 77;

    // Where the simulator runs: the devices side of the first link, or of the second link of a lab
    // made with --second-link (netrove_add_lab_test(... SECOND_LINK ...)).
    enum class Side
    {
        Devices,
        Devices2,
    };

    explicit LabFixture(Side side = Side::Devices);
    ~LabFixture();
    LabFixture(const LabFixture&) = delete;
    LabFixture& operator=(const LabFixture&) = delete;

    // Empty inside a lab; otherwise why lab tests cannot run here.
    static QString Unavailable();
    // Prints the reason and gives the exit code that ctest maps to "skipped".
    static int Skip(const QString& why);
    // The lab's name, from NETROVE_LAB.
    static QString LabName();
    // Empty when this process runs in the host namespace of the lab; otherwise why a program that
    // sends must not send from here.
    static QString NotOnHostSide();

    // Writes the device file, starts netrove-devsim on the devices side with it and a fresh log,
    // and waits (up to 5 s) until the simulator says it is listening. `arguments` go to the
    // simulator as they are (--burst 1000, --fault tag=zero, ...). A running simulator is stopped
    // first.
    bool Start(const QString& deviceFile, const QStringList& arguments = {});
    // SIGTERM, then SIGKILL after 2 s.
    void Stop();
    bool IsRunning() const;
    QString Error() const { return m_error; }

    QString LogPath() const;
    QString DeviceFilePath() const;
    // Every complete line of the simulator's log so far, parsed.
    QList<QJsonObject> Log() const;
    // The "received" lines, of one channel ("camera", "recorder", "ipv6") or of all.
    QList<QJsonObject> Received(const QString& channel = {}) const;
    // Polls the log until `done` holds for it, at most `timeoutMs`.
    bool WaitForLog(const std::function<bool(const QList<QJsonObject>&)>& done, int timeoutMs = 3000) const;

    // Adds addresses to the devices side (or the second devices side) so that its kernel answers
    // pings for them.
    bool Occupy(const QStringList& addresses, bool secondLink = false);
    // Adds addresses that the devices side holds (its kernel answers for their hardware address)
    // but whose pings it drops: hosts that ignore pings.
    bool OccupyIgnoringPings(const QStringList& addresses, bool secondLink = false);

private:
    QString Netlab() const;
    bool RunOccupy(const QStringList& options, const QStringList& addresses);

    Side m_side = Side::Devices;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
    QString m_error;
};

} // namespace Netrove

// The main() of a lab test: skipped, with the reason, outside a lab.
#define NETROVE_LAB_TEST_MAIN(TestClass, ApplicationClass)                                                   \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        if (const QString why = Netrove::LabFixture::Unavailable(); !why.isEmpty())                          \
            return Netrove::LabFixture::Skip(why);                                                           \
        ApplicationClass app(argc, argv);                                                                    \
        TestClass test;                                                                                      \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
