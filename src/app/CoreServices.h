#pragma once

#include "core/CleanupService.h"
#include "core/Errors.h"
#include "core/Platform.h"
#include "core/Records.h"
#include "core/RestoreService.h"
#include "core/trash/TrashContents.h"

#include <functional>
#include <memory>

namespace Varnoll {

/// One scan with a fixed configuration (the core's Scanner, or a fake in tests).
class ScanRunner {
public:
    virtual ~ScanRunner() = default;
    /// Runs on a worker thread; throws Morvane::CancellationError when cancelled,
    /// any other exception when the scan fails.
    [[nodiscard]] virtual Morvane::ScanResult scan(Morvane::ScanKind kind, const QString &largeDirectory,
        const Morvane::FileQuery &query, const Morvane::ProgressFn &progress, const Morvane::CancellationToken &cancel)
        = 0;
};

/// Everything the model needs from the core and the platform. The application wires
/// the real one; tests wire fakes. Methods marked "worker" run off the UI thread and
/// must not touch shared state without their own care.
class CoreServices {
public:
    virtual ~CoreServices() = default;

    /// Worker: a scanner made from one configuration.
    [[nodiscard]] virtual std::unique_ptr<ScanRunner> makeScanner(const Morvane::ScanConfiguration &configuration) = 0;

    /// Worker: moves the selected items to the Trash; reports every item considered.
    [[nodiscard]] virtual Morvane::CleanupRecord clean(const QSet<QUuid> &ids,
        const QList<Morvane::FileEntry> &snapshot, const QSet<QString> &runningBundleIDs,
        const QList<Morvane::DuplicateGroup> &duplicateGroups, const QList<Morvane::FileEntry> &ownerApplications)
        = 0;

    /// Worker: puts back items of the history; one outcome per item, in order.
    [[nodiscard]] virtual QList<Morvane::RestoreOutcome> restore(const QList<Morvane::CleanupItemResult> &items) = 0;

    /// Worker: the items of `records` that were moved and not put back but no longer
    /// lie in the Trash as recorded, by record id and item position.
    [[nodiscard]] virtual QHash<QUuid, QList<int>> goneFromTrash(const QList<Morvane::CleanupRecord> &records) = 0;

    /// Worker: how much the Trashes hold (home and mounted volumes). Reads only.
    [[nodiscard]] virtual Morvane::TrashUsage measureTrash() = 0;

    /// UI thread: throws Morvane::PathSafetyError when `path` is not safely inside.
    virtual void validatePath(const QString &path, const QString &inside) = 0;

    /// UI thread: identifiers of the applications that run now.
    [[nodiscard]] virtual QSet<QString> runningApplicationIDs() = 0;

    /// UI thread: the volume of the running user's home folder.
    [[nodiscard]] virtual std::optional<Morvane::VolumeCapacity> homeVolumeCapacity() = 0;

    /// UI thread: the path with its symbolic links resolved (the folder dialog's pick).
    [[nodiscard]] virtual QString resolveSymlinks(const QString &path) = 0;

    /// Told whether a hand-off showed something; called once, possibly later and from
    /// another thread.
    using Opened = std::function<void(bool opened)>;

    // Workspace: hand-offs to the desktop. Each returns at once and reports through
    // `done` whether a program could show what was asked for.
    /// Shows the item in the file manager, or at least the folder that holds it.
    virtual void revealFile(const QString &path, Opened done) = 0;
    /// Shows the Trash, or at least the folder of its files.
    virtual void openTrash(Opened done) = 0;
    virtual void openPrivacySettings(Opened done) = 0;
    /// UI thread, asked once: whether this desktop has settings that
    /// `openPrivacySettings` can open.
    [[nodiscard]] virtual bool hasPrivacySettings() = 0;
};

/// The real core and a minimal desktop hand-off without any GUI library.
class DesktopCoreServices : public CoreServices {
public:
    std::unique_ptr<ScanRunner> makeScanner(const Morvane::ScanConfiguration &configuration) override;
    Morvane::CleanupRecord clean(const QSet<QUuid> &ids, const QList<Morvane::FileEntry> &snapshot,
        const QSet<QString> &runningBundleIDs, const QList<Morvane::DuplicateGroup> &duplicateGroups,
        const QList<Morvane::FileEntry> &ownerApplications) override;
    QList<Morvane::RestoreOutcome> restore(const QList<Morvane::CleanupItemResult> &items) override;
    QHash<QUuid, QList<int>> goneFromTrash(const QList<Morvane::CleanupRecord> &records) override;
    Morvane::TrashUsage measureTrash() override;
    void validatePath(const QString &path, const QString &inside) override;
    QSet<QString> runningApplicationIDs() override;
    std::optional<Morvane::VolumeCapacity> homeVolumeCapacity() override;
    QString resolveSymlinks(const QString &path) override;
    void revealFile(const QString &path, Opened done) override;
    void openTrash(Opened done) override;
    void openPrivacySettings(Opened done) override;
    bool hasPrivacySettings() override;
};

} // namespace Varnoll
