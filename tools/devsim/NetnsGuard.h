#pragma once

#include <optional>
#include <string>

namespace Netrove::DevSim {

// Whether both paths name the same network namespace (device and inode of the nsfs file);
// nothing when either cannot be read.
std::optional<bool> SameNetworkNamespace(const char* a, const char* b);

// Whether the namespace at `self` is one that `ip netns add` created (a file under `dir`).
bool IsNamedNetworkNamespace(const char* self, const char* dir);

// The simulator may only answer inside a lab: a namespace other than that of process 1 (the
// machine's, or the container's), or, where process 1 cannot be inspected, a named one. On
// refusal `why` says which.
bool InLabNetworkNamespace(std::string& why, const char* self = "/proc/self/ns/net",
                           const char* init = "/proc/1/ns/net", const char* named = "/run/netns");

} // namespace Netrove::DevSim
