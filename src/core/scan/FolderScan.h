#pragma once

// The walk the folder-based scan kinds share (large files, installers, duplicates and
// the space analysis): they work in the chosen folder without the junk scans'
// exclusions, on the shared walker (which never follows a symbolic link and skips
// cloud-only files), and leave out ignored paths.

#include "core/scan/ScanContext.h"

#include <string>
#include <string_view>
#include <unordered_set>

namespace Morvane {

/// One walk of the chosen folder with the configuration's budgets, the ignore list and
/// the notes every folder kind writes, on the scan's context.
class FolderScan {
public:
    FolderScan(ScanKind kind, FileCategory category, const ScanConfiguration &configuration, QString directory,
        const ProgressFn &progress, const CancellationToken &cancel);

    [[nodiscard]] ScanContext &context() { return m_context; }
    [[nodiscard]] int threads() const { return WalkOptions().threads; }
    [[nodiscard]] ScanResult &result() { return m_context.result; }
    [[nodiscard]] const WalkReport &report() const { return m_report; }
    [[nodiscard]] const QString &directory() const { return m_directory; }

    /// True for a path on the ignore list (counted); the visitor then skips it whole.
    bool ignores(std::string_view path)
    {
        if (m_ignored.empty() || !m_ignored.contains(path))
            return false;
        m_ignoredHits.fetch_add(1, std::memory_order_relaxed);
        return true;
    }

    /// Walks the folder; false when there was nothing to walk (the result then already
    /// says why). Throws CancellationError when cancelled.
    bool walk(const QString &phase, const WalkVisitor &visit, std::function<void(const WalkProblem &)> onProblem = {},
        std::function<void(std::string_view, bool)> onFolderListed = {});

    /// Scope notes of the walk and the coverage record; `incomplete` adds the kind's
    /// own reasons for partial coverage.
    void finish(bool incomplete);

private:
    struct StringHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
    };

    void setCoverage(CoverageState state);

    FileCategory m_category;
    ScanContext m_context;
    QString m_directory;
    WalkReport m_report;
    std::unordered_set<std::string, StringHash, std::equal_to<>> m_ignored;
    bool m_rootIgnored = false;
    std::atomic<std::int64_t> m_ignoredHits { 0 };
};

/// The modification time of a stat's identity, in UTC.
[[nodiscard]] QDateTime modificationDate(const Fingerprint &identity);

/// "修改于 yyyy-MM-dd HH:mm" in local time.
[[nodiscard]] QString modifiedDetail(std::int64_t modifiedNs);

} // namespace Morvane
