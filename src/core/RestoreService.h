#pragma once

#include "core/Records.h"
#include "core/trash/OsCalls.h"
#include "core/trash/TrashContents.h"

namespace Morvane {

/// What a restore runs against. Every member has a default taken from the running
/// system; tests replace them.
struct RestoreEnvironment {
    QString home; // empty: the user's home folder
    const OsCalls *os = nullptr; // null: the real calls
    QString homeTrash; // empty: the platform's home trash
    /// Which Trash layout to expect: freedesktop.org (`files/`, `info/`) or the macOS
    /// one (the items in the trash folder itself, no info files).
    RulePlatform platform = hostRulePlatform();
};

struct RestoreOptions {
    /// Folders missing on the way back are made again, one at a time by handle, but
    /// only inside the home folder. Without it (the window never asks) such an item
    /// stays in the Trash with the reason.
    bool recreateFolders = false;
};

/// What happened to one item.
struct RestoreOutcome {
    bool restored = false;
    QString message; // Chinese: the outcome, or the reason it stayed in the Trash
    QString trashedPath; // where it lay in the Trash
    QString originalPath; // where it belongs
    int errorCode = 0; // errno of the failing call, 0 when none
};

/// Puts items back from the Trash to where they were, checking each right before it
/// moves, by handle as the clean-up moved it:
///
/// - The trashed item is opened from its trash folder (`files/` and `info/` real
///   folders on one file system) and examined there without following links. It must
///   be the item the caller names: for an item of the history, the object recorded
///   right after the move (device, inode, size, modification and status-change times)
///   or, for a record from before that was kept, at least its size; its .trashinfo
///   must still name the recorded original path.
/// - The original place is reached from the home folder (inside it), from the volume's
///   top folder (for a volume trash) or from the root, one folder at a time without
///   following a link; it must be free: nothing is ever overwritten or merged.
/// - The item is renamed from the trash's folder handle to the original folder's
///   handle without replacing anything, then checked to be the very object judged (one
///   swapped in at that instant is put back into the Trash). Its .trashinfo is removed
///   and its line of `directorysizes` dropped.
///
/// Never copies, never deletes an item. Every refusal has a Chinese reason. Blocks: off
/// the UI thread. Safe to use from any one thread at a time.
class RestoreService {
public:
    RestoreService() = default;
    explicit RestoreService(RestoreEnvironment environment)
        : m_environment(std::move(environment))
    {
    }

    /// Puts back one item a clean-up moved, as its history item records it (`path`,
    /// `trashPath`, `trashIdentity`, else `bytes`). Never throws.
    [[nodiscard]] RestoreOutcome restore(const CleanupItemResult &item, const RestoreOptions &options = {}) const;

    /// Puts back the most recently trashed item whose original path is `original`
    /// (absolute), from the home trash or the trash of the file system holding that
    /// path, whichever client put it there. freedesktop.org trashes only. Never throws.
    [[nodiscard]] RestoreOutcome restoreOriginal(const QString &original, const RestoreOptions &options = {}) const;
    /// The same for several original paths, one after the other, in order; each trash
    /// is listed once for the whole call (a script that restores many items does not
    /// read every info file once per item). Never throws.
    [[nodiscard]] QList<RestoreOutcome> restoreOriginals(
        const QStringList &originals, const RestoreOptions &options = {}) const;

    /// For each item: true while it still lies in the Trash as recorded. False for an
    /// item not moved, already restored, gone from the Trash, or replaced there by
    /// another object. One lstat per item; no info file is read.
    [[nodiscard]] QList<bool> stillInTrash(const QList<CleanupItemResult> &items) const;

    /// The home trash and the volume trashes this user can see.
    [[nodiscard]] QList<TrashLocation> trashes() const;
    /// The home trash this service uses.
    [[nodiscard]] QString homeTrash() const;

private:
    struct Expectation;
    [[nodiscard]] RestoreOutcome restoreItem(const CleanupItemResult &item, const RestoreOptions &options) const;
    /// The listings of the trashes looked at so far, by trash folder.
    using Listings = QHash<QString, QList<TrashEntry>>;
    [[nodiscard]] RestoreOutcome restoreNewest(
        const QString &original, const RestoreOptions &options, Listings &listings) const;
    [[nodiscard]] RestoreOutcome restoreFrom(
        const QString &trashedPath, const Expectation &expected, const RestoreOptions &options) const;
    [[nodiscard]] const OsCalls &os() const;
    [[nodiscard]] QString home() const;

    RestoreEnvironment m_environment;
};

} // namespace Morvane
