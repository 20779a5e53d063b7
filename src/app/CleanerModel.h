#pragma once

#include "app/CoreServices.h"
#include "app/LocalPreferences.h"
#include "app/Page.h"
#include "app/StoreFiles.h"
#include "core/Records.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QUuid>

#include <memory>
#include <optional>

namespace Varnoll {

class MainThreadRelay;

/// Where a moved item of the history stands now, for the history page.
enum class ItemTrashState : std::uint8_t {
    notMoved, // the clean-up left it where it was
    inTrash, // moved and, as far as known, still in the Trash: it can be put back
    restored, // put back where it was
    gone, // moved, but no longer in the Trash as recorded (emptied, put back elsewhere, replaced)
};

/// What the application passes when it creates the model. Absent values take the
/// model's defaults.
struct ModelOptions {
    QString home;
    std::optional<QString> store;
    std::optional<QStringList> applications;
    QStringList startupSystemDirectories;
    std::optional<QSet<QString>> runningBundleIDs;
    QString systemLibrary;
    Morvane::BackgroundItemsInspector backgroundInspector;
    /// The XDG base directories; absent: this process's environment.
    std::optional<Morvane::BaseDirectories> baseDirectories;
};

/// The one model of the application. Confined to the UI thread: every property and
/// operation is used there. Scans and clean-ups run on a low-priority worker thread on
/// copies of their inputs and hand their outcome back here; the UI thread never waits
/// for them. `busy` is the only guard against a second piece of work.
class CleanerModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(Varnoll::Page page READ page NOTIFY pageChanged)
    Q_PROPERTY(QString pageTitle READ currentPageTitle NOTIFY pageChanged)
    Q_PROPERTY(bool busy READ busy NOTIFY busyChanged)
    Q_PROPERTY(Varnoll::Activity activity READ activity NOTIFY activityChanged)
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)
    Q_PROPERTY(qint64 examined READ examined NOTIFY examinedChanged)
    Q_PROPERTY(qint64 totalDisk READ totalDisk NOTIFY totalDiskChanged)
    Q_PROPERTY(qint64 freeDisk READ freeDisk NOTIFY freeDiskChanged)
    Q_PROPERTY(double usedFraction READ usedFraction NOTIFY diskChanged)
    Q_PROPERTY(QStringList ignoredPaths READ ignoredPaths NOTIFY preferencesChanged)
    Q_PROPERTY(QString largeDirectory READ largeDirectory NOTIFY largeDirectoryChanged)
    Q_PROPERTY(QString search READ search WRITE setSearch NOTIFY searchChanged)
    Q_PROPERTY(qint64 minimumSizeMB READ minimumSizeMB WRITE setMinimumSizeMB NOTIFY minimumSizeMBChanged)
    Q_PROPERTY(int olderThanDays READ olderThanDays WRITE setOlderThanDays NOTIFY olderThanDaysChanged)
    Q_PROPERTY(int fileType READ fileTypeRaw WRITE setFileTypeRaw NOTIFY fileTypeChanged)
    Q_PROPERTY(int category READ categoryRaw WRITE setCategoryRaw NOTIFY categoryChanged)
    Q_PROPERTY(QString notice READ noticeText NOTIFY noticeChanged)
    Q_PROPERTY(bool hasNotice READ hasNotice NOTIFY noticeChanged)
    Q_PROPERTY(bool showReview READ showReview WRITE setShowReview NOTIFY showReviewChanged)
    Q_PROPERTY(bool showPolicy READ showPolicy WRITE setShowPolicy NOTIFY showPolicyChanged)
    Q_PROPERTY(int recordCount READ recordCount NOTIFY recordsChanged)
    Q_PROPERTY(bool hasCurrentResult READ hasCurrentResult NOTIFY currentResultChanged)
    Q_PROPERTY(qint64 junkBytes READ junkBytes NOTIFY junkBytesChanged)
    Q_PROPERTY(int selectedCount READ selectedCount NOTIFY selectionSummaryChanged)
    Q_PROPERTY(qint64 selectedBytes READ selectedBytes NOTIFY selectionSummaryChanged)
    Q_PROPERTY(QString home READ home CONSTANT)

public:
    CleanerModel(std::shared_ptr<CoreServices> services, ModelOptions options, QObject *parent = nullptr);
    ~CleanerModel() override;

    // --- Stored state -------------------------------------------------------------
    [[nodiscard]] Page page() const { return m_page; }
    [[nodiscard]] const QHash<Morvane::ScanKind, Morvane::ScanResult> &results() const { return m_results; }
    [[nodiscard]] const QSet<QUuid> &selection() const { return m_selection; }
    [[nodiscard]] bool busy() const { return m_busy; }
    /// Views decide on this, never on the status text.
    [[nodiscard]] Activity activity() const { return m_activity; }
    [[nodiscard]] QString status() const { return m_status; }
    [[nodiscard]] qint64 examined() const { return m_examined; }
    [[nodiscard]] qint64 totalDisk() const { return m_totalDisk; }
    [[nodiscard]] qint64 freeDisk() const { return m_freeDisk; }
    [[nodiscard]] const QList<Morvane::CleanupRecord> &records() const { return m_records; }
    [[nodiscard]] const LocalPreferences &preferences() const { return m_preferences; }
    [[nodiscard]] QStringList ignoredPaths() const { return m_preferences.ignoredPaths; }
    [[nodiscard]] QString largeDirectory() const { return m_largeDirectory; }
    [[nodiscard]] Morvane::BrowserKind browser() const { return m_browser; }
    [[nodiscard]] QString search() const { return m_search; }
    [[nodiscard]] qint64 minimumSizeMB() const { return m_minimumSizeMB; }
    [[nodiscard]] int olderThanDays() const { return m_olderThanDays; }
    [[nodiscard]] Morvane::FileTypeFilter fileType() const { return m_fileType; }
    [[nodiscard]] std::optional<Morvane::FileCategory> category() const { return m_category; }
    [[nodiscard]] const std::optional<QString> &notice() const { return m_notice; }
    [[nodiscard]] bool showReview() const { return m_showReview; }
    [[nodiscard]] bool showPolicy() const { return m_showPolicy; }

    // --- Configuration ------------------------------------------------------------
    [[nodiscard]] QString home() const { return m_home; }
    [[nodiscard]] QString store() const { return m_store; }
    [[nodiscard]] QStringList applicationDirectories() const { return m_applicationDirectories; }
    [[nodiscard]] QString systemLibrary() const { return m_systemLibrary; }
    [[nodiscard]] QStringList startupSystemDirectories() const { return m_startupSystemDirectories; }
    [[nodiscard]] const std::optional<QSet<QString>> &runningOverride() const { return m_runningOverride; }
    [[nodiscard]] bool hasWorker() const { return m_worker.has_value(); }
    /// False until the history file has been read (on a worker, after the constructor).
    [[nodiscard]] bool historyLoaded() const { return m_historyLoaded; }
    /// True while the store files are read or written on a worker, or wait to be.
    [[nodiscard]] bool storeBusy() const { return m_storeTask != nullptr || m_saveWanted; }
    [[nodiscard]] const Morvane::StartupChangeJournal &startupJournal() const { return m_startupJournal; }
    [[nodiscard]] const Morvane::BaseDirectories &baseDirectories() const { return m_baseDirectories; }
    /// The folder the file pages start with: the user's download folder.
    [[nodiscard]] QString downloadFolder() const { return m_downloadFolder; }
    /// Whether the desktop has settings that `openPrivacy` can open (asked once, at start).
    [[nodiscard]] bool hasPrivacySettings() const { return m_hasPrivacySettings; }

    // --- Derived ------------------------------------------------------------------
    [[nodiscard]] std::optional<Morvane::ScanKind> currentKind() const;
    [[nodiscard]] std::optional<Morvane::ScanResult> currentResult() const;
    [[nodiscard]] bool hasCurrentResult() const { return currentResultPointer() != nullptr; }
    /// The applications that run: the override when given, else the last set the
    /// platform reported (asked on a worker, never on the UI thread; see refreshRunning).
    [[nodiscard]] QSet<QString> runningIDs() const;
    [[nodiscard]] double usedFraction() const;
    [[nodiscard]] QList<Morvane::FileEntry> visibleEntries() const;
    [[nodiscard]] QList<Morvane::FileEntry> selectedEntries() const;
    [[nodiscard]] qint64 selectedBytes() const;
    [[nodiscard]] int selectedCount() const { return int(selectedEntries().size()); }
    [[nodiscard]] qint64 junkBytes() const;
    [[nodiscard]] QString categoryAmount(Morvane::FileCategory category) const;
    [[nodiscard]] bool isLocked(const Morvane::FileEntry &entry, const QSet<QString> &running) const;
    [[nodiscard]] QString currentPageTitle() const { return pageTitle(m_page); }
    [[nodiscard]] int recordCount() const { return int(m_records.size()); }
    [[nodiscard]] int fileTypeRaw() const { return int(m_fileType); }
    [[nodiscard]] int categoryRaw() const { return m_category ? int(*m_category) : -1; }
    [[nodiscard]] QString noticeText() const { return m_notice.value_or(QString()); }
    [[nodiscard]] bool hasNotice() const { return m_notice.has_value(); }
    /// The entry of the current result with that id, if any.
    [[nodiscard]] std::optional<Morvane::FileEntry> entryById(const QUuid &id) const;

    // --- Operations ---------------------------------------------------------------
    Q_INVOKABLE void navigate(Varnoll::Page page);
    Q_INVOKABLE void refreshDisk();
    /// Asks the platform for the running applications on a worker; the answer replaces
    /// `runningIDs`. Nothing with an override. Scans and clean-ups ask on their own
    /// worker at their start, so what they are handed is never stale.
    void refreshRunning();
    /// Starts a scan of `kind`, of the current page's kind, or of junk.
    void scan(std::optional<Morvane::ScanKind> kind = std::nullopt);
    Q_INVOKABLE void scanCurrent() { scan(); }
    Q_INVOKABLE void scanKind(int rawKind);
    Q_INVOKABLE void cancelScan();

    void toggle(const Morvane::FileEntry &entry);
    Q_INVOKABLE void toggleId(const QString &id);
    Q_INVOKABLE void toggleVisible();

    Q_INVOKABLE void cleanSelection();
    /// The window asks before it closes. True when nothing would be lost by quitting
    /// now. While a clean-up moves items it answers false, says that it is finishing,
    /// and emits `quitReady` once the clean-up's record is saved; while the store files
    /// are written it answers false and emits `quitReady` when they are.
    Q_INVOKABLE bool requestQuit();
    /// True between `cleanSelection` starting the work and its record being saved.
    [[nodiscard]] bool cleaning() const { return m_cleanup != nullptr; }
    // Hand-offs to the desktop; when nothing could be shown, the notice says so.
    Q_INVOKABLE void openTrash();

    /// Puts one moved item of the history back where it was (positions in `records`
    /// and in its items), on a worker; `busy` until the history is saved. Nothing while
    /// busy or for an item that is not in the Trash.
    Q_INVOKABLE void restoreItem(int record, int item);
    /// Puts back every item of a record that still lies in the Trash.
    Q_INVOKABLE void restoreRecord(int record);
    /// True between a restore starting and its history entry being saved.
    [[nodiscard]] bool restoring() const { return m_restore != nullptr; }
    [[nodiscard]] ItemTrashState itemTrashState(int record, int item) const;
    /// Why the last attempt to put this item back failed; empty otherwise (kept until
    /// the application quits, not stored).
    [[nodiscard]] QString restoreFailure(int record, int item) const;
    /// Asks on a worker which moved items are no longer in the Trash; the answer
    /// updates `itemTrashState` (signal `trashStateChanged`).
    Q_INVOKABLE void refreshTrashPresence();
    /// Measures on a worker how much the Trashes hold (signal `trashUsageChanged`).
    Q_INVOKABLE void refreshTrashUsage();
    /// The last measurement; none before the first one ends.
    [[nodiscard]] const std::optional<Morvane::TrashUsage> &trashUsage() const { return m_trashUsage; }
    [[nodiscard]] bool trashMeasuring() const { return m_trashQueryActive; }
    Q_INVOKABLE void openPrivacy();
    Q_INVOKABLE void revealPath(const QString &path);

    void ignore(const Morvane::FileEntry &entry);
    Q_INVOKABLE void ignoreId(const QString &id);
    Q_INVOKABLE void removeIgnore(const QString &path);

    Q_INVOKABLE void changeFileFilters();
    /// Asks the window for a folder (signal `directoryRequested`); the answer comes
    /// back through `directoryChosen`.
    Q_INVOKABLE void chooseDirectory();
    /// The folder dialog's answer; an empty path means it was cancelled.
    Q_INVOKABLE void directoryChosen(const QString &path);
    void setDirectory(const QString &path);
    /// Opens a folder of the space page: from the space scan's tree when the folder
    /// lies in it (no scan), otherwise by scanning it.
    void drillInto(const Morvane::FileEntry &entry);
    Q_INVOKABLE void drillIntoId(const QString &id);
    /// Goes up one folder on the space page, from the tree while it holds the parent.
    Q_INVOKABLE void parentSpace();
    Q_INVOKABLE bool canGoToParent() const;

    // Two-way bindings of the views.
    void setSearch(const QString &search);
    void setMinimumSizeMB(qint64 value);
    void setOlderThanDays(int value);
    void setFileType(Morvane::FileTypeFilter type);
    void setFileTypeRaw(int raw);
    void setCategory(std::optional<Morvane::FileCategory> category);
    void setCategoryRaw(int raw);
    Q_INVOKABLE void clearNotice() { setNotice(std::nullopt); }
    void setShowReview(bool show);
    void setShowPolicy(bool show);

    /// The query the next scan would use (clamped, see the implementation).
    [[nodiscard]] Morvane::FileQuery makeQuery() const;
    [[nodiscard]] Morvane::ScanConfiguration makeConfiguration() const;

Q_SIGNALS:
    void pageChanged();
    void resultsChanged();
    void selectionChanged();
    void busyChanged();
    void activityChanged();
    void statusChanged();
    void examinedChanged();
    void totalDiskChanged();
    void freeDiskChanged();
    void recordsChanged();
    void preferencesChanged();
    void largeDirectoryChanged();
    void browserChanged();
    void searchChanged();
    void minimumSizeMBChanged();
    void olderThanDaysChanged();
    void fileTypeChanged();
    void categoryChanged();
    void noticeChanged();
    void showReviewChanged();
    void showPolicyChanged();
    // Derived values: emitted whenever one of their sources is assigned.
    void diskChanged();
    void currentResultChanged();
    void visibleEntriesChanged();
    void selectionSummaryChanged();
    void junkBytesChanged();
    /// The store worker went idle: everything asked for is read and written.
    void storeIdle();
    /// A quit asked for during a clean-up (or a save) may go ahead now: the record is saved.
    void quitReady();
    /// What is known of the moved items changed: put back (marked in `records`, whose
    /// order and number stay), gone from the Trash, or a restore failed.
    void trashStateChanged();
    /// A measurement of the Trashes began or ended.
    void trashUsageChanged();
    /// The window shows its folder dialog with these texts.
    void directoryRequested(const QString &prompt, const QString &message, const QString &currentFolder);

private:
    friend class MainThreadRelay;
    struct ScanOutcome;
    struct CleanupFinish {
        qint64 count = 0;
        qint64 untreated = 0;
        bool saveStarted = false; // its save is the one running now
    };
    struct PendingCleanup;
    struct StoreTask;
    using ItemRef = std::pair<QUuid, int>; // a record's id and an item's position in it
    struct RestoreFinish {
        qint64 restored = 0;
        qint64 failed = 0;
        QString name; // of the only item, when there was one
        QString reason; // why that one stayed
        bool saveStarted = false;
    };
    struct PendingRestore;

    [[nodiscard]] const Morvane::ScanResult *currentResultPointer() const;
    void setPage(Page page);
    void setResults(QHash<Morvane::ScanKind, Morvane::ScanResult> results);
    void setSelection(QSet<QUuid> selection);
    void setBusy(bool busy);
    /// Sets the activity and `busy` with it.
    void setActivity(Activity activity);
    void setStatus(const QString &status);
    void setExamined(qint64 examined);
    void setNotice(std::optional<QString> notice);
    void setRecords(QList<Morvane::CleanupRecord> records);
    void setPreferences(LocalPreferences preferences);
    void setLargeDirectory(const QString &path);
    void setDisk(qint64 total, qint64 free);

    void applyProgress(quint64 generation, const QString &message, qint64 count);
    void finishScan(quint64 generation, Morvane::ScanKind kind, const ScanOutcome &outcome);
    void finishCleanup(Morvane::ScanKind kind, const Morvane::CleanupRecord &record);
    void completeCleanup(const QString &saveText);
    void startRestore(const QList<ItemRef> &targets);
    void finishRestore(const QList<ItemRef> &targets, const QList<Morvane::RestoreOutcome> &outcomes);
    /// Marks the restored items in `m_records`; the restored paths.
    QSet<QString> markRestored(const QList<ItemRef> &targets, const QList<Morvane::RestoreOutcome> &outcomes);
    void completeRestore(const QString &saveText);
    /// Drops the results a restored path makes stale: those that list it, anything
    /// inside it or a folder holding it, or that searched a folder holding it.
    void dropResultsAround(const QSet<QString> &paths);
    [[nodiscard]] const Morvane::CleanupItemResult *historyItem(int record, int item) const;
    /// Asks for preferences, then history, to be written on the store worker; the
    /// outcome reaches `finishSave`. Writes wait for the history to be loaded.
    void persist();
    void startSave();
    [[nodiscard]] StoreSnapshot storeSnapshot() const;
    void finishSave(const StoreSaveOutcome &outcome, bool forCleanup, bool forRestore);
    void applySaveFlags(const StoreSaveOutcome &outcome);
    void applyLoadedHistory(LoadedHistory loaded);
    void mergeLoadedHistory(LoadedHistory loaded);
    void storeWentIdle();
    void applyRunning(const QSet<QString> &running);
    /// Unticks the first copy of every duplicate set whose remaining copies are all
    /// ticked; the notice says so.
    void keepOneCopyPerSet();
    /// A hand-off's report that sets `text` as the notice when nothing was shown.
    [[nodiscard]] CoreServices::Opened noticeUnless(const QString &text) const;
    /// The result without entries at or below any ignored path.
    [[nodiscard]] Morvane::ScanResult withoutIgnored(const Morvane::ScanResult &result) const;
    /// Sets the folder and drops the results that depend on it; `space` takes the place
    /// of the space result in the same change.
    void changeDirectory(const QString &path, std::optional<Morvane::ScanResult> space);
    /// Shows `path` from the space result's tree; false when the tree cannot.
    bool showSpaceFolder(const QString &path);

    std::shared_ptr<CoreServices> m_services;
    std::shared_ptr<MainThreadRelay> m_relay;

    // Startup and background-item handles: held for features no page offers.
    Morvane::BackgroundItemsInspector m_backgroundInspector;
    Morvane::NativeBackgroundController m_nativeBackgroundController;
    Morvane::LoginItemsController m_loginItemsController;
    Morvane::ManagedHiddenStartupController m_managedHiddenController;
    Morvane::StartupChangeJournal m_startupJournal;

    Page m_page = Page::overview;
    QHash<Morvane::ScanKind, Morvane::ScanResult> m_results;
    QSet<QUuid> m_selection;
    bool m_busy = false;
    Activity m_activity = Activity::idle;
    QString m_status;
    qint64 m_examined = 0;
    qint64 m_totalDisk = 0;
    qint64 m_freeDisk = 0;
    QList<Morvane::CleanupRecord> m_records;
    LocalPreferences m_preferences;
    QString m_largeDirectory;
    Morvane::BrowserKind m_browser = Morvane::BrowserKind::safari;
    QString m_search;
    qint64 m_minimumSizeMB = 100;
    int m_olderThanDays = 0;
    Morvane::FileTypeFilter m_fileType = Morvane::FileTypeFilter::all;
    std::optional<Morvane::FileCategory> m_category;
    std::optional<QString> m_notice;
    bool m_showReview = false;
    bool m_showPolicy = false;

    std::optional<Morvane::CancellationToken> m_worker; // present while a scan task exists
    std::shared_ptr<PendingCleanup> m_cleanup; // present from the clean-up's start until its record is saved
    bool m_cleanupApplied = false; // its record is in m_records already
    bool m_quitRequested = false;
    quint64 m_scanGeneration = 0; // the running scan's number, 0 when none
    quint64 m_scanCounter = 0;
    QString m_store;
    std::optional<QSet<QString>> m_runningOverride;
    QString m_home;
    QStringList m_applicationDirectories;
    QString m_systemLibrary;
    QStringList m_startupSystemDirectories;
    Morvane::BaseDirectories m_baseDirectories;
    QString m_downloadFolder;
    bool m_hasPrivacySettings = false;

    // The store worker: one read or write at a time, off the UI thread.
    bool m_historyLoaded = false;
    std::shared_ptr<StoreTask> m_storeTask; // the read or write running now
    bool m_saveWanted = false;
    bool m_setAsidePreferences = false; // the file there did not load: keep it before writing
    bool m_setAsideHistory = false;
    std::optional<CleanupFinish> m_cleanupAwaitingSave;

    // Restores from the history, and what is known of the moved items.
    std::shared_ptr<PendingRestore> m_restore; // present from a restore's start until its history is saved
    bool m_restoreApplied = false;
    std::optional<RestoreFinish> m_restoreAwaitingSave;
    QHash<QUuid, QSet<int>> m_goneFromTrash;
    QHash<QUuid, QHash<int, QString>> m_restoreFailures;
    bool m_presenceQueryActive = false;
    bool m_presenceQueryAgain = false;
    std::optional<Morvane::TrashUsage> m_trashUsage;
    bool m_trashQueryActive = false;
    bool m_trashQueryAgain = false;

    // The running applications, as last reported by a worker.
    QSet<QString> m_running;
    bool m_runningQueryActive = false;
    bool m_runningQueryAgain = false;
};

} // namespace Varnoll
