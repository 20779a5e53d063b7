// The results page, the file rows and the two sheets, driven through the real QML.
#include "core/Vocabulary.h"
#include "support/PageSamples.h"
#include "support/SampleData.h"
#include "support/UiHarness.h"

#include "Look.h"
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

    void scopeNotesOpenClosedAndFullOnEveryPage()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::junk);
        QVERIFY(h.publish(sampleJunk(h)));
        auto *notes = item(h.find(QStringLiteral("scopeNotes"), true));
        QVERIFY(notes);
        notes->setProperty("expanded", true);
        h.settle();
        notes->setProperty("expanded", false);
        // Another page's result, then back: the notes start closed and open with their lines.
        h.model->navigate(Page::largeFiles);
        ScanResult large = sampleLargeFiles(h);
        large.scopeNotes = { QStringLiteral("已跳过云端项目") };
        QVERIFY(h.publish(large));
        notes = item(h.find(QStringLiteral("scopeNotes"), true));
        QVERIFY(!notes->property("expanded").toBool());
        notes->setProperty("expanded", true);
        h.settle();
        QVERIFY(notes->height() > 30);
        h.model->navigate(Page::junk);
        h.settle();
        QVERIFY(!notes->property("expanded").toBool());
        notes->setProperty("expanded", true);
        h.settle();
        QVERIFY2(notes->height() > 3 * 14, qPrintable(QString::number(notes->height())));
    }

    void firstJunkResultPlacesItsCardsSideBySideAndTicksAtOnce()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::junk);
        QVERIFY(h.publish(sampleJunk(h)));
        QList<QQuickItem *> cards;
        for (int raw : { 0, 1, 2 })
            cards.append(item(h.find(QStringLiteral("category_%1").arg(raw), true)));
        QVERIFY(cards.at(0) && cards.at(1) && cards.at(2));
        for (int i = 1; i < 3; ++i) {
            const QRectF previous = cards.at(i - 1)->mapRectToScene(cards.at(i - 1)->boundingRect());
            const QRectF card = cards.at(i)->mapRectToScene(cards.at(i)->boundingRect());
            QVERIFY2(card.left() >= previous.right() + 8, qPrintable(QStringLiteral("card %1 overlaps").arg(i)));
            QVERIFY(card.width() > 200);
        }
        // The header's rescan button sits at the right, clear of the title.
        auto *rescan = item(h.find(QStringLiteral("rescanButton"), true));
        QVERIFY(rescan);
        QVERIFY2(rescan->mapToScene(QPointF(rescan->width(), 0)).x()
                > cards.at(2)->mapToScene(QPointF(cards.at(2)->width() - 2, 0)).x(),
            qPrintable(QString::number(rescan->mapToScene(QPointF(0, 0)).x())));
        const QList<QQuickItem *> rows = h.rows();
        QVERIFY(!rows.isEmpty());
        QVERIFY(h.clickItem(item(inside(rows.constFirst(), QStringLiteral("rowCheck")))));
        QCOMPARE(h.model->selection().size(), 1);
    }

    void diagnosticsKeepTheirRowsUnderTheWarningAndShowThereAreMore()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::applications);
        ScanResult result = sampleApplications(h);
        for (int i = 0; i < 12; ++i)
            result.diagnostics.append({ QStringLiteral("x%1").arg(i), QStringLiteral("/opt/more/%1").arg(i),
                QStringLiteral("无法读取启动器，归属未核实") });
        QVERIFY(h.publish(result));
        auto *view = h.find(QStringLiteral("scanDiagnosticsView"), true);
        QVERIFY(view);
        view->setProperty("expanded", true);
        h.settle();
        auto *rows = item(h.find(QStringLiteral("diagnosticRows"), true));
        QVERIFY(rows);
        QCOMPARE(rows->property("topMargin").toReal(), 0.0);
        QVERIFY(rows->clip());
        QVERIFY(rows->property("contentHeight").toReal() > rows->height());
        auto *bar = h.find(QStringLiteral("diagnosticScrollBar"));
        QVERIFY(bar);
        QCOMPARE(bar->property("policy").toInt(), 2); // ScrollBar.AlwaysOn
    }

    void pickersAndMenusHighlightWithDarkTextOnLight()
    {
        UiHarness h;
        QVERIFY(h.load());
        // The Basic style's highlighted options (the folder dialog's too) and selected text.
        auto *palette = h.window->property("palette").value<QObject *>();
        QVERIFY(palette);
        const auto color = [palette](const char *role) { return palette->property(role).value<QColor>(); };
        for (const char *behind : { "light", "highlight" })
            QVERIFY(color(behind).lightnessF() - color("highlightedText").lightnessF() > 0.5);
        h.model->navigate(Page::largeFiles);
        h.settle();
        h.find(QStringLiteral("filterPanel"), true)->setProperty("expanded", true);
        h.settle();
        QObject *combo = inside(h.find(QStringLiteral("sizePicker"), true), QStringLiteral("combo"));
        QVERIFY(combo);
        QMetaObject::invokeMethod(combo->property("popup").value<QObject *>(), "open");
        QTRY_VERIFY(!h.findAll(QStringLiteral("pickerOption"), true).isEmpty());
        combo->setProperty("highlightedIndex", 1);
        h.settle();
        for (QObject *option : h.findAll(QStringLiteral("pickerOption"), true)) {
            const auto *face = option->property("contentItem").value<QQuickItem *>();
            QVERIFY(face->property("color").value<QColor>().lightnessF() < 0.3);
        }
    }

    void everyResultsPageKeepsFiveRowsAtTheMinimumSize()
    {
        UiHarness h;
        QVERIFY(h.load());
        // A 1366 × 768 screen under a 32-pixel panel: the first size and the minimum
        // leave room for a title bar within 700.
        const QSize first = Varnoll::Look::windowSize(QSize(1366, 736));
        QVERIFY(first.width() <= 1366 && first.height() + 37 <= 700);
        QVERIFY(Varnoll::Look::minimumWindowSize().height() + 37 <= 700);
        QCOMPARE(Varnoll::Look::windowSize(QSize(1920, 1050)), QSize(1180, 820));
        h.window->resize(Varnoll::Look::minimumWindowSize());
        h.settle();
        struct Case {
            Page page;
            ScanResult result;
            QString list;
            qreal rows;
        };
        const QList<Case> cases = {
            { Page::junk, sampleJunk(h), QStringLiteral("resultRows"), 5 * 56 },
            { Page::largeFiles, manyLargeFiles(h, 40), QStringLiteral("resultRows"), 5 * 56 },
            { Page::applications, sampleApplications(h), QStringLiteral("applicationCards"), 5 * 56 },
            { Page::duplicates, sampleDuplicates(h), QStringLiteral("duplicateGroups"), 5 * 56 },
            { Page::space, sampleSpace(h), QStringLiteral("spaceChildren"), 5 * 56 },
        };
        for (const Case &c : cases) {
            h.model->navigate(c.page);
            QVERIFY(h.publish(c.result));
            // The panels that make the page tallest are open.
            for (const QString &panel : { QStringLiteral("filterPanel"), QStringLiteral("scopeNotes") })
                if (QObject *open = h.find(panel, true))
                    open->setProperty("expanded", true);
            h.settle(60);
            auto *list = item(h.find(c.list, true));
            QVERIFY2(list, qPrintable(c.list));
            QVERIFY2(list->height() >= c.rows, qPrintable(QStringLiteral("%1: %2").arg(c.list).arg(list->height())));
            // What must be pressed can be scrolled to: the whole page is within the scroller.
            auto *scroller = item(h.find(QStringLiteral("pageScroller"), true));
            QVERIFY(scroller->property("contentHeight").toReal() >= scroller->height());
            // The selection bar stays in sight, under what scrolls.
            if (auto *bar = item(h.find(QStringLiteral("selectionBar"), true))) {
                const QRectF shown = bar->mapRectToScene(bar->boundingRect());
                QVERIFY(shown.bottom() <= h.window->height());
                QVERIFY(shown.top() >= scroller->mapToScene(QPointF(0, scroller->height())).y());
            }
        }
    }
};

QTEST_MAIN(WindowResultsTest)
#include "window_results_test.moc"
