#include "core/Vocabulary.h"
#include "support/TrashFixtures.h"

#include "core/trash/FreedesktopTrash.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>

using namespace Morvane;
using namespace TrashFixtures;

class TrashTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Never the real ~/.local/share/Trash, even when a test forgets its own.
        QVERIFY(m_guardHome.isValid());
        qputenv("XDG_DATA_HOME", pathToBytes(m_guardHome.path()));
        qputenv("HOME", pathToBytes(m_guardHome.path()));
        m_topTrashExisted = exists(QStringLiteral("/.Trash-%1").arg(::geteuid()));
    }

    void unusualNamesRoundTripThroughInfo()
    {
        QTemporaryDir root;
        const QString data = joinPath(root.path(), QStringLiteral("data"));
        ScopedDataHome dataHome(data);
        const QString work = joinPath(root.path(), QStringLiteral("work"));
        QVERIFY(makeFolder(work));
        const QList<QByteArray> names = {
            "with space.txt",
            "100%.txt",
            "%41literal",
            "#hash#",
            "new\nline",
            "tab\there",
            "\xe4\xb8\xad\xe6\x96\x87\xe5\x90\x8d.txt",
            "bad\xff\xfe.bin",
            "question?&=+;,.x",
            "' \"quotes\"",
        };
        FreedesktopTrash trash;
        for (const QByteArray &name : names) {
            const QString original = joinPath(work, pathFromBytes(name));
            QVERIFY(writeFile(original, "content of " + name));
            const TrashOutcome outcome = trash.moveToTrash(original);
            QVERIFY2(outcome.moved, qPrintable(outcome.error));
            QVERIFY(!exists(original));
            QVERIFY(outcome.trashedPath.startsWith(joinPath(data, QStringLiteral("Trash/files/"))));
            QCOMPARE(readFile(outcome.trashedPath), "content of " + name);

            const TrashInfo info = readTrashInfo(outcome.infoPath);
            QVERIFY2(info.valid, name.constData());
            QCOMPARE(info.path, pathToBytes(original));
            QVERIFY(qAbs(info.deletionDate.secsTo(QDateTime::currentDateTime())) < 120);

            QVERIFY(restoreFromTrash(outcome.trashedPath, outcome.infoPath));
            QCOMPARE(readFile(original), "content of " + name);
        }
        QCOMPARE(entriesOf(joinPath(data, QStringLiteral("Trash/files"))), QStringList());
        removeTestTree(work);
    }

    void createsMissingHomeTrash()
    {
        QTemporaryDir root;
        const QString data = joinPath(root.path(), QStringLiteral("not/yet/share"));
        ScopedDataHome dataHome(data);
        const QString item = joinPath(root.path(), QStringLiteral("item"));
        QVERIFY(writeFile(item, "x"));
        const TrashOutcome outcome = FreedesktopTrash().moveToTrash(item);
        QVERIFY2(outcome.moved, qPrintable(outcome.error));
        QCOMPARE(outcome.trashedPath, joinPath(data, QStringLiteral("Trash/files/item")));
        struct stat st { };
        QCOMPARE(::stat(pathToBytes(joinPath(data, QStringLiteral("Trash"))).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0700u);
    }

    void leavesItemWhenHomeTrashCannotBeMade()
    {
        QTemporaryDir root;
        const QString blocker = joinPath(root.path(), QStringLiteral("file"));
        QVERIFY(writeFile(blocker, "not a folder"));
        ScopedDataHome dataHome(joinPath(blocker, QStringLiteral("share")));
        const QString item = joinPath(root.path(), QStringLiteral("item"));
        QVERIFY(writeFile(item, "x"));
        const TrashOutcome outcome = FreedesktopTrash().moveToTrash(item);
        QVERIFY(!outcome.moved);
        QVERIFY(outcome.error.startsWith(trashWorded(QStringLiteral("无法移到废纸篓：废纸篓不可用"))));
        QCOMPARE(readFile(item), "x");
        QCOMPARE(readFile(blocker), "not a folder");
    }

    void leavesItemWhenTrashFolderIsUnwritable()
    {
        QTemporaryDir root;
        const QString data = joinPath(root.path(), QStringLiteral("data"));
        const QString item = joinPath(root.path(), QStringLiteral("item"));
        QVERIFY(writeFile(item, "x"));

        // The trash cannot be created.
        OsCalls noMkdir = OsCalls::system();
        noMkdir.mkdirat = [](int, const char *, mode_t) {
            errno = EACCES;
            return -1;
        };
        TrashOutcome outcome = FreedesktopTrash(noMkdir, joinPath(data, QStringLiteral("Trash"))).moveToTrash(item);
        QVERIFY(!outcome.moved);
        QCOMPARE(outcome.errorCode, EACCES);
        QVERIFY(outcome.error.contains(QStringLiteral("没有权限")));
        QCOMPARE(readFile(item), "x");

        // The trash exists but its info folder refuses new files.
        OsCalls noCreate = OsCalls::system();
        noCreate.openat = [](int dir, const char *name, int flags, mode_t mode) {
            if (flags & O_CREAT) {
                errno = EACCES;
                return -1;
            }
            return ::openat(dir, name, flags, mode);
        };
        outcome = FreedesktopTrash(noCreate, joinPath(data, QStringLiteral("Trash"))).moveToTrash(item);
        QVERIFY(!outcome.moved);
        QCOMPARE(outcome.errorCode, EACCES);
        QCOMPARE(readFile(item), "x");
        QCOMPARE(entriesOf(joinPath(data, QStringLiteral("Trash/info"))), QStringList());
        QCOMPARE(entriesOf(joinPath(data, QStringLiteral("Trash/files"))), QStringList());
    }

    void removesInfoWhenTheDiskIsFull()
    {
        QTemporaryDir root;
        const QString trashFolder = joinPath(root.path(), QStringLiteral("Trash"));
        const QString item = joinPath(root.path(), QStringLiteral("item"));
        QVERIFY(writeFile(item, "x"));
        for (const bool failOnClose : { false, true }) {
            OsCalls full = OsCalls::system();
            if (failOnClose) {
                full.close = [](int fd) {
                    ::close(fd);
                    errno = ENOSPC;
                    return -1;
                };
            } else {
                full.write = [](int, const void *, size_t) -> ssize_t {
                    errno = ENOSPC;
                    return -1;
                };
            }
            const TrashOutcome outcome = FreedesktopTrash(full, trashFolder).moveToTrash(item);
            QVERIFY(!outcome.moved);
            QCOMPARE(outcome.errorCode, ENOSPC);
            QVERIFY(outcome.error.contains(QStringLiteral("磁盘空间已满")));
            QCOMPARE(readFile(item), "x");
            QCOMPARE(entriesOf(joinPath(trashFolder, QStringLiteral("info"))), QStringList());
        }
    }

    void removesInfoWhenTheRenameFails()
    {
        QTemporaryDir root;
        const QString trashFolder = joinPath(root.path(), QStringLiteral("Trash"));
        const QString item = joinPath(root.path(), QStringLiteral("item"));
        QVERIFY(writeFile(item, "x"));
        for (const int code : { EACCES, EXDEV, EBUSY }) {
            OsCalls failing = OsCalls::system();
            failing.renameNoReplaceAt = [code](int, const char *, int, const char *) {
                errno = code;
                return -1;
            };
            const TrashOutcome outcome = FreedesktopTrash(failing, trashFolder).moveToTrash(item);
            QVERIFY(!outcome.moved);
            QCOMPARE(outcome.errorCode, code);
            QCOMPARE(readFile(item), "x");
            QCOMPARE(entriesOf(joinPath(trashFolder, QStringLiteral("info"))), QStringList());
        }
    }

    void givesEveryItemItsOwnName()
    {
        QTemporaryDir root;
        const QString trashFolder = joinPath(root.path(), QStringLiteral("Trash"));
        const FreedesktopTrash trash(OsCalls::system(), trashFolder);
        // A leftover without its info must not be overwritten.
        QVERIFY(trash.moveToTrash(joinPath(root.path(), QStringLiteral("missing"))).moved == false);
        QVERIFY(makeFolder(trashFolder) || exists(trashFolder));
        QVERIFY(makeFolder(joinPath(trashFolder, QStringLiteral("files"))) || true);
        QVERIFY(writeFile(joinPath(trashFolder, QStringLiteral("files/report_2.pdf")), "leftover"));

        QStringList placed;
        for (int i = 0; i < 3; ++i) {
            const QString folder = joinPath(root.path(), QString::number(i));
            QVERIFY(makeFolder(folder));
            const QString item = joinPath(folder, QStringLiteral("report.pdf"));
            QVERIFY(writeFile(item, QByteArray::number(i)));
            const TrashOutcome outcome = trash.moveToTrash(item);
            QVERIFY2(outcome.moved, qPrintable(outcome.error));
            placed.append(lastComponent(outcome.trashedPath));
            QCOMPARE(readTrashInfo(outcome.infoPath).path, pathToBytes(item));
            QCOMPARE(readFile(outcome.trashedPath), QByteArray::number(i));
        }
        QCOMPARE(placed,
            (QStringList {
                QStringLiteral("report.pdf"), QStringLiteral("report_3.pdf"), QStringLiteral("report_4.pdf") }));
        QCOMPARE(readFile(joinPath(trashFolder, QStringLiteral("files/report_2.pdf"))), "leftover");
    }

    void keepsOverlongNamesWithinTheNameLimit()
    {
        QTemporaryDir root;
        const QString trashFolder = joinPath(root.path(), QStringLiteral("Trash"));
        QString longName;
        for (int i = 0; i < 80; ++i)
            longName += QStringLiteral("中"); // 240 bytes
        const QString item = joinPath(root.path(), longName);
        QVERIFY(writeFile(item, "long"));
        const TrashOutcome outcome = FreedesktopTrash(OsCalls::system(), trashFolder).moveToTrash(item);
        QVERIFY2(outcome.moved, qPrintable(outcome.error));
        QVERIFY(pathToBytes(lastComponent(outcome.infoPath)).size() <= 255);
        QVERIFY(!pathHasEscapedBytes(outcome.trashedPath)); // cut between characters
        QCOMPARE(readTrashInfo(outcome.infoPath).path, pathToBytes(item));
    }

    void sendsItemsOnAnotherDeviceToThatVolumesTrash()
    {
        QTemporaryDir root;
        const QString volume = joinPath(root.path(), QStringLiteral("volume"));
        QVERIFY(makeFolder(volume));
        QVERIFY(makeFolder(joinPath(volume, QStringLiteral("sub dir"))));
        const QString item = joinPath(volume, QStringLiteral("sub dir/photo #1.jpg"));
        QVERIFY(writeFile(item, "pixels"));
        const OsCalls os = withVolume(pathToBytes(volume));
        const QString homeTrash = joinPath(root.path(), QStringLiteral("home/Trash"));

        const TrashOutcome outcome = FreedesktopTrash(os, homeTrash).moveToTrash(item);
        QVERIFY2(outcome.moved, qPrintable(outcome.error));
        const QString own = joinPath(volume, QStringLiteral(".Trash-%1").arg(::geteuid()));
        QCOMPARE(outcome.trashedPath, joinPath(own, QStringLiteral("files/photo #1.jpg")));
        struct stat st { };
        QCOMPARE(::lstat(pathToBytes(own).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, 0700u);
        const TrashInfo info = readTrashInfo(outcome.infoPath);
        QVERIFY(info.valid);
        QCOMPARE(info.path, QByteArray("sub dir/photo #1.jpg")); // relative to the top directory
        QCOMPARE(entriesOf(joinPath(homeTrash, QStringLiteral("files"))), QStringList());
        QVERIFY(restoreFromTrash(outcome.trashedPath, outcome.infoPath, pathToBytes(volume)));
        QCOMPARE(readFile(item), "pixels");
    }

    void prefersTheVolumesSharedStickyTrash()
    {
        QTemporaryDir root;
        const QString volume = joinPath(root.path(), QStringLiteral("volume"));
        QVERIFY(makeFolder(volume));
        const QString shared = joinPath(volume, QStringLiteral(".Trash"));
        QVERIFY(makeFolder(shared));
        const OsCalls os = withVolume(pathToBytes(volume));
        const QString homeTrash = joinPath(root.path(), QStringLiteral("home/Trash"));
        const QString uid = QString::number(::geteuid());

        // Without the sticky bit the shared folder is not trusted.
        QString item = joinPath(volume, QStringLiteral("a"));
        QVERIFY(writeFile(item, "a"));
        TrashOutcome outcome = FreedesktopTrash(os, homeTrash).moveToTrash(item);
        QVERIFY(outcome.moved);
        QVERIFY(outcome.trashedPath.startsWith(joinPath(volume, QStringLiteral(".Trash-") + uid + u'/')));

        ::chmod(pathToBytes(shared).constData(), 01777);
        item = joinPath(volume, QStringLiteral("b"));
        QVERIFY(writeFile(item, "b"));
        outcome = FreedesktopTrash(os, homeTrash).moveToTrash(item);
        QVERIFY(outcome.moved);
        QCOMPARE(outcome.trashedPath, joinPath(shared, uid + QStringLiteral("/files/b")));
        QCOMPARE(readTrashInfo(outcome.infoPath).path, QByteArray("b"));

        // A link in its place is never followed.
        QTemporaryDir elsewhere;
        const QString linked = joinPath(root.path(), QStringLiteral("volume2"));
        QVERIFY(makeFolder(linked));
        ::chmod(pathToBytes(elsewhere.path()).constData(), 01777);
        QCOMPARE(::symlink(pathToBytes(elsewhere.path()).constData(),
                     pathToBytes(joinPath(linked, QStringLiteral(".Trash"))).constData()),
            0);
        item = joinPath(linked, QStringLiteral("c"));
        QVERIFY(writeFile(item, "c"));
        outcome = FreedesktopTrash(withVolume(pathToBytes(linked)), homeTrash).moveToTrash(item);
        QVERIFY(outcome.moved);
        QVERIFY(outcome.trashedPath.startsWith(joinPath(linked, QStringLiteral(".Trash-") + uid + u'/')));
        QCOMPARE(entriesOf(elsewhere.path()), QStringList());
    }

    void homeItemsStayWhenTheHomeTrashCannotTakeThem()
    {
        QTemporaryDir root;
        const QString home = joinPath(root.path(), QStringLiteral("home"));
        const QString data = joinPath(home, QStringLiteral(".local/share"));
        QVERIFY(QDir().mkpath(data));
        const QString trashFolder = joinPath(data, QStringLiteral("Trash"));
        const QString item = joinPath(home, QStringLiteral("report.pdf"));
        QVERIFY(writeFile(item, "x"));
        // Another file system, where the links below lead.
        const QString elsewhere = joinPath(root.path(), QStringLiteral("elsewhere"));
        QVERIFY(QDir().mkpath(joinPath(elsewhere, QStringLiteral("Trash/files"))));
        const OsCalls other = withVolume(pathToBytes(elsewhere));
        auto move = [&](const OsCalls &os) { return FreedesktopTrash(os, trashFolder, home).moveToTrash(item); };

        // The Trash is a link to the other file system.
        QCOMPARE(::symlink(pathToBytes(joinPath(elsewhere, QStringLiteral("Trash"))).constData(),
                     pathToBytes(trashFolder).constData()),
            0);
        TrashOutcome outcome = move(other);
        QVERIFY(!outcome.moved);
        QVERIFY2(outcome.error.contains(QStringLiteral("符号链接")), qPrintable(outcome.error));
        QCOMPARE(readFile(item), "x");

        // The Trash is real, its files folder a link.
        QCOMPARE(::unlink(pathToBytes(trashFolder).constData()), 0);
        QVERIFY(makeFolder(trashFolder));
        QCOMPARE(::symlink(pathToBytes(joinPath(elsewhere, QStringLiteral("Trash/files"))).constData(),
                     pathToBytes(joinPath(trashFolder, QStringLiteral("files"))).constData()),
            0);
        outcome = move(other);
        QVERIFY(!outcome.moved);
        QVERIFY2(outcome.error.contains(QStringLiteral("符号链接")), qPrintable(outcome.error));

        // The Trash is a real folder, but another file system is mounted there.
        QCOMPARE(::unlink(pathToBytes(joinPath(trashFolder, QStringLiteral("files"))).constData()), 0);
        outcome = move(withVolume(pathToBytes(trashFolder)));
        QVERIFY(!outcome.moved);
        QVERIFY2(outcome.error.contains(QStringLiteral("不在同一个文件系统")), qPrintable(outcome.error));

        // Never to a trash at the top of the home's file system instead.
        QCOMPARE(readFile(item), "x");
        QCOMPARE(entriesOf(joinPath(elsewhere, QStringLiteral("Trash/files"))), QStringList());
        QVERIFY(!exists(joinPath(root.path(), QStringLiteral(".Trash-%1").arg(::geteuid()))));
        QVERIFY(!exists(QStringLiteral("/.Trash-%1").arg(::geteuid())) || m_topTrashExisted);

        // Once usable, the same item goes.
        outcome = move(OsCalls::system());
        QVERIFY2(outcome.moved, qPrintable(outcome.error));
        QCOMPARE(outcome.trashedPath, joinPath(trashFolder, QStringLiteral("files/report.pdf")));
    }

    void leavesItemWhenItsVolumeHasNoUsableTrash()
    {
        QTemporaryDir root;
        const QString volume = joinPath(root.path(), QStringLiteral("volume"));
        QVERIFY(makeFolder(volume));
        const QString item = joinPath(volume, QStringLiteral("item"));
        QVERIFY(writeFile(item, "x"));
        OsCalls os = withVolume(pathToBytes(volume));
        const QByteArray volumeBytes = pathToBytes(volume);
        os.mkdirat = [volumeBytes](int dir, const char *name, mode_t mode) {
            if (under(pathAt(dir, name), volumeBytes)) {
                errno = EROFS;
                return -1;
            }
            return ::mkdirat(dir, name, mode);
        };
        const QString homeTrash = joinPath(root.path(), QStringLiteral("home/Trash"));
        const TrashOutcome outcome = FreedesktopTrash(os, homeTrash).moveToTrash(item);
        QVERIFY(!outcome.moved);
        QVERIFY(outcome.error.contains(trashWorded(QStringLiteral("没有可用的废纸篓"))));
        QCOMPARE(readFile(item), "x");
        // Never copied to the home trash instead.
        QCOMPARE(entriesOf(joinPath(homeTrash, QStringLiteral("files"))), QStringList());
        QCOMPARE(entriesOf(joinPath(homeTrash, QStringLiteral("info"))), QStringList());
    }

    void usesTheTrashOfARealSecondFileSystem()
    {
        QTemporaryDir root;
        const QString mountPoint = joinPath(root.path(), QStringLiteral("mnt"));
        QVERIFY(makeFolder(mountPoint));
        if (!mountTmpfs(mountPoint, "size=1m,mode=0755"))
            QSKIP("cannot mount a tmpfs here; the injected device boundary covers this path");
        const QString item = joinPath(mountPoint, QStringLiteral("docs/report 100%.txt"));
        QVERIFY(makeFolder(joinPath(mountPoint, QStringLiteral("docs"))));
        QVERIFY(writeFile(item, "on tmpfs"));
        const QString homeTrash = joinPath(root.path(), QStringLiteral("home/Trash"));
        const TrashOutcome outcome = FreedesktopTrash(OsCalls::system(), homeTrash).moveToTrash(item);
        const QString expected
            = joinPath(mountPoint, QStringLiteral(".Trash-%1/files/report 100%.txt").arg(::geteuid()));
        const bool moved = outcome.moved;
        const QString trashedPath = outcome.trashedPath;
        const TrashInfo info = readTrashInfo(outcome.infoPath);
        const bool restored = moved && restoreFromTrash(outcome.trashedPath, outcome.infoPath, pathToBytes(mountPoint));
        const QByteArray back = readFile(item);
        unmount(mountPoint);
        QVERIFY2(moved, qPrintable(outcome.error));
        QCOMPARE(trashedPath, expected);
        QCOMPARE(info.path, QByteArray("docs/report 100%.txt"));
        QVERIFY(restored);
        QCOMPARE(back, "on tmpfs");
        QCOMPARE(entriesOf(joinPath(homeTrash, QStringLiteral("files"))), QStringList());
    }

    void leavesItemOnAFullFileSystem()
    {
        QTemporaryDir root;
        const QString mountPoint = joinPath(root.path(), QStringLiteral("mnt"));
        QVERIFY(makeFolder(mountPoint));
        if (!mountTmpfs(mountPoint, "size=64k,mode=0755"))
            QSKIP("cannot mount a tmpfs here; injected ENOSPC covers this path");
        const QString item = joinPath(mountPoint, QStringLiteral("item"));
        bool ok = writeFile(item, "x");
        // Fill the rest of the volume.
        const int fd = ::open(pathToBytes(joinPath(mountPoint, QStringLiteral("filler"))).constData(),
            O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        const QByteArray block(4096, 'f');
        while (::write(fd, block.constData(), size_t(block.size())) > 0) { }
        ::close(fd);
        const QString homeTrash = joinPath(root.path(), QStringLiteral("home/Trash"));
        const TrashOutcome outcome = FreedesktopTrash(OsCalls::system(), homeTrash).moveToTrash(item);
        const QByteArray content = readFile(item);
        const QStringList infos = entriesOf(joinPath(mountPoint, QStringLiteral(".Trash-%1/info").arg(::geteuid())));
        unmount(mountPoint);
        QVERIFY(ok);
        QVERIFY(!outcome.moved);
        QCOMPARE(outcome.errorCode, ENOSPC);
        QCOMPARE(content, "x");
        QCOMPARE(infos, QStringList());
        QCOMPARE(entriesOf(joinPath(homeTrash, QStringLiteral("files"))), QStringList());
    }

    void updatesDirectorySizesWhenTheTrashKeepsThem()
    {
        QTemporaryDir root;
        const QString trashFolder = joinPath(root.path(), QStringLiteral("Trash"));
        const FreedesktopTrash trash(OsCalls::system(), trashFolder);
        const QString folder = joinPath(root.path(), QStringLiteral("my folder"));
        QVERIFY(makeFolder(folder));
        QVERIFY(makeFolder(joinPath(folder, QStringLiteral("inner"))));
        QVERIFY(writeFile(joinPath(folder, QStringLiteral("a")), QByteArray(1000, 'a')));
        QVERIFY(writeFile(joinPath(folder, QStringLiteral("inner/b")), QByteArray(234, 'b')));

        // No directorysizes file: none is made.
        const QString first = joinPath(root.path(), QStringLiteral("first"));
        QVERIFY(makeFolder(first));
        QVERIFY(trash.moveToTrash(first).moved);
        const QString sizes = joinPath(trashFolder, QStringLiteral("directorysizes"));
        QVERIFY(!exists(sizes));

        QVERIFY(writeFile(sizes, "12 1700000000 older\n"));
        const TrashOutcome outcome = trash.moveToTrash(folder);
        QVERIFY(outcome.moved);
        QVERIFY(outcome.warning.isEmpty());
        struct stat infoStat { };
        QCOMPARE(::lstat(pathToBytes(outcome.infoPath).constData(), &infoStat), 0);
        QCOMPARE(readFile(sizes),
            "12 1700000000 older\n1234 " + QByteArray::number(qint64(infoStat.st_mtime)) + " my%20folder\n");
        // Files do not touch it, and no temporary file stays behind.
        const QString file = joinPath(root.path(), QStringLiteral("file"));
        QVERIFY(writeFile(file, "f"));
        QVERIFY(trash.moveToTrash(file).moved);
        QCOMPARE(readFile(sizes).count('\n'), 2);
        QCOMPARE(entriesOf(trashFolder),
            (QStringList { QStringLiteral("directorysizes"), QStringLiteral("files"), QStringLiteral("info") }));
    }

    void reportsAFailedDirectorySizesUpdateWithoutUndoingTheMove()
    {
        QTemporaryDir root;
        const QString trashFolder = joinPath(root.path(), QStringLiteral("Trash"));
        OsCalls os = OsCalls::system();
        os.renameReplaceAt = [](int, const char *, int, const char *) {
            errno = ENOSPC;
            return -1;
        };
        const FreedesktopTrash trash(os, trashFolder);
        const QString first = joinPath(root.path(), QStringLiteral("first"));
        QVERIFY(makeFolder(first));
        QVERIFY(trash.moveToTrash(first).moved);
        const QString sizes = joinPath(trashFolder, QStringLiteral("directorysizes"));
        QVERIFY(writeFile(sizes, ""));
        const QString folder = joinPath(root.path(), QStringLiteral("folder"));
        QVERIFY(makeFolder(folder));
        const TrashOutcome outcome = trash.moveToTrash(folder);
        QVERIFY(outcome.moved);
        QVERIFY(!outcome.warning.isEmpty());
        QCOMPARE(readFile(sizes), QByteArray());
        QCOMPARE(entriesOf(trashFolder),
            (QStringList { QStringLiteral("directorysizes"), QStringLiteral("files"), QStringLiteral("info") }));
    }

private:
    QTemporaryDir m_guardHome;
    bool m_topTrashExisted = false;
};

QTEST_GUILESS_MAIN(TrashTest)
#include "trash_test.moc"
