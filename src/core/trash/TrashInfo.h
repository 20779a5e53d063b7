#pragma once

#include "core/trash/OsCalls.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QHash>

#include <cstdint>
#include <functional>
#include <optional>

namespace Morvane {

// The two bookkeeping files of a freedesktop.org Trash, read the way every client
// writes them: a .trashinfo per item in `info/`, and the optional folder-size cache
// `directorysizes` beside `files/`.

/// What one .trashinfo says.
struct TrashInfoFields {
    QByteArray path; // decoded, exact bytes: absolute, or relative to the volume's top folder
    QDateTime deletionDate; // local time; invalid when the line is missing or malformed
};

/// The largest .trashinfo read (a path of PATH_MAX bytes, every byte encoded, fits).
inline constexpr qint64 kTrashInfoLimit = 64 * 1024;

/// Parses a .trashinfo: a "[Trash Info]" group with a percent-encoded Path= (its first
/// occurrence wins, as in other clients) and DeletionDate= (YYYY-MM-DDThh:mm:ss).
/// None without the group or a Path= that decodes to something.
[[nodiscard]] std::optional<TrashInfoFields> parseTrashInfo(QByteArrayView text);

/// Percent-decoding of a Path= value; none on a malformed escape or a NUL byte.
[[nodiscard]] std::optional<QByteArray> decodeTrashPath(QByteArrayView encoded);

/// One line of `directorysizes`: a folder's size and the modification time (seconds)
/// of its .trashinfo when the size was taken. The size is fresh while that time is
/// still the info file's.
struct DirectorySize {
    std::int64_t bytes = 0;
    std::int64_t infoModified = 0;
};

/// The cache's lines by decoded name in `files/`; malformed lines are left out.
[[nodiscard]] QHash<QByteArray, DirectorySize> parseDirectorySizes(QByteArrayView text);

/// The largest `directorysizes` read or rewritten.
inline constexpr qint64 kDirectorySizesLimit = 64 * 1024 * 1024;

/// Rewrites `directorysizes` in the open trash folder `root` through `edit`, which gets
/// the current text and returns the new one. Nothing when there is no such file (a
/// trash without the cache stays without). Written to a temporary file and renamed
/// over, so a reader never sees half a file. False when it could not be read or written.
[[nodiscard]] bool rewriteDirectorySizes(
    const OsCalls &os, int root, const std::function<QByteArray(const QByteArray &)> &edit);

} // namespace Morvane
