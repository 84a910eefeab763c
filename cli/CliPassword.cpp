#include "cli/CliPassword.h"

#include <QByteArray>

#include <csignal>
#include <memory>

#include <termios.h>
#include <unistd.h>

namespace Netrove {

namespace {

const char* const kNeeded = "a password is needed: --password-stdin or --password";

// One line of `in` without its line end ("\n", or "\r\n" as a file from another system ends it);
// nothing when `in` ended before the line began. Far longer than any password, the line is cut
// there (the password check refuses it), so that endless input without a line end cannot fill the
// memory.
std::optional<QByteArray> FirstLine(std::FILE* in)
{
    constexpr qsizetype kLongest = 1024;
    QByteArray line;
    int c = 0;
    while (line.size() < kLongest && (c = std::fgetc(in)) != EOF && c != '\n')
        line += static_cast<char>(c);
    if (c == EOF && line.isEmpty())
        return std::nullopt;
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

// The terminal's settings while its echo is off, for a signal that ends the program meanwhile: the
// user's shell must not be left without echo.
int g_quietFd = -1;
termios g_echoing{};

extern "C" void RestoreEchoAndEnd(int signal)
{
    tcsetattr(g_quietFd, TCSAFLUSH, &g_echoing);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::optional<QByteArray> AskAtTerminal(std::FILE* in)
{
    // The question goes to the terminal itself, even when standard error is sent elsewhere.
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> terminal(std::fopen("/dev/tty", "w"), &std::fclose);
    std::FILE* out = terminal ? terminal.get() : stderr;
    std::fputs("Password: ", out);
    std::fflush(out);

    const int fd = fileno(in);
    termios echoing{};
    const bool quiet = tcgetattr(fd, &echoing) == 0;
    constexpr int kEndings[] = {SIGINT, SIGTERM, SIGHUP};
    if (quiet) {
        g_quietFd = fd;
        g_echoing = echoing;
        for (const int signal : kEndings)
            std::signal(signal, RestoreEchoAndEnd);
        termios silent = echoing;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(fd, TCSAFLUSH, &silent);
    }
    const std::optional<QByteArray> line = FirstLine(in);
    if (quiet) {
        tcsetattr(fd, TCSAFLUSH, &echoing);
        for (const int signal : kEndings)
            std::signal(signal, SIG_DFL);
    }
    // The Enter the user typed was not echoed either.
    std::fputs("\n", out);
    std::fflush(out);
    return line;
}

} // namespace

CliPasswordRead ReadCliPassword(CliPasswordFrom from, std::FILE* in)
{
    std::optional<QByteArray> line;
    switch (from) {
    case CliPasswordFrom::Argument:
        return {std::nullopt, QStringLiteral("the password is in the arguments")};
    case CliPasswordFrom::StandardInput:
        line = FirstLine(in);
        if (!line)
            return {std::nullopt, QStringLiteral("--password-stdin: standard input ended before a line")};
        break;
    case CliPasswordFrom::Ask:
        // A script without a terminal would wait for a password nobody types.
        if (!isatty(fileno(in)))
            return {std::nullopt, QString::fromLatin1(kNeeded)};
        line = AskAtTerminal(in);
        if (!line)
            return {std::nullopt, QString::fromLatin1(kNeeded)};
        break;
    }
    // As the arguments are read.
    return {QString::fromLocal8Bit(*line), {}};
}

} // namespace Netrove
