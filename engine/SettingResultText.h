#pragma once

#include "discovery/ReplyHandling.h"

#include <QString>

namespace Netrove {

// What the user is told of a failed setting result: "Invalid Password!", "Port Mapping Error",
// "Router Connect Error!" or, for a recorder's result that is not known, "Error!". Empty for
// anything that is no failure.
QString SettingResultText(ReplyAction action);

} // namespace Netrove
