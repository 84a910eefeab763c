#pragma once

#include <QByteArray>
#include <QString>

#include <cstdio>

namespace Netrove {

// A text as netrove-cli prints it to a terminal: its control characters (C0, DEL and C1) each made
// "?". Models, aliases and MAC texts are whatever a device sent, and an escape sequence among them
// would retitle, recolour or redraw the user's terminal; a line break would forge a line.
QString TerminalText(QString text);

// Bytes out at once, flushed, so that what a script reads comes in the order it happened.
void WriteOut(std::FILE* stream, const QByteArray& bytes);
// One line of text, as TerminalText has it.
void WriteLine(std::FILE* stream, const QString& text);

} // namespace Netrove
