#include "core/Vocabulary.h"
#include "support/TrashFixtures.h"

#include "core/CleanupService.h"
#include "core/Errors.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <stdexcept>

using namespace Morvane;
using namespace TrashFixtures;

namespace {

const QString kMoved = trashWorded(QStringLiteral("已移到废纸篓。"));

// One throwaway world per test: a home, a scanned scope inside it and a home trash.
struct World {
    QTemporaryDir root;
    QString home;
    QString scope;
    QString trash;
    std::unique_ptr<ScopedDataHome> dataHome;

    World()
    {
        home = joinPath(root.path(), QStringLiteral("home"));
        scope = joinPath(home, QStringLiteral("Downloads"));
        const QString data = joinPath(home, QStringLiteral(".local/share"));
        trash = joinPath(data, QStringLiteral("Trash"));
        makeFolder(home);
        makeFolder(scope);
        dataHome = std::make_unique<ScopedDataHome>(data);
    }

    [[nodiscard]] CleanupEnvironment environment(const OsCalls *os = nullptr) const
    {
        CleanupEnvironment environment;
        environment.home = home;
        environment.os = os;
        return environment;
    }

    [[nodiscard]] QString file(const QString &name, const QByteArray &content = "data") const
    {
        const QString path = joinPath(scope, name);
        writeFile(path, content);
        return path;
    }

    [[nodiscard]] QString folder(const QString &name) const
    {
        const QString path = joinPath(scope, name);
        makeFolder(path);
        return path;
    }

    [[nodiscard]] FileEntry entry(const QString &path, FileCategory category = FileCategory::largeFile) const
    {
        return scannedEntry(path, scope, category);
    }

    [[nodiscard]] QStringList trashed() const { return entriesOf(joinPath(trash, QStringLiteral("files"))); }
};

QSet<QUuid> idsOf(const QList<FileEntry> &entries)
{
    QSet<QUuid> ids;
    for (const FileEntry &entry : entries)
        ids.insert(entry.id);
    return ids;
}

// Lets the file system's coarse clock move on, so that a change gets another
// status-change time than the scan saw.
void tick()
{
    QTest::qSleep(20);
}

// Puts back the access and modification times an lstat saw (touch -r).
void restoreTimes(const QString &path, const struct stat &st)
{
    const struct timespec times[2] = { st.st_atim, st.st_mtim };
    QCOMPARE(::utimensat(AT_FDCWD, pathToBytes(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// The real calls, with `change` run once right before the rename that moves `name`
// out of its folder: after every check, at the last moment.
OsCalls changingBeforeTheMove(const QByteArray &name, std::function<void()> change)
{
    OsCalls os = OsCalls::system();
    auto pending = std::make_shared<std::function<void()>>(std::move(change));
    os.renameNoReplaceAt = [name, pending](int fromDir, const char *from, int toDir, const char *to) {
        if (*pending && name == from)
            std::exchange(*pending, nullptr)();
        return OsCalls::system().renameNoReplaceAt(fromDir, from, toDir, to);
    };
    return os;
}

// The real calls, with `change` run once right before `name` is opened as a file.
OsCalls changingBeforeOpening(const QByteArray &name, std::function<void()> change)
{
    OsCalls os = OsCalls::system();
    auto pending = std::make_shared<std::function<void()>>(std::move(change));
    os.openat = [name, pending](int dir, const char *path, int flags, mode_t mode) {
        if (*pending && name == path && (flags & O_DIRECTORY) == 0)
            std::exchange(*pending, nullptr)();
        return OsCalls::system().openat(dir, path, flags, mode);
    };
    return os;
}

CleanupItemResult cleanOne(const World &world, const FileEntry &entry, const QSet<QString> &running = {},
    const QList<FileEntry> &owners = {}, const OsCalls *os = nullptr)
{
    const CleanupRecord record
        = CleanupService(world.environment(os)).clean({ entry.id }, { entry }, running, {}, owners);
    if (record.items.size() != 1)
        qFatal("expected one item");
    return record.items.first();
}

} // namespace

class CleanupServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_guardHome.isValid());
        qputenv("XDG_DATA_HOME", pathToBytes(m_guardHome.path()));
        qputenv("HOME", pathToBytes(m_guardHome.path()));
    }

    void movesExactlyTheSelectedEntriesInSnapshotOrder()
    {
        World world;
        const FileEntry a = world.entry(world.file(QStringLiteral("a.txt"), "aaa"));
        const FileEntry b = world.entry(world.file(QStringLiteral("b.txt"), "bb"));
        const FileEntry c = world.entry(world.file(QStringLiteral("c.txt"), "c"));
        const QString folder = world.folder(QStringLiteral("d"));
        writeFile(joinPath(folder, QStringLiteral("inside")), "12345");
        const FileEntry d = world.entry(folder);

        const CleanupRecord record = CleanupService(world.environment())
                                         .clean({ d.id, c.id, a.id, QUuid::createUuid() }, { a, b, c, d }, {}, {}, {});
        QCOMPARE(record.items.size(), 3);
        QCOMPARE(record.items.at(0).path, a.path);
        QCOMPARE(record.items.at(1).path, c.path);
        QCOMPARE(record.items.at(2).path, d.path);
        for (const CleanupItemResult &item : record.items) {
            QVERIFY2(item.moved, qPrintable(item.message));
            QCOMPARE(item.message, kMoved);
            QVERIFY(exists(item.trashPath));
            QVERIFY(!exists(item.path));
        }
        QCOMPARE(record.count(), 3);
        QCOMPARE(record.bytes(), 3 + 1 + 5);
        QCOMPARE(readFile(b.path), "bb");
        QCOMPARE(
            world.trashed(), (QStringList { QStringLiteral("a.txt"), QStringLiteral("c.txt"), QStringLiteral("d") }));
    }

    void skipsAnItemThatIsGone()
    {
        World world;
        const FileEntry entry = world.entry(world.file(QStringLiteral("gone")));
        QCOMPARE(::unlink(pathToBytes(entry.path).constData()), 0);
        const CleanupItemResult item = cleanOne(world, entry);
        QVERIFY(!item.moved);
        QCOMPARE(item.message, QStringLiteral("已不存在，可能已被移走或删除，未移动。"));
        QVERIFY(item.trashPath.isEmpty());
    }

    void skipsAFileChangedSinceTheScan()
    {
        World world;
        const FileEntry sameSize = world.entry(world.file(QStringLiteral("same"), "1234"));
        writeFile(sameSize.path, "abcd");
        touchLater(sameSize.path);
        const FileEntry grown = world.entry(world.file(QStringLiteral("grown"), "1234"));
        writeFile(grown.path, "123456");
        for (const FileEntry &entry : { sameSize, grown }) {
            const CleanupItemResult item = cleanOne(world, entry);
            QVERIFY(!item.moved);
            QCOMPARE(item.message, QStringLiteral("扫描后已被修改，未移动。"));
            QVERIFY(exists(entry.path));
        }
        QCOMPARE(world.trashed(), QStringList());
    }

    void skipsAnItemReplacedByAnother()
    {
        World world;
        const FileEntry entry = world.entry(world.file(QStringLiteral("doc"), "v1"));
        const QString replacement = world.file(QStringLiteral("doc.new"), "v1");
        QCOMPARE(::rename(pathToBytes(replacement).constData(), pathToBytes(entry.path).constData()), 0);
        const CleanupItemResult item = cleanOne(world, entry);
        QVERIFY(!item.moved);
        QCOMPARE(item.message, QStringLiteral("扫描后已被另一个项目替换，未移动。"));
        QCOMPARE(readFile(entry.path), "v1");
    }

    void skipsAFolderWhoseContentChanged()
    {
        World world;
        const QString folder = world.folder(QStringLiteral("project"));
        makeFolder(joinPath(folder, QStringLiteral("deep")));
        writeFile(joinPath(folder, QStringLiteral("deep/file")), "x");
        const FileEntry added = world.entry(folder);
        QVERIFY(added.kind.fingerprint && added.kind.fingerprint->hasTree);
        writeFile(joinPath(folder, QStringLiteral("deep/new")), "y");

        const QString other = world.folder(QStringLiteral("other"));
        makeFolder(joinPath(other, QStringLiteral("deep")));
        writeFile(joinPath(other, QStringLiteral("deep/file")), "x");
        const FileEntry renamed = world.entry(other);
        QCOMPARE(::rename(pathToBytes(joinPath(other, QStringLiteral("deep/file"))).constData(),
                     pathToBytes(joinPath(other, QStringLiteral("deep/renamed"))).constData()),
            0);
        for (const FileEntry &entry : { added, renamed }) {
            const CleanupItemResult item = cleanOne(world, entry);
            QVERIFY(!item.moved);
            QCOMPARE(item.message, QStringLiteral("文件夹里的内容在扫描后有变化，未移动。"));
            QVERIFY(exists(entry.path));
        }
    }

    void skipsAFileReplacedByASymbolicLink()
    {
        World world;
        const FileEntry entry = world.entry(world.file(QStringLiteral("photo.jpg"), "pixels"));
        const QString target = joinPath(world.root.path(), QStringLiteral("precious"));
        writeFile(target, "precious");
        QCOMPARE(::unlink(pathToBytes(entry.path).constData()), 0);
        QCOMPARE(::symlink(pathToBytes(target).constData(), pathToBytes(entry.path).constData()), 0);
        const CleanupItemResult item = cleanOne(world, entry);
        QVERIFY(!item.moved);
        QCOMPARE(item.message, QStringLiteral("已变成符号链接，未移动。"));
        QVERIFY(isLink(entry.path));
        QCOMPARE(readFile(target), "precious");
        QCOMPARE(world.trashed(), QStringList());
    }

    void skipsWhenAFolderOnThePathBecameALink()
    {
        World world;
        const QString sub = world.folder(QStringLiteral("sub"));
        const FileEntry entry = world.entry(world.file(QStringLiteral("sub/file"), "x"));
        // The very same file (same inode) now reached through a link out of the scope.
        const QString outside = joinPath(world.root.path(), QStringLiteral("outside"));
        QCOMPARE(::rename(pathToBytes(sub).constData(), pathToBytes(outside).constData()), 0);
        QCOMPARE(::symlink(pathToBytes(outside).constData(), pathToBytes(sub).constData()), 0);
        const CleanupItemResult item = cleanOne(world, entry);
        QVERIFY(!item.moved);
        QCOMPARE(item.message, QStringLiteral("路径上的文件夹“%1”已变成符号链接，未移动。").arg(sub));
        QCOMPARE(readFile(joinPath(outside, QStringLiteral("file"))), "x");
    }

    void skipsAnItemWithoutPermissionToMoveIt()
    {
        World world;
        const FileEntry entry = world.entry(world.file(QStringLiteral("locked")));
        OsCalls denied = OsCalls::system();
        denied.faccessat = [](int, const char *, int, int) {
            errno = EACCES;
            return -1;
        };
        CleanupItemResult item = cleanOne(world, entry, {}, {}, &denied);
        QVERIFY(!item.moved);
        QVERIFY(item.message.startsWith(QStringLiteral("没有移动它的权限")));

        // A read-only file system says so.
        OsCalls readOnly = OsCalls::system();
        readOnly.faccessat = [](int, const char *, int mode, int) {
            errno = EROFS;
            return (mode & W_OK) ? -1 : 0;
        };
        item = cleanOne(world, entry, {}, {}, &readOnly);
        QVERIFY(!item.moved);
        QVERIFY(item.message.contains(QStringLiteral("只读文件系统")));

        // For real, where permission bits count (the unprivileged run of this test).
        if (::geteuid() != 0) {
            ::chmod(pathToBytes(world.scope).constData(), 0555);
            item = cleanOne(world, entry);
            ::chmod(pathToBytes(world.scope).constData(), 0755);
            QVERIFY(!item.moved);
            QCOMPARE(item.message, QStringLiteral("没有移动它的权限（所在文件夹：没有权限），未移动。"));
        }

        // In a sticky shared folder only the owner of the item or of the folder may.
        ::chmod(pathToBytes(world.scope).constData(), 01777);
        OsCalls stranger = OsCalls::system();
        stranger.userID = [] { return uid_t(4242); };
        stranger.faccessat = [](int, const char *, int, int) { return 0; };
        item = cleanOne(world, entry, {}, {}, &stranger);
        QVERIFY(!item.moved);
        QVERIFY(item.message.contains(QStringLiteral("受保护的共享文件夹")));
        QVERIFY(exists(entry.path));
        QCOMPARE(world.trashed(), QStringList());
    }

    void skipsItemsOfRunningApplications()
    {
        World world;
        FileEntry own = world.entry(world.file(QStringLiteral("cache")), FileCategory::userCache);
        own.bundleID = QStringLiteral("org.example.Editor");
        CleanupItemResult item = cleanOne(world, own, { QStringLiteral("org.example.Editor") });
        QVERIFY(!item.moved);
        QCOMPARE(item.message, QStringLiteral("所属应用（org.example.Editor）正在运行，未移动。"));

        // A browser counts as running while only one of its helpers runs.
        FileEntry browser = world.entry(world.file(QStringLiteral("browser cache")), FileCategory::browserData);
        browser.bundleID = QStringLiteral("com.google.Chrome");
        item = cleanOne(world, browser, { QStringLiteral("com.google.Chrome.helper.Renderer") });
        QVERIFY(!item.moved);
        QVERIFY(item.message.startsWith(QStringLiteral("所属应用")));

        // An associated item whose application runs.
        FileEntry application;
        application.id = QUuid::createUuid();
        application.name = QStringLiteral("Editor");
        application.bundleID = QStringLiteral("org.example.Other");
        FileEntry data = world.entry(world.folder(QStringLiteral("editor data")), FileCategory::applicationData);
        data.ownerID = application.id;
        item = cleanOne(world, data, { QStringLiteral("org.example.Other") }, { application });
        QVERIFY(!item.moved);
        QCOMPARE(item.message, QStringLiteral("所属应用“Editor”正在运行，未移动。"));

        QVERIFY(exists(own.path) && exists(browser.path) && exists(data.path));
        // Not running: it goes.
        QVERIFY(cleanOne(world, own, { QStringLiteral("org.example.Unrelated") }).moved);
    }

    void skipsItemsOutsideTheScopeTheyWereFoundIn()
    {
        World world;
        FileEntry entry = world.entry(world.file(QStringLiteral("file")));
        entry.scope = joinPath(world.home, QStringLiteral("Documents"));
        CleanupItemResult item = cleanOne(world, entry);
        QVERIFY(!item.moved);
        QCOMPARE(item.message, QStringLiteral("不在扫描时的范围“%1”之内，未移动。").arg(entry.scope));

        FileEntry scopeItself = world.entry(world.scope);
        item = cleanOne(world, scopeItself);
        QVERIFY(!item.moved);
        QVERIFY(exists(world.scope));

        // No scope recorded: inside the home folder the home stands in; outside, refused.
        entry.scope.clear();
        QVERIFY(cleanOne(world, entry).moved);
        const QString outside = joinPath(world.root.path(), QStringLiteral("outside"));
        writeFile(outside, "x");
        FileEntry stray = scannedEntry(outside, QString());
        item = cleanOne(world, stray);
        QVERIFY(!item.moved);
        QCOMPARE(item.message, QStringLiteral("扫描没有记录它所在的查找范围，无法核对，未移动。"));
        QVERIFY(exists(outside));
    }

    void refusesAnItemWithoutARecordedIdentity()
    {
        World world;
        FileEntry entry = world.entry(world.file(QStringLiteral("file")));
        entry.kind.fingerprint.reset();
        const CleanupItemResult item = cleanOne(world, entry);
        QVERIFY(!item.moved);
        QCOMPARE(item.message, QStringLiteral("扫描时没有记录它的身份信息，无法核对，未移动。"));
    }

    void lastGuardRefusesProtectedPlaces()
    {
        World world;
        FileEntry homeItself = scannedEntry(world.home, world.root.path());
        FileEntry trashFolder = scannedEntry(world.trash, world.home);
        QVERIFY(makeFolder(joinPath(world.home, QStringLiteral(".local"))));
        QVERIFY(makeFolder(joinPath(world.home, QStringLiteral(".local/share"))));
        QVERIFY(makeFolder(world.trash));
        // Shallow records: walking these trees is beside the point.
        auto shallow = [](const QString &path, const QString &scope) {
            FileEntry entry;
            entry.id = QUuid::createUuid();
            entry.path = path;
            entry.name = path;
            entry.scope = scope;
            entry.kind = EntryKind::folder(fingerprintPath(path, false));
            return entry;
        };
        FileEntry system = shallow(QStringLiteral("/usr/bin"), QStringLiteral("/usr"));
        FileEntry root = shallow(QStringLiteral("/"), QStringLiteral("/"));
        const CleanupRecord record = CleanupService(world.environment())
                                         .clean(idsOf({ homeItself, trashFolder, system, root }),
                                             { homeItself, trashFolder, system, root }, {}, {}, {});
        QCOMPARE(record.items.size(), 4);
        QCOMPARE(record.items.at(0).message, QStringLiteral("不能移动个人文件夹本身，已拒绝。"));
        QVERIFY(record.items.at(1).message.contains(trashWorded(QStringLiteral("废纸篓"))));
        QVERIFY(record.items.at(2).message.contains(QStringLiteral("系统文件夹")));
        QCOMPARE(record.items.at(3).message, QStringLiteral("不能移动根目录，已拒绝。"));
        QCOMPARE(record.count(), 0);
        QVERIFY(exists(world.home) && exists(world.trash));

        // A scope reached through a link is judged where it really is: here, the Trash.
        QVERIFY(makeFolder(joinPath(world.trash, QStringLiteral("files"))));
        QVERIFY(writeFile(joinPath(world.trash, QStringLiteral("files/old.txt")), "x"));
        const QString alias = joinPath(world.home, QStringLiteral("Alias"));
        QCOMPARE(::symlink(pathToBytes(joinPath(world.trash, QStringLiteral("files"))).constData(),
                     pathToBytes(alias).constData()),
            0);
        const CleanupItemResult viaLink
            = cleanOne(world, scannedEntry(joinPath(alias, QStringLiteral("old.txt")), alias));
        QVERIFY(!viaLink.moved);
        QVERIFY2(viaLink.message.contains(trashWorded(QStringLiteral("废纸篓"))), qPrintable(viaLink.message));
        QCOMPARE(world.trashed(), QStringList { QStringLiteral("old.txt") });
    }

    void comparesADuplicateWithTheKeptCopyBeforeMovingIt()
    {
        World world;
        const FileEntry keep
            = world.entry(world.file(QStringLiteral("keep.bin"), "same bytes"), FileCategory::duplicate);
        const FileEntry copyA = world.entry(world.file(QStringLiteral("a.bin"), "same bytes"), FileCategory::duplicate);
        const FileEntry copyB = world.entry(world.file(QStringLiteral("b.bin"), "same bytes"), FileCategory::duplicate);
        const DuplicateGroup group { QUuid::createUuid(), { keep, copyA, copyB } };
        const CleanupRecord record = CleanupService(world.environment())
                                         .clean({ copyA.id, copyB.id }, { keep, copyA, copyB }, {}, { group }, {});
        QCOMPARE(record.count(), 2);
        QCOMPARE(readFile(keep.path), "same bytes");
        QVERIFY(!exists(copyA.path) && !exists(copyB.path));
    }

    void keepsADuplicateWhoseKeptCopyChanged()
    {
        World world;
        const FileEntry keep
            = world.entry(world.file(QStringLiteral("keep.bin"), "same bytes"), FileCategory::duplicate);
        const FileEntry copy
            = world.entry(world.file(QStringLiteral("copy.bin"), "same bytes"), FileCategory::duplicate);
        writeFile(keep.path, "SAME BYTES"); // same size, other content
        const DuplicateGroup group { QUuid::createUuid(), { keep, copy } };
        CleanupRecord record
            = CleanupService(world.environment()).clean({ copy.id }, { keep, copy }, {}, { group }, {});
        QCOMPARE(record.count(), 0);
        QCOMPARE(record.items.first().message,
            QStringLiteral("保留的副本“%1”在扫描后已被修改或替换，无法确认仍有一份相同的文件，未移动。")
                .arg(keep.path));
        QCOMPARE(readFile(copy.path), "same bytes");

        // Kept copy gone altogether.
        QCOMPARE(::unlink(pathToBytes(keep.path).constData()), 0);
        record = CleanupService(world.environment()).clean({ copy.id }, { keep, copy }, {}, { group }, {});
        QCOMPARE(record.count(), 0);
        QCOMPARE(readFile(copy.path), "same bytes");
    }

    void keepsEveryCopyWhenAllCopiesAreSelected()
    {
        World world;
        const FileEntry first = world.entry(world.file(QStringLiteral("1.bin"), "dup"), FileCategory::duplicate);
        const FileEntry second = world.entry(world.file(QStringLiteral("2.bin"), "dup"), FileCategory::duplicate);
        const FileEntry third = world.entry(world.file(QStringLiteral("3.bin"), "dup"), FileCategory::duplicate);
        const DuplicateGroup group { QUuid::createUuid(), { first, second, third } };
        const CleanupRecord record
            = CleanupService(world.environment())
                  .clean(idsOf({ first, second, third }), { first, second, third }, {}, { group }, {});
        QCOMPARE(record.items.size(), 3);
        QCOMPARE(record.count(), 0);
        for (const CleanupItemResult &item : record.items)
            QCOMPARE(item.message, QStringLiteral("这组重复文件的每一份都已选中；每组至少保留一份，未移动。"));
        QVERIFY(exists(first.path) && exists(second.path) && exists(third.path));

        // The unticked copy lies in a folder that goes too: the reason says so.
        const QString box = world.folder(QStringLiteral("box"));
        const FileEntry boxed = world.entry(world.file(QStringLiteral("box/4.bin"), "dup"), FileCategory::duplicate);
        const FileEntry boxEntry = world.entry(box);
        const FileEntry fifth = world.entry(world.file(QStringLiteral("5.bin"), "dup"), FileCategory::duplicate);
        const CleanupRecord boxedRecord = CleanupService(world.environment())
                                              .clean(idsOf({ boxEntry, fifth }), { boxEntry, boxed, fifth }, {},
                                                  { { QUuid::createUuid(), { boxed, fifth } } }, {});
        QCOMPARE(boxedRecord.items.size(), 2);
        QVERIFY(boxedRecord.items.at(0).moved);
        QCOMPARE(boxedRecord.items.at(1).message,
            QStringLiteral("这组重复文件未选中的副本都在同时选中的文件夹里，会随之移走；每组至少保留一份，未移动。"));
        QCOMPARE(readFile(fifth.path), "dup");

        // A duplicate whose group is unknown cannot be checked either.
        const CleanupRecord orphan = CleanupService(world.environment()).clean({ first.id }, { first }, {}, {}, {});
        QCOMPARE(orphan.count(), 0);
        QVERIFY(exists(first.path));
    }

    void movesAnApplicationWithoutItsUnselectedAssociatedItems()
    {
        World world;
        const QString bundle = world.folder(QStringLiteral("Editor.app"));
        writeFile(joinPath(bundle, QStringLiteral("binary")), "exe");
        FileEntry application = world.entry(bundle, FileCategory::application);
        application.kind.type = EntryKind::Type::application;
        application.bundleID = QStringLiteral("org.example.Editor");
        FileEntry settings
            = world.entry(world.folder(QStringLiteral("Editor settings")), FileCategory::applicationData);
        settings.ownerID = application.id;
        settings.bundleID = application.bundleID;
        const CleanupRecord record = CleanupService(world.environment())
                                         .clean({ application.id }, { application, settings }, {}, {}, { application });
        QCOMPARE(record.items.size(), 1);
        QVERIFY(record.items.first().moved);
        QVERIFY(!exists(bundle));
        QVERIFY(exists(settings.path));
    }

    void movesAnEntryInsideAnotherSelectedOneWithIt()
    {
        World world;
        const QString folder = world.folder(QStringLiteral("outer"));
        const FileEntry inner = world.entry(world.file(QStringLiteral("outer/inner.txt"), "in"));
        const FileEntry outer = world.entry(folder);
        const CleanupRecord record
            = CleanupService(world.environment()).clean({ inner.id, outer.id }, { inner, outer }, {}, {}, {});
        QCOMPARE(record.items.size(), 2);
        QCOMPARE(record.items.at(0).path, inner.path);
        QVERIFY(!record.items.at(0).moved);
        QVERIFY(
            record.items.at(0).message.startsWith(trashWorded(QStringLiteral("已随同时选中的“outer”一起移到废纸篓"))));
        QVERIFY(record.items.at(1).moved);
        QCOMPARE(readFile(joinPath(record.items.at(1).trashPath, QStringLiteral("inner.txt"))), "in");
    }

    void reportsWhatTheMoverSays()
    {
        World world;
        const FileEntry a = world.entry(world.file(QStringLiteral("a")));
        const FileEntry b = world.entry(world.file(QStringLiteral("b")));
        const FileEntry c = world.entry(world.file(QStringLiteral("c")));
        const TrashMover mover = [&](const QString &path) -> QString {
            if (path == a.path)
                throw CoreError(QStringLiteral("废纸篓已满。"));
            if (path == b.path)
                throw std::runtime_error("boom");
            return QStringLiteral("/elsewhere/c");
        };
        const CleanupRecord record
            = CleanupService(world.environment()).clean(idsOf({ a, b, c }), { a, b, c }, {}, {}, {}, mover);
        QCOMPARE(record.items.at(0).message, QStringLiteral("废纸篓已满。"));
        QVERIFY(!record.items.at(0).moved);
        QCOMPARE(record.items.at(1).message, trashWorded(QStringLiteral("移到废纸篓时出错：boom")));
        QVERIFY(!record.items.at(1).moved);
        QVERIFY(record.items.at(2).moved);
        QCOMPARE(record.items.at(2).trashPath, QStringLiteral("/elsewhere/c"));
    }

    void reportsAFullTrashPerItem()
    {
        World world;
        const FileEntry entry = world.entry(world.file(QStringLiteral("file"), "keep me"));
        OsCalls full = OsCalls::system();
        full.write = [](int, const void *, size_t) -> ssize_t {
            errno = ENOSPC;
            return -1;
        };
        const CleanupItemResult item = cleanOne(world, entry, {}, {}, &full);
        QVERIFY(!item.moved);
        QVERIFY(item.message.contains(QStringLiteral("磁盘空间已满")));
        QCOMPARE(readFile(entry.path), "keep me");
        QCOMPARE(entriesOf(joinPath(world.trash, QStringLiteral("info"))), QStringList());
    }

    void sendsAnItemOnAnotherFileSystemToThatVolumesTrash()
    {
        World world;
        // The scope itself is the other volume's top directory.
        const OsCalls os = withVolume(pathToBytes(world.scope));
        FileEntry entry = world.entry(world.file(QStringLiteral("movie.mkv"), "frames"));
        entry.kind.fingerprint->device = kFakeDevice; // as a scan of that volume sees it
        const CleanupItemResult item = cleanOne(world, entry, {}, {}, &os);
        QVERIFY2(item.moved, qPrintable(item.message));
        QCOMPARE(item.trashPath, joinPath(world.scope, QStringLiteral(".Trash-%1/files/movie.mkv").arg(::geteuid())));
        QCOMPARE(world.trashed(), QStringList());
    }

    void cleansAThousandItemsInOneRun()
    {
        World world;
        QList<FileEntry> entries;
        for (int i = 0; i < 1000; ++i)
            entries.append(world.entry(world.file(QStringLiteral("item %1.txt").arg(i), QByteArray::number(i))));
        const FileEntry kept = world.entry(world.file(QStringLiteral("kept.txt")));
        entries.insert(500, kept);
        QSet<QUuid> ids = idsOf(entries);
        ids.remove(kept.id);
        const CleanupRecord record = CleanupService(world.environment()).clean(ids, entries, {}, {}, {});
        QCOMPARE(record.items.size(), 1000);
        QCOMPARE(record.count(), 1000);
        QCOMPARE(world.trashed().size(), 1000);
        QCOMPARE(entriesOf(joinPath(world.trash, QStringLiteral("info"))).size(), 1000);
        QCOMPARE(entriesOf(world.scope), QStringList { QStringLiteral("kept.txt") });
        QCOMPARE(readTrashInfo(joinPath(world.trash, QStringLiteral("info/item 7.txt.trashinfo"))).path,
            pathToBytes(joinPath(world.scope, QStringLiteral("item 7.txt"))));
    }

    void trashesNamedPathsWithTheBasicChecksOnly()
    {
        World world;
        const QString file = world.file(QStringLiteral("named"), "n");
        const QString link = joinPath(world.scope, QStringLiteral("link"));
        QCOMPARE(::symlink(pathToBytes(file).constData(), pathToBytes(link).constData()), 0);
        const QString missing = joinPath(world.scope, QStringLiteral("missing"));
        QVERIFY(QDir::setCurrent(world.scope));
        const CleanupRecord record
            = CleanupService(world.environment())
                  .cleanPaths({ QStringLiteral("link"), missing, world.home, QStringLiteral("./named") });
        QCOMPARE(record.items.size(), 4);
        QCOMPARE(record.items.at(0).message, QStringLiteral("是符号链接，未移动。"));
        QVERIFY(isLink(link));
        QCOMPARE(record.items.at(1).message, QStringLiteral("不存在，未移动。"));
        QCOMPARE(record.items.at(2).message, QStringLiteral("不能移动个人文件夹本身，已拒绝。"));
        QCOMPARE(record.items.at(3).path, file);
        QVERIFY(record.items.at(3).moved);
        QCOMPARE(record.items.at(3).bytes, 1);
        QVERIFY(QDir::setCurrent(QDir::rootPath()));
    }

    void aSwapOnTheWayNeverRedirectsTheMove()
    {
        World world;
        const QString sub = world.folder(QStringLiteral("sub"));
        const FileEntry entry = world.entry(world.file(QStringLiteral("sub/file"), "scanned"));
        const QString outside = joinPath(world.root.path(), QStringLiteral("outside"));
        QVERIFY(makeFolder(outside));
        QVERIFY(writeFile(joinPath(outside, QStringLiteral("file")), "precious"));
        // After every check the folder moves away and a link out of the scope takes its place.
        const OsCalls swapped = changingBeforeTheMove("file", [&] {
            QCOMPARE(::rename(pathToBytes(sub).constData(), pathToBytes(sub + QStringLiteral(".old")).constData()), 0);
            QCOMPARE(::symlink(pathToBytes(outside).constData(), pathToBytes(sub).constData()), 0);
        });
        CleanupItemResult item = cleanOne(world, entry, {}, {}, &swapped);
        QVERIFY2(item.moved, qPrintable(item.message));
        QCOMPARE(readFile(joinPath(outside, QStringLiteral("file"))), "precious");
        QCOMPARE(readFile(item.trashPath), "scanned");
        QCOMPARE(
            readTrashInfo(joinPath(world.trash, QStringLiteral("info/file.trashinfo"))).path, pathToBytes(entry.path));

        // Another file takes the item's very name in that instant: it is put back and
        // nothing is reported as moved.
        const FileEntry doc = world.entry(world.file(QStringLiteral("doc"), "scanned"));
        const QString aside = doc.path + QStringLiteral(".aside");
        const OsCalls replaced = changingBeforeTheMove("doc", [&] {
            QCOMPARE(::rename(pathToBytes(doc.path).constData(), pathToBytes(aside).constData()), 0);
            QVERIFY(writeFile(doc.path, "intruder"));
        });
        item = cleanOne(world, doc, {}, {}, &replaced);
        QVERIFY(!item.moved);
        QVERIFY2(item.message.contains(QStringLiteral("被另一个项目替换")), qPrintable(item.message));
        QCOMPARE(readFile(doc.path), "intruder");
        QCOMPARE(readFile(aside), "scanned");
        QCOMPARE(world.trashed(), QStringList { QStringLiteral("file") });
        QCOMPARE(entriesOf(joinPath(world.trash, QStringLiteral("info"))).size(), 1);
    }

    void changesThatPutTheTimeBackAreSeen()
    {
        World world;
        const QString changed = QStringLiteral("扫描后已被修改，未移动。");
        // Rewritten with the same size and its times put back.
        const FileEntry rewritten = world.entry(world.file(QStringLiteral("report.txt"), "draft"));
        struct stat before { };
        QCOMPARE(::lstat(pathToBytes(rewritten.path).constData(), &before), 0);
        tick();
        QVERIFY(writeFile(rewritten.path, "DRAFT"));
        restoreTimes(rewritten.path, before);
        QCOMPARE(cleanOne(world, rewritten).message, changed);
        QCOMPARE(readFile(rewritten.path), "DRAFT");

        // A chmod and a new hard link.
        const FileEntry chmodded = world.entry(world.file(QStringLiteral("mode.txt")));
        const FileEntry linked = world.entry(world.file(QStringLiteral("linked.txt")));
        tick();
        QCOMPARE(::chmod(pathToBytes(chmodded.path).constData(), 0600), 0);
        QCOMPARE(
            ::link(pathToBytes(linked.path).constData(), pathToBytes(linked.path + QStringLiteral("2")).constData()),
            0);
        QCOMPARE(cleanOne(world, chmodded).message, changed);
        QCOMPARE(cleanOne(world, linked).message, changed);

        // Deleted and made again on the same inode (the file system may reuse it).
        const FileEntry again = world.entry(world.file(QStringLiteral("again.bin"), "v1"));
        QCOMPARE(::lstat(pathToBytes(again.path).constData(), &before), 0);
        tick();
        QCOMPARE(::unlink(pathToBytes(again.path).constData()), 0);
        QVERIFY(writeFile(again.path, "v2"));
        restoreTimes(again.path, before);
        OsCalls reused = OsCalls::system();
        reused.fstatat = [inode = before.st_ino](int dir, const char *name, struct stat *st, int flags) {
            const int r = ::fstatat(dir, name, st, flags);
            if (r == 0 && qstrcmp(name, "again.bin") == 0)
                st->st_ino = inode;
            return r;
        };
        QCOMPARE(cleanOne(world, again, {}, {}, &reused).message, changed);

        // Inside a cache folder.
        const QString cache = world.folder(QStringLiteral("cache"));
        const QString inner = world.file(QStringLiteral("cache/blob"), "12345");
        const FileEntry folder = world.entry(cache, FileCategory::userCache);
        QCOMPARE(::lstat(pathToBytes(inner).constData(), &before), 0);
        tick();
        QVERIFY(writeFile(inner, "54321"));
        restoreTimes(inner, before);
        QCOMPARE(cleanOne(world, folder).message, QStringLiteral("文件夹里的内容在扫描后有变化，未移动。"));
        QCOMPARE(world.trashed(), QStringList());
    }

    void theKeptCopyIsCheckedLikeTheMovedOne()
    {
        World world;
        const QString keptFolder = world.folder(QStringLiteral("kept"));
        QVERIFY(makeFolder(joinPath(world.scope, QStringLiteral("selected"))));
        const FileEntry keep
            = world.entry(world.file(QStringLiteral("kept/same.bin"), "same bytes"), FileCategory::duplicate);
        const FileEntry selected
            = world.entry(world.file(QStringLiteral("selected/same.bin"), "same bytes"), FileCategory::duplicate);
        const DuplicateGroup group { QUuid::createUuid(), { keep, selected } };
        auto cleanSelected = [&](const DuplicateGroup &set, const QList<FileEntry> &snapshot) {
            const CleanupRecord record
                = CleanupService(world.environment()).clean({ selected.id }, snapshot, {}, { set }, {});
            return record.items.first();
        };

        // The kept copy's folder becomes a link to the selected copy's folder: the
        // selected copy would be compared with itself.
        const QString moved = keptFolder + QStringLiteral(".old");
        QCOMPARE(::rename(pathToBytes(keptFolder).constData(), pathToBytes(moved).constData()), 0);
        QCOMPARE(::symlink("selected", pathToBytes(keptFolder).constData()), 0);
        CleanupItemResult item = cleanSelected(group, { keep, selected });
        QVERIFY(!item.moved);
        QVERIFY2(item.message.startsWith(QStringLiteral("保留的副本")), qPrintable(item.message));
        QCOMPARE(readFile(selected.path), "same bytes");
        QCOMPARE(::unlink(pathToBytes(keptFolder).constData()), 0);
        QCOMPARE(::rename(pathToBytes(moved).constData(), pathToBytes(keptFolder).constData()), 0);

        // A copy recorded as the very same file never counts as the other copy.
        const QString alias = joinPath(world.scope, QStringLiteral("alias.bin"));
        QCOMPARE(::link(pathToBytes(selected.path).constData(), pathToBytes(alias).constData()), 0);
        const FileEntry aliasEntry = world.entry(alias, FileCategory::duplicate);
        FileEntry selectedNow = world.entry(selected.path, FileCategory::duplicate);
        selectedNow.id = selected.id;
        item = cleanSelected({ QUuid::createUuid(), { aliasEntry, selectedNow } }, { aliasEntry, selectedNow });
        QVERIFY(!item.moved);
        QVERIFY2(item.message.contains(QStringLiteral("同一个文件")), qPrintable(item.message));
        QCOMPARE(::unlink(pathToBytes(alias).constData()), 0);

        // The kept copy rewritten with its time put back.
        selectedNow = world.entry(selected.path, FileCategory::duplicate);
        selectedNow.id = selected.id;
        const FileEntry keepNow = world.entry(keep.path, FileCategory::duplicate);
        struct stat before { };
        QCOMPARE(::lstat(pathToBytes(keep.path).constData(), &before), 0);
        tick();
        QVERIFY(writeFile(keep.path, "SAME BYTES"));
        restoreTimes(keep.path, before);
        item = cleanSelected({ QUuid::createUuid(), { keepNow, selectedNow } }, { keepNow, selectedNow });
        QVERIFY(!item.moved);
        QVERIFY2(item.message.contains(QStringLiteral("已被修改")), qPrintable(item.message));
        QCOMPARE(world.trashed(), QStringList());
    }

    void aSpecialFileInPlaceOfACopyNeverBlocks()
    {
        World world;
        const FileEntry keep = world.entry(world.file(QStringLiteral("keep.bin"), "same"), FileCategory::duplicate);
        const FileEntry copy = world.entry(world.file(QStringLiteral("copy.bin"), "same"), FileCategory::duplicate);
        const DuplicateGroup group { QUuid::createUuid(), { keep, copy } };
        // The kept copy turns into a FIFO after it was found, right before it is opened.
        const OsCalls fifo = changingBeforeOpening("keep.bin", [&] {
            QCOMPARE(::unlink(pathToBytes(keep.path).constData()), 0);
            QCOMPARE(::mkfifo(pathToBytes(keep.path).constData(), 0644), 0);
        });
        const CleanupRecord record
            = CleanupService(world.environment(&fifo)).clean({ copy.id }, { keep, copy }, {}, { group }, {});
        QVERIFY(!record.items.first().moved);
        QVERIFY2(record.items.first().message.contains(QStringLiteral("已不是普通文件")),
            qPrintable(record.items.first().message));
        QCOMPARE(readFile(copy.path), "same");
    }

    void namedPathsAreJudgedWhereTheyReallyAre()
    {
        World world;
        for (const QString &folder :
            { QStringLiteral(".local"), QStringLiteral(".local/share"), QStringLiteral(".local/share/Trash"),
                QStringLiteral(".local/share/Trash/info"), QStringLiteral(".local/share/Trash/files") })
            QVERIFY(makeFolder(joinPath(world.home, folder)));
        QCOMPARE(::symlink(pathToBytes(world.trash).constData(),
                     pathToBytes(joinPath(world.scope, QStringLiteral("to-trash"))).constData()),
            0);
        QCOMPARE(::symlink("/etc", pathToBytes(joinPath(world.scope, QStringLiteral("to-etc"))).constData()), 0);
        QVERIFY(makeFolder(joinPath(world.scope, QStringLiteral("deep"))));
        QVERIFY(makeFolder(joinPath(world.scope, QStringLiteral("deep/inner"))));
        QCOMPARE(::symlink("deep/inner", pathToBytes(joinPath(world.scope, QStringLiteral("l"))).constData()), 0);
        const QString top = world.file(QStringLiteral("f"), "top");
        const QString deep = world.file(QStringLiteral("deep/f"), "deep");
        QVERIFY(QDir::setCurrent(world.scope));
        const CleanupRecord record
            = CleanupService(world.environment())
                  .cleanPaths({ QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("to-trash/info"),
                      QStringLiteral("to-etc/varnoll-no-such-file"), QStringLiteral("l/../f") });
        QCOMPARE(record.items.size(), 6);
        QCOMPARE(record.items.at(0).message, QStringLiteral("路径为空，未移动。"));
        QVERIFY2(record.items.at(1).message.contains(QStringLiteral("当前工作文件夹")),
            qPrintable(record.items.at(1).message));
        QVERIFY(!record.items.at(2).moved);
        QVERIFY2(record.items.at(3).message.contains(trashWorded(QStringLiteral("废纸篓"))),
            qPrintable(record.items.at(3).message));
        QVERIFY2(
            record.items.at(4).message.contains(QStringLiteral("系统文件夹")), qPrintable(record.items.at(4).message));
        // "l/.." is where the system takes it: the folder above the link's target.
        QVERIFY2(record.items.at(5).moved, qPrintable(record.items.at(5).message));
        QCOMPARE(record.items.at(5).path, deep);
        QCOMPARE(record.count(), 1);
        QCOMPARE(readFile(top), "top");
        QVERIFY(exists(world.scope) && exists(joinPath(world.trash, QStringLiteral("info"))));

        // With the working folder gone, a relative name names nothing.
        const QString gone = joinPath(world.scope, QStringLiteral("gone"));
        QVERIFY(makeFolder(gone));
        QVERIFY(QDir::setCurrent(gone));
        QCOMPARE(::rmdir(pathToBytes(gone).constData()), 0);
        const CleanupRecord orphan = CleanupService(world.environment()).cleanPaths({ QStringLiteral("f") });
        QCOMPARE(orphan.items.first().message,
            QStringLiteral("当前工作文件夹已不存在，无法确定相对路径所指的位置，未移动。"));
        QVERIFY(QDir::setCurrent(QDir::rootPath()));
        QCOMPARE(readFile(top), "top");
    }

private:
    QTemporaryDir m_guardHome;
};

QTEST_GUILESS_MAIN(CleanupServiceTest)
#include "cleanupservice_test.moc"
