#include "core/trash/OsCalls.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

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

int renameWithoutReplacing(const char *from, const char *to)
{
    return renameAtWithoutReplacing(AT_FDCWD, from, AT_FDCWD, to);
}

QByteArray canonical(const char *path)
{
    char *resolved = ::realpath(path, nullptr);
    if (!resolved)
        return {};
    QByteArray result(resolved);
    std::free(resolved);
    return result;
}

} // namespace

const OsCalls &OsCalls::system()
{
    static const OsCalls calls {
        [](int dir, const char *name, int flags, mode_t mode) { return ::openat(dir, name, flags | O_CLOEXEC, mode); },
        [](int dir, const char *name, struct stat *st, int flags) { return ::fstatat(dir, name, st, flags); },
        [](int fd, struct stat *st) { return ::fstat(fd, st); },
        [](int dir, const char *name, int mode, int flags) { return ::faccessat(dir, name, mode, flags); },
        [](int dir, const char *name, mode_t mode) { return ::mkdirat(dir, name, mode); },
        renameAtWithoutReplacing,
        [](int fromDir, const char *from, int toDir, const char *to) { return ::renameat(fromDir, from, toDir, to); },
        [](int dir, const char *name) { return ::unlinkat(dir, name, 0); },
        [](const char *p, struct stat *st) { return ::lstat(p, st); },
        [](const char *p, struct stat *st) { return ::stat(p, st); },
        [](const char *p, int mode) { return ::access(p, mode); },
        [](const char *p, mode_t mode) { return ::mkdir(p, mode); },
        [](const char *p, int flags, mode_t mode) { return ::open(p, flags | O_CLOEXEC, mode); },
        [](int fd, void *buffer, size_t size) { return ::read(fd, buffer, size); },
        [](int fd, const void *buffer, size_t size) { return ::write(fd, buffer, size); },
        [](int fd) { return ::close(fd); },
        renameWithoutReplacing,
        [](const char *from, const char *to) { return ::rename(from, to); },
        [](const char *p) { return ::unlink(p); },
        canonical,
        [] { return ::geteuid(); },
        [] { return QDateTime::currentDateTime(); },
    };
    return calls;
}

} // namespace Morvane
