// The filter bar and the applications, duplicates, space, diagnostics, history and
// settings pages in the real window, offscreen, on the fake core.
#include "core/Vocabulary.h"
#include "support/PageSamples.h"
#include "support/SampleData.h"
#include "support/UiHarness.h"

#include "WindowContext.h"
#include "app/Format.h"

#include <QAccessible>
#include <QQuickItem>
#include <QTest>

using namespace VarnollTest;
using Varnoll::Page;

namespace {

} // namespace

class PagesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Varnoll::prepareApplicationLook(); }

    void filterPickersShowTheModelsValuesAndChangeOnce()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::largeFiles);
        h.settle();
        h.find(QStringLiteral("filterPanel"))->setProperty("expanded", true);
        h.settle();
        QVERIFY(h.isShown(QStringLiteral("typePicker")));
        QObject *size = inside(h.find(QStringLiteral("sizePicker")), QStringLiteral("combo"));
        QVERIFY(size);
        QCOMPARE(size->property("currentIndex").toInt(), 2);

        // A pick goes through the model once and the picker keeps following the model.
        QVERIFY(QMetaObject::invokeMethod(size, "activated", Q_ARG(int, 3)));
        h.settle();
        QCOMPARE(h.model->minimumSizeMB(), 1024);
        h.model->setMinimumSizeMB(500); // not among the options
        h.settle();
        QCOMPARE(size->property("currentIndex").toInt(), -1);
        QVERIFY2(
            h.find(QStringLiteral("filterPanel"))->property("label").toString().contains(QStringLiteral("至少 500 MB")),
            qPrintable(h.find(QStringLiteral("filterPanel"))->property("label").toString()));
        h.model->navigate(Page::largeFiles);
        h.settle();
        QCOMPARE(size->property("currentIndex").toInt(), 2);

        // Installers: no type picker; a type chosen before stays in the model.
        h.model->setFileType(FileTypeFilter::videos);
        h.model->navigate(Page::installers);
        h.model->setFileType(FileTypeFilter::videos);
        h.settle();
        h.find(QStringLiteral("filterPanel"))->setProperty("expanded", true);
        h.settle();
        QVERIFY(h.isShown(QStringLiteral("sizePicker")));
        QVERIFY(!h.isShown(QStringLiteral("typePicker")));
        QCOMPARE(h.model->fileType(), FileTypeFilter::videos);

        // While a scan runs nothing can be picked.
        Gate gate;
        h.fixture.core->onScan = [&gate](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &,
                                     const CancellationToken &) {
            gate.wait();
            return makeResult(kind, {});
        };
        h.model->scan();
        h.settle();
        QVERIFY(!h.find(QStringLiteral("fileFiltersView"))->property("enabled").toBool());
        gate.open();
        QVERIFY(waitIdle(*h.model));
    }

    void anApplicationFoundOnlyThroughItsFileShowsWithAllItsFiles()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::applications);
        QVERIFY(h.publish(sampleApplications(h)));
        QCOMPARE(h.findAll(QStringLiteral("applicationCard"), true).size(), 3);
        QCOMPARE(h.text(QStringLiteral("applicationCount")), QStringLiteral("3 个应用"));
        // The application without associated files has no disclosure.
        QCOMPARE(h.findAll(QStringLiteral("associatedDisclosure"), true).size(), 2);

        h.model->setSearch(QStringLiteral("sessions.json"));
        h.settle();
        const QList<QObject *> cards = h.findAll(QStringLiteral("applicationCard"), true);
        QCOMPARE(cards.size(), 1);
        QCOMPARE(h.text(QStringLiteral("applicationCount")), QStringLiteral("1 个应用"));
        QObject *disclosure = inside(cards.first(), QStringLiteral("associatedDisclosure"));
        QCOMPARE(disclosure->property("label").toString(), QStringLiteral("设置和关联文件 · 3 项"));
        QCOMPARE(h.find(QStringLiteral("applicationSearch"), true)->property("text").toString(),
            QStringLiteral("sessions.json"));

        // Ticking the application's row ticks the application only.
        QVERIFY(h.clickItem(item(inside(cards.first(), QStringLiteral("rowCheck")))));
        QCOMPARE(h.model->selectedCount(), 1);
        QCOMPARE(h.model->selectedEntries().first().category, FileCategory::application);

        h.model->setSearch(QStringLiteral("nothing like this"));
        h.settle();
        QCOMPARE(h.text(QStringLiteral("applicationsEmpty")), QStringLiteral("没有匹配的第三方应用。"));

        // The row menu of a card ignores that entry: its card leaves the page.
        h.model->setSearch(QString());
        h.settle();
        const QList<QObject *> all = h.findAll(QStringLiteral("applicationCard"), true);
        QCOMPARE(all.size(), 3);
        QObject *viewer = nullptr;
        for (QObject *card : all) {
            if (card->property("application").toMap().value(QStringLiteral("name")) == QStringLiteral("照片查看器"))
                viewer = card;
        }
        QVERIFY(viewer);
        QVERIFY(h.clickItem(item(inside(viewer, QStringLiteral("rowActions")))));
        QVERIFY(h.click(QStringLiteral("ignoreItem")));
        QCOMPARE(h.model->ignoredPaths().size(), 1);
        QVERIFY(h.model->ignoredPaths().first().endsWith(QStringLiteral("photo-viewer.desktop")));
        QCOMPARE(h.findAll(QStringLiteral("applicationCard"), true).size(), 2);
    }

    void diagnosticsFoldIntoOneLineAndRevealTheirPath()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::applications);
        QVERIFY(h.publish(sampleApplications(h)));
        QObject *view = h.find(QStringLiteral("scanDiagnosticsView"), true);
        QVERIFY(view);
        QObject *disclosure = inside(view, QStringLiteral("disclosureLabel"))->parent();
        QCOMPARE(disclosure->property("label").toString(), QStringLiteral("2 个位置阻止归属核实 · 查看原因"));
        QVERIFY(!h.isShown(QStringLiteral("diagnosticPath")));
        QVERIFY(h.clickItem(item(inside(view, QStringLiteral("disclosureLabel")))));
        QCOMPARE(texts(h.findAll(QStringLiteral("diagnosticPath"), true)).first(),
            QStringLiteral("/opt/tools/legacy-suite"));
        QVERIFY(h.find(QStringLiteral("diagnosticPath"))->property("selectByMouse").toBool());
        // A path that no longer exists is still handed to the file manager, and nothing else happens.
        QVERIFY(h.click(QStringLiteral("revealDiagnostic")));
        QCOMPARE(h.fixture.core->revealed, QStringList { QStringLiteral("/opt/tools/legacy-suite") });
        QCOMPARE(h.model->selectedCount(), 0);
        QVERIFY(h.model->ignoredPaths().isEmpty());
    }

    void theQuickActionTitleFollowsTheSelection()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::duplicates);
        QVERIFY(h.publish(sampleDuplicates(h)));
        QCOMPARE(h.text(QStringLiteral("duplicateSummary")),
            QStringLiteral("2 组 · 多余副本逻辑大小 ") + Varnoll::formatBytes(2 * 4'200'000 + 812'000'000));
        QCOMPARE(texts(h.findAll(QStringLiteral("groupTitle"), true)),
            (QStringList { QStringLiteral("第 1 组 · 3 份相同内容"), QStringLiteral("第 2 组 · 2 份相同内容") }));
        QCOMPARE(h.text(QStringLiteral("quickAction")), QStringLiteral("每组保留一份，选择其余"));
        QVERIFY(h.click(QStringLiteral("quickAction")));
        QCOMPARE(h.model->selectedCount(), 3);
        QCOMPARE(h.text(QStringLiteral("quickAction")), QStringLiteral("取消所有选择"));
        QVERIFY(h.click(QStringLiteral("quickAction")));
        QCOMPARE(h.model->selectedCount(), 0);
        QCOMPARE(h.text(QStringLiteral("quickAction")), QStringLiteral("每组保留一份，选择其余"));

        // No groups: the button waits and the empty line says why.
        QVERIFY(h.publish(makeResult(ScanKind::duplicates, {}, CoverageState::partial, { FileCategory::duplicate })));
        QVERIFY(!h.find(QStringLiteral("quickAction"), true)->property("enabled").toBool());
        QCOMPARE(h.text(QStringLiteral("duplicatesEmpty")),
            QStringLiteral("已校验范围内未确认重复文件，请查看扫描范围提示。"));
    }

    void spaceShowsSharesSizesAndAZeroTotal()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::space);
        QVERIFY(h.publish(sampleSpace(h)));
        QVERIFY(!h.isShown(QStringLiteral("selectionBar")));
        QCOMPARE(h.text(QStringLiteral("coverageTag")), QStringLiteral("部分扫描"));
        const QStringList sizes = texts(h.findAll(QStringLiteral("childSize"), true));
        QVERIFY2(sizes.contains(QStringLiteral("≥ 2.1 GB")), qPrintable(sizes.join(u'|')));
        // A file's name reveals it instead of measuring it.
        const QList<QObject *> names = h.findAll(QStringLiteral("childName"), true);
        QVERIFY(h.clickItem(item(names.at(1))));
        QCOMPARE(h.fixture.core->revealed,
            QStringList { h.fixture.home + QStringLiteral("/Downloads/debian-12.5.0-amd64-DVD-1.iso") });

        // Total zero: every bar is empty.
        FileEntry empty = h.entry(QStringLiteral("Downloads/empty"), 0, FileCategory::spaceItem);
        empty.kind = EntryKind::folder();
        QVERIFY(
            h.publish(makeResult(ScanKind::space, { empty }, CoverageState::complete, { FileCategory::spaceItem })));
        QCOMPARE(h.text(QStringLiteral("spaceSummary")),
            QStringLiteral("已统计 ") + Varnoll::formatBytes(0) + QStringLiteral(" · 1 个直接子项"));
        QVERIFY(!h.isShown(QStringLiteral("shareBar")));
        QCOMPARE(h.find(QStringLiteral("shareBar"))->property("width").toDouble(), 0.0);
    }

    void spaceMapOpensTheClickedFolderWithoutAScan()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::space);
        QVERIFY(h.publish(sampleSpaceTree(h)));
        QVERIFY(!h.isShown(QStringLiteral("spaceMap"))); // the list is the default
        QVERIFY(h.click(QStringLiteral("mapToggle")));
        auto *map = item(h.find(QStringLiteral("spaceMap"), true));
        QVERIFY(map);
        QVERIFY(!h.isShown(QStringLiteral("spaceChildren")));
        QTRY_VERIFY(map->property("cellCount").toInt() > 0);

        QRectF photos;
        QVERIFY(QMetaObject::invokeMethod(
            map, "cellRect", Q_RETURN_ARG(QRectF, photos), Q_ARG(QString, QStringLiteral("photos"))));
        QVERIFY(!photos.isEmpty());
        // The folder's name band: the pointer tells what it is, a click opens it.
        const QPoint band = map->mapToScene(photos.topLeft() + QPointF(6, 6)).toPoint();
        h.hover(band);
        QTRY_VERIFY(map->property("hoverText").toString().startsWith(QStringLiteral("photos\n")));
        QTest::mouseClick(h.window, Qt::LeftButton, {}, band);
        h.settle();
        QCOMPARE(h.model->largeDirectory(), h.fixture.home + QStringLiteral("/Downloads/photos"));
        QCOMPARE(h.fixture.core->directories.size(), 1); // shown from the tree, no second scan
        QVERIFY(h.isShown(QStringLiteral("spaceMap"))); // the map stays while browsing
        QCOMPARE(
            h.text(QStringLiteral("spaceSummary")).section(QStringLiteral(" · "), 1), QStringLiteral("3 个直接子项"));
        // The keys: the largest cell first, the arrows move on, Return opens a folder.
        QVERIFY(map->hasActiveFocus());
        QVERIFY(map->property("accessibleName").toString().startsWith(QStringLiteral("空间地图 · 2023 · ")));
        QTest::keyClick(h.window, Qt::Key_Right);
        QVERIFY(map->property("accessibleName").toString().startsWith(QStringLiteral("空间地图 · raw · ")));
        QTest::keyClick(h.window, Qt::Key_Return);
        h.settle();
        QCOMPARE(h.model->largeDirectory(), h.fixture.home + QStringLiteral("/Downloads/photos/raw"));
        QCOMPARE(h.fixture.core->directories.size(), 1);
    }

    void historyShowsFailuresSizesAndShortPaths()
    {
        UiHarness h;
        restartWithStore(h, sampleRecords(h), {});
        QVERIFY(h.load());
        h.model->navigate(Page::history);
        h.settle();
        QVERIFY(!h.isShown(QStringLiteral("historyEmpty")));
        QCOMPARE(texts(h.findAll(QStringLiteral("recordHeadline"), true)),
            (QStringList { trashWorded(QStringLiteral("2 项已移到废纸篓")),
                trashWorded(QStringLiteral("0 项已移到废纸篓")), trashWorded(QStringLiteral("1 项已移到废纸篓")) }));
        QCOMPARE(texts(h.findAll(QStringLiteral("recordSize"), true)).last(),
            QStringLiteral("≥ ") + Varnoll::formatBytes(2'147'483'648));
        QVERIFY(!h.isShown(QStringLiteral("itemPath")));
        h.openHistoryRecords();
        const QStringList paths = texts(h.findAll(QStringLiteral("itemPath"), true));
        QCOMPARE(paths.first(), QStringLiteral("~/.cache/thumbnails"));
        QVERIFY(paths.contains(QStringLiteral("/media/backup/photos-2019.tar.gz")));

        QVERIFY(h.click(QStringLiteral("openTrashButton")));
        QCOMPARE(h.fixture.core->trashOpened, 1);
    }

    void historyPutsItemsBackByButtonAndScreenReader()
    {
        UiHarness h;
        restartWithStore(h, sampleRecords(h), {});
        QVERIFY(h.load());
        h.model->navigate(Page::history);
        h.openHistoryRecords();
        // Every moved item still in the Trash, and every record holding one, has a button.
        QCOMPARE(h.findAll(QStringLiteral("restoreButton"), true).size(), 3);
        QCOMPARE(h.findAll(QStringLiteral("restoreAllButton"), true).size(), 2);

        // A screen reader names the item and presses it.
        QQuickItem *first = item(h.findAll(QStringLiteral("restoreButton"), true).first());
        QAccessibleInterface *button = QAccessible::queryAccessibleInterface(first);
        QVERIFY(button && button->actionInterface());
        QCOMPARE(button->text(QAccessible::Name), QStringLiteral("把“thumbnails”放回原处"));
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(waitIdle(*h.model));
        h.settle();
        QCOMPARE(h.fixture.core->restored.size(), 1);
        QCOMPARE(h.fixture.core->restored.first().name, QStringLiteral("thumbnails"));
        QCOMPARE(h.findAll(QStringLiteral("restoreButton"), true).size(), 2);
        QVERIFY(texts(h.findAll(QStringLiteral("restoreNote"), true)).first().startsWith(QStringLiteral("已于 ")));
        QCOMPARE(texts(h.findAll(QStringLiteral("restoredSummary"), true)),
            QStringList { QStringLiteral("其中 1 项已放回原处") });

        // The record's button takes the rest of that clean-up; meanwhile every button is off.
        auto gate = std::make_shared<Gate>();
        h.fixture.core->onRestore = [gate](const CleanupItemResult &) {
            gate->wait();
            RestoreOutcome outcome;
            outcome.restored = true;
            return outcome;
        };
        QVERIFY(h.click(QStringLiteral("restoreAllButton")));
        h.settle();
        for (QObject *other : h.findAll(QStringLiteral("restoreButton"), true))
            QVERIFY(!other->property("enabled").toBool());
        gate->open();
        QVERIFY(waitIdle(*h.model));
        h.settle();
        QCOMPARE(h.fixture.core->restored.size(), 2);
        QCOMPARE(h.fixture.core->restored.last().name, QStringLiteral("caches"));
        QCOMPARE(h.findAll(QStringLiteral("restoreAllButton"), true).size(), 1);
    }

    void historyWithoutRecordsShowsItsEmptyPanel()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::history);
        h.settle();
        QVERIFY(h.isShown(QStringLiteral("historyEmpty")));
        QVERIFY(!h.isShown(QStringLiteral("historyRecord")));
    }

    void overviewShowsWhatTheTrashHoldsAndOpensIt()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.settle();
        QCOMPARE(h.text(QStringLiteral("trashUsage")), QStringLiteral("4 项 · ") + Varnoll::formatBytes(3'000'000));
        // The checked hand-off: a notice says where the Trash is when nothing opened it.
        h.fixture.core->opens = false;
        QVERIFY(h.click(QStringLiteral("overviewOpenTrash")));
        QCOMPARE(h.fixture.core->trashOpened, 1);
        QVERIFY(!h.model->noticeText().isEmpty());
    }

    void settingsIgnoreListRemovesTheStoredPath()
    {
        UiHarness h;
        const QStringList ignored = sampleIgnoredPaths(h);
        restartWithStore(h, {}, ignored);
        QVERIFY(h.load());
        h.model->navigate(Page::settings);
        h.settle();
        QCOMPARE(h.text(QStringLiteral("ignoreCount")), QStringLiteral("3 项"));
        QVERIFY(!h.isShown(QStringLiteral("ignoreHint")));
        const QStringList shown = texts(h.findAll(QStringLiteral("ignoredPath"), true));
        QCOMPARE(shown.at(0), QStringLiteral("~/Downloads/keep/重要合同扫描件.pdf"));
        QCOMPARE(shown.at(1), QStringLiteral("/srv/shared/projects"));
        // The long path is cut after two lines but keeps its whole text.
        auto *longPath = item(h.findAll(QStringLiteral("ignoredPath"), true).at(2));
        QVERIFY(longPath->height() < longPath->property("contentHeight").toDouble());
        QVERIFY(longPath->property("text").toString().endsWith(QStringLiteral("file.blend")));

        QVERIFY(h.clickItem(item(h.findAll(QStringLiteral("removeButton"), true).first())));
        QCOMPARE(h.model->ignoredPaths(), ignored.mid(1)); // the full stored path went
        QCOMPARE(h.text(QStringLiteral("ignoreCount")), QStringLiteral("2 项"));
        h.model->removeIgnore(ignored.at(1));
        h.model->removeIgnore(ignored.at(2));
        h.settle();
        QCOMPARE(h.text(QStringLiteral("ignoreCount")), QStringLiteral("0 项"));
        QVERIFY(h.isShown(QStringLiteral("ignoreHint")));

        // The rules open and close without the model; the buttons reach it.
        QVERIFY(!h.isShown(QStringLiteral("ruleBox")));
        h.find(QStringLiteral("rulesDisclosure"))->setProperty("expanded", true);
        h.settle();
        QCOMPARE(h.findAll(QStringLiteral("ruleBox"), true).size(), hostRulePlatform() == RulePlatform::MacOS ? 4 : 5);
        QVERIFY(h.click(QStringLiteral("policyButton")));
        QVERIFY(h.model->showPolicy());
        h.model->setShowPolicy(false);
        h.find(QStringLiteral("rulesDisclosure"))->setProperty("expanded", false); // the button is in sight again
        h.settle();
        QVERIFY(h.click(QStringLiteral("privacyButton")));
        QCOMPARE(h.fixture.core->privacyOpened, 1);
        QCOMPARE(h.text(QStringLiteral("aboutText")), QStringLiteral("VarnollMac清理  0.1.0"));
    }

    void aboutTextWithoutAVersionShowsADash()
    {
        UiHarness h;
        QVERIFY(h.load(QString()));
        h.model->navigate(Page::settings);
        h.settle();
        QCOMPARE(h.text(QStringLiteral("aboutText")), QStringLiteral("VarnollMac清理  —"));
    }
};

QTEST_MAIN(PagesTest)
#include "pages_test.moc"
