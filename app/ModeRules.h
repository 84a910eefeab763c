#pragma once

namespace Netrove {

// What the four mode check boxes say at a moment.
struct ModeSelection
{
    bool ipv6Available = true;
    bool camera = true; // "IP CAMERA"
    bool nvr = true;    // "NVR"
    bool ipv4 = true;   // "IPv4"
    bool ipv6 = true;   // "IPv6"
    bool onvif = false; // "ONVIF": other makers' cameras, over IPv4 and IPv6
};

struct ModeControlStates
{
    bool ipv6BoxEnabled = true;
    bool searchEnabled = true;
};

// Recorders answer over IPv4 only, so a recorders-only search needs IPv4, and the IPv6 box has no
// meaning while only recorders are searched. Other makers' cameras answer over both.
ModeControlStates ComputeModeControls(const ModeSelection& selection);

} // namespace Netrove
