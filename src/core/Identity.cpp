#include "core/Identity.h"

#include "core/Paths.h"
#include "core/Posix.h"
#include "core/walk/Walker.h"

#include <xxhash.h>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <vector>

namespace Morvane {

namespace {

std::int64_t modifiedNanoseconds(const struct stat &st)
{
#ifdef Q_OS_MACOS
    return std::int64_t(st.st_mtimespec.tv_sec) * 1000000000 + st.st_mtimespec.tv_nsec;
#else
    return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
}

// Everything below the open folder `root`, folder by folder from a list of those still
// to read, each opened below `root` (never one descriptor per level: a deep tree must
// not run out of them); false when anything could not be read.
bool walkTree(
    const UniqueFd &root, dev_t device, TreeDigest &digest, std::int64_t &bytes, const CancellationToken *cancel)
{
    struct Pending {
        QByteArray relative;
        ino_t inode = 0;
    };
    std::vector<Pending> pending { Pending {} };
    bool complete = true;
    while (!pending.empty()) {
        const Pending folder = std::move(pending.back());
        pending.pop_back();
        UniqueFd fd = openFolderBelow(
            root.get(), std::string_view(folder.relative.constData(), size_t(folder.relative.size())));
        struct stat opened { };
        // The listing saw this inode: anything else now (a link swapped in on the way)
        // is not part of the tree.
        if (!fd || ::fstat(fd.get(), &opened) != 0
            || (!folder.relative.isEmpty() && (opened.st_dev != device || opened.st_ino != folder.inode))) {
            complete = false;
            continue;
        }
        DIR *dir = ::fdopendir(fd.get());
        if (!dir) {
            complete = false;
            continue;
        }
        (void)fd.release(); // the listing owns it now
        QByteArray relative = folder.relative;
        const qsizetype base = relative.size();
        while (dirent *entry = ::readdir(dir)) {
            const char *name = entry->d_name;
            if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
                continue;
            if (cancel && cancel->isCancelled()) {
                complete = false;
                break;
            }
            struct stat st { };
            if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                complete = false;
                continue;
            }
            relative.truncate(base);
            if (base > 0)
                relative += '/';
            relative += name;
            digest.add(relative, st);
            if (S_ISREG(st.st_mode))
                bytes += st.st_size;
            // Another file system mounted below is not ours to judge.
            if (S_ISDIR(st.st_mode) && st.st_dev == device)
                pending.push_back({ relative, st.st_ino });
        }
        ::closedir(dir);
        if (cancel && cancel->isCancelled())
            return false;
    }
    return complete;
}

} // namespace

Fingerprint fingerprintFromStat(const struct stat &st)
{
    Fingerprint f;
    f.device = std::uint64_t(st.st_dev);
    f.inode = std::uint64_t(st.st_ino);
    f.size = std::int64_t(st.st_size);
    f.modifiedNs = modifiedNanoseconds(st);
    return f;
}

void TreeDigest::add(QByteArrayView relativePath, const struct stat &st)
{
    struct {
        std::uint64_t mode, inode, size;
        std::int64_t modified;
    } fields { std::uint64_t(st.st_mode), std::uint64_t(st.st_ino), S_ISDIR(st.st_mode) ? 0 : std::uint64_t(st.st_size),
        modifiedNanoseconds(st) };
    XXH64_hash_t h = XXH64(relativePath.data(), size_t(relativePath.size()), 0);
    h = XXH64(&fields, sizeof fields, h);
    m_sum += h;
    m_xor ^= h;
    ++m_entries;
}

void TreeDigest::merge(const TreeDigest &other)
{
    m_sum += other.m_sum;
    m_xor ^= other.m_xor;
    m_entries += other.m_entries;
}

std::optional<Fingerprint> fingerprintPath(
    const QString &path, bool withTree, const CancellationToken *cancel, std::int64_t *logicalBytes)
{
    const QByteArray bytes = pathToBytes(path);
    struct stat st { };
    if (::lstat(bytes.constData(), &st) != 0)
        return std::nullopt;
    Fingerprint f = fingerprintFromStat(st);
    if (logicalBytes)
        *logicalBytes = S_ISREG(st.st_mode) ? st.st_size : 0;
    if (!withTree || !S_ISDIR(st.st_mode))
        return f;
    const UniqueFd fd(::open(bytes.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened { };
    if (!fd || ::fstat(fd.get(), &opened) != 0 || opened.st_dev != st.st_dev || opened.st_ino != st.st_ino)
        return std::nullopt;
    TreeDigest digest;
    std::int64_t total = 0;
    if (!walkTree(fd, st.st_dev, digest, total, cancel))
        return std::nullopt;
    f.treeDigest = digest.value();
    f.treeEntries = digest.entries();
    f.hasTree = true;
    if (logicalBytes)
        *logicalBytes = total;
    return f;
}

} // namespace Morvane
