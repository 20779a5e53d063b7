#include "support/FixtureTree.h"

#include "core/Identity.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/scan/JunkRules.h"

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace Morvane;

namespace {

const QDateTime now = QDateTime::currentDateTimeUtc();

QDateTime daysAgo(int days)
{
    return now.addDays(-days);
}

ScanConfiguration configFor(const QString &home, RulePlatform platform)
{
    ScanConfiguration c;
    c.home = home;
    c.platform = platform;
    c.now = now;
    return c;
}

ScanResult runJunk(const ScanConfiguration &c, const CancellationToken &cancel = {})
{
    return Scanner(c).scan(ScanKind::junk, {}, {}, {}, cancel);
}

QMap<QString, FileEntry> byPath(const ScanResult &r)
{
    QMap<QString, FileEntry> map;
    for (const FileEntry &e : r.entries)
        map.insert(e.path, e);
    return map;
}

void oldFile(const QString &path, int days, std::int64_t bytes = 100)
{
    Fixture::makeFile(path, bytes);
    Fixture::setModified(path, daysAgo(days));
}

// A concrete name for a wildcard: the first "*" becomes `fill`, the others vanish.
QString concrete(QString pattern, const QString &fill)
{
    const qsizetype star = pattern.indexOf(u'*');
    if (star >= 0)
        pattern.replace(star, 1, fill);
    return pattern.remove(u'*');
}

struct Sample {
    QString old; // must be listed, with the row's category
    QString fresh; // must not be listed; empty when the row has no room for one
    FileCategory category;
};

// One old and one fresh item per row, each just across the row's age limit.
QList<Sample> buildRowSamples(const QString &home, RulePlatform platform)
{
    QList<Sample> samples;
    for (const JunkLocation &row : junkRules(platform).locations) {
        const QString location = concrete(row.location, QStringLiteral("org.example.Sample"));
        const QString root = locationBases(row, home, {}).first();
        const QString base = location.isEmpty() ? root : joinPath(root, location);
        Sample s { {}, {}, row.category };
        switch (row.shape) {
        case JunkShape::children:
            s.old = joinPath(base, QStringLiteral("old-item"));
            s.fresh = joinPath(base, QStringLiteral("fresh-item"));
            break;
        case JunkShape::items:
            s.old = joinPath(base, concrete(row.names.first(), QStringLiteral("Old")));
            if (row.names.first().contains(u'*'))
                s.fresh = joinPath(base, concrete(row.names.first(), QStringLiteral("Fresh")));
            break;
        case JunkShape::search:
            s.old = joinPath(base, QStringLiteral("app/") + row.names.first() + QStringLiteral("/old.txt"));
            s.fresh = joinPath(base, QStringLiteral("app/") + row.names.first() + QStringLiteral("/fresh.txt"));
            break;
        case JunkShape::tagged: {
            const QString folder = joinPath(home, QStringLiteral("work/project/build-cache"));
            Fixture::makeTextFile(joinPath(folder, QStringLiteral("CACHEDIR.TAG")),
                QByteArray(cacheDirTagSignature) + "\n# made by a tool\n");
            s.old = joinPath(folder, QStringLiteral("old.o"));
            s.fresh = joinPath(folder, QStringLiteral("fresh.o"));
            break;
        }
        }
        oldFile(s.old, row.ageDays + 2);
        if (!s.fresh.isEmpty())
            oldFile(s.fresh, row.ageDays - 2);
        samples.append(s);
    }
    return samples;
}

void checkRows(RulePlatform platform)
{
    QTemporaryDir dir;
    const QString home = dir.path();
    const QList<Sample> samples = buildRowSamples(home, platform);
    const ScanResult result = runJunk(configFor(home, platform));
    const auto found = byPath(result);
    for (const Sample &s : samples) {
        QVERIFY2(found.contains(s.old), qPrintable(QStringLiteral("not listed: ") + s.old));
        QCOMPARE(found[s.old].category, s.category);
        QVERIFY(found[s.old].kind.fingerprint.has_value());
        QVERIFY(found[s.old].detail.contains(QStringLiteral("最近修改于")));
        if (!s.fresh.isEmpty())
            QVERIFY2(!found.contains(s.fresh), qPrintable(QStringLiteral("listed too early: ") + s.fresh));
    }
    QCOMPARE(result.entries.size(), samples.size());
    for (const ScanCoverage &c : result.coverage)
        QCOMPARE(c.coverageState(), CoverageState::complete);
    QCOMPARE(result.coverage.size(), 3);
}

} // namespace

class JunkScanTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every row of both tables.
    void listsOldItemsOfEveryLinuxRowAndKeepsFreshOnes() { checkRows(RulePlatform::Linux); }
    void listsOldItemsOfEveryMacRowAndKeepsFreshOnes() { checkRows(RulePlatform::MacOS); }
    void neverListsACacheOfAnyExcludedClass_data();
    void neverListsACacheOfAnyExcludedClass();
    void excludesFlatpakCachesByApplicationID();
    void excludesCachesOfRunningApplications();
    void skipsADeveloperCacheWhileItsToolRuns();
    void skipsTheDeveloperCategoryWhileXcodeRuns();
    void ignoresCacheDirTagsWithoutTheSignature();

    // Granularity.
    void listsAnAllOldFolderOnceWithItsWholeSize();
    void listsOnlyTheOldPartsOfAFolderWithFreshContent();
    void neverListsTheRootsThemselves();
    void keepsIgnoredPathsAndTheirFoldersOut();
    void skipsAPlaceTheUserIgnoredWhole();
    void notesAnUnreadableSubfolderAndKeepsItsFolderWhole();
    void leavesLinksOutOfScopeAlone();
    void keepsNamesThatAreNotUtf8();

    // Budgets, coverage, failure.
    void reportsPartialCoverageWhenTheVisitLimitIsHit();
    void reportsPartialCoverageWhenTimeRunsOut();
    void stopsAtTheEntryLimit();
    void throwsCancellationPromptly();
    void reportsMissingLocations();
    void reportsAnUnreadableRoot();
    void skipsBrowserAndSystemJunkWithOneNote();
};

void JunkScanTest::neverListsACacheOfAnyExcludedClass_data()
{
    QTest::addColumn<int>("platform");
    QTest::addColumn<QString>("name");
    for (RulePlatform p : { RulePlatform::Linux, RulePlatform::MacOS }) {
        for (const JunkExclusion &e : junkRules(p).exclusions) {
            const QString name = concrete(e.pattern, QStringLiteral("x"));
            QTest::addRow("%s %s", p == RulePlatform::Linux ? "linux" : "macos", qPrintable(e.pattern))
                << int(p) << name;
        }
    }
}

void JunkScanTest::neverListsACacheOfAnyExcludedClass()
{
    QFETCH(int, platform);
    QFETCH(QString, name);
    const auto p = RulePlatform(platform);
    QTemporaryDir dir;
    const QString caches
        = joinPath(dir.path(), p == RulePlatform::Linux ? QStringLiteral(".cache") : QStringLiteral("Library/Caches"));
    oldFile(joinPath(caches, name + QStringLiteral("/data")), 60);
    oldFile(joinPath(caches, QStringLiteral("plain-tool/data")), 60);
    Fixture::setModifiedTree(caches, daysAgo(60));
    const ScanResult result = runJunk(configFor(dir.path(), p));
    const auto found = byPath(result);
    QVERIFY(!found.contains(joinPath(caches, name)));
    QVERIFY(found.contains(joinPath(caches, QStringLiteral("plain-tool"))));
    QVERIFY(result.scopeNotes.join(u'\n').contains(QStringLiteral("排除")));
}

void JunkScanTest::excludesFlatpakCachesByApplicationID()
{
    QTemporaryDir dir;
    const QString home = dir.path();
    oldFile(home + QStringLiteral("/.var/app/org.mozilla.firefox/cache/x"), 30);
    oldFile(home + QStringLiteral("/.var/app/org.example.Viewer/cache/x"), 30);
    const auto found = byPath(runJunk(configFor(home, RulePlatform::Linux)));
    QVERIFY(!found.contains(home + QStringLiteral("/.var/app/org.mozilla.firefox/cache/x")));
    QVERIFY(found.contains(home + QStringLiteral("/.var/app/org.example.Viewer/cache/x")));
    QCOMPARE(found[home + QStringLiteral("/.var/app/org.example.Viewer/cache/x")].bundleID,
        QStringLiteral("org.example.Viewer"));
}

void JunkScanTest::excludesCachesOfRunningApplications()
{
    QTemporaryDir dir;
    const QString home = dir.path();
    oldFile(home + QStringLiteral("/.cache/org.example.Editor/x"), 30);
    oldFile(home + QStringLiteral("/.cache/viewer/x"), 30);
    oldFile(home + QStringLiteral("/.cache/idle-tool/x"), 30);
    Fixture::setModifiedTree(home + QStringLiteral("/.cache"), daysAgo(30));
    ScanConfiguration c = configFor(home, RulePlatform::Linux);
    c.runningBundleIDs = { QStringLiteral("org.example.Editor"), QStringLiteral("org.example.Viewer") };
    const ScanResult result = runJunk(c);
    const auto found = byPath(result);
    QVERIFY(!found.contains(home + QStringLiteral("/.cache/org.example.Editor")));
    QVERIFY(!found.contains(home + QStringLiteral("/.cache/viewer"))); // the short name of a reverse-DNS ID
    QVERIFY(found.contains(home + QStringLiteral("/.cache/idle-tool")));
    QVERIFY(result.scopeNotes.join(u'\n').contains(exclusionClassName(ExclusionClass::running)));

    QTemporaryDir mac;
    oldFile(mac.path() + QStringLiteral("/Library/Caches/com.example.Player/x"), 30);
    oldFile(mac.path() + QStringLiteral("/Library/Caches/com.example.Player.ShipIt/x"), 30);
    ScanConfiguration m = configFor(mac.path(), RulePlatform::MacOS);
    m.runningBundleIDs = { QStringLiteral("com.example.Player") };
    QVERIFY(runJunk(m).entries.isEmpty());
}

void JunkScanTest::skipsADeveloperCacheWhileItsToolRuns()
{
    QTemporaryDir dir;
    const QString home = dir.path();
    oldFile(home + QStringLiteral("/.cargo/registry/cache/crate"), 30);
    oldFile(home + QStringLiteral("/.cache/go-build/ab"), 30);
    ScanConfiguration c = configFor(home, RulePlatform::Linux);
    c.runningBundleIDs = { QStringLiteral("cargo") };
    const ScanResult result = runJunk(c);
    const auto found = byPath(result);
    QVERIFY(!found.contains(home + QStringLiteral("/.cargo/registry/cache/crate")));
    QVERIFY(found.contains(home + QStringLiteral("/.cache/go-build/ab")));
    QVERIFY(result.scopeNotes.join(u'\n').contains(QStringLiteral("cargo 正在运行")));
    QCOMPARE(result.coverageFor(FileCategory::developerCache)->coverageState(), CoverageState::complete);
}

void JunkScanTest::skipsTheDeveloperCategoryWhileXcodeRuns()
{
    QTemporaryDir dir;
    oldFile(dir.path() + QStringLiteral("/Library/Developer/Xcode/DerivedData/App-abc/x"), 30);
    ScanConfiguration c = configFor(dir.path(), RulePlatform::MacOS);
    c.runningBundleIDs = { QStringLiteral("com.apple.dt.Xcode") };
    const ScanResult result = runJunk(c);
    QVERIFY(result.entries.isEmpty());
    QCOMPARE(result.coverageFor(FileCategory::developerCache)->coverageState(), CoverageState::skipped);
    QVERIFY(result.hasIncompleteCoverage());
}

void JunkScanTest::ignoresCacheDirTagsWithoutTheSignature()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/work/notcache");
    Fixture::makeTextFile(folder + QStringLiteral("/CACHEDIR.TAG"), "Signature: wrong\n");
    oldFile(folder + QStringLiteral("/x"), 30);
    QVERIFY(runJunk(configFor(dir.path(), RulePlatform::Linux)).entries.isEmpty());
}

void JunkScanTest::listsAnAllOldFolderOnceWithItsWholeSize()
{
    QTemporaryDir dir;
    const QString tool = dir.path() + QStringLiteral("/.cache/old-tool");
    oldFile(tool + QStringLiteral("/a"), 20, 1000);
    oldFile(tool + QStringLiteral("/b"), 20, 2000);
    oldFile(tool + QStringLiteral("/c/d"), 20, 3000);
    Fixture::setModifiedTree(tool, daysAgo(20));
    const ScanResult result = runJunk(configFor(dir.path(), RulePlatform::Linux));
    QCOMPARE(result.entries.size(), 1);
    const FileEntry &e = result.entries.first();
    QCOMPARE(e.path, tool);
    QCOMPARE(e.bytes, std::int64_t(6000));
    QVERIFY(e.sizeIsComplete);
    QVERIFY(e.kind.isFolder());
    QVERIFY(e.kind.fingerprint && e.kind.fingerprint->hasTree);
    QCOMPARE(e.kind.fingerprint, fingerprintPath(tool, true));
    QCOMPARE(e.category, FileCategory::userCache);
}

void JunkScanTest::listsOnlyTheOldPartsOfAFolderWithFreshContent()
{
    QTemporaryDir dir;
    const QString mixed = dir.path() + QStringLiteral("/.cache/mixed");
    oldFile(mixed + QStringLiteral("/old1"), 20, 10);
    oldFile(mixed + QStringLiteral("/sub/old2"), 20, 20);
    oldFile(mixed + QStringLiteral("/sub/old3"), 20, 30);
    oldFile(mixed + QStringLiteral("/fresh"), 1, 40);
    oldFile(mixed + QStringLiteral("/part/old4"), 20, 50);
    oldFile(mixed + QStringLiteral("/part/fresh2"), 1, 60);
    Fixture::setModified(mixed + QStringLiteral("/sub"), daysAgo(20));
    const auto found = byPath(runJunk(configFor(dir.path(), RulePlatform::Linux)));
    QCOMPARE(found.keys(),
        (QStringList {
            mixed + QStringLiteral("/old1"), mixed + QStringLiteral("/part/old4"), mixed + QStringLiteral("/sub") }));
    QCOMPARE(found[mixed + QStringLiteral("/sub")].bytes, std::int64_t(50));
    QVERIFY(found[mixed + QStringLiteral("/old1")].kind.isFile());
}

void JunkScanTest::neverListsTheRootsThemselves()
{
    QTemporaryDir dir;
    oldFile(dir.path() + QStringLiteral("/.cache/a"), 30);
    Fixture::setModifiedTree(dir.path() + QStringLiteral("/.cache"), daysAgo(30));
    const auto found = byPath(runJunk(configFor(dir.path(), RulePlatform::Linux)));
    QCOMPARE(found.keys(), QStringList { dir.path() + QStringLiteral("/.cache/a") });
}

void JunkScanTest::keepsIgnoredPathsAndTheirFoldersOut()
{
    QTemporaryDir dir;
    const QString tool = dir.path() + QStringLiteral("/.cache/tool");
    oldFile(tool + QStringLiteral("/keep/x"), 30);
    oldFile(tool + QStringLiteral("/other"), 30);
    Fixture::setModifiedTree(tool, daysAgo(30));
    ScanConfiguration c = configFor(dir.path(), RulePlatform::Linux);
    c.ignoredPaths = { tool + QStringLiteral("/keep") };
    const auto found = byPath(runJunk(c));
    QCOMPARE(found.keys(), QStringList { tool + QStringLiteral("/other") });
}

void JunkScanTest::skipsAPlaceTheUserIgnoredWhole()
{
    QTemporaryDir dir;
    oldFile(dir.path() + QStringLiteral("/.cache/a"), 30);
    oldFile(dir.path() + QStringLiteral("/.local/share/xorg/Xorg.0.log.old"), 40);
    ScanConfiguration c = configFor(dir.path(), RulePlatform::Linux);
    c.ignoredPaths = { dir.path() + QStringLiteral("/.cache") };
    const auto found = byPath(runJunk(c));
    QCOMPARE(found.keys(), QStringList { dir.path() + QStringLiteral("/.local/share/xorg/Xorg.0.log.old") });
}

void JunkScanTest::notesAnUnreadableSubfolderAndKeepsItsFolderWhole()
{
    if (::geteuid() == 0)
        QSKIP("root reads every folder; the unprivileged run of this test covers it");
    QTemporaryDir dir;
    const QString tool = dir.path() + QStringLiteral("/.cache/tool");
    oldFile(tool + QStringLiteral("/locked/x"), 30);
    oldFile(tool + QStringLiteral("/readable"), 30);
    Fixture::setModifiedTree(tool, daysAgo(30));
    const QByteArray locked = pathToBytes(tool + QStringLiteral("/locked"));
    QCOMPARE(::chmod(locked.constData(), 0), 0);
    const auto restore = qScopeGuard([&] { ::chmod(locked.constData(), 0755); });
    const ScanResult result = runJunk(configFor(dir.path(), RulePlatform::Linux));
    // The folder cannot be vouched for as a whole; what could be read is listed.
    QCOMPARE(byPath(result).keys(), QStringList { tool + QStringLiteral("/readable") });
    QCOMPARE(result.coverageFor(FileCategory::userCache)->coverageState(), CoverageState::partial);
    QVERIFY(result.scopeNotes.join(u'\n').contains(QStringLiteral("无法读取")));
}

void JunkScanTest::leavesLinksOutOfScopeAlone()
{
    QTemporaryDir outside;
    oldFile(outside.path() + QStringLiteral("/big"), 30, 100000);
    QTemporaryDir dir;
    Fixture::makeSymlink(outside.path(), dir.path() + QStringLiteral("/.cache/link"));
    Fixture::makeSymlink(QStringLiteral(".."), dir.path() + QStringLiteral("/.cache/loop"));
    const ScanResult result = runJunk(configFor(dir.path(), RulePlatform::Linux));
    QVERIFY(result.entries.isEmpty());
    QCOMPARE(result.coverageFor(FileCategory::userCache)->coverageState(), CoverageState::complete);

    // A parent of a wildcard rule that is a link, or a link standing for "*": noted,
    // never followed.
    oldFile(outside.path() + QStringLiteral("/app/org.example.Viewer/cache/x"), 30);
    oldFile(outside.path() + QStringLiteral("/one/cache/y"), 30);
    Fixture::makeSymlink(outside.path() + QStringLiteral("/app"), dir.path() + QStringLiteral("/.var/app"));
    const ScanResult linkedParent = runJunk(configFor(dir.path(), RulePlatform::Linux));
    QVERIFY(linkedParent.entries.isEmpty());
    QVERIFY2(
        linkedParent.scopeNotes.contains(QStringLiteral("用户缓存：~/.var/app 是符号链接，未跟随，其中的位置未检查。")),
        qPrintable(linkedParent.scopeNotes.join(u'\n')));
    QCOMPARE(linkedParent.coverageFor(FileCategory::userCache)->coverageState(), CoverageState::partial);
    ::unlink(pathToBytes(dir.path() + QStringLiteral("/.var/app")).constData());
    Fixture::makeSymlink(
        outside.path() + QStringLiteral("/one"), dir.path() + QStringLiteral("/.var/app/org.example.One"));
    const ScanResult linkedChild = runJunk(configFor(dir.path(), RulePlatform::Linux));
    QVERIFY(linkedChild.entries.isEmpty());
    QVERIFY(linkedChild.scopeNotes.contains(
        QStringLiteral("用户缓存：~/.var/app/org.example.One 是符号链接，未跟随，其中的位置未检查。")));
}

void JunkScanTest::keepsNamesThatAreNotUtf8()
{
    QTemporaryDir dir;
    const QByteArray raw = pathToBytes(dir.path()) + QByteArray("/.cache/caf\xe9");
    const auto cleanup = qScopeGuard([&] { ::unlink(raw.constData()); });
    oldFile(pathFromBytes(raw), 30, 5);
    const ScanResult result = runJunk(configFor(dir.path(), RulePlatform::Linux));
    QCOMPARE(result.entries.size(), 1);
    QCOMPARE(pathToBytes(result.entries.first().path), raw);
}

void JunkScanTest::reportsPartialCoverageWhenTheVisitLimitIsHit()
{
    QTemporaryDir dir;
    for (int i = 0; i < 40; ++i)
        oldFile(dir.path() + QStringLiteral("/.cache/t%1/f").arg(i), 30);
    Fixture::setModifiedTree(dir.path() + QStringLiteral("/.cache"), daysAgo(30));
    ScanConfiguration c = configFor(dir.path(), RulePlatform::Linux);
    c.visitLimit = 20;
    const ScanResult result = runJunk(c);
    QCOMPARE(result.coverageFor(FileCategory::userCache)->coverageState(), CoverageState::partial);
    QVERIFY(result.hasIncompleteCoverage());
    QVERIFY(result.entries.size() < 40);
    QVERIFY(result.scopeNotes.join(u'\n').contains(QStringLiteral("额度")));
    for (const FileEntry &e : result.entries)
        QVERIFY(e.kind.fingerprint.has_value());
}

void JunkScanTest::reportsPartialCoverageWhenTimeRunsOut()
{
    QTemporaryDir dir;
    oldFile(dir.path() + QStringLiteral("/.cache/t/f"), 30);
    ScanConfiguration c = configFor(dir.path(), RulePlatform::Linux);
    c.timeLimit = 0;
    const ScanResult result = runJunk(c);
    QCOMPARE(result.coverageFor(FileCategory::userCache)->coverageState(), CoverageState::partial);
    QVERIFY(result.entries.isEmpty());
}

void JunkScanTest::stopsAtTheEntryLimit()
{
    QTemporaryDir dir;
    for (int i = 0; i < 10; ++i)
        oldFile(dir.path() + QStringLiteral("/.cache/f%1").arg(i), 30);
    ScanConfiguration c = configFor(dir.path(), RulePlatform::Linux);
    c.entryLimit = 4;
    const ScanResult result = runJunk(c);
    QCOMPARE(result.entries.size(), 4);
    QCOMPARE(result.coverageFor(FileCategory::userCache)->coverageState(), CoverageState::partial);
}

void JunkScanTest::throwsCancellationPromptly()
{
    QTemporaryDir dir;
    oldFile(dir.path() + QStringLiteral("/.cache/a"), 30);
    CancellationToken cancel;
    cancel.cancel();
    QVERIFY_THROWS_EXCEPTION(CancellationError, runJunk(configFor(dir.path(), RulePlatform::Linux), cancel));
    // Cancelled from the progress callback, mid-walk.
    for (int i = 0; i < 30; ++i)
        oldFile(dir.path() + QStringLiteral("/.cache/d%1/f").arg(i), 30);
    CancellationToken midway;
    const ScanConfiguration c = configFor(dir.path(), RulePlatform::Linux);
    QVERIFY_THROWS_EXCEPTION(CancellationError,
        (void)Scanner(c).scan(
            ScanKind::junk, {}, {}, [&](const QString &, std::int64_t) { midway.cancel(); }, midway));
}

void JunkScanTest::reportsMissingLocations()
{
    QTemporaryDir dir;
    const ScanResult result = runJunk(configFor(dir.path(), RulePlatform::MacOS));
    for (const ScanCoverage &c : result.coverage)
        QCOMPARE(c.coverageState(), CoverageState::missing);
    QVERIFY(!result.hasIncompleteCoverage());
}

void JunkScanTest::reportsAnUnreadableRoot()
{
    if (::geteuid() == 0)
        QSKIP("root reads every folder; the walker tests inject this failure");
    QTemporaryDir dir;
    oldFile(dir.path() + QStringLiteral("/Library/Caches/x/y"), 30);
    const QByteArray caches = pathToBytes(dir.path() + QStringLiteral("/Library/Caches"));
    QCOMPARE(::chmod(caches.constData(), 0), 0);
    const auto restore = qScopeGuard([&] { ::chmod(caches.constData(), 0755); });
    const ScanResult result = runJunk(configFor(dir.path(), RulePlatform::MacOS));
    QCOMPARE(result.coverageFor(FileCategory::userCache)->coverageState(), CoverageState::unreadable);
}

void JunkScanTest::skipsBrowserAndSystemJunkWithOneNote()
{
    for (ScanKind kind : { ScanKind::browser, ScanKind::systemJunk }) {
        const ScanResult r = Scanner(configFor(QStringLiteral("/nonexistent"), RulePlatform::Linux))
                                 .scan(kind, {}, {}, {}, CancellationToken());
        QCOMPARE(r.kind, kind);
        QCOMPARE(r.scopeNotes.size(), 1);
        QCOMPARE(r.coverage.size(), 1);
        QCOMPARE(r.coverage.first().coverageState(), CoverageState::skipped);
        QVERIFY(r.entries.isEmpty());
    }
}

QTEST_GUILESS_MAIN(JunkScanTest)
#include "junk_scan_test.moc"
