// The ignore list with its stored file, filters, folder choice and space browsing.
#include "support/FakeCore.h"

#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace VarnollTest;
using Varnoll::CleanerModel;
using Varnoll::Page;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ModelIgnoreFolderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ignoringAFolderRemovesItAndItsContentsFromEveryResult()
    {
        Fixture f;
        auto model = f.makeModel();
        const QString stuff = QStringLiteral("/Users/me/Downloads/Stuff");
        const FileEntry folder = makeEntry(stuff, 10, FileCategory::spaceItem);
        const FileEntry inside = makeEntry(stuff + QStringLiteral("/a.zip"), 5);
        const FileEntry sibling = makeEntry(QStringLiteral("/Users/me/Downloads/Stuff2"), 5);
        model->navigate(Page::space);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::space, { folder, sibling })));
        model->navigate(Page::duplicates);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::duplicates, { inside, sibling })));
        model->toggle(sibling);

        model->ignore(folder);
        QCOMPARE(model->preferences().ignoredPaths, QStringList { stuff });
        QCOMPARE(model->results().value(ScanKind::space).entries, QList<FileEntry> { sibling });
        QCOMPARE(model->results().value(ScanKind::duplicates).entries, QList<FileEntry> { sibling });
        QVERIFY(model->selection().contains(sibling.id));
        QVERIFY(waitStored(*model));
        QCOMPARE(readAll(f.store + QStringLiteral("/preferences.json")),
            QByteArray(R"({"ignoredPaths":["\/Users\/me\/Downloads\/Stuff"]})"));
        QCOMPARE(readAll(f.store + QStringLiteral("/history.json")), QByteArray("[]"));

        // Again: not added twice, but both files are written again.
        QFile::remove(f.store + QStringLiteral("/history.json"));
        model->ignore(folder);
        QCOMPARE(model->preferences().ignoredPaths.size(), 1);
        QVERIFY(waitStored(*model));
        QVERIFY(QFileInfo::exists(f.store + QStringLiteral("/history.json")));

        // Ignoring a ticked entry unticks it.
        model->ignore(sibling);
        QVERIFY(model->selection().isEmpty());
    }

    void trailingSlashIsItsOwnPrefix()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::largeFiles);
        const FileEntry root = makeEntry(QStringLiteral("/d/"), 1);
        const FileEntry child = makeEntry(QStringLiteral("/d/x"), 1);
        const FileEntry other = makeEntry(QStringLiteral("/dx"), 1);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { root, child, other })));
        model->ignore(root);
        QCOMPARE(model->currentResult()->entries, QList<FileEntry> { other });
    }

    void removeIgnoreWritesEvenWhenNothingChanged()
    {
        Fixture f;
        auto model = f.makeModel();
        model->removeIgnore(QStringLiteral("/not/there"));
        QVERIFY(waitStored(*model));
        QCOMPARE(readAll(f.store + QStringLiteral("/preferences.json")), QByteArray(R"({"ignoredPaths":[]})"));
        model->ignore(makeEntry(QStringLiteral("/a"), 1));
        model->ignore(makeEntry(QStringLiteral("/b"), 1));
        model->ignore(makeEntry(QStringLiteral("/c"), 1));
        QSignalSpy preferences(model.get(), &CleanerModel::preferencesChanged);
        model->removeIgnore(QStringLiteral("/b"));
        QCOMPARE(preferences.count(), 1);
        QCOMPARE(model->ignoredPaths(), (QStringList { QStringLiteral("/a"), QStringLiteral("/c") }));
        QVERIFY(waitStored(*model));

        auto reloaded = f.makeModel();
        QCOMPARE(reloaded->ignoredPaths(), (QStringList { QStringLiteral("/a"), QStringLiteral("/c") }));
    }

    void unusualPathsSurviveTheStoredList()
    {
        Fixture f;
        auto model = f.makeModel();
        const QString invalid = Morvane::pathFromBytes(QByteArray("/d/bad-\xff\xfe-name"));
        const QString odd = QStringLiteral("/d/\"quoted\"\\back\tslash\n新文件 😀");
        model->ignore(makeEntry(invalid, 1));
        model->ignore(makeEntry(odd, 1));
        QVERIFY(waitStored(*model));
        auto reloaded = f.makeModel();
        QCOMPARE(reloaded->ignoredPaths(), (QStringList { invalid, odd }));
        QCOMPARE(Morvane::pathToBytes(reloaded->ignoredPaths().first()), QByteArray("/d/bad-\xff\xfe-name"));
    }

    void persistFailureReachesTheNoticeAndKeepsTheChange()
    {
        Fixture f;
        QFile blocker(f.store);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto model = f.makeModel();
        model->ignore(makeEntry(QStringLiteral("/a"), 1));
        QVERIFY(waitStored(*model));
        QVERIFY(model->notice().has_value());
        QVERIFY(model->notice()->startsWith(QStringLiteral("本地记录未能保存：")));
        QCOMPARE(model->ignoredPaths(), QStringList { QStringLiteral("/a") });
        QFile::remove(f.store);
        model->clearNotice();
        model->removeIgnore(QStringLiteral("/x")); // now it works, and writes the kept change
        QVERIFY(waitStored(*model));
        QVERIFY(!model->notice());
        QCOMPARE(readAll(f.store + QStringLiteral("/preferences.json")), QByteArray(R"({"ignoredPaths":["\/a"]})"));

        // A missing intermediate folder is created.
        Fixture deep;
        Varnoll::ModelOptions options;
        options.home = deep.home;
        options.store = deep.home + QStringLiteral("/a/b/c");
        Varnoll::CleanerModel nested(deep.core, options);
        nested.removeIgnore(QStringLiteral("/x"));
        QVERIFY(waitStored(nested));
        QVERIFY(!nested.notice());
        QVERIFY(QFileInfo::exists(deep.home + QStringLiteral("/a/b/c/history.json")));
    }

    void filterChangeDropsOnlyTheCurrentResult()
    {
        Fixture f;
        auto model = f.makeModel();
        QVERIFY(scanWith(
            *model, *f.core, ScanKind::junk, makeResult(ScanKind::junk, { makeEntry(QStringLiteral("/j"), 1) })));
        model->navigate(Page::largeFiles);
        const FileEntry a = makeEntry(QStringLiteral("/d/a"), 1);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { a })));
        model->toggle(a);
        model->setMinimumSizeMB(10);
        model->changeFileFilters();
        QVERIFY(!model->results().contains(ScanKind::largeFiles));
        QVERIFY(model->results().contains(ScanKind::junk));
        QVERIFY(model->selection().isEmpty());

        model->navigate(Page::overview);
        model->changeFileFilters(); // no scan kind: nothing
        QVERIFY(model->results().contains(ScanKind::junk));
    }

    void choosingAFolderResolvesLinksDropsFolderResultsAndScans()
    {
        Fixture f;
        f.core->resolvedPrefix = QStringLiteral("/real");
        auto model = f.makeModel();
        QVERIFY(scanWith(*model, *f.core, ScanKind::junk, makeResult(ScanKind::junk, {})));
        model->navigate(Page::duplicates);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::duplicates, {})));

        QSignalSpy requested(model.get(), &CleanerModel::directoryRequested);
        model->chooseDirectory();
        QCOMPARE(requested.count(), 1);
        QCOMPARE(requested.first().at(0).toString(), QStringLiteral("扫描此文件夹"));
        QCOMPARE(requested.first().at(1).toString(), QStringLiteral("只扫描所选文件夹；文件处理需要另行选择并确认。"));

        model->directoryChosen(QString()); // cancelled
        QCOMPARE(model->largeDirectory(), f.home + QStringLiteral("/Downloads"));
        f.core->onScan = [](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &,
                             const CancellationToken &) { return makeResult(kind, {}); };
        model->directoryChosen(QStringLiteral("/link/Photos"));
        QCOMPARE(model->largeDirectory(), QStringLiteral("/real/Photos"));
        QVERIFY(waitIdle(*model));
        QCOMPARE(f.core->directories.last(), QStringLiteral("/real/Photos"));
        QVERIFY(model->results().contains(ScanKind::duplicates)); // the new scan's result
        QVERIFY(model->results().contains(ScanKind::junk));
    }

    void setDirectoryKeepsFolderIndependentResults()
    {
        Fixture f;
        auto model = f.makeModel();
        for (ScanKind kind : { ScanKind::junk, ScanKind::applications, ScanKind::largeFiles, ScanKind::duplicates,
                 ScanKind::space, ScanKind::installers, ScanKind::browser })
            QVERIFY(scanWith(*model, *f.core, kind, makeResult(kind, {})));
        model->setDirectory(QStringLiteral("/elsewhere"));
        QCOMPARE(QSet<ScanKind>(model->results().keyBegin(), model->results().keyEnd()),
            (QSet<ScanKind> { ScanKind::junk, ScanKind::applications, ScanKind::browser }));
    }

    void drillingIntoFoldersIsValidatedAndRescans()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::space);
        FileEntry folder = makeEntry(f.home + QStringLiteral("/Downloads/Photos"), 10, FileCategory::spaceItem);
        folder.kind = EntryKind::folder();
        const FileEntry file = makeEntry(f.home + QStringLiteral("/Downloads/a.iso"), 10, FileCategory::spaceItem);
        FileEntry outside = makeEntry(QStringLiteral("/etc"), 1, FileCategory::spaceItem);
        outside.kind = EntryKind::folder();
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::space, { folder, file, outside })));

        model->drillInto(file); // a file: nothing
        QCOMPARE(model->largeDirectory(), f.home + QStringLiteral("/Downloads"));
        QVERIFY(!model->busy());

        f.core->onValidate = [](const QString &path, const QString &inside) {
            if (!path.startsWith(inside + u'/'))
                throw PathSafetyError(QStringLiteral("不在当前文件夹之内"));
        };
        model->drillInto(outside);
        QCOMPARE(model->notice(), std::optional<QString>(QStringLiteral("不在当前文件夹之内")));
        QCOMPARE(model->largeDirectory(), f.home + QStringLiteral("/Downloads"));
        QVERIFY(model->results().contains(ScanKind::space));

        f.core->onScan = [](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &,
                             const CancellationToken &) { return makeResult(kind, {}); };
        model->drillIntoId(folder.id.toString());
        QCOMPARE(model->largeDirectory(), folder.path);
        QVERIFY(waitIdle(*model));
        QCOMPARE(f.core->directories.last(), folder.path);

        model->parentSpace();
        QCOMPARE(model->largeDirectory(), f.home + QStringLiteral("/Downloads"));
        QVERIFY(waitIdle(*model));
    }

    void spaceFoldersInsideTheScanOpenWithoutScanningAgain()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::space);
        const QString root = f.home + QStringLiteral("/Downloads");
        QVERIFY(scanWith(*model, *f.core, std::nullopt,
            makeSpaceResult(root, { { "photos/2024/a.jpg", 5000 }, { "photos/b.jpg", 300 }, { "notes.txt", 20 } })));
        const QList<FileEntry> top = model->currentResult()->entries;
        const auto shown = [&] {
            QStringList names;
            const QList<FileEntry> entries = model->currentResult()->entries;
            for (const FileEntry &e : entries)
                names << QStringLiteral("%1 %2").arg(e.name).arg(e.bytes);
            return names;
        };
        const auto entry = [&](const QString &name) {
            const QList<FileEntry> entries = model->currentResult()->entries;
            for (const FileEntry &e : entries) {
                if (e.name == name)
                    return e;
            }
            return FileEntry {};
        };

        model->drillInto(entry(QStringLiteral("photos")));
        QVERIFY(!model->busy());
        QCOMPARE(model->largeDirectory(), root + QStringLiteral("/photos"));
        QCOMPARE(shown(), (QStringList { "2024 9096", "b.jpg 300" }));
        model->drillIntoId(entry(QStringLiteral("2024")).id.toString());
        QCOMPARE(shown(), QStringList { "a.jpg 5000" });
        model->parentSpace();
        model->parentSpace();
        QCOMPARE(model->largeDirectory(), root);
        QCOMPARE(model->currentResult()->entries, top); // the same rows, the same ids
        QCOMPARE(f.core->directories.size(), 1);

        // An ignored folder leaves the counts of every folder above it.
        model->drillInto(entry(QStringLiteral("photos")));
        model->ignore(entry(QStringLiteral("2024")));
        QCOMPARE(shown(), QStringList { "b.jpg 300" });
        model->parentSpace();
        QCOMPARE(shown(), (QStringList { "photos 4396", "notes.txt 20" }));
        QCOMPARE(f.core->directories.size(), 1);

        // Above the scanned folder, and "重新扫描", walk again.
        f.core->onScan = [](ScanKind, const QString &directory, const FileQuery &, const ProgressFn &,
                             const CancellationToken &) { return makeSpaceResult(directory, {}); };
        model->parentSpace();
        QVERIFY(model->busy());
        QVERIFY(waitIdle(*model));
        model->scan();
        QVERIFY(waitIdle(*model));
        QCOMPARE(f.core->directories, (QStringList { root, f.home, f.home }));
    }

    void parentSpaceNeverClimbsToTheRoot()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::space);
        model->setDirectory(QStringLiteral("/Users"));
        QVERIFY(!model->canGoToParent());
        model->parentSpace();
        QCOMPARE(model->largeDirectory(), QStringLiteral("/Users"));
        QVERIFY(!model->busy());

        model->setDirectory(QStringLiteral("/Users/me"));
        QVERIFY(model->canGoToParent());
        model->navigate(Page::largeFiles);
        model->parentSpace(); // only on the space page
        QCOMPARE(model->largeDirectory(), QStringLiteral("/Users/me"));
        model->navigate(Page::space);
        model->parentSpace();
        QCOMPARE(model->largeDirectory(), QStringLiteral("/Users"));
        QVERIFY(waitIdle(*model));
        QCOMPARE(f.core->directories.last(), QStringLiteral("/Users"));
    }
};

QTEST_GUILESS_MAIN(ModelIgnoreFolderTest)
#include "model_ignore_folder_test.moc"
