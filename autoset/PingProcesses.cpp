#include "autoset/PingProcesses.h"

#include "discovery/SocketHandle.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <list>
#include <optional>

namespace Netrove {

namespace {

using Clock = std::chrono::steady_clock;

// Without a descriptor to wait on (a kernel older than 5.3), the wait looks again this often.
constexpr int kRecheckMs = 10;

PingOutcome OutcomeOf(int status, bool killed)
{
    if (WIFEXITED(status)) {
        switch (WEXITSTATUS(status)) {
        case 0:
            return PingOutcome::Answered;
        case 1:
            return PingOutcome::NoAnswer;
        default:
            return PingOutcome::Failed;
        }
    }
    return killed && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL ? PingOutcome::NoAnswer
                                                                        : PingOutcome::Failed;
}

// Starts `program` as posix_spawn does, returning its error number; 0 and `pid` set when it started.
int StartProcess(const std::string& program, const std::vector<std::string>& arguments, pid_t& pid)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    // Neither can fail in glibc, which only clears them.
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    // What it prints would only mix into netrove-cli's output; its exit status says all we need.
    int error = ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (error == 0)
        error = ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (error == 0)
        error = ::posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // The device sockets and whatever else this program holds open stay its own.
    if (error == 0)
        error = ::posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    if (error == 0)
        error = ::posix_spawnattr_setsigmask(&attributes, &none);
    if (error == 0)
        error = ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    if (error == 0)
        error = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    return error;
}

// One started process; killed and waited for as it goes, unless it has been waited for already.
class PingProcess final
{
public:
    PingProcess(pid_t pid, std::size_t index, Clock::time_point deadline)
        : m_pid(pid)
        , m_index(index)
        , m_deadline(deadline)
        , m_descriptor(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)))
    {}
    ~PingProcess()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
        }
    }
    PingProcess(const PingProcess&) = delete;
    PingProcess& operator=(const PingProcess&) = delete;

    std::size_t Index() const { return m_index; }
    Clock::time_point Deadline() const { return m_deadline; }
    // Readable once the process has ended; -1 when the kernel gives no such descriptor.
    int Descriptor() const { return m_descriptor.get(); }

    // How it ended, once it has; nothing while it runs. Past its deadline it is killed first.
    std::optional<PingOutcome> Reap(Clock::time_point now)
    {
        if (!m_killed && now >= m_deadline) {
            ::kill(m_pid, SIGKILL);
            m_killed = true;
        }
        int status = 0;
        pid_t ended = 0;
        do {
            ended = ::waitpid(m_pid, &status, m_killed ? 0 : WNOHANG);
        } while (ended < 0 && errno == EINTR);
        if (ended == 0)
            return std::nullopt;
        // Waited for by someone else (ECHILD): nothing is known of how it ended.
        const PingOutcome outcome = ended == m_pid ? OutcomeOf(status, m_killed) : PingOutcome::Failed;
        m_pid = -1;
        return outcome;
    }

private:
    pid_t m_pid;
    std::size_t m_index;
    Clock::time_point m_deadline;
    SocketHandle m_descriptor; // a process descriptor, closed as a socket's is
    bool m_killed = false;
};

// Until one of the processes ends or the nearest deadline comes.
void AwaitAnyEnd(const std::list<PingProcess>& running)
{
    std::vector<pollfd> descriptors;
    Clock::time_point nearest = Clock::time_point::max();
    bool blind = false;
    for (const PingProcess& process : running) {
        descriptors.push_back({process.Descriptor(), POLLIN, 0});
        nearest = std::min(nearest, process.Deadline());
        blind = blind || process.Descriptor() < 0;
    }
    auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(nearest - Clock::now()).count();
    waitMs = std::max<decltype(waitMs)>(waitMs, 0);
    if (blind)
        waitMs = std::min<decltype(waitMs)>(waitMs, kRecheckMs);
    // Interrupted by a signal, it returns early and the caller looks again.
    ::poll(descriptors.data(), descriptors.size(), static_cast<int>(waitMs));
}

} // namespace

std::vector<PingOutcome> RunPingProcesses(const std::string& program,
                                          std::span<const std::vector<std::string>> argumentLists,
                                          int limitMs)
{
    std::vector<PingOutcome> outcomes(argumentLists.size(), PingOutcome::Failed);
    bool told = false;
    const auto tell = [&](const char* what) {
        if (!told)
            std::fprintf(stderr, "ping error : %s: %s\n", program.c_str(), what);
        told = true;
    };

    std::list<PingProcess> running;
    std::size_t next = 0;
    while (next < argumentLists.size() || !running.empty()) {
        for (; next < argumentLists.size() && running.size() < kMaxPingProcesses; ++next) {
            pid_t pid = -1;
            if (const int error = StartProcess(program, argumentLists[next], pid); error != 0)
                tell(std::strerror(error));
            else
                running.emplace_back(pid, next, Clock::now() + std::chrono::milliseconds(limitMs));
        }
        if (running.empty())
            continue;
        AwaitAnyEnd(running);
        const Clock::time_point now = Clock::now();
        for (auto process = running.begin(); process != running.end();) {
            const std::optional<PingOutcome> outcome = process->Reap(now);
            if (!outcome) {
                ++process;
                continue;
            }
            if (*outcome == PingOutcome::Failed)
                tell("it ended without an answer to read");
            outcomes[process->Index()] = *outcome;
            process = running.erase(process);
        }
    }
    return outcomes;
}

} // namespace Netrove
