#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace Varnoll {

/// True for a macOS application bundle's path ("….app"), whose icon the bundle itself holds.
[[nodiscard]] bool isApplicationBundle(const QString &path);

/// The launcher file that describes an application entry on Linux: the entry itself
/// when it is a ".desktop" file, else "<id>.desktop" of its identifier in the first
/// of `applicationFolders` that holds one. None when neither exists.
[[nodiscard]] std::optional<QString> launcherFileFor(
    const QString &path, const QString &identifier, const QStringList &applicationFolders);

} // namespace Varnoll
