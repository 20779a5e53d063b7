#pragma once

#include "core/walk/Walker.h"

#include <QString>

#include <vector>

namespace Morvane {

/// The Trash folders a walk of one root can meet, found before the walk: the home
/// Trash ($XDG_DATA_HOME/Trash, ~/.local/share/Trash; ~/.Trash on macOS) and, at the
/// top folder of the file system that holds the root, the shared ".Trash" (whose
/// "$uid" folders are each user's Trash), ".Trash-$uid" of every user and macOS's
/// ".Trashes". The walker never enters them (it does not cross file systems, so no
/// other volume's Trash can be met).
struct TrashFolders {
    std::vector<FolderIdentity> folders;
    /// The Trash the root itself is or lies inside; empty when none.
    QString enclosing;
};

/// Blocks briefly (a few lstat calls and one listing of the top folder).
[[nodiscard]] TrashFolders findTrashFolders(const QString &home, const QString &root);

} // namespace Morvane
