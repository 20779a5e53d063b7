#pragma once

#include "core/Records.h"
#include "core/walk/Walker.h"

#include <QStringList>

namespace Morvane {

// Texts the folder-based scans share, so that a folder shown again from the space
// scan's tree reads exactly as a fresh scan of it would.

/// What one walk of a folder covered, as its scope notes tell it.
struct FolderWalkFacts {
    QString directory;
    QString home;
    WalkReport report;
    std::int64_t ignoredHits = 0;
    int visitLimit = 0;
    double timeLimit = 0;
};

/// Puts "检查 … 下的全部内容…" in front of `notes` and appends what the walk left out
/// (budgets, unreadable folders and names, other file systems, replaced and repeated
/// folders, special and cloud-only files, ignored paths).
void addFolderWalkNotes(QStringList &notes, const FolderWalkFacts &facts);

/// "修改于 yyyy-MM-dd HH:mm" in local time.
[[nodiscard]] QString modifiedDetail(std::int64_t modifiedNs);

} // namespace Morvane
