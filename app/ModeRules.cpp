#include "app/ModeRules.h"

namespace Netrove {

ModeControlStates ComputeModeControls(const ModeSelection& s)
{
    const bool recordersOnly = !s.camera && !s.onvif && s.nvr;
    ModeControlStates states;
    states.ipv6BoxEnabled = s.ipv6Available && !recordersOnly;
    const bool noProtocol = !s.ipv4 && !s.ipv6;
    const bool recordersWithoutIPv4 = !s.ipv4 && recordersOnly;
    const bool noFamily = !s.camera && !s.nvr && !s.onvif;
    states.searchEnabled = !(noProtocol || recordersWithoutIPv4 || noFamily);
    return states;
}

} // namespace Netrove
