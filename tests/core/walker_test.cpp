#include "support/FixtureTree.h"

#include "core/Identity.h"
#include "core/Paths.h"
#include "core/walk/Walker.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>

using namespace Morvane;

namespace {

struct Seen {
    std::mutex mutex;
    QMap<QString, WalkEntryType> entries;
    std::int64_t bytes = 0;
};

WalkVisitor recorder(Seen &seen)
{
    return [&seen](const WalkEntry &e) {
        std::lock_guard lock(seen.mutex);
        seen.entries.insert(e.qpath(), e.type);
        if (e.type == WalkEntryType::file)
            seen.bytes += e.st->st_size;
        return Visit::descend;
    };
}

void makeFlatTree(const QString &root, int folders, int filesEach)
{
    for (int d = 0; d < folders; ++d) {
        for (int f = 0; f < filesEach; ++f)
            Fixture::makeFile(QStringLiteral("%1/d%2/f%3").arg(root).arg(d).arg(f), 1);
    }
}

} // namespace

class WalkerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Coverage of an ordinary tree.
    void visitsEveryNameOnceWithLogicalSizes();
    void walksFromTheFileSystemRoot();
    void skipsChildrenOfFoldersTheVisitorDeclines();
    void leavesOutFifos();
    void keepsNamesThatAreNotUtf8ByteForByte();
    void depthAndTheDescriptorLimitChangeNothing();

    // Symbolic links.
    void neverFollowsLinksLoopsOrLinksOutOfScope();
    void refusesARootThatIsALink();

    // What could not be read.
    void reportsAMissingRoot();
    void reportsAnUnreadableRootThroughInjectedFailure();
    void reportsUnreadableSubfoldersAndWalksTheRest();
    void reportsUnreadableSubfoldersForAnUnprivilegedUser();
    void reportsNamesThatCannotBeExamined();

    // Budgets.
    void stopsAtTheVisitLimit();
    void finishesATreeOfExactlyTheVisitLimit();
    void stopsAtThePassedDeadline();
    void stopsWhenTheVisitorSaysSo();
    void rethrowsTheVisitorsException();
    void stopsWithinMillisecondsOfCancellation();

    // Progress.
    void samplesProgressInsteadOfReportingEveryFile();

    // Sizes.
    void measuresASubtree();
    void keepsOutOtherFileSystems();
};

void WalkerTest::visitsEveryNameOnceWithLogicalSizes()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    Fixture::makeFile(root + QStringLiteral("/a/one"), 10);
    Fixture::makeFile(root + QStringLiteral("/a/b/two"), 200);
    Fixture::makeFile(root + QStringLiteral("/a/b/c/three"), 3000);
    Fixture::makeFolder(root + QStringLiteral("/empty"));
    Fixture::makeFile(root + QStringLiteral("/top"), 5);
    makeFlatTree(root + QStringLiteral("/many"), 20, 30);

    Seen seen;
    std::atomic<int> maxDepth = 0;
    std::atomic<bool> badOffsets = false;
    WalkOptions options;
    options.threads = 4;
    const WalkReport report = walk(
        root,
        [&](const WalkEntry &e) {
            int d = maxDepth.load();
            while (e.depth > d && !maxDepth.compare_exchange_weak(d, e.depth)) { }
            if (e.nameOffset > e.path.size() || e.path.substr(0, e.rootLength) != pathToBytes(root).toStdString())
                badOffsets = true;
            return recorder(seen)(e);
        },
        options);
    QVERIFY(report.isComplete());
    QVERIFY(!badOffsets);
    // 8 folders and files outside "many", plus many + 20 folders + 600 files.
    QCOMPARE(seen.entries.size(), 8 + 1 + 20 + 600);
    QCOMPARE(report.visited, std::int64_t(seen.entries.size()));
    QCOMPARE(seen.bytes, std::int64_t(10 + 200 + 3000 + 5 + 600));
    QCOMPARE(seen.entries.value(root + QStringLiteral("/a/b/c")), WalkEntryType::folder);
    QCOMPARE(maxDepth.load(), 4);
    QCOMPARE(report.folders, std::int64_t(1 + 4 + 21));
}

void WalkerTest::walksFromTheFileSystemRoot()
{
    // "/" must give "/name" paths, not "//name"; stop at once to keep it cheap.
    QString first;
    bool relativeIsName = false;
    const WalkReport report = walk(QStringLiteral("/"), [&](const WalkEntry &e) {
        first = e.qpath();
        relativeIsName = e.relative() == e.name();
        return Visit::stop;
    });
    QVERIFY(relativeIsName);
    QVERIFY(first.startsWith(u'/'));
    QVERIFY(!first.startsWith(QStringLiteral("//")));
    QCOMPARE(report.stop, WalkStop::visitor);
}

void WalkerTest::skipsChildrenOfFoldersTheVisitorDeclines()
{
    QTemporaryDir dir;
    Fixture::makeFile(dir.path() + QStringLiteral("/keep/x"));
    Fixture::makeFile(dir.path() + QStringLiteral("/skip/y"));
    Seen seen;
    const WalkReport report = walk(dir.path(), [&](const WalkEntry &e) {
        recorder(seen)(e);
        return e.name() == "skip" ? Visit::skipChildren : Visit::descend;
    });
    QVERIFY(report.isComplete());
    QVERIFY(seen.entries.contains(dir.path() + QStringLiteral("/keep/x")));
    QVERIFY(seen.entries.contains(dir.path() + QStringLiteral("/skip")));
    QVERIFY(!seen.entries.contains(dir.path() + QStringLiteral("/skip/y")));
}

void WalkerTest::leavesOutFifos()
{
    QTemporaryDir dir;
    Fixture::makeFile(dir.path() + QStringLiteral("/plain"));
    QCOMPARE(::mkfifo(pathToBytes(dir.path() + QStringLiteral("/pipe")).constData(), 0644), 0);
    Seen seen;
    const WalkReport report = walk(dir.path(), recorder(seen));
    QCOMPARE(seen.entries.keys(), QStringList { dir.path() + QStringLiteral("/plain") });
    QCOMPARE(report.specialSkipped, std::int64_t(1));
    QVERIFY(report.isComplete());
}

void WalkerTest::depthAndTheDescriptorLimitChangeNothing()
{
    // 700 levels of ten-letter names: a path of 7,700 bytes (past PATH_MAX) and ten
    // times more levels than descriptors allowed below.
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/deep");
    Fixture::makeFolder(root);
    constexpr int levels = 700;
    {
        int folder = ::open(pathToBytes(root).constData(), O_RDONLY | O_DIRECTORY);
        for (int i = 0; i < levels; ++i) {
            QCOMPARE(::mkdirat(folder, "abcdefghij", 0700), 0);
            const int next = ::openat(folder, "abcdefghij", O_RDONLY | O_DIRECTORY);
            ::close(folder);
            folder = next;
        }
        const int file = ::openat(folder, "leaf", O_WRONLY | O_CREAT, 0600);
        QCOMPARE(::write(file, "12345", 5), 5);
        ::close(file);
        ::close(folder);
    }
    rlimit before {};
    QCOMPARE(::getrlimit(RLIMIT_NOFILE, &before), 0);
    rlimit low = before;
    low.rlim_cur = 64;
    QCOMPARE(::setrlimit(RLIMIT_NOFILE, &low), 0);
    const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &before); });

    std::atomic<int> deepest = 0;
    const WalkReport report = walk(root, [&](const WalkEntry &e) {
        int d = deepest.load();
        while (e.depth > d && !deepest.compare_exchange_weak(d, e.depth)) { }
        return Visit::descend;
    });
    QVERIFY(report.isComplete());
    QCOMPARE(report.visited, levels + 1);
    QCOMPARE(deepest.load(), levels + 1);
    // The identity of the whole tree (what the junk scan offers and the clean-up
    // checks) is computed just as well.
    std::int64_t bytes = 0;
    const auto identity = fingerprintPath(root, true, nullptr, &bytes);
    QVERIFY(identity && identity->hasTree);
    QCOMPARE(identity->treeEntries, levels + 1);
    QCOMPARE(bytes, 5);
}

void WalkerTest::keepsNamesThatAreNotUtf8ByteForByte()
{
    QTemporaryDir dir;
    const QByteArray raw = pathToBytes(dir.path()) + QByteArray("/caf\xe9-\xff\xfe.bin");
    const QString path = pathFromBytes(raw);
    Fixture::makeFile(path, 7);
    // QTemporaryDir cannot remove a name it cannot decode.
    auto unlinkRaw = qScopeGuard([&] { ::unlink(raw.constData()); });
    Seen seen;
    QByteArray visitedBytes;
    const WalkReport report = walk(dir.path(), [&](const WalkEntry &e) {
        visitedBytes = QByteArray(e.path.data(), qsizetype(e.path.size()));
        return recorder(seen)(e);
    });
    QVERIFY(report.isComplete());
    QCOMPARE(visitedBytes, raw);
    QCOMPARE(seen.entries.keys(), QStringList { path });
    QCOMPARE(pathToBytes(seen.entries.firstKey()), raw);
    QCOMPARE(seen.bytes, std::int64_t(7));
}

void WalkerTest::neverFollowsLinksLoopsOrLinksOutOfScope()
{
    QTemporaryDir outside;
    Fixture::makeFile(outside.path() + QStringLiteral("/secret/big"), 5000);
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/scope");
    Fixture::makeFile(root + QStringLiteral("/inner/file"), 3);
    Fixture::makeSymlink(QStringLiteral(".."), root + QStringLiteral("/inner/loop"));
    Fixture::makeSymlink(root, root + QStringLiteral("/inner/self"));
    Fixture::makeSymlink(outside.path() + QStringLiteral("/secret"), root + QStringLiteral("/out"));
    Fixture::makeSymlink(QStringLiteral("/nonexistent/target"), root + QStringLiteral("/dangling"));

    Seen seen;
    const WalkReport report = walk(root, recorder(seen));
    QVERIFY(report.isComplete());
    QCOMPARE(seen.entries.size(), 6);
    QCOMPARE(seen.bytes, std::int64_t(3));
    for (const QString &link : { QStringLiteral("/inner/loop"), QStringLiteral("/inner/self"), QStringLiteral("/out"),
             QStringLiteral("/dangling") })
        QCOMPARE(seen.entries.value(root + link), WalkEntryType::symlink);
    for (const QString &path : seen.entries.keys())
        QVERIFY2(isSameOrInside(path, root), qPrintable(path));
}

void WalkerTest::refusesARootThatIsALink()
{
    QTemporaryDir dir;
    Fixture::makeFile(dir.path() + QStringLiteral("/real/x"));
    Fixture::makeSymlink(dir.path() + QStringLiteral("/real"), dir.path() + QStringLiteral("/link"));
    int calls = 0;
    const WalkReport report = walk(dir.path() + QStringLiteral("/link"), [&](const WalkEntry &) {
        ++calls;
        return Visit::descend;
    });
    QCOMPARE(report.root, RootState::symlink);
    QCOMPARE(calls, 0);
    QVERIFY(!report.isComplete());
}

void WalkerTest::reportsAMissingRoot()
{
    QTemporaryDir dir;
    const WalkReport report
        = walk(dir.path() + QStringLiteral("/nope"), [](const WalkEntry &) { return Visit::descend; });
    QCOMPARE(report.root, RootState::missing);
    Fixture::makeFile(dir.path() + QStringLiteral("/file"));
    QCOMPARE(walk(dir.path() + QStringLiteral("/file"), [](const WalkEntry &) { return Visit::descend; }).root,
        RootState::notFolder);
}

void WalkerTest::reportsAnUnreadableRootThroughInjectedFailure()
{
    QTemporaryDir dir;
    Fixture::makeFile(dir.path() + QStringLiteral("/x"));
    WalkSystemCalls calls;
    calls.openFolder = [](const char *) {
        errno = EACCES;
        return -1;
    };
    WalkOptions options;
    options.calls = &calls;
    int visited = 0;
    const WalkReport report = walk(
        dir.path(),
        [&](const WalkEntry &) {
            ++visited;
            return Visit::descend;
        },
        options);
    QCOMPARE(report.root, RootState::unreadable);
    QCOMPARE(report.rootError, EACCES);
    QCOMPARE(visited, 0);
}

void WalkerTest::reportsUnreadableSubfoldersAndWalksTheRest()
{
    QTemporaryDir dir;
    Fixture::makeFile(dir.path() + QStringLiteral("/open/a"), 1);
    Fixture::makeFile(dir.path() + QStringLiteral("/locked/b"), 1);
    Fixture::makeFile(dir.path() + QStringLiteral("/open/deeper/locked/c"), 1);
    WalkSystemCalls calls;
    calls.openFolder = [](const char *path) {
        if (QByteArray(path).endsWith("/locked")) {
            errno = EACCES;
            return -1;
        }
        return ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    };
    std::mutex mutex;
    QStringList problems;
    WalkOptions options;
    options.calls = &calls;
    options.onProblem = [&](const WalkProblem &p) {
        std::lock_guard lock(mutex);
        QCOMPARE(p.kind, WalkProblem::Kind::unreadableFolder);
        QCOMPARE(p.error, EACCES);
        problems.append(pathFromBytes(QByteArray::fromStdString(p.path)));
    };
    Seen seen;
    const WalkReport report = walk(dir.path(), recorder(seen), options);
    QCOMPARE(report.root, RootState::ok);
    QVERIFY(report.finished());
    QVERIFY(!report.isComplete());
    QCOMPARE(report.unreadableFolders, std::int64_t(2));
    problems.sort();
    const QStringList expected { dir.path() + QStringLiteral("/locked"),
        dir.path() + QStringLiteral("/open/deeper/locked") };
    QCOMPARE(problems, expected);
    QStringList samples = report.unreadableSamples;
    samples.sort();
    QCOMPARE(samples, expected);
    QVERIFY(seen.entries.contains(dir.path() + QStringLiteral("/open/a")));
    QVERIFY(!seen.entries.contains(dir.path() + QStringLiteral("/locked/b")));
}

void WalkerTest::reportsUnreadableSubfoldersForAnUnprivilegedUser()
{
    if (::geteuid() == 0)
        QSKIP("root reads every folder; the injected failure above covers this path");
    QTemporaryDir dir;
    Fixture::makeFile(dir.path() + QStringLiteral("/locked/b"), 1);
    Fixture::makeFile(dir.path() + QStringLiteral("/a"), 1);
    const QByteArray locked = pathToBytes(dir.path() + QStringLiteral("/locked"));
    QCOMPARE(::chmod(locked.constData(), 0), 0);
    Seen seen;
    const WalkReport report = walk(dir.path(), recorder(seen));
    ::chmod(locked.constData(), 0755);
    QCOMPARE(report.unreadableFolders, std::int64_t(1));
    QCOMPARE(seen.entries.size(), 2);
}

void WalkerTest::reportsNamesThatCannotBeExamined()
{
    QTemporaryDir dir;
    Fixture::makeFile(dir.path() + QStringLiteral("/fine"), 1);
    Fixture::makeFile(dir.path() + QStringLiteral("/broken"), 1);
    WalkSystemCalls calls;
    calls.statAt = [](int fd, const char *name, struct stat *st) {
        if (QByteArray(name) == "broken") {
            errno = EIO;
            return -1;
        }
        return ::fstatat(fd, name, st, AT_SYMLINK_NOFOLLOW);
    };
    WalkOptions options;
    options.calls = &calls;
    Seen seen;
    const WalkReport report = walk(dir.path(), recorder(seen), options);
    QCOMPARE(report.unreadableEntries, std::int64_t(1));
    QVERIFY(!report.isComplete());
    QCOMPARE(seen.entries.keys(), QStringList { dir.path() + QStringLiteral("/fine") });
}

void WalkerTest::stopsAtTheVisitLimit()
{
    QTemporaryDir dir;
    makeFlatTree(dir.path(), 10, 50);
    WalkOptions options;
    options.visitLimit = 100;
    std::atomic<int> visited = 0;
    const WalkReport report = walk(
        dir.path(),
        [&](const WalkEntry &) {
            ++visited;
            return Visit::descend;
        },
        options);
    QCOMPARE(report.stop, WalkStop::visitLimit);
    QVERIFY(!report.isComplete());
    QVERIFY(visited.load() <= 100);
    QCOMPARE(report.visited, std::int64_t(100));
}

void WalkerTest::finishesATreeOfExactlyTheVisitLimit()
{
    QTemporaryDir dir;
    makeFlatTree(dir.path(), 2, 4); // 2 folders + 8 files
    WalkOptions options;
    options.visitLimit = 10;
    const WalkReport report = walk(
        dir.path(), [](const WalkEntry &) { return Visit::descend; }, options);
    QVERIFY(report.isComplete());
    QCOMPARE(report.visited, std::int64_t(10));
}

void WalkerTest::stopsAtThePassedDeadline()
{
    QTemporaryDir dir;
    makeFlatTree(dir.path(), 5, 5);
    WalkOptions options;
    options.deadline = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    const WalkReport report = walk(
        dir.path(), [](const WalkEntry &) { return Visit::descend; }, options);
    QCOMPARE(report.stop, WalkStop::deadline);
    QVERIFY(!report.finished());
}

void WalkerTest::stopsWhenTheVisitorSaysSo()
{
    QTemporaryDir dir;
    makeFlatTree(dir.path(), 5, 20);
    std::atomic<int> visited = 0;
    const WalkReport report
        = walk(dir.path(), [&](const WalkEntry &) { return ++visited >= 10 ? Visit::stop : Visit::descend; });
    QCOMPARE(report.stop, WalkStop::visitor);
    QVERIFY(visited.load() < 30); // each worker stops at its next name
}

void WalkerTest::rethrowsTheVisitorsException()
{
    QTemporaryDir dir;
    makeFlatTree(dir.path(), 3, 3);
    QVERIFY_THROWS_EXCEPTION(CancellationError, (void)walk(dir.path(), [](const WalkEntry &e) -> Visit {
        if (e.type == WalkEntryType::file)
            throw CancellationError();
        return Visit::descend;
    }));
}

void WalkerTest::stopsWithinMillisecondsOfCancellation()
{
    QTemporaryDir dir;
    makeFlatTree(dir.path(), 40, 50);
    CancellationToken cancel;
    WalkOptions options;
    options.cancel = &cancel;
    std::atomic<bool> started = false;
    // A slow visitor stands in for a slow disk: the walk would take seconds.
    WalkReport report;
    QElapsedTimer sinceCancel;
    std::thread scan([&] {
        report = walk(
            dir.path(),
            [&](const WalkEntry &) {
                started = true;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                return Visit::descend;
            },
            options);
    });
    while (!started)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    sinceCancel.start();
    cancel.cancel();
    scan.join();
    const qint64 latency = sinceCancel.elapsed();
    QCOMPARE(report.stop, WalkStop::cancelled);
    QVERIFY2(latency < 200, qPrintable(QString::number(latency)));
}

void WalkerTest::samplesProgressInsteadOfReportingEveryFile()
{
    QTemporaryDir dir;
    makeFlatTree(dir.path(), 30, 100);
    std::atomic<int> calls = 0;
    std::atomic<bool> inside = false;
    QString lastLine;
    ProgressSampler sampler(
        [&](const QString &line, std::int64_t) {
            QVERIFY(!inside.exchange(true)); // never entered twice at once
            ++calls;
            lastLine = line;
            inside = false;
        },
        dir.path());
    sampler.setPhase(QStringLiteral("正在检查用户缓存"));
    WalkOptions options;
    options.progress = &sampler;
    QElapsedTimer timer;
    timer.start();
    const WalkReport report = walk(
        dir.path(), [](const WalkEntry &) { return Visit::descend; }, options);
    QVERIFY(report.isComplete());
    QCOMPARE(sampler.examined(), std::int64_t(30 + 3000));
    QVERIFY(calls.load() >= 1);
    QVERIFY2(calls.load() <= 2 + timer.elapsed() / 50, qPrintable(QString::number(calls.load())));
    QVERIFY(lastLine.startsWith(QStringLiteral("正在检查用户缓存")));
    sampler.flush();
    QCOMPARE(lastLine, QStringLiteral("正在检查用户缓存"));
}

void WalkerTest::measuresASubtree()
{
    QTemporaryDir dir;
    Fixture::makeFile(dir.path() + QStringLiteral("/a/x"), 100);
    Fixture::makeFile(dir.path() + QStringLiteral("/a/b/y"), 23);
    Fixture::makeSymlink(QStringLiteral("/etc"), dir.path() + QStringLiteral("/a/link"));
    const SubtreeSize size = measureSubtree(dir.path());
    QCOMPARE(size.bytes, std::int64_t(123));
    QCOMPARE(size.entries, std::int64_t(5));
    QVERIFY(size.complete);
}

void WalkerTest::keepsOutOtherFileSystems()
{
    QTemporaryDir dir;
    Fixture::makeFile(dir.path() + QStringLiteral("/volume/big"), 5000);
    Fixture::makeFile(dir.path() + QStringLiteral("/outer/b"), 20);
    Fixture::makeFile(dir.path() + QStringLiteral("/outer/disk/c"), 300);
    Fixture::makeFile(dir.path() + QStringLiteral("/plain/a"), 10);
    WalkSystemCalls calls;
    calls.statAt = [](int fd, const char *name, struct stat *st) {
        const int rc = ::fstatat(fd, name, st, AT_SYMLINK_NOFOLLOW);
        if (rc == 0 && (QByteArray(name) == "volume" || QByteArray(name) == "disk"))
            st->st_dev += 1; // as a mount point of another file system
        return rc;
    };
    WalkOptions options;
    options.calls = &calls;
    Seen seen;
    WalkReport report = walk(dir.path(), recorder(seen), options);
    QCOMPARE(report.otherFileSystems, std::int64_t(2));
    QVERIFY(report.finished());
    QVERIFY(!report.isComplete());
    QStringList samples = report.otherFileSystemSamples;
    samples.sort();
    QCOMPARE(
        samples, (QStringList { dir.path() + QStringLiteral("/outer/disk"), dir.path() + QStringLiteral("/volume") }));
    QVERIFY(!seen.entries.contains(dir.path() + QStringLiteral("/volume")));
    QVERIFY(!seen.entries.contains(dir.path() + QStringLiteral("/volume/big")));
    QVERIFY(!seen.entries.contains(dir.path() + QStringLiteral("/outer/disk/c")));
}

QTEST_GUILESS_MAIN(WalkerTest)
#include "walker_test.moc"
