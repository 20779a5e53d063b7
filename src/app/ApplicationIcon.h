#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace Varnoll {

/// True for a macOS application bundle's path ("….app"), whose icon the bundle itself holds.
[[nodiscard]] bool isApplicationBundle(const QString &path);

/// Launcher files are read at most this large (through the shared bounded reader; they
/// may be links).
inline constexpr qint64 launcherFileLimit = 1024 * 1024;

/// The Icon= value of a launcher file's [Desktop Entry] group (the unlocalised key);
/// empty when there is none.
[[nodiscard]] QString desktopEntryIcon(const QByteArray &contents);

/// The launcher file that describes an application entry on Linux: the entry itself
/// when it is a ".desktop" file, else "<id>.desktop" of its identifier in the first
/// of `applicationFolders` that holds one. None when neither exists.
[[nodiscard]] std::optional<QString> launcherFileFor(
    const QString &path, const QString &identifier, const QStringList &applicationFolders);

} // namespace Varnoll
