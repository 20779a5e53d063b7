#pragma once

#include "core/Records.h"

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace Morvane {

/// An item the caller has judged, to be moved by handle: `name` in the open folder
/// `folder`, which looked like `st` (fstatat without following a link) when judged.
/// The move acts on that folder handle and that name only, and makes sure that what
/// went to the Trash is still the object of `st`.
struct TrashItem {
    int folder = -1;
    QByteArray name; // one component
    QByteArray path; // the absolute path the item was found at: recorded for restoring, shown in texts
    struct stat st { };
};

/// What happened when one item was handed to the Trash.
struct TrashOutcome {
    bool moved = false;
    QString trashedPath; // where the item now lies (in the trash's files folder)
    QString infoPath; // its .trashinfo (Linux); empty elsewhere
    QString error; // Chinese reason when not moved
    int errorCode = 0; // errno of the failing call, 0 when not from a call
    QString warning; // moved, but some bookkeeping failed (Chinese)
    /// What lies at `trashedPath` right after the move, for a later restore to check.
    std::optional<TrashedIdentity> trashedIdentity;
};

/// Moves one judged item to the platform's Trash: our freedesktop.org Trash on Linux,
/// the system's own move on macOS (so Finder's Put Back works). Checks nothing about
/// whether the item should go; that is CleanupService's work. Never copies, never
/// deletes. Blocks.
[[nodiscard]] TrashOutcome moveToPlatformTrash(const TrashItem &item);

/// The folder a file manager shows as the Trash's content: the home trash's `files`
/// folder on Linux, ~/.Trash on macOS. Not created here.
[[nodiscard]] QString homeTrashFilesFolder();

} // namespace Morvane
