#include "core/CleanupService.h"

#include "core/Paths.h"

namespace Morvane {

CleanupRecord CleanupService::clean(const QSet<QUuid> &ids, const QList<FileEntry> &snapshot,
                                    const QSet<QString> &runningBundleIDs,
                                    const QList<DuplicateGroup> &duplicateGroups,
                                    const QList<FileEntry> &ownerApplications, const TrashMover &move) const
{
    Q_UNUSED(runningBundleIDs);
    Q_UNUSED(duplicateGroups);
    Q_UNUSED(ownerApplications);
    Q_UNUSED(move);
    CleanupRecord record;
    record.id = QUuid::createUuid();
    record.date = QDateTime::currentDateTimeUtc();
    // Until the identity checks and the Trash exist, nothing may move: every item is
    // reported as left alone, never as moved.
    for (const FileEntry &entry : snapshot) {
        if (!ids.contains(entry.id))
            continue;
        CleanupItemResult item;
        item.entryID = entry.id;
        item.name = entry.name;
        item.path = entry.path;
        item.bytes = entry.bytes;
        item.sizeIsComplete = entry.sizeIsComplete;
        item.category = entry.category;
        item.moved = false;
        item.message = QStringLiteral("未移动：移到废纸篓的功能尚未就绪。");
        record.items.append(item);
    }
    return record;
}

} // namespace Morvane
