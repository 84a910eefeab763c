#include "tools/devsim/NetnsGuard.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string>

namespace Netrove::DevSim {

namespace {

bool StatOf(const char* path, struct stat& out)
{
    return ::stat(path, &out) == 0;
}

} // namespace

std::optional<bool> SameNetworkNamespace(const char* a, const char* b)
{
    struct stat sa
    {};
    struct stat sb
    {};
    if (!StatOf(a, sa) || !StatOf(b, sb))
        return std::nullopt;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool IsNamedNetworkNamespace(const char* self, const char* dir)
{
    DIR* names = ::opendir(dir);
    if (!names)
        return false;
    bool found = false;
    while (const dirent* entry = ::readdir(names)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = std::string(dir) + "/" + name;
        if (SameNetworkNamespace(self, path.c_str()).value_or(false)) {
            found = true;
            break;
        }
    }
    ::closedir(names);
    return found;
}

bool InLabNetworkNamespace(std::string& why, const char* self, const char* init, const char* named)
{
    const std::optional<bool> same = SameNetworkNamespace(self, init);
    if (same.has_value()) {
        if (*same)
            why = "this is the machine's own network namespace";
        return !*same;
    }
    if (IsNamedNetworkNamespace(self, named))
        return true;
    why = "process 1's network namespace cannot be inspected and this one is not a named (ip netns) one";
    return false;
}

} // namespace Netrove::DevSim
