// varnoll-snapshot --out DIR: renders the window's pages in representative states
// (fake core, fixed data) to DIR/<page>-<state>.png. With --real, the states come from
// scans by the real core of a generated home folder, as DIR/real-<page>-<state>.png.
#include "support/PageSamples.h"
#include "support/RealHome.h"
#include "support/SampleData.h"
#include "support/UiHarness.h"

#include "Look.h"
#include "WindowContext.h"
#include "app/presentation/HistoryListModel.h"
#include "app/presentation/ResultListModel.h"
#include "core/Scanner.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QQuickItem>
#include <QTest>

#include <cstdio>
#include <functional>

using namespace VarnollTest;
using Varnoll::Page;

namespace {

struct Shot {
    QString name;
    std::function<void(UiHarness &)> prepare;
    std::function<void(UiHarness &)> beforeLoad = {}; // e.g. stored history to start from
};

void expand(UiHarness &h, const QString &name)
{
    if (QObject *disclosure = h.find(name, true))
        disclosure->setProperty("expanded", true);
    h.settle();
}

// The space page's map instead of its list, with the pointer over the cell named `hover`.
void showMap(UiHarness &h, const QString &hover = {})
{
    h.click(QStringLiteral("mapToggle"));
    h.settle(100);
    QObject *map = h.find(QStringLiteral("spaceMap"), true);
    if (!map || hover.isEmpty())
        return;
    QRectF cell;
    QMetaObject::invokeMethod(map, "cellRect", Q_RETURN_ARG(QRectF, cell), Q_ARG(QString, hover));
    const auto *item = qobject_cast<QQuickItem *>(map);
    if (cell.isEmpty() || !item)
        return;
    h.hover(item->mapToScene(cell.topLeft() + QPointF(8, 6)).toPoint());
    h.settle(700); // the tip's delay
}

void tickFirst(UiHarness &h, int count)
{
    const QList<FileEntry> visible = h.model->visibleEntries();
    for (int i = 0; i < count && i < visible.size(); ++i)
        h.model->toggle(visible.at(i));
}

// Presses Tab until the item named `name` has the keyboard focus (its ring drawn).
void tabTo(UiHarness &h, const QString &name)
{
    h.window->requestActivate();
    if (!QTest::qWaitForWindowActive(h.window))
        std::fprintf(stderr, "varnoll-snapshot: the window did not become active\n");
    for (int i = 0; i < 80; ++i) {
        QTest::keyClick(h.window, Qt::Key_Tab);
        if (h.window->activeFocusItem() && h.window->activeFocusItem()->objectName() == name)
            break;
    }
    h.settle();
}

// The window at its smallest, with the panels that make a page tallest open.
void atMinimum(UiHarness &h, Page page, const ScanResult &result)
{
    h.window->resize(Varnoll::Look::minimumWindowSize());
    h.model->navigate(page);
    h.publish(result);
    for (const QString &panel : { QStringLiteral("filterPanel"), QStringLiteral("scopeNotes") })
        expand(h, panel);
    h.settle(100);
}

QList<Shot> tour()
{
    return {
        { QStringLiteral("focus-sidebar"), [](UiHarness &h) { tabTo(h, QStringLiteral("nav_1")); } },
        { QStringLiteral("focus-row"),
            [](UiHarness &h) {
                h.model->navigate(Page::junk);
                h.publish(sampleJunk(h));
                tabTo(h, QStringLiteral("fileRow"));
                QTest::keyClick(h.window, Qt::Key_Down);
                QTest::keyClick(h.window, Qt::Key_Space);
                h.settle();
            } },
        { QStringLiteral("focus-review"),
            [](UiHarness &h) {
                h.model->navigate(Page::largeFiles);
                h.publish(sampleLargeFiles(h));
                tickFirst(h, 2);
                h.model->setShowReview(true);
                h.settle();
                tabTo(h, QStringLiteral("reviewConfirm"));
            } },
        { QStringLiteral("minimum-junk"), [](UiHarness &h) { atMinimum(h, Page::junk, sampleJunk(h)); } },
        { QStringLiteral("minimum-largeFiles"),
            [](UiHarness &h) { atMinimum(h, Page::largeFiles, manyLargeFiles(h, 40)); } },
        { QStringLiteral("minimum-largeFiles-scrolled"),
            [](UiHarness &h) {
                atMinimum(h, Page::largeFiles, manyLargeFiles(h, 40));
                tickFirst(h, 1);
                tabTo(h, QStringLiteral("reviewButton"));
            } },
        { QStringLiteral("minimum-applications"),
            [](UiHarness &h) { atMinimum(h, Page::applications, sampleApplications(h)); } },
        { QStringLiteral("minimum-duplicates"),
            [](UiHarness &h) { atMinimum(h, Page::duplicates, sampleDuplicates(h)); } },
        { QStringLiteral("minimum-space"), [](UiHarness &h) { atMinimum(h, Page::space, sampleSpace(h)); } },
        { QStringLiteral("overview-default"), [](UiHarness &) {} },
        { QStringLiteral("overview-policy"), [](UiHarness &h) { h.model->setShowPolicy(true); } },
        { QStringLiteral("junk-introduction"), [](UiHarness &h) { h.model->navigate(Page::junk); } },
        { QStringLiteral("junk-progress"),
            [](UiHarness &h) {
                auto gate = std::make_shared<Gate>();
                h.fixture.core->onScan = [gate](ScanKind kind, const QString &, const FileQuery &,
                                             const ProgressFn &progress, const CancellationToken &) {
                    progress(QStringLiteral("正在检查用户缓存"), 1284);
                    gate->wait();
                    ScanResult empty;
                    empty.kind = kind;
                    return empty;
                };
                h.model->navigate(Page::junk);
                h.model->scan();
                (void)QTest::qWaitFor([&] { return h.model->examined() == 1284; });
                h.settle(100);
                h.release = [gate] { gate->open(); };
            } },
        { QStringLiteral("junk-result"),
            [](UiHarness &h) {
                h.model->navigate(Page::junk);
                h.publish(sampleJunk(h));
                tickFirst(h, 2);
            } },
        { QStringLiteral("junk-category"),
            [](UiHarness &h) {
                h.model->navigate(Page::junk);
                h.publish(sampleJunk(h));
                h.model->setCategory(FileCategory::developerCache);
            } },
        { QStringLiteral("junk-empty"),
            [](UiHarness &h) {
                h.model->navigate(Page::junk);
                ScanResult empty = makeResult(ScanKind::junk, {}, CoverageState::complete,
                    { FileCategory::userCache, FileCategory::logs, FileCategory::developerCache });
                empty.date = sampleDate();
                h.publish(empty);
            } },
        { QStringLiteral("junk-search"),
            [](UiHarness &h) {
                h.model->navigate(Page::junk);
                h.publish(sampleJunk(h));
                h.model->setSearch(QStringLiteral("没有这个文件"));
            } },
        { QStringLiteral("junk-notice"),
            [](UiHarness &h) {
                h.model->navigate(Page::junk);
                h.publish(sampleJunk(h));
                // A failed rescan keeps the result and reports in the banner; a long
                // report wraps there.
                h.fixture.core->onScan = [](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                                             const CancellationToken &) -> ScanResult {
                    throw Morvane::ScanError(QStringLiteral(
                        "无法打开扫描位置“~/.cache/mozilla/firefox/x1y2.default/cache2/entries”：权限不足。"
                        "请在系统设置中允许访问此文件夹，或把它加入忽略列表后重新扫描。"));
                };
                h.model->scan();
                waitIdle(*h.model);
            } },
        { QStringLiteral("junk-cleaning"),
            [](UiHarness &h) {
                h.model->navigate(Page::junk);
                h.publish(sampleJunk(h));
                tickFirst(h, 2);
                auto gate = std::make_shared<Gate>();
                h.fixture.core->onClean
                    = [gate](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &,
                          const QList<DuplicateGroup> &, const QList<FileEntry> &) {
                          gate->wait();
                          return recordFor(snapshot, ids, {});
                      };
                h.model->cleanSelection();
                h.settle(100);
                h.release = [gate] { gate->open(); };
            } },
        { QStringLiteral("junk-closing"),
            [](UiHarness &h) {
                // The window closed while items move: it stays and says it is finishing.
                h.model->navigate(Page::junk);
                h.publish(sampleJunk(h));
                tickFirst(h, 2);
                auto gate = std::make_shared<Gate>();
                h.fixture.core->onClean
                    = [gate](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &,
                          const QList<DuplicateGroup> &, const QList<FileEntry> &) {
                          gate->wait();
                          return recordFor(snapshot, ids, {});
                      };
                h.model->cleanSelection();
                h.window->close();
                h.settle(100);
                h.release = [gate] { gate->open(); };
            } },
        { QStringLiteral("junk-review"),
            [](UiHarness &h) {
                h.model->navigate(Page::junk);
                ScanResult result = sampleJunk(h);
                result.entries[2].category = FileCategory::applicationData;
                h.publish(result);
                tickFirst(h, 3);
                h.model->setShowReview(true);
            } },
        { QStringLiteral("junk-done"),
            [](UiHarness &h) {
                h.model->navigate(Page::junk);
                h.publish(sampleJunk(h));
                tickFirst(h, 3);
                h.model->cleanSelection();
                waitIdle(*h.model);
            } },
        { QStringLiteral("largeFiles-introduction"), [](UiHarness &h) { h.model->navigate(Page::largeFiles); } },
        { QStringLiteral("largeFiles-result"),
            [](UiHarness &h) {
                h.model->navigate(Page::largeFiles);
                h.publish(sampleLargeFiles(h));
                tickFirst(h, 1);
            } },
        { QStringLiteral("duplicates-introduction"), [](UiHarness &h) { h.model->navigate(Page::duplicates); } },
        { QStringLiteral("installers-introduction"), [](UiHarness &h) { h.model->navigate(Page::installers); } },
        { QStringLiteral("applications-introduction"), [](UiHarness &h) { h.model->navigate(Page::applications); } },
        { QStringLiteral("space-introduction"), [](UiHarness &h) { h.model->navigate(Page::space); } },
        { QStringLiteral("history-default"), [](UiHarness &h) { h.model->navigate(Page::history); } },
        { QStringLiteral("settings-default"), [](UiHarness &h) { h.model->navigate(Page::settings); } },
        { QStringLiteral("largeFiles-filters"),
            [](UiHarness &h) {
                h.model->navigate(Page::largeFiles);
                h.publish(sampleLargeFiles(h));
                expand(h, QStringLiteral("filterPanel"));
            } },
        { QStringLiteral("installers-filters"),
            [](UiHarness &h) {
                h.model->navigate(Page::installers);
                h.settle();
                expand(h, QStringLiteral("filterPanel"));
            } },
        { QStringLiteral("applications-result"),
            [](UiHarness &h) {
                h.model->navigate(Page::applications);
                h.publish(sampleApplications(h));
                expand(h, QStringLiteral("associatedDisclosure"));
            } },
        { QStringLiteral("applications-flatpak"),
            [](UiHarness &h) {
                // Scanned by the real core: data of two Flatpak applications installed nowhere.
                for (const char *id : { "org.gimp.GIMP", "com.example.Notes" }) {
                    const QString data = h.fixture.home + QStringLiteral("/.var/app/") + QLatin1String(id);
                    QDir().mkpath(data + QStringLiteral("/config"));
                    QFile file(data + QStringLiteral("/config/settings.json"));
                    if (file.open(QIODevice::WriteOnly))
                        file.write(QByteArray(200'000, 'x'));
                }
                ScanConfiguration configuration = h.model->makeConfiguration();
                configuration.platform = RulePlatform::Linux;
                configuration.flatpakInstallations = QStringList {};
                configuration.runningBundleIDs = { QStringLiteral("com.example.Notes") };
                h.model->navigate(Page::applications);
                h.publish(Scanner(configuration).scan(ScanKind::applications, {}, {}, {}, CancellationToken()));
            } },
        { QStringLiteral("largeFiles-missing"),
            [](UiHarness &h) {
                h.model->navigate(Page::largeFiles);
                ScanResult missing
                    = makeResult(ScanKind::largeFiles, {}, CoverageState::missing, { FileCategory::largeFile });
                missing.scopeNotes = { QStringLiteral("文件夹不存在：~/Downloads") };
                h.publish(missing);
            } },
        { QStringLiteral("applications-search"),
            [](UiHarness &h) {
                h.model->navigate(Page::applications);
                h.publish(sampleApplications(h));
                h.model->setSearch(QStringLiteral("sessions.json"));
                h.settle();
                expand(h, QStringLiteral("associatedDisclosure"));
            } },
        { QStringLiteral("applications-diagnostics"),
            [](UiHarness &h) {
                h.model->navigate(Page::applications);
                h.publish(sampleApplications(h));
                if (QObject *view = h.find(QStringLiteral("scanDiagnosticsView"), true)) {
                    for (QObject *child : view->findChildren<QObject *>())
                        if (child->property("label").toString().contains(QStringLiteral("阻止归属核实")))
                            child->setProperty("expanded", true);
                }
                h.settle();
            } },
        { QStringLiteral("duplicates-result"),
            [](UiHarness &h) {
                h.model->navigate(Page::duplicates);
                h.publish(sampleDuplicates(h));
            } },
        { QStringLiteral("duplicates-selected"),
            [](UiHarness &h) {
                h.model->navigate(Page::duplicates);
                h.publish(sampleDuplicates(h));
                h.model->toggleVisible();
            } },
        { QStringLiteral("duplicates-empty"),
            [](UiHarness &h) {
                h.model->navigate(Page::duplicates);
                h.publish(makeResult(ScanKind::duplicates, {}, CoverageState::complete, { FileCategory::duplicate }));
            } },
        { QStringLiteral("space-result"),
            [](UiHarness &h) {
                h.model->navigate(Page::space);
                h.publish(sampleSpace(h));
                expand(h, QStringLiteral("sizeNote"));
            } },
        { QStringLiteral("space-map"),
            [](UiHarness &h) {
                h.model->navigate(Page::space);
                h.publish(sampleSpaceTree(h));
                showMap(h, QStringLiteral("dataset"));
            } },
        { QStringLiteral("space-map-folder"),
            [](UiHarness &h) {
                h.model->navigate(Page::space);
                h.publish(sampleSpaceTree(h));
                for (const FileEntry &entry : h.model->visibleEntries()) {
                    if (entry.name == QStringLiteral("photos"))
                        h.model->drillInto(entry);
                }
                showMap(h);
            } },
        { QStringLiteral("space-empty"),
            [](UiHarness &h) {
                h.model->navigate(Page::space);
                h.publish(makeResult(ScanKind::space, {}, CoverageState::complete, { FileCategory::spaceItem }));
            } },
        { QStringLiteral("history-records"),
            [](UiHarness &h) {
                h.model->navigate(Page::history);
                h.settle();
                h.openHistoryRecords(2);
            },
            [](UiHarness &h) { restartWithStore(h, sampleRecords(h), {}); } },
        { QStringLiteral("history-restore"),
            [](UiHarness &h) {
                // "全部放回" on the first record: one item comes back, the other's place is taken.
                h.fixture.core->onRestore = [](const CleanupItemResult &item) {
                    RestoreOutcome outcome;
                    outcome.restored = item.name == QStringLiteral("thumbnails");
                    outcome.message = outcome.restored ? QStringLiteral("已放回原处。")
                                                       : QStringLiteral("原处已有同名项目，为免覆盖，未放回。");
                    return outcome;
                };
                h.model->navigate(Page::history);
                h.settle();
                h.openHistoryRecords();
                // The failed clean-up closed, so that the third record's item shows too.
                if (auto *history = h.engine->singletonInstance<Varnoll::HistoryListModel *>(
                        qmlTypeId("Varnoll.Model", 1, 0, "History")))
                    history->setExpanded(1, false);
                h.model->restoreRecord(0);
                waitIdle(*h.model);
                h.settle();
                if (QObject *list = h.find(QStringLiteral("historyView"), true))
                    QMetaObject::invokeMethod(list, "positionViewAtEnd");
                h.settle();
            },
            [](UiHarness &h) {
                const QList<CleanupRecord> records = sampleRecords(h);
                h.fixture.core->gone.insert(records.last().id, { 0 }); // emptied from the Trash since
                restartWithStore(h, records, {});
            } },
        { QStringLiteral("settings-filled"),
            [](UiHarness &h) {
                h.model->navigate(Page::settings);
                h.settle();
                expand(h, QStringLiteral("rulesDisclosure"));
            },
            [](UiHarness &h) { restartWithStore(h, {}, sampleIgnoredPaths(h)); } },
        { QStringLiteral("settings-lower"),
            [](UiHarness &h) {
                h.model->navigate(Page::settings);
                h.settle();
                // Scrolled to the end: the ignore list, file access and About.
                if (QObject *page = h.find(QStringLiteral("settingsView"), true)) {
                    if (auto *flick = page->property("contentItem").value<QQuickItem *>())
                        flick->setProperty(
                            "contentY", qMax(0.0, flick->property("contentHeight").toDouble() - flick->height()));
                }
            },
            [](UiHarness &h) { restartWithStore(h, {}, sampleIgnoredPaths(h)); } },
    };
}

struct RealShot {
    QString name;
    std::function<void(UiHarness &, RealHome &)> prepare;
};

void tickNamed(UiHarness &h, const QStringList &names)
{
    for (const FileEntry &entry : h.model->visibleEntries()) {
        if (names.contains(entry.name))
            h.model->toggle(entry);
    }
}

void clean(UiHarness &h)
{
    h.model->cleanSelection();
    waitIdle(*h.model, 60000);
    h.settle(60);
}

QList<RealShot> realTour()
{
    const QStringList stale { QStringLiteral("thumbnails-2025"), QStringLiteral("fontconfig-2024") };
    return {
        { QStringLiteral("real-overview-scanned"),
            [](UiHarness &h, RealHome &) {
                h.scanPage(Page::junk);
                h.model->navigate(Page::overview);
            } },
        { QStringLiteral("real-junk-result"),
            [stale](UiHarness &h, RealHome &) {
                h.scanPage(Page::junk);
                tickNamed(h, stale);
            } },
        { QStringLiteral("real-junk-review"),
            [stale](UiHarness &h, RealHome &) {
                h.scanPage(Page::junk);
                tickNamed(h, stale);
                h.model->setShowReview(true);
            } },
        { QStringLiteral("real-junk-done"),
            [stale](UiHarness &h, RealHome &) {
                h.scanPage(Page::junk);
                tickNamed(h, stale);
                clean(h);
            } },
        { QStringLiteral("real-applications-result"),
            [](UiHarness &h, RealHome &) {
                h.scanPage(Page::applications);
                expand(h, QStringLiteral("associatedDisclosure"));
            } },
        { QStringLiteral("real-applications-diagnostics"),
            [](UiHarness &h, RealHome &home) {
                // Only a user who cannot read every folder sees this one filled.
                home.lockFolder(QStringLiteral(".var/app"));
                h.scanPage(Page::applications);
                if (QObject *view = h.find(QStringLiteral("scanDiagnosticsView"), true)) {
                    for (QObject *child : view->findChildren<QObject *>())
                        if (child->property("label").toString().contains(QStringLiteral("阻止归属核实")))
                            child->setProperty("expanded", true);
                }
                h.settle();
            } },
        { QStringLiteral("real-largeFiles-result"),
            [](UiHarness &h, RealHome &) {
                h.model->navigate(Page::largeFiles);
                h.model->setMinimumSizeMB(1);
                h.scanPage(Page::largeFiles);
                tickNamed(h, { QStringLiteral("backup-2024.tar.gz") });
            } },
        { QStringLiteral("real-largeFiles-filters"),
            [](UiHarness &h, RealHome &) {
                h.scanPage(Page::largeFiles);
                expand(h, QStringLiteral("filterPanel"));
            } },
        { QStringLiteral("real-installers-result"), [](UiHarness &h, RealHome &) { h.scanPage(Page::installers); } },
        { QStringLiteral("real-duplicates-result"), [](UiHarness &h, RealHome &) { h.scanPage(Page::duplicates); } },
        { QStringLiteral("real-duplicates-selected"),
            [](UiHarness &h, RealHome &) {
                h.scanPage(Page::duplicates);
                h.model->toggleVisible();
                h.settle();
            } },
        { QStringLiteral("real-space-result"),
            [](UiHarness &h, RealHome &) {
                h.scanPage(Page::space);
                expand(h, QStringLiteral("sizeNote"));
            } },
        { QStringLiteral("real-space-folder"),
            [](UiHarness &h, RealHome &) {
                h.scanPage(Page::space);
                for (const FileEntry &entry : h.model->visibleEntries()) {
                    if (entry.name == QStringLiteral("photos"))
                        h.model->drillInto(entry);
                }
                waitIdle(*h.model, 60000);
            } },
        { QStringLiteral("real-space-map"),
            [](UiHarness &h, RealHome &) {
                h.scanPage(Page::space);
                showMap(h, QStringLiteral("photos"));
            } },
        { QStringLiteral("real-space-map-home"),
            [](UiHarness &h, RealHome &home) {
                h.model->navigate(Page::space);
                h.model->setDirectory(home.home());
                h.scanPage(Page::space);
                showMap(h);
            } },
        { QStringLiteral("real-history-records"),
            [stale](UiHarness &h, RealHome &home) {
                h.scanPage(Page::junk);
                tickNamed(h, stale);
                // Changed after the scan: left where it is, and the record says why.
                QFile changed(home.path(QStringLiteral(".cache/fontconfig-2024/x.cache-9")));
                if (changed.open(QIODevice::Append))
                    changed.write("more");
                changed.close();
                clean(h);
                h.scanPage(Page::duplicates);
                h.model->toggleVisible();
                clean(h);
                h.model->navigate(Page::history);
                h.settle();
                h.openHistoryRecords();
            } },
        { QStringLiteral("real-settings-ignored"),
            [](UiHarness &h, RealHome &) {
                h.scanPage(Page::largeFiles);
                for (const FileEntry &entry : h.model->visibleEntries())
                    h.model->ignore(entry);
                h.model->navigate(Page::settings);
                h.settle();
            } },
    };
}

/// Loads the window, brings it into a state and writes its picture; false on failure.
bool shoot(UiHarness &h, const QString &out, const QString &name, const std::function<void()> &prepare)
{
    if (!h.load()) {
        std::fprintf(stderr, "varnoll-snapshot: %s: the window did not load\n%s\n", qPrintable(name),
            qPrintable(h.errors.join(u'\n')));
        return false;
    }
    prepare();
    h.settle(150);
    const QImage image = h.window->grabWindow();
    const QString file = QDir(out).filePath(name + QStringLiteral(".png"));
    const bool saved = !image.isNull() && image.save(file);
    if (saved)
        std::printf("%s\n", qPrintable(file));
    else
        std::fprintf(stderr, "varnoll-snapshot: could not write %s\n", qPrintable(file));
    if (h.release)
        h.release();
    waitIdle(*h.model);
    for (const QString &error : std::as_const(h.errors))
        std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(error));
    return saved;
}

int realSnapshots(const QString &out, const QString &only)
{
    int failures = 0;
    for (const RealShot &shot : realTour()) {
        if (!only.isEmpty() && !shot.name.contains(only))
            continue;
        RealHome home;
        if (!home.isValid()) {
            std::fprintf(stderr, "varnoll-snapshot: %s\n", qPrintable(home.error()));
            return 1;
        }
        home.activate();
        UiHarness h(std::make_shared<RecordingServices>(), home.home());
        failures += shoot(h, out, shot.name, [&] { shot.prepare(h, home); }) ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}

// The space page's list and map of any folder, scanned by the real core.
int folderSnapshots(const QString &out, const QString &folder)
{
    int failures = 0;
    for (const bool map : { false, true }) {
        UiHarness h(std::make_shared<RecordingServices>(), QDir::homePath());
        const QString name = QStringLiteral("space-folder-") + (map ? QStringLiteral("map") : QStringLiteral("list"));
        failures += shoot(h, out, name,
                        [&] {
                            h.model->navigate(Page::space);
                            h.model->setDirectory(folder);
                            h.scanPage(Page::space, 600000);
                            if (map)
                                showMap(h);
                        })
            ? 0
            : 1;
    }
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders the window's pages to PNG files."));
    parser.addHelpOption();
    parser.addOption({ QStringLiteral("out"), QStringLiteral("Folder for the pictures."), QStringLiteral("DIR") });
    parser.addOption({ QStringLiteral("only"), QStringLiteral("Render only states whose name contains TEXT."),
        QStringLiteral("TEXT") });
    parser.addOption({ QStringLiteral("real"),
        QStringLiteral("Scan a generated home folder with the real core instead of fixed data.") });
    parser.addOption({ QStringLiteral("space"),
        QStringLiteral("Render the space page's list and map of FOLDER, scanned by the real core."),
        QStringLiteral("FOLDER") });
    parser.process(app);
    const QString out = parser.value(QStringLiteral("out"));
    if (out.isEmpty()) {
        std::fprintf(stderr, "varnoll-snapshot: --out DIR is required\n");
        return 2;
    }
    QDir().mkpath(out);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    Varnoll::prepareApplicationLook();
    if (parser.isSet(QStringLiteral("space")))
        return folderSnapshots(out, parser.value(QStringLiteral("space")));
    if (parser.isSet(QStringLiteral("real")))
        return realSnapshots(out, parser.value(QStringLiteral("only")));

    int failures = 0;
    for (const Shot &shot : tour()) {
        if (parser.isSet(QStringLiteral("only")) && !shot.name.contains(parser.value(QStringLiteral("only"))))
            continue;
        UiHarness h;
        if (shot.beforeLoad)
            shot.beforeLoad(h);
        failures += shoot(h, out, shot.name, [&] { shot.prepare(h); }) ? 0 : 1;
    }
    return failures == 0 ? 0 : 1;
}
