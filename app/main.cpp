#include "app/CNetroveApp.h"

#include <cstdio>
#include <cstring>
#include <span>

int main(int argc, char** argv)
{
    // Answered before the application exists: the version needs no display, and a running copy
    // neither stops it nor is brought to the front by it.
    for (const char* argument : std::span(argv, static_cast<std::size_t>(argc)).subspan(1)) {
        if (std::strcmp(argument, "--version") == 0) {
            std::puts("netrove " NETROVE_VERSION);
            return 0;
        }
    }
    Netrove::CNetroveApp app(argc, argv);
    app.InitInstance();
    return 0;
}
