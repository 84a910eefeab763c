#pragma once

#include "discovery/EmptySearchHint.h"

namespace Netrove {

// What this computer tells an ordinary user about why a search heard nothing: its adapters as they
// are now, what firewalld (when it runs) says of the zones of the connected ones, and ufw's settings
// file. Blocks for at most a few seconds while firewalld answers; sends nothing on any network and
// changes no setting. firewalld is asked only where polkit lets this user ask without a password,
// since firewalld would otherwise open a password dialog for a mere question.
EmptySearchFindings ProbeEmptySearch();

} // namespace Netrove
