#include "FakeCore.h"

#include "core/scan/SpaceTree.h"

#include <QDir>
#include <QTest>

namespace VarnollTest {

namespace {

class FakeRunner : public Varnoll::ScanRunner {
public:
    FakeRunner(FakeCore &core)
        : m_core(core)
    {
    }
    ScanResult scan(ScanKind kind, const QString &directory, const FileQuery &query, const ProgressFn &progress,
        const CancellationToken &cancel) override
    {
        {
            QMutexLocker lock(&m_core.mutex);
            m_core.queries.append(query);
            m_core.directories.append(directory);
        }
        if (!m_core.onScan) {
            ScanResult empty;
            empty.kind = kind;
            return empty;
        }
        return m_core.onScan(kind, directory, query, progress, cancel);
    }

private:
    FakeCore &m_core;
};

} // namespace

std::unique_ptr<Varnoll::ScanRunner> FakeCore::makeScanner(const ScanConfiguration &configuration)
{
    QMutexLocker lock(&mutex);
    configurations.append(configuration);
    return std::make_unique<FakeRunner>(*this);
}

CleanupRecord FakeCore::clean(const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &runningIDs,
    const QList<DuplicateGroup> &groups, const QList<FileEntry> &owners)
{
    {
        QMutexLocker lock(&mutex);
        cleanedIds.append(ids);
        cleanedRunning.append(runningIDs);
    }
    if (onClean)
        return onClean(ids, snapshot, runningIDs, groups, owners);
    QSet<QString> all;
    for (const FileEntry &e : snapshot) {
        if (ids.contains(e.id))
            all.insert(e.path);
    }
    return recordFor(snapshot, ids, all);
}

QList<RestoreOutcome> FakeCore::restore(const QList<CleanupItemResult> &items)
{
    QList<RestoreOutcome> outcomes;
    for (const CleanupItemResult &item : items) {
        {
            QMutexLocker lock(&mutex);
            restored.append(item);
        }
        if (onRestore) {
            outcomes.append(onRestore(item));
            continue;
        }
        RestoreOutcome outcome;
        outcome.restored = true;
        outcome.message = QStringLiteral("已放回原处。");
        outcome.originalPath = item.path;
        outcome.trashedPath = item.trashPath;
        outcomes.append(outcome);
    }
    return outcomes;
}

QHash<QUuid, QList<int>> FakeCore::goneFromTrash(const QList<CleanupRecord> &)
{
    QMutexLocker lock(&mutex);
    return gone;
}

TrashUsage FakeCore::measureTrash()
{
    if (onMeasureTrash)
        onMeasureTrash();
    ++trashMeasurements;
    QMutexLocker lock(&mutex);
    return trashUsage;
}

void FakeCore::validatePath(const QString &path, const QString &inside)
{
    if (onValidate)
        onValidate(path, inside);
}

QSet<QString> FakeCore::runningApplicationIDs()
{
    if (QThread::currentThread() == QCoreApplication::instance()->thread())
        ++runningQueriesOnUiThread;
    if (onRunning)
        onRunning();
    ++runningQueries;
    return running;
}

std::optional<VolumeCapacity> FakeCore::homeVolumeCapacity()
{
    ++volumeQueries;
    return volume;
}

QString FakeCore::resolveSymlinks(const QString &path)
{
    if (!resolvedPrefix.isEmpty() && path.startsWith(QLatin1String("/link")))
        return resolvedPrefix + path.mid(5);
    return path;
}

Fixture::Fixture()
{
    home = root.path() + QStringLiteral("/home");
    QDir().mkpath(home);
    store = home + QStringLiteral("/store");
}

std::unique_ptr<Varnoll::CleanerModel> Fixture::makeModel(std::optional<QSet<QString>> running)
{
    Varnoll::ModelOptions options;
    options.home = home;
    options.store = store;
    options.runningBundleIDs = std::move(running);
    options.systemLibrary = QStringLiteral("/Library");
    options.baseDirectories = BaseDirectories {}; // the defaults, whatever this process's environment says
    auto model = std::make_unique<Varnoll::CleanerModel>(core, options);
    // The history is read on a worker: tests start from a loaded model.
    if (!QTest::qWaitFor([&] { return model->historyLoaded(); }, 10000))
        qWarning("the history was not loaded in time");
    return model;
}

FileEntry makeEntry(const QString &path, std::int64_t bytes, FileCategory category, std::optional<QString> bundleID)
{
    FileEntry e;
    e.id = QUuid::createUuid();
    e.path = path;
    e.name = path.section(u'/', -1);
    e.bytes = bytes;
    e.category = category;
    e.bundleID = std::move(bundleID);
    return e;
}

ScanResult makeResult(
    ScanKind kind, QList<FileEntry> entries, CoverageState coverageState, QList<FileCategory> categories)
{
    ScanResult r;
    r.kind = kind;
    r.entries = std::move(entries);
    r.date = QDateTime::currentDateTimeUtc();
    if (categories.isEmpty())
        categories.append(FileCategory::largeFile);
    for (FileCategory c : categories)
        r.coverage.append({ c, coverageState, 0 });
    return r;
}

DuplicateGroup makeGroup(const QList<FileEntry> &files)
{
    return { QUuid::createUuid(), files };
}

ScanResult makeSpaceResult(
    const QString &root, const QList<std::pair<QString, std::int64_t>> &files, const QStringList &cut)
{
    struct stat folderStat { };
    folderStat.st_mode = S_IFDIR | 0755;
    folderStat.st_size = 4096;
    SpaceTreeBuilder builder(1);
    QHash<QString, SpaceTreeBuilder::Folder> folders { { QString(), SpaceTreeBuilder::rootFolder } };
    std::uint64_t inode = 100;
    const auto folderOf = [&](const QString &relative, const auto &self) -> SpaceTreeBuilder::Folder {
        if (const auto it = folders.constFind(relative); it != folders.constEnd())
            return *it;
        const qsizetype slash = relative.lastIndexOf(u'/');
        const SpaceTreeBuilder::Folder parent = self(slash < 0 ? QString() : relative.left(slash), self);
        folderStat.st_ino = ino_t(++inode);
        const SpaceTreeBuilder::Folder folder
            = builder.add(0, parent, relative.mid(slash + 1).toStdString(), SpaceTree::Type::folder, folderStat);
        folders.insert(relative, folder);
        return folder;
    };
    for (const auto &[relative, bytes] : files) {
        const qsizetype slash = relative.lastIndexOf(u'/');
        const SpaceTreeBuilder::Folder parent = folderOf(slash < 0 ? QString() : relative.left(slash), folderOf);
        struct stat fileStat { };
        fileStat.st_mode = S_IFREG | 0644;
        fileStat.st_size = bytes;
        fileStat.st_ino = ino_t(++inode);
        builder.add(0, parent, relative.mid(slash + 1).toStdString(), SpaceTree::Type::file, fileStat);
    }
    for (auto it = folders.cbegin(); it != folders.cend(); ++it)
        builder.folderListed(*it, !cut.contains(it.key()));
    SpaceTree::Facts facts;
    facts.stop = cut.isEmpty() ? WalkStop::none : WalkStop::visitLimit;
    facts.root = root;
    facts.date = QDateTime::currentDateTimeUtc();
    facts.visitLimit = 200000;
    facts.timeLimit = 45;
    folderStat.st_ino = 1;
    return builder.finish(std::move(facts), folderStat)->level(SpaceTree::rootIndex);
}

CleanupRecord recordFor(const QList<FileEntry> &snapshot, const QSet<QUuid> &ids, const QSet<QString> &movedPaths)
{
    CleanupRecord record;
    record.id = QUuid::createUuid();
    record.date = QDateTime::currentDateTimeUtc();
    for (const FileEntry &e : snapshot) {
        if (!ids.contains(e.id))
            continue;
        CleanupItemResult item;
        item.entryID = e.id;
        item.name = e.name;
        item.path = e.path;
        item.bytes = e.bytes;
        item.moved = movedPaths.contains(e.path);
        item.message = item.moved ? QStringLiteral("已移到废纸篓") : QStringLiteral("已跳过");
        if (item.moved)
            item.trashPath = QStringLiteral("/fake-trash/files/") + e.name;
        record.items.append(item);
    }
    return record;
}

bool waitIdle(Varnoll::CleanerModel &model, int timeoutMs)
{
    return QTest::qWaitFor([&] { return !model.busy(); }, timeoutMs);
}

bool waitStored(Varnoll::CleanerModel &model, int timeoutMs)
{
    return QTest::qWaitFor([&] { return !model.storeBusy(); }, timeoutMs);
}

bool refreshRunning(Varnoll::CleanerModel &model, FakeCore &core)
{
    const int before = core.runningQueries.load();
    model.refreshRunning();
    return QTest::qWaitFor([&] { return core.runningQueries.load() > before && model.runningIDs() == core.running; });
}

bool scanWith(Varnoll::CleanerModel &model, FakeCore &core, std::optional<ScanKind> kind, const ScanResult &result)
{
    core.onScan = [result](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                      const CancellationToken &) { return result; };
    model.scan(kind);
    return waitIdle(model);
}

} // namespace VarnollTest
