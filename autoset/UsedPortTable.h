#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_set>

namespace Netrove {

// A camera set automatically moves its six service ports to the block P ... P+5.
constexpr int kPortBlockSize = 6;
// The base ports handed out: 10000, 10006, 10012, ... while below 60000.
constexpr int kFirstBasePort = 10000;
constexpr int kBasePortLimit = 60000;

// The base ports the Auto Setting dialog has handed out since the last search. It grows as long
// as ports are handed out, so that no two cameras set between two searches share a block.
class UsedPortTable final
{
public:
    // Every search starts over.
    void Clear() { m_ports.clear(); }
    bool Contains(std::int32_t port) const { return m_ports.contains(port); }
    void Add(std::int32_t port) { m_ports.insert(port); }
    std::size_t Count() const { return m_ports.size(); }

private:
    std::unordered_set<std::int32_t> m_ports;
};

// One table for the whole process.
UsedPortTable& GlobalUsedPortTable();

// The lowest base port of the sequence that the table does not hold yet, now recorded in it; the
// caller uses it and the five ports above it. -1 when every base port has been handed out.
int FindFreePort(UsedPortTable& table);

} // namespace Netrove
