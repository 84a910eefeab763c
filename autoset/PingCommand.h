#pragma once

#include "discovery/DottedQuad.h"

#include <string>
#include <string_view>
#include <vector>

namespace Netrove {

// How long one ping waits for its echo reply, in whole seconds as ping's -W takes it.
constexpr int kPingWaitSeconds = 1;

// The system's ping program, which the distribution installs with the right to send pings that an
// ordinary user's program lacks: /usr/bin/ping, else /bin/ping; empty when neither may be run.
// Never looked up in PATH, where a program of that name placed earlier would choose the answers.
std::string PingProgramPath();

// The argument list of one ping of `candidate` leaving by `adapter` (no -I when empty), argv[0]
// first: one echo request, a numeric address, no name looked up, one second's wait. The list is
// given to the program as it is, with no shell to read it.
std::vector<std::string> PingArguments(const Ipv4Octets& candidate, std::string_view adapter);

} // namespace Netrove
