#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace Netrove {

// The base ports the Auto Setting dialog has handed out since the last search.
struct UsedPortTable
{
    static constexpr int kCapacity = 50;

    std::array<std::int32_t, kCapacity> ports{};
    std::int32_t count = 0;

    // Every search starts over: each byte of the entries becomes 0x20, a value no port has.
    void Clear()
    {
        count = 0;
        std::memset(ports.data(), 0x20, sizeof(ports));
    }
};

// One table for the whole process.
UsedPortTable& GlobalUsedPortTable();

} // namespace Netrove
