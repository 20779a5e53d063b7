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

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;

// Everything below the open folder `root`, folder by folder from a list of those still
// to read, each opened again below `root` (never one descriptor per level: a deep tree
// must not run out of them). False when anything could not be read.
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
        struct stat here { };
        // The listing saw this inode: anything else now (a link swapped in on the way)
        // is not part of the tree.
        if (!fd || ::fstat(fd.get(), &here) != 0
            || (!folder.relative.isEmpty() && (here.st_dev != device || here.st_ino != folder.inode))) {
            complete = false;
            continue;
        }
        QByteArray relative = folder.relative;
        const qsizetype base = relative.size();
        const int listed = forEachName(fd.get(), [&](const char *name) {
            if (cancel && cancel->isCancelled()) {
                complete = false;
                return false;
            }
            struct stat st { };
            if (::fstatat(fd.get(), name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                complete = false;
                return true;
            }
            relative.truncate(base);
            if (base > 0)
                relative += '/';
            relative += name;
            if (S_ISREG(st.st_mode))
                bytes += st.st_size;
            if (S_ISDIR(st.st_mode) && st.st_dev == device) { // another file system below: not ours to judge
                const UniqueFd child(::openat(fd.get(), name, kFolderFlags));
                struct stat opened { };
                // Digest what was opened, so that the entry and its contents are one folder.
                if (!child || ::fstat(child.get(), &opened) != 0 || opened.st_ino != st.st_ino
                    || opened.st_dev != st.st_dev) {
                    complete = false;
                    digest.add(relative, st);
                    return true;
                }
                digest.add(relative, opened);
                pending.push_back({ relative, opened.st_ino });
                return true;
            }
            digest.add(relative, st);
            return true;
        });
        if (listed != 0) // a listing cut short is not the whole folder
            complete = false;
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
    f.modifiedNs = modifiedNs(st);
    f.changedNs = changedNs(st);
    return f;
}

void TreeDigest::add(QByteArrayView relativePath, const struct stat &st)
{
    struct {
        std::uint64_t mode, inode, size;
        std::int64_t modified, changed;
    } fields { std::uint64_t(st.st_mode), std::uint64_t(st.st_ino), S_ISDIR(st.st_mode) ? 0 : std::uint64_t(st.st_size),
        modifiedNs(st), changedNs(st) };
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

std::optional<Fingerprint> fingerprintFolder(int folder, const CancellationToken *cancel, std::int64_t *logicalBytes)
{
    struct stat st { };
    if (::fstat(folder, &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    // A description of its own: the walk reads the folder from the start.
    const UniqueFd walked(::openat(folder, ".", kFolderFlags));
    if (!walked)
        return std::nullopt;
    TreeDigest digest;
    std::int64_t total = 0;
    if (!walkTree(walked, st.st_dev, digest, total, cancel))
        return std::nullopt;
    Fingerprint f = fingerprintFromStat(st);
    f.treeDigest = digest.value();
    f.treeEntries = digest.entries();
    f.hasTree = true;
    if (logicalBytes)
        *logicalBytes = total;
    return f;
}

std::optional<Fingerprint> fingerprintAt(
    int dirFd, const QByteArray &name, bool withTree, const CancellationToken *cancel, std::int64_t *logicalBytes)
{
    struct stat st { };
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    if (!withTree || !S_ISDIR(st.st_mode)) {
        if (logicalBytes)
            *logicalBytes = S_ISREG(st.st_mode) ? st.st_size : 0;
        return fingerprintFromStat(st);
    }
    const UniqueFd folder(::openat(dirFd, name.constData(), kFolderFlags));
    if (!folder)
        return std::nullopt;
    std::optional<Fingerprint> f = fingerprintFolder(folder.get(), cancel, logicalBytes);
    if (f && (f->device != std::uint64_t(st.st_dev) || f->inode != std::uint64_t(st.st_ino)))
        return std::nullopt; // swapped between the two looks: nothing to vouch for
    return f;
}

std::optional<Fingerprint> fingerprintPath(
    const QString &path, bool withTree, const CancellationToken *cancel, std::int64_t *logicalBytes)
{
    return fingerprintAt(AT_FDCWD, pathToBytes(path), withTree, cancel, logicalBytes);
}

} // namespace Morvane
