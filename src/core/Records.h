#pragma once

#include "core/Enums.h"
#include "core/UserFolders.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <cstdint>
#include <memory>
#include <optional>

namespace Morvane {

class SpaceTree;
struct WalkSystemCalls;

/// What the clean-up checks again right before moving an item: the item must still be
/// the very object the scan saw. The status-change time moves with every write,
/// rename, chmod or new hard link, and a file re-created on a reused inode has a new
/// one, even when size and modification time are put back. For a folder,
/// `treeDigest` covers every descendant (relative name, type, inode, size,
/// modification and status-change times), so anything added, removed or changed
/// inside shows as a change.
struct Fingerprint {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0; // modification time, nanoseconds since the Unix epoch
    std::int64_t changedNs = 0; // status-change time (ctime), nanoseconds since the Unix epoch
    std::uint64_t treeDigest = 0; // folders only; 0 when not computed
    std::int64_t treeEntries = 0; // folders only: descendants covered by treeDigest
    bool hasTree = false; // true when treeDigest was computed for the whole tree

    friend bool operator==(const Fingerprint &, const Fingerprint &) = default;
};

/// An item as it lay in the Trash right after it was moved there.
struct TrashedIdentity {
    Fingerprint fingerprint; // without a tree digest
    bool folder = false;

    friend bool operator==(const TrashedIdentity &, const TrashedIdentity &) = default;
};

/// `FileEntry.kind`: case 0 a file, case 1 a folder the space view can open, case 2
/// an application bundle or folder; every case carries the identity to check again.
struct EntryKind {
    enum class Type : std::uint8_t { file = 0, folder = 1, application = 2 };
    Type type = Type::file;
    std::optional<Fingerprint> fingerprint;

    [[nodiscard]] static EntryKind file(std::optional<Fingerprint> f = std::nullopt) { return { Type::file, f }; }
    [[nodiscard]] static EntryKind folder(std::optional<Fingerprint> f = std::nullopt) { return { Type::folder, f }; }
    [[nodiscard]] bool isFile() const { return type == Type::file; }
    [[nodiscard]] bool isFolder() const { return type == Type::folder; }

    friend bool operator==(const EntryKind &, const EntryKind &) = default;
};

[[nodiscard]] QString entryKindName(EntryKind::Type type);

/// One item found by a scan.
struct FileEntry {
    QUuid id;
    QString path; // absolute, lossless (see Paths.h)
    QString name;
    std::int64_t bytes = 0; // logical size
    bool sizeIsComplete = true;
    QDateTime date;
    FileCategory category = FileCategory::other;
    QString detail;
    std::optional<QString> bundleID;
    std::optional<QUuid> ownerID;
    QString note;
    EntryKind kind;
    /// The folder the scan searched when it found this entry (its scope root, as the
    /// scanner opened it, absolute and lexically normal), e.g. ~/.cache for a cache
    /// or the chosen folder for a file page. The clean-up moves the entry only while
    /// it still lies strictly below this folder with no symbolic link among the
    /// folders in between. Empty: the clean-up uses the home folder when the entry
    /// lies inside it and refuses the entry otherwise, so scanners should fill it.
    QString scope;

    friend bool operator==(const FileEntry &, const FileEntry &) = default;
};

/// How far a scan got in one category; `coverageWord` (app) is its text.
enum class CoverageState : std::uint8_t {
    complete = 0,
    partial = 1,
    notScanned = 2,
    skipped = 3,
    unreadable = 4,
    missing = 5,
};

/// How far a scan got in one category.
struct ScanCoverage {
    FileCategory category = FileCategory::other;
    CoverageState state = CoverageState::complete;
    std::int64_t examined = 0;

    /// `state`, with a value beyond the known ones read as missing.
    [[nodiscard]] CoverageState coverageState() const
    {
        return state > CoverageState::missing ? CoverageState::missing : state;
    }

    friend bool operator==(const ScanCoverage &, const ScanCoverage &) = default;
};

/// One set of files with identical content; the first is the copy most worth keeping.
struct DuplicateGroup {
    QUuid id;
    QList<FileEntry> files;

    /// Logical size of the copies beyond one.
    [[nodiscard]] std::int64_t redundantBytes() const;

    friend bool operator==(const DuplicateGroup &, const DuplicateGroup &) = default;
};

/// A location that stopped the scan from confirming which application owns what.
struct ScanDiagnostic {
    QString id;
    QString path;
    QString reason;

    friend bool operator==(const ScanDiagnostic &, const ScanDiagnostic &) = default;
};

/// The outcome of one scan.
struct ScanResult {
    ScanKind kind = ScanKind::junk;
    QList<FileEntry> entries;
    std::int64_t examined = 0;
    QStringList scopeNotes;
    QDateTime date;
    QList<ScanCoverage> coverage;
    QList<DuplicateGroup> duplicateGroups;
    QList<FileEntry> ownerApplications;
    QList<ScanDiagnostic> diagnostics;
    /// Space scans only: everything the scan measured, and the folder of it whose
    /// children `entries` are, so that other folders inside it can be shown without a
    /// second walk (SpaceTree.h). Shared by the copies of one result.
    std::shared_ptr<SpaceTree> spaceTree;
    std::uint32_t spaceFolder = 0;

    /// Total size as the pages show it: for duplicates the redundant copies, else
    /// the sum of the entries.
    [[nodiscard]] std::int64_t bytes() const;
    /// True when some part of the scope could not be fully checked.
    [[nodiscard]] bool hasIncompleteCoverage() const;
    /// The first coverage record of the category; none when the scan did not reach it.
    [[nodiscard]] std::optional<ScanCoverage> coverageFor(FileCategory category) const;
    /// A copy without the entries whose path is in `paths`; duplicate groups lose
    /// those files too and a group that loses all its files goes.
    [[nodiscard]] ScanResult removingPaths(const QSet<QString> &paths) const;

    friend bool operator==(const ScanResult &, const ScanResult &) = default;
};

/// One item of a clean-up.
struct CleanupItemResult {
    QUuid entryID;
    QString name;
    QString path;
    bool moved = false;
    QString message;
    std::int64_t bytes = 0;
    bool sizeIsComplete = true;
    FileCategory category = FileCategory::other;
    QString trashPath; // where the item now lies in the Trash; empty when not moved
    /// What lay at `trashPath` right after the move (device, inode, size, times), so
    /// that a restore brings back this very object and nothing that took its name
    /// later; none for records written before it was kept, or by a path-based mover.
    std::optional<TrashedIdentity> trashIdentity;
    /// When the item was put back at `path`; none while it is still in the Trash.
    std::optional<QDateTime> restoredDate;

    friend bool operator==(const CleanupItemResult &, const CleanupItemResult &) = default;
};

/// The outcome of one clean-up, kept in the history.
struct CleanupRecord {
    QUuid id;
    QDateTime date;
    QList<CleanupItemResult> items;

    /// Items moved to the Trash.
    [[nodiscard]] std::int64_t count() const;
    /// Size of the moved items.
    [[nodiscard]] std::int64_t bytes() const;
    /// False when the size of a moved item could not be fully counted.
    [[nodiscard]] bool sizeIsComplete() const;

    friend bool operator==(const CleanupRecord &, const CleanupRecord &) = default;
};

/// Which rule set a scan applies.
enum class RulePlatform : std::uint8_t { Linux = 0, MacOS = 1 };

[[nodiscard]] RulePlatform hostRulePlatform();

/// The fixed settings of one scan.
struct ScanConfiguration {
    BrowserKind browser = BrowserKind::safari;
    QString home;
    QStringList applicationDirectories;
    QSet<QString> runningBundleIDs;
    QSet<QString> ignoredPaths;
    QDateTime now;
    int entryLimit = 5000;
    int visitLimit = 200000;
    double timeLimit = 45.0;
    QString systemLibrary;
    // Beyond the model's fields: the rule set, and the duplicate content bound
    // (tests inject a small one).
    RulePlatform platform = hostRulePlatform();
    std::int64_t contentReadLimit = std::int64_t(2) * 1000 * 1000 * 1000;
    /// The XDG base directories the Linux rules look in besides their default places
    /// inside `home`; empty fields: the defaults only.
    BaseDirectories baseDirectories;
    /// Flatpak installation folders (each holding "app/<ID>"); none: the user's in
    /// every data folder, the system's and those the system configuration adds.
    std::optional<QStringList> flatpakInstallations;
    /// The walker's OS calls for every scan of this configuration; none: the real
    /// calls. Tests pass a table that fails or moves folders; it must outlive the scan.
    const WalkSystemCalls *walkCalls = nullptr;
};

/// The user's file filters for one scan.
struct FileQuery {
    std::int64_t minimumBytes = 0;
    std::optional<int> olderThanDays;
    FileTypeFilter fileType = FileTypeFilter::all;

    friend bool operator==(const FileQuery &, const FileQuery &) = default;
};

// The startup and background-item features are not offered by any page; the model
// only holds these handles, as opaque values.
struct BackgroundItemsInspector {
    std::uint32_t uid = 0;
};
struct StartupChangeJournal {
    QString url;
};
struct LoginItemsController {
    QString home;
};
struct ManagedHiddenStartupController {
    QString home;
};
struct NativeBackgroundController { };

} // namespace Morvane
