#pragma once

#include <QDateTime>

#include <functional>

#include <sys/stat.h>
#include <sys/types.h>

namespace Morvane {

/// The file-system calls through which the clean-up and the Trash touch the disk, all
/// on open folder handles (AT_FDCWD stands for a path of the caller's choosing). Each
/// behaves like its POSIX namesake (returns -1 and sets errno on failure), so a test
/// can replace one entry to make it fail in a chosen way (EACCES, ENOSPC, a different
/// device number) or to change the disk at an exact moment (a folder swapped for a
/// link between a check and a move), and every path runs without special privileges.
struct OsCalls {
    /// openat(2); the real one adds O_CLOEXEC.
    std::function<int(int dirFd, const char *name, int flags, mode_t mode)> openat;
    std::function<int(int dirFd, const char *name, struct stat *st, int flags)> fstatat;
    std::function<int(int fd, struct stat *st)> fstat;
    std::function<int(int dirFd, const char *name, int mode, int flags)> faccessat;
    std::function<int(int dirFd, const char *name, mode_t mode)> mkdirat;
    std::function<ssize_t(int fd, void *buffer, size_t size)> read;
    std::function<ssize_t(int fd, const void *buffer, size_t size)> write;
    std::function<int(int fd)> close;
    /// Renames within or between open folders, never replacing an existing target
    /// (EEXIST instead).
    std::function<int(int fromDir, const char *from, int toDir, const char *to)> renameNoReplaceAt;
    /// Renames over an existing target; used only for our own bookkeeping files.
    std::function<int(int fromDir, const char *from, int toDir, const char *to)> renameReplaceAt;
    /// Removes a bookkeeping file of the Trash (a .trashinfo whose move failed or
    /// whose item was put back, a temporary file), never a user's item.
    std::function<int(int dirFd, const char *name)> unlinkOwnFileAt;
    std::function<uid_t()> userID;
    std::function<QDateTime()> now;

    /// The real calls.
    [[nodiscard]] static const OsCalls &system();
};

} // namespace Morvane
