#pragma once

#include <QByteArray>
#include <QDateTime>

#include <functional>

#include <sys/stat.h>
#include <sys/types.h>

namespace Morvane {

/// The file-system calls through which the clean-up and the Trash touch the disk.
/// Each behaves like its POSIX namesake (returns -1 and sets errno on failure), so a
/// test can replace one entry to make it fail in a chosen way (EACCES, ENOSPC, a
/// different device number) and every error path runs without special privileges.
struct OsCalls {
    // Calls on handles: what the clean-up and the Trash act through.
    /// openat(2); the real one adds O_CLOEXEC.
    std::function<int(int dirFd, const char *name, int flags, mode_t mode)> openat;
    std::function<int(int dirFd, const char *name, struct stat *st, int flags)> fstatat;
    std::function<int(int fd, struct stat *st)> fstat;
    std::function<int(int dirFd, const char *name, int mode, int flags)> faccessat;
    std::function<int(int dirFd, const char *name, mode_t mode)> mkdirat;
    /// Renames within or between open folders, never replacing an existing target
    /// (EEXIST instead).
    std::function<int(int fromDir, const char *from, int toDir, const char *to)> renameNoReplaceAt;
    /// Renames over an existing target; used only for our own bookkeeping files.
    std::function<int(int fromDir, const char *from, int toDir, const char *to)> renameReplaceAt;
    /// Removes a file this code created itself (a .trashinfo whose move failed, a
    /// temporary file), never a user's item.
    std::function<int(int dirFd, const char *name)> unlinkOwnFileAt;

    // Calls on paths.
    std::function<int(const char *path, struct stat *st)> lstat;
    std::function<int(const char *path, struct stat *st)> stat;
    std::function<int(const char *path, int mode)> access;
    std::function<int(const char *path, mode_t mode)> mkdir;
    std::function<int(const char *path, int flags, mode_t mode)> open;
    std::function<ssize_t(int fd, void *buffer, size_t size)> read;
    std::function<ssize_t(int fd, const void *buffer, size_t size)> write;
    std::function<int(int fd)> close;
    /// Renames without ever replacing an existing target (EEXIST instead).
    std::function<int(const char *from, const char *to)> renameNoReplace;
    /// Renames over an existing target; used only for our own bookkeeping files.
    std::function<int(const char *from, const char *to)> renameReplace;
    /// Removes a file. Only ever called on files this code created itself (a
    /// .trashinfo whose move failed, a temporary file), never on a user's item.
    std::function<int(const char *path)> unlinkOwnFile;
    /// The canonical path with every symbolic link resolved; empty on failure.
    std::function<QByteArray(const char *path)> realPath;
    std::function<uid_t()> userID;
    std::function<QDateTime()> now;

    /// The real calls.
    [[nodiscard]] static const OsCalls &system();
};

/// Closes a descriptor opened through an OsCalls table when it goes out of scope.
class OsFd {
public:
    OsFd(const OsCalls &os, int fd)
        : m_os(os)
        , m_fd(fd)
    {
    }
    OsFd(const OsFd &) = delete;
    OsFd &operator=(const OsFd &) = delete;
    ~OsFd() { (void)close(); }
    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool valid() const { return m_fd >= 0; }
    /// Closes now; false (errno set) when closing reported an error, which for a
    /// written file can be the first sign of a full disk.
    bool close()
    {
        if (m_fd < 0)
            return true;
        const int fd = m_fd;
        m_fd = -1;
        return m_os.close(fd) == 0;
    }

private:
    const OsCalls &m_os;
    int m_fd;
};

} // namespace Morvane
