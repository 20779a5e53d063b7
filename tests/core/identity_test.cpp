// The identity a scan records must change exactly when the item changes.
#include "core/Identity.h"
#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Morvane;

namespace {

void write(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(contents);
}

void setTime(const QString &path, std::int64_t seconds)
{
    const struct timespec times[2] = { { seconds, 0 }, { seconds, 0 } };
    QCOMPARE(::utimensat(AT_FDCWD, pathToBytes(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// Lets the file system's coarse clock move on, so that the next change gets another
// status-change time than the last one.
void tick()
{
    QTest::qSleep(20);
}

Fingerprint tree(const QString &path)
{
    const auto f = fingerprintPath(path, true);
    return f.value_or(Fingerprint {});
}

} // namespace

class IdentityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aFileChangesWithItsSizeTimeOrInode()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/a.bin");
        write(file, "hello");
        setTime(file, 1'600'000'000);
        const auto before = fingerprintPath(file, false);
        QVERIFY(before.has_value());
        QCOMPARE(before->size, 5);
        QVERIFY(!before->hasTree);
        QCOMPARE(*fingerprintPath(file, true), *before); // files have no tree
        QCOMPARE(*fingerprintPath(file, false), *before); // stable
        setTime(file, 1'600'000'001);
        QVERIFY(*fingerprintPath(file, false) != *before);

        // Same size, same time, another file under the same name.
        const QString other = dir.path() + QStringLiteral("/b.bin");
        write(other, "world");
        setTime(other, 1'600'000'000);
        QVERIFY(QFile::rename(other, file) || (QFile::remove(file) && QFile::rename(other, file)));
        QVERIFY(fingerprintPath(file, false)->inode != before->inode);
        QCOMPARE(fingerprintPath(dir.path() + QStringLiteral("/gone"), false), std::nullopt);
    }

    void changesThatPutTheTimeBackStillCount()
    {
        QTemporaryDir dir;
        const QString file = dir.path() + QStringLiteral("/doc.txt");
        write(file, "first");
        setTime(file, 1'600'000'000);
        auto before = *fingerprintPath(file, false);
        tick();
        // Rewritten with the same size and its time put back (touch -r).
        write(file, "FIRST");
        setTime(file, 1'600'000'000);
        auto now = *fingerprintPath(file, false);
        QCOMPARE(now.modifiedNs, before.modifiedNs);
        QCOMPARE(now.size, before.size);
        QVERIFY(now != before);
        // A chmod, and a new hard link.
        before = now;
        tick();
        QCOMPARE(::chmod(pathToBytes(file).constData(), 0600), 0);
        QVERIFY(*fingerprintPath(file, false) != before);
        before = *fingerprintPath(file, false);
        tick();
        QCOMPARE(::link(pathToBytes(file).constData(), pathToBytes(file + QStringLiteral(".link")).constData()), 0);
        QVERIFY(*fingerprintPath(file, false) != before);

        // Inside a folder: a chmod deep down changes the digest.
        QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/cache/a")));
        write(dir.path() + QStringLiteral("/cache/a/x"), "x");
        const auto folder = tree(dir.path() + QStringLiteral("/cache"));
        tick();
        QCOMPARE(::chmod(pathToBytes(dir.path() + QStringLiteral("/cache/a/x")).constData(), 0600), 0);
        QVERIFY(tree(dir.path() + QStringLiteral("/cache")).treeDigest != folder.treeDigest);
    }

    void aFolderDigestSeesEveryChangeInside()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + QStringLiteral("/cache");
        QVERIFY(QDir().mkpath(root + QStringLiteral("/a/b")));
        write(root + QStringLiteral("/a/b/deep.dat"), "12345");
        write(root + QStringLiteral("/top.dat"), "x");
        std::int64_t bytes = 0;
        const auto base = fingerprintPath(root, true, nullptr, &bytes);
        QVERIFY(base && base->hasTree);
        QCOMPARE(base->treeEntries, 4);
        QCOMPARE(bytes, 6);
        QCOMPARE(tree(root), *base); // stable

        // Modify deep inside: the folder's own stat does not change, the digest does.
        struct stat st { };
        ::lstat(pathToBytes(root + QStringLiteral("/a/b/deep.dat")).constData(), &st);
        tick();
        write(root + QStringLiteral("/a/b/deep.dat"), "54321");
        const struct timespec same[2] = { st.st_atim, st.st_mtim };
        ::utimensat(AT_FDCWD, pathToBytes(root + QStringLiteral("/a/b/deep.dat")).constData(), same, 0);
        // Same size, time and inode, content not hashed: the status-change time tells.
        QVERIFY(tree(root).treeDigest != base->treeDigest);

        write(root + QStringLiteral("/a/b/deep.dat"), "123456");
        QVERIFY(tree(root).treeDigest != base->treeDigest);
        const auto grown = tree(root);

        write(root + QStringLiteral("/a/new.dat"), "");
        QVERIFY(tree(root).treeDigest != grown.treeDigest);
        QFile::remove(root + QStringLiteral("/a/new.dat"));
        QFile::rename(root + QStringLiteral("/top.dat"), root + QStringLiteral("/renamed.dat"));
        QVERIFY(tree(root).treeDigest != grown.treeDigest);
    }

    void linksInsideAreRecordedNotFollowed()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + QStringLiteral("/r");
        QVERIFY(QDir().mkpath(root));
        write(dir.path() + QStringLiteral("/big"), QByteArray(1000, 'x'));
        QVERIFY(QFile::link(dir.path() + QStringLiteral("/big"), root + QStringLiteral("/link")));
        QVERIFY(QFile::link(root, root + QStringLiteral("/loop")));
        std::int64_t bytes = -1;
        const auto f = fingerprintPath(root, true, nullptr, &bytes);
        QVERIFY(f.has_value());
        QCOMPARE(f->treeEntries, 2);
        QCOMPARE(bytes, 0);
        // The item itself being a link is fingerprinted as the link.
        const auto link = fingerprintPath(root + QStringLiteral("/link"), true);
        QVERIFY(link && !link->hasTree);
    }

    void digestIsIndependentOfOrder()
    {
        struct stat a { };
        a.st_mode = S_IFREG | 0644;
        a.st_ino = 7;
        a.st_size = 3;
        struct stat b = a;
        b.st_ino = 8;
        TreeDigest one, two, merged, part;
        one.add("x", a);
        one.add("y/z", b);
        two.add("y/z", b);
        two.add("x", a);
        part.add("x", a);
        merged.add("y/z", b);
        merged.merge(part);
        QCOMPARE(one.value(), two.value());
        QCOMPARE(one.value(), merged.value());
        QCOMPARE(merged.entries(), 2);
        TreeDigest swapped;
        swapped.add("x", b);
        swapped.add("y/z", a);
        QVERIFY(swapped.value() != one.value());
    }

    void cancelledOrUnreadableWalksVouchForNothing()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.path() + QStringLiteral("/t/u")));
        CancellationToken cancel;
        cancel.cancel();
        QCOMPARE(fingerprintPath(dir.path() + QStringLiteral("/t"), true, &cancel), std::nullopt);
        QVERIFY(fingerprintPath(dir.path() + QStringLiteral("/t"), false, &cancel).has_value());
    }
};

QTEST_GUILESS_MAIN(IdentityTest)
#include "identity_test.moc"
