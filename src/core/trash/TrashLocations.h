#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <sys/types.h>

namespace Morvane {

/// A Trash this user can see.
struct TrashLocation {
    /// The trash folder: it holds `files/` and `info/` (freedesktop.org), or the
    /// trashed items themselves (macOS).
    QString path;
    /// The top folder of the volume for a volume trash (freedesktop.org paths in it are
    /// relative to this folder); empty for the home trash.
    QString topDirectory;

    friend bool operator==(const TrashLocation &, const TrashLocation &) = default;
};

/// The folders where file systems are mounted now, as the system lists them for this
/// process, without pseudo file systems (proc, sysfs, cgroups, devices) and automount
/// points (which a look would mount). Blocks briefly.
[[nodiscard]] QStringList mountedFolders();

/// The trashes at the top folder `top` of a mounted file system that exist and belong
/// to user `uid`: freedesktop.org `$top/.Trash/$uid` (only while `.Trash` is a real
/// folder with the sticky bit) and `$top/.Trash-$uid`; macOS `$top/.Trashes/$uid`.
/// Each must be a real folder (never a link) owned by `uid`. A few lstat calls.
[[nodiscard]] QList<TrashLocation> volumeTrashesAt(const QString &top, uid_t uid);

/// The home trash (when it exists) and the trashes of every mounted file system that
/// exist, each folder once (bind mounts show one file system more than once).
/// `homeTrash` names the home trash. Blocks briefly: a few lstat calls per mount.
[[nodiscard]] QList<TrashLocation> visibleTrashes(const QString &homeTrash, uid_t uid);

/// The top folder of the file system that holds `path`, found from the deepest folder
/// of `path` that exists (links in it resolved); empty when none can be examined.
[[nodiscard]] QString topDirectoryOf(const QString &path);

} // namespace Morvane
