#pragma once

#include <unistd.h>

#include <utility>

namespace Morvane {

/// Owns one POSIX file descriptor and closes it when it goes out of scope. The one
/// descriptor owner of the core: folder handles, files opened for reading and the
/// Trash's folders all live in one of these.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : m_fd(fd)
    {
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    UniqueFd(UniqueFd &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    {
    }
    UniqueFd &operator=(UniqueFd &&other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.m_fd, -1));
        return *this;
    }
    ~UniqueFd() { reset(); }

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool valid() const { return m_fd >= 0; }
    explicit operator bool() const { return valid(); }

    /// Gives up ownership without closing.
    [[nodiscard]] int release() { return std::exchange(m_fd, -1); }

    /// Closes the owned descriptor (if any) and takes `fd`.
    void reset(int fd = -1)
    {
        const int old = std::exchange(m_fd, fd);
        if (old >= 0)
            ::close(old);
    }

private:
    int m_fd = -1;
};

} // namespace Morvane
