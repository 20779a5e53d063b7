#pragma once

#include "core/Records.h"

#include <functional>

namespace Morvane {

/// Moves one item to the Trash; returns where it went, or throws CoreError.
using TrashMover = std::function<QString(const QString &path)>;

/// Moves selected items to the Trash after checking each one again. Holds no state.
class CleanupService {
public:
    /// Considers every entry of `snapshot` whose id is in `ids`, in snapshot order,
    /// and reports each in the record. Never throws; never deletes. `move` absent
    /// means the library's own Trash. Blocks: call it off the UI thread.
    [[nodiscard]] CleanupRecord clean(const QSet<QUuid> &ids, const QList<FileEntry> &snapshot,
                                      const QSet<QString> &runningBundleIDs,
                                      const QList<DuplicateGroup> &duplicateGroups,
                                      const QList<FileEntry> &ownerApplications,
                                      const TrashMover &move = {}) const;
};

} // namespace Morvane
