#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace Morvane {

struct OsCalls;

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

    /// How the folders between a scope and an item look right now.
    enum class Route : std::uint8_t {
        inside, // strictly inside, no link among the folders on the way
        outside, // not below the scope (lexically)
        scopeItself, // the scope folder itself
        linkOnPath, // a folder between the scope and the item is a symbolic link
        notFolderOnPath, // something between them is no longer a folder
        missing, // a folder between them is gone
        unreadable, // a folder between them cannot be examined
    };
    struct RouteCheck {
        Route route = Route::inside;
        QString at; // the component concerned
        int code = 0;
    };
    /// Checks, without following links, that `path` lies strictly below `scope` and
    /// that every folder strictly between them is a real folder. Neither the scope
    /// itself (it may legitimately be reached through a link) nor the item is judged.
    /// Both paths are taken lexically normalised.
    [[nodiscard]] static RouteCheck checkRoute(const QString &path, const QString &scope, const OsCalls &os);

    /// The last guard before anything goes to the Trash: a Chinese reason when `path`
    /// is the root, the home folder or a folder holding it, a system folder or
    /// anything inside one, a Trash folder or anything inside or holding one, or not
    /// a canonical absolute path. `trashFolders` lists the trash folders of this
    /// user (the home trash); volume trashes are recognised by name.
    [[nodiscard]] static std::optional<QString> removalRefusal(
        const QString &path, const QString &home, const QStringList &trashFolders);
};

} // namespace Morvane
