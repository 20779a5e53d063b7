// Records, lossless paths, history coding, browsers and path safety.
#include "core/Enums.h"
#include "core/Errors.h"
#include "core/PathSafety.h"
#include "core/Paths.h"
#include "core/RecordJson.h"
#include "core/Records.h"
#include "core/ScanResultJson.h"

#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Morvane;

namespace {

FileEntry entry(const QString &path, std::int64_t bytes, FileCategory category = FileCategory::largeFile)
{
    FileEntry e;
    e.id = QUuid::createUuid();
    e.path = path;
    e.name = lastComponent(path);
    e.bytes = bytes;
    e.category = category;
    return e;
}

bool makeFile(const QByteArray &path, const QByteArray &contents = "x")
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, contents.constData(), size_t(contents.size())) == contents.size();
    ::close(fd);
    return ok;
}

} // namespace

class RecordsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void streamedResultJsonIsTheWholeDocument()
    {
        ScanResult result;
        result.kind = ScanKind::duplicates;
        result.date = QDateTime::fromSecsSinceEpoch(1700000000, QTimeZone::utc());
        result.scopeNotes << QStringLiteral("a note quoting \"entries\":[] and ] and ,");
        const auto json = [](const ScanResult &r) {
            QByteArray streamed;
            writeCompactJson(r, [&streamed](QByteArrayView piece) { streamed += piece; });
            return std::pair(streamed, QJsonDocument(toJson(r)).toJson(QJsonDocument::Compact));
        };
        auto [streamed, whole] = json(result); // no entries at all
        QCOMPARE(streamed, whole);
        DuplicateGroup group;
        group.id = QUuid::createUuid();
        for (int i = 0; i < 3; ++i) {
            FileEntry e;
            e.id = QUuid::createUuid();
            e.path = pathFromBytes(QByteArray("/tmp/dup \xff ") + QByteArray::number(i));
            e.name = lastComponent(e.path);
            e.bytes = 1000 + i;
            e.detail = QStringLiteral("\"entries\":[] 第 %1 组").arg(i);
            e.kind = EntryKind::file(Fingerprint {});
            result.entries.append(e);
            group.files.append(e);
        }
        result.duplicateGroups.append(group);
        std::tie(streamed, whole) = json(result);
        QCOMPARE(streamed, whole);
    }

    void pathsRoundTripEveryByteSequence_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QByteArray("/home/a/file.txt");
        QTest::newRow("chinese") << QByteArray("/home/a/新建文件夹/清理.txt");
        QTest::newRow("emoji") << QByteArray("/tmp/\xF0\x9F\x98\x80.png");
        QTest::newRow("latin1 byte") << QByteArray("/tmp/caf\xe9");
        QTest::newRow("lone continuation") << QByteArray("/tmp/\x80\x81");
        QTest::newRow("truncated sequence") << QByteArray("/tmp/\xe6\x96");
        QTest::newRow("overlong slash") << QByteArray("/tmp/\xc0\xaf");
        QTest::newRow("encoded surrogate") << QByteArray("/tmp/\xed\xb2\x80");
        QTest::newRow("above unicode") << QByteArray("/tmp/\xf4\x90\x80\x80");
        QTest::newRow("all high bytes") << QByteArray("\xff\xfe\xfd");
    }

    void pathsRoundTripEveryByteSequence()
    {
        QFETCH(QByteArray, bytes);
        const QString path = pathFromBytes(bytes);
        QCOMPARE(pathToBytes(path), bytes);
        QCOMPARE(pathHasEscapedBytes(path), QString::fromUtf8(bytes).toUtf8() != bytes);
        QVERIFY(!displayPath(path).contains(QChar(0xDC80)));
    }

    void aRealFileWithAnInvalidNameStaysReachable()
    {
        QTemporaryDir dir;
        const QByteArray name = QFile::encodeName(dir.path()) + "/report-\xff\xfe.txt";
        const QByteArray twin = QFile::encodeName(dir.path()) + "/report-\xef\xbf\xbd\xef\xbf\xbd.txt";
        QVERIFY(makeFile(name, "real"));
        QVERIFY(makeFile(twin, "the replacement-character twin"));
        const QString path = pathFromBytes(name);
        QVERIFY(path != pathFromBytes(twin));
        QCOMPARE(displayPath(path), QString::fromUtf8(twin)); // looks alike, is not alike
        struct stat st { };
        QCOMPARE(::lstat(pathToBytes(path).constData(), &st), 0);
        QCOMPARE(st.st_size, 4);

        // The history keeps the exact bytes.
        CleanupRecord record;
        record.id = QUuid::createUuid();
        record.date = QDateTime::currentDateTimeUtc();
        CleanupItemResult item;
        item.name = lastComponent(path);
        item.path = path;
        item.trashPath = path + QStringLiteral(".moved");
        item.moved = true;
        record.items.append(item);
        const QByteArray json = compactEscapedJson(QJsonDocument(toJson(QList<CleanupRecord> { record })));
        const auto back = recordsFromJson(json);
        QVERIFY(back.has_value());
        QCOMPARE(pathToBytes(back->first().items.first().path), name);
        QCOMPARE(back->first().items.first().name, item.name);
        QCOMPARE(back->first().items.first().trashPath, item.trashPath);
    }

    void pathHelpersWorkOnComponents()
    {
        QCOMPARE(lastComponent(QStringLiteral("/a/b/")), QStringLiteral("b"));
        QCOMPARE(lastComponent(QStringLiteral("/")), QStringLiteral("/"));
        QCOMPARE(parentPath(QStringLiteral("/a")), QStringLiteral("/"));
        QCOMPARE(parentPath(QStringLiteral("/a/b//")), QStringLiteral("/a"));
        QVERIFY(isSameOrInside(QStringLiteral("/a/b"), QStringLiteral("/a")));
        QVERIFY(!isSameOrInside(QStringLiteral("/a/bc"), QStringLiteral("/a/b")));
        QVERIFY(isSameOrInside(QStringLiteral("/x"), QStringLiteral("/")));
        QCOMPARE(lexicallyNormal(QStringLiteral("/a/./b/../../../c//d")), QStringLiteral("/c/d"));
    }

    void historyRoundTripsExactly()
    {
        QList<CleanupRecord> records;
        for (int r = 0; r < 3; ++r) {
            CleanupRecord record;
            record.id = QUuid::createUuid();
            record.date = QDateTime::fromMSecsSinceEpoch(1'765'000'000'123LL + r * 1000, Qt::UTC);
            for (int i = 0; i < r; ++i) {
                CleanupItemResult item;
                item.entryID = QUuid::createUuid();
                item.name = QStringLiteral("名字 %1 \"q\" / \\").arg(i);
                item.path = QStringLiteral("/home/u/Downloads/a%1/b\nc").arg(i);
                item.moved = i % 2 == 0;
                item.message = QStringLiteral("已移到废纸篓");
                item.bytes = (std::int64_t(1) << 52) + i;
                item.sizeIsComplete = i == 0;
                item.category = FileCategory::installer;
                item.trashPath = item.moved ? QStringLiteral("/home/u/.local/share/Trash/files/a") : QString();
                if (item.moved) {
                    // Device and inode numbers use all 64 bits; a JSON number would round them.
                    item.trashIdentity
                        = TrashedIdentity { { 0xFFFF'FFFF'FFFF'FFF1ULL, 0x8000'0000'0000'0003ULL, 42, -1'000'000'007LL,
                                                1'765'000'000'123'456'789LL, 0, 0, false },
                              r == 2 };
                    if (r == 2)
                        item.restoredDate = QDateTime::fromMSecsSinceEpoch(1'766'000'000'500LL, Qt::UTC);
                }
                record.items.append(item);
            }
            records.append(record);
        }
        // The writer for large histories writes what the generic one writes.
        QCOMPARE(encodeHistory(records), compactEscapedJson(QJsonDocument(toJson(records))));
        const QByteArray json = compactEscapedJson(QJsonDocument(toJson(records)));
        QVERIFY(!json.contains("\n"));
        QVERIFY(json.contains("\\/home\\/u"));
        QVERIFY(json.contains(uuidString(records[0].id).toLatin1()));
        QCOMPARE(uuidString(records[0].id), uuidString(records[0].id).toUpper());
        const auto back = recordsFromJson(json);
        QVERIFY(back.has_value());
        QCOMPARE(*back, records);
        // Unescaped slashes read the same.
        QByteArray plain = json;
        plain.replace("\\/", "/");
        QCOMPARE(*recordsFromJson(plain), records);
        // A damaged identity leaves the item without one (the restore then checks the
        // size), never the record unreadable.
        plain.replace("\"device\":\"18446744073709551601\"", "\"device\":\"x\"");
        const auto damaged = recordsFromJson(plain);
        QVERIFY(damaged.has_value());
        QVERIFY(!damaged->at(2).items.at(0).trashIdentity.has_value());
        QCOMPARE(damaged->at(2).items.at(0).restoredDate, records.at(2).items.at(0).restoredDate);
    }

    void referenceDateIsTwoThousandOne()
    {
        QCOMPARE(secondsSinceReferenceDate(QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC)), 0.0);
        QCOMPARE(secondsSinceReferenceDate(QDateTime(QDate(2001, 1, 2), QTime(0, 0, 1), Qt::UTC)), 86401.0);
        QCOMPARE(dateFromReferenceSeconds(-1.5), QDateTime(QDate(2000, 12, 31), QTime(23, 59, 58, 500), Qt::UTC));
    }

    void recordTotalsCountMovedItemsOnly()
    {
        CleanupRecord record;
        CleanupItemResult moved;
        moved.moved = true;
        moved.bytes = 10;
        CleanupItemResult partial = moved;
        partial.bytes = 5;
        partial.sizeIsComplete = false;
        CleanupItemResult skipped;
        skipped.bytes = 100;
        skipped.sizeIsComplete = false;
        record.items = { moved, skipped };
        QCOMPARE(record.count(), 1);
        QCOMPARE(record.bytes(), 10);
        QVERIFY(record.sizeIsComplete()); // a skipped item's size does not matter
        record.items.append(partial);
        QCOMPARE(record.bytes(), 15);
        QVERIFY(!record.sizeIsComplete());
    }

    void resultTotalsCoverageAndRemoval()
    {
        ScanResult r;
        r.kind = ScanKind::junk;
        QVERIFY(!r.hasIncompleteCoverage());
        QCOMPARE(r.coverageFor(FileCategory::logs), std::nullopt);
        r.entries = { entry(QStringLiteral("/a"), 1), entry(QStringLiteral("/b"), 2), entry(QStringLiteral("/c"), 4) };
        QCOMPARE(r.bytes(), 7);
        r.coverage = { { FileCategory::logs, CoverageState::complete, 0 },
            { FileCategory::userCache, CoverageState::missing, 0 } };
        QVERIFY(!r.hasIncompleteCoverage()); // a missing folder is not a gap
        r.coverage.append({ FileCategory::developerCache, CoverageState::skipped, 0 });
        QVERIFY(r.hasIncompleteCoverage());
        QCOMPARE(r.coverageFor(FileCategory::userCache)->coverageState(), CoverageState::missing);

        const ScanResult fewer = r.removingPaths({ QStringLiteral("/b"), QStringLiteral("/zzz") });
        QCOMPARE(fewer.entries.size(), 2);
        QCOMPARE(r.entries.size(), 3); // the original is untouched
        QCOMPARE(fewer.coverage, r.coverage);
    }

    void duplicateGroupsShrinkWithTheirEntries()
    {
        ScanResult r;
        r.kind = ScanKind::duplicates;
        const FileEntry a = entry(QStringLiteral("/a"), 10, FileCategory::duplicate);
        const FileEntry b = entry(QStringLiteral("/b"), 10, FileCategory::duplicate);
        const FileEntry c = entry(QStringLiteral("/c"), 10, FileCategory::duplicate);
        const FileEntry d = entry(QStringLiteral("/d"), 3, FileCategory::duplicate);
        const FileEntry e = entry(QStringLiteral("/e"), 3, FileCategory::duplicate);
        r.entries = { a, b, c, d, e };
        r.duplicateGroups = { { QUuid::createUuid(), { a, b, c } }, { QUuid::createUuid(), { d, e } } };
        QCOMPARE(r.duplicateGroups[0].redundantBytes(), 20);
        QCOMPARE(r.bytes(), 23); // the copies beyond one
        const ScanResult after = r.removingPaths({ QStringLiteral("/b"), QStringLiteral("/d"), QStringLiteral("/e") });
        QCOMPARE(after.duplicateGroups.size(), 1);
        QCOMPARE(after.duplicateGroups[0].files, (QList<FileEntry> { a, c }));
        // A group reduced to one copy leaves with that copy; the other group stays whole.
        const ScanResult single = r.removingPaths({ QStringLiteral("/a"), QStringLiteral("/b") });
        QCOMPARE(single.duplicateGroups.size(), 1);
        QCOMPARE(single.duplicateGroups[0].files, (QList<FileEntry> { d, e }));
        QCOMPARE(single.entries, (QList<FileEntry> { d, e }));
        QCOMPARE(single.bytes(), 3);
    }

    void enumerationsKeepTheirRawValues()
    {
        QCOMPARE(int(ScanKind::systemJunk), 7);
        QCOMPARE(int(FileCategory::application), 3);
        QCOMPARE(int(FileCategory::applicationData), 4);
        QCOMPARE(int(FileCategory::duplicate), 6);
        QCOMPARE(int(FileCategory::spaceItem), 7);
        QCOMPARE(int(FileCategory::browserData), 9);
        for (int raw = 0; raw < fileCategoryCount; ++raw) {
            const FileCategory c = *fileCategoryFromRaw(raw);
            QVERIFY(!categoryTitle(c).isEmpty());
            QVERIFY(!categorySymbol(c).isEmpty());
        }
        QCOMPARE(categoryTitle(FileCategory::userCache), QStringLiteral("用户缓存"));
        QCOMPARE(fileCategoryFromRaw(12), std::nullopt);
        QCOMPARE(allFileTypeFilters.size(), size_t(6));
        for (ScanKind kind : allScanKinds)
            QCOMPARE(scanKindFromName(scanKindName(kind)), std::optional<ScanKind>(kind));
    }

    void browsersAreRecognisedThroughTheirHelpers()
    {
        const QString chrome = QStringLiteral("com.google.Chrome");
        QVERIFY(browserIsRunning(chrome, { QStringLiteral("com.google.Chrome.helper.GPU") }));
        QVERIFY(browserIsRunning(chrome, { QStringLiteral("com.google.Chrome.canary") }));
        QVERIFY(!browserIsRunning(chrome, { QStringLiteral("com.google.Chromebook") }));
        QVERIFY(
            browserIsRunning(QStringLiteral("com.apple.Safari"), { QStringLiteral("com.apple.WebKit.WebContent") }));
        QVERIFY(browserIsRunning(QStringLiteral("firefox"), { QStringLiteral("org.mozilla.firefox") }));
        QVERIFY(!browserIsRunning(QStringLiteral("firefox"), { QStringLiteral("com.google.Chrome") }));
        QVERIFY(browserIsRunning(QStringLiteral("unknown.app"), { QStringLiteral("unknown.app") }));
        QVERIFY(!browserIsRunning(QStringLiteral("unknown.app"), {}));
        QCOMPARE(browserForIdentifier(QStringLiteral("org.chromium.Chromium.helper")),
            std::optional<BrowserKind>(BrowserKind::chromium));
    }

    void pathSafetyRefusesEscapesLinksAndTheFolderItself()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        QVERIFY(QDir(root).mkpath(QStringLiteral("inside/deeper")));
        QVERIFY(QDir(root).mkpath(QStringLiteral("outside")));
        QVERIFY(QFile::link(root + QStringLiteral("/outside"), root + QStringLiteral("/inside/link")));
        const QString inside = root + QStringLiteral("/inside");

        PathSafety::validate(inside + QStringLiteral("/deeper"), inside);
        PathSafety::validate(inside + QStringLiteral("/./deeper/"), inside);
        const auto refuses = [&](const QString &path) {
            try {
                PathSafety::validate(path, inside);
            } catch (const PathSafetyError &error) {
                return !error.description().isEmpty();
            }
            return false;
        };
        QVERIFY(refuses(inside));
        QVERIFY(refuses(inside + QStringLiteral("/")));
        QVERIFY(refuses(inside + QStringLiteral("/deeper/../..")));
        QVERIFY(refuses(inside + QStringLiteral("/../outside")));
        QVERIFY(refuses(root + QStringLiteral("/insider")));
        QVERIFY(refuses(inside + QStringLiteral("/link")));
        QVERIFY(refuses(inside + QStringLiteral("/link/x")));
        QVERIFY(refuses(inside + QStringLiteral("/missing")));
        QVERIFY(refuses(QStringLiteral("relative/path")));

        // The folder's own ancestors may be links: only what lies below it is judged.
        const QString viaLink = root + QStringLiteral("/alias");
        QVERIFY(QFile::link(inside, viaLink));
        PathSafety::validate(viaLink + QStringLiteral("/deeper"), viaLink);
    }
};

QTEST_GUILESS_MAIN(RecordsTest)
#include "records_test.moc"
