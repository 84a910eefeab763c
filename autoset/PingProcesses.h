#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace Netrove {

// How one run of the ping program ended, read from its exit status alone.
enum class PingOutcome
{
    Answered, // exit status 0: the echo reply came
    NoAnswer, // exit status 1, or still running at its deadline: no reply within the wait
    Failed,   // it could not be started, or it ended otherwise: it sent nothing we can rely on
};

// As many ping processes as run at once; the rest start as the first ones end.
constexpr std::size_t kMaxPingProcesses = 64;

// Runs `program` once per argument list (argv[0] first), each started without a shell, its input
// and output on /dev/null and none of this process's other descriptors, all at once up to
// kMaxPingProcesses. Returns when every one has ended: a process still running `limitMs` after
// its start is killed then. Every process is waited for, so none is left behind, whatever happens
// to the caller meanwhile. The first failure writes a line to standard error. One outcome per
// argument list, in their order.
std::vector<PingOutcome> RunPingProcesses(const std::string& program,
                                          std::span<const std::vector<std::string>> argumentLists,
                                          int limitMs);

} // namespace Netrove
