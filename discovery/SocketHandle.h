#pragma once

#include <unistd.h>

#include <utility>

namespace Netrove {

// Owns one socket descriptor and closes it when it goes.
class SocketHandle final
{
public:
    SocketHandle() = default;
    explicit SocketHandle(int fd)
        : m_fd(fd)
    {}
    ~SocketHandle() { reset(); }

    SocketHandle(const SocketHandle&) = delete;
    SocketHandle& operator=(const SocketHandle&) = delete;
    SocketHandle(SocketHandle&& other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {}
    SocketHandle& operator=(SocketHandle&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.m_fd, -1));
        return *this;
    }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

} // namespace Netrove
