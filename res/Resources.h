#pragma once

#include <QIcon>

namespace Netrove {

// The application icon (icon 128): 16 × 16 and 32 × 32.
QIcon ApplicationIcon();

// The About entry's command (string 101 is its text); the low four bits of a system command are the
// platform's own.
inline constexpr unsigned int IDM_ABOUTBOX = 0x10;

} // namespace Netrove
