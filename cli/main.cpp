// netrove-cli: Netrove's search, settings and web addresses from a shell. Usage: netrove-cli --help;
// doc/netrove-cli.md.

#include "app/SingleInstance.h"
#include "cli/CliArguments.h"
#include "cli/CliExitCodes.h"
#include "cli/CliSession.h"
#include "cli/QtMessageFilter.h"
#include "cli/TerminalText.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

#include <sys/stat.h>
#include <unistd.h>

using namespace Netrove;

namespace {

// Whether the file at `path` is what standard input reads (a plan given as /dev/stdin, or
// redirected from the plan itself), where a password line would be taken from the plan.
bool IsStandardInput(const QString& path)
{
    struct stat file
    {};
    struct stat input
    {};
    return ::stat(QFile::encodeName(path).constData(), &file) == 0 && ::fstat(STDIN_FILENO, &input) == 0 &&
           file.st_dev == input.st_dev && file.st_ino == input.st_ino;
}

} // namespace

int main(int argc, char** argv)
{
    FilterQtMessages();
    QCoreApplication app(argc, argv);
    const CliParse parsed = ParseCliArguments(app.arguments().mid(1));
    if (!parsed.command) {
        // The refusal may quote an argument, which a script may have taken from a device's reply.
        std::fprintf(stderr, "netrove-cli: %s\n", qPrintable(TerminalText(parsed.error)));
        return ExitRefused;
    }
    CliCommand command = *parsed.command;
    if (command.kind == CliCommandKind::Help) {
        std::fputs(qPrintable(CliHelpText(command.helpTopic)), stdout);
        return ExitOk;
    }
    if (command.kind == CliCommandKind::Version) {
        std::puts("netrove-cli " NETROVE_VERSION);
        return ExitOk;
    }
    // The password is read before anything is sent: a user asked for it may still give up.
    const bool sendsSettings = command.kind == CliCommandKind::Set ||
                               command.kind == CliCommandKind::SetMany ||
                               command.kind == CliCommandKind::Apply;
    if (command.kind == CliCommandKind::Apply && command.passwordFrom == CliPasswordFrom::StandardInput &&
        IsStandardInput(command.planPath)) {
        std::fputs("netrove-cli: the address plan is standard input, so the password cannot be too: give it "
                   "with --password or on the terminal\n",
                   stderr);
        return ExitRefused;
    }
    if (sendsSettings && command.passwordFrom != CliPasswordFrom::Argument) {
        const CliPasswordRead read = ReadCliPassword(command.passwordFrom, stdin);
        if (!read.password) {
            std::fprintf(stderr, "netrove-cli: %s\n", qPrintable(read.error));
            return ExitRefused;
        }
        command.password = *read.password;
    }

    // The window and the command line would take each other's answers: one of them at a time.
    SingleInstance instance(QString::fromLatin1(kNetroveInstanceName));
    if (!instance.TryLock()) {
        const bool otherCommandLine = instance.AskRunningCopy(kWhoRunsMessage) == kCommandLineRunsAnswer;
        std::fprintf(stderr, "%s\n",
                     otherCommandLine ? "netrove-cli is running already; wait for it to finish"
                                      : "Netrove is running; close it first");
        return ExitFailure;
    }
    // A window started meanwhile learns that the devices are busy with us.
    instance.ListenAnswering(kCommandLineRunsAnswer);

    CliSession session(command);
    QObject::connect(&session, &CliSession::finished, &app, [&app](int code) { app.exit(code); });
    QTimer::singleShot(0, &session, &CliSession::Start);
    return app.exec();
}
