#include "core/trash/OsCalls.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace Morvane {

namespace {

int renameAtWithoutReplacing(int fromDir, const char *from, int toDir, const char *to)
{
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
        // The file system cannot refuse to replace: check first, accepting the tiny
        // window, since the target name was just reserved by our exclusive .trashinfo.
#elif defined(__APPLE__)
    if (::renameatx_np(fromDir, from, toDir, to, RENAME_EXCL) == 0)
        return 0;
    if (errno != ENOTSUP)
        return -1;
#endif
    struct stat st { };
    if (::fstatat(toDir, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(fromDir, from, toDir, to);
}

} // namespace

const OsCalls &OsCalls::system()
{
    static const OsCalls calls {
        .openat = [](int dir, const char *name, int flags,
                      mode_t mode) { return ::openat(dir, name, flags | O_CLOEXEC, mode); },
        .fstatat
        = [](int dir, const char *name, struct stat *st, int flags) { return ::fstatat(dir, name, st, flags); },
        .fstat = [](int fd, struct stat *st) { return ::fstat(fd, st); },
        .faccessat = [](int dir, const char *name, int mode, int flags) { return ::faccessat(dir, name, mode, flags); },
        .mkdirat = [](int dir, const char *name, mode_t mode) { return ::mkdirat(dir, name, mode); },
        .read = [](int fd, void *buffer, size_t size) { return ::read(fd, buffer, size); },
        .write = [](int fd, const void *buffer, size_t size) { return ::write(fd, buffer, size); },
        .close = [](int fd) { return ::close(fd); },
        .renameNoReplaceAt = renameAtWithoutReplacing,
        .renameReplaceAt
        = [](int fromDir, const char *from, int toDir, const char *to) { return ::renameat(fromDir, from, toDir, to); },
        .unlinkOwnFileAt = [](int dir, const char *name) { return ::unlinkat(dir, name, 0); },
        .userID = [] { return ::geteuid(); },
        .now = [] { return QDateTime::currentDateTime(); },
    };
    return calls;
}

} // namespace Morvane
