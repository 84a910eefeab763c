#pragma once

#include <QString>

#include <cstdio>

namespace Netrove {

// A line of progress on standard error, written over and over in place ("Waiting for … 12 s"),
// only where standard error is a terminal: a script that reads it gets the verdicts alone.
class TerminalProgress final
{
public:
    explicit TerminalProgress(std::FILE* stream = stderr);
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void Show(const QString& text);
    // Takes the line away again, so that what follows starts on a clean line.
    void Clear();

private:
    std::FILE* m_stream;
    bool m_bTerminal = false;
    bool m_bShown = false;
};

} // namespace Netrove
