// One clean-up on real files through the real core: from the overview's start button
// to the notice, with the item in the Trash afterwards.
#include "core/Vocabulary.h"
#include "support/UiHarness.h"

#include "LinuxDesktopServices.h"
#include "WindowContext.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <functional>

#include <sys/stat.h>
#include <utime.h>

using namespace VarnollTest;
using Varnoll::Page;

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool makeOld(const QString &path, int days)
{
    const time_t when = time(nullptr) - time_t(days) * 86400;
    const utimbuf times { when, when };
    return utime(QFile::encodeName(path).constData(), &times) == 0;
}

} // namespace

class WindowRealCleanupTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Varnoll::prepareApplicationLook(); }

    void staleCacheGoesToTheTrashFromTheWindow()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString home = root.filePath(QStringLiteral("home"));
        // The Trash and the home of this test are the temporary folder's.
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
        const QString stale = home + QStringLiteral("/.cache/old-thumbnails");
        QVERIFY(writeFile(stale + QStringLiteral("/a.png"), QByteArray(40'000, 'a')));
        QVERIFY(writeFile(stale + QStringLiteral("/b.png"), QByteArray(60'000, 'b')));
        QVERIFY(makeOld(stale + QStringLiteral("/a.png"), 40));
        QVERIFY(makeOld(stale + QStringLiteral("/b.png"), 40));
        QVERIFY(makeOld(stale, 40));

        UiHarness h(std::make_shared<Varnoll::GuiDesktopServices>(), home);
        QVERIFY(h.load());
        QVERIFY(h.click(QStringLiteral("heroButton")));
        QVERIFY(waitIdle(*h.model, 60000));
        h.settle();
        QCOMPARE(h.model->page(), Page::junk);
        QCOMPARE(h.text(QStringLiteral("outcomeText")), QStringLiteral("扫描完成，请查看结果"));
        const QStringList names = h.rowTexts(QStringLiteral("rowName"));
        const int row = int(names.indexOf(QStringLiteral("old-thumbnails")));
        QVERIFY2(row >= 0, qPrintable(names.join(u',')));

        auto *list = qobject_cast<QQuickItem *>(h.find(QStringLiteral("resultRows"), true));
        QQuickItem *item = nullptr;
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem *, item), Q_ARG(int, row));
        QVERIFY(item);
        QVERIFY(h.clickItem(item->findChild<QQuickItem *>(QStringLiteral("rowCheck"))));
        QCOMPARE(h.model->selection().size(), 1);
        QVERIFY(h.click(QStringLiteral("reviewButton")));
        QVERIFY(h.click(QStringLiteral("reviewConfirm")));
        QVERIFY(waitIdle(*h.model, 60000));
        h.settle();

        QCOMPARE(h.text(QStringLiteral("noticeText")),
            trashWorded(QStringLiteral("已将 1 项移到废纸篓。清空废纸篓后才会释放相应空间。")));
        QVERIFY(!QFileInfo::exists(stale));
        QVERIFY(QFileInfo::exists(home + QStringLiteral("/.local/share/Trash/files/old-thumbnails/b.png")));
        QVERIFY(!h.rowTexts(QStringLiteral("rowName")).contains(QStringLiteral("old-thumbnails")));
        QCOMPARE(h.model->records().size(), 1);
    }

    void theWholeCleanUpByKeyboard()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const QString home = root.filePath(QStringLiteral("home"));
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
        const QString stale = home + QStringLiteral("/.cache/old-thumbnails");
        QVERIFY(writeFile(stale + QStringLiteral("/a.png"), QByteArray(40'000, 'a')));
        QVERIFY(makeOld(stale + QStringLiteral("/a.png"), 40));
        QVERIFY(makeOld(stale, 40));

        UiHarness h(std::make_shared<Varnoll::GuiDesktopServices>(), home);
        QVERIFY(h.load());
        QVERIFY(QTest::qWaitForWindowActive(h.window));
        const auto focused = [&h] { return h.window->activeFocusItem(); };
        const auto tabTo = [&](const std::function<bool(QQuickItem *)> &wanted) {
            for (int i = 0; i < 80; ++i) {
                QTest::keyClick(h.window, Qt::Key_Tab);
                if (focused() && wanted(focused()))
                    return true;
            }
            return false;
        };
        const auto named
            = [](const QString &name) { return [name](QQuickItem *it) { return it->objectName() == name; }; };

        // Scan: Tab to the hero button and press Space.
        QVERIFY(tabTo(named(QStringLiteral("heroButton"))));
        QVERIFY(focused()->property("visualFocus").toBool());
        QVERIFY(item(inside(focused(), QStringLiteral("focusRing")))->isVisible());
        QTest::keyClick(h.window, Qt::Key_Space);
        QVERIFY(waitIdle(*h.model, 60000));
        h.settle(60);
        QCOMPARE(h.model->page(), Page::junk);

        // Tab into the list, walk down to the item, tick it with Space.
        QVERIFY(tabTo(named(QStringLiteral("fileRow"))));
        QVERIFY(item(inside(focused(), QStringLiteral("focusRing")))->isVisible());
        for (int i = 0; i < 40 && focused()->property("name").toString() != QStringLiteral("old-thumbnails"); ++i)
            QTest::keyClick(h.window, Qt::Key_Down);
        QCOMPARE(focused()->property("name").toString(), QStringLiteral("old-thumbnails"));
        QTest::keyClick(h.window, Qt::Key_Space);
        h.settle();
        QCOMPARE(h.model->selection().size(), 1);
        // The row's "…" menu by Shift+F10; Escape closes it and the row keeps the focus.
        QTest::keyClick(h.window, Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(h.find(QStringLiteral("rowMenu"))->property("visible").toBool());
        QTest::keyClick(h.window, Qt::Key_Escape);
        QTRY_VERIFY(!h.find(QStringLiteral("rowMenu"))->property("visible").toBool());
        QCOMPARE(focused()->property("name").toString(), QStringLiteral("old-thumbnails"));

        // Tab to "查看并确认…", Return; in the sheet Tab to the confirm button, Space.
        QVERIFY(tabTo(named(QStringLiteral("reviewButton"))));
        QTest::keyClick(h.window, Qt::Key_Return);
        h.settle();
        QVERIFY(h.model->showReview());
        QVERIFY(tabTo(named(QStringLiteral("reviewConfirm"))));
        QVERIFY(item(inside(focused(), QStringLiteral("focusRing")))->isVisible());
        QTest::keyClick(h.window, Qt::Key_Space);
        QVERIFY(waitIdle(*h.model, 60000));
        h.settle();

        QVERIFY(!QFileInfo::exists(stale));
        QVERIFY(QFileInfo::exists(home + QStringLiteral("/.local/share/Trash/files/old-thumbnails/a.png")));
        QCOMPARE(h.model->records().size(), 1);
    }
};

QTEST_MAIN(WindowRealCleanupTest)
#include "window_real_cleanup_test.moc"
