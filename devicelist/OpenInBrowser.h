#pragma once

#include "devicelist/CheckedWebAddress.h"

#include <string_view>

namespace Netrove {

// Hands an accepted address (see CheckWebAddress) to the desktop's browser. A refused one opens
// nothing and leaves one line in the logging category "netrove.web" (off by default). Whether the
// browser starts is not reported.
void OpenInBrowser(std::string_view address);

} // namespace Netrove
