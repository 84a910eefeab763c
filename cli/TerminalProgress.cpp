#include "cli/TerminalProgress.h"

#include "cli/TerminalText.h"

#include <unistd.h>

namespace Netrove {

namespace {

// Back to the line's start, and the rest of the line erased.
const QByteArray kEraseLine = QByteArrayLiteral("\r\033[K");

} // namespace

TerminalProgress::TerminalProgress(std::FILE* stream)
    : m_stream(stream)
    , m_bTerminal(::isatty(::fileno(stream)) == 1)
{}

void TerminalProgress::Show(const QString& text)
{
    if (!m_bTerminal)
        return;
    WriteOut(m_stream, kEraseLine + TerminalText(text).toUtf8());
    m_bShown = true;
}

void TerminalProgress::Clear()
{
    if (!m_bShown)
        return;
    WriteOut(m_stream, kEraseLine);
    m_bShown = false;
}

} // namespace Netrove
