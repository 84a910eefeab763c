#pragma once

#include <cstdio>
#include <cstdlib>

namespace Netrove::Fuzz {

// A broken promise of the code under test is a finding, just like a crash.
inline void Require(bool holds, const char* what)
{
    if (holds)
        return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

} // namespace Netrove::Fuzz
