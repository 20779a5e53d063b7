#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace Morvane {

/// Whether a path may be entered or acted on as lying inside a folder, and which
/// paths must never go to the Trash.
class PathSafety {
public:
    /// Returns when `path` lies strictly inside `inside` once both are resolved the
    /// way the system opens them ("." and ".." and every symbolic link on the way),
    /// so a link that leads out of the folder is refused while one that stays inside
    /// is not. Both must exist. Throws PathSafetyError with a Chinese description
    /// otherwise. Blocks on the file system briefly; fine on the UI thread.
    static void validate(const QString &path, const QString &inside);

    /// The path with ".", ".." and symbolic links resolved as the kernel would; none
    /// with a Chinese reason in `error` when a component is missing or unreadable or
    /// the links loop.
    [[nodiscard]] static std::optional<QString> resolve(const QString &path, QString *error = nullptr);

    /// The last guard before anything goes to the Trash: a Chinese reason when `path`
    /// is the root, the home folder or a folder holding it, a system folder or
    /// anything inside one, a Trash folder or anything inside or holding one, or not
    /// a canonical absolute path. `trashFolders` lists the trash folders of this
    /// user (the home trash); volume trashes are recognised by name.
    [[nodiscard]] static std::optional<QString> removalRefusal(
        const QString &path, const QString &home, const QStringList &trashFolders);
};

} // namespace Morvane
