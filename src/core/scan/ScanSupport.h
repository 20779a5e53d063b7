#pragma once

#include "core/Errors.h"
#include "core/Paths.h"
#include "core/Records.h"
#include "core/walk/Walker.h"

#include <atomic>
#include <chrono>

namespace Morvane {

/// What every scan kind shares during one run: the sampled progress, the cancellation
/// token, the deadline from `timeLimit` and the result budget from `entryLimit`.
class ScanContext {
public:
    ScanContext(const ScanConfiguration &configuration, const ProgressFn &progress, const CancellationToken &cancel)
        : sampler(progress, configuration.home)
        , cancel(cancel)
        , m_deadline(std::chrono::steady_clock::now()
              + std::chrono::milliseconds(std::int64_t(std::max(0.0, configuration.timeLimit) * 1000.0)))
        , m_entriesLeft(std::max(0, configuration.entryLimit))
    {
    }

    ProgressSampler sampler;
    const CancellationToken &cancel;
    /// The Trash folders below the home folder's file system: never entered.
    std::vector<FolderIdentity> trash;

    [[nodiscard]] std::chrono::steady_clock::time_point deadline() const { return m_deadline; }
    [[nodiscard]] std::int64_t entriesLeft() const { return m_entriesLeft.load(); }
    /// Counts one result against `entryLimit`; false when none was left.
    bool takeEntry() { return m_entriesLeft.fetch_sub(1) > 0; }

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
