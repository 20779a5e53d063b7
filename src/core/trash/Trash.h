#pragma once

#include <QString>

namespace Morvane {

/// What happened when one item was handed to the Trash.
struct TrashOutcome {
    bool moved = false;
    QString trashedPath; // where the item now lies (in the trash's files folder)
    QString infoPath; // its .trashinfo (Linux); empty elsewhere
    QString error; // Chinese reason when not moved
    int errorCode = 0; // errno of the failing call, 0 when not from a call
    QString warning; // moved, but some bookkeeping failed (Chinese)
};

/// Moves one item to the platform's Trash: our freedesktop.org Trash on Linux, the
/// system's own move on macOS (so Finder's Put Back works). Checks nothing about
/// whether the item should go; that is CleanupService's work. Never copies, never
/// deletes. Blocks.
[[nodiscard]] TrashOutcome moveToPlatformTrash(const QString &path);

/// The folder a file manager shows as the Trash's content: the home trash's `files`
/// folder on Linux, ~/.Trash on macOS. Not created here.
[[nodiscard]] QString homeTrashFilesFolder();

} // namespace Morvane
