#pragma once

#include "discovery/DottedQuad.h"

#include <string>
#include <string_view>
#include <vector>

namespace Netrove {

// The addresses of the kernel's IPv4 neighbour table (the text of /proc/net/arp) whose hardware
// address the kernel has learned and still holds as valid: flag ATF_COM (0x2) set, which the kernel
// gives every state but INCOMPLETE and FAILED, and a hardware address that is not all zeros. Lines
// that do not read so (the title line, proxy entries, adapters without hardware addresses, a line
// without all six columns) name no address. Safe on any text.
std::vector<Ipv4Octets> ResolvedNeighbours(std::string_view arpTable);

// The text of /proc/net/arp of this computer's network namespace; empty when it cannot be read.
std::string ReadArpTable();

} // namespace Netrove
