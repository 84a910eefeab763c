#pragma once

// What a long run watches of its own process: resident memory, the heap in use, open descriptors
// and threads. Read from /proc and the allocator; -1 where a figure cannot be read.

#include <QStringList>

namespace Netrove {

struct ProcessFigures
{
    long long residentBytes = -1;
    // Of it: anonymous memory (the heap, stacks), and pages of files (the program's and its
    // libraries' code, touched for the first time when a dialog first opens).
    long long residentAnonBytes = -1;
    long long residentFileBytes = -1;
    // Bytes the allocator has handed out and not taken back, its caches of small freed blocks
    // included: grows with a leak even where freed memory stays resident.
    long long heapInUseBytes = -1;
    int openDescriptors = -1;
    int threads = -1;
};

ProcessFigures ReadProcessFigures();
long long ResidentBytes();
int OpenDescriptors();
// What each open descriptor is ("3 socket:[1234]", "7 /dev/null"), to tell which one a run gained.
QStringList OpenDescriptorTargets();

} // namespace Netrove
