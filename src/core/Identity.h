#pragma once

#include "core/Errors.h"
#include "core/Records.h"

#include <QByteArrayView>

#include <sys/stat.h>

namespace Morvane {

// The identity a scan records and the clean-up checks again. Scanners and the
// clean-up must compute it through these functions only, so that an unchanged item
// always compares equal.

/// Device, inode, size, modification and status-change times of one lstat result.
[[nodiscard]] Fingerprint fingerprintFromStat(const struct stat &st);

/// Order-independent digest of a folder's descendants: each entry contributes a hash
/// of its path relative to the folder, its type, inode, size, modification and
/// status-change times, so any entry added, removed, renamed or changed (even with its
/// modification time put back) changes the digest. Feed it in any order (the walker
/// is parallel).
class TreeDigest {
public:
    void add(QByteArrayView relativePath, const struct stat &st);
    [[nodiscard]] std::uint64_t value() const { return m_sum ^ (m_xor * 0x9E3779B97F4A7C15ULL); }
    [[nodiscard]] std::int64_t entries() const { return m_entries; }
    void merge(const TreeDigest &other);

private:
    std::uint64_t m_sum = 0;
    std::uint64_t m_xor = 0;
    std::int64_t m_entries = 0;
};

/// The fingerprint of the open folder `folder` (its own fstat) with the tree digest
/// of everything below it, walked by handle (never following links, never leaving its
/// file system); `logicalBytes`, when given, receives the sum of the sizes of the
/// regular files below it. None when it cannot be examined or the walk is cut
/// (cancelled, or unreadable parts: then the identity cannot be vouched for).
[[nodiscard]] std::optional<Fingerprint> fingerprintFolder(
    int folder, const CancellationToken *cancel = nullptr, std::int64_t *logicalBytes = nullptr);

/// The fingerprint of the item `name` in the open folder `dirFd` (AT_FDCWD with an
/// absolute or relative path works too), without following a final symbolic link.
/// For a folder with `withTree`, as fingerprintFolder on a handle opened from that
/// same folder; none when the item changed between the two steps.
[[nodiscard]] std::optional<Fingerprint> fingerprintAt(int dirFd, const QByteArray &name, bool withTree,
    const CancellationToken *cancel = nullptr, std::int64_t *logicalBytes = nullptr);

/// fingerprintAt for a path: links in the folders above the item are followed as the
/// system does, a final link is not.
[[nodiscard]] std::optional<Fingerprint> fingerprintPath(const QString &path, bool withTree,
    const CancellationToken *cancel = nullptr, std::int64_t *logicalBytes = nullptr);

} // namespace Morvane
