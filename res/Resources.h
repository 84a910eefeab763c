#pragma once

#include <QIcon>

namespace Netrove {

// The application icon (icon 128).
QIcon ApplicationIcon();

} // namespace Netrove
