// The texts the window composes: each against the exact wording the pages show.
#include "support/FakeCore.h"

#include "app/Format.h"
#include "app/presentation/Texts.h"
#include "app/presentation/ViewState.h"

#include <QTest>

using namespace VarnollTest;
using namespace Varnoll;
using namespace Varnoll::Texts;

class ViewTextsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filterLabelNamesTheTypeOnLargeFilesOnly()
    {
        QCOMPARE(filterSummary(Page::largeFiles, 1024, 30, FileTypeFilter::videos),
            QStringLiteral("筛选：至少 1 GB · 30 天前 · 视频"));
        QCOMPARE(filterSummary(Page::installers, 1024, 30, FileTypeFilter::videos),
            QStringLiteral("筛选：至少 1 GB · 30 天前"));
        QCOMPARE(filterSummary(Page::largeFiles, 0, 0, FileTypeFilter::all),
            QStringLiteral("筛选：不限大小 · 不限日期 · 全部类型"));
        QCOMPARE(filterSummary(Page::largeFiles, 2048, 365, FileTypeFilter::archives),
            QStringLiteral("筛选：至少 2048 MB · 365 天前 · 压缩与安装文件"));
    }

    void outcomeAndTotalFollowEntriesAndCoverage()
    {
        ScanResult empty = makeResult(ScanKind::junk, {});
        QCOMPARE(outcomeText(empty), QStringLiteral("扫描完成，暂无符合条件的项目"));
        QCOMPARE(totalText(empty, Page::junk), QString());
        empty.coverage[0].state = CoverageState::unreadable;
        QCOMPARE(outcomeText(empty), QStringLiteral("部分位置未能完成检查"));

        FileEntry whole = makeEntry(QStringLiteral("/h/a"), 1'000'000);
        FileEntry partial = makeEntry(QStringLiteral("/h/b"), 0);
        partial.sizeIsComplete = false;
        ScanResult found = makeResult(ScanKind::junk, { whole, partial });
        QCOMPARE(outcomeText(found), QStringLiteral("扫描完成，请查看结果"));
        QCOMPARE(totalText(found, Page::junk), QStringLiteral("≥ 1 MB"));
        found.coverage[0].state = CoverageState::partial;
        QCOMPARE(totalText(found, Page::junk), QStringLiteral("已找到 ≥ 1 MB"));
        QCOMPARE(totalText(found, Page::space), QString());

        // A folder page whose folder is gone says so in its headline, not only in the notes.
        const ScanResult missing = makeResult(ScanKind::largeFiles, {}, CoverageState::missing);
        QCOMPARE(outcomeText(missing, QStringLiteral("~/下载")), QStringLiteral("文件夹不存在：~/下载"));
        QCOMPARE(emptyStateTitle(missing, QString(), std::nullopt), QStringLiteral("文件夹不存在，没有可检查的文件"));
        QCOMPARE(emptyStateSymbol(missing), QStringLiteral("exclamationmark.circle"));
        QCOMPARE(outcomeText(makeResult(ScanKind::junk, {}, CoverageState::missing)),
            QStringLiteral("扫描完成，暂无符合条件的项目"));
    }

    void emptyStateTakesTheFirstRuleThatApplies()
    {
        ScanResult result = makeResult(ScanKind::junk, {});
        QCOMPARE(emptyStateTitle(result, QString(), std::nullopt), QStringLiteral("本次范围内没有符合规则的项目"));
        QCOMPARE(emptyStateSymbol(result), QStringLiteral("checkmark.circle"));
        QCOMPARE(emptyStateTitle(result, QStringLiteral("x"), std::nullopt), QStringLiteral("没有匹配的结果"));
        QCOMPARE(emptyStateTitle(result, QString(), FileCategory::logs), QStringLiteral("没有匹配的结果"));
        result.coverage[0].state = CoverageState::skipped;
        QCOMPARE(
            emptyStateTitle(result, QStringLiteral("x"), std::nullopt), QStringLiteral("已检查范围内暂无匹配项目"));
        result.diagnostics.append({ QStringLiteral("d"), QStringLiteral("/p"), QStringLiteral("r") });
        QCOMPARE(
            emptyStateTitle(result, QStringLiteral("x"), std::nullopt), QStringLiteral("归属未核实，候选扫描未开始"));
        QCOMPARE(emptyStateSymbol(result), QStringLiteral("exclamationmark.circle"));
    }

    void countsSelectionAndReviewLines()
    {
        QCOMPARE(resultCountText(0, false), QStringLiteral("0 项结果"));
        QCOMPARE(resultCountText(12345, true), QStringLiteral("12345 项结果 · 部分范围"));
        QCOMPARE(selectionHeadline(0, 0, true), QStringLiteral("勾选你要清理的项目"));
        QCOMPARE(selectionHeadline(2, 1'500'000, false), QStringLiteral("已选 2 项 · 已统计 1.5 MB"));
        QCOMPARE(
            reviewSummary(3, 1'500'000), QStringLiteral("共 3 项，已统计大小 1.5 MB。变化或无法访问的文件会跳过。"));
        QCOMPARE(examinedText(1284), QStringLiteral("已检查 1284 项"));
        QCOMPARE(scopeNotesTitle(3), QStringLiteral("查看扫描范围与跳过原因（3）"));
    }

    void capacityLineShowsZeroFreeAndUnreadableCapacity()
    {
        QCOMPARE(capacityText(0, 0), QStringLiteral("暂时无法读取容量"));
        QCOMPARE(capacityText(-1, 5), QStringLiteral("暂时无法读取容量"));
        QCOMPARE(capacityText(500'000'000'000, 0),
            QStringLiteral("可用 ") + formatBytes(0) + QStringLiteral(" / 共 500 GB"));
    }

    void rowTextsAbbreviateHomeAndWarnAboutPartialSizes()
    {
        FileEntry entry = makeEntry(QStringLiteral("/home/a/Downloads/big.iso"), 5);
        entry.detail = QStringLiteral("detail");
        QCOMPARE(entryFolder(entry, QStringLiteral("/home/a")), QStringLiteral("~/Downloads"));
        QCOMPARE(entryFolder(entry, QStringLiteral("/home/ab")), QStringLiteral("/home/a/Downloads"));
        FileEntry atHome = makeEntry(QStringLiteral("/home/a/file"), 5);
        QCOMPARE(entryFolder(atHome, QStringLiteral("/home/a")), QStringLiteral("/home/a"));
        QCOMPARE(entryTooltip(entry), QStringLiteral("/home/a/Downloads/big.iso\ndetail"));
        entry.sizeIsComplete = false;
        QCOMPARE(entryTooltip(entry),
            QStringLiteral("/home/a/Downloads/big.iso\ndetail\n大小未统计完整，显示值仅为已统计部分"));
        QCOMPARE(folderTitle(QStringLiteral("/home/a/Downloads")), QStringLiteral("扫描位置：Downloads"));
    }

    void pageTextsAndVersion()
    {
        QCOMPARE(pageDescription(Page::junk), QStringLiteral("检查积累的旧缓存、日志和开发缓存。"));
        QCOMPARE(pageDescription(Page::browser), QStringLiteral("检查积累的旧缓存、日志和开发缓存。"));
        QCOMPARE(pageDescription(Page::installers), QStringLiteral("找出下载过的安装文件，确认不再需要后再清理。"));
        QCOMPARE(introTitle(Page::applications), QStringLiteral("卸载之前，先看清楚"));
        QCOMPARE(introSubtitle(Page::space), QStringLiteral("只读查看，不会删除文件。"));
        QVERIFY(!introShowsSteps(Page::space));
        QCOMPARE(introSteps(), QStringLiteral("1  扫描文件     →     2  选择项目     →     3  确认清理"));
        QCOMPARE(versionText(QStringLiteral("1.2")), QStringLiteral("v1.2"));
        QCOMPARE(versionText(QString()), QStringLiteral("v—"));
        QCOMPARE(hourMinute(QDateTime(QDate(2026, 3, 14), QTime(15, 42)), QLocale(QLocale::Chinese, QLocale::China)),
            QStringLiteral("15:42"));
        QCOMPARE(
            hourMinute(QDateTime(QDate(2026, 3, 14), QTime(15, 42)), QLocale(QLocale::English, QLocale::UnitedStates)),
            QStringLiteral("3:42\u202fPM").replace(u'\u202f', u' '));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(hourMinute(QDateTime(QDate(2026, 3, 14), QTime(15, 42))), QStringLiteral("15:42"));
        QLocale::setDefault(QLocale::c());
    }

    void viewStateFollowsTheModel()
    {
        Fixture f;
        auto model = f.makeModel();
        ViewState view(model.get(), QString());
        QCOMPARE(view.contentView(), QStringLiteral("overview"));
        QVERIFY(view.canRescan());
        model->navigate(Page::browser);
        QCOMPARE(view.contentView(), QStringLiteral("overview"));
        QCOMPARE(view.sidebarPage(), -1);
        model->navigate(Page::installers);
        QCOMPARE(view.sidebarPage(), int(Page::largeFiles));
        QCOMPARE(view.filterSummary(), QStringLiteral("筛选：不限大小 · 30 天前"));
        QCOMPARE(view.body(), QStringLiteral("introduction"));
        // A sheet holds the page's commands back.
        model->setShowPolicy(true);
        QVERIFY(view.sheetShown() && !view.canRescan());
        model->setShowPolicy(false);
        QVERIFY(view.canRescan());
        model->navigate(Page::history);
        QVERIFY(!view.canRescan());
        // What a screen reader says for a row: the parts that are there, in order.
        QCOMPARE(view.spoken(
                     { QStringLiteral("a.iso"), QString(), QStringLiteral(" 4.2 GB "), QStringLiteral("~/Downloads") }),
            QStringLiteral("a.iso，4.2 GB，~/Downloads"));

        // "上一级" stops below the root.
        model->navigate(Page::space);
        model->setDirectory(QStringLiteral("/Users"));
        QVERIFY(!view.canGoToParent());
        model->setDirectory(QStringLiteral("/Users/a"));
        QVERIFY(view.canGoToParent());

        // Pressing the selected card again clears the category filter.
        model->navigate(Page::junk);
        view.pressCategory(int(FileCategory::logs));
        QCOMPARE(model->category(), FileCategory::logs);
        QVERIFY(view.categoryCards().at(1).toMap().value(QStringLiteral("selected")).toBool());
        view.pressCategory(int(FileCategory::logs));
        QCOMPARE(model->category(), std::nullopt);
        QCOMPARE(
            view.categoryCards().at(0).toMap().value(QStringLiteral("coverage")).toString(), QStringLiteral("未扫描"));
    }
};

QTEST_GUILESS_MAIN(ViewTextsTest)
#include "view_texts_test.moc"
