#include "cli/StopSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace Netrove {

namespace {

// The write end of the pipe the handler tells through; only async-signal-safe calls touch it.
int g_stopPipe[2] = {-1, -1};

void OnStopSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_stopPipe[1], &byte, 1);
}

} // namespace

StopSignals::StopSignals(QObject* parent)
    : QObject(parent)
{
    if (::pipe2(g_stopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = std::make_unique<QSocketNotifier>(g_stopPipe[0], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(g_stopPipe[0], bytes, sizeof bytes) > 0) {
        }
        emit stopRequested();
    });
    struct sigaction action
    {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

StopSignals::~StopSignals()
{
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    m_notifier.reset();
    for (int& fd : g_stopPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

} // namespace Netrove
