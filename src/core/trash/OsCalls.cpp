#include "core/trash/OsCalls.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <unistd.h>

namespace Morvane {

namespace {

int renameWithoutReplacing(const char *from, const char *to)
{
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
        // The file system cannot refuse to replace: check first, accepting the tiny
        // window, since the target name was just reserved by our exclusive .trashinfo.
#elif defined(__APPLE__)
    if (::renamex_np(from, to, RENAME_EXCL) == 0)
        return 0;
    if (errno != ENOTSUP)
        return -1;
#endif
    struct stat st { };
    if (::lstat(to, &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from, to);
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
