#include "core/Identity.h"
#include "core/Paths.h"
#include "core/Scanner.h"
#include "core/Vocabulary.h"
#include "core/files/FileTypes.h"
#include "core/scan/FileScanHooks.h"
#include "core/scan/SpaceTree.h"
#include "core/support/FileToolsTree.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

using namespace Morvane;
using TestTree::pattern;
using TestTree::setAge;
using TestTree::writeFile;

namespace {

constexpr std::int64_t day = 86400;

ScanConfiguration configurationFor(const QTemporaryDir &dir)
{
    ScanConfiguration c;
    c.home = dir.path();
    c.now = QDateTime::currentDateTimeUtc();
    return c;
}

ScanResult run(ScanKind kind, const ScanConfiguration &c, const QString &folder, const FileQuery &query = {})
{
    return Scanner(c).scan(kind, folder, query, {}, CancellationToken());
}

QStringList names(const QList<FileEntry> &entries)
{
    QStringList out;
    for (const FileEntry &e : entries)
        out << e.name;
    return out;
}

void symlinkTo(const QString &target, const QString &link)
{
    QCOMPARE(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()), 0);
}

std::int64_t apparentSize(const QString &path)
{
    struct stat st { };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return st.st_size;
}

// What `du -sbl` counts for a folder: apparent sizes, hard links in every place.
std::int64_t duBytes(const QString &path)
{
    QProcess du;
    du.start(QStringLiteral("du"), { QStringLiteral("-sbl"), path });
    if (!du.waitForFinished(30000) || du.exitCode() != 0)
        return -1;
    return QString::fromUtf8(du.readAllStandardOutput()).section(u'\t', 0, 0).toLongLong();
}

// A result's rows as the page shows them, without the ids.
QStringList rows(const ScanResult &r)
{
    QStringList out;
    for (const FileEntry &e : r.entries)
        out << QStringLiteral("%1|%2|%3|%4|%5")
                   .arg(e.path)
                   .arg(e.bytes)
                   .arg(e.sizeIsComplete)
                   .arg(e.detail)
                   .arg(int(e.kind.type));
    return out;
}

CoverageState coverageOf(const ScanResult &r)
{
    return r.coverage.isEmpty() ? CoverageState::notScanned : r.coverage.first().coverageState();
}

// Walker calls that fail to open one folder, as a permission error would for a user,
// and put the folders of the given names on another device, as mount points of other
// file systems are.
struct LockedAndMounted {
    QByteArray locked;
    QSet<QByteArray> mounted;
    WalkSystemCalls calls;
    LockedAndMounted(const QString &lockedFolder, QSet<QByteArray> mountedNames)
        : locked(QFile::encodeName(lockedFolder))
        , mounted(std::move(mountedNames))
    {
        calls.openFolder = [this](const char *p) {
            if (locked == p) {
                errno = EACCES;
                return -1;
            }
            return ::open(p, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        };
        calls.statAt = [this](int fd, const char *name, struct stat *st) {
            const int rc = ::fstatat(fd, name, st, AT_SYMLINK_NOFOLLOW);
            if (rc == 0 && mounted.contains(QByteArray(name)))
                st->st_dev += 1;
            return rc;
        };
        setFileScanWalkCalls(&calls);
    }
    ~LockedAndMounted() { setFileScanWalkCalls(nullptr); }
};

} // namespace

class FileScansTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void extensionTableIgnoresCaseAndSniffsOnlyUnknownNames()
    {
        QCOMPARE(fileTypeOfName("Report.PDF"), FileTypeFilter::documents);
        QCOMPARE(fileTypeOfName("clip.MkV"), FileTypeFilter::videos);
        QCOMPARE(fileTypeOfName("song.flac"), FileTypeFilter::audio);
        QCOMPARE(fileTypeOfName("photo.HEIC"), FileTypeFilter::images);
        QCOMPARE(fileTypeOfName("backup.tar.gz"), FileTypeFilter::archives);
        QCOMPARE(fileTypeOfName(".pdf"), FileTypeFilter::all); // a dot file, not a PDF
        QCOMPARE(fileTypeOfName("README"), FileTypeFilter::all);
        for (const char *name : { "a.dmg", "a.PKG", "a.mpkg", "a.xip", "a.deb", "a.rpm", "Tool.AppImage", "a.flatpak",
                 "a.flatpakref", "a.snap", "a.run", "a.msi", "a.EXE", "a.apk", "a.iso" }) {
            QVERIFY2(isInstallerName(name), name);
            QCOMPARE(fileTypeOfName(name), FileTypeFilter::archives);
        }
        QVERIFY(!isInstallerName("a.zip"));
        QCOMPARE(fileTypeOfContent("%PDF-1.7"), FileTypeFilter::documents);
        QCOMPARE(fileTypeOfContent(QByteArrayView("\x89PNG\r\n\x1a\n", 8)), FileTypeFilter::images);
        QCOMPARE(fileTypeOfContent(QByteArrayView("\0\0\0\x18"
                                                  "ftypisom",
                     12)),
            FileTypeFilter::videos);
        QCOMPARE(fileTypeOfContent(QByteArrayView("\0\0\0\x18"
                                                  "ftypM4A ",
                     12)),
            FileTypeFilter::audio);
        QCOMPARE(fileTypeOfContent("PK\x03\x04"), FileTypeFilter::archives);
        QCOMPARE(fileTypeOfContent("plain text"), FileTypeFilter::all);
        int sniffs = 0;
        const auto head = [&sniffs] {
            ++sniffs;
            return QByteArray("%PDF-1.4");
        };
        QVERIFY(fileMatchesType(FileTypeFilter::documents, "scan", head));
        QVERIFY(!fileMatchesType(FileTypeFilter::documents, "scan.mp3", head));
        QVERIFY(fileMatchesType(FileTypeFilter::all, "scan", head));
        QCOMPARE(sniffs, 1);
    }

    void largeFilesFilterBySizeAgeAndTypeLargestFirst()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath("Downloads");
        writeFile(root + "/big.mov", pattern(5000, 1));
        writeFile(root + "/edge.PDF", pattern(2000, 2)); // exactly the minimum
        writeFile(root + "/below.pdf", pattern(1999, 3));
        writeFile(root + "/deep/a/b/c/scan", QByteArray("%PDF-1.5\n") + pattern(3000, 4)); // sniffed
        writeFile(root + "/deep/notes", pattern(4000, 5)); // unknown name and content
        writeFile(root + "/ignored/huge.pdf", pattern(9000, 6));
        symlinkTo(root + "/big.mov", root + "/link-to-big.mov");
        setAge(root + "/big.mov", 100 * day);
        setAge(root + "/edge.PDF", 40 * day);
        setAge(root + "/deep/a/b/c/scan", 10 * day);

        ScanConfiguration c = configurationFor(dir);
        c.ignoredPaths = { root + "/ignored" };
        FileQuery query;
        query.minimumBytes = 2000;
        ScanResult r = run(ScanKind::largeFiles, c, root, query);
        QCOMPARE(names(r.entries), (QStringList { "big.mov", "notes", "scan", "edge.PDF" }));
        QCOMPARE(coverageOf(r), CoverageState::complete);
        QCOMPARE(r.entries[0].category, FileCategory::largeFile);
        QCOMPARE(r.entries[0].bytes, 5000);
        QVERIFY(r.entries[0].detail.startsWith(QStringLiteral("修改于 ")));
        QCOMPARE(r.entries[0].kind.fingerprint, fingerprintPath(root + "/big.mov", false));

        query.olderThanDays = 30;
        r = run(ScanKind::largeFiles, c, root, query);
        QCOMPARE(names(r.entries), (QStringList { "big.mov", "edge.PDF" }));

        query.olderThanDays.reset();
        query.fileType = FileTypeFilter::documents;
        r = run(ScanKind::largeFiles, c, root, query);
        QCOMPARE(names(r.entries), (QStringList { "scan", "edge.PDF" }));

        query.fileType = FileTypeFilter::all;
        c.entryLimit = 2;
        r = run(ScanKind::largeFiles, c, root, query);
        QCOMPARE(names(r.entries), (QStringList { "big.mov", "notes" }));
        QVERIFY(r.scopeNotes.join('\n').contains(QStringLiteral("只列出最大的 2 个")));
    }

    void installersListOnlyInstallerNamesWithSizeAndAge()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/dl";
        writeFile(root + "/App.dmg", pattern(3000, 1));
        writeFile(root + "/tool.AppImage", pattern(2000, 2));
        writeFile(root + "/pkgs/lib.DEB", pattern(1000, 3));
        writeFile(root + "/setup.exe", pattern(10, 4));
        writeFile(root + "/photo.zip", pattern(4000, 5));
        setAge(root + "/App.dmg", 60 * day);
        setAge(root + "/pkgs/lib.DEB", 31 * day);
        const ScanConfiguration c = configurationFor(dir);
        ScanResult r = run(ScanKind::installers, c, root);
        QCOMPARE(names(r.entries), (QStringList { "App.dmg", "tool.AppImage", "lib.DEB", "setup.exe" }));
        QCOMPARE(r.entries[0].category, FileCategory::installer);

        FileQuery query;
        query.olderThanDays = 30;
        query.minimumBytes = 100;
        query.fileType = FileTypeFilter::videos; // not a filter of this page
        r = run(ScanKind::installers, c, root, query);
        QCOMPARE(names(r.entries), (QStringList { "App.dmg", "lib.DEB" }));
    }

    void bundlePackagesAreOneFolderItemOnlyOnTheMacRuleSet()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/dl";
        writeFile(root + "/Old.pkg/Contents/Archive.pax.gz", pattern(2000, 1));
        writeFile(root + "/Old.pkg/Contents/Resources/inner.dmg", pattern(1000, 2));
        writeFile(root + "/Suite.MPKG/Contents/Packages/part.pkg", pattern(500, 3));
        writeFile(root + "/Suite.MPKG/Contents/Packages/Nested.pkg/payload", pattern(400, 4));
        writeFile(root + "/flat.pkg", pattern(300, 5));
        writeFile(root + "/tools.pkg.d/helper.deb", pattern(200, 6));
        symlinkTo(root + "/Old.pkg", root + "/Linked.pkg");
        setAge(root + "/Old.pkg", 60 * day);
        ScanConfiguration c = configurationFor(dir);

        c.platform = RulePlatform::MacOS;
        ScanResult r = run(ScanKind::installers, c, root);
        QCOMPARE(names(r.entries), (QStringList { "Old.pkg", "Suite.MPKG", "flat.pkg", "helper.deb" }));
        QCOMPARE(coverageOf(r), CoverageState::complete);
        const FileEntry &old = r.entries[0];
        QVERIFY(old.kind.isFolder());
        QCOMPARE(old.bytes, 3000);
        QVERIFY(old.sizeIsComplete);
        QCOMPARE(old.category, FileCategory::installer);
        QCOMPARE(old.kind.fingerprint, fingerprintPath(old.path, true)); // the whole tree, as the clean-up checks it
        QVERIFY(old.kind.fingerprint->hasTree);
        QCOMPARE(r.entries[1].bytes, 900);
        QVERIFY(r.entries[2].kind.isFile());

        // The page's filters apply to the folder as a whole: its measured size and its own age.
        FileQuery query;
        query.minimumBytes = 950;
        r = run(ScanKind::installers, c, root, query);
        QCOMPARE(names(r.entries), (QStringList { "Old.pkg" }));
        query = {};
        query.olderThanDays = 30;
        r = run(ScanKind::installers, c, root, query);
        QCOMPARE(names(r.entries), (QStringList { "Old.pkg" }));
        c.ignoredPaths = { root + "/Old.pkg" };
        r = run(ScanKind::installers, c, root);
        QCOMPARE(names(r.entries), (QStringList { "Suite.MPKG", "flat.pkg", "helper.deb" }));
        c.ignoredPaths.clear();

        // Linux rules have no folder installers: the folders are searched like any other.
        c.platform = RulePlatform::Linux;
        r = run(ScanKind::installers, c, root);
        QCOMPARE(names(r.entries), (QStringList { "inner.dmg", "part.pkg", "flat.pkg", "helper.deb" }));
        for (const FileEntry &e : r.entries)
            QVERIFY(e.kind.isFile());
    }

    void bundlePackageWithAnUnreadablePartIsMarkedIncomplete()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every folder; the unprivileged run checks this");
        QTemporaryDir dir;
        const QString root = dir.path() + "/dl";
        writeFile(root + "/Old.pkg/Contents/Archive.pax.gz", pattern(2000, 1));
        writeFile(root + "/Old.pkg/Contents/Resources/hidden", pattern(1000, 2));
        const QByteArray locked = QFile::encodeName(root + "/Old.pkg/Contents/Resources");
        QCOMPARE(::chmod(locked.constData(), 0), 0);
        ScanConfiguration c = configurationFor(dir);
        c.platform = RulePlatform::MacOS;
        const ScanResult r = run(ScanKind::installers, c, root);
        ::chmod(locked.constData(), 0755);
        QCOMPARE(names(r.entries), (QStringList { "Old.pkg" }));
        QVERIFY(!r.entries[0].sizeIsComplete);
        QCOMPARE(r.entries[0].bytes, 2000);
        QVERIFY(!r.entries[0].kind.fingerprint->hasTree);
        QCOMPARE(coverageOf(r), CoverageState::partial);
        QVERIFY(r.scopeNotes.join('\n').contains(QStringLiteral("大小未完整统计")));
    }

    void missingFolderIsReportedNotThrown()
    {
        QTemporaryDir dir;
        const ScanResult r = run(ScanKind::largeFiles, configurationFor(dir), dir.filePath("nope"));
        QVERIFY(r.entries.isEmpty());
        QCOMPARE(coverageOf(r), CoverageState::missing);
        QVERIFY(!r.scopeNotes.isEmpty());
    }

    void duplicatesAreGroupedOrderedAndKeepTheSettledCopyFirst()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/scan";
        const QByteArray big = pattern(100000, 1);
        const QByteArray small = pattern(3000, 2);
        writeFile(root + "/Downloads/big.iso", big);
        writeFile(root + "/Archive/big.iso", big);
        writeFile(root + "/small.txt", small);
        writeFile(root + "/x/small (1).txt", small);
        writeFile(root + "/y/small copy.txt", small);
        writeFile(root + "/unique.bin", pattern(100000, 3));
        writeFile(root + "/empty1", {});
        writeFile(root + "/empty2", {});
        symlinkTo(root + "/small.txt", root + "/link.txt");
        QCOMPARE(::link(QFile::encodeName(root + "/unique.bin"), QFile::encodeName(root + "/unique-hardlink.bin")), 0);
        setAge(root + "/Downloads/big.iso", 300 * day); // older, but in Downloads
        writeFile(root + "/skip/small.txt", small);

        ScanConfiguration c = configurationFor(dir);
        c.ignoredPaths = { root + "/skip" };
        const ScanResult r = run(ScanKind::duplicates, c, root);
        QCOMPARE(r.duplicateGroups.size(), 2);
        // 100000 redundant bytes before 2 × 3000.
        QCOMPARE(names(r.duplicateGroups[0].files), (QStringList { "big.iso", "big.iso" }));
        QCOMPARE(r.duplicateGroups[0].files[0].path, root + "/Archive/big.iso");
        QCOMPARE(names(r.duplicateGroups[1].files), (QStringList { "small.txt", "small (1).txt", "small copy.txt" }));
        QCOMPARE(r.duplicateGroups[1].redundantBytes(), 6000);
        QCOMPARE(r.entries.size(), 5);
        QCOMPARE(r.bytes(), 106000);
        for (const FileEntry &e : r.entries) {
            QCOMPARE(e.category, FileCategory::duplicate);
            QCOMPARE(e.kind.fingerprint, fingerprintPath(e.path, false));
        }
        QCOMPARE(coverageOf(r), CoverageState::complete);
        const QString notes = r.scopeNotes.join('\n');
        QVERIFY(notes.contains(QStringLiteral("跳过 2 个空文件")));
        QVERIFY(notes.contains(QStringLiteral("1 个硬链接副本")));
    }

    void duplicatesContentBoundGivesPartialCoverageAndSaysHowMuch()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/scan";
        const QByteArray big = pattern(500000, 1);
        writeFile(root + "/a", big);
        writeFile(root + "/b", big);
        ScanConfiguration c = configurationFor(dir);
        c.contentReadLimit = 200000;
        const ScanResult r = run(ScanKind::duplicates, c, root);
        QVERIFY(r.duplicateGroups.isEmpty());
        QCOMPARE(coverageOf(r), CoverageState::partial);
        QVERIFY(r.hasIncompleteCoverage());
        QVERIFY2(r.scopeNotes.join('\n').contains(QStringLiteral("另有 2 个文件（共 1.0 MB）可能重复，未比对")),
            qPrintable(r.scopeNotes.join('\n')));
    }

    void duplicatesThatExceedTheLimitLeaveOutWholeSetsFairly()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/scan";
        const QByteArray huge = pattern(50000, 4);
        for (int i = 0; i < 6; ++i)
            writeFile(root + QStringLiteral("/many/%1").arg(i), huge); // 250,000 redundant bytes
        writeFile(root + "/a1", pattern(20000, 5));
        writeFile(root + "/a2", pattern(20000, 5));
        writeFile(root + "/b1", pattern(10000, 6));
        writeFile(root + "/b2", pattern(10000, 6));
        ScanConfiguration c = configurationFor(dir);
        c.entryLimit = 5;
        const ScanResult r = run(ScanKind::duplicates, c, root);
        // The largest set does not fit; the next ones still do.
        QCOMPARE(r.duplicateGroups.size(), 2);
        QCOMPARE(r.duplicateGroups[0].redundantBytes(), 20000);
        QCOMPARE(r.entries.size(), 4);
        QVERIFY2(r.scopeNotes.join('\n').contains(QStringLiteral(
                     "共找到 3 组重复文件，列出 2 组；另有 1 组（多余副本共 250.0 kB）超出 5 项的结果上限")),
            qPrintable(r.scopeNotes.join('\n')));
    }

    void scansNeverLookInsideATrash()
    {
        // A home whose Trash holds a copy of a file that is still in use.
        QTemporaryDir dir;
        const QString home = dir.path();
        const QByteArray data = pattern(60000, 7);
        writeFile(home + "/docs/report.pdf", data);
        writeFile(home + "/docs/report copy.pdf", data);
        writeFile(home + "/.local/share/Trash/files/report.pdf", data);
        writeFile(home + "/.local/share/Trash/files/old.iso", pattern(300000, 8));
        ScanConfiguration c = configurationFor(dir);
        const ScanResult duplicates = run(ScanKind::duplicates, c, home);
        QCOMPARE(duplicates.duplicateGroups.size(), 1);
        for (const FileEntry &e : duplicates.entries)
            QVERIFY2(!e.path.contains(QStringLiteral("/Trash")), qPrintable(e.path));
        FileQuery query;
        query.minimumBytes = 1;
        const ScanResult large = run(ScanKind::largeFiles, c, home, query);
        QCOMPARE(names(large.entries), (QStringList { "report copy.pdf", "report.pdf" }));
        const ScanResult space = run(ScanKind::space, c, home + "/.local/share");
        QVERIFY(space.entries.isEmpty());
        for (const ScanResult &r : { duplicates, large, space }) {
            QCOMPARE(
                r.scopeNotes.filter(trashWorded(QStringLiteral("未进入废纸篓（~/.local/share/Trash）"))).size(), 1);
            QCOMPARE(coverageOf(r), CoverageState::complete);
        }
        // A folder inside the Trash is not scanned at all.
        const ScanResult inside = run(ScanKind::largeFiles, c, home + "/.local/share/Trash/files", query);
        QVERIFY(inside.entries.isEmpty());
        QCOMPARE(coverageOf(inside), CoverageState::skipped);
        QVERIFY(inside.scopeNotes.join('\n').contains(trashWorded(QStringLiteral("位于废纸篓中，没有检查"))));
    }

    void longPathsInNotesAreShortenedInTheMiddle()
    {
        QTemporaryDir dir;
        QString deep = dir.path() + "/scan";
        for (int i = 0; i < 30; ++i)
            deep += QStringLiteral("/folder-with-a-rather-long-name-%1").arg(i);
        writeFile(deep + "/f", pattern(10, 1));
        LockedAndMounted locked(deep, {});
        const ScanResult r = run(ScanKind::largeFiles, configurationFor(dir), dir.path() + "/scan");
        const QStringList notes = r.scopeNotes.filter(QStringLiteral("无法读取"));
        QCOMPARE(notes.size(), 1);
        QVERIFY2(notes.first().size() < 140 && notes.first().contains(u'…') && notes.first().endsWith("name-29"),
            qPrintable(notes.first()));
    }

    void spaceSizesMatchAnIndependentCountAndCarryTheirIdentity()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/space";
        writeFile(root + "/alpha/one", pattern(1000, 1));
        writeFile(root + "/alpha/sub/two", pattern(2500, 2));
        writeFile(root + "/alpha/sub/deeper/three", pattern(10, 3));
        symlinkTo("one", root + "/alpha/link");
        writeFile(root + "/beta/shared", pattern(700, 4));
        QCOMPARE(::link(QFile::encodeName(root + "/beta/shared"), QFile::encodeName(root + "/alpha/shared-link")), 0);
        writeFile(root + "/file.bin", pattern(4321, 5));
        QVERIFY(QDir().mkpath(root + "/empty"));
        symlinkTo(root + "/alpha", root + "/top-link");

        const auto independent = [](const QString &top, const QStringList &below) {
            std::int64_t total = apparentSize(top);
            for (const QString &p : below)
                total += apparentSize(top + '/' + p);
            return total;
        };
        const std::int64_t alpha = independent(
            root + "/alpha", { "one", "sub", "sub/two", "sub/deeper", "sub/deeper/three", "link", "shared-link" });
        const std::int64_t beta = independent(root + "/beta", { "shared" });

        ScanConfiguration c = configurationFor(dir);
        writeFile(root + "/ignored/big", pattern(9999, 6));
        c.ignoredPaths = { root + "/ignored" };
        const ScanResult r = run(ScanKind::space, c, root);
        QCOMPARE(coverageOf(r), CoverageState::complete);
        QHash<QString, FileEntry> byName;
        for (const FileEntry &e : r.entries)
            byName.insert(e.name, e);
        QCOMPARE(QSet<QString>(byName.keyBegin(), byName.keyEnd()),
            (QSet<QString> { "alpha", "beta", "file.bin", "empty" }));
        QCOMPARE(byName["alpha"].bytes, alpha); // the hard link counts here and in beta
        QCOMPARE(byName["beta"].bytes, beta);
        QCOMPARE(byName["file.bin"].bytes, 4321);
        QCOMPARE(byName["empty"].bytes, apparentSize(root + "/empty"));
        QVERIFY(byName["alpha"].kind.isFolder());
        QVERIFY(byName["file.bin"].kind.isFile());
        for (qsizetype i = 1; i < r.entries.size(); ++i) // largest first
            QVERIFY(r.entries[i - 1].bytes >= r.entries[i].bytes);
        for (const FileEntry &e : r.entries) {
            QCOMPARE(e.category, FileCategory::spaceItem);
            QVERIFY(e.sizeIsComplete);
            QCOMPARE(e.kind.fingerprint, fingerprintPath(e.path, false)); // read-only: no tree digest
        }
    }

    void spaceMarksUnreadableAndCutChildrenIncomplete()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/space";
        writeFile(root + "/open/a", pattern(100, 1));
        writeFile(root + "/locked/readable", pattern(100, 2));
        writeFile(root + "/locked/inner/hidden", pattern(5000, 3));
        {
            LockedAndMounted lock(root + "/locked/inner", {});
            const ScanResult r = run(ScanKind::space, configurationFor(dir), root);
            QCOMPARE(coverageOf(r), CoverageState::partial);
            for (const FileEntry &e : r.entries) {
                if (e.name == QLatin1String("locked")) {
                    QVERIFY(!e.sizeIsComplete);
                    // What could be counted is shown: the folder, its file and the
                    // unreadable folder's own entry.
                    QCOMPARE(e.bytes, apparentSize(root + "/locked") + 100 + apparentSize(root + "/locked/inner"));
                } else {
                    QVERIFY(e.sizeIsComplete);
                }
            }
            QVERIFY(r.scopeNotes.join('\n').contains(QStringLiteral("无法读取")));
        }

        for (int i = 0; i < 50; ++i)
            writeFile(root + QStringLiteral("/many/f%1").arg(i), pattern(10, std::uint32_t(i)));
        ScanConfiguration c = configurationFor(dir);
        c.visitLimit = 20;
        const ScanResult cut = run(ScanKind::space, c, root);
        QCOMPARE(coverageOf(cut), CoverageState::partial);
        QVERIFY(cut.hasIncompleteCoverage());
        // A folder the budget cut is marked; one walked to its end before the stop is exact.
        for (const FileEntry &e : cut.entries) {
            if (e.name == QLatin1String("many"))
                QVERIFY(!e.sizeIsComplete);
            if (e.kind.isFolder() && e.sizeIsComplete)
                QCOMPARE(e.bytes, duBytes(e.path));
        }
    }

    void spaceDoesNotEnterOtherFileSystemsAndSaysSo()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/space";
        writeFile(root + "/plain/a", pattern(100, 1));
        writeFile(root + "/volume/big", pattern(5000, 2));
        writeFile(root + "/outer/b", pattern(200, 3));
        writeFile(root + "/outer/disk/c", pattern(3000, 4));
        writeFile(root + "/file.bin", pattern(50, 5));
        ScanResult r;
        {
            LockedAndMounted mounted({}, { "volume", "disk" });
            r = run(ScanKind::space, configurationFor(dir), root);
        }
        QCOMPARE(coverageOf(r), CoverageState::partial);
        QHash<QString, FileEntry> byName;
        for (const FileEntry &e : r.entries)
            byName.insert(e.name, e);
        QCOMPARE(r.entries.size(), 4); // the mount point once, though the walker never visits it
        QCOMPARE(QSet<QString>(byName.keyBegin(), byName.keyEnd()),
            (QSet<QString> { "plain", "volume", "outer", "file.bin" }));
        // The mount point is listed by its own entry only, not entered.
        const FileEntry &volume = byName["volume"];
        QVERIFY(!volume.sizeIsComplete);
        QCOMPARE(volume.bytes, apparentSize(root + "/volume"));
        QVERIFY(volume.kind.isFolder());
        QCOMPARE(volume.detail, QStringLiteral("文件夹 · 其他文件系统的挂载点，未进入"));
        // A child holding a mount point: what lies outside it counts, and the mount
        // point's own entry, as it would on a scan of the child.
        const FileEntry &outer = byName["outer"];
        QVERIFY(!outer.sizeIsComplete);
        QCOMPARE(outer.bytes, apparentSize(root + "/outer") + 200 + apparentSize(root + "/outer/disk"));
        QVERIFY(outer.detail.endsWith(QStringLiteral(" · 部分内容未统计")));
        QVERIFY(byName["plain"].sizeIsComplete);
        QVERIFY(byName["file.bin"].sizeIsComplete);
        const QString notes = r.scopeNotes.join('\n');
        QVERIFY2(notes.contains(QStringLiteral("未进入挂载在其中的其他文件系统：")), qPrintable(notes));
        QVERIFY(notes.contains(QStringLiteral("~/space/volume")));
        QVERIFY(notes.contains(QStringLiteral("~/space/outer/disk")));
    }

    void spaceOfTheFileSystemRootNamesItsMountPointsRightly()
    {
        struct stat rootSt {
        }, procSt {};
        if (::lstat("/", &rootSt) != 0 || ::lstat("/proc", &procSt) != 0 || !S_ISDIR(procSt.st_mode)
            || procSt.st_dev == rootSt.st_dev)
            QSKIP("needs /proc mounted as a file system of its own");
        QTemporaryDir dir;
        ScanConfiguration c = configurationFor(dir);
        c.visitLimit = 2000; // the children of "/" and a little more
        const ScanResult r = run(ScanKind::space, c, QStringLiteral("/"));
        bool sawProc = false;
        for (const FileEntry &e : r.entries) {
            QVERIFY2(apparentSize(e.path) >= 0, qPrintable(e.path)); // every path is a real child
            if (e.path == QLatin1String("/proc")) {
                sawProc = true;
                QVERIFY(!e.sizeIsComplete);
            }
        }
        QVERIFY(sawProc);
    }

    // The space scan keeps its whole tree: every folder in it reads as a scan of it would.
    void spaceTreeEqualsDuAndAFreshScanAtEveryLevel()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/space";
        writeFile(root + "/a/one", pattern(1000, 1));
        writeFile(root + "/a/b/two", pattern(2500, 2));
        writeFile(root + "/a/b/c/three", pattern(10, 3));
        writeFile(root + "/a/b/same-y", pattern(300, 4));
        writeFile(root + "/a/b/same-x", pattern(300, 5));
        symlinkTo("one", root + "/a/link");
        symlinkTo("..", root + "/a/b/up");
        writeFile(root + "/d/shared", pattern(700, 6));
        QCOMPARE(::link(QFile::encodeName(root + "/d/shared"), QFile::encodeName(root + "/a/b/c/hard")), 0);
        QVERIFY(QDir().mkpath(root + "/empty"));
        writeFile(root + "/top.bin", pattern(4321, 7));

        const ScanConfiguration c = configurationFor(dir);
        const ScanResult r = run(ScanKind::space, c, root);
        QVERIFY(r.spaceTree);
        const SpaceTree &tree = *r.spaceTree;
        QCOMPARE(tree.level(SpaceTree::rootIndex).entries, r.entries); // ids stay with their nodes
        QStringList folders;
        for (SpaceTree::Index i = 0; i < tree.size(); ++i) {
            if (!tree.node(i).isFolder())
                continue;
            const QString path = tree.path(i);
            folders << path.mid(root.size());
            QCOMPARE(tree.node(i).bytes, duBytes(path)); // hard links count in every place
            QCOMPARE(tree.find(path), i);
            QVERIFY(tree.canShow(i));
            const ScanResult level = tree.level(i);
            const ScanResult fresh = run(ScanKind::space, c, path);
            QCOMPARE(rows(level), rows(fresh));
            QCOMPARE(level.scopeNotes, fresh.scopeNotes);
            QCOMPARE(level.coverage, fresh.coverage);
            for (qsizetype k = 0; k < level.entries.size(); ++k)
                QCOMPARE(level.entries[k].scope, fresh.entries[k].scope);
        }
        folders.sort();
        QCOMPARE(folders, (QStringList { "", "/a", "/a/b", "/a/b/c", "/d", "/empty" }));
        // Equal sizes keep the order of their names.
        QCOMPARE(names(tree.level(tree.find(root + "/a/b")).entries), (QStringList { "c", "two", "same-x", "same-y" }));
    }

    void spaceTreeMarksUnreadableCutAndMountedFoldersWhereTheyLie()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/space";
        writeFile(root + "/open/a", pattern(100, 1));
        writeFile(root + "/deep/locked/hidden", pattern(5000, 2));
        writeFile(root + "/deep/fine/x", pattern(10, 3));
        writeFile(root + "/deep/mnt/inside", pattern(300, 4));
        ScanResult r;
        {
            LockedAndMounted calls(root + "/deep/locked", { "mnt" });
            r = run(ScanKind::space, configurationFor(dir), root);
        }
        const SpaceTree &tree = *r.spaceTree;
        const auto at = [&](const char *relative) { return tree.find(root + '/' + relative); };
        const SpaceTree::Node &locked = tree.node(at("deep/locked"));
        QVERIFY(locked.has(SpaceTree::unreadable) && !locked.has(SpaceTree::complete));
        QVERIFY(!tree.canShow(at("deep/locked"))); // nothing to show: only a scan can say why
        QVERIFY(tree.node(at("deep/mnt")).has(SpaceTree::mountPoint));
        QVERIFY(!tree.canShow(at("deep/mnt")));
        QVERIFY(!tree.node(at("deep")).has(SpaceTree::complete));
        QVERIFY(tree.node(at("deep/fine")).has(SpaceTree::complete));
        QVERIFY(tree.node(at("open")).has(SpaceTree::complete));

        const ScanResult deep = tree.level(at("deep"));
        QCOMPARE(coverageOf(deep), CoverageState::partial);
        const QString notes = deep.scopeNotes.join('\n');
        QVERIFY2(notes.contains(QStringLiteral("1 个文件夹无法读取，未检查其中内容：~/space/deep/locked")),
            qPrintable(notes));
        QVERIFY(notes.contains(QStringLiteral("未进入挂载在其中的其他文件系统：~/space/deep/mnt")));
        for (const FileEntry &e : deep.entries)
            QCOMPARE(e.sizeIsComplete, e.name == QLatin1String("fine"));
        const ScanResult open = tree.level(at("open"));
        QCOMPARE(coverageOf(open), CoverageState::complete);
        QVERIFY(!open.scopeNotes.join('\n').contains(QStringLiteral("无法读取")));

        // A budget that stops the walk: what it cut is marked, what it finished is exact.
        for (int i = 0; i < 50; ++i)
            writeFile(root + QStringLiteral("/many/f%1").arg(i), pattern(10, std::uint32_t(i)));
        ScanConfiguration c = configurationFor(dir);
        c.visitLimit = 30;
        const ScanResult cut = run(ScanKind::space, c, root);
        const SpaceTree &partial = *cut.spaceTree;
        QVERIFY(!partial.node(partial.find(root + "/many")).has(SpaceTree::complete));
        QVERIFY(cut.scopeNotes.join('\n').contains(QStringLiteral("已达到检查数量上限（30 项）")));
        for (SpaceTree::Index i = 0; i < partial.size(); ++i) {
            const SpaceTree::Node &n = partial.node(i);
            if (!n.isFolder() || !n.has(SpaceTree::complete))
                continue;
            QCOMPARE(n.bytes, duBytes(partial.path(i)));
            QVERIFY(!partial.level(i).scopeNotes.join('\n').contains(QStringLiteral("已达到检查数量上限")));
        }
    }

    void spaceTreeLeavesOutIgnoredPathsAndTheTrashAsAScanDoes()
    {
        QTemporaryDir dir;
        const QString root = dir.path() + "/space";
        writeFile(root + "/a/b/big", pattern(5000, 1));
        writeFile(root + "/a/small", pattern(10, 2));
        writeFile(root + "/a/locked/inner", pattern(70, 3));
        writeFile(root + "/c/x", pattern(20, 4));
        writeFile(root + "/.local/share/Trash/files/gone.iso", pattern(9000, 5));
        writeFile(root + "/.local/share/kept", pattern(30, 6));
        ScanConfiguration c = configurationFor(dir);
        c.home = root; // its Trash lies inside the scanned folder
        ScanConfiguration ignoring = c;
        ignoring.ignoredPaths = { root + "/a/locked", root + "/a/b" };
        LockedAndMounted calls(root + "/a/locked", {});
        const ScanResult r = run(ScanKind::space, c, root);
        SpaceTree &tree = *r.spaceTree;
        QVERIFY(!tree.node(tree.find(root + "/a")).has(SpaceTree::complete));
        tree.exclude(tree.find(root + "/a/locked"));
        tree.exclude(tree.find(root + "/a/b"));
        QCOMPARE(tree.find(root + "/a/b/big"), SpaceTree::none);
        for (const char *folder : { "", "/a", "/.local", "/.local/share" }) {
            const ScanResult level = tree.level(tree.find(root + folder));
            const ScanResult fresh = run(ScanKind::space, ignoring, root + folder);
            QCOMPARE(level.scopeNotes.filter(vocabulary().trash).size(), QByteArray(folder) == "/a" ? 0 : 1);
            QCOMPARE(rows(level), rows(fresh));
            QCOMPARE(level.scopeNotes, fresh.scopeNotes);
            QCOMPARE(level.coverage, fresh.coverage);
        }
    }

    void cancelledScanThrows()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a"), pattern(10, 1));
        CancellationToken token;
        token.cancel();
        QVERIFY_THROWS_EXCEPTION(
            CancellationError, (void)Scanner(configurationFor(dir)).scan(ScanKind::space, dir.path(), {}, {}, token));
    }
};

QTEST_GUILESS_MAIN(FileScansTest)
#include "file_scans_test.moc"
