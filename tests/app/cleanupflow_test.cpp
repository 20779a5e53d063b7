// From a scanned fixture folder through the model's clean-up to the Trash and the
// history on disk, with the real clean-up service behind a small CoreServices fake.
#include "core/Vocabulary.h"
#include "core/support/TrashFixtures.h"

#include "app/CleanerModel.h"
#include "core/CleanupService.h"
#include "core/PathSafety.h"
#include "core/RecordJson.h"
#include "core/RestoreService.h"
#include "core/Scanner.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace Morvane;
using namespace Varnoll;
using namespace TrashFixtures;

namespace {

class FixtureScanner : public ScanRunner {
public:
    explicit FixtureScanner(ScanResult result)
        : m_result(std::move(result))
    {
    }
    ScanResult scan(
        ScanKind kind, const QString &, const FileQuery &, const ProgressFn &, const CancellationToken &) override
    {
        ScanResult result = m_result;
        result.kind = kind;
        return result;
    }

private:
    ScanResult m_result;
};

// The real clean-up service; everything else answers from the fixture.
class FixtureServices : public CoreServices {
public:
    ScanResult scanResult;
    CleanupEnvironment environment;

    std::unique_ptr<ScanRunner> makeScanner(const ScanConfiguration &) override
    {
        return std::make_unique<FixtureScanner>(scanResult);
    }
    CleanupRecord clean(const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &running,
        const QList<DuplicateGroup> &groups, const QList<FileEntry> &owners) override
    {
        return CleanupService(environment).clean(ids, snapshot, running, groups, owners);
    }
    void validatePath(const QString &path, const QString &inside) override { PathSafety::validate(path, inside); }
    QSet<QString> runningApplicationIDs() override { return {}; }
    std::optional<VolumeCapacity> homeVolumeCapacity() override { return VolumeCapacity { 1000, 500 }; }
    QString resolveSymlinks(const QString &path) override { return path; }
    QList<RestoreOutcome> restore(const QList<CleanupItemResult> &items) override
    {
        RestoreEnvironment restoring;
        restoring.home = environment.home;
        QList<RestoreOutcome> outcomes;
        for (const CleanupItemResult &item : items)
            outcomes.append(RestoreService(restoring).restore(item));
        return outcomes;
    }
    QHash<QUuid, QList<int>> goneFromTrash(const QList<CleanupRecord> &) override { return {}; }
    TrashUsage measureTrash() override { return {}; }
    void revealFile(const QString &, Opened) override { }
    void openTrash(Opened) override { }
    void openPrivacySettings(Opened) override { }
    bool hasPrivacySettings() override { return false; }
};

// The real scanner in front of the real clean-up service.
class RealScanServices : public FixtureServices {
public:
    std::unique_ptr<ScanRunner> makeScanner(const ScanConfiguration &configuration) override
    {
        class Runner : public ScanRunner {
        public:
            explicit Runner(ScanConfiguration c)
                : m_scanner(std::move(c))
            {
            }
            ScanResult scan(ScanKind kind, const QString &directory, const FileQuery &query, const ProgressFn &progress,
                const CancellationToken &cancel) override
            {
                return m_scanner.scan(kind, directory, query, progress, cancel);
            }

        private:
            Scanner m_scanner;
        };
        return std::make_unique<Runner>(configuration);
    }
};

} // namespace

class CleanupFlowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cleansExactlyTheSelectionIntoTheTrashAndRecordsIt()
    {
        QTemporaryDir root;
        const QString home = joinPath(root.path(), QStringLiteral("home"));
        const QString downloads = joinPath(home, QStringLiteral("Downloads"));
        const QString data = joinPath(home, QStringLiteral(".local/share"));
        const QString store = joinPath(root.path(), QStringLiteral("store"));
        QVERIFY(QDir().mkpath(downloads));
        ScopedDataHome dataHome(data); // the model's own Trash lives here, not in the real home

        const QStringList names = { QStringLiteral("旧 安装包 #1.iso"), QStringLiteral("keep me.mp4"),
            QStringLiteral("100% backup.tar"), QStringLiteral("will change.bin"), QStringLiteral("project folder") };
        QList<FileEntry> entries;
        for (const QString &name : names) {
            const QString path = joinPath(downloads, name);
            if (name == QLatin1String("project folder")) {
                QVERIFY(makeFolder(path));
                QVERIFY(makeFolder(joinPath(path, QStringLiteral("src"))));
                QVERIFY(writeFile(joinPath(path, QStringLiteral("src/main.cpp")), "int main() {}"));
            } else {
                QVERIFY(writeFile(path, name.toUtf8().repeated(100)));
            }
            entries.append(scannedEntry(path, downloads, FileCategory::largeFile));
        }

        auto services = std::make_shared<FixtureServices>();
        services->scanResult.entries = entries;
        services->scanResult.date = QDateTime::currentDateTimeUtc();
        services->scanResult.coverage = { ScanCoverage { FileCategory::largeFile, CoverageState::complete, 5 } };
        services->environment.home = home;
        ModelOptions options;
        options.home = home;
        options.store = store;
        options.runningBundleIDs = QSet<QString>();
        CleanerModel model(services, options);

        model.navigate(Page::largeFiles);
        model.scan();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 10000);
        QCOMPARE(model.currentResult()->entries.size(), 5);

        const QList<int> chosen = { 0, 2, 3, 4 };
        for (const int i : chosen)
            model.toggle(entries.at(i));
        QCOMPARE(model.selectedCount(), 4);
        QVERIFY(writeFile(entries.at(3).path, "changed after the scan"));
        model.setShowReview(true);
        model.cleanSelection();
        QVERIFY(!model.showReview());
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 10000);

        // Exactly the selected, unchanged items are in the Trash, each with its info.
        const QString trash = joinPath(data, QStringLiteral("Trash"));
        QCOMPARE(entriesOf(joinPath(trash, QStringLiteral("files"))),
            (QStringList { names.at(2), names.at(4), names.at(0) }));
        for (const int i : { 0, 2, 4 }) {
            const TrashInfo info = readTrashInfo(joinPath(trash, QStringLiteral("info/%1.trashinfo").arg(names.at(i))));
            QVERIFY(info.valid);
            QCOMPARE(info.path, pathToBytes(entries.at(i).path));
            QVERIFY(!exists(entries.at(i).path));
        }
        QCOMPARE(readFile(entries.at(1).path), names.at(1).toUtf8().repeated(100));
        QCOMPARE(readFile(entries.at(3).path), "changed after the scan");

        // The model: record first in the history, moved items gone from the result.
        QCOMPARE(model.records().size(), 1);
        const CleanupRecord record = model.records().first();
        QCOMPARE(record.items.size(), 4);
        QCOMPARE(record.count(), 3);
        QCOMPARE(record.items.at(2).path, entries.at(3).path);
        QCOMPARE(record.items.at(2).message, QStringLiteral("扫描后已被修改，未移动。"));
        QCOMPARE(model.notice().value_or(QString()),
            trashWorded(QStringLiteral("3 项已移入废纸篓，1 项未处理。可在清理记录查看原因。")));
        QCOMPARE(model.status(), trashWorded(QStringLiteral("已移入废纸篓 3 项")));
        QCOMPARE(model.currentResult()->entries.size(), 2);
        QVERIFY(model.selection().isEmpty());

        // And the history on disk says the same, trash locations included.
        const auto stored = recordsFromJson(readFile(joinPath(store, QStringLiteral("history.json"))));
        QVERIFY(stored.has_value());
        QCOMPARE(stored->size(), 1);
        QCOMPARE(stored->first().items.size(), 4);
        QCOMPARE(stored->first().count(), 3);
        QCOMPARE(stored->first().items.at(0).trashPath, joinPath(trash, QStringLiteral("files/%1").arg(names.at(0))));
        QVERIFY(!stored->first().items.at(2).moved);

        // Back from the history: one item, then the rest of the record; each restore is
        // marked in history.json, and the result that listed their folder is dropped.
        QCOMPARE(model.itemTrashState(0, 1), ItemTrashState::inTrash);
        QCOMPARE(model.itemTrashState(0, 2), ItemTrashState::notMoved);
        model.restoreItem(0, 1);
        QVERIFY(model.busy());
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 10000);
        QCOMPARE(readFile(entries.at(2).path), names.at(2).toUtf8().repeated(100));
        QCOMPARE(model.notice().value_or(QString()), QStringLiteral("已将“%1”放回原处。").arg(names.at(2)));
        QCOMPARE(model.itemTrashState(0, 1), ItemTrashState::restored);
        QVERIFY(!model.results().contains(ScanKind::largeFiles));
        model.restoreRecord(0);
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 10000);
        QCOMPARE(readFile(joinPath(entries.at(4).path, QStringLiteral("src/main.cpp"))), "int main() {}");
        QVERIFY(exists(entries.at(0).path));
        QCOMPARE(entriesOf(joinPath(trash, QStringLiteral("files"))), QStringList());
        QCOMPARE(entriesOf(joinPath(trash, QStringLiteral("info"))), QStringList());
        QCOMPARE(model.notice().value_or(QString()), QStringLiteral("已将 2 项放回原处。"));
        QTRY_VERIFY(!model.storeBusy());
        const auto marked = recordsFromJson(readFile(joinPath(store, QStringLiteral("history.json"))));
        QVERIFY(marked.has_value());
        for (const int i : { 0, 1, 3 })
            QVERIFY(marked->first().items.at(i).restoredDate.has_value());
        QVERIFY(!marked->first().items.at(2).restoredDate.has_value());
        QCOMPARE(marked->first().count(), 3); // the record still tells what the clean-up did
    }

    void realDuplicateScanOfAFolderOutsideHomeKeepsOneCopy()
    {
        QTemporaryDir root;
        const QString home = joinPath(root.path(), QStringLiteral("home"));
        const QString folder = joinPath(root.path(), QStringLiteral("pictures"));
        const QString data = joinPath(home, QStringLiteral(".local/share"));
        QVERIFY(QDir().mkpath(home));
        QVERIFY(QDir().mkpath(folder));
        ScopedDataHome dataHome(data);
        const QByteArray photo = QByteArray("jpeg-bytes-").repeated(500);
        QVERIFY(writeFile(joinPath(folder, QStringLiteral("a.jpg")), photo));
        QVERIFY(writeFile(joinPath(folder, QStringLiteral("a copy.jpg")), photo));
        QVERIFY(writeFile(joinPath(folder, QStringLiteral("other.jpg")), QByteArray("other").repeated(1100)));

        auto services = std::make_shared<RealScanServices>();
        services->environment.home = home;
        ModelOptions options;
        options.home = home;
        options.store = joinPath(root.path(), QStringLiteral("store"));
        options.runningBundleIDs = QSet<QString>();
        CleanerModel model(services, options);
        model.navigate(Page::duplicates);
        model.setDirectory(folder);
        model.scan();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 20000);
        const ScanResult result = *model.currentResult();
        QCOMPARE(result.duplicateGroups.size(), 1);
        QCOMPARE(result.duplicateGroups.first().files.size(), 2);
        for (const FileEntry &entry : result.entries)
            QCOMPARE(entry.scope, folder); // found outside home, still checkable

        model.toggleVisible(); // keeps the first copy of the group
        QCOMPARE(model.selectedCount(), 1);
        const QString kept = result.duplicateGroups.first().files.first().path;
        const QString chosen = model.selectedEntries().first().path;
        model.cleanSelection();
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy(), 20000);
        QCOMPARE(model.records().first().count(), 1);
        QVERIFY(exists(kept));
        QVERIFY(!exists(chosen));
        QCOMPARE(entriesOf(joinPath(data, QStringLiteral("Trash/files"))), QStringList { lastComponent(chosen) });
        QVERIFY(exists(joinPath(folder, QStringLiteral("other.jpg"))));
    }
};

QTEST_GUILESS_MAIN(CleanupFlowTest)
#include "cleanupflow_test.moc"
