#pragma once

#include <QString>

namespace Netrove {

// A text as netrove-cli prints it to a terminal: its control characters (C0, DEL and C1) each made
// "?". Models, aliases and MAC texts are whatever a device sent, and an escape sequence among them
// would retitle, recolour or redraw the user's terminal; a line break would forge a line.
QString TerminalText(QString text);

} // namespace Netrove
