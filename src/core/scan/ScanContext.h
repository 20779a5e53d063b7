#pragma once

#include "core/Errors.h"
#include "core/Paths.h"
#include "core/Records.h"
#include "core/walk/Walker.h"

#include <atomic>
#include <chrono>

namespace Morvane {

/// What every scan kind carries through one run: the configuration (budgets and the
/// injected OS calls), the sampled progress, the cancellation token, the deadline from
/// `timeLimit`, the result budget from `entryLimit`, and the result under way with its
/// notes and coverage. One per scan, on the scan's thread.
class ScanContext {
public:
    ScanContext(ScanKind kind, const ScanConfiguration &configuration, const ProgressFn &progress,
        const CancellationToken &cancel);

    const ScanConfiguration &configuration;
    ProgressSampler sampler;
    const CancellationToken &cancel;
    /// Entries, scope notes and coverage as the scan finds them.
    ScanResult result;
    /// The Trash folders of the scanned file system: never entered.
    std::vector<FolderIdentity> trash;

    [[nodiscard]] std::chrono::steady_clock::time_point deadline() const { return m_deadline; }
    [[nodiscard]] std::int64_t entriesLeft() const { return m_entriesLeft.load(); }
    /// Counts one result against `entryLimit`; false when none was left.
    bool takeEntry() { return m_entriesLeft.fetch_sub(1) > 0; }

    /// Options for a walk of this scan: its deadline, cancellation, progress, the Trash
    /// folders left out and the configuration's OS calls. Callers narrow the budget.
    [[nodiscard]] WalkOptions walkOptions();

    /// How far the scan got in `category`.
    void addCoverage(FileCategory category, CoverageState state, std::int64_t examined);

private:
    std::chrono::steady_clock::time_point m_deadline;
    std::atomic<std::int64_t> m_entriesLeft;
};

/// True when `path` is an ignored path or lies inside one.
[[nodiscard]] inline bool isIgnoredPath(const QString &path, const QSet<QString> &ignored)
{
    for (const QString &i : ignored) {
        if (isSameOrInside(path, i))
            return true;
    }
    return false;
}

/// The one scope note on Trash folders a scan left out; empty when there were none.
[[nodiscard]] QString trashSkippedNote(std::int64_t count, const QStringList &samples, const QString &home);

} // namespace Morvane
