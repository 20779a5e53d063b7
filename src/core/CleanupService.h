#pragma once

#include "core/Records.h"
#include "core/trash/OsCalls.h"
#include "core/trash/Trash.h"

#include <functional>

namespace Morvane {

/// Moves one item to the Trash by its path; returns where it went, or throws CoreError.
using TrashMover = std::function<QString(const QString &path)>;

/// What a clean-up runs against. Every member has a default taken from the running
/// system; tests replace them (a temporary home, failing OS calls, a fake Trash).
struct CleanupEnvironment {
    QString home; // empty: the user's home folder
    const OsCalls *os = nullptr; // null: the real calls; also used by the default Trash
    /// The Trash used when `clean` gets no mover; null: the platform's Trash (with
    /// `os`, our freedesktop Trash on those calls).
    std::function<TrashOutcome(const TrashItem &item)> trash;
    QStringList trashFolders; // empty: the user's home trash
};

/// Moves selected items to the Trash after checking each one again. Holds nothing
/// but its environment; safe to use from any one thread at a time.
///
/// Every item is judged and moved on the same handles: its folder is reached from the
/// scope it was found in, one folder at a time without following links, the item is
/// examined in that folder (never through a link) and renamed from that folder handle
/// into the Trash. No path is resolved again after it was judged, so a folder swapped
/// for a link at any moment makes the move fail or refuse, never go elsewhere.
///
/// Right before an item moves it is refused, with a Chinese reason in its record,
/// when: the last guard refuses its path (root, home, system and Trash folders); it
/// belongs to a running application (browsers with their helpers); it is no longer
/// strictly inside the scope it was found in or a folder on the way is no longer a
/// real folder; it is gone, is now a symbolic link, or changed since the scan (device,
/// inode, size, modification and status-change times; for a folder with a tree
/// digest, anything inside); permission to move it is missing; or, for a duplicate,
/// no unselected copy of its group is still there, unchanged, another file than it
/// and with the very same bytes. Files are opened only with O_NONBLOCK and read only
/// once fstat shows a regular file, so a FIFO or device never blocks the clean-up.
/// Nothing is ever deleted, and an item on another file system goes only to that
/// volume's own trash.
class CleanupService {
public:
    CleanupService() = default;
    explicit CleanupService(CleanupEnvironment environment)
        : m_environment(std::move(environment))
    {
    }

    /// Considers every entry of `snapshot` whose id is in `ids`, in snapshot order,
    /// and reports each in the record. Never throws; never deletes. `move` absent
    /// means the library's own Trash, by handle; a given mover gets the item's path
    /// after the checks and must do its own. Blocks: call it off the UI thread. An
    /// entry lying inside another selected entry is handled after it and reported as
    /// gone along with it when that one moved. Associated items of an application move
    /// only when they are selected themselves.
    [[nodiscard]] CleanupRecord clean(const QSet<QUuid> &ids, const QList<FileEntry> &snapshot,
        const QSet<QString> &runningBundleIDs, const QList<DuplicateGroup> &duplicateGroups,
        const QList<FileEntry> &ownerApplications, const TrashMover &move = {}) const;

    /// Moves named paths without a scan behind them (`varnoll-trash`). Each argument is
    /// judged where it really is: its folder is opened as the system resolves it
    /// (links and ".." included), the item itself is never followed, and the last guard
    /// applies to that real place. Refused besides: an empty argument, the working
    /// folder and the folders holding it, a relative argument when the working folder
    /// no longer exists, symbolic links and items without permission. Relative paths
    /// are taken from the working folder. Never throws.
    [[nodiscard]] CleanupRecord cleanPaths(const QStringList &paths, const TrashMover &move = {}) const;

private:
    struct Context;
    struct Located;
    [[nodiscard]] CleanupItemResult cleanEntry(const FileEntry &entry, const Context &context) const;
    [[nodiscard]] std::optional<QString> locate(const QString &path, const QString &scope, Located &located) const;
    [[nodiscard]] std::optional<QString> identityRefusal(const FileEntry &entry, const Located &located) const;
    [[nodiscard]] std::optional<QString> permissionRefusal(const Located &located) const;
    [[nodiscard]] std::optional<QString> duplicateRefusal(
        const FileEntry &entry, const Located &located, const Context &context) const;
    [[nodiscard]] std::optional<QString> keeperRefusal(
        const FileEntry &keeper, const Located &selected, const Context &context) const;
    void moveItem(CleanupItemResult &item, const Located &located, const TrashMover &move) const;
    [[nodiscard]] const OsCalls &os() const;
    [[nodiscard]] QString home() const;
    [[nodiscard]] QStringList trashFolders() const;

    CleanupEnvironment m_environment;
};

/// The result line of `entry` before anything happened to it: its id, name, path, size
/// and category, no outcome and no message.
[[nodiscard]] CleanupItemResult resultFor(const FileEntry &entry);

} // namespace Morvane
