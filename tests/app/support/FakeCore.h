#pragma once

#include "app/CleanerModel.h"
#include "app/CoreServices.h"

#include <QMutex>
#include <QSemaphore>
#include <QTemporaryDir>

#include <atomic>
#include <functional>

namespace VarnollTest {

using namespace Morvane;

/// A core that never touches the disk; each test scripts the scan and clean-up.
class FakeCore : public Varnoll::CoreServices {
public:
    using ScanFn = std::function<ScanResult(
        ScanKind, const QString &, const FileQuery &, const ProgressFn &, const CancellationToken &)>;
    using CleanFn = std::function<CleanupRecord(const QSet<QUuid> &, const QList<FileEntry> &, const QSet<QString> &,
        const QList<DuplicateGroup> &, const QList<FileEntry> &)>;

    // Scripted behaviour; set before the work starts.
    ScanFn onScan;
    CleanFn onClean;
    QSet<QString> running;
    std::function<void()> onRunning; // called on each query, before it answers (a test may hold it)
    std::optional<VolumeCapacity> volume = VolumeCapacity { 500, 125 };
    std::function<void(const QString &, const QString &)> onValidate;
    QString resolvedPrefix; // resolveSymlinks() replaces a leading "/link" with this when set
    /// Restore: by default every item comes back.
    std::function<RestoreOutcome(const CleanupItemResult &)> onRestore;
    QHash<QUuid, QList<int>> gone; // what goneFromTrash() answers
    TrashUsage trashUsage { 3000000, 4, true, 1, 0 }; // what measureTrash() answers
    std::function<void()> onMeasureTrash; // called before it answers (a test may hold it)
    bool opens = true; // whether the desktop hand-offs show something
    bool privacySettings = true;

    // What the model asked for (read after the work ended).
    QList<ScanConfiguration> configurations;
    QList<FileQuery> queries;
    QStringList directories;
    QList<QSet<QUuid>> cleanedIds;
    QList<QSet<QString>> cleanedRunning;
    std::atomic<int> runningQueries { 0 };
    std::atomic<int> runningQueriesOnUiThread { 0 };
    std::atomic<int> volumeQueries { 0 };
    QList<CleanupItemResult> restored; // every item handed to restore()
    std::atomic<int> trashMeasurements { 0 };
    QStringList revealed;
    int trashOpened = 0;
    int privacyOpened = 0;

    std::unique_ptr<Varnoll::ScanRunner> makeScanner(const ScanConfiguration &configuration) override;
    CleanupRecord clean(const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &running,
        const QList<DuplicateGroup> &groups, const QList<FileEntry> &owners) override;
    QList<RestoreOutcome> restore(const QList<CleanupItemResult> &items) override;
    QHash<QUuid, QList<int>> goneFromTrash(const QList<CleanupRecord> &records) override;
    TrashUsage measureTrash() override;
    void validatePath(const QString &path, const QString &inside) override;
    QSet<QString> runningApplicationIDs() override;
    std::optional<VolumeCapacity> homeVolumeCapacity() override;
    QString resolveSymlinks(const QString &path) override;
    // Each hand-off is recorded and reports `opens` at once.
    void revealFile(const QString &path, Opened done) override
    {
        revealed.append(path);
        done(opens);
    }
    void openTrash(Opened done) override
    {
        ++trashOpened;
        done(opens);
    }
    void openPrivacySettings(Opened done) override
    {
        ++privacyOpened;
        done(opens);
    }
    bool hasPrivacySettings() override { return privacySettings; }

    QMutex mutex; // guards the recorded lists written from the worker
};

/// Holds a scan or clean-up on its worker until the test lets it go.
class Gate {
public:
    void wait() { m_semaphore.acquire(); }
    void open() { m_semaphore.release(); }

private:
    QSemaphore m_semaphore;
};

/// A model on the fake core with a store in a temporary folder.
struct Fixture {
    QTemporaryDir root;
    std::shared_ptr<FakeCore> core = std::make_shared<FakeCore>();
    QString home;
    QString store;

    Fixture();
    [[nodiscard]] std::unique_ptr<Varnoll::CleanerModel> makeModel(
        std::optional<QSet<QString>> running = QSet<QString> {});
};

// Building blocks for results.
FileEntry makeEntry(const QString &path, std::int64_t bytes, FileCategory category = FileCategory::largeFile,
    std::optional<QString> bundleID = std::nullopt);
ScanResult makeResult(ScanKind kind, QList<FileEntry> entries, CoverageState coverageState = CoverageState::complete,
    QList<FileCategory> categories = {});
DuplicateGroup makeGroup(const QList<FileEntry> &files);
/// A space scan of `root` that holds its whole tree, built in memory: `files` are paths
/// relative to `root` with their sizes; every folder is 4096 bytes and fully listed but
/// those in `cut`, which a budget stopped part-way.
ScanResult makeSpaceResult(
    const QString &root, const QList<std::pair<QString, std::int64_t>> &files, const QStringList &cut = {});
/// A clean-up record in which the items at `movedPaths` went to the Trash.
CleanupRecord recordFor(const QList<FileEntry> &snapshot, const QSet<QUuid> &ids, const QSet<QString> &movedPaths);

/// Runs a scan of `kind` that returns `result` and waits until the model is idle.
bool scanWith(Varnoll::CleanerModel &model, FakeCore &core, std::optional<ScanKind> kind, const ScanResult &result);
/// Waits (running the event loop) until the model is no longer busy.
bool waitIdle(Varnoll::CleanerModel &model, int timeoutMs = 5000);
/// Waits until the store files are written (saves run on a worker).
bool waitStored(Varnoll::CleanerModel &model, int timeoutMs = 5000);
/// Has the model ask the fake platform for the running applications, and waits for the answer.
bool refreshRunning(Varnoll::CleanerModel &model, FakeCore &core);

} // namespace VarnollTest
