#pragma once

#include "core/Errors.h"
#include "core/Posix.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Morvane {

// The one file-system walker every scan kind shares.
//
// It lists folders with open/fdopendir/readdir and examines every name with
// fstatat(AT_SYMLINK_NOFOLLOW) on the raw bytes, on a bounded pool of worker threads
// (the work waits on the disk far more than on the processor, so there are more
// threads than cores). It never follows a symbolic link (links are visited as links),
// never enters a folder that lies on another file system than the root, never visits
// a folder twice (bind mounts), never lists a folder it is told to leave out (a
// Trash), and leaves out devices, FIFOs, sockets and cloud-only placeholders (macOS
// dataless files). What it cannot read becomes data in the report and in `onProblem`,
// never an exception. Depth changes nothing: a folder whose path is too long to open
// by name is opened below the root's handle, a few components at a time.

enum class WalkEntryType : std::uint8_t { file, folder, symlink };

/// One examined name, as the visitor sees it. Valid only during the visitor call:
/// copy what must be kept (`qpath()` gives the lossless QString).
struct WalkEntry {
    std::string_view path; // absolute, raw bytes
    std::size_t nameOffset; // path.substr(nameOffset) is the name
    std::size_t rootLength; // path.substr(rootLength + 1) is the path relative to the root
    int depth; // 1 for the children of the root
    WalkEntryType type;
    int worker; // 0 .. threads-1, for per-worker state without locks
    const struct stat *st; // the lstat result

    [[nodiscard]] std::string_view name() const { return path.substr(nameOffset); }
    [[nodiscard]] std::string_view relative() const { return path.substr(rootLength + 1); }
    /// First component of the relative path: the child of the root this entry lies in.
    [[nodiscard]] std::string_view topName() const
    {
        const std::string_view rel = relative();
        const auto slash = rel.find('/');
        return slash == std::string_view::npos ? rel : rel.substr(0, slash);
    }
    [[nodiscard]] QString qpath() const;
};

enum class Visit : std::uint8_t {
    descend, // continue; for a folder, list it too
    skipChildren, // continue, but do not list this folder
    stop, // end the whole walk (reported as WalkStop::visitor)
};

/// Something the walk could not cover; `path` is raw bytes.
struct WalkProblem {
    enum class Kind : std::uint8_t {
        unreadableFolder, // a folder below the root could not be opened or listed
        unreadableEntry, // a name could not be examined
        otherFileSystem, // a folder on another file system, not entered
        changed, // a folder was replaced between listing and opening
        loop, // a folder seen before (bind mount), not entered again
    };
    Kind kind;
    std::string path;
    int error = 0; // errno where one applies
};

/// A folder by device and inode.
struct FolderIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FolderIdentity &, const FolderIdentity &) = default;
};

enum class WalkStop : std::uint8_t { none, visitLimit, deadline, cancelled, visitor };

enum class RootState : std::uint8_t { ok, missing, unreadable, notFolder, symlink };

/// Reports progress of a whole scan, sampled: at most one report per interval (about
/// 20 a second), never once per file. Thread-safe; the callback is never entered by
/// two threads at once. The status line is the phase text the scan sets ("正在检查用户缓存")
/// followed by the folder being read, shown with "~" for the home folder.
class ProgressSampler {
public:
    explicit ProgressSampler(
        ProgressFn callback, QString home = {}, std::chrono::milliseconds interval = std::chrono::milliseconds(50));

    void setPhase(const QString &phase);
    /// Adds `examined` items; reports when the interval has passed.
    void add(std::int64_t examined, std::string_view currentFolder = {});
    /// Reports now (the end of a phase), whatever the interval.
    void flush();
    [[nodiscard]] std::int64_t examined() const { return m_examined.load(std::memory_order_relaxed); }
    [[nodiscard]] std::int64_t reports() const { return m_reports.load(std::memory_order_relaxed); }

private:
    void report(std::string_view folder);

    ProgressFn m_callback;
    QString m_home;
    std::int64_t m_intervalNs;
    std::mutex m_mutex; // guards m_phase and the callback
    QString m_phase;
    std::atomic<std::int64_t> m_examined { 0 };
    std::atomic<std::int64_t> m_lastReportNs { 0 };
    std::atomic<std::int64_t> m_reports { 0 };
};

/// The OS calls the walker makes that fail in interesting ways; tests replace them.
struct WalkSystemCalls {
    /// open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); -1 with errno set on failure.
    std::function<int(const char *path)> openFolder;
    /// fstatat(dirFd, name, st, AT_SYMLINK_NOFOLLOW); -1 with errno set on failure.
    std::function<int(int dirFd, const char *name, struct stat *st)> statAt;
};

struct WalkOptions {
    int threads = 6; // clamped to 1..16
    std::int64_t visitLimit = 0; // names examined in this walk; 0 = no limit
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    const CancellationToken *cancel = nullptr;
    ProgressSampler *progress = nullptr;
    /// Called from worker threads, concurrently; must be thread-safe.
    std::function<void(const WalkProblem &)> onProblem;
    /// Called from worker threads, concurrently, once a folder's listing ends: `complete`
    /// false when it was cut by a budget or a read error. A folder that is never listed
    /// (unreadable, not reached) gets no call. `path` is raw bytes, valid during the call.
    std::function<void(std::string_view path, bool complete)> onFolderListed;
    const WalkSystemCalls *calls = nullptr; // none: the real calls
    /// Folders neither visited nor listed wherever they appear (the Trash folders of
    /// the scan); each one met is counted in the report.
    std::vector<FolderIdentity> excluded;
};

struct WalkReport {
    RootState root = RootState::ok;
    int rootError = 0;
    struct stat rootStat { };
    WalkStop stop = WalkStop::none;
    std::int64_t visited = 0; // names handed to the visitor
    std::int64_t folders = 0; // folders listed (the root included)
    std::int64_t unreadableFolders = 0; // below the root
    std::int64_t unreadableEntries = 0;
    std::int64_t otherFileSystems = 0;
    std::int64_t changedFolders = 0;
    std::int64_t loops = 0;
    std::int64_t specialSkipped = 0; // devices, FIFOs, sockets
    std::int64_t datalessSkipped = 0; // cloud-only placeholders
    QStringList unreadableSamples; // the first few unreadable folders
    QStringList otherFileSystemSamples; // the first few mount points not entered
    std::int64_t excludedFolders = 0; // folders of `WalkOptions::excluded` met and left out
    QStringList excludedSamples; // the first few of them

    /// The walk ran to its end (no budget or visitor stop).
    [[nodiscard]] bool finished() const { return root == RootState::ok && stop == WalkStop::none; }
    /// Some part below the root was left out: unreadable, changed, or on another file system.
    [[nodiscard]] bool hasGaps() const
    {
        return unreadableFolders + unreadableEntries + otherFileSystems + changedFolders > 0;
    }
    /// Everything below the root was examined.
    [[nodiscard]] bool isComplete() const { return finished() && !hasGaps(); }
};

using WalkVisitor = std::function<Visit(const WalkEntry &)>;

/// Walks everything below `root` (not the root itself) and calls `visit` once per
/// file, folder and symbolic link.
///
/// Contract:
/// - Blocks the calling thread until every worker has stopped; never call it on the
///   UI thread.
/// - `visit` runs on the worker threads, concurrently, in no particular order except
///   that a folder is visited before anything inside it. It must be thread-safe (use
///   `entry.worker` to keep per-worker state) and quick: a slow visitor holds up a
///   worker, and budgets are only checked between calls. It may read the file system
///   (open the entry, start another walk) but must not keep `entry` past the call.
///   An exception thrown by `visit` stops the walk and is rethrown from `walk`.
/// - `onProblem` and `onFolderListed` run on the worker threads too, under the same rules.
/// - Threads: `options.threads` workers (6 by default), started and joined by each call;
///   every folder holds one descriptor while it is listed, so with the root's handle and
///   the opening of a deep folder at most 2 × threads + 1 are open, whatever the depth.
/// - Budgets are checked as it goes: the cancellation token and the visit limit at
///   every name, the deadline at least every few hundred names and at every folder, so
///   a stop takes effect within milliseconds. The walk does not throw on cancellation;
///   the report says `WalkStop::cancelled` and the caller throws.
/// - A root that is missing, unreadable, not a folder, or a symbolic link is reported
///   in `root` and nothing is visited.
[[nodiscard]] WalkReport walk(const QString &root, const WalkVisitor &visit, const WalkOptions &options = {});

/// Opens the folder at `relative` (a path of plain names, without a leading "/") below
/// the open folder `base` for listing: in one call when it is short, else a few thousand
/// bytes of path at a time, each step from the handle of the one before, so no path is
/// too long and at most two descriptors are open at once. Never follows a link at the
/// end of a step; the caller checks the identity of what it got. An empty handle, with
/// errno set, when a step fails.
[[nodiscard]] UniqueFd openFolderBelow(int base, std::string_view relative);

/// Logical size (sum of the sizes of regular files) of everything below a folder.
struct SubtreeSize {
    std::int64_t bytes = 0;
    std::int64_t entries = 0;
    bool complete = true; // false when anything below could not be counted
};

/// The size of `folder`'s tree; `complete` false when the walk was cut or had gaps.
[[nodiscard]] SubtreeSize measureSubtree(
    const QString &folder, const WalkOptions &options = {}, WalkReport *report = nullptr);

} // namespace Morvane
