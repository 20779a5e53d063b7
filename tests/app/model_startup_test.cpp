// Start-up, stored files, pages and navigation of the model.
#include "support/FakeCore.h"

#include "app/StoreFiles.h"
#include "core/RecordJson.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace VarnollTest;
using Varnoll::Page;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class ModelStartupTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void firstLaunchStartsEmptyAndCreatesNothing()
    {
        Fixture f;
        auto model = f.makeModel();
        QCOMPARE(model->page(), Page::overview);
        QCOMPARE(model->status(), QStringLiteral("准备就绪"));
        QVERIFY(model->records().isEmpty());
        QVERIFY(model->preferences().ignoredPaths.isEmpty());
        QVERIFY(model->results().isEmpty());
        QVERIFY(!model->busy());
        QVERIFY(!model->hasWorker());
        QVERIFY(!QFileInfo::exists(f.store));
        QCOMPARE(QDir(f.home).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
        QCOMPARE(model->largeDirectory(), f.home + QStringLiteral("/Downloads"));
        QCOMPARE(model->applicationDirectories(),
            (QStringList { QStringLiteral("/Applications"), f.home + QStringLiteral("/Applications") }));
        QCOMPARE(model->startupJournal().url, f.store + QStringLiteral("/startup-changes.json"));
        QCOMPARE(model->totalDisk(), 500);
        QCOMPARE(model->freeDisk(), 125);
        QCOMPARE(model->usedFraction(), 0.75);
    }

    void defaultStoreIsThePlatformsApplicationDataFolder()
    {
        Fixture f;
        Varnoll::ModelOptions options;
        options.home = f.home;
        options.baseDirectories = BaseDirectories {};
        Varnoll::CleanerModel model(f.core, options);
#ifdef Q_OS_MACOS
        QCOMPARE(model.store(), f.home + QStringLiteral("/Library/Application Support/VarnollMac清理"));
#else
        QCOMPARE(model.store(), f.home + QStringLiteral("/.local/share/VarnollMac清理"));
#endif
    }

#ifndef Q_OS_MACOS
    // A Chinese home: xdg-user-dirs names ~/下载, and the XDG variables point elsewhere.
    void storeAndFilePagesFollowTheUsersOwnFolders()
    {
        Fixture f;
        const QString elsewhere = f.root.filePath(QStringLiteral("xdg"));
        QVERIFY(QDir().mkpath(elsewhere + QStringLiteral("/config")));
        QFile dirs(elsewhere + QStringLiteral("/config/user-dirs.dirs"));
        QVERIFY(dirs.open(QIODevice::WriteOnly));
        dirs.write("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/桌面\"\n"
                   "XDG_DOWNLOAD_DIR=\"$HOME/下载\"\n");
        dirs.close();
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(elsewhere + QStringLiteral("/config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(elsewhere + QStringLiteral("/data")));
        qputenv("XDG_CACHE_HOME", "relative/cache"); // relative: ignored
        Varnoll::ModelOptions options;
        options.home = f.home;
        Varnoll::CleanerModel model(f.core, options);
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CACHE_HOME");
        if (saved.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", saved);

        QCOMPARE(model.largeDirectory(), f.home + QStringLiteral("/下载"));
        QCOMPARE(model.store(), elsewhere + QStringLiteral("/data/VarnollMac清理"));
        const BaseDirectories bases = model.makeConfiguration().baseDirectories;
        QCOMPARE(bases.configHome, elsewhere + QStringLiteral("/config"));
        QCOMPARE(bases.dataHome, elsewhere + QStringLiteral("/data"));
        QVERIFY(bases.cacheHome.isEmpty());
        // The file pages scan it.
        QVERIFY(scanWith(model, *f.core, ScanKind::largeFiles, makeResult(ScanKind::largeFiles, {}, 5)));
        QCOMPARE(f.core->directories.last(), f.home + QStringLiteral("/下载"));
    }
#endif

    void malformedOrForeignFilesAreIgnoredSilently_data()
    {
        QTest::addColumn<QByteArray>("preferences");
        QTest::addColumn<QByteArray>("history");
        QTest::newRow("history is an object") << QByteArray(R"({"ignoredPaths":[]})") << QByteArray(R"({"a":1})");
        QTest::newRow("preferences without key") << QByteArray("{}") << QByteArray("[]");
        QTest::newRow("garbage") << QByteArray("\xff\x00nonsense", 10) << QByteArray("[{");
        QTest::newRow("wrong element types")
            << QByteArray(R"({"ignoredPaths":[1,2]})") << QByteArray(R"([{"id":"X","date":"today","items":[]}])");
        QTest::newRow("preferences is an array") << QByteArray(R"(["\/a"])") << QByteArray(R"([[]])");
    }

    void malformedOrForeignFilesAreIgnoredSilently()
    {
        QFETCH(QByteArray, preferences);
        QFETCH(QByteArray, history);
        Fixture f;
        writeFile(f.store + QStringLiteral("/preferences.json"), preferences);
        writeFile(f.store + QStringLiteral("/history.json"), history);
        auto model = f.makeModel();
        QVERIFY(model->preferences().ignoredPaths.isEmpty());
        QVERIFY(model->records().isEmpty());
        QVERIFY(!model->notice());
    }

    void readsBothSlashFormsAndIgnoresUnknownKeys()
    {
        Fixture f;
        writeFile(f.store + QStringLiteral("/preferences.json"),
            R"({"version":3,"ignoredPaths":["\/a\/b","/c/d"],"extra":{"x":1}})");
        writeFile(f.store + QStringLiteral("/history.json"),
            R"([{"id":"6F9619FF-8B86-D011-B42D-00C04FC964FF","date":700000000.5,"future":true,)"
            R"("items":[{"name":"a.zip","path":"\/home\/a.zip","moved":true,"message":"ok","bytes":10,"x":[]}]}])");
        auto model = f.makeModel();
        QCOMPARE(model->preferences().ignoredPaths, (QStringList { QStringLiteral("/a/b"), QStringLiteral("/c/d") }));
        QCOMPARE(model->records().size(), 1);
        const CleanupRecord &record = model->records().first();
        QCOMPARE(record.id, QUuid::fromString(QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF")));
        QCOMPARE(record.items.first().path, QStringLiteral("/home/a.zip"));
        QCOMPARE(record.count(), 1);
        QCOMPARE(record.bytes(), 10);
        QCOMPARE(record.date, dateFromReferenceSeconds(700000000.5));
    }

    void unreadableCapacityLeavesZeroAndNoFraction()
    {
        Fixture f;
        f.core->volume = std::nullopt;
        auto model = f.makeModel();
        QCOMPARE(model->totalDisk(), 0);
        QCOMPARE(model->freeDisk(), 0);
        QCOMPARE(model->usedFraction(), 0.0);
        // A later failing read keeps the last good figures.
        f.core->volume = VolumeCapacity { 1000, 0 };
        model->refreshDisk();
        QCOMPARE(model->usedFraction(), 1.0);
        f.core->volume = std::nullopt;
        model->refreshDisk();
        QCOMPARE(model->totalDisk(), 1000);
    }

    void runningOverrideIsUsedVerbatimAndThePlatformNeverAsked()
    {
        Fixture f;
        f.core->running = { QStringLiteral("live.app") };
        auto overridden = f.makeModel(QSet<QString> {});
        QVERIFY(overridden->runningIDs().isEmpty());
        QCOMPARE(f.core->runningQueries.load(), 0);
        // The live list is asked on a worker, once at start-up.
        auto live = f.makeModel(std::nullopt);
        QTRY_COMPARE(live->runningIDs(), QSet<QString> { QStringLiteral("live.app") });
        QCOMPARE(f.core->runningQueries.load(), 1);
    }

    void pagesKnowTheirListsAndVisibility()
    {
        QCOMPARE(Varnoll::mainPages(),
            (QList<Page> { Page::overview, Page::junk, Page::applications, Page::largeFiles, Page::space }));
        QCOMPARE(Varnoll::filePages(), (QList<Page> { Page::largeFiles, Page::duplicates, Page::installers }));
        for (Page hidden : { Page::systemJunk, Page::browser, Page::startup, Page::maintenance })
            QVERIFY(!Varnoll::pageIsVisible(hidden));
        for (Page shown : { Page::duplicates, Page::installers, Page::history, Page::settings })
            QVERIFY(Varnoll::pageIsVisible(shown));
        QCOMPARE(Varnoll::pageKind(Page::browser), std::optional<ScanKind>(ScanKind::browser));
        QCOMPARE(Varnoll::pageKind(Page::history), std::nullopt);
        for (Page page : Varnoll::allPages)
            QCOMPARE(Varnoll::pageFromId(Varnoll::pageId(page)), std::optional<Page>(page));
    }

    void navigationResetsFiltersAndDropsFilePageResults()
    {
        Fixture f;
        auto model = f.makeModel();
        QVERIFY(scanWith(*model, *f.core, ScanKind::junk, makeResult(ScanKind::junk, {})));
        model->navigate(Page::installers);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::installers, {})));
        QVERIFY(model->results().contains(ScanKind::installers));
        model->setSearch(QStringLiteral("x"));
        model->setCategory(FileCategory::logs);
        model->setFileType(FileTypeFilter::videos);

        model->navigate(Page::installers);
        QCOMPARE(model->minimumSizeMB(), 0);
        QCOMPARE(model->olderThanDays(), 30);
        QCOMPARE(model->search(), QString());
        QCOMPARE(model->category(), std::nullopt);
        QCOMPARE(model->fileType(), FileTypeFilter::all);
        QVERIFY(!model->results().contains(ScanKind::installers));

        model->navigate(Page::largeFiles);
        QCOMPARE(model->minimumSizeMB(), 100);
        QCOMPARE(model->olderThanDays(), 0);
        model->navigate(Page::junk);
        QVERIFY(model->results().contains(ScanKind::junk));
        QVERIFY(model->currentResult().has_value());
        for (Page page : { Page::overview, Page::history, Page::settings }) {
            model->navigate(page);
            QVERIFY(!model->currentResult());
        }
        model->navigate(Page::applications);
        QVERIFY(!model->currentResult()); // scan page never scanned
    }

    void navigationWhileBusyChangesNothing()
    {
        Fixture f;
        auto model = f.makeModel();
        Gate gate;
        f.core->onScan = [&gate](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &,
                             const CancellationToken &) {
            gate.wait();
            return makeResult(kind, {});
        };
        model->navigate(Page::largeFiles);
        model->setMinimumSizeMB(10);
        model->scan();
        QVERIFY(model->busy());
        model->navigate(Page::settings);
        QCOMPARE(model->page(), Page::largeFiles);
        QCOMPARE(model->minimumSizeMB(), 10);
        gate.open();
        QVERIFY(waitIdle(*model));
    }

    void pageSignalAlsoAnnouncesDerivedValues()
    {
        Fixture f;
        auto model = f.makeModel();
        QSignalSpy page(model.get(), &Varnoll::CleanerModel::pageChanged);
        QSignalSpy current(model.get(), &Varnoll::CleanerModel::currentResultChanged);
        QSignalSpy visible(model.get(), &Varnoll::CleanerModel::visibleEntriesChanged);
        QSignalSpy selection(model.get(), &Varnoll::CleanerModel::selectionChanged);
        QSignalSpy disk(model.get(), &Varnoll::CleanerModel::diskChanged);
        model->navigate(Page::junk);
        model->navigate(Page::junk); // equal value: still announced
        QCOMPARE(page.count(), 2);
        QVERIFY(current.count() >= 2);
        QVERIFY(visible.count() >= 2);
        QCOMPARE(selection.count(), 2);
        model->refreshDisk();
        QCOMPARE(disk.count(), 2); // total and free each announce the derived fraction
    }
};

QTEST_GUILESS_MAIN(ModelStartupTest)
#include "model_startup_test.moc"
