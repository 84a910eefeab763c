#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace Netrove::Fuzz {

// Hands out the fuzzer's bytes front to back; once they run out every read yields zeros or empty
// text, so that any input, however short, drives the code under test.
class FuzzBytes
{
public:
    FuzzBytes(const std::uint8_t* data, std::size_t size)
        : m_bytes(data, size)
    {}

    std::uint8_t Byte()
    {
        if (m_bytes.empty())
            return 0;
        const std::uint8_t value = m_bytes.front();
        m_bytes = m_bytes.subspan(1);
        return value;
    }

    std::uint16_t U16()
    {
        const std::uint16_t low = Byte();
        return static_cast<std::uint16_t>(low | (Byte() << 8));
    }

    int Int()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value |= std::uint32_t(Byte()) << (8 * i);
        return static_cast<int>(value);
    }

    // A text whose length is the next byte (capped by what is left).
    std::string Text()
    {
        // Apart, so that the length byte is gone before what is left is measured.
        const std::size_t wanted = Byte();
        const std::size_t length = std::min(wanted, m_bytes.size());
        std::string text(reinterpret_cast<const char*>(m_bytes.data()), length);
        m_bytes = m_bytes.subspan(length);
        return text;
    }

    std::span<const std::uint8_t> Rest()
    {
        const std::span<const std::uint8_t> rest = m_bytes;
        m_bytes = {};
        return rest;
    }

private:
    std::span<const std::uint8_t> m_bytes;
};

} // namespace Netrove::Fuzz
