// The list models of the application, duplicate, space, diagnostics, history and
// settings pages and the filter bar, on a model over the fake core.
#include "core/Vocabulary.h"
#include "support/FakeCore.h"

#include "app/Format.h"
#include "app/StoreFiles.h"
#include "app/presentation/ApplicationGroupsModel.h"
#include "app/presentation/DiagnosticsListModel.h"
#include "app/presentation/DuplicateGroupsModel.h"
#include "app/presentation/FileFilterOptions.h"
#include "app/presentation/HistoryListModel.h"
#include "app/presentation/IgnoreListModel.h"
#include "app/presentation/SpaceListModel.h"
#include "app/presentation/ViewState.h"
#include "core/RecordJson.h"

#include <QAbstractItemModelTester>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

using namespace VarnollTest;
using namespace Varnoll;

namespace {

QVariant roleOf(const QAbstractItemModel &model, int row, const QByteArray &name)
{
    const auto roles = model.roleNames();
    return model.data(model.index(row, 0), roles.key(name));
}

QStringList rowNames(const QVariantList &rows)
{
    QStringList list;
    for (const QVariant &row : rows)
        list.append(row.toMap().value(QStringLiteral("name")).toString());
    return list;
}

void writeStore(const Fixture &f, const QString &name, const QByteArray &contents)
{
    QVERIFY(!ensureFolder(f.store));
    QVERIFY(!writeFileAtomically(f.store + u'/' + name, contents));
}

CleanupItemResult item(const QString &path, bool moved, std::int64_t bytes = 10, bool complete = true)
{
    CleanupItemResult i;
    i.entryID = QUuid::createUuid();
    i.name = path.section(u'/', -1);
    i.path = path;
    i.moved = moved;
    i.bytes = bytes;
    i.sizeIsComplete = complete;
    i.message = moved ? QStringLiteral("已移到废纸篓") : QStringLiteral("权限不足，已跳过");
    return i;
}

FileEntry owned(const QString &path, const FileEntry &application)
{
    FileEntry e = makeEntry(path, 5, FileCategory::applicationData);
    e.ownerID = application.id;
    return e;
}

} // namespace

class PageListsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void historyShowsRecordsInModelOrderWithTheirTexts()
    {
        Fixture f;
        CleanupRecord failed; // every item failed: still a record, counted 0
        failed.id = QUuid::createUuid();
        failed.date = QDateTime(QDate(2026, 3, 1), QTime(9, 5));
        failed.items = { item(f.home + QStringLiteral("/Documents/report.pdf"), false), item(f.home, false),
            item(f.home + QStringLiteral("2/other"), false) };
        CleanupRecord partial;
        partial.id = QUuid::createUuid();
        partial.date = QDateTime(QDate(2026, 2, 1), QTime(18, 30));
        partial.items = { item(QStringLiteral("/tmp/big.iso"), true, 2'000'000, false) };
        CleanupRecord empty;
        empty.id = QUuid::createUuid();
        empty.date = QDateTime(QDate(2026, 1, 1), QTime(0, 0));
        writeStore(f, QStringLiteral("history.json"),
            Morvane::compactEscapedJson(QJsonDocument(Morvane::toJson(QList { failed, partial, empty }))));
        auto model = f.makeModel();
        HistoryListModel history(model.get(), QLocale(QLocale::Chinese, QLocale::China));
        QAbstractItemModelTester tester(&history, QAbstractItemModelTester::FailureReportingMode::QtTest);

        QCOMPARE(history.count(), 3);
        QVERIFY(!history.isEmpty());
        QCOMPARE(roleOf(history, 0, "headline").toString(), trashWorded(QStringLiteral("0 项已移到废纸篓")));
        QCOMPARE(roleOf(history, 0, "dateText").toString(), QStringLiteral("2026年3月1日 09:05"));
        QCOMPARE(roleOf(history, 0, "sizeText").toString(), formatBytes(0)); // complete zero: no prefix
        QCOMPARE(roleOf(history, 0, "detailsLabel").toString(), QStringLiteral("查看 3 项处理详情"));
        // One row per record until a record is opened; its items then follow it.
        QCOMPARE(history.rowCount(), 3);
        QVERIFY(roleOf(history, 0, "isLast").toBool());
        history.setExpanded(0, true);
        QCOMPARE(history.rowCount(), 6);
        QVERIFY(roleOf(history, 0, "expanded").toBool());
        QVERIFY(!roleOf(history, 0, "isLast").toBool());
        QVERIFY(!roleOf(history, 1, "isRecord").toBool());
        QCOMPARE(roleOf(history, 1, "recordIndex").toInt(), 0);
        QCOMPARE(roleOf(history, 1, "pathText").toString(), QStringLiteral("~/Documents/report.pdf"));
        QCOMPARE(roleOf(history, 1, "moved").toBool(), false);
        QCOMPARE(roleOf(history, 1, "symbol").toString(), QStringLiteral("exclamationmark.circle"));
        QCOMPARE(roleOf(history, 1, "message").toString(), QStringLiteral("权限不足，已跳过"));
        QCOMPARE(roleOf(history, 1, "headline").toString(), QString()); // never undefined for a recycled row
        // The home folder itself, and a sibling that only shares its first letters, stay whole.
        QCOMPARE(roleOf(history, 2, "pathText").toString(), f.home);
        QCOMPARE(roleOf(history, 3, "pathText").toString(), f.home + QStringLiteral("2/other"));
        QVERIFY(roleOf(history, 3, "isLast").toBool());

        QCOMPARE(history.recordRow(1), 4);
        QCOMPARE(roleOf(history, 4, "headline").toString(), trashWorded(QStringLiteral("1 项已移到废纸篓")));
        QCOMPARE(roleOf(history, 4, "sizeText").toString(), QStringLiteral("≥ 2 MB"));
        history.setExpanded(1, true);
        QCOMPARE(roleOf(history, 5, "symbol").toString(), QStringLiteral("checkmark.circle"));
        QCOMPARE(roleOf(history, 6, "detailsLabel").toString(), QStringLiteral("查看 0 项处理详情"));
        history.setExpanded(2, true); // nothing to open
        QCOMPARE(history.rowCount(), 7);
        history.setExpanded(0, false);
        QCOMPARE(history.rowCount(), 4);
        QCOMPARE(roleOf(history, 1, "headline").toString(), trashWorded(QStringLiteral("1 项已移到废纸篓")));
    }

    void historyFollowsACleanUp()
    {
        Fixture f;
        auto model = f.makeModel();
        HistoryListModel history(model.get());
        QAbstractItemModelTester tester(&history, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(history.isEmpty());
        QSignalSpy counted(&history, &HistoryListModel::countChanged);

        model->navigate(Page::junk);
        const FileEntry cache = makeEntry(f.home + QStringLiteral("/.cache/old"), 1000, FileCategory::userCache);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::junk, { cache })));
        model->toggle(cache);
        model->cleanSelection();
        QVERIFY(waitIdle(*model));
        QCOMPARE(history.count(), 1);
        QCOMPARE(counted.count(), 1);
        QCOMPARE(roleOf(history, 0, "headline").toString(), trashWorded(QStringLiteral("1 项已移到废纸篓")));
        history.setExpanded(0, true);
        QCOMPARE(roleOf(history, 1, "pathText").toString(), QStringLiteral("~/.cache/old"));
    }

    void ignoreListShowsShortPathsAndRemovesTheStoredOne()
    {
        Fixture f;
        const QString inside = f.home + QStringLiteral("/Downloads/keep me.iso");
        writeStore(f, QStringLiteral("preferences.json"),
            QJsonDocument(QJsonObject { { "ignoredPaths", QJsonArray { "/opt/tool", inside } } }).toJson());
        auto model = f.makeModel();
        IgnoreListModel ignored(model.get());
        QAbstractItemModelTester tester(&ignored, QAbstractItemModelTester::FailureReportingMode::QtTest);

        QCOMPARE(ignored.countText(), QStringLiteral("2 项"));
        QCOMPARE(roleOf(ignored, 0, "displayPath").toString(), QStringLiteral("/opt/tool"));
        QCOMPARE(roleOf(ignored, 1, "displayPath").toString(), QStringLiteral("~/Downloads/keep me.iso"));
        QCOMPARE(roleOf(ignored, 1, "path").toString(), inside);

        QSignalSpy removed(&ignored, &QAbstractItemModel::rowsRemoved);
        QSignalSpy reset(&ignored, &QAbstractItemModel::modelReset);
        ignored.remove(1);
        QCOMPARE(model->ignoredPaths(), QStringList { "/opt/tool" }); // the full stored path went
        QCOMPARE(removed.count(), 1);
        QCOMPARE(reset.count(), 0);
        ignored.remove(7); // no such row
        ignored.remove(0);
        QVERIFY(ignored.isEmpty());
        QCOMPARE(ignored.countText(), QStringLiteral("0 项"));

        const FileEntry entry = makeEntry(f.home + QStringLiteral("/Downloads/new"), 1);
        model->ignore(entry);
        QCOMPARE(ignored.count(), 1);
        QCOMPARE(roleOf(ignored, 0, "displayPath").toString(), QStringLiteral("~/Downloads/new"));
    }

    void filterPickersChangeOnlyOnARealChange()
    {
        Fixture f;
        auto model = f.makeModel();
        FileFilterOptions filters(model.get());
        model->navigate(Page::largeFiles);
        QVERIFY(filters.showsTypePicker());
        QCOMPARE(filters.sizeIndex(), 2); // 100 MB after navigating
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { makeEntry("/d/a", 5) })));
        QSignalSpy sizes(model.get(), &CleanerModel::minimumSizeMBChanged);
        QSignalSpy results(model.get(), &CleanerModel::resultsChanged);

        filters.chooseSize(2); // already chosen: no change, no call
        filters.chooseAge(0);
        filters.chooseType(0);
        QCOMPARE(sizes.count(), 0);
        QCOMPARE(results.count(), 0);
        QVERIFY(model->hasCurrentResult());

        filters.chooseSize(3);
        QCOMPARE(model->minimumSizeMB(), 1024);
        QCOMPARE(sizes.count(), 1);
        QCOMPARE(results.count(), 1); // the stale result went, once
        QVERIFY(!model->hasCurrentResult());
        filters.chooseType(2);
        QCOMPARE(model->fileType(), FileTypeFilter::images);

        // A value no option offers shows no choice; choosing one then is a change.
        model->setMinimumSizeMB(500);
        QCOMPARE(filters.sizeIndex(), -1);
        filters.chooseSize(1);
        QCOMPARE(model->minimumSizeMB(), 10);

        // On the installers page there is no type picker; a type chosen before stays put.
        model->setFileType(FileTypeFilter::videos);
        model->navigate(Page::installers);
        QVERIFY(!filters.showsTypePicker());
        QCOMPARE(filters.sizeIndex(), 0);
        QCOMPARE(filters.ageIndex(), 1);
        model->setFileType(FileTypeFilter::videos);
        filters.chooseType(1);
        QCOMPARE(model->fileType(), FileTypeFilter::videos);
    }

    void filterPickersWaitWhileAScanRuns()
    {
        Fixture f;
        auto model = f.makeModel();
        FileFilterOptions filters(model.get());
        model->navigate(Page::largeFiles);
        Gate gate;
        f.core->onScan = [&gate](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &,
                             const CancellationToken &) {
            gate.wait();
            return makeResult(kind, {});
        };
        QSignalSpy enabled(&filters, &FileFilterOptions::enabledChanged);
        model->scan();
        QVERIFY(!filters.enabled());
        filters.chooseSize(0);
        filters.chooseAge(3);
        QCOMPARE(model->minimumSizeMB(), 100);
        QCOMPARE(model->olderThanDays(), 0);
        gate.open();
        QVERIFY(waitIdle(*model));
        QVERIFY(filters.enabled());
        QCOMPARE(enabled.count(), 2);
    }

    void applicationCardsFollowTheSearchRule()
    {
        Fixture f;
        auto model = f.makeModel();
        ApplicationGroupsModel cards(model.get());
        QAbstractItemModelTester tester(&cards, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->navigate(Page::applications);
        const FileEntry alpha = makeEntry("/Applications/Alpha.app", 100, FileCategory::application, "org.alpha");
        const FileEntry beta = makeEntry("/Applications/Beta.app", 50, FileCategory::application, "org.beta");
        const FileEntry prefs = owned(f.home + "/.config/alpha-settings", alpha);
        const FileEntry cache = owned(f.home + "/.cache/alpha", alpha);
        FileEntry orphan = makeEntry(f.home + "/.config/gone", 1, FileCategory::applicationData);
        orphan.ownerID = QUuid::createUuid();
        QVERIFY(scanWith(*model, *f.core, std::nullopt,
            makeResult(ScanKind::applications, { alpha, prefs, beta, cache, orphan }, CoverageState::complete,
                { FileCategory::application })));

        QCOMPARE(cards.count(), 2);
        QCOMPARE(cards.headerText(), QStringLiteral("2 个应用"));
        QCOMPARE(roleOf(cards, 0, "associatedCount").toInt(), 2);
        QCOMPARE(roleOf(cards, 0, "associatedTitle").toString(), QStringLiteral("设置和关联文件 · 2 项"));
        QCOMPARE(rowNames(roleOf(cards, 0, "associated").toList()), (QStringList { "alpha-settings", "alpha" }));
        QCOMPARE(roleOf(cards, 1, "associatedCount").toInt(), 0); // no disclosure for Beta

        // Only Alpha's settings file matches: Alpha shows with all its files.
        model->setSearch(QStringLiteral("alpha-settings"));
        QCOMPARE(cards.count(), 1);
        QCOMPARE(roleOf(cards, 0, "application").toMap().value("name").toString(), QStringLiteral("Alpha.app"));
        QCOMPARE(roleOf(cards, 0, "associatedCount").toInt(), 2);
        // The orphan's owner is not in the list: nothing shows.
        model->setSearch(QStringLiteral("gone"));
        QCOMPARE(cards.count(), 0);
        QCOMPARE(cards.emptyText(), QStringLiteral("没有匹配的第三方应用。"));

        // A category filter hides applications only through a search.
        model->setSearch(QString());
        model->setCategory(FileCategory::logs);
        QCOMPARE(cards.count(), 2);
        model->setSearch(QStringLiteral("Beta"));
        QCOMPARE(cards.count(), 0);
        model->setCategory(std::nullopt);
        QCOMPARE(cards.count(), 1);

        // A tick refreshes the rows in place.
        model->setSearch(QString());
        QSignalSpy changed(&cards, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&cards, &QAbstractItemModel::modelReset);
        model->toggle(cache);
        QCOMPARE(reset.count(), 0);
        QVERIFY(changed.count() >= 1);
        const QVariantList rows = roleOf(cards, 0, "associated").toList();
        QCOMPARE(rows.at(1).toMap().value("checked").toBool(), true);
        QCOMPARE(rows.at(1).toMap().value("isApplicationData").toBool(), true);
        QCOMPARE(roleOf(cards, 0, "application").toMap().value("checked").toBool(), false);
    }

    void applicationsEmptyLineFollowsCoverage()
    {
        Fixture f;
        auto model = f.makeModel();
        ApplicationGroupsModel cards(model.get());
        model->navigate(Page::applications);
        QVERIFY(scanWith(*model, *f.core, std::nullopt,
            makeResult(ScanKind::applications, {}, CoverageState::partial, { FileCategory::application })));
        QCOMPARE(cards.count(), 0);
        QCOMPARE(cards.emptyText(), QStringLiteral("已检查范围内暂无匹配应用，请查看扫描提示。"));
    }

    void duplicateCardsAndTheQuickAction()
    {
        Fixture f;
        auto model = f.makeModel();
        DuplicateGroupsModel groups(model.get());
        QAbstractItemModelTester tester(&groups, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->navigate(Page::duplicates);
        QVERIFY(scanWith(*model, *f.core, std::nullopt,
            makeResult(ScanKind::duplicates, {}, CoverageState::complete, { FileCategory::duplicate })));
        QCOMPARE(groups.summaryText(), QStringLiteral("0 组 · 多余副本逻辑大小 ") + formatBytes(0));
        QVERIFY(!groups.quickActionEnabled());
        QCOMPARE(groups.emptyText(), QStringLiteral("本次范围内未发现完全相同的非空文件。"));

        QList<FileEntry> three, two;
        for (int i = 0; i < 3; ++i)
            three.append(makeEntry(QStringLiteral("/d/photo%1.jpg").arg(i), 1'000'000, FileCategory::duplicate));
        for (int i = 0; i < 2; ++i)
            two.append(makeEntry(QStringLiteral("/d/song%1.mp3").arg(i), 500'000, FileCategory::duplicate));
        ScanResult result
            = makeResult(ScanKind::duplicates, three + two, CoverageState::complete, { FileCategory::duplicate });
        result.duplicateGroups = { makeGroup(three), makeGroup(two) };
        QVERIFY(scanWith(*model, *f.core, std::nullopt, result));

        QCOMPARE(groups.count(), 2);
        QCOMPARE(groups.summaryText(), QStringLiteral("2 组 · 多余副本逻辑大小 2.5 MB"));
        // A header row per card, then its files; the last file closes the card.
        QCOMPARE(groups.rowCount(), 7);
        QCOMPARE(groups.groupRow(1), 4);
        QCOMPARE(roleOf(groups, 0, "title").toString(), QStringLiteral("第 1 组 · 3 份相同内容"));
        QCOMPARE(roleOf(groups, 4, "title").toString(), QStringLiteral("第 2 组 · 2 份相同内容"));
        QCOMPARE(roleOf(groups, 4, "eachSize").toString(), QStringLiteral("每份 500 KB"));
        QVERIFY(roleOf(groups, 4, "isHeader").toBool() && !roleOf(groups, 5, "isHeader").toBool());
        QCOMPARE(roleOf(groups, 5, "name").toString(), QStringLiteral("song0.mp3"));
        QVERIFY(!roleOf(groups, 5, "isLast").toBool() && roleOf(groups, 6, "isLast").toBool());
        QCOMPARE(roleOf(groups, 4, "name").toString(), QString()); // never undefined for a recycled row
        QCOMPARE(groups.quickActionTitle(), QStringLiteral("每组保留一份，选择其余"));

        // Neither cards nor rows follow the search; the quick action only takes visible copies.
        model->setSearch(QStringLiteral("photo"));
        QCOMPARE(groups.count(), 2);
        QCOMPARE(groups.rowCount(), 7);
        QSignalSpy titles(&groups, &DuplicateGroupsModel::quickActionChanged);
        groups.quickAction();
        QCOMPARE(model->selection(), (QSet<QUuid> { three[1].id, three[2].id }));
        QCOMPARE(groups.quickActionTitle(), QStringLiteral("取消所有选择"));
        QVERIFY(titles.count() >= 1);
        QCOMPARE(roleOf(groups, 1, "checked").toBool(), false);
        QCOMPARE(roleOf(groups, 2, "checked").toBool(), true);

        // Unticking by hand brings the first title back.
        model->toggle(three[1]);
        model->toggle(three[2]);
        QCOMPARE(groups.quickActionTitle(), QStringLiteral("每组保留一份，选择其余"));
        model->toggle(two[0]);
        model->clearNotice();
        groups.quickAction(); // something selected: clears all, no notice
        QVERIFY(model->selection().isEmpty());
        QVERIFY(!model->notice());
    }

    void spaceChildrenSharesAndButtons()
    {
        Fixture f;
        auto model = f.makeModel();
        SpaceListModel space(model.get());
        QAbstractItemModelTester tester(&space, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->navigate(Page::space);
        QVERIFY(scanWith(*model, *f.core, std::nullopt,
            makeResult(ScanKind::space, {}, CoverageState::complete, { FileCategory::spaceItem })));
        QCOMPARE(space.summaryText(), QStringLiteral("已统计 ") + formatBytes(0) + QStringLiteral(" · 0 个直接子项"));
        QCOMPARE(space.emptyText(), QStringLiteral("本次范围内没有可统计项目。"));
        QCOMPARE(space.coverageTag(), QStringLiteral("已完成"));

        const QString dir = model->largeDirectory();
        FileEntry folder = makeEntry(dir + "/Projects", 3'000'000, FileCategory::spaceItem);
        folder.kind = EntryKind::folder();
        folder.sizeIsComplete = false;
        FileEntry file = makeEntry(dir + "/movie.mkv", 1'000'000, FileCategory::spaceItem);
        QVERIFY(scanWith(*model, *f.core, std::nullopt,
            makeResult(ScanKind::space, { folder, file }, CoverageState::partial, { FileCategory::spaceItem })));
        QCOMPARE(space.coverageTag(), QStringLiteral("部分扫描"));
        QCOMPARE(roleOf(space, 0, "sizeText").toString(), QStringLiteral("≥ 3 MB"));
        QCOMPARE(roleOf(space, 0, "share").toDouble(), 0.75); // the counted part
        QCOMPARE(roleOf(space, 0, "symbol").toString(), QStringLiteral("folder"));
        QCOMPARE(roleOf(space, 1, "symbol").toString(), QStringLiteral("doc"));
        QCOMPARE(roleOf(space, 1, "revealLabel").toString(), vocabulary().revealNamed.arg(QStringLiteral("movie.mkv")));

        // A file's name reveals it; a folder's name measures it next.
        space.open(1);
        QCOMPARE(f.core->revealed, QStringList { dir + "/movie.mkv" });
        Gate gate;
        f.core->onScan = [&gate](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &,
                             const CancellationToken &) {
            gate.wait();
            return makeResult(kind, {}, CoverageState::complete, { FileCategory::spaceItem });
        };
        space.open(0);
        QVERIFY(model->busy());
        QCOMPARE(model->largeDirectory(), dir + "/Projects");
        QVERIFY(!space.namesEnabled());
        QCOMPARE(space.count(), 0); // the old children left with the old folder
        gate.open();
        QVERIFY(waitIdle(*model));

        FileEntry zero = makeEntry(dir + "/Projects/empty", 0, FileCategory::spaceItem);
        zero.kind = EntryKind::folder();
        QVERIFY(scanWith(*model, *f.core, ScanKind::space,
            makeResult(ScanKind::space, { zero }, CoverageState::complete, { FileCategory::spaceItem })));
        QCOMPARE(roleOf(space, 0, "share").toDouble(), 0.0); // total 0: empty bar
        // While a rescan runs the name buttons wait; the reveal button still works.
        Gate again;
        f.core->onScan = [&again](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &,
                             const CancellationToken &) {
            again.wait();
            return makeResult(kind, {}, CoverageState::complete, { FileCategory::spaceItem });
        };
        model->scan();
        QVERIFY(model->busy());
        QCOMPARE(space.count(), 1);
        f.core->revealed.clear();
        space.open(0);
        QVERIFY(f.core->revealed.isEmpty());
        QCOMPARE(model->largeDirectory(), dir + "/Projects");
        space.reveal(0);
        QCOMPARE(f.core->revealed, QStringList { dir + "/Projects/empty" });
        again.open();
        QVERIFY(waitIdle(*model));
    }

    void eachResultsPageGetsItsOwnList()
    {
        Fixture f;
        auto model = f.makeModel();
        ViewState list(model.get(), {});
        QSignalSpy changed(&list, &ViewState::itemListChanged);
        const QList<std::pair<Page, QString>> expected = {
            { Page::junk, "plain" },
            { Page::applications, "applications" },
            { Page::largeFiles, "plain" },
            { Page::duplicates, "duplicates" },
            { Page::space, "space" },
            { Page::installers, "plain" },
        };
        for (const auto &[page, kind] : expected) {
            model->navigate(page);
            QCOMPARE(list.itemList(), kind);
            QCOMPARE(list.showsSelectionBar(), page != Page::space); // the space page only reads
        }
        QCOMPARE(changed.count(), expected.size());
    }

    void diagnosticsListAndReveal()
    {
        Fixture f;
        auto model = f.makeModel();
        DiagnosticsListModel diagnostics(model.get());
        QAbstractItemModelTester tester(&diagnostics, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->navigate(Page::applications);
        ScanResult result
            = makeResult(ScanKind::applications, {}, CoverageState::complete, { FileCategory::application });
        result.diagnostics
            = { { QStringLiteral("d1"), QStringLiteral("/opt/Unknown.app"), QStringLiteral("无法读取应用信息") } };
        QVERIFY(scanWith(*model, *f.core, std::nullopt, result));
        QCOMPARE(diagnostics.count(), 1);
        QCOMPARE(diagnostics.title(), QStringLiteral("1 个位置阻止归属核实 · 查看原因"));
        QCOMPARE(roleOf(diagnostics, 0, "reason").toString(), QStringLiteral("无法读取应用信息"));
        diagnostics.reveal(0); // a path that no longer exists is still handed over
        QCOMPARE(f.core->revealed, QStringList { "/opt/Unknown.app" });
        model->navigate(Page::overview);
        QCOMPARE(diagnostics.count(), 0);
    }
};

QTEST_GUILESS_MAIN(PageListsTest)
#include "page_lists_test.moc"
