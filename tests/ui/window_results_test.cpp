// The results page, the file rows and the two sheets, driven through the real QML.
#include "core/Vocabulary.h"
#include "support/SampleData.h"
#include "support/UiHarness.h"

#include "WindowContext.h"

#include <QDir>
#include <QTest>

using namespace VarnollTest;
using Varnoll::Page;

namespace {

std::shared_ptr<Gate> holdScans(FakeCore &core)
{
    auto gate = std::make_shared<Gate>();
    core.onScan = [gate](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &progress,
                      const CancellationToken &cancel) {
        progress(QStringLiteral("正在检查用户缓存"), 7);
        gate->wait();
        cancel.throwIfCancelled();
        ScanResult r;
        r.kind = kind;
        return r;
    };
    return gate;
}

} // namespace

class WindowResultsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Varnoll::prepareApplicationLook(); }

    void introductionPerPage()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::space);
        h.settle();
        QVERIFY(h.isShown(QStringLiteral("introduction")));
        QCOMPARE(h.text(QStringLiteral("introTitle")), QStringLiteral("先看看，谁占了空间"));
        QCOMPARE(h.text(QStringLiteral("introSubtitle")), QStringLiteral("只读查看，不会删除文件。"));
        QVERIFY(!h.isShown(QStringLiteral("introSteps")));
        QVERIFY(h.isShown(QStringLiteral("parentButton")));
        QVERIFY(!h.isShown(QStringLiteral("filterPanel")));
        h.model->navigate(Page::installers);
        h.settle();
        QVERIFY(h.isShown(QStringLiteral("introSteps")));
        QVERIFY(!h.isShown(QStringLiteral("parentButton")));
        QVERIFY(h.isShown(QStringLiteral("filterPanel")));
        QVERIFY(!h.isShown(QStringLiteral("rescanButton")));
    }

    void progressBlockCancelsScansButNotCleanups()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::junk);
        auto gate = holdScans(*h.fixture.core);
        QVERIFY(h.click(QStringLiteral("startButton")));
        QVERIFY(QTest::qWaitFor([&] { return h.model->examined() == 7; }));
        h.settle();
        QCOMPARE(h.text(QStringLiteral("statusText")), QStringLiteral("正在检查用户缓存"));
        QCOMPARE(h.text(QStringLiteral("examinedText")), QStringLiteral("已检查 7 项"));
        QVERIFY(h.click(QStringLiteral("cancelButton")));
        gate->open();
        QVERIFY(waitIdle(*h.model));
        h.settle();
        QVERIFY(h.isShown(QStringLiteral("introduction"))); // cancelled: still no result

        QVERIFY(h.publish(sampleJunk(h)));
        h.model->toggle(h.model->visibleEntries().at(0));
        auto cleanGate = std::make_shared<Gate>();
        h.fixture.core->onClean = [cleanGate](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot,
                                      const QSet<QString> &, const QList<DuplicateGroup> &, const QList<FileEntry> &) {
            cleanGate->wait();
            return recordFor(snapshot, ids, {});
        };
        h.model->cleanSelection();
        h.settle();
        QCOMPARE(h.text(QStringLiteral("statusText")), trashWorded(QStringLiteral("正在移到废纸篓")));
        QVERIFY(!h.isShown(QStringLiteral("cancelButton")));
        QVERIFY(!h.isShown(QStringLiteral("rescanButton")));
        cleanGate->open();
        QVERIFY(waitIdle(*h.model));
    }

    void emptyResultSaysSoUnderACheckmark()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::largeFiles);
        QVERIFY(h.publish(makeResult(ScanKind::largeFiles, {})));
        QCOMPARE(h.text(QStringLiteral("outcomeText")), QStringLiteral("扫描完成，暂无符合条件的项目"));
        QVERIFY(!h.isShown(QStringLiteral("totalText")));
        QCOMPARE(h.text(QStringLiteral("emptyTitle")), QStringLiteral("本次范围内没有符合规则的项目"));
        QCOMPARE(h.find(QStringLiteral("emptySymbol"), true)->property("name").toString(),
            QStringLiteral("checkmark.circle"));
        QCOMPARE(h.text(QStringLiteral("selectionHeadline")), QStringLiteral("勾选你要清理的项目"));
        QVERIFY(!h.find(QStringLiteral("reviewButton"), true)->property("enabled").toBool());
        QVERIFY(h.isShown(QStringLiteral("rescanButton")));
    }

    void searchThatHidesEverythingKeepsTheOutcome()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::largeFiles);
        QVERIFY(h.publish(sampleLargeFiles(h)));
        QCOMPARE(h.text(QStringLiteral("countText")), QStringLiteral("8 项结果"));
        auto *field = qobject_cast<QQuickItem *>(h.find(QStringLiteral("searchField"), true));
        QVERIFY(h.clickItem(field));
        for (char c : { 'z', 'z', 'z' })
            QTest::keyClick(h.window, c);
        h.settle();
        QCOMPARE(h.model->search(), QStringLiteral("zzz"));
        QCOMPARE(h.text(QStringLiteral("outcomeText")), QStringLiteral("扫描完成，请查看结果"));
        QCOMPARE(h.text(QStringLiteral("countText")), QStringLiteral("0 项结果"));
        QCOMPARE(h.text(QStringLiteral("emptyTitle")), QStringLiteral("没有匹配的结果"));
        QCOMPARE(
            h.find(QStringLiteral("selectAllSymbol"), true)->property("name").toString(), QStringLiteral("square"));
        // Clearing the search from the model clears the field.
        h.model->setSearch(QString());
        h.settle();
        QCOMPARE(field->property("text").toString(), QString());
        QCOMPARE(h.text(QStringLiteral("countText")), QStringLiteral("8 项结果"));
    }

    void partialSizesReadAsSuchInRowsAndTotal()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::junk);
        QVERIFY(h.publish(sampleJunk(h)));
        QCOMPARE(h.text(QStringLiteral("totalText")), QStringLiteral("已找到 ≥ 2.31 GB"));
        QCOMPARE(h.text(QStringLiteral("countText")), QStringLiteral("8 项结果 · 部分范围"));
        QVERIFY(h.isShown(QStringLiteral("incompleteLine")));
        // Filter to the developer caches: one partly counted, one not counted at all.
        QVERIFY(h.click(QStringLiteral("category_%1").arg(int(FileCategory::developerCache))));
        QCOMPARE(h.model->category(), FileCategory::developerCache);
        QCOMPARE(h.rowTexts(QStringLiteral("rowSize")),
            (QStringList { QStringLiteral("≥ 1.53 GB"), QStringLiteral("待统计") }));
        QCOMPARE(
            h.rowTexts(QStringLiteral("rowName")), (QStringList { QStringLiteral("caches"), QStringLiteral("cache") }));
        QVERIFY(h.click(QStringLiteral("category_%1").arg(int(FileCategory::developerCache))));
        QCOMPARE(h.model->category(), std::nullopt);
    }

    void rowMenuRevealsAndIgnores()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::largeFiles);
        const ScanResult result = sampleLargeFiles(h);
        QVERIFY(h.publish(result));
        auto rowAction = [&](int row) {
            auto *list = qobject_cast<QQuickItem *>(h.find(QStringLiteral("resultRows"), true));
            QQuickItem *item = nullptr;
            QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, row));
            QList<QObject *> found
                = item ? item->findChildren<QObject *>(QStringLiteral("rowActions")) : QList<QObject *>();
            return found.isEmpty() ? nullptr : qobject_cast<QQuickItem *>(found.constFirst());
        };
        QVERIFY(h.clickItem(rowAction(1)));
        QVERIFY(h.click(QStringLiteral("revealItem")));
        QCOMPARE(h.fixture.core->revealed, QStringList { result.entries.at(1).path });
        QVERIFY(h.clickItem(rowAction(0)));
        QVERIFY(h.click(QStringLiteral("ignoreItem")));
        QCOMPARE(h.model->ignoredPaths(), QStringList { result.entries.at(0).path });
        QCOMPARE(h.text(QStringLiteral("countText")), QStringLiteral("7 项结果"));
    }

    void folderDialogAsksWithTheModelsTextsAndScansThePick()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::largeFiles);
        h.settle();
        QVERIFY(QDir().mkpath(h.fixture.home + QStringLiteral("/Downloads")));
        QObject *dialog = h.find(QStringLiteral("folderDialog"));
        QVERIFY(dialog);
        QVERIFY(h.click(QStringLiteral("chooseFolderButton")));
        QVERIFY(dialog->property("visible").toBool());
        QCOMPARE(dialog->property("acceptLabel").toString(), QStringLiteral("扫描此文件夹"));
        QCOMPARE(
            dialog->property("title").toString(), QStringLiteral("只扫描所选文件夹；文件处理需要另行选择并确认。"));
        QCOMPARE(dialog->property("currentFolder").toUrl(),
            QUrl::fromLocalFile(h.fixture.home + QStringLiteral("/Downloads")));
        QMetaObject::invokeMethod(dialog, "reject");
        h.settle();
        QCOMPARE(h.model->largeDirectory(), h.fixture.home + QStringLiteral("/Downloads"));
        QVERIFY(h.fixture.core->directories.isEmpty());

        const QString picked = h.fixture.home + QStringLiteral("/照片 2024");
        QVERIFY(QDir().mkpath(picked));
        QVERIFY(h.click(QStringLiteral("chooseFolderButton")));
        dialog->setProperty("selectedFolder", QUrl::fromLocalFile(picked));
        QMetaObject::invokeMethod(dialog, "accept");
        QVERIFY(waitIdle(*h.model));
        QCOMPARE(h.model->largeDirectory(), picked);
        QCOMPARE(h.fixture.core->directories, QStringList { picked });
        h.settle();
        QCOMPARE(h.text(QStringLiteral("folderTitle")), QStringLiteral("扫描位置：照片 2024"));
    }

    void folderBarParentStopsAtTheTopFolder()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::space);
        h.model->setDirectory(QStringLiteral("/Users"));
        h.settle();
        QVERIFY(!h.find(QStringLiteral("parentButton"), true)->property("enabled").toBool());
        h.model->setDirectory(h.fixture.home + QStringLiteral("/Downloads"));
        h.settle();
        QVERIFY(h.find(QStringLiteral("parentButton"), true)->property("enabled").toBool());
    }

    void reviewSheetSummarisesAndEscapeNeverCleans()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::largeFiles);
        QList<FileEntry> three { h.entry(QStringLiteral("a"), 500'000), h.entry(QStringLiteral("b"), 700'000),
            h.entry(QStringLiteral("c"), 300'000) };
        three[1].category = FileCategory::applicationData;
        QVERIFY(h.publish(makeResult(ScanKind::largeFiles, three)));
        for (QObject *check : h.findAll(QStringLiteral("rowCheck"), true))
            QVERIFY(h.clickItem(qobject_cast<QQuickItem *>(check)));
        QCOMPARE(h.model->selection().size(), 3);
        QCOMPARE(h.text(QStringLiteral("selectionHeadline")), QStringLiteral("已选 3 项 · 已统计 1.5 MB"));
        QVERIFY(h.click(QStringLiteral("reviewButton")));
        QVERIFY(h.model->showReview());
        QCOMPARE(h.text(QStringLiteral("reviewSummary")),
            QStringLiteral("共 3 项，已统计大小 1.5 MB。变化或无法访问的文件会跳过。"));
        QVERIFY(!h.isShown(QStringLiteral("duplicateRule")));

        QTest::keyClick(h.window, Qt::Key_Return);
        h.settle();
        QVERIFY(h.model->showReview());
        QVERIFY(h.fixture.core->cleanedIds.isEmpty());
        QTest::keyClick(h.window, Qt::Key_Escape);
        h.settle();
        QVERIFY(!h.model->showReview());
        QVERIFY(!h.isShown(QStringLiteral("reviewSummary")));
        QVERIFY(h.fixture.core->cleanedIds.isEmpty());

        // The cancel button closes it too, and it opens again.
        h.model->setShowReview(true);
        h.settle();
        QVERIFY(h.click(QStringLiteral("reviewCancel")));
        QVERIFY(!h.model->showReview());
        h.model->setShowReview(true);
        h.settle();
        QVERIFY(h.isShown(QStringLiteral("reviewSummary")));
    }

    void duplicatesReviewRepeatsTheKeepOneRule()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::duplicates);
        const QList<FileEntry> copies { h.entry(QStringLiteral("x/one"), 10, FileCategory::duplicate),
            h.entry(QStringLiteral("y/one"), 10, FileCategory::duplicate) };
        ScanResult result = makeResult(ScanKind::duplicates, copies);
        result.duplicateGroups = { makeGroup(copies) };
        QVERIFY(h.publish(result));
        h.model->toggle(copies.at(1));
        h.model->setShowReview(true);
        h.settle();
        QVERIFY(h.isShown(QStringLiteral("duplicateRule")));
    }

    void policySheetClosesOnReturn()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->setShowPolicy(true);
        h.settle();
        QVERIFY(h.isShown(QStringLiteral("policyDone")));
        QTest::keyClick(h.window, Qt::Key_Return);
        h.settle();
        QVERIFY(!h.model->showPolicy());
        h.model->setShowPolicy(true);
        h.settle();
        QTest::keyClick(h.window, Qt::Key_Escape);
        h.settle();
        QVERIFY(!h.model->showPolicy());
    }

    void oneCleanupFromTheOverviewToTheNotice()
    {
        UiHarness h;
        QVERIFY(h.load());
        const ScanResult junk = sampleJunk(h);
        h.fixture.core->onScan = [junk](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                                     const CancellationToken &) { return junk; };
        QVERIFY(h.click(QStringLiteral("heroButton")));
        QVERIFY(waitIdle(*h.model));
        h.settle();
        QCOMPARE(h.model->page(), Page::junk);
        QCOMPARE(h.text(QStringLiteral("outcomeText")), QStringLiteral("扫描完成，请查看结果"));
        const QList<QObject *> checks = h.findAll(QStringLiteral("rowCheck"), true);
        QVERIFY(checks.size() >= 2);
        QVERIFY(h.clickItem(qobject_cast<QQuickItem *>(checks.at(0))));
        QVERIFY(h.clickItem(qobject_cast<QQuickItem *>(checks.at(1))));
        QVERIFY(h.click(QStringLiteral("reviewButton")));
        QVERIFY(h.click(QStringLiteral("reviewConfirm")));
        QVERIFY(waitIdle(*h.model));
        h.settle();
        QVERIFY(!h.model->showReview());
        QCOMPARE(h.fixture.core->cleanedIds.size(), 1);
        QCOMPARE(h.fixture.core->cleanedIds.at(0).size(), 2);
        QCOMPARE(h.text(QStringLiteral("noticeText")),
            trashWorded(QStringLiteral("已将 2 项移到废纸篓。清空废纸篓后才会释放相应空间。")));
        QCOMPARE(h.text(QStringLiteral("countText")), QStringLiteral("6 项结果 · 部分范围"));
    }
};

QTEST_MAIN(WindowResultsTest)
#include "window_results_test.moc"
