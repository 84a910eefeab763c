#pragma once

namespace Netrove {

// What netrove-cli writes to standard error is its own, for the installer and his scripts to read;
// Qt's messages about the platform (no runtime directory under sudo, a directory of another user's)
// are not. From the call on, only Netrove's own messages are printed, as Qt would print them: those
// of its logging categories ("netrove.*"), those it writes without one (they begin "Netrove: "), and
// fatal ones. Qt's others only while the category "netrove.qt" is switched on
// (QT_LOGGING_RULES="netrove.qt.debug=true").
void FilterQtMessages();

} // namespace Netrove
