// The ping program's argument list for a candidate, and how runs of a program are read and ended,
// over stand-ins for ping: a shell's exit statuses, and a sleep that outlasts its deadline.

#include "autoset/PingCommand.h"
#include "autoset/PingProcesses.h"

#include <QTest>

#include <sys/wait.h>

#include <cerrno>

using namespace Netrove;

namespace {

std::vector<std::string> Strings(const QStringList& texts)
{
    std::vector<std::string> strings;
    for (const QString& text : texts)
        strings.push_back(text.toStdString());
    return strings;
}

} // namespace

class TestPingCommand final : public QObject
{
    Q_OBJECT

private slots:
    void arguments_data()
    {
        QTest::addColumn<Ipv4Octets>("candidate");
        QTest::addColumn<QString>("adapter");
        QTest::addColumn<QStringList>("arguments");

        const QStringList once{u"ping"_qs, u"-n"_qs, u"-c"_qs, u"1"_qs, u"-W"_qs, u"1"_qs};
        QTest::newRow("on the adapter the device answered on")
            << Ipv4Octets{192, 168, 1, 254} << "lab0"
            << once + QStringList{u"-I"_qs, u"lab0"_qs, u"192.168.1.254"_qs};
        QTest::newRow("numbers only")
            << Ipv4Octets{10, 0, 5, 9} << "lab1" << once + QStringList{u"-I"_qs, u"lab1"_qs, u"10.0.5.9"_qs};
        QTest::newRow("adapter not known: the route's")
            << Ipv4Octets{192, 168, 1, 241} << "" << once + QStringList{u"192.168.1.241"_qs};
        QTest::newRow("what a shell would read stays one argument")
            << Ipv4Octets{192, 168, 1, 250} << "a b;$(x)"
            << once + QStringList{u"-I"_qs, u"a b;$(x)"_qs, u"192.168.1.250"_qs};
        QTest::newRow("a name like an option stays -I's")
            << Ipv4Octets{192, 168, 1, 250} << "-c"
            << once + QStringList{u"-I"_qs, u"-c"_qs, u"192.168.1.250"_qs};
    }
    void arguments()
    {
        QFETCH(Ipv4Octets, candidate);
        QFETCH(QString, adapter);
        QFETCH(QStringList, arguments);
        QCOMPARE(PingArguments(candidate, adapter.toStdString()), Strings(arguments));
    }

    // More runs than start at once; every one is waited for, none is left behind.
    void outcome_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<PingOutcome>("outcome");

        const QString shell = u"/bin/sh"_qs;
        QTest::newRow("exit status 0: answered")
            << shell << QStringList{u"sh"_qs, u"-c"_qs, u"exit 0"_qs} << PingOutcome::Answered;
        QTest::newRow("exit status 1: no answer")
            << shell << QStringList{u"sh"_qs, u"-c"_qs, u"exit 1"_qs} << PingOutcome::NoAnswer;
        QTest::newRow("exit status 2: failed")
            << shell << QStringList{u"sh"_qs, u"-c"_qs, u"exit 2"_qs} << PingOutcome::Failed;
        QTest::newRow("killed by another: failed")
            << shell << QStringList{u"sh"_qs, u"-c"_qs, u"kill -KILL $$"_qs} << PingOutcome::Failed;
        QTest::newRow("hangs: killed at its deadline, no answer")
            << u"/bin/sleep"_qs << QStringList{u"sleep"_qs, u"60"_qs} << PingOutcome::NoAnswer;
        QTest::newRow("cannot be started")
            << u"/nonexistent/ping"_qs << QStringList{u"ping"_qs} << PingOutcome::Failed;
    }
    void outcome()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(PingOutcome, outcome);

        const std::vector<std::vector<std::string>> runs(kMaxPingProcesses + 6, Strings(arguments));
        const std::vector<PingOutcome> outcomes = RunPingProcesses(program.toStdString(), runs, 1000);
        QCOMPARE(outcomes, std::vector<PingOutcome>(runs.size(), outcome));
        errno = 0;
        QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
        QCOMPARE(errno, ECHILD);
    }
};

QTEST_APPLESS_MAIN(TestPingCommand)
#include "tst_pingcommand.moc"
