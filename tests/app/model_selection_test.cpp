// Which entries are shown, ticked and refused; totals and category amounts.
#include "support/FakeCore.h"

#include "app/Format.h"

#include <QSignalSpy>
#include <QTest>

using namespace VarnollTest;
using Varnoll::CleanerModel;
using Varnoll::Page;

namespace {

const QString kKeepOne = QStringLiteral("每组至少保留一份。先取消另一份的选择，再调整保留文件。");
const QString kLocked = QStringLiteral("请先退出对应应用及其辅助程序，再选择此项目。");
const QString kKeptFirst = QStringLiteral("每组已保留列表第一份；可逐项调整。扫描不会自动选择文件。");

} // namespace

class ModelSelectionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchAndCategoryFilterTheShownEntriesOnly()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::junk);
        const FileEntry spaced = makeEntry(QStringLiteral("/h/My Cache"), 10, FileCategory::userCache);
        const FileEntry log = makeEntry(QStringLiteral("/h/logs/App.LOG"), 20, FileCategory::logs);
        const FileEntry dev = makeEntry(QStringLiteral("/h/dev/Gradle"), 30, FileCategory::developerCache);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::junk, { spaced, log, dev })));
        QCOMPARE(model->visibleEntries(), model->currentResult()->entries);

        model->setSearch(QStringLiteral(" "));
        QCOMPARE(model->visibleEntries(), QList<FileEntry> { spaced });
        model->setSearch(QStringLiteral("app.log")); // case-insensitive, on the name
        QCOMPARE(model->visibleEntries(), QList<FileEntry> { log });
        model->setSearch(QStringLiteral("/H/DEV")); // or on the path
        QCOMPARE(model->visibleEntries(), QList<FileEntry> { dev });
        model->setSearch(QString());
        model->setCategory(FileCategory::logs);
        QCOMPARE(model->visibleEntries(), QList<FileEntry> { log });

        // A ticked entry the filters hide is still selected, counted and cleaned.
        model->setCategory(std::nullopt);
        model->toggle(dev);
        model->setSearch(QStringLiteral("nothing matches"));
        QVERIFY(model->visibleEntries().isEmpty());
        QCOMPARE(model->selectedEntries(), QList<FileEntry> { dev });
        QCOMPARE(model->selectedBytes(), 30);
    }

    void keepOneCopyRuleGuardsEveryGroup()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::duplicates);
        QList<FileEntry> three;
        for (int i = 0; i < 3; ++i)
            three.append(makeEntry(QStringLiteral("/d/copy%1").arg(i), 100, FileCategory::duplicate));
        QList<FileEntry> two = { makeEntry(QStringLiteral("/d/pair0"), 5, FileCategory::duplicate),
            makeEntry(QStringLiteral("/d/pair1"), 5, FileCategory::duplicate) };
        ScanResult result
            = makeResult(ScanKind::duplicates, three + two, CoverageState::complete, { FileCategory::duplicate });
        result.duplicateGroups = { makeGroup(three), makeGroup(two) };
        QVERIFY(scanWith(*model, *f.core, std::nullopt, result));

        model->toggle(three[0]);
        model->toggle(three[1]);
        QVERIFY(!model->notice());
        model->toggle(three[2]);
        QCOMPARE(model->notice(), std::optional<QString>(kKeepOne));
        QCOMPARE(model->selection(), (QSet<QUuid> { three[0].id, three[1].id }));
        model->toggle(three[0]); // unticking is never refused
        model->toggle(three[2]);
        QCOMPARE(model->selection(), (QSet<QUuid> { three[1].id, three[2].id }));

        model->toggle(two[0]);
        model->clearNotice();
        model->toggle(two[1]);
        QCOMPARE(model->notice(), std::optional<QString>(kKeepOne));
        model->toggle(two[0]);
        QVERIFY(!model->selection().contains(two[0].id));
    }

    void keepOneCopyRuleHoldsAfterAnIgnore()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::duplicates);
        QList<FileEntry> three;
        for (int i = 0; i < 3; ++i)
            three.append(makeEntry(QStringLiteral("/d/copy%1").arg(i), 100, FileCategory::duplicate));
        ScanResult result
            = makeResult(ScanKind::duplicates, three, CoverageState::complete, { FileCategory::duplicate });
        result.duplicateGroups = { makeGroup(three) };
        QVERIFY(scanWith(*model, *f.core, std::nullopt, result));
        model->toggle(three[1]);
        model->toggle(three[2]);
        // Ignoring the one unticked copy leaves two, both ticked: the first of them stays.
        model->ignore(three[0]);
        QCOMPARE(model->currentResult()->duplicateGroups.first().files.size(), 2);
        QCOMPARE(model->selection(), QSet<QUuid> { three[2].id });
        QCOMPARE(
            model->notice(), std::optional<QString>(QStringLiteral("每组至少保留一份，已取消勾选“copy1”，它将保留。")));
        QCOMPARE(model->selectedEntries(), QList<FileEntry> { three[2] });
    }

    void duplicateOutsideEveryGroupIsTickedWithoutTheGroupCheck()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::duplicates);
        const FileEntry loner = makeEntry(QStringLiteral("/d/loner"), 5, FileCategory::duplicate);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::duplicates, { loner })));
        model->toggle(loner);
        QVERIFY(model->selection().contains(loner.id));
        QVERIFY(!model->notice());
    }

    void runningApplicationLocksItsEntriesBothWays()
    {
        Fixture f;
        auto model = f.makeModel(std::nullopt); // live running list from the fake platform
        model->navigate(Page::applications);
        const FileEntry app = makeEntry(QStringLiteral("/Applications/Tool.app"), 10, FileCategory::application,
            QStringLiteral("com.example.tool"));
        const FileEntry data = makeEntry(QStringLiteral("/h/Library/Caches/com.example.tool"), 5,
            FileCategory::applicationData, QStringLiteral("com.example.tool"));
        const FileEntry free = makeEntry(QStringLiteral("/h/other"), 1, FileCategory::other);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::applications, { app, data, free })));

        model->toggle(app);
        QVERIFY(model->selection().contains(app.id));
        f.core->running = { QStringLiteral("com.example.tool") };
        QVERIFY(refreshRunning(*model, *f.core));
        model->toggle(app); // cannot untick while it runs
        QCOMPARE(model->notice(), std::optional<QString>(kLocked));
        QVERIFY(model->selection().contains(app.id));
        model->toggle(data);
        QVERIFY(!model->selection().contains(data.id));
        model->toggle(free); // no bundle identifier: never locked
        QVERIFY(model->selection().contains(free.id));
        f.core->running.clear(); // the application quit
        QVERIFY(refreshRunning(*model, *f.core));
        model->toggle(app);
        QVERIFY(!model->selection().contains(app.id));
    }

    void browserDataIsLockedWhileAHelperRuns()
    {
        Fixture f;
        auto model = f.makeModel(std::nullopt);
        model->navigate(Page::junk);
        const FileEntry data = makeEntry(
            QStringLiteral("/h/chrome-data"), 5, FileCategory::browserData, QStringLiteral("com.google.Chrome"));
        const FileEntry cache = makeEntry(
            QStringLiteral("/h/chrome-cache"), 5, FileCategory::userCache, QStringLiteral("com.google.Chrome"));
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::junk, { data, cache })));
        f.core->running = { QStringLiteral("com.google.Chrome.helper.Renderer") };
        QVERIFY(refreshRunning(*model, *f.core));
        model->toggle(data);
        QCOMPARE(model->notice(), std::optional<QString>(kLocked));
        QVERIFY(model->selection().isEmpty());
        model->toggle(cache); // only browser data follows the helpers
        QVERIFY(model->selection().contains(cache.id));
    }

    void spaceItemsAreNeverTicked()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::space);
        const FileEntry child = makeEntry(QStringLiteral("/d/folder"), 5, FileCategory::spaceItem);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::space, { child })));
        model->toggle(child);
        QVERIFY(model->selection().isEmpty());
        QVERIFY(!model->notice());
        model->toggleVisible();
        QVERIFY(model->selection().isEmpty());
    }

    void selectAllOnDuplicatesKeepsTheFirstVisibleCopy()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::duplicates);
        QList<FileEntry> four;
        for (int i = 0; i < 4; ++i)
            four.append(makeEntry(QStringLiteral("/d/four%1").arg(i), 10, FileCategory::duplicate));
        QList<FileEntry> pair = { makeEntry(QStringLiteral("/d/pair-a"), 3, FileCategory::duplicate),
            makeEntry(QStringLiteral("/e/pair-b"), 3, FileCategory::duplicate) };
        ScanResult result
            = makeResult(ScanKind::duplicates, four + pair, CoverageState::complete, { FileCategory::duplicate });
        result.duplicateGroups = { makeGroup(four), makeGroup(pair) };
        QVERIFY(scanWith(*model, *f.core, std::nullopt, result));

        model->setSearch(QStringLiteral("/d/")); // the pair has one visible copy only
        model->toggleVisible();
        QCOMPARE(model->selection(), (QSet<QUuid> { four[1].id, four[2].id, four[3].id }));
        QCOMPARE(model->notice(), std::optional<QString>(kKeptFirst));
        model->toggleVisible(); // again: clears everything, the notice stays
        QVERIFY(model->selection().isEmpty());
        QCOMPARE(model->notice(), std::optional<QString>(kKeptFirst));

        model->setSearch(QStringLiteral("nothing"));
        model->clearNotice();
        model->toggleVisible(); // nothing added, the notice still explains
        QVERIFY(model->selection().isEmpty());
        QCOMPARE(model->notice(), std::optional<QString>(kKeptFirst));
    }

    void selectAllElsewhereTogglesTheEligibleShownEntries()
    {
        Fixture f;
        const FileEntry a = makeEntry(QStringLiteral("/d/a"), 1);
        const FileEntry b = makeEntry(QStringLiteral("/d/b"), 2);
        const FileEntry hidden = makeEntry(QStringLiteral("/x/hidden"), 4);
        const FileEntry locked
            = makeEntry(QStringLiteral("/d/locked"), 8, FileCategory::largeFile, QStringLiteral("run.app"));
        auto overridden = f.makeModel(QSet<QString> { QStringLiteral("run.app") });
        overridden->navigate(Page::largeFiles);
        QVERIFY(
            scanWith(*overridden, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { a, b, hidden, locked })));
        overridden->toggle(hidden);
        overridden->setSearch(QStringLiteral("/d/"));
        overridden->toggle(a);
        overridden->toggleVisible(); // b was unticked: tick all eligible shown
        QCOMPARE(overridden->selection(), (QSet<QUuid> { a.id, b.id, hidden.id }));
        overridden->toggleVisible(); // all eligible shown ticked: untick exactly those
        QCOMPARE(overridden->selection(), QSet<QUuid> { hidden.id });
        overridden->setSearch(QStringLiteral("none"));
        overridden->toggleVisible(); // nothing eligible shown: V is empty and a subset
        QCOMPARE(overridden->selection(), QSet<QUuid> { hidden.id });
    }

    void totalsAndCategoryAmounts()
    {
        Fixture f;
        auto model = f.makeModel();
        QCOMPARE(model->categoryAmount(FileCategory::userCache), QStringLiteral("未扫描"));
        model->navigate(Page::junk);
        ScanResult result = makeResult(ScanKind::junk,
            { makeEntry(QStringLiteral("/c/a"), 1500000, FileCategory::userCache),
                makeEntry(QStringLiteral("/l/a"), 2000, FileCategory::logs) });
        result.coverage = { { FileCategory::userCache, CoverageState::complete, 0 },
            { FileCategory::logs, CoverageState::partial, 0 },
            { FileCategory::developerCache, CoverageState::partial, 0 } };
        QVERIFY(scanWith(*model, *f.core, std::nullopt, result));
        QCOMPARE(model->categoryAmount(FileCategory::userCache), Varnoll::formatBytes(1500000));
        QCOMPARE(model->categoryAmount(FileCategory::logs), QStringLiteral("已查 ") + Varnoll::formatBytes(2000));
        QCOMPARE(model->categoryAmount(FileCategory::developerCache), QStringLiteral("尚未确认"));
        QCOMPARE(model->categoryAmount(FileCategory::installer), QStringLiteral("未扫描"));
        QCOMPARE(model->junkBytes(), 1502000);

        QSignalSpy junk(model.get(), &CleanerModel::junkBytesChanged);
        model->navigate(Page::settings);
        QCOMPARE(model->junkBytes(), 1502000); // whatever page is current
        QCOMPARE(model->selectedBytes(), 0);

        ScanResult states = makeResult(ScanKind::junk, {});
        states.coverage = { { FileCategory::userCache, CoverageState::notScanned, 0 },
            { FileCategory::logs, CoverageState::skipped, 0 },
            { FileCategory::developerCache, CoverageState::unreadable, 0 },
            { FileCategory::other, CoverageState(9), 0 } };
        model->navigate(Page::junk);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, states));
        QCOMPARE(junk.count(), 1);
        QCOMPARE(model->categoryAmount(FileCategory::userCache), QStringLiteral("未扫描"));
        QCOMPARE(model->categoryAmount(FileCategory::logs), QStringLiteral("已跳过"));
        QCOMPARE(model->categoryAmount(FileCategory::developerCache), QStringLiteral("无法读取"));
        QCOMPARE(model->categoryAmount(FileCategory::other), QStringLiteral("目录不存在"));
    }

    void selectionSignalsAnnounceTheSummary()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::junk);
        const FileEntry a = makeEntry(QStringLiteral("/c/a"), 7, FileCategory::userCache);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::junk, { a })));
        QSignalSpy selection(model.get(), &CleanerModel::selectionChanged);
        QSignalSpy summary(model.get(), &CleanerModel::selectionSummaryChanged);
        model->toggleId(a.id.toString());
        QCOMPARE(selection.count(), 1);
        QCOMPARE(summary.count(), 1);
        QCOMPARE(model->selectedCount(), 1);
        QCOMPARE(model->selectedBytes(), 7);
    }
};

QTEST_GUILESS_MAIN(ModelSelectionTest)
#include "model_selection_test.moc"
