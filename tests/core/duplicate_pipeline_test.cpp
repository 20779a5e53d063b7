#include "core/Identity.h"
#include "core/files/DuplicatePipeline.h"
#include "core/files/KeepFirst.h"
#include "core/support/FileToolsTree.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

using namespace Morvane;
using TestTree::pattern;
using TestTree::writeFile;

namespace {

DuplicateCandidate candidate(const QString &path)
{
    struct stat st { };
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &st) != 0)
        qFatal("cannot stat %s", native.constData());
    return { native, fingerprintFromStat(st) };
}

std::vector<DuplicateCandidate> candidates(const QTemporaryDir &dir, const QStringList &names)
{
    std::vector<DuplicateCandidate> out;
    for (const QString &name : names)
        out.push_back(candidate(dir.filePath(name)));
    return out;
}

// Each group as a sorted list of names relative to `dir`, the groups sorted too.
QList<QStringList> names(const QTemporaryDir &dir, const DuplicateOutcome &outcome)
{
    QList<QStringList> out;
    for (const auto &group : outcome.groups) {
        QStringList g;
        for (const DuplicateCandidate &c : group)
            g << QFile::decodeName(c.path).mid(dir.path().size() + 1);
        g.sort();
        out << g;
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::int64_t survivorsAfter(const DuplicateOutcome &outcome, DuplicateStage stage)
{
    for (const DuplicateStageLog &log : outcome.stages) {
        if (log.stage == stage)
            return log.files;
    }
    return -1;
}

QByteArray withByte(QByteArray data, qsizetype at, char value)
{
    data[at] = value;
    return data;
}

} // namespace

class DuplicatePipelineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameSizeDifferentContentIsSplitByTheHead()
    {
        QTemporaryDir dir;
        const QByteArray a = pattern(3000, 1);
        writeFile(dir.filePath("a.bin"), a);
        writeFile(dir.filePath("same as a.bin"), a);
        writeFile(dir.filePath("other.bin"), pattern(3000, 2));
        const DuplicateOutcome out = findDuplicates(candidates(dir, { "a.bin", "same as a.bin", "other.bin" }), {});
        QCOMPARE(names(dir, out), (QList<QStringList> { { "a.bin", "same as a.bin" } }));
        QCOMPARE(survivorsAfter(out, DuplicateStage::size), 3);
        QCOMPARE(survivorsAfter(out, DuplicateStage::head), 2);
        QCOMPARE(out.bytesRead, 9000); // small files end with the head stage
    }

    void sameHeadDifferentTailIsSplitByTheTail()
    {
        QTemporaryDir dir;
        const QByteArray data = pattern(100000, 3);
        writeFile(dir.filePath("x"), data);
        writeFile(dir.filePath("y"), withByte(data, data.size() - 1, char(data.back() ^ 1)));
        const DuplicateOutcome out = findDuplicates(candidates(dir, { "x", "y" }), {});
        QVERIFY(out.groups.empty());
        QCOMPARE(survivorsAfter(out, DuplicateStage::head), 2);
        QCOMPARE(survivorsAfter(out, DuplicateStage::tail), 0);
        QCOMPARE(out.bytesRead, 4 * duplicateBlockBytes); // never read whole
    }

    void sameHeadAndTailDifferentMiddleIsSplitByTheContent()
    {
        QTemporaryDir dir;
        const QByteArray data = pattern(300000, 4);
        writeFile(dir.filePath("x"), data);
        writeFile(dir.filePath("y"), withByte(data, 150000, char(data[150000] ^ 0x40)));
        writeFile(dir.filePath("z"), data);
        const DuplicateOutcome out = findDuplicates(candidates(dir, { "x", "y", "z" }), {});
        QCOMPARE(survivorsAfter(out, DuplicateStage::tail), 3);
        QCOMPARE(names(dir, out), (QList<QStringList> { { "x", "z" } }));
    }

    void fileOfTwoBlocksIsFullyComparedByHeadAndTail()
    {
        QTemporaryDir dir;
        const qsizetype size = duplicateBlockBytes + 5000;
        const QByteArray data = pattern(size, 5);
        writeFile(dir.filePath("p"), data);
        writeFile(dir.filePath("q"), data);
        writeFile(dir.filePath("r"), withByte(data, size - 10, char(data[size - 10] ^ 1)));
        const DuplicateOutcome out = findDuplicates(candidates(dir, { "p", "q", "r" }), {});
        QCOMPARE(names(dir, out), (QList<QStringList> { { "p", "q" } }));
        QCOMPARE(out.bytesRead, 3 * size);
    }

    void hardLinkCopiesAndEmptyFilesAreLeftOut()
    {
        QTemporaryDir dir;
        const QByteArray data = pattern(5000, 6);
        writeFile(dir.filePath("orig"), data);
        QCOMPARE(::link(QFile::encodeName(dir.filePath("orig")), QFile::encodeName(dir.filePath("link"))), 0);
        writeFile(dir.filePath("solo"), pattern(7000, 7));
        QCOMPARE(::link(QFile::encodeName(dir.filePath("solo")), QFile::encodeName(dir.filePath("solo-link"))), 0);
        writeFile(dir.filePath("copy"), data);
        writeFile(dir.filePath("empty1"), {});
        writeFile(dir.filePath("empty2"), {});
        const DuplicateOutcome out
            = findDuplicates(candidates(dir, { "orig", "link", "solo", "solo-link", "copy", "empty1", "empty2" }), {});
        // One path per inode: "link" stands for nothing "orig" does not, and "solo" has
        // no copy of its own.
        QCOMPARE(names(dir, out), (QList<QStringList> { { "copy", "link" } }));
        QCOMPARE(out.hardLinkCopies, 2);
        QCOMPARE(out.emptyFiles, 2);
    }

    void filesThatChangeOrVanishBetweenStagesAreDroppedAndCounted()
    {
        QTemporaryDir dir;
        const QByteArray data = pattern(200000, 8);
        for (const char *name : { "a", "b", "changes", "vanishes", "fifo" })
            writeFile(dir.filePath(name), data);
        DuplicateOptions options;
        options.afterStage = [&](DuplicateStage stage) {
            if (stage == DuplicateStage::size) {
                QFile::remove(dir.filePath("vanishes"));
                // A FIFO in a candidate's place must not hold the reader (the ctest
                // timeout fails a hang).
                QFile::remove(dir.filePath("fifo"));
                QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600) == 0);
            }
            if (stage == DuplicateStage::tail) // same size, same content, a new write
                writeFile(dir.filePath("changes"), data);
        };
        const DuplicateOutcome out
            = findDuplicates(candidates(dir, { "a", "b", "changes", "vanishes", "fifo" }), options);
        QCOMPARE(names(dir, out), (QList<QStringList> { { "a", "b" } }));
        QCOMPARE(out.vanishedFiles, 1);
        QCOMPARE(out.changedFiles, 2);
    }

    void unreadableFileIsDroppedAndCounted()
    {
        QTemporaryDir dir;
        const QByteArray data = pattern(50000, 9);
        for (const char *name : { "a", "b", "locked" })
            writeFile(dir.filePath(name), data);
        DuplicateOptions options;
        const ContentReadOps real = defaultContentReadOps();
        options.ops.openFile = [&](int folder, const char *name) {
            if (QByteArrayView(name).endsWith("locked")) {
                errno = EACCES;
                return -1;
            }
            return real.openFile(folder, name);
        };
        const DuplicateOutcome out = findDuplicates(candidates(dir, { "a", "b", "locked" }), options);
        QCOMPARE(names(dir, out), (QList<QStringList> { { "a", "b" } }));
        QCOMPARE(out.unreadableFiles, 1);
    }

    void folderThatCannotBeOpenedFallsBackToTheFullPath()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("sub/a"), pattern(40000, 14));
        writeFile(dir.filePath("sub/b"), pattern(40000, 14));
        DuplicateOptions options;
        options.ops.openFolder = [](const char *) {
            errno = EACCES;
            return -1;
        };
        const DuplicateOutcome out = findDuplicates(candidates(dir, { "sub/a", "sub/b" }), options);
        QCOMPARE(names(dir, out), (QList<QStringList> { { "sub/a", "sub/b" } }));
    }

    void contentBoundLeavesWholeGroupsUncheckedAndCountsThem()
    {
        QTemporaryDir dir;
        const QByteArray big = pattern(400000, 10);
        const QByteArray small = pattern(100000, 11);
        writeFile(dir.filePath("big1"), big);
        writeFile(dir.filePath("big2"), big);
        writeFile(dir.filePath("small1"), small);
        writeFile(dir.filePath("small2"), small);
        DuplicateOptions options;
        // Heads and tails of four files plus the whole small pair, but not the big pair.
        options.contentReadLimit = 8 * duplicateBlockBytes + 2 * 100000 + 1000;
        const DuplicateOutcome out = findDuplicates(candidates(dir, { "big1", "big2", "small1", "small2" }), options);
        QCOMPARE(names(dir, out), (QList<QStringList> { { "small1", "small2" } }));
        QCOMPARE(out.uncheckedFiles, 2);
        QCOMPARE(out.uncheckedBytes, 800000);
        QVERIFY(out.bytesRead <= options.contentReadLimit);

        options.contentReadLimit = 10'000'000;
        const DuplicateOutcome all = findDuplicates(candidates(dir, { "big1", "big2", "small1", "small2" }), options);
        QCOMPARE(all.groups.size(), size_t(2));
        QCOMPARE(all.uncheckedFiles, 0);
    }

    void deadlineLeavesTheRestUncheckedAndSaysSo()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a"), pattern(1000, 13));
        writeFile(dir.filePath("b"), pattern(1000, 13));
        DuplicateOptions options;
        options.deadline = std::chrono::steady_clock::now();
        const DuplicateOutcome out = findDuplicates(candidates(dir, { "a", "b" }), options);
        QVERIFY(out.groups.empty());
        QVERIFY(out.timedOut);
        QCOMPARE(out.uncheckedFiles, 2);
        QCOMPARE(out.uncheckedBytes, 2000);
    }

    void cancellationStopsTheSearch()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a"), pattern(1000, 12));
        writeFile(dir.filePath("b"), pattern(1000, 12));
        CancellationToken token;
        token.cancel();
        DuplicateOptions options;
        options.cancel = &token;
        QVERIFY_THROWS_EXCEPTION(CancellationError, (void)findDuplicates(candidates(dir, { "a", "b" }), options));
    }

    void compactListKeepsEveryPathAndIdentityAcrossWorkers()
    {
        const auto identity = [](std::uint64_t device, std::uint64_t inode, std::int64_t size) {
            Fingerprint f;
            f.device = device;
            f.inode = inode;
            f.size = size;
            f.modifiedNs = std::int64_t(inode) * 1000;
            f.changedNs = std::int64_t(inode) * 2000;
            return f;
        };
        DuplicateCandidates first;
        first.add("/data/a/one", identity(1, 10, 5));
        first.add("/data/a/two", identity(1, 11, 6));
        first.add("/top", identity(1, 12, 7)); // a child of the file system root
        first.add("/data/a/\xff name", identity(2, 13, 8)); // same folder, other device
        DuplicateCandidates second;
        second.add("/data/b/three", identity(1, 14, 9));
        second.add("/data/a/four", identity(1, 15, 10)); // a folder seen before, not just before
        first.append(std::move(second));
        QCOMPARE(second.size(), size_t(0));
        const QList<QByteArray> paths { "/data/a/one", "/data/a/two", "/top", "/data/a/\xff name", "/data/b/three",
            "/data/a/four" };
        QCOMPARE(first.size(), size_t(paths.size()));
        for (size_t i = 0; i < first.size(); ++i) {
            QCOMPARE(first.path(i), paths[qsizetype(i)]);
            QCOMPARE(first.identity(i), identity(i == 3 ? 2 : 1, 10 + i, std::int64_t(5 + i)));
            QCOMPARE(QByteArray(first.folder(i)) + '/' + first.name(i), paths[qsizetype(i)]);
        }
        QCOMPARE(first.folderIndex(0), first.folderIndex(1));
        QVERIFY(first.folderIndex(1) != first.folderIndex(3));
        QCOMPARE(QByteArray(first.folder(2)), QByteArray());
    }

    void keepFirstPrefersSettledOriginalsOverCopies()
    {
        const auto make = [](const char *path, std::int64_t modified) {
            DuplicateCandidate c;
            c.path = path;
            c.identity.modifiedNs = modified;
            return c;
        };
        std::vector<DuplicateCandidate> copies = {
            make("/home/u/Downloads/report.pdf", 100), // oldest, but in Downloads
            make("/home/u/Documents/report (1).pdf", 150), // settled, but a copy's name
            make("/home/u/Documents/work/deep/report.pdf", 300),
            make("/home/u/Documents/report.pdf", 300), // same age, shorter path
            make("/home/u/Documents/old/report.pdf", 200), // oldest settled original
        };
        orderForKeeping(copies);
        QStringList order;
        for (const DuplicateCandidate &c : copies)
            order << QString::fromUtf8(c.path);
        QCOMPARE(order,
            (QStringList { "/home/u/Documents/old/report.pdf", "/home/u/Documents/report.pdf",
                "/home/u/Documents/work/deep/report.pdf", "/home/u/Documents/report (1).pdf",
                "/home/u/Downloads/report.pdf" }));
    }

    void keepFirstRecognisesTransientFoldersAndCopyNames()
    {
        QVERIFY(isInTransientFolder("/home/u/downloads/a"));
        QVERIFY(isInTransientFolder("/home/u/.cache/x/a"));
        QVERIFY(isInTransientFolder("/tmp/a"));
        QVERIFY(!isInTransientFolder("/tmp/scan/a", 9)); // what all copies share tells nothing
        QVERIFY(isInTransientFolder("/tmp/scan/Downloads/a", 9));
        QVERIFY(isInTransientFolder("/Users/u/下载/a"));
        QVERIFY(!isInTransientFolder("/home/u/Documents/Downloads.pdf")); // the file's own name
        QVERIFY(!isInTransientFolder("/home/u/Documents/templates/a"));
        QVERIFY(looksLikeCopyName("a (1).pdf"));
        QVERIFY(looksLikeCopyName("a copy.pdf"));
        QVERIFY(looksLikeCopyName("a Copy 2.txt"));
        QVERIFY(looksLikeCopyName("a - 副本.docx"));
        QVERIFY(!looksLikeCopyName("a.pdf"));
        QVERIFY(!looksLikeCopyName("copyright.txt"));
    }
};

QTEST_GUILESS_MAIN(DuplicatePipelineTest)
#include "duplicate_pipeline_test.moc"
