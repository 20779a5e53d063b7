// The shell: navigation, top bar, sidebar state, menu commands, notice banner.
#include "core/Vocabulary.h"
#include "support/SampleData.h"
#include "support/UiHarness.h"

#include "Look.h"
#include "WindowContext.h"

#include <QGuiApplication>
#include <QTest>

using namespace VarnollTest;
using Varnoll::Page;

class WindowShellTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Varnoll::prepareApplicationLook(); }

    void loadsWithoutQmlWarnings()
    {
        UiHarness h;
        QVERIFY(h.load());
        QVERIFY2(h.errors.isEmpty(), qPrintable(h.errors.join(u'\n')));
        QCOMPARE(h.window->title(), QStringLiteral("VarnollMac清理"));
        QCOMPARE(h.window->minimumSize(), Varnoll::Look::minimumWindowSize());
        QVERIFY(h.isShown(QStringLiteral("overviewView")));
        QCOMPARE(h.text(QStringLiteral("topBarTitle")), QStringLiteral("首页"));
        QCOMPARE(h.text(QStringLiteral("versionText")), QStringLiteral("v0.1.0"));
        // Qt's own dialogs and controls speak Chinese too, whatever the system's locale.
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
        QCOMPARE(QLocale().language(), QLocale::Chinese);
    }

    void hiddenPagesShowTheOverviewUnderTheirOwnTitle()
    {
        UiHarness h;
        QVERIFY(h.load());
        for (Page hidden : { Page::systemJunk, Page::browser, Page::startup, Page::maintenance }) {
            h.model->navigate(hidden);
            h.settle();
            QVERIFY(h.isShown(QStringLiteral("overviewView")));
            QCOMPARE(h.text(QStringLiteral("topBarTitle")), Varnoll::pageTitle(hidden));
            for (QObject *entry : h.findAll(QStringLiteral("nav_%1").arg(int(Page::overview)))
                    + h.findAll(QStringLiteral("nav_%1").arg(int(Page::largeFiles))))
                QVERIFY(!entry->property("selected").toBool());
        }
        // The overview's controls work there as on the overview.
        QVERIFY(h.click(QStringLiteral("shortcut_%1").arg(int(Page::space))));
        QCOMPARE(h.model->page(), Page::space);
    }

    void filePageTabsKeepTheLargeFilesEntrySelected()
    {
        UiHarness h;
        QVERIFY(h.load());
        QVERIFY(h.click(QStringLiteral("nav_%1").arg(int(Page::largeFiles))));
        QCOMPARE(h.model->page(), Page::largeFiles);
        QVERIFY(h.click(QStringLiteral("tab_%1").arg(int(Page::duplicates))));
        QCOMPARE(h.model->page(), Page::duplicates);
        QCOMPARE(h.text(QStringLiteral("topBarTitle")), QStringLiteral("重复文件"));
        QVERIFY(h.find(QStringLiteral("nav_%1").arg(int(Page::largeFiles)))->property("selected").toBool());
        QVERIFY(h.click(QStringLiteral("tab_%1").arg(int(Page::installers))));
        QCOMPARE(h.text(QStringLiteral("topBarTitle")), QStringLiteral("旧安装包"));
        QVERIFY(h.find(QStringLiteral("nav_%1").arg(int(Page::largeFiles)))->property("selected").toBool());
        QVERIFY(!h.find(QStringLiteral("nav_%1").arg(int(Page::overview)))->property("selected").toBool());
    }

    void junkDotFollowsJunkBytesOnEveryPage()
    {
        UiHarness h;
        QVERIFY(h.load());
        QVERIFY(!h.isShown(QStringLiteral("junkDot")));
        h.model->navigate(Page::junk);
        ScanResult result = sampleJunk(h);
        QVERIFY(h.publish(result));
        QVERIFY(h.isShown(QStringLiteral("junkDot")));
        h.model->navigate(Page::settings);
        h.settle();
        QVERIFY(h.isShown(QStringLiteral("junkDot")));
        // Ignoring every entry brings the junk total back to zero.
        h.model->navigate(Page::junk);
        for (const FileEntry &entry : result.entries)
            h.model->ignore(entry);
        h.settle();
        QCOMPARE(h.model->junkBytes(), 0);
        QVERIFY(!h.isShown(QStringLiteral("junkDot")));
    }

    void rescanCommandFollowsPageAndBusy()
    {
        UiHarness h;
        QVERIFY(h.load());
        QObject *command = h.find(QStringLiteral("rescanCommand"));
        QVERIFY(command);
        QVERIFY(command->property("enabled").toBool()); // the overview is a visible page
        // On the overview it scans junk, through the shortcut too.
        QVERIFY(QTest::qWaitForWindowActive(h.window));
        QTest::keyClick(h.window, Qt::Key_R, Qt::ControlModifier);
        QVERIFY(waitIdle(*h.model));
        QCOMPARE(h.model->page(), Page::junk);
        QVERIFY(h.model->results().contains(ScanKind::junk));

        for (Page page : { Page::history, Page::settings }) {
            h.model->navigate(page);
            h.settle();
            QVERIFY(!command->property("enabled").toBool());
        }
        h.model->navigate(Page::largeFiles);
        h.settle();
        QVERIFY(command->property("enabled").toBool());

        auto gate = std::make_shared<Gate>();
        h.fixture.core->onScan
            = [gate](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &, const CancellationToken &) {
                  gate->wait();
                  ScanResult r;
                  r.kind = kind;
                  return r;
              };
        h.model->scan();
        h.settle();
        QVERIFY(!command->property("enabled").toBool());
        // Sidebar entries are disabled while busy; the policy command still works.
        QVERIFY(!h.find(QStringLiteral("nav_%1").arg(int(Page::overview)))->property("enabled").toBool());
        QMetaObject::invokeMethod(h.find(QStringLiteral("policyCommand")), "trigger");
        QVERIFY(h.model->showPolicy());
        gate->open();
        QVERIFY(waitIdle(*h.model));
        h.settle();
        // The page's commands wait behind an open sheet.
        QVERIFY(!command->property("enabled").toBool());
        h.model->setShowPolicy(false);
        h.settle();
        QVERIFY(command->property("enabled").toBool());
    }

    void closingDuringACleanupWaitsForItsRecord()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::largeFiles);
        const FileEntry a = h.entry(QStringLiteral("Downloads/a.iso"), 1);
        QVERIFY(h.publish(makeResult(ScanKind::largeFiles, { a })));
        h.model->toggle(a);
        auto gate = std::make_shared<Gate>();
        h.fixture.core->onClean = [gate](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot,
                                      const QSet<QString> &, const QList<DuplicateGroup> &, const QList<FileEntry> &) {
            gate->wait();
            return recordFor(snapshot, ids, {});
        };
        h.model->cleanSelection();
        QVERIFY(!h.window->close());
        h.settle();
        QVERIFY(h.window->isVisible());
        QCOMPARE(h.text(QStringLiteral("noticeText")),
            trashWorded(QStringLiteral("正在把选中的项目移到废纸篓并保存清理记录，完成后将自动退出。")));
        gate->open();
        QVERIFY(waitIdle(*h.model));
        QTRY_VERIFY(!h.window->isVisible());
        QCOMPARE(h.model->records().size(), 1);
    }

    void settingsCommandNavigates()
    {
        UiHarness h;
        QVERIFY(h.load());
        QVERIFY(QTest::qWaitForWindowActive(h.window));
        QTest::keyClick(h.window, Qt::Key_Comma, Qt::ControlModifier);
        h.settle();
        QCOMPARE(h.model->page(), Page::settings);
        QVERIFY(h.isShown(QStringLiteral("settingsView")));
    }

    void longNoticeWrapsInsideTheBannerOverTheMainArea()
    {
        UiHarness h;
        QVERIFY(h.load());
        QVERIFY(!h.isShown(QStringLiteral("noticeBanner")));
        h.fixture.core->onScan = [](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                                     const CancellationToken &) -> ScanResult {
            throw Morvane::ScanError(QString(40, u'长') + QStringLiteral("。") + QString(60, u'字'));
        };
        h.model->scan(ScanKind::junk);
        QVERIFY(waitIdle(*h.model));
        h.settle();
        auto *banner = qobject_cast<QQuickItem *>(h.find(QStringLiteral("noticeBanner"), true));
        QVERIFY(banner);
        QVERIFY(banner->width() <= 560);
        QVERIFY(banner->x() >= 222);
        auto *text = qobject_cast<QQuickItem *>(h.find(QStringLiteral("noticeText"), true));
        QVERIFY(text->property("lineCount").toInt() >= 3);
        QVERIFY(banner->height() >= text->height() + 32);
        QVERIFY(h.click(QStringLiteral("closeNotice")));
        QVERIFY(!h.model->hasNotice());
        QVERIFY(!h.isShown(QStringLiteral("noticeBanner")));
    }

    void noticeBannerTakesItsOwnClicks()
    {
        UiHarness h;
        QVERIFY(h.load());
        h.model->navigate(Page::largeFiles);
        QVERIFY(h.publish(sampleLargeFiles(h)));
        h.fixture.core->onScan
            = [](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                  const CancellationToken &) -> ScanResult { throw Morvane::ScanError(QString(120, u'长')); };
        h.model->scan();
        QVERIFY(waitIdle(*h.model));
        h.settle();
        QCOMPARE(h.model->page(), Page::largeFiles);
        QVERIFY(h.model->hasNotice());
        auto *banner = item(h.find(QStringLiteral("noticeBanner"), true));
        QVERIFY(banner);
        const QRectF over = banner->mapRectToScene(banner->boundingRect());
        // Click every spot of the banner that lies over a tab: the page stays.
        int tried = 0;
        for (Page tab : { Page::duplicates, Page::installers }) {
            auto *button = item(h.find(QStringLiteral("tab_%1").arg(int(tab)), true));
            const QRectF under = over.intersected(button->mapRectToScene(button->boundingRect()));
            if (under.isEmpty())
                continue;
            ++tried;
            QTest::mouseClick(h.window, Qt::LeftButton, {}, under.center().toPoint());
            h.settle();
            QCOMPARE(h.model->page(), Page::largeFiles);
        }
        QVERIFY(tried > 0);
        QVERIFY(h.model->hasNotice());
    }

    void pageCommandsWaitBehindASheet()
    {
        UiHarness h;
        QVERIFY(h.load());
        QVERIFY(QTest::qWaitForWindowActive(h.window));
        h.model->navigate(Page::largeFiles);
        const ScanResult result = sampleLargeFiles(h);
        QVERIFY(h.publish(result));
        h.model->toggle(result.entries.constFirst());
        QVERIFY(h.click(QStringLiteral("reviewButton")));
        QVERIFY(h.model->showReview());
        int scans = 0;
        h.fixture.core->onScan = [&scans](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &,
                                     const CancellationToken &) {
            ++scans;
            ScanResult r;
            r.kind = kind;
            return r;
        };
        QTest::keyClick(h.window, Qt::Key_R, Qt::ControlModifier);
        QTest::keyClick(h.window, Qt::Key_Comma, Qt::ControlModifier);
        h.settle();
        QCOMPARE(scans, 0);
        QCOMPARE(h.model->page(), Page::largeFiles);
        QVERIFY(h.model->showReview());
        QCOMPARE(h.model->selection().size(), 1);

        // A focus nobody sees on the confirm button: Space and Return do nothing.
        bool cleaned = false;
        h.fixture.core->onClean = [&cleaned](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot,
                                      const QSet<QString> &, const QList<DuplicateGroup> &, const QList<FileEntry> &) {
            cleaned = true;
            return recordFor(snapshot, ids, {});
        };
        auto *confirm = item(h.find(QStringLiteral("reviewConfirm"), true));
        confirm->forceActiveFocus(Qt::OtherFocusReason);
        QVERIFY(!confirm->property("visualFocus").toBool());
        QVERIFY(!item(inside(confirm, QStringLiteral("focusRing")))->isVisible());
        for (Qt::Key key : { Qt::Key_Space, Qt::Key_Return })
            QTest::keyClick(h.window, key);
        h.settle();
        QVERIFY(!cleaned);
        QVERIFY(h.model->showReview());
        // A selection emptied under the sheet leaves nothing to confirm.
        h.model->toggle(result.entries.constFirst());
        h.settle();
        QVERIFY(!confirm->isEnabled());
        QTest::keyClick(h.window, Qt::Key_Escape);
        h.settle();
        QVERIFY(!h.model->showReview());
        QTest::keyClick(h.window, Qt::Key_Comma, Qt::ControlModifier);
        h.settle();
        QCOMPARE(h.model->page(), Page::settings);
    }

    void menusShowShortcutsAndCloseOnAnOffCommand()
    {
        UiHarness h;
        QVERIFY(h.load());
        QVERIFY(QTest::qWaitForWindowActive(h.window));
        h.model->navigate(Page::settings); // "扫描当前范围" is off here
        h.settle();
        auto *bar = item(h.find(QStringLiteral("menuBar")));
        QVERIFY(bar);
        QQuickItem *fileTitle = nullptr;
        QMetaObject::invokeMethod(bar, "itemAt", Q_RETURN_ARG(QQuickItem *, fileTitle), Q_ARG(int, 0));
        QVERIFY(fileTitle);
        QObject *menu = fileTitle->property("menu").value<QObject *>();
        const auto open = [&] {
            h.clickItem(fileTitle);
            return menu->property("visible").toBool();
        };
        QVERIFY(open());
        QStringList hints;
        for (QObject *hint : h.findAll(QStringLiteral("shortcutHint"), true))
            hints.append(hint->property("text").toString());
        QVERIFY2(hints.contains(QStringLiteral("Ctrl+R")) && hints.contains(QStringLiteral("Ctrl+,")),
            qPrintable(hints.join(u',')));
        QQuickItem *rescan = nullptr;
        for (QObject *command : h.findAll(QStringLiteral("menuCommand"), true))
            if (command->property("text").toString() == QStringLiteral("扫描当前范围"))
                rescan = item(command);
        QVERIFY(rescan && !rescan->isEnabled());
        h.clickItem(rescan);
        QTRY_VERIFY(!menu->property("visible").toBool());
        QCOMPARE(h.model->page(), Page::settings);
        // Escape closes a menu; the next click on its title opens it again.
        QVERIFY(open());
        QTest::keyClick(h.window, Qt::Key_Escape);
        QTRY_VERIFY(!menu->property("visible").toBool());
        QVERIFY(open());
    }
};

QTEST_MAIN(WindowShellTest)
#include "window_shell_test.moc"
