#pragma once

#include <string_view>

namespace Netrove {

// Which service ports a camera model has, and so which port fields the Manual Setting dialog shows.
enum class PortGroup
{
    SixPortBlock,    // HTTP, DLX, TCP, UDP, upload and multicast, stepped together as one block
    ServicePortOnly, // one writable "Service Port"
    HttpDlxPair,     // every other model: a writable HTTP port and a writable DLX port
};

// The first 10 bytes of the model name count (text up to its NUL or all 10 bytes); exact, case-sensitive.
PortGroup ClassifyModel(std::string_view modelName);

} // namespace Netrove
