#include "core/Records.h"

namespace Morvane {

QString entryKindName(EntryKind::Type type)
{
    switch (type) {
    case EntryKind::Type::file:
        return QStringLiteral("file");
    case EntryKind::Type::folder:
        return QStringLiteral("folder");
    case EntryKind::Type::application:
        return QStringLiteral("application");
    }
    return {};
}

std::int64_t DuplicateGroup::redundantBytes() const
{
    if (files.size() < 2)
        return 0;
    std::int64_t total = 0;
    for (const FileEntry &file : files)
        total += file.bytes;
    return total - files.first().bytes;
}

std::int64_t ScanResult::bytes() const
{
    std::int64_t total = 0;
    if (kind == ScanKind::duplicates && !duplicateGroups.isEmpty()) {
        for (const DuplicateGroup &group : duplicateGroups)
            total += group.redundantBytes();
        return total;
    }
    for (const FileEntry &entry : entries)
        total += entry.bytes;
    return total;
}

bool ScanResult::hasIncompleteCoverage() const
{
    for (const ScanCoverage &c : coverage) {
        switch (c.coverageState()) {
        case CoverageState::complete:
        case CoverageState::missing:
            break;
        case CoverageState::partial:
        case CoverageState::notScanned:
        case CoverageState::skipped:
        case CoverageState::unreadable:
            return true;
        }
    }
    return false;
}

std::optional<ScanCoverage> ScanResult::coverageFor(FileCategory category) const
{
    for (const ScanCoverage &c : coverage) {
        if (c.category == category)
            return c;
    }
    return std::nullopt;
}

ScanResult ScanResult::removingPaths(const QSet<QString> &paths) const
{
    ScanResult copy = *this;
    if (paths.isEmpty())
        return copy;
    const auto gone = [&paths](const FileEntry &e) { return paths.contains(e.path); };
    copy.entries.removeIf(gone);
    for (DuplicateGroup &group : copy.duplicateGroups)
        group.files.removeIf(gone);
    // A set with one copy left has nothing duplicated any more: it leaves the result with
    // that copy, rather than stay as a "set" of one that could never be ticked.
    QSet<QString> alone;
    for (const DuplicateGroup &group : std::as_const(copy.duplicateGroups)) {
        if (group.files.size() == 1)
            alone.insert(group.files.constFirst().path);
    }
    copy.duplicateGroups.removeIf([](const DuplicateGroup &g) { return g.files.size() < 2; });
    if (!alone.isEmpty())
        copy.entries.removeIf([&alone](const FileEntry &e) { return alone.contains(e.path); });
    return copy;
}

std::int64_t CleanupRecord::count() const
{
    std::int64_t n = 0;
    for (const CleanupItemResult &item : items)
        n += item.moved ? 1 : 0;
    return n;
}

std::int64_t CleanupRecord::bytes() const
{
    std::int64_t total = 0;
    for (const CleanupItemResult &item : items) {
        if (item.moved)
            total += item.bytes;
    }
    return total;
}

bool CleanupRecord::sizeIsComplete() const
{
    for (const CleanupItemResult &item : items) {
        if (item.moved && !item.sizeIsComplete)
            return false;
    }
    return true;
}

RulePlatform hostRulePlatform()
{
#ifdef Q_OS_MACOS
    return RulePlatform::MacOS;
#else
    return RulePlatform::Linux;
#endif
}

} // namespace Morvane
