#pragma once

#include "core/UserFolders.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace Varnoll {

/// Where the application keeps its own files: in `home` on macOS, in the data folder
/// of the XDG base directories on Linux.
[[nodiscard]] QString defaultStoreFolder(const QString &home, const Morvane::BaseDirectories &bases = {});

/// Reads a whole file; none when it is missing or unreadable.
[[nodiscard]] std::optional<QByteArray> readWholeFile(const QString &path);

/// Creates the folder and missing parents. Returns the system's description of the
/// failure, or none.
[[nodiscard]] std::optional<QString> ensureFolder(const QString &path);

/// Replaces the file atomically (temporary file, then rename). Returns the system's
/// description of the failure, or none.
[[nodiscard]] std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &contents);

} // namespace Varnoll
