#include "app/CleanerModel.h"

#include "app/Format.h"
#include "app/StoreFiles.h"
#include "core/CleanupService.h"
#include "core/Paths.h"
#include "core/Vocabulary.h"
#include "core/scan/SpaceTree.h"
#include "core/trash/Trash.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <algorithm>
#include <limits>
#include <utility>

namespace Varnoll {

using namespace Morvane;

namespace {

constexpr int kHistoryLimit = 100;
constexpr std::int64_t kMebibyte = 1024 * 1024;

const QString kReady = QStringLiteral("准备就绪");
const QString kPreparing = QStringLiteral("正在准备扫描");
const QString kKeepOneCopy = QStringLiteral("每组至少保留一份。先取消另一份的选择，再调整保留文件。");
const QString kLocked = QStringLiteral("请先退出对应应用及其辅助程序，再选择此项目。");
const QString kKeptFirst = QStringLiteral("每组已保留列表第一份；可逐项调整。扫描不会自动选择文件。");
const QString kRestoring = QStringLiteral("正在放回原处");
const QString kFinishingRestoreBeforeQuit = QStringLiteral("正在把项目放回原处并保存清理记录，完成后将自动退出。");

/// Runs `work` on its own low-priority thread; nobody waits for it.
void runInBackground(std::function<void()> work)
{
    QThread *thread = QThread::create(std::move(work));
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start(QThread::LowPriority);
}

bool containsText(const QString &haystack, const QString &needle)
{
    return haystack.contains(needle, Qt::CaseInsensitive);
}

/// A space result without `paths`: they leave the tree's counts, so every folder above
/// them shrinks, and the folder shown is read again. A tree whose scanned folder is
/// ignored as a whole is dropped: what it holds may no longer be shown.
ScanResult spaceWithout(const ScanResult &result, const QStringList &paths)
{
    SpaceTree &tree = *result.spaceTree;
    bool changed = false;
    bool rootIgnored = false;
    for (const QString &path : paths) {
        rootIgnored = rootIgnored || isSameOrInside(tree.facts().root, path);
        const SpaceTree::Index node = tree.find(path);
        if (node != SpaceTree::none && node != SpaceTree::rootIndex) {
            tree.exclude(node);
            changed = true;
        }
    }
    ScanResult shown = changed ? tree.level(result.spaceFolder) : result;
    // The folder shown may itself lie in an ignored path: nothing of it is listed.
    QSet<QString> gone;
    for (const FileEntry &entry : std::as_const(shown.entries)) {
        for (const QString &path : paths) {
            if (isSameOrInside(entry.path, path)) {
                gone.insert(entry.path);
                break;
            }
        }
    }
    shown = shown.removingPaths(gone);
    if (rootIgnored)
        shown.spaceTree.reset();
    return shown;
}

/// A set of paths that also covers everything below each of them. A lookup costs one
/// hash probe per folder level of the path looked up, whatever the size of the set: a
/// clean-up of 5,000 items is not compared with every entry of every result.
class PathCover {
public:
    template <typename Paths> explicit PathCover(const Paths &paths)
    {
        for (const QString &path : paths) {
            QString folder = path;
            while (folder.size() > 1 && folder.endsWith(u'/'))
                folder.chop(1);
            if (!folder.isEmpty())
                m_paths.insert(folder);
        }
    }

    [[nodiscard]] bool isEmpty() const { return m_paths.isEmpty(); }

    [[nodiscard]] bool covers(const QString &path) const
    {
        if (m_paths.isEmpty())
            return false;
        if (m_paths.contains(path))
            return true;
        for (qsizetype slash = path.lastIndexOf(u'/'); slash >= 0; slash = path.lastIndexOf(u'/', slash - 1)) {
            if (m_paths.contains(slash == 0 ? QStringLiteral("/") : path.left(slash)))
                return true;
            if (slash == 0)
                break;
        }
        return false;
    }

private:
    QSet<QString> m_paths;
};

} // namespace

/// Posts work from any thread to the model on the UI thread. The model detaches it in
/// its destructor; reports that arrive later are dropped.
class MainThreadRelay {
public:
    explicit MainThreadRelay(CleanerModel *model)
        : m_model(model)
    {
    }

    void post(std::function<void(CleanerModel *)> work)
    {
        QMutexLocker lock(&m_mutex);
        if (!m_model)
            return;
        CleanerModel *model = m_model;
        QMetaObject::invokeMethod(
            model, [model, work = std::move(work)] { work(model); }, Qt::QueuedConnection);
    }

    void detach()
    {
        QMutexLocker lock(&m_mutex);
        m_model = nullptr;
    }

private:
    QMutex m_mutex;
    CleanerModel *m_model;
};

/// The record of a running clean-up, also kept where the model's destructor can wait
/// for it: a clean-up cannot be stopped, and its record must not be lost at exit.
struct CleanerModel::PendingCleanup {
    QMutex mutex;
    QWaitCondition done;
    std::optional<CleanupRecord> record;
};

/// The read or write of the store files running on a worker, also kept where the
/// model's destructor can wait for it and take its outcome (a late history, the files
/// a save set aside), since by then nothing is delivered to the UI thread any more.
struct CleanerModel::StoreTask {
    QMutex mutex;
    QWaitCondition done;
    bool finished = false;
    std::optional<LoadedHistory> loaded;
    std::optional<StoreSaveOutcome> saved;

    void finish(std::optional<LoadedHistory> history, std::optional<StoreSaveOutcome> outcome)
    {
        QMutexLocker lock(&mutex);
        loaded = std::move(history);
        saved = std::move(outcome);
        finished = true;
        done.wakeAll();
    }
    void wait()
    {
        QMutexLocker lock(&mutex);
        while (!finished)
            done.wait(&mutex);
    }
};

/// The outcomes of a running restore, kept where the model's destructor can wait for
/// them: items already put back must not stay "in the Trash" in the history.
struct CleanerModel::PendingRestore {
    QMutex mutex;
    QWaitCondition done;
    std::optional<QList<RestoreOutcome>> outcomes;
    QList<ItemRef> targets;
};

struct CleanerModel::ScanOutcome {
    std::optional<ScanResult> result;
    bool cancelled = false;
    QString error;
};

CleanerModel::CleanerModel(std::shared_ptr<CoreServices> services, ModelOptions options, QObject *parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_relay(std::make_shared<MainThreadRelay>(this))
    , m_status(kReady)
{
    // Derived values announce a change whenever one of their sources is assigned.
    connect(this, &CleanerModel::totalDiskChanged, this, &CleanerModel::diskChanged);
    connect(this, &CleanerModel::freeDiskChanged, this, &CleanerModel::diskChanged);
    for (auto source : { &CleanerModel::pageChanged, &CleanerModel::resultsChanged }) {
        connect(this, source, this, &CleanerModel::currentResultChanged);
        connect(this, source, this, &CleanerModel::visibleEntriesChanged);
        connect(this, source, this, &CleanerModel::selectionSummaryChanged);
    }
    connect(this, &CleanerModel::searchChanged, this, &CleanerModel::visibleEntriesChanged);
    connect(this, &CleanerModel::categoryChanged, this, &CleanerModel::visibleEntriesChanged);
    connect(this, &CleanerModel::selectionChanged, this, &CleanerModel::selectionSummaryChanged);
    connect(this, &CleanerModel::resultsChanged, this, &CleanerModel::junkBytesChanged);

    m_backgroundInspector = options.backgroundInspector;
    m_home = options.home;
    m_systemLibrary = options.systemLibrary;
    m_runningOverride = options.runningBundleIDs;
    m_startupSystemDirectories = options.startupSystemDirectories;
    m_loginItemsController = LoginItemsController { m_home };
    m_managedHiddenController = ManagedHiddenStartupController { m_home };
    m_baseDirectories = options.baseDirectories.value_or(environmentBaseDirectories());
    m_store = options.store.value_or(defaultStoreFolder(m_home, m_baseDirectories));
    m_startupJournal = StartupChangeJournal { joinPath(m_store, QStringLiteral("startup-changes.json")) };
    m_applicationDirectories = options.applications.value_or(
        QStringList { QStringLiteral("/Applications"), joinPath(m_home, QStringLiteral("Applications")) });
    // The user's own download folder, as xdg-user-dirs names it on Linux.
    m_downloadFolder = hostRulePlatform() == RulePlatform::MacOS ? joinPath(m_home, QStringLiteral("Downloads"))
                                                                 : userDownloadFolder(m_home, m_baseDirectories);
    m_largeDirectory = m_downloadFolder;
    m_hasPrivacySettings = m_services->hasPrivacySettings();

    // Unreadable or malformed files mean starting empty, silently; such a file is set
    // aside (not lost) before the first save would replace it.
    const StoreFileRead preferences
        = readStoreFile(joinPath(m_store, QStringLiteral("preferences.json")), preferencesFileLimit);
    if (preferences.state == StoreFileRead::State::read) {
        if (auto decoded = LocalPreferences::fromJson(preferences.data))
            m_preferences = std::move(*decoded);
        else
            m_setAsidePreferences = true;
    } else if (preferences.state == StoreFileRead::State::unreadable) {
        m_setAsidePreferences = true;
    }
    // The history may be large (100 clean-ups of 5,000 items are about 150 MB): it is
    // read on the store worker and arrives a moment later.
    const auto task = std::make_shared<StoreTask>();
    m_storeTask = task;
    const std::shared_ptr<MainThreadRelay> relay = m_relay;
    const QString historyPath = joinPath(m_store, QStringLiteral("history.json"));
    runInBackground([relay, historyPath, task] {
        LoadedHistory loaded = loadHistory(historyPath, kHistoryLimit);
        task->finish(loaded, std::nullopt);
        relay->post([loaded = std::move(loaded)](
                        CleanerModel *model) mutable { model->applyLoadedHistory(std::move(loaded)); });
    });
    refreshRunning();
    refreshDisk();
    refreshTrashUsage();
}

CleanerModel::~CleanerModel()
{
    m_relay->detach();
    if (m_worker)
        m_worker->cancel();
    // Quitting while items move: wait for the record and save it, so that nothing
    // lies in the Trash without its history entry. With the store task below, the only
    // waits on a worker, at exit.
    if (m_cleanup && !m_cleanupApplied) {
        QMutexLocker lock(&m_cleanup->mutex);
        while (!m_cleanup->record)
            m_cleanup->done.wait(&m_cleanup->mutex);
        m_records.prepend(*m_cleanup->record);
        if (m_records.size() > kHistoryLimit)
            m_records.resize(kHistoryLimit);
        m_saveWanted = true;
    }
    if (m_cleanupAwaitingSave)
        m_saveWanted = true;
    if (m_restore && !m_restoreApplied) {
        QMutexLocker lock(&m_restore->mutex);
        while (!m_restore->outcomes)
            m_restore->done.wait(&m_restore->mutex);
        (void)markRestored(m_restore->targets, *m_restore->outcomes);
        m_saveWanted = true;
    }
    if (m_restoreAwaitingSave)
        m_saveWanted = true;
    // A read or write under way finishes first: a late save must not overwrite a later
    // one, and a history still being read must not be written over with less.
    if (m_storeTask) {
        m_storeTask->wait();
        if (m_storeTask->loaded && !m_historyLoaded)
            mergeLoadedHistory(std::move(*m_storeTask->loaded));
        if (m_storeTask->saved)
            applySaveFlags(*m_storeTask->saved);
    }
    if (m_saveWanted && m_historyLoaded)
        (void)saveStore(storeSnapshot(), m_home);
}

// --- Setters: each announces its change, even to an equal value ----------------------

void CleanerModel::setPage(Page page)
{
    // Announced even when equal: the values derived from the page follow this signal.
    m_page = page;
    Q_EMIT pageChanged();
}

void CleanerModel::setResults(QHash<ScanKind, ScanResult> results)
{
    m_results = std::move(results);
    Q_EMIT resultsChanged();
    keepOneCopyPerSet();
}

void CleanerModel::setSelection(QSet<QUuid> selection)
{
    m_selection = std::move(selection);
    Q_EMIT selectionChanged();
}

void CleanerModel::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged();
}

void CleanerModel::setActivity(Activity activity)
{
    if (m_activity != activity) {
        m_activity = activity;
        Q_EMIT activityChanged();
    }
    setBusy(activity != Activity::idle);
}

void CleanerModel::setStatus(const QString &status)
{
    if (m_status == status)
        return;
    m_status = status;
    Q_EMIT statusChanged();
}

void CleanerModel::setExamined(qint64 examined)
{
    if (m_examined == examined)
        return;
    m_examined = examined;
    Q_EMIT examinedChanged();
}

void CleanerModel::setNotice(std::optional<QString> notice)
{
    if (m_notice == notice)
        return;
    m_notice = std::move(notice);
    Q_EMIT noticeChanged();
}

void CleanerModel::setRecords(QList<CleanupRecord> records)
{
    m_records = std::move(records);
    Q_EMIT recordsChanged();
}

void CleanerModel::setPreferences(LocalPreferences preferences)
{
    m_preferences = std::move(preferences);
    Q_EMIT preferencesChanged();
}

void CleanerModel::setLargeDirectory(const QString &path)
{
    if (m_largeDirectory == path)
        return;
    m_largeDirectory = path;
    Q_EMIT largeDirectoryChanged();
}

void CleanerModel::setDisk(qint64 total, qint64 free)
{
    // Each refresh is announced: the overview's figures follow it.
    m_totalDisk = total;
    Q_EMIT totalDiskChanged();
    m_freeDisk = free;
    Q_EMIT freeDiskChanged();
}

void CleanerModel::setSearch(const QString &search)
{
    if (m_search == search)
        return;
    m_search = search;
    Q_EMIT searchChanged();
}

void CleanerModel::setMinimumSizeMB(qint64 value)
{
    if (m_minimumSizeMB == value)
        return;
    m_minimumSizeMB = value;
    Q_EMIT minimumSizeMBChanged();
}

void CleanerModel::setOlderThanDays(int value)
{
    if (m_olderThanDays == value)
        return;
    m_olderThanDays = value;
    Q_EMIT olderThanDaysChanged();
}

void CleanerModel::setFileType(FileTypeFilter type)
{
    if (m_fileType == type)
        return;
    m_fileType = type;
    Q_EMIT fileTypeChanged();
}

void CleanerModel::setFileTypeRaw(int raw)
{
    if (const auto type = fileTypeFilterFromRaw(raw))
        setFileType(*type);
}

void CleanerModel::setCategory(std::optional<FileCategory> category)
{
    if (m_category == category)
        return;
    m_category = category;
    Q_EMIT categoryChanged();
}

void CleanerModel::setCategoryRaw(int raw)
{
    setCategory(fileCategoryFromRaw(raw));
}

void CleanerModel::setShowReview(bool show)
{
    if (m_showReview == show)
        return;
    m_showReview = show;
    Q_EMIT showReviewChanged();
}

void CleanerModel::setShowPolicy(bool show)
{
    if (m_showPolicy == show)
        return;
    m_showPolicy = show;
    Q_EMIT showPolicyChanged();
}

// --- Derived values ----------------------------------------------------------------

std::optional<ScanKind> CleanerModel::currentKind() const
{
    return pageKind(m_page);
}

const ScanResult *CleanerModel::currentResultPointer() const
{
    const auto kind = currentKind();
    if (!kind)
        return nullptr;
    const auto it = m_results.constFind(*kind);
    return it == m_results.constEnd() ? nullptr : &it.value();
}

std::optional<ScanResult> CleanerModel::currentResult() const
{
    if (const ScanResult *result = currentResultPointer())
        return *result;
    return std::nullopt;
}

QSet<QString> CleanerModel::runningIDs() const
{
    if (m_runningOverride)
        return *m_runningOverride;
    return m_running;
}

void CleanerModel::refreshRunning()
{
    if (m_runningOverride)
        return;
    if (m_runningQueryActive) {
        m_runningQueryAgain = true;
        return;
    }
    m_runningQueryActive = true;
    const std::shared_ptr<MainThreadRelay> relay = m_relay;
    const std::shared_ptr<CoreServices> services = m_services;
    // Reading the process list and the launchers may take a while: never on the UI thread.
    runInBackground([relay, services] {
        const QSet<QString> running = services->runningApplicationIDs();
        relay->post([running](CleanerModel *model) {
            model->m_runningQueryActive = false;
            model->applyRunning(running);
            if (std::exchange(model->m_runningQueryAgain, false))
                model->refreshRunning();
        });
    });
}

void CleanerModel::applyRunning(const QSet<QString> &running)
{
    if (!m_runningOverride)
        m_running = running;
}

double CleanerModel::usedFraction() const
{
    if (m_totalDisk < 1)
        return 0.0;
    return double(m_totalDisk - m_freeDisk) / double(m_totalDisk);
}

QList<FileEntry> CleanerModel::visibleEntries() const
{
    const ScanResult *result = currentResultPointer();
    if (!result)
        return {};
    if (!m_category && m_search.isEmpty())
        return result->entries;
    QList<FileEntry> visible;
    for (const FileEntry &entry : result->entries) {
        if (m_category && entry.category != *m_category)
            continue;
        if (!m_search.isEmpty() && !containsText(entry.name, m_search) && !containsText(entry.path, m_search))
            continue;
        visible.append(entry);
    }
    return visible;
}

QList<FileEntry> CleanerModel::selectedEntries() const
{
    const ScanResult *result = currentResultPointer();
    if (!result || m_selection.isEmpty())
        return {};
    QList<FileEntry> selected;
    for (const FileEntry &entry : result->entries) {
        if (m_selection.contains(entry.id))
            selected.append(entry);
    }
    return selected;
}

qint64 CleanerModel::selectedBytes() const
{
    qint64 total = 0;
    for (const FileEntry &entry : selectedEntries())
        total += entry.bytes;
    return total;
}

qint64 CleanerModel::junkBytes() const
{
    const auto it = m_results.constFind(ScanKind::junk);
    return it == m_results.constEnd() ? 0 : it->bytes();
}

QString CleanerModel::categoryAmount(FileCategory category) const
{
    const ScanResult *result = currentResultPointer();
    if (!result)
        return QStringLiteral("未扫描");
    const auto coverage = result->coverageFor(category);
    if (!coverage)
        return QStringLiteral("未扫描");
    qint64 sum = 0;
    for (const FileEntry &entry : result->entries) {
        if (entry.category == category)
            sum += entry.bytes;
    }
    if (coverage->state == CoverageState::complete)
        return formatBytes(sum);
    if (coverage->state == CoverageState::partial)
        return sum < 1 ? QStringLiteral("尚未确认") : QStringLiteral("已查 ") + formatBytes(sum);
    return coverageWord(coverage->state);
}

bool CleanerModel::isLocked(const FileEntry &entry, const QSet<QString> &running) const
{
    if (!entry.bundleID)
        return false;
    if (running.contains(*entry.bundleID))
        return true;
    return entry.category == FileCategory::browserData && browserIsRunning(*entry.bundleID, running);
}

std::optional<FileEntry> CleanerModel::entryById(const QUuid &id) const
{
    const ScanResult *result = currentResultPointer();
    if (!result)
        return std::nullopt;
    for (const FileEntry &entry : result->entries) {
        if (entry.id == id)
            return entry;
    }
    return std::nullopt;
}

// --- Navigation and disk -------------------------------------------------------------

void CleanerModel::navigate(Page page)
{
    if (m_busy)
        return;
    setPage(page);
    setSelection({});
    setCategory(std::nullopt);
    setSearch(QString());
    setMinimumSizeMB(defaultMinimumSizeMB(page));
    setOlderThanDays(defaultOlderThanDays(page));
    setFileType(FileTypeFilter::all);
    // These two pages always open without a result.
    const auto kind = pageKind(page);
    if (kind && (*kind == ScanKind::installers || *kind == ScanKind::largeFiles)) {
        auto results = m_results;
        results.remove(*kind);
        setResults(std::move(results));
    }
    // What the pages say of the Trash is read afresh when they are shown.
    if (page == Page::overview)
        refreshTrashUsage();
    else if (page == Page::history)
        refreshTrashPresence();
}

void CleanerModel::refreshDisk()
{
    const auto capacity = m_services->homeVolumeCapacity();
    if (!capacity)
        return;
    setDisk(capacity->total, capacity->free);
}

// --- Scans ---------------------------------------------------------------------------

FileQuery CleanerModel::makeQuery() const
{
    FileQuery query;
    // Clamp instead of overflowing: the largest size that fits still means "no file".
    constexpr std::int64_t maxMebibytes = std::numeric_limits<std::int64_t>::max() / kMebibyte;
    if (m_minimumSizeMB < 0)
        query.minimumBytes = 0;
    else if (m_minimumSizeMB > maxMebibytes)
        query.minimumBytes = std::numeric_limits<std::int64_t>::max();
    else
        query.minimumBytes = std::int64_t(m_minimumSizeMB) * kMebibyte;
    if (m_olderThanDays >= 1)
        query.olderThanDays = m_olderThanDays;
    query.fileType = m_fileType;
    return query;
}

ScanConfiguration CleanerModel::makeConfiguration() const
{
    ScanConfiguration configuration;
    configuration.browser = m_browser;
    configuration.home = m_home;
    configuration.applicationDirectories = m_applicationDirectories;
    configuration.runningBundleIDs = runningIDs();
    configuration.ignoredPaths = QSet<QString>(m_preferences.ignoredPaths.cbegin(), m_preferences.ignoredPaths.cend());
    configuration.now = QDateTime::currentDateTimeUtc();
    configuration.entryLimit = 5000;
    configuration.visitLimit = 200000;
    configuration.timeLimit = 45.0;
    configuration.systemLibrary = m_systemLibrary;
    configuration.baseDirectories = m_baseDirectories;
    return configuration;
}

void CleanerModel::scanKind(int rawKind)
{
    if (const auto kind = scanKindFromRaw(rawKind))
        scan(*kind);
}

void CleanerModel::scan(std::optional<ScanKind> requested)
{
    if (m_busy)
        return;
    const ScanKind kind = requested ? *requested : currentKind().value_or(ScanKind::junk);
    if (m_page == Page::overview)
        navigate(Page::junk);
    setSelection({});
    setNotice(std::nullopt);
    setActivity(Activity::scanning);
    setExamined(0);
    setStatus(kPreparing);

    ScanConfiguration configuration = makeConfiguration();
    const bool askRunning = !m_runningOverride;
    const FileQuery query = makeQuery();
    const QString largeDirectory = m_largeDirectory;
    const CancellationToken token;
    m_worker = token;
    const quint64 generation = ++m_scanCounter;
    m_scanGeneration = generation;

    const std::shared_ptr<MainThreadRelay> relay = m_relay;
    const std::shared_ptr<CoreServices> services = m_services;
    ProgressFn progress = [relay, generation](const QString &message, std::int64_t count) {
        relay->post([=](CleanerModel *model) { model->applyProgress(generation, message, count); });
    };
    runInBackground([=]() mutable {
        ScanOutcome outcome;
        try {
            // The scan's own moment, asked here rather than on the UI thread.
            if (askRunning) {
                configuration.runningBundleIDs = services->runningApplicationIDs();
                relay->post(
                    [running = configuration.runningBundleIDs](CleanerModel *model) { model->applyRunning(running); });
            }
            outcome.result = services->makeScanner(configuration)->scan(kind, largeDirectory, query, progress, token);
        } catch (const CancellationError &) {
            outcome.cancelled = true;
        } catch (const CoreError &error) {
            outcome.error = error.description();
        } catch (const std::exception &error) {
            outcome.error = QString::fromUtf8(error.what());
        } catch (...) {
            outcome.error = QStringLiteral("扫描遇到未知错误。");
        }
        relay->post([=](CleanerModel *model) { model->finishScan(generation, kind, outcome); });
    });
}

void CleanerModel::cancelScan()
{
    if (m_worker)
        m_worker->cancel();
}

void CleanerModel::applyProgress(quint64 generation, const QString &message, qint64 count)
{
    // A report that arrives after its scan ended must not overwrite the final status.
    if (generation != m_scanGeneration)
        return;
    setStatus(message);
    setExamined(count);
}

void CleanerModel::finishScan(quint64 generation, ScanKind kind, const ScanOutcome &outcome)
{
    if (generation != m_scanGeneration)
        return;
    m_scanGeneration = 0;
    if (outcome.result) {
        auto results = m_results;
        // Paths ignored while the scan ran must not come back with its result.
        results.insert(kind, withoutIgnored(*outcome.result));
        setResults(std::move(results));
        setExamined(outcome.result->examined);
        setStatus(outcome.result->hasIncompleteCoverage() ? QStringLiteral("扫描结束，部分范围未完成")
                                                          : QStringLiteral("扫描完成"));
        setSelection({});
    } else if (outcome.cancelled) {
        setStatus(QStringLiteral("扫描已取消，保留上次结果"));
    } else {
        setNotice(outcome.error);
        setStatus(QStringLiteral("扫描未完成"));
    }
    setActivity(Activity::idle);
    m_worker.reset();
    refreshDisk();
}

ScanResult CleanerModel::withoutIgnored(const ScanResult &result) const
{
    const PathCover ignored(m_preferences.ignoredPaths);
    if (ignored.isEmpty())
        return result;
    if (result.spaceTree)
        return spaceWithout(result, m_preferences.ignoredPaths);
    QSet<QString> gone;
    for (const FileEntry &entry : result.entries) {
        if (ignored.covers(entry.path))
            gone.insert(entry.path);
    }
    return result.removingPaths(gone);
}

// --- Selection -----------------------------------------------------------------------

void CleanerModel::toggle(const FileEntry &entry)
{
    if (entry.category == FileCategory::spaceItem)
        return;
    if (entry.category == FileCategory::duplicate && !m_selection.contains(entry.id)) {
        if (const ScanResult *result = currentResultPointer()) {
            for (const DuplicateGroup &group : result->duplicateGroups) {
                const bool member = std::any_of(
                    group.files.cbegin(), group.files.cend(), [&](const FileEntry &f) { return f.id == entry.id; });
                if (!member)
                    continue;
                const auto unticked = std::count_if(group.files.cbegin(), group.files.cend(),
                    [&](const FileEntry &f) { return !m_selection.contains(f.id); });
                if (unticked < 2) {
                    setNotice(kKeepOneCopy);
                    return;
                }
                break;
            }
        }
    }
    if (isLocked(entry, runningIDs())) {
        setNotice(kLocked);
        return;
    }
    auto selection = m_selection;
    if (selection.contains(entry.id))
        selection.remove(entry.id);
    else
        selection.insert(entry.id);
    setSelection(std::move(selection));
    refreshRunning(); // the next tick sees what started since
}

void CleanerModel::toggleId(const QString &id)
{
    if (const auto entry = entryById(QUuid::fromString(id)))
        toggle(*entry);
}

void CleanerModel::toggleVisible()
{
    const QSet<QString> running = runningIDs();
    QSet<QUuid> eligible;
    for (const FileEntry &entry : visibleEntries()) {
        if (!isLocked(entry, running))
            eligible.insert(entry.id);
    }
    if (m_page == Page::space)
        return;
    if (m_page == Page::duplicates) {
        if (!m_selection.isEmpty()) {
            setSelection({});
            return;
        }
        QSet<QUuid> selection;
        if (const ScanResult *result = currentResultPointer()) {
            for (const DuplicateGroup &group : result->duplicateGroups) {
                QList<QUuid> shown;
                for (const FileEntry &file : group.files) {
                    if (eligible.contains(file.id))
                        shown.append(file.id);
                }
                for (qsizetype i = 1; i < shown.size(); ++i)
                    selection.insert(shown.at(i));
            }
        }
        setSelection(std::move(selection));
        setNotice(kKeptFirst);
        return;
    }
    auto selection = m_selection;
    if (selection.contains(eligible))
        selection.subtract(eligible);
    else
        selection.unite(eligible);
    setSelection(std::move(selection));
    refreshRunning();
}

void CleanerModel::keepOneCopyPerSet()
{
    if (m_selection.isEmpty())
        return;
    QSet<QUuid> selection = m_selection;
    QStringList kept;
    for (const ScanResult &result : std::as_const(m_results)) {
        for (const DuplicateGroup &group : result.duplicateGroups) {
            const bool allTicked = !group.files.isEmpty()
                && std::all_of(group.files.cbegin(), group.files.cend(),
                    [&selection](const FileEntry &f) { return selection.contains(f.id); });
            if (!allTicked)
                continue;
            selection.remove(group.files.constFirst().id);
            kept.append(group.files.constFirst().name);
        }
    }
    if (kept.isEmpty())
        return;
    setSelection(std::move(selection));
    setNotice(kept.size() == 1 ? QStringLiteral("每组至少保留一份，已取消勾选“%1”，它将保留。").arg(kept.constFirst())
                               : QStringLiteral("每组至少保留一份，已取消勾选 %1 项，它们将保留。").arg(kept.size()));
}

// --- Clean-up ------------------------------------------------------------------------

void CleanerModel::cleanSelection()
{
    if (m_busy || m_page == Page::space || !currentKind() || selectedEntries().isEmpty())
        return;
    const ScanKind kind = *currentKind();
    const QSet<QUuid> ids = m_selection;
    const ScanResult *result = currentResultPointer();
    const QList<FileEntry> snapshot = result ? result->entries : QList<FileEntry>();
    QSet<QString> running = runningIDs();
    const bool askRunning = !m_runningOverride;
    const QList<DuplicateGroup> groups = result ? result->duplicateGroups : QList<DuplicateGroup>();
    const QList<FileEntry> owners = result ? result->ownerApplications : QList<FileEntry>();

    setShowReview(false);
    setActivity(Activity::cleaning);
    setStatus(vocabulary().cleaningStatus);
    setNotice(std::nullopt);

    const std::shared_ptr<MainThreadRelay> relay = m_relay;
    const std::shared_ptr<CoreServices> services = m_services;
    const auto pending = std::make_shared<PendingCleanup>();
    m_cleanup = pending;
    m_cleanupApplied = false;
    runInBackground([=]() mutable {
        CleanupRecord record;
        try {
            // What runs at the start of the clean-up, asked here rather than on the UI thread.
            if (askRunning)
                running = services->runningApplicationIDs();
            record = services->clean(ids, snapshot, running, groups, owners);
        } catch (...) {
            // The service promises not to throw; should it still, every item is
            // reported as left where it was rather than the run being lost.
            record.id = QUuid::createUuid();
            record.date = QDateTime::currentDateTimeUtc();
            for (const FileEntry &entry : snapshot) {
                if (!ids.contains(entry.id))
                    continue;
                CleanupItemResult item = resultFor(entry);
                item.message = QStringLiteral("清理服务出错，项目未移动。");
                record.items.append(item);
            }
        }
        {
            QMutexLocker lock(&pending->mutex);
            pending->record = record;
            pending->done.wakeAll();
        }
        relay->post([=](CleanerModel *model) { model->finishCleanup(kind, record); });
    });
}

bool CleanerModel::requestQuit()
{
    if (!m_cleanup && !m_restore && !storeBusy())
        return true;
    // The store files are written within moments: the window closes when they are.
    m_quitRequested = true;
    if (m_cleanup)
        setNotice(vocabulary().finishingBeforeQuit);
    else if (m_restore)
        setNotice(kFinishingRestoreBeforeQuit);
    return false;
}

void CleanerModel::finishCleanup(ScanKind kind, const CleanupRecord &record)
{
    m_cleanupApplied = true;
    auto records = m_records;
    records.prepend(record);
    if (records.size() > kHistoryLimit)
        records.resize(kHistoryLimit);
    setRecords(std::move(records));

    QSet<QString> moved;
    for (const CleanupItemResult &item : record.items) {
        if (item.moved)
            moved.insert(item.path);
    }
    auto results = m_results;
    if (const auto it = results.constFind(kind); it != results.constEnd()) {
        QSet<QUuid> movedApplications;
        for (const FileEntry &entry : it->entries) {
            if (entry.category == FileCategory::application && moved.contains(entry.path))
                movedApplications.insert(entry.id);
        }
        // An entry inside a folder that went to the Trash went with it.
        const PathCover cover(moved);
        QSet<QString> gone = moved;
        for (const FileEntry &entry : it->entries) {
            if ((entry.ownerID && movedApplications.contains(*entry.ownerID)) || cover.covers(entry.path))
                gone.insert(entry.path);
        }
        results.insert(kind, it->removingPaths(gone));
    }
    if (!moved.isEmpty()) {
        for (auto it = results.begin(); it != results.end();) {
            it = it.key() == kind ? std::next(it) : results.erase(it);
        }
    }
    setResults(std::move(results));
    setSelection({});

    // The clean-up ends when its record is saved: until then the page stays busy, so
    // nothing starts that the notice would have to talk over.
    const qint64 count = record.count();
    m_cleanupAwaitingSave = CleanupFinish { count, qint64(record.items.size()) - count, false };
    persist();
}

void CleanerModel::completeCleanup(const QString &saveText)
{
    const CleanupFinish finish = *m_cleanupAwaitingSave;
    m_cleanupAwaitingSave.reset();
    m_cleanup.reset();
    setActivity(Activity::idle);
    refreshDisk();
    refreshTrashUsage();
    setStatus(vocabulary().cleanedStatus.arg(finish.count));
    QString notice = finish.untreated < 1 ? vocabulary().cleanedAll.arg(finish.count)
                                          : vocabulary().cleanedSome.arg(finish.count).arg(finish.untreated);
    if (!saveText.isEmpty())
        notice += u'\n' + saveText;
    setNotice(notice);
}

CoreServices::Opened CleanerModel::noticeUnless(const QString &text) const
{
    return [relay = m_relay, text](bool opened) {
        if (!opened)
            relay->post([text](CleanerModel *model) { model->setNotice(text); });
    };
}

void CleanerModel::openTrash()
{
    m_services->openTrash(
        noticeUnless(vocabulary().trashNotOpened.arg(homeShortened(homeTrashFilesFolder(), m_home, wholePath))));
}

void CleanerModel::openPrivacy()
{
    m_services->openPrivacySettings(noticeUnless(vocabulary().settingsNotOpened));
}

void CleanerModel::revealPath(const QString &path)
{
    m_services->revealFile(
        path, noticeUnless(vocabulary().revealNotOpened.arg(homeShortened(path, m_home, wholePath))));
}

// --- Restore from the history and the Trash --------------------------------------------

const CleanupItemResult *CleanerModel::historyItem(int record, int item) const
{
    if (record < 0 || record >= m_records.size())
        return nullptr;
    const QList<CleanupItemResult> &items = m_records.at(record).items;
    return item >= 0 && item < items.size() ? &items.at(item) : nullptr;
}

ItemTrashState CleanerModel::itemTrashState(int record, int item) const
{
    const CleanupItemResult *entry = historyItem(record, item);
    if (!entry || !entry->moved)
        return ItemTrashState::notMoved;
    if (entry->restoredDate)
        return ItemTrashState::restored;
    const auto gone = m_goneFromTrash.constFind(m_records.at(record).id);
    if (entry->trashPath.isEmpty() || (gone != m_goneFromTrash.constEnd() && gone->contains(item)))
        return ItemTrashState::gone;
    return ItemTrashState::inTrash;
}

QString CleanerModel::restoreFailure(int record, int item) const
{
    if (record < 0 || record >= m_records.size())
        return {};
    return m_restoreFailures.value(m_records.at(record).id).value(item);
}

void CleanerModel::restoreItem(int record, int item)
{
    if (m_busy || itemTrashState(record, item) != ItemTrashState::inTrash)
        return;
    startRestore({ { m_records.at(record).id, item } });
}

void CleanerModel::restoreRecord(int record)
{
    if (m_busy || record < 0 || record >= m_records.size())
        return;
    QList<ItemRef> targets;
    for (int i = 0; i < m_records.at(record).items.size(); ++i) {
        if (itemTrashState(record, i) == ItemTrashState::inTrash)
            targets.append({ m_records.at(record).id, i });
    }
    if (!targets.isEmpty())
        startRestore(targets);
}

void CleanerModel::startRestore(const QList<ItemRef> &targets)
{
    QHash<QUuid, qsizetype> recordAt;
    for (qsizetype r = 0; r < m_records.size(); ++r)
        recordAt.insert(m_records.at(r).id, r);
    QList<CleanupItemResult> items;
    for (const auto &[id, index] : targets)
        items.append(m_records.at(recordAt.value(id)).items.at(index));

    setActivity(Activity::restoring);
    setStatus(kRestoring);
    setNotice(std::nullopt);
    const std::shared_ptr<MainThreadRelay> relay = m_relay;
    const std::shared_ptr<CoreServices> services = m_services;
    const auto pending = std::make_shared<PendingRestore>();
    pending->targets = targets;
    m_restore = pending;
    m_restoreApplied = false;
    runInBackground([relay, services, pending, items, targets] {
        QList<RestoreOutcome> outcomes;
        try {
            outcomes = services->restore(items);
        } catch (...) {
            outcomes.clear();
        }
        // One outcome per item, whatever the service returned: a missing one stayed.
        while (outcomes.size() < items.size()) {
            RestoreOutcome failed;
            failed.message = QStringLiteral("放回时出现内部错误，未放回。");
            outcomes.append(failed);
        }
        {
            QMutexLocker lock(&pending->mutex);
            pending->outcomes = outcomes;
            pending->done.wakeAll();
        }
        relay->post([targets, outcomes](CleanerModel *model) { model->finishRestore(targets, outcomes); });
    });
}

QSet<QString> CleanerModel::markRestored(const QList<ItemRef> &targets, const QList<RestoreOutcome> &outcomes)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QSet<QString> restored;
    for (qsizetype t = 0; t < targets.size() && t < outcomes.size(); ++t) {
        if (!outcomes.at(t).restored)
            continue;
        const auto &[id, index] = targets.at(t);
        for (CleanupRecord &record : m_records) {
            if (record.id == id && index < record.items.size()) {
                record.items[index].restoredDate = now;
                restored.insert(record.items.at(index).path);
            }
        }
    }
    return restored;
}

void CleanerModel::finishRestore(const QList<ItemRef> &targets, const QList<RestoreOutcome> &outcomes)
{
    m_restoreApplied = true;
    RestoreFinish finish;
    for (qsizetype t = 0; t < targets.size() && t < outcomes.size(); ++t) {
        const auto &[id, index] = targets.at(t);
        const RestoreOutcome &outcome = outcomes.at(t);
        if (outcome.restored) {
            ++finish.restored;
            m_restoreFailures[id].remove(index);
        } else {
            ++finish.failed;
            m_restoreFailures[id].insert(index, outcome.message);
        }
        if (targets.size() == 1) {
            for (const CleanupRecord &record : std::as_const(m_records)) {
                if (record.id == id && index < record.items.size())
                    finish.name = displayPath(record.items.at(index).name);
            }
            finish.reason = outcome.message;
        }
    }
    // The records keep their order and number: the page updates its rows in place.
    const QSet<QString> restored = markRestored(targets, outcomes);
    Q_EMIT trashStateChanged();
    dropResultsAround(restored);
    m_restoreAwaitingSave = finish;
    if (restored.isEmpty()) {
        // Nothing changed in the history: nothing to save.
        completeRestore({});
        return;
    }
    persist();
}

void CleanerModel::completeRestore(const QString &saveText)
{
    const RestoreFinish finish = *m_restoreAwaitingSave;
    m_restoreAwaitingSave.reset();
    m_restore.reset();
    setActivity(Activity::idle);
    setStatus(QStringLiteral("已放回原处 %1 项").arg(finish.restored));
    QString notice;
    if (finish.failed == 0)
        notice = finish.restored == 1 && !finish.name.isEmpty()
            ? QStringLiteral("已将“%1”放回原处。").arg(finish.name)
            : QStringLiteral("已将 %1 项放回原处。").arg(finish.restored);
    else if (finish.restored == 0 && finish.failed == 1 && !finish.name.isEmpty())
        notice = QStringLiteral("未能放回“%1”：%2").arg(finish.name, finish.reason);
    else
        notice = QStringLiteral("%1 项已放回原处，%2 项未能放回。可在清理记录查看原因。")
                     .arg(finish.restored)
                     .arg(finish.failed);
    if (!saveText.isEmpty())
        notice += u'\n' + saveText;
    setNotice(notice);
    refreshTrashUsage();
    refreshTrashPresence();
    if (m_quitRequested && !m_cleanup && !storeBusy()) {
        m_quitRequested = false;
        Q_EMIT quitReady();
    }
}

void CleanerModel::dropResultsAround(const QSet<QString> &paths)
{
    if (paths.isEmpty())
        return;
    const PathCover restored(paths);
    auto results = m_results;
    bool dropped = false;
    for (auto it = results.begin(); it != results.end();) {
        // The places this result speaks for: its entries, the folders they were found
        // in, and for the file pages the folder searched.
        QSet<QString> places;
        for (const FileEntry &entry : it->entries) {
            places.insert(entry.path);
            if (!entry.scope.isEmpty())
                places.insert(entry.scope);
        }
        const ScanKind kind = it.key();
        if (kind == ScanKind::largeFiles || kind == ScanKind::duplicates || kind == ScanKind::space
            || kind == ScanKind::installers)
            places.insert(m_largeDirectory);
        const PathCover cover(places);
        bool stale = false;
        for (const FileEntry &entry : it->entries) {
            if (restored.covers(entry.path)) {
                stale = true;
                break;
            }
        }
        for (auto p = paths.cbegin(); !stale && p != paths.cend(); ++p)
            stale = cover.covers(*p);
        if (stale) {
            it = results.erase(it);
            dropped = true;
        } else {
            ++it;
        }
    }
    if (!dropped)
        return;
    setResults(std::move(results));
    setSelection({});
}

void CleanerModel::refreshTrashPresence()
{
    if (m_presenceQueryActive) {
        m_presenceQueryAgain = true;
        return;
    }
    m_presenceQueryActive = true;
    const std::shared_ptr<MainThreadRelay> relay = m_relay;
    const std::shared_ptr<CoreServices> services = m_services;
    runInBackground([relay, services, records = m_records] {
        QHash<QUuid, QList<int>> gone;
        try {
            gone = services->goneFromTrash(records);
        } catch (...) {
            // Unknown: the items keep their buttons; a restore still checks for itself.
        }
        relay->post([gone](CleanerModel *model) {
            model->m_presenceQueryActive = false;
            model->m_goneFromTrash.clear();
            for (auto it = gone.cbegin(); it != gone.cend(); ++it)
                model->m_goneFromTrash.insert(it.key(), QSet<int>(it->cbegin(), it->cend()));
            Q_EMIT model->trashStateChanged();
            if (std::exchange(model->m_presenceQueryAgain, false))
                model->refreshTrashPresence();
        });
    });
}

void CleanerModel::refreshTrashUsage()
{
    if (m_trashQueryActive) {
        m_trashQueryAgain = true;
        return;
    }
    m_trashQueryActive = true;
    Q_EMIT trashUsageChanged();
    const std::shared_ptr<MainThreadRelay> relay = m_relay;
    const std::shared_ptr<CoreServices> services = m_services;
    runInBackground([relay, services] {
        std::optional<TrashUsage> usage;
        try {
            usage = services->measureTrash();
        } catch (...) {
        }
        relay->post([usage](CleanerModel *model) {
            model->m_trashQueryActive = false;
            if (usage)
                model->m_trashUsage = usage;
            if (std::exchange(model->m_trashQueryAgain, false))
                model->refreshTrashUsage();
            else
                Q_EMIT model->trashUsageChanged();
        });
    });
}

// --- Ignore list and store -------------------------------------------------------------

void CleanerModel::ignore(const FileEntry &entry)
{
    const QString path = entry.path;
    if (!path.isEmpty() && !m_preferences.ignoredPaths.contains(path)) {
        LocalPreferences preferences = m_preferences;
        preferences.ignoredPaths.append(path);
        setPreferences(std::move(preferences));
    }
    if (m_selection.contains(entry.id)) {
        auto selection = m_selection;
        selection.remove(entry.id);
        setSelection(std::move(selection));
    }
    auto results = m_results;
    for (ScanResult &result : results) {
        if (result.spaceTree) {
            result = spaceWithout(result, { path });
            continue;
        }
        QSet<QString> gone;
        for (const FileEntry &candidate : result.entries) {
            if (isSameOrInside(candidate.path, path))
                gone.insert(candidate.path);
        }
        if (!gone.isEmpty())
            result = result.removingPaths(gone);
    }
    setResults(std::move(results));
    persist();
}

void CleanerModel::ignoreId(const QString &id)
{
    if (const auto entry = entryById(QUuid::fromString(id)))
        ignore(*entry);
}

void CleanerModel::removeIgnore(const QString &path)
{
    LocalPreferences preferences = m_preferences;
    preferences.ignoredPaths.removeAll(path);
    setPreferences(std::move(preferences));
    persist();
}

void CleanerModel::persist()
{
    m_saveWanted = true;
    if (!m_storeTask && m_historyLoaded)
        startSave();
}

StoreSnapshot CleanerModel::storeSnapshot() const
{
    StoreSnapshot snapshot;
    snapshot.folder = m_store;
    snapshot.preferences = m_preferences;
    snapshot.records = m_records; // shared until the UI thread changes its copy
    snapshot.setAsidePreferences = m_setAsidePreferences;
    snapshot.setAsideHistory = m_setAsideHistory;
    snapshot.now = QDateTime::currentDateTime();
    return snapshot;
}

void CleanerModel::startSave()
{
    m_saveWanted = false;
    // This save carries the clean-up's record (or a restore's marks) when one waits for it.
    const bool forCleanup = m_cleanupAwaitingSave && !m_cleanupAwaitingSave->saveStarted;
    if (forCleanup)
        m_cleanupAwaitingSave->saveStarted = true;
    const bool forRestore = m_restoreAwaitingSave && !m_restoreAwaitingSave->saveStarted;
    if (forRestore)
        m_restoreAwaitingSave->saveStarted = true;
    const auto task = std::make_shared<StoreTask>();
    m_storeTask = task;
    const std::shared_ptr<MainThreadRelay> relay = m_relay;
    runInBackground([relay, task, snapshot = storeSnapshot(), home = m_home, forCleanup, forRestore] {
        const StoreSaveOutcome outcome = saveStore(snapshot, home);
        task->finish(std::nullopt, outcome);
        relay->post([outcome, forCleanup, forRestore](
                        CleanerModel *model) { model->finishSave(outcome, forCleanup, forRestore); });
    });
}

void CleanerModel::applySaveFlags(const StoreSaveOutcome &outcome)
{
    if (outcome.preferencesSetAside)
        m_setAsidePreferences = false;
    if (outcome.historySetAside)
        m_setAsideHistory = false;
}

void CleanerModel::finishSave(const StoreSaveOutcome &outcome, bool forCleanup, bool forRestore)
{
    m_storeTask.reset();
    applySaveFlags(outcome);
    QStringList lines = outcome.notes;
    if (outcome.error)
        lines.append(*outcome.error);
    const QString text = lines.join(u'\n');
    if (forCleanup && m_cleanupAwaitingSave)
        completeCleanup(text);
    else if (forRestore && m_restoreAwaitingSave)
        completeRestore(text);
    else if (!text.isEmpty())
        setNotice(text);
    storeWentIdle();
}

void CleanerModel::applyLoadedHistory(LoadedHistory loaded)
{
    m_storeTask.reset();
    mergeLoadedHistory(std::move(loaded));
    Q_EMIT recordsChanged();
    refreshTrashPresence();
    storeWentIdle();
}

void CleanerModel::mergeLoadedHistory(LoadedHistory loaded)
{
    m_historyLoaded = true;
    m_setAsideHistory = !loaded.complete;
    if (loaded.records.isEmpty())
        return;
    // Clean-ups finished while the file was read come first. The loaded list is taken
    // over, not copied: it may hold half a million items.
    QList<CleanupRecord> records = std::move(loaded.records);
    for (auto it = m_records.crbegin(); it != m_records.crend(); ++it)
        records.prepend(*it);
    if (records.size() > kHistoryLimit)
        records.resize(kHistoryLimit);
    m_records = std::move(records);
}

void CleanerModel::storeWentIdle()
{
    if (m_saveWanted) {
        startSave();
        return;
    }
    Q_EMIT storeIdle();
    if (m_quitRequested && !m_cleanup && !m_restore) {
        m_quitRequested = false;
        Q_EMIT quitReady();
    }
}

// --- Filters, folder and space browsing -------------------------------------------------

void CleanerModel::changeFileFilters()
{
    if (m_busy)
        return;
    const auto kind = currentKind();
    if (!kind)
        return;
    auto results = m_results;
    results.remove(*kind);
    setResults(std::move(results));
    setSelection({});
}

void CleanerModel::chooseDirectory()
{
    if (m_busy)
        return;
    Q_EMIT directoryRequested(QStringLiteral("扫描此文件夹"),
        QStringLiteral("只扫描所选文件夹；文件处理需要另行选择并确认。"), m_largeDirectory);
}

void CleanerModel::directoryChosen(const QString &path)
{
    if (m_busy || path.isEmpty())
        return;
    setDirectory(m_services->resolveSymlinks(path));
    scan();
}

void CleanerModel::setDirectory(const QString &path)
{
    changeDirectory(path, std::nullopt);
}

void CleanerModel::changeDirectory(const QString &path, std::optional<ScanResult> space)
{
    setLargeDirectory(path);
    auto results = m_results;
    for (ScanKind kind : { ScanKind::largeFiles, ScanKind::duplicates, ScanKind::space, ScanKind::installers })
        results.remove(kind);
    if (space)
        results.insert(ScanKind::space, std::move(*space));
    setResults(std::move(results));
    setSelection({});
}

bool CleanerModel::showSpaceFolder(const QString &path)
{
    const auto it = m_results.constFind(ScanKind::space);
    if (it == m_results.constEnd() || !it->spaceTree)
        return false;
    const std::shared_ptr<SpaceTree> tree = it->spaceTree;
    const SpaceTree::Index folder = tree->find(path);
    // A folder the walk never listed (a mount point, unreadable, cut by the budget)
    // has nothing to show: a scan of it says what there is.
    if (folder == SpaceTree::none || !tree->canShow(folder))
        return false;
    setNotice(std::nullopt);
    changeDirectory(path, tree->level(folder));
    return true;
}

void CleanerModel::drillInto(const FileEntry &entry)
{
    if (m_page != Page::space || !entry.kind.isFolder() || m_busy)
        return;
    try {
        m_services->validatePath(entry.path, m_largeDirectory);
    } catch (const CoreError &error) {
        setNotice(error.description());
        return;
    }
    if (showSpaceFolder(entry.path))
        return;
    setDirectory(entry.path);
    scan(ScanKind::space);
}

void CleanerModel::drillIntoId(const QString &id)
{
    if (const auto entry = entryById(QUuid::fromString(id)))
        drillInto(*entry);
}

bool CleanerModel::canGoToParent() const
{
    const QString parent = parentPath(m_largeDirectory);
    return parent != QLatin1String("/") && parent != m_largeDirectory;
}

void CleanerModel::parentSpace()
{
    if (m_page != Page::space || m_busy || !canGoToParent())
        return;
    const QString parent = parentPath(m_largeDirectory);
    if (showSpaceFolder(parent))
        return;
    setDirectory(parent);
    scan(ScanKind::space);
}

} // namespace Varnoll
