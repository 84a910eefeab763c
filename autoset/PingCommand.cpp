#include "autoset/PingCommand.h"

#include <unistd.h>

namespace Netrove {

std::string PingProgramPath()
{
    for (const char* path : {"/usr/bin/ping", "/bin/ping"}) {
        if (::access(path, X_OK) == 0)
            return path;
    }
    return {};
}

std::vector<std::string> PingArguments(const Ipv4Octets& candidate, std::string_view adapter)
{
    std::vector<std::string> arguments{"ping", "-n", "-c", "1", "-W", std::to_string(kPingWaitSeconds)};
    if (!adapter.empty()) {
        arguments.emplace_back("-I");
        arguments.emplace_back(adapter);
    }
    arguments.push_back(FormatDottedQuad(candidate));
    return arguments;
}

} // namespace Netrove
