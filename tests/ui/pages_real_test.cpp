// Every scan page in the real window on real files: scans through the real core on a
// generated home folder, then what the pages show and what their buttons do.
#include "core/Vocabulary.h"
#include "support/RealHome.h"
#include "support/UiHarness.h"

#include "WindowContext.h"
#include "app/Format.h"

#include <QDirIterator>
#include <QQuickItem>
#include <QTest>

using namespace VarnollTest;
using Varnoll::Page;

namespace {

/// The label of a button drawn by its own content item.
QString label(QObject *button)
{
    QObject *content = button->property("contentItem").value<QQuickItem *>();
    return content ? content->property("text").toString() : QString();
}

/// The window on the real core over `home`, loaded.
struct RealWindow {
    explicit RealWindow(RealHome &home)
        : services(std::make_shared<RecordingServices>())
    {
        home.activate();
        h = std::make_unique<UiHarness>(services, home.home());
    }

    bool tick(const QString &name) { return h->clickItem(item(inside(h->rowNamed(name), QStringLiteral("rowCheck")))); }

    bool confirmReview()
    {
        if (!h->click(QStringLiteral("reviewButton")) || !h->click(QStringLiteral("reviewConfirm")))
            return false;
        const bool idle = waitIdle(*h->model, 60000);
        h->settle(60);
        return idle;
    }

    std::shared_ptr<RecordingServices> services;
    std::unique_ptr<UiHarness> h;
};

std::int64_t treeBytes(const QString &folder)
{
    std::int64_t total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += it.fileInfo().size();
    }
    return total;
}

} // namespace

class PagesRealTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Varnoll::prepareApplicationLook(); }

    void junkCleanUpIsRecordedWithTheItemThatChangedMeanwhile()
    {
        RealHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        RealWindow w(home);
        QVERIFY(w.h->load());
        QVERIFY(w.h->scanPage(Page::junk));
        const QStringList names = w.h->rowTexts(QStringLiteral("rowName"));
        for (const QString &stale : { QStringLiteral("thumbnails-2025"), QStringLiteral("fontconfig-2024") })
            QVERIFY2(names.contains(stale), qPrintable(names.join(u',')));
        QVERIFY2(!names.contains(QStringLiteral("fresh")), qPrintable(names.join(u',')));

        QVERIFY(w.tick(QStringLiteral("thumbnails-2025")));
        QVERIFY(w.tick(QStringLiteral("fontconfig-2024")));
        QCOMPARE(w.h->model->selectedCount(), 2);
        // The second item changes after the scan: the clean-up leaves it where it is.
        QFile changed(home.path(QStringLiteral(".cache/fontconfig-2024/x.cache-9")));
        QVERIFY(changed.open(QIODevice::Append));
        changed.write("more");
        changed.close();
        QVERIFY(w.confirmReview());
        QCOMPARE(w.h->text(QStringLiteral("noticeText")),
            trashWorded(QStringLiteral("1 项已移入废纸篓，1 项未处理。可在清理记录查看原因。")));
        QVERIFY(!QFileInfo::exists(home.path(QStringLiteral(".cache/thumbnails-2025"))));
        QVERIFY(QFileInfo::exists(home.path(QStringLiteral(".local/share/Trash/files/thumbnails-2025/b.png"))));
        QVERIFY(QFileInfo::exists(home.path(QStringLiteral(".cache/fontconfig-2024/x.cache-9"))));
        // The moved item left the list; the one left behind is still there.
        const QStringList after = w.h->rowTexts(QStringLiteral("rowName"));
        QVERIFY(!after.contains(QStringLiteral("thumbnails-2025")));
        QVERIFY(after.contains(QStringLiteral("fontconfig-2024")));

        w.h->model->navigate(Page::history);
        w.h->settle();
        QCOMPARE(texts(w.h->findAll(QStringLiteral("recordHeadline"), true)),
            QStringList { trashWorded(QStringLiteral("1 项已移到废纸篓")) });
        QCOMPARE(w.h->text(QStringLiteral("recordSize")), Varnoll::formatBytes(100'000));
        w.h->openHistoryRecords();
        const QStringList paths = texts(w.h->findAll(QStringLiteral("itemPath"), true));
        QCOMPARE(paths.size(), 2);
        QVERIFY2(paths.contains(QStringLiteral("~/.cache/thumbnails-2025")), qPrintable(paths.join(u',')));
        QVERIFY2(paths.contains(QStringLiteral("~/.cache/fontconfig-2024")), qPrintable(paths.join(u',')));
        QVERIFY(w.h->click(QStringLiteral("openTrashButton")));
        QCOMPARE(w.services->trashOpened, 1);
    }

    void applicationsShowTheirIconAndAreFoundThroughTheirFiles()
    {
        RealHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        RealWindow w(home);
        QVERIFY(w.h->load());
        QVERIFY(w.h->scanPage(Page::applications));
        QObject *notebook = nullptr;
        QStringList names;
        for (QObject *card : w.h->findAll(QStringLiteral("applicationCard"), true)) {
            const QString name = card->property("application").toMap().value(QStringLiteral("name")).toString();
            names.append(name);
            if (name == QStringLiteral("Notebook"))
                notebook = card;
        }
        QVERIFY2(notebook, qPrintable(names.join(u',')));
        QVERIFY2(names.contains(QStringLiteral("Sketchpad-2.1")), qPrintable(names.join(u',')));
        QCOMPARE(w.h->text(QStringLiteral("applicationCount")), QStringLiteral("%1 个应用").arg(names.size()));
        // The launcher's own picture is drawn instead of the symbol.
        QObject *icon = inside(notebook, QStringLiteral("rowIcon"));
        QVERIFY(icon);
        QTRY_VERIFY(icon->property("ready").toBool());
        QObject *disclosure = inside(notebook, QStringLiteral("associatedDisclosure"));
        // Its launcher, settings folder and sandbox data.
        QCOMPARE(disclosure->property("label").toString(), QStringLiteral("设置和关联文件 · 3 项"));
        QVERIFY(!disclosure->property("expanded").toBool());

        // Only the settings folder's name matches; the application shows with all its files.
        w.h->model->setSearch(QStringLiteral("org.example.Notebook"));
        w.h->settle();
        const QList<QObject *> found = w.h->findAll(QStringLiteral("applicationCard"), true);
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first()->property("application").toMap().value(QStringLiteral("name")).toString(),
            QStringLiteral("Notebook"));
        QCOMPARE(found.first()->property("associatedCount").toInt(), 3);
        QVERIFY(w.h->findAll(QStringLiteral("scanDiagnosticsView"), true).isEmpty());
    }

    void anUnreadableFolderIsListedInTheDiagnostics()
    {
        RealHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        if (!home.lockFolder(QStringLiteral(".var/app")))
            QSKIP("this user reads every folder; the unprivileged run covers it");
        RealWindow w(home);
        QVERIFY(w.h->load());
        QVERIFY(w.h->scanPage(Page::applications));
        QObject *view = w.h->find(QStringLiteral("scanDiagnosticsView"), true);
        QVERIFY(view);
        QObject *label = inside(view, QStringLiteral("disclosureLabel"));
        QCOMPARE(label->parent()->property("label").toString(), QStringLiteral("1 个位置阻止归属核实 · 查看原因"));
        QVERIFY(w.h->clickItem(item(label)));
        const QString folder = home.path(QStringLiteral(".var/app"));
        QCOMPARE(texts(w.h->findAll(QStringLiteral("diagnosticPath"), true)), QStringList { folder });
        QVERIFY(w.h->click(QStringLiteral("revealDiagnostic")));
        QCOMPARE(w.services->revealed, QStringList { folder });
    }

    void largeFilesAndInstallersFollowTheirFilters()
    {
        RealHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        RealWindow w(home);
        QVERIFY(w.h->load());
        QVERIFY(w.h->scanPage(Page::largeFiles));
        QCOMPARE(w.h->rowTexts(QStringLiteral("rowName")),
            (QStringList { QStringLiteral("holiday.mkv"), QStringLiteral("backup-2024.tar.gz") }));
        QCOMPARE(w.h->rowTexts(QStringLiteral("rowSize")),
            (QStringList { Varnoll::formatBytes(RealHome::movieBytes), Varnoll::formatBytes(RealHome::backupBytes) }));

        // A smaller bound from the picker, and the disk image joins.
        w.h->find(QStringLiteral("filterPanel"))->setProperty("expanded", true);
        w.h->settle();
        QObject *size = inside(w.h->find(QStringLiteral("sizePicker")), QStringLiteral("combo"));
        QVERIFY(size);
        const int ten = size->property("model").toStringList().indexOf(QStringLiteral("至少 10 MB"));
        QVERIFY2(ten >= 0, qPrintable(size->property("model").toStringList().join(u',')));
        QVERIFY(QMetaObject::invokeMethod(size, "activated", Q_ARG(int, ten)));
        w.h->settle();
        QCOMPARE(w.h->model->minimumSizeMB(), 10);
        // The old result no longer answers the filters: it goes until the next scan.
        QVERIFY(!w.h->model->hasCurrentResult());
        QVERIFY(w.h->isShown(QStringLiteral("introduction")));
        QVERIFY(w.h->scanPage(Page::largeFiles));
        QCOMPARE(w.h->rowTexts(QStringLiteral("rowName")),
            (QStringList { QStringLiteral("holiday.mkv"), QStringLiteral("backup-2024.tar.gz"),
                QStringLiteral("debian-netinst.iso") }));

        // Another folder: only what is inside it.
        w.h->model->directoryChosen(home.path(QStringLiteral("Downloads/movies")));
        QVERIFY(waitIdle(*w.h->model, 60000));
        w.h->settle(60);
        QCOMPARE(w.h->text(QStringLiteral("folderTitle")), QStringLiteral("扫描位置：movies"));
        QCOMPARE(w.h->rowTexts(QStringLiteral("rowName")), QStringList { QStringLiteral("holiday.mkv") });
        QVERIFY(!w.h->isShown(QStringLiteral("parentButton"))); // the space page's own
        w.h->model->directoryChosen(home.downloads());
        QVERIFY(waitIdle(*w.h->model, 60000));

        // Installers: the page's own 30 days keep the new download out.
        QVERIFY(w.h->scanPage(Page::installers));
        QCOMPARE(w.h->rowTexts(QStringLiteral("rowName")),
            (QStringList { QStringLiteral("debian-netinst.iso"), QStringLiteral("Editor-Setup.exe"),
                QStringLiteral("Viewer.dmg"), QStringLiteral("tool_1.4_amd64.deb") }));
    }

    void duplicatesKeepTheFirstCopyAndLeaveOnceCleaned()
    {
        RealHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        RealWindow w(home);
        QVERIFY(w.h->load());
        QVERIFY(w.h->scanPage(Page::duplicates));
        QCOMPARE(w.h->text(QStringLiteral("duplicateSummary")),
            QStringLiteral("2 组 · 多余副本逻辑大小 ")
                + Varnoll::formatBytes(RealHome::photoBytes + 2 * RealHome::reportBytes));
        QCOMPARE(texts(w.h->findAll(QStringLiteral("groupTitle"), true)),
            (QStringList { QStringLiteral("第 1 组 · 2 份相同内容"), QStringLiteral("第 2 组 · 3 份相同内容") }));
        QCOMPARE(w.h->findAll(QStringLiteral("duplicateGroup"), true).size(), 2);
        QCOMPARE(w.h->findAll(QStringLiteral("duplicateFile"), true).size(), 5);
        // The copy kept by the quick action: the shortest path of equally old copies.
        QCOMPARE(w.h->model->currentResult()->duplicateGroups.at(1).files.first().name, QStringLiteral("report.pdf"));

        QVERIFY(w.h->click(QStringLiteral("quickAction")));
        QCOMPARE(w.h->model->selectedCount(), 3);
        QCOMPARE(w.h->text(QStringLiteral("quickAction")), QStringLiteral("取消所有选择"));
        QVERIFY(w.confirmReview());
        QCOMPARE(w.h->text(QStringLiteral("noticeText")),
            trashWorded(QStringLiteral("已将 3 项移到废纸篓。清空废纸篓后才会释放相应空间。")));
        QVERIFY(QFileInfo::exists(home.path(QStringLiteral("Downloads/report.pdf"))));
        QVERIFY(!QFileInfo::exists(home.path(QStringLiteral("Downloads/old/report-copy.pdf"))));
        QVERIFY(QFileInfo::exists(home.path(QStringLiteral("Downloads/photos/IMG_0001.jpg"))));
        // A set with one copy left is no set: the page says nothing is duplicated now.
        QVERIFY(w.h->findAll(QStringLiteral("duplicateGroup"), true).isEmpty());
        QCOMPARE(w.h->text(QStringLiteral("duplicateSummary")),
            QStringLiteral("0 组 · 多余副本逻辑大小 ") + Varnoll::formatBytes(0));
        QCOMPARE(w.h->text(QStringLiteral("duplicatesEmpty")), QStringLiteral("本次范围内未发现完全相同的非空文件。"));
    }

    void spaceMeasuresTheFolderAndDrillsIn()
    {
        RealHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        RealWindow w(home);
        QVERIFY(w.h->load());
        QVERIFY(w.h->scanPage(Page::space));
        const int children = int(QDir(home.downloads()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
        QCOMPARE(w.h->text(QStringLiteral("spaceSummary")),
            QStringLiteral("已统计 %1 · %2 个直接子项")
                .arg(Varnoll::formatBytes(treeBytes(home.downloads())))
                .arg(children));
        QCOMPARE(w.h->text(QStringLiteral("coverageTag")), QStringLiteral("已完成"));
        QVERIFY(!w.h->isShown(QStringLiteral("selectionBar")));

        QObject *movies = nullptr;
        QObject *backup = nullptr;
        const QList<QObject *> shown = w.h->findAll(QStringLiteral("childName"), true);
        QStringList names;
        for (QObject *name : shown) {
            names.append(label(name));
            if (names.last() == QStringLiteral("movies"))
                movies = name;
            if (names.last() == QStringLiteral("backup-2024.tar.gz"))
                backup = name;
        }
        QVERIFY2(movies && backup, qPrintable(names.join(u',')));
        // A file's name shows it in the file manager; a folder's name measures it.
        QVERIFY(w.h->clickItem(item(backup)));
        QCOMPARE(w.services->revealed, QStringList { home.path(QStringLiteral("Downloads/backup-2024.tar.gz")) });
        QVERIFY(w.h->clickItem(item(movies)));
        QVERIFY(waitIdle(*w.h->model, 60000));
        w.h->settle(60);
        QCOMPARE(w.h->model->largeDirectory(), home.path(QStringLiteral("Downloads/movies")));
        QCOMPARE(w.h->text(QStringLiteral("spaceSummary")),
            QStringLiteral("已统计 %1 · 1 个直接子项").arg(Varnoll::formatBytes(RealHome::movieBytes)));
        QCOMPARE(texts(w.h->findAll(QStringLiteral("childSize"), true)),
            QStringList { Varnoll::formatBytes(RealHome::movieBytes) });
        QVERIFY(w.h->click(QStringLiteral("parentButton")));
        QVERIFY(waitIdle(*w.h->model, 60000));
        QCOMPARE(w.h->model->largeDirectory(), home.downloads());
    }

    void cancellingARunningScanKeepsTheLastResult()
    {
        RealHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        RealWindow w(home);
        QVERIFY(w.h->load());
        QVERIFY(w.h->scanPage(Page::space));
        const QString before = w.h->text(QStringLiteral("spaceSummary"));
        QVERIFY(before.startsWith(QStringLiteral("已统计 ")));

        w.services->holdScans = std::make_shared<Gate>();
        QVERIFY(w.h->click(QStringLiteral("rescanButton")));
        QTRY_VERIFY(w.h->isShown(QStringLiteral("cancelButton")));
        QVERIFY(!w.h->isShown(QStringLiteral("spaceResultsView"))); // the progress block stands in
        QVERIFY(w.h->click(QStringLiteral("cancelButton")));
        w.services->holdScans->open();
        QVERIFY(waitIdle(*w.h->model, 60000));
        w.h->settle(60);
        QCOMPARE(w.h->model->status(), QStringLiteral("扫描已取消，保留上次结果"));
        QCOMPARE(w.h->text(QStringLiteral("spaceSummary")), before);
        QVERIFY(!w.h->isShown(QStringLiteral("cancelButton")));
    }

    void anIgnoredFileLeavesThePagesUntilRemovedInSettings()
    {
        RealHome home;
        QVERIFY2(home.isValid(), qPrintable(home.error()));
        RealWindow w(home);
        QVERIFY(w.h->load());
        QVERIFY(w.h->scanPage(Page::largeFiles));
        QQuickItem *movie = w.h->rowNamed(QStringLiteral("holiday.mkv"));
        QVERIFY(movie);
        QVERIFY(w.h->clickItem(item(inside(movie, QStringLiteral("rowActions")))));
        QVERIFY(w.h->click(QStringLiteral("ignoreItem")));
        QCOMPARE(w.h->rowTexts(QStringLiteral("rowName")), QStringList { QStringLiteral("backup-2024.tar.gz") });

        w.h->model->navigate(Page::settings);
        w.h->settle();
        QCOMPARE(w.h->text(QStringLiteral("ignoreCount")), QStringLiteral("1 项"));
        QCOMPARE(texts(w.h->findAll(QStringLiteral("ignoredPath"), true)),
            QStringList { QStringLiteral("~/Downloads/movies/holiday.mkv") });
        // A new scan does not bring it back while it is ignored...
        QVERIFY(w.h->scanPage(Page::largeFiles));
        QVERIFY(!w.h->rowTexts(QStringLiteral("rowName")).contains(QStringLiteral("holiday.mkv")));
        // ...and does once it is removed from the list.
        w.h->model->navigate(Page::settings);
        w.h->settle();
        QVERIFY(w.h->click(QStringLiteral("removeButton")));
        QVERIFY(w.h->isShown(QStringLiteral("ignoreHint")));
        QVERIFY(w.h->scanPage(Page::largeFiles));
        QVERIFY(w.h->rowTexts(QStringLiteral("rowName")).contains(QStringLiteral("holiday.mkv")));
    }
};

QTEST_MAIN(PagesRealTest)
#include "pages_real_test.moc"
