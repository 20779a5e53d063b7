// Putting items back from the Trash: what our clean-up moved (by its history item) and
// what other clients moved (by original path), on real trees in a throwaway home with
// its own Trash. Nothing is overwritten, nothing but the named item comes back.
#include "support/TrashFixtures.h"

#include "core/CleanupService.h"
#include "core/RestoreService.h"
#include "core/Vocabulary.h"
#include "core/trash/TrashContents.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace Morvane;
using namespace TrashFixtures;

namespace {

// A throwaway home whose Trash is its own, with the services pointed at it.
struct Home {
    QTemporaryDir root;
    QString home = joinPath(root.path(), QStringLiteral("home"));
    QString trash = joinPath(home, QStringLiteral(".local/share/Trash"));
    ScopedDataHome dataHome { joinPath(home, QStringLiteral(".local/share")) };

    Home() { QDir().mkpath(home); }
    ~Home() { removeTestTree(root.path()); } // names that are not UTF-8 too

    [[nodiscard]] CleanupService cleanup() const
    {
        CleanupEnvironment environment;
        environment.home = home;
        return CleanupService(environment);
    }
    [[nodiscard]] RestoreService restorer(const OsCalls *os = nullptr) const
    {
        RestoreEnvironment environment;
        environment.home = home;
        environment.os = os;
        return RestoreService(environment);
    }
    /// Moves one item with our clean-up; its history item.
    [[nodiscard]] CleanupItemResult moveToTrash(const QString &path) const
    {
        const CleanupRecord record = cleanup().cleanPaths({ path });
        return record.items.value(0);
    }
    [[nodiscard]] QStringList trashFiles() const { return entriesOf(joinPath(trash, QStringLiteral("files"))); }
    [[nodiscard]] QStringList trashInfos() const { return entriesOf(joinPath(trash, QStringLiteral("info"))); }
};

QProcessEnvironment clientEnvironment(const Home &h)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), h.home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), joinPath(h.home, QStringLiteral(".local/share")));
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    return env;
}

} // namespace

class RestoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Never the real Trash, even when a test forgets its own.
        QVERIFY(m_guardHome.isValid());
        qputenv("XDG_DATA_HOME", pathToBytes(m_guardHome.path()));
        qputenv("HOME", pathToBytes(m_guardHome.path()));
    }

    void putsBackFilesAndFoldersWithUnusualNames()
    {
        Home h;
        const QString docs = joinPath(h.home, QStringLiteral("docs"));
        QVERIFY(makeFolder(docs));
        const QList<QByteArray> names = { "plain.txt", "100% done", "two\nlines", "bad\xff\xfe.bin", "project" };
        QList<CleanupItemResult> moved;
        for (const QByteArray &name : names) {
            const QString path = joinPath(docs, pathFromBytes(name));
            if (name == "project") {
                QVERIFY(makeFolder(path));
                QVERIFY(makeFolder(joinPath(path, QStringLiteral("src"))));
                QVERIFY(writeFile(joinPath(path, QStringLiteral("src/main.c")), QByteArray(700, 'c')));
                // The Trash keeps folder sizes: our line is dropped again, others stay.
                QVERIFY(QDir().mkpath(h.trash));
                QVERIFY(writeFile(joinPath(h.trash, QStringLiteral("directorysizes")), "12 1700000000 other\n"));
            } else {
                QVERIFY(writeFile(path, "content of " + name));
            }
            moved.append(h.moveToTrash(path));
            QVERIFY2(moved.last().moved, qPrintable(moved.last().message));
            QVERIFY(moved.last().trashIdentity.has_value());
            QVERIFY(!exists(path));
        }
        QVERIFY(readFile(joinPath(h.trash, QStringLiteral("directorysizes"))).contains(" project\n"));
        QCOMPARE(h.restorer().stillInTrash(moved), QList<bool>(names.size(), true));

        for (const CleanupItemResult &item : moved) {
            const RestoreOutcome outcome = h.restorer().restore(item);
            QVERIFY2(outcome.restored, qPrintable(outcome.message));
            QCOMPARE(outcome.message, QStringLiteral("已放回原处。"));
        }
        for (const QByteArray &name : names.mid(0, 4))
            QCOMPARE(readFile(joinPath(docs, pathFromBytes(name))), "content of " + name);
        QCOMPARE(readFile(joinPath(docs, QStringLiteral("project/src/main.c"))), QByteArray(700, 'c'));
        QCOMPARE(h.trashFiles(), QStringList());
        QCOMPARE(h.trashInfos(), QStringList());
        QCOMPARE(readFile(joinPath(h.trash, QStringLiteral("directorysizes"))), "12 1700000000 other\n");
        QCOMPARE(h.restorer().stillInTrash(moved), QList<bool>(names.size(), false));
        // A second restore of the same item finds nothing to bring back.
        QVERIFY(!h.restorer().restore(moved.first()).restored);
    }

    void putsBackWhatOtherClientsTrashedByOriginalPath()
    {
        const QString put = QStandardPaths::findExecutable(QStringLiteral("trash-put"));
        if (put.isEmpty())
            QSKIP("trash-cli is not installed");
        Home h;
        const QString file = joinPath(h.home, QStringLiteral("notes/50% draft.txt"));
        const QString folder = joinPath(h.home, QStringLiteral("notes/photos"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(writeFile(joinPath(folder, QStringLiteral("a.jpg")), "jpeg"));
        auto trashPut = [&](const QString &path) {
            QProcess process;
            process.setProcessEnvironment(clientEnvironment(h));
            process.start(put, { path });
            return process.waitForFinished(30000) && process.exitCode() == 0;
        };
        // The same path trashed twice: the most recent one comes back.
        QVERIFY(writeFile(file, "older"));
        QVERIFY(trashPut(file));
        QVERIFY(writeFile(file, "newer"));
        QVERIFY(trashPut(file));
        QVERIFY(trashPut(folder));
        for (const QString &info : h.trashInfos()) {
            if (readFile(joinPath(h.trash, QStringLiteral("files/") + info.chopped(10))) != "older")
                continue;
            // Both went in the same second: the older one is dated a day earlier.
            const QString infoPath = joinPath(h.trash, QStringLiteral("info/") + info);
            QByteArray text = readFile(infoPath);
            text = text.left(text.indexOf("DeletionDate=")) + "DeletionDate=2001-01-01T00:00:00\n";
            QVERIFY(writeFile(infoPath, text));
        }
        QCOMPARE(h.trashFiles().size(), 3);

        const QList<TrashEntry> listed = listTrash({ h.trash, {} }, true);
        QCOMPARE(listed.size(), 3);
        // One call, each trash listed once: what came back is not found there again, so
        // the same path a second time finds the older copy, whose place is now taken.
        const QList<RestoreOutcome> outcomes = h.restorer().restoreOriginals({ file, folder, file });
        QVERIFY2(outcomes.at(0).restored, qPrintable(outcomes.at(0).message));
        QCOMPARE(readFile(file), "newer");
        QVERIFY2(outcomes.at(1).restored, qPrintable(outcomes.at(1).message));
        QCOMPARE(readFile(joinPath(folder, QStringLiteral("a.jpg"))), "jpeg");
        QVERIFY(!outcomes.at(2).restored);
        QCOMPARE(outcomes.at(2).errorCode, EEXIST);
        QCOMPARE(readFile(file), "newer");
        QCOMPARE(h.trashFiles().size(), 1);
        QVERIFY(!h.restorer().restoreOriginal(joinPath(h.home, QStringLiteral("never trashed"))).restored);
    }

    void neverOverwritesOrMergesWhatTookTheOriginalPlace()
    {
        Home h;
        const QString file = joinPath(h.home, QStringLiteral("report.txt"));
        const QString folder = joinPath(h.home, QStringLiteral("album"));
        QVERIFY(writeFile(file, "trashed"));
        QVERIFY(makeFolder(folder));
        QVERIFY(writeFile(joinPath(folder, QStringLiteral("one")), "1"));
        const CleanupItemResult fileItem = h.moveToTrash(file);
        const CleanupItemResult folderItem = h.moveToTrash(folder);
        QVERIFY(writeFile(file, "new one"));
        QVERIFY(makeFolder(folder));
        for (const CleanupItemResult &item : { fileItem, folderItem }) {
            const RestoreOutcome outcome = h.restorer().restore(item);
            QVERIFY(!outcome.restored);
            QCOMPARE(outcome.message, QStringLiteral("原处已有同名项目，为免覆盖，未放回。"));
        }
        QCOMPARE(readFile(file), "new one");
        QCOMPARE(entriesOf(folder), QStringList());
        QCOMPARE(h.trashFiles(), (QStringList { QStringLiteral("album"), QStringLiteral("report.txt") }));

        // Taken in the instant between the check and the move: the move itself refuses.
        QVERIFY(::unlink(pathToBytes(file).constData()) == 0);
        OsCalls os = OsCalls::system();
        os.renameNoReplaceAt = [&file](int fromDir, const char *from, int toDir, const char *to) {
            writeFile(file, "raced in");
            return OsCalls::system().renameNoReplaceAt(fromDir, from, toDir, to);
        };
        const RestoreOutcome raced = h.restorer(&os).restore(fileItem);
        QVERIFY(!raced.restored);
        QCOMPARE(raced.errorCode, EEXIST);
        QCOMPARE(readFile(file), "raced in");
        QVERIFY(h.trashFiles().contains(QStringLiteral("report.txt")));
        QCOMPARE(h.trashInfos().size(), 2);
    }

    void missingFoldersAreMadeAgainOnlyInsideHomeWhenAsked()
    {
        Home h;
        const QString deep = joinPath(h.home, QStringLiteral("a/b/c.txt"));
        QVERIFY(QDir().mkpath(parentPath(deep)));
        QVERIFY(writeFile(deep, "deep"));
        const CleanupItemResult item = h.moveToTrash(deep);
        QVERIFY(QDir(joinPath(h.home, QStringLiteral("a"))).removeRecursively());

        const RestoreOutcome refused = h.restorer().restore(item);
        QVERIFY(!refused.restored);
        QCOMPARE(refused.message,
            QStringLiteral("原来所在的文件夹“%1”已不存在，未放回。").arg(joinPath(h.home, QStringLiteral("a"))));
        RestoreOptions recreate;
        recreate.recreateFolders = true;
        const RestoreOutcome made = h.restorer().restore(item, recreate);
        QVERIFY2(made.restored, qPrintable(made.message));
        QCOMPARE(made.message, QStringLiteral("已放回原处（重建了 2 个文件夹）。"));
        QCOMPARE(readFile(deep), "deep");

        // Outside the home folder nothing is made, even when asked.
        const QString outside = joinPath(h.root.path(), QStringLiteral("elsewhere/x.txt"));
        QVERIFY(QDir().mkpath(parentPath(outside)));
        QVERIFY(writeFile(outside, "x"));
        const CleanupItemResult away = h.moveToTrash(outside);
        QVERIFY2(away.moved, qPrintable(away.message));
        QVERIFY(QDir(parentPath(outside)).removeRecursively());
        const RestoreOutcome kept = h.restorer().restore(away, recreate);
        QVERIFY(!kept.restored);
        QVERIFY2(kept.message.contains(QStringLiteral("只在个人文件夹内才会重建文件夹")), qPrintable(kept.message));
        QVERIFY(!exists(parentPath(outside)));
        QCOMPARE(h.trashFiles(), QStringList { QStringLiteral("x.txt") });
    }

    void refusesWhatIsNoLongerTheTrashedItem()
    {
        Home h;
        QList<CleanupItemResult> items;
        for (const QString &name : { QStringLiteral("replaced"), QStringLiteral("edited"), QStringLiteral("removed"),
                 QStringLiteral("renamed info"), QStringLiteral("old record") }) {
            const QString path = joinPath(h.home, name);
            QVERIFY(writeFile(path, "twelve bytes"));
            items.append(h.moveToTrash(path));
            QVERIFY(items.last().moved);
        }
        auto trashed = [&](int i) { return items.at(i).trashPath; };
        // Another object under the same name in the Trash; the same one changed; none.
        const QString impostor = joinPath(h.trash, QStringLiteral("files/impostor"));
        QVERIFY(writeFile(impostor, "twelve bytes"));
        QCOMPARE(::rename(pathToBytes(impostor).constData(), pathToBytes(trashed(0)).constData()), 0);
        QVERIFY(writeFile(trashed(1), "twelve bytez"));
        QVERIFY(::unlink(pathToBytes(trashed(2)).constData()) == 0);
        // Its info file now names another place.
        const QString info3 = joinPath(h.trash, QStringLiteral("info/renamed info.trashinfo"));
        QVERIFY(writeFile(info3, readFile(info3).replace("renamed%20info", "somewhere%20else")));

        const QStringList reasons = {
            trashWorded(QStringLiteral("废纸篓中这个名称下已是另一个项目，不是当时移走的那一个，未放回。")),
            trashWorded(QStringLiteral("它移入废纸篓后有过改动，无法确认是当时移走的那一个，未放回。")),
            trashWorded(QStringLiteral("已不在废纸篓中（可能已被清空或已放回），未放回。")),
        };
        for (int i = 0; i < 3; ++i)
            QCOMPARE(h.restorer().restore(items.at(i)).message, reasons.at(i));
        const RestoreOutcome elsewhere = h.restorer().restore(items.at(3));
        QVERIFY(!elsewhere.restored);
        QVERIFY2(elsewhere.message.contains(QStringLiteral("不是要放回的那一项")), qPrintable(elsewhere.message));
        QCOMPARE(h.restorer().stillInTrash(items), (QList<bool> { false, true, false, true, true }));
        for (int i = 0; i < 4; ++i)
            QVERIFY(!exists(items.at(i).path));

        // A record from before identities were kept: the size must still fit.
        CleanupItemResult old = items.at(4);
        old.trashIdentity.reset();
        old.bytes = 13;
        QCOMPARE(h.restorer().restore(old).message,
            QStringLiteral("它的大小与记录不符，无法确认是当时移走的那一个，未放回。"));
        old.bytes = 12;
        QVERIFY(h.restorer().restore(old).restored);
        QCOMPARE(readFile(old.path), "twelve bytes");
    }

    void putsBackFromAVolumeTrashOnAnotherFileSystem()
    {
        Home h;
        const QString mountPoint = joinPath(h.root.path(), QStringLiteral("mnt"));
        QVERIFY(makeFolder(mountPoint));
        if (!mountTmpfs(mountPoint))
            QSKIP("cannot mount a tmpfs here (needs root outside a sandbox)");
        const QString file = joinPath(mountPoint, QStringLiteral("docs/on volume 100%.txt"));
        const QString other = joinPath(mountPoint, QStringLiteral("docs/second.txt"));
        bool ok = makeFolder(joinPath(mountPoint, QStringLiteral("docs"))) && writeFile(file, "volume")
            && writeFile(other, "second");
        const CleanupItemResult item = h.moveToTrash(file);
        const CleanupItemResult second = h.moveToTrash(other);
        const QString volumeTrash = joinPath(mountPoint, QStringLiteral(".Trash-%1").arg(::geteuid()));
        const QList<TrashLocation> visible = h.restorer().trashes();
        const TrashUsage usage = measureTrashes({ { volumeTrash, mountPoint } });
        const RestoreOutcome back = h.restorer().restore(item);
        const RestoreOutcome byPath = h.restorer().restoreOriginal(other);
        const QByteArray content = readFile(file);
        const QStringList left = entriesOf(joinPath(volumeTrash, QStringLiteral("files")));
        unmount(mountPoint);

        QVERIFY(ok);
        QVERIFY2(item.moved, qPrintable(item.message));
        QCOMPARE(item.trashPath, joinPath(volumeTrash, QStringLiteral("files/on volume 100%.txt")));
        QVERIFY(visible.contains(TrashLocation { volumeTrash, mountPoint }));
        QCOMPARE(usage.items, 2);
        QCOMPARE(usage.bytes, 12);
        QVERIFY2(back.restored, qPrintable(back.message));
        QVERIFY2(byPath.restored, qPrintable(byPath.message));
        QCOMPARE(content, "volume");
        QCOMPARE(left, QStringList());
        QCOMPARE(h.trashFiles(), QStringList());
    }

    void measuresWithFreshFolderSizesAndWalksTheRest()
    {
        Home h;
        const QString a = joinPath(h.home, QStringLiteral("cached"));
        const QString b = joinPath(h.home, QStringLiteral("stale"));
        for (const QString &folder : { a, b }) {
            QVERIFY(makeFolder(folder));
            QVERIFY(writeFile(joinPath(folder, QStringLiteral("f")), QByteArray(100, 'x')));
        }
        QVERIFY(writeFile(joinPath(h.home, QStringLiteral("file")), QByteArray(5, 'y')));
        QVERIFY(h.moveToTrash(a).moved && h.moveToTrash(b).moved
            && h.moveToTrash(joinPath(h.home, QStringLiteral("file"))).moved);
        struct stat info { };
        QCOMPARE(
            ::lstat(pathToBytes(joinPath(h.trash, QStringLiteral("info/cached.trashinfo"))).constData(), &info), 0);
        // A fresh line is believed without a walk; a line whose info time moved on is not.
        QVERIFY(writeFile(joinPath(h.trash, QStringLiteral("directorysizes")),
            "7000 " + QByteArray::number(qint64(info.st_mtime)) + " cached\n7000 1 stale\n"));
        const TrashUsage usage = measureTrashes({ { h.trash, {} } });
        QCOMPARE(usage.items, 3);
        QCOMPARE(usage.bytes, 7000 + 100 + 5);
        QVERIFY(usage.complete);
        TrashMeasureLimits tight;
        tight.visitLimit = 2;
        QVERIFY(!measureTrashes({ { h.trash, {} } }, tight).complete);
    }

    void macTrashLayoutPutsBackFromTheTrashFolderItself()
    {
        Home h;
        const QString macTrash = joinPath(h.home, QStringLiteral(".Trash"));
        QVERIFY(makeFolder(macTrash));
        const QString path = joinPath(h.home, QStringLiteral("Desktop/note.txt"));
        QVERIFY(QDir().mkpath(parentPath(path)));
        QVERIFY(writeFile(path, "mac"));
        // Where the system's move would have put it, with what it recorded.
        const QString trashed = joinPath(macTrash, QStringLiteral("note 10.12.31.txt"));
        QCOMPARE(::rename(pathToBytes(path).constData(), pathToBytes(trashed).constData()), 0);
        struct stat st { };
        QCOMPARE(::lstat(pathToBytes(trashed).constData(), &st), 0);
        CleanupItemResult item;
        item.path = path;
        item.name = QStringLiteral("note.txt");
        item.moved = true;
        item.bytes = 3;
        item.trashPath = trashed;
        item.trashIdentity = TrashedIdentity { fingerprintFromStat(st), false };
        RestoreEnvironment environment;
        environment.home = h.home;
        environment.platform = RulePlatform::MacOS;
        const RestoreService mac(environment);

        CleanupItemResult notTrash = item;
        notTrash.trashPath = joinPath(h.home, QStringLiteral("Desktop/other.txt"));
        QVERIFY(mac.restore(notTrash).message.contains(trashWorded(QStringLiteral("不是废纸篓"))));
        const RestoreOutcome outcome = mac.restore(item);
        QVERIFY2(outcome.restored, qPrintable(outcome.message));
        QCOMPARE(readFile(path), "mac");
        QCOMPARE(entriesOf(macTrash), QStringList());
    }

private:
    QTemporaryDir m_guardHome;
};

QTEST_GUILESS_MAIN(RestoreTest)
#include "restore_test.moc"
