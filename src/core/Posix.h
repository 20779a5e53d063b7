#pragma once

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Morvane {

struct OsCalls;

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

/// Why a walk down a chain of folders stopped.
enum class ChainStop : std::uint8_t {
    complete, // every folder opened
    missing, // a component does not exist
    link, // a component is a symbolic link
    notFolder, // a component is something other than a folder
    failed, // a component could not be opened or examined (see `error`)
};

/// The outcome of openFolderChain.
struct FolderChain {
    UniqueFd folder; // the last folder opened; valid only when `stop` is complete
    ChainStop stop = ChainStop::complete;
    qsizetype failedAt = -1; // index of the component that stopped the walk
    int error = 0; // errno of the failing call
};

/// Opens the folder `components` lead to below the open folder `start`, one step at a
/// time with openat(O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK), each step from
/// the handle of the one before: nothing is resolved twice and no symbolic link is
/// followed on the way, so what is judged and acted on through the result is what lies
/// at the end of this very chain, whatever is renamed or swapped meanwhile. Each
/// component must be one plain name (no "/", never "." or ".."); otherwise the walk
/// stops there as `failed` with EINVAL. No components: a new handle on `start` itself.
/// Calls go through `os` when given (tests make races deterministic there), else
/// straight to the system. Never blocks on a special file.
[[nodiscard]] FolderChain openFolderChain(int start, const QList<QByteArray> &components, const OsCalls *os = nullptr);

/// The absolute path at which the open folder `fd` can be reached now, with every
/// symbolic link resolved: asked of the system for the descriptor itself where it can
/// tell (Linux /proc, macOS F_GETPATH), else `hint` resolved; either answer is used
/// only when a stat of it finds the same device and inode as the descriptor. None when
/// no such path is found (the folder was removed, or moved where the hint misses it).
[[nodiscard]] std::optional<QByteArray> folderPathOf(int fd, const QByteArray &hint = {});

/// Modification time of a stat, in nanoseconds since the Unix epoch.
[[nodiscard]] inline std::int64_t modifiedNs(const struct stat &st)
{
#ifdef Q_OS_MACOS
    return std::int64_t(st.st_mtimespec.tv_sec) * 1000000000 + st.st_mtimespec.tv_nsec;
#else
    return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
}

/// Status-change time (ctime) of a stat, in nanoseconds since the Unix epoch.
[[nodiscard]] inline std::int64_t changedNs(const struct stat &st)
{
#ifdef Q_OS_MACOS
    return std::int64_t(st.st_ctimespec.tv_sec) * 1000000000 + st.st_ctimespec.tv_nsec;
#else
    return std::int64_t(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
#endif
}

/// Calls `visit(const char *name)` for every name in the open folder `folder` ("." and
/// ".." left out), in the order the system lists them, until `visit` returns false.
/// `folder` stays open and usable for fstatat/openat on the names meanwhile (the
/// listing reads a duplicate of it). Returns 0, or the errno of a failed open or read
/// (names read before a read error were visited). The one folder listing of the core
/// outside the walker's hot loop.
template <typename Visit> int forEachName(int folder, Visit &&visit)
{
    const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    DIR *dir = copy < 0 ? nullptr : ::fdopendir(copy);
    if (!dir) {
        const int error = errno;
        if (copy >= 0)
            ::close(copy);
        return error;
    }
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent *e = ::readdir(dir);
        if (!e) {
            error = errno;
            break;
        }
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        if (!visit(static_cast<const char *>(e->d_name)))
            break;
    }
    ::closedir(dir);
    return error;
}

/// The names in the folder at `path` (a link at its end is followed, as opendir
/// does), for folders listed whole: configuration and launcher folders, /proc.
struct FolderNames {
    QList<QByteArray> names; // in the order the system lists them
    int error = 0; // errno when the folder could not be opened or read
};
[[nodiscard]] FolderNames folderNames(const QByteArray &path);

} // namespace Morvane
