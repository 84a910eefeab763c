#pragma once

namespace Netrove {

// Gives the memory that a search's answers took on their way in, and that is free again, back to
// the system. Thousands of devices answering every send of a search pass through buffers that the
// allocator would otherwise keep resident for good.
void ReturnFreedMemory();

} // namespace Netrove
