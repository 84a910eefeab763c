// The ping program's argument list for a candidate, and how runs of a program are read and ended,
// over stand-ins for ping: a shell's exit statuses, and a sleep that outlasts its deadline.

#include "autoset/PingCommand.h"
#include "autoset/PingProcesses.h"

#include <QTest>

#include <sys/wait.h>

#include <cerrno>

using namespace Netrove;

class TestPingCommand final : public QObject
{
    Q_OBJECT

private slots:
    void arguments_data()
    {
        QTest::addColumn<QString>("adapter");
        QTest::addColumn<QString>("arguments"); // joined by "|"

        QTest::newRow("on the adapter the device answered on") << "lab0"
                                                               << "ping|-n|-c|1|-W|1|-I|lab0|10.0.5.9";
        QTest::newRow("adapter not known: the route's") << ""
                                                        << "ping|-n|-c|1|-W|1|10.0.5.9";
        QTest::newRow("what a shell would read stays one argument")
            << "a b;$(x)"
            << "ping|-n|-c|1|-W|1|-I|a b;$(x)|10.0.5.9";
        QTest::newRow("a name like an option stays -I's") << "-c"
                                                          << "ping|-n|-c|1|-W|1|-I|-c|10.0.5.9";
    }
    void arguments()
    {
        QFETCH(QString, adapter);
        QFETCH(QString, arguments);
        QStringList built;
        for (const std::string& argument : PingArguments({10, 0, 5, 9}, adapter.toStdString()))
            built << QString::fromStdString(argument);
        QCOMPARE(built.join(u'|'), arguments);
    }

    // More runs than start at once; every one is waited for, none is left behind.
    void outcome_data()
    {
        QTest::addColumn<QString>("command"); // the program, then argv[0] on, joined by "|"
        QTest::addColumn<PingOutcome>("outcome");

        QTest::newRow("exit status 0: answered") << "/bin/sh|sh|-c|exit 0" << PingOutcome::Answered;
        QTest::newRow("exit status 1: no answer") << "/bin/sh|sh|-c|exit 1" << PingOutcome::NoAnswer;
        QTest::newRow("exit status 2: failed") << "/bin/sh|sh|-c|exit 2" << PingOutcome::Failed;
        QTest::newRow("killed by another: failed") << "/bin/sh|sh|-c|kill -KILL $$" << PingOutcome::Failed;
        QTest::newRow("hangs: killed at its deadline, no answer")
            << "/bin/sleep|sleep|60" << PingOutcome::NoAnswer;
        QTest::newRow("cannot be started") << "/nonexistent/ping|ping" << PingOutcome::Failed;
    }
    void outcome()
    {
        QFETCH(QString, command);
        QFETCH(PingOutcome, outcome);
        std::vector<std::string> arguments;
        for (const QString& part : command.split(u'|'))
            arguments.push_back(part.toStdString());
        const std::string program = arguments.front();
        arguments.erase(arguments.begin());

        const std::vector<std::vector<std::string>> runs(kMaxPingProcesses + 6, arguments);
        QCOMPARE(RunPingProcesses(program, runs, 1000), std::vector<PingOutcome>(runs.size(), outcome));
        errno = 0;
        QCOMPARE(::waitpid(-1, nullptr, WNOHANG), -1);
        QCOMPARE(errno, ECHILD);
    }
};

QTEST_APPLESS_MAIN(TestPingCommand)
#include "tst_pingcommand.moc"
