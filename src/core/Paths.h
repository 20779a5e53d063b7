#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <limits>

namespace Morvane {

// Paths in the records are QStrings, but a Linux file name is bytes and need not be
// valid UTF-8. We decode like Python's "surrogateescape": every byte that is not part
// of valid UTF-8 becomes the lone surrogate U+DC80..U+DCFF, which valid UTF-8 never
// produces. The mapping is lossless in both directions, so a path found by the walker
// reaches the Trash byte for byte.

/// Decodes raw file-system bytes into the lossless QString form.
[[nodiscard]] QString pathFromBytes(QByteArrayView bytes);

/// Encodes the lossless QString form back into the exact file-system bytes.
[[nodiscard]] QByteArray pathToBytes(const QString &path);

/// True when the path holds escaped bytes (it was not valid UTF-8 on disk).
[[nodiscard]] bool pathHasEscapedBytes(const QString &path);

/// The path for people: escaped bytes become U+FFFD.
[[nodiscard]] QString displayPath(const QString &path);

/// The path for people (escaped bytes shown as U+FFFD), a path below `home` read as
/// "~/…" (the home folder itself and paths elsewhere keep their start), and at most
/// `maximum` characters: a longer one keeps its beginning and its end around "…", so a
/// note stays a line or two however deep the folder lies. Texts the user may copy pass
/// `wholePath`. The one "~" shortener of notes, rows and texts.
[[nodiscard]] QString homeShortened(const QString &path, const QString &home, qsizetype maximum = 80);

/// No limit for homeShortened.
inline constexpr qsizetype wholePath = std::numeric_limits<qsizetype>::max();

/// Last component of a path ("/" for the root, the path itself when it has no slash).
[[nodiscard]] QString lastComponent(const QString &path);

/// The path without its last component ("/" for a child of the root).
[[nodiscard]] QString parentPath(const QString &path);

/// Joins a folder and a relative name with exactly one slash.
[[nodiscard]] QString joinPath(const QString &folder, const QString &name);

/// True when `path` equals `folder` or lies below it (component-wise, no resolving).
[[nodiscard]] bool isSameOrInside(const QString &path, const QString &folder);

/// Removes "." and ".." components and repeated slashes of an absolute path
/// without touching the file system. ".." at the root stays at the root.
[[nodiscard]] QString lexicallyNormal(const QString &path);

} // namespace Morvane
