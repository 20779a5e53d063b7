#pragma once

#include "core/Records.h"
#include "core/trash/OsCalls.h"
#include "core/trash/Trash.h"

#include <functional>

namespace Morvane {

/// Moves one item to the Trash; returns where it went, or throws CoreError.
using TrashMover = std::function<QString(const QString &path)>;

/// What a clean-up runs against. Every member has a default taken from the running
/// system; tests replace them (a temporary home, failing OS calls, a fake Trash).
struct CleanupEnvironment {
    QString home; // empty: the user's home folder
    const OsCalls *os = nullptr; // null: the real calls; also used by the default Trash
    /// The Trash used when `clean` gets no mover; null: the platform's Trash (with
    /// `os`, our freedesktop Trash on those calls).
    std::function<TrashOutcome(const QString &path)> trash;
    QStringList trashFolders; // empty: the user's home trash
};

/// Moves selected items to the Trash after checking each one again. Holds nothing
/// but its environment; safe to use from any one thread at a time.
///
/// Right before an item moves it is refused, with a Chinese reason in its record,
/// when: the last guard refuses its path (root, home, system and Trash folders); it
/// belongs to a running application (browsers with their helpers); it is no longer
/// strictly inside the scope it was found in or a folder on the way became a link;
/// it is gone, is now a symbolic link, or changed since the scan (device, inode,
/// size, modification time; for a folder with a tree digest, anything inside);
/// permission to move it is missing; or, for a duplicate, no unselected copy of its
/// group is still there with the very same bytes. Nothing is ever deleted, and an
/// item on another file system goes only to that volume's own trash.
class CleanupService {
public:
    CleanupService() = default;
    explicit CleanupService(CleanupEnvironment environment)
        : m_environment(std::move(environment))
    {
    }

    /// Considers every entry of `snapshot` whose id is in `ids`, in snapshot order,
    /// and reports each in the record. Never throws; never deletes. `move` absent
    /// means the library's own Trash. Blocks: call it off the UI thread. An entry
    /// lying inside another selected entry is handled after it and reported as gone
    /// along with it when that one moved. Associated items of an application move
    /// only when they are selected themselves.
    [[nodiscard]] CleanupRecord clean(const QSet<QUuid> &ids, const QList<FileEntry> &snapshot,
        const QSet<QString> &runningBundleIDs, const QList<DuplicateGroup> &duplicateGroups,
        const QList<FileEntry> &ownerApplications, const TrashMover &move = {}) const;

    /// Moves named paths without a scan behind them (`varnoll-trash`): only the last
    /// guard, the symbolic-link and the permission checks apply. Relative paths are
    /// taken from the working folder. Never throws.
    [[nodiscard]] CleanupRecord cleanPaths(const QStringList &paths, const TrashMover &move = {}) const;

private:
    struct Context;
    [[nodiscard]] CleanupItemResult cleanEntry(const FileEntry &entry, const Context &context) const;
    [[nodiscard]] std::optional<QString> permissionRefusal(const QString &path, bool isFolder) const;
    [[nodiscard]] std::optional<QString> duplicateRefusal(const FileEntry &entry, const Context &context) const;
    void moveItem(CleanupItemResult &item, const TrashMover &move) const;
    [[nodiscard]] const OsCalls &os() const;
    [[nodiscard]] QString home() const;
    [[nodiscard]] QStringList trashFolders() const;

    CleanupEnvironment m_environment;
};

} // namespace Morvane
