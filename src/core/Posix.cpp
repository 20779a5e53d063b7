#include "core/Posix.h"

#include "core/trash/OsCalls.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>

namespace Morvane {

namespace {

bool isPlainName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/') && !name.contains('\0');
}

int openAt(const OsCalls *os, int dirFd, const char *name, int flags)
{
    return os ? os->openat(dirFd, name, flags, 0) : ::openat(dirFd, name, flags);
}

int statAt(const OsCalls *os, int dirFd, const char *name, struct stat *st)
{
    return os ? os->fstatat(dirFd, name, st, AT_SYMLINK_NOFOLLOW) : ::fstatat(dirFd, name, st, AT_SYMLINK_NOFOLLOW);
}

bool sameObject(const QByteArray &path, const struct stat &expected)
{
    struct stat st { };
    return ::stat(path.constData(), &st) == 0 && st.st_dev == expected.st_dev && st.st_ino == expected.st_ino;
}

} // namespace

FolderChain openFolderChain(int start, const QList<QByteArray> &components, const OsCalls *os)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    FolderChain chain;
    chain.folder.reset(openAt(os, start, ".", flags));
    if (!chain.folder) {
        chain.stop = ChainStop::failed;
        chain.error = errno;
        return chain;
    }
    for (qsizetype i = 0; i < components.size(); ++i) {
        const QByteArray &name = components.at(i);
        auto stopHere = [&chain, i](ChainStop stop, int error) {
            chain.folder.reset();
            chain.stop = stop;
            chain.failedAt = i;
            chain.error = error;
            return std::move(chain);
        };
        if (!isPlainName(name))
            return stopHere(ChainStop::failed, EINVAL);
        UniqueFd next(openAt(os, chain.folder.get(), name.constData(), flags));
        if (next) {
            chain.folder = std::move(next);
            continue;
        }
        // Tell why, for the reason shown to the user; nothing is acted on through this.
        const int error = errno;
        struct stat st { };
        if (statAt(os, chain.folder.get(), name.constData(), &st) != 0) {
            const int statError = errno;
            return stopHere(statError == ENOENT ? ChainStop::missing : ChainStop::failed, statError);
        }
        if (S_ISLNK(st.st_mode))
            return stopHere(ChainStop::link, ELOOP);
        if (!S_ISDIR(st.st_mode))
            return stopHere(ChainStop::notFolder, ENOTDIR);
        return stopHere(ChainStop::failed, error);
    }
    return chain;
}

std::optional<QByteArray> folderPathOf(int fd, const QByteArray &hint)
{
    struct stat expected { };
    if (::fstat(fd, &expected) != 0 || !S_ISDIR(expected.st_mode))
        return std::nullopt;
#if defined(__APPLE__)
    char buffer[PATH_MAX];
    if (::fcntl(fd, F_GETPATH, buffer) == 0 && sameObject(QByteArray(buffer), expected))
        return QByteArray(buffer);
#elif defined(__linux__)
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    QByteArray buffer(PATH_MAX, '\0');
    const ssize_t n = ::readlink(link.constData(), buffer.data(), size_t(buffer.size()));
    if (n > 0 && n < buffer.size()) {
        buffer.truncate(n);
        if (buffer.startsWith('/') && sameObject(buffer, expected))
            return buffer;
    }
#endif
    if (hint.isEmpty())
        return std::nullopt;
    char *resolved = ::realpath(hint.constData(), nullptr);
    if (!resolved)
        return std::nullopt;
    const QByteArray path(resolved);
    std::free(resolved);
    if (sameObject(path, expected))
        return path;
    return std::nullopt;
}

FolderNames folderNames(const QByteArray &path)
{
    FolderNames out;
    const UniqueFd folder(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
    if (!folder) {
        out.error = errno;
        return out;
    }
    out.error = forEachName(folder.get(), [&out](const char *name) {
        out.names.append(QByteArray(name));
        return true;
    });
    return out;
}

} // namespace Morvane
