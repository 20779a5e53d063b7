#pragma once

#include "core/Records.h"
#include "core/walk/Walker.h"

#include <QStringList>

#include <optional>

namespace Morvane {

/// What one walk covered, as its scope notes tell it.
struct WalkFacts {
    QString directory; // the folder walked
    QString home; // for "~" in notes
    WalkReport report;
    std::int64_t ignoredHits = 0;
    int visitLimit = 0;
    double timeLimit = 0;
    /// Set for one root of a junk category: its notes start with the category's title
    /// and tell only what was left out there (the category tells budgets and scope).
    /// None: the whole folder of a folder page.
    std::optional<FileCategory> category;
};

/// The one way from a walk report to the user's notes, appended to `notes`.
/// A folder page's folder: a root that could not be walked gets the one note saying
/// why; otherwise "检查 … 下的全部内容…" goes in front of `notes` and what the walk left
/// out follows (budgets, unreadable folders and names, other file systems, replaced and
/// repeated folders, special and cloud-only files, ignored paths, Trash folders).
/// A junk category's root: an unreadable or linked root, unreadable places and other
/// file systems. Shared by every scan and by a folder shown again from the space
/// scan's tree, so both read alike.
void addWalkNotes(QStringList &notes, const WalkFacts &facts);

/// The coverage of a folder whose root could not be walked (`report.root` not ok).
[[nodiscard]] CoverageState rootCoverage(RootState root);

} // namespace Morvane
