#pragma once

#include <string_view>

namespace Netrove {

// A field's text read as scanf("%d") would: leading blanks, optional sign, digits; 0 when it does not
// begin with a number; saturating instead of overflowing on absurdly long digit strings.
int ReadLeadingNumber(std::string_view text);

} // namespace Netrove
