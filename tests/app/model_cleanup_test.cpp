// The clean-up flow: guards, the record, pruning of results, notices, history.
#include "core/Vocabulary.h"
#include "support/FakeCore.h"

#include "app/presentation/ViewState.h"
#include "core/RecordJson.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <thread>

using namespace VarnollTest;
using Varnoll::Activity;
using Varnoll::CleanerModel;
using Varnoll::Page;
using Varnoll::ViewState;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class ModelCleanupTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everythingMovedGivesTheFirstNoticeForm()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::largeFiles);
        const FileEntry a = makeEntry(QStringLiteral("/d/a"), 1);
        const FileEntry b = makeEntry(QStringLiteral("/d/b"), 2);
        const FileEntry c = makeEntry(QStringLiteral("/d/c"), 4);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { a, b, c })));
        model->toggle(a);
        model->toggle(b);
        model->setShowReview(true);
        QSignalSpy records(model.get(), &CleanerModel::recordsChanged);
        model->cleanSelection();
        QVERIFY(!model->showReview());
        QVERIFY(model->busy());
        QCOMPARE(model->status(), trashWorded(QStringLiteral("正在移到废纸篓")));
        QVERIFY(waitIdle(*model));

        QCOMPARE(model->status(), trashWorded(QStringLiteral("已移入废纸篓 2 项")));
        QCOMPARE(model->notice(),
            std::optional<QString>(trashWorded(QStringLiteral("已将 2 项移到废纸篓。清空废纸篓后才会释放相应空间。"))));
        QCOMPARE(model->currentResult()->entries, QList<FileEntry> { c });
        QVERIFY(model->selection().isEmpty());
        QCOMPARE(records.count(), 1);
        QCOMPARE(model->records().size(), 1);
        QCOMPARE(model->records().first().count(), 2);
        QCOMPARE(f.core->cleanedIds.first(), (QSet<QUuid> { a.id, b.id }));

        // The history on disk reads back to the same records; preferences were written too.
        const auto stored = recordsFromJson(readAll(f.store + QStringLiteral("/history.json")));
        QVERIFY(stored.has_value());
        QCOMPARE(*stored, model->records());
        QCOMPARE(readAll(f.store + QStringLiteral("/preferences.json")), QByteArray(R"({"ignoredPaths":[]})"));
    }

    void partlyMovedGivesTheSecondFormAndDropsOtherKinds()
    {
        Fixture f;
        auto model = f.makeModel();
        QVERIFY(scanWith(
            *model, *f.core, ScanKind::junk, makeResult(ScanKind::junk, { makeEntry(QStringLiteral("/j"), 1) })));
        model->navigate(Page::largeFiles);
        QList<FileEntry> five;
        for (int i = 0; i < 5; ++i)
            five.append(makeEntry(QStringLiteral("/d/%1").arg(i), 10));
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, five)));
        for (const FileEntry &e : five)
            model->toggle(e);
        f.core->onClean = [&](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &,
                              const QList<DuplicateGroup> &, const QList<FileEntry> &) {
            return recordFor(snapshot, ids, { five[0].path, five[2].path, five[4].path });
        };
        model->cleanSelection();
        QVERIFY(waitIdle(*model));
        QCOMPARE(model->notice(),
            std::optional<QString>(
                trashWorded(QStringLiteral("3 项已移入废纸篓，2 项未处理。可在清理记录查看原因。"))));
        QCOMPARE(model->currentResult()->entries, (QList<FileEntry> { five[1], five[3] }));
        QVERIFY(!model->results().contains(ScanKind::junk)); // may show files that are gone
    }

    void nothingMovedKeepsOtherResults()
    {
        Fixture f;
        auto model = f.makeModel();
        QVERIFY(scanWith(
            *model, *f.core, ScanKind::junk, makeResult(ScanKind::junk, { makeEntry(QStringLiteral("/j"), 1) })));
        model->navigate(Page::largeFiles);
        const FileEntry a = makeEntry(QStringLiteral("/d/a"), 1);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { a })));
        model->toggle(a);
        f.core->onClean
            = [](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &,
                  const QList<DuplicateGroup> &, const QList<FileEntry> &) { return recordFor(snapshot, ids, {}); };
        model->cleanSelection();
        QVERIFY(waitIdle(*model));
        QCOMPARE(model->notice(),
            std::optional<QString>(
                trashWorded(QStringLiteral("0 项已移入废纸篓，1 项未处理。可在清理记录查看原因。"))));
        QVERIFY(model->results().contains(ScanKind::junk));
        QVERIFY(model->selection().isEmpty());
        QCOMPARE(model->currentResult()->entries.size(), 1);

        // An empty record takes the first form with 0.
        model->toggle(a);
        f.core->onClean = [](const QSet<QUuid> &, const QList<FileEntry> &, const QSet<QString> &,
                              const QList<DuplicateGroup> &, const QList<FileEntry> &) {
            CleanupRecord r;
            r.id = QUuid::createUuid();
            r.date = QDateTime::currentDateTimeUtc();
            return r;
        };
        model->cleanSelection();
        QVERIFY(waitIdle(*model));
        QCOMPARE(model->notice(),
            std::optional<QString>(trashWorded(QStringLiteral("已将 0 项移到废纸篓。清空废纸篓后才会释放相应空间。"))));
    }

    void movedApplicationTakesItsAssociatedEntriesOffTheList()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::applications);
        const FileEntry app
            = makeEntry(QStringLiteral("/A/Tool.app"), 10, FileCategory::application, QStringLiteral("t"));
        FileEntry data
            = makeEntry(QStringLiteral("/h/Caches/t"), 5, FileCategory::applicationData, QStringLiteral("t"));
        data.ownerID = app.id;
        const FileEntry other
            = makeEntry(QStringLiteral("/A/Other.app"), 10, FileCategory::application, QStringLiteral("o"));
        ScanResult result = makeResult(ScanKind::applications, { app, data, other });
        result.ownerApplications = { app };
        QVERIFY(scanWith(*model, *f.core, std::nullopt, result));
        model->toggle(app);
        model->cleanSelection();
        QVERIFY(waitIdle(*model));
        QCOMPARE(model->currentResult()->entries, QList<FileEntry> { other });
        QCOMPARE(f.core->cleanedIds.first(), QSet<QUuid> { app.id }); // the data was not asked for
    }

    void entriesInsideAMovedFolderLeaveWithIt()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::junk);
        const FileEntry folder = makeEntry(QStringLiteral("/h/.cache/tool"), 10, FileCategory::userCache);
        const FileEntry inner = makeEntry(QStringLiteral("/h/.cache/tool/old.log"), 3, FileCategory::logs);
        const FileEntry sibling = makeEntry(QStringLiteral("/h/.cache/tool2"), 4, FileCategory::userCache);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::junk, { folder, inner, sibling })));
        model->toggle(folder);
        model->toggle(inner);
        f.core->onClean = [&](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &,
                              const QList<DuplicateGroup> &, const QList<FileEntry> &) {
            return recordFor(snapshot, ids, { folder.path }); // the inner one went along, not counted
        };
        model->cleanSelection();
        QVERIFY(waitIdle(*model));
        QCOMPARE(model->currentResult()->entries, QList<FileEntry> { sibling });
    }

    void refusesOnSpaceWhileBusyOrWithNothingTicked()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::largeFiles);
        const FileEntry a = makeEntry(QStringLiteral("/d/a"), 1);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { a })));
        model->setShowReview(true);
        model->cleanSelection(); // nothing ticked
        QVERIFY(model->showReview());
        QVERIFY(!model->busy());

        // Ticked ids from another page do not count as a selection here.
        model->toggle(a);
        model->navigate(Page::space); // navigation clears the selection anyway
        model->setShowReview(true);
        model->cleanSelection();
        QVERIFY(model->showReview());
        QVERIFY(f.core->cleanedIds.isEmpty());

        model->navigate(Page::largeFiles);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { a })));
        model->toggle(a);
        Gate gate;
        f.core->onClean = [&](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &,
                              const QList<DuplicateGroup> &, const QList<FileEntry> &) {
            gate.wait();
            return recordFor(snapshot, ids, {});
        };
        QSignalSpy activity(model.get(), &CleanerModel::activityChanged);
        model->cleanSelection();
        QVERIFY(model->busy());
        QCOMPARE(model->activity(), Activity::cleaning);
        QVERIFY(!ViewState(model.get(), {}).showsCancel()); // a clean-up cannot be stopped
        model->setShowReview(true);
        model->cleanSelection(); // second one while busy: nothing
        model->scan(); // and no scan either
        QCOMPARE(model->status(), trashWorded(QStringLiteral("正在移到废纸篓")));
        gate.open();
        QVERIFY(waitIdle(*model));
        QCOMPARE(f.core->cleanedIds.size(), 1);
        QCOMPARE(model->activity(), Activity::idle);
        QCOMPARE(activity.count(), 2);
        QVERIFY(ViewState(model.get(), {}).showsCancel());
    }

    void quittingDuringACleanupKeepsItsRecord()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::largeFiles);
        const FileEntry a = makeEntry(QStringLiteral("/d/a"), 1);
        const FileEntry b = makeEntry(QStringLiteral("/d/b"), 2);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { a, b })));
        auto gate = std::make_shared<Gate>();
        f.core->onClean = [gate](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &,
                              const QList<DuplicateGroup> &, const QList<FileEntry> &) {
            gate->wait();
            QSet<QString> moved;
            for (const FileEntry &entry : snapshot) {
                if (ids.contains(entry.id))
                    moved.insert(entry.path);
            }
            return recordFor(snapshot, ids, moved);
        };
        QVERIFY(model->requestQuit()); // nothing moving: quit at once

        // The window asks while items move: not yet, and it is told why.
        model->toggle(a);
        model->cleanSelection();
        QSignalSpy ready(model.get(), &CleanerModel::quitReady);
        QVERIFY(!model->requestQuit());
        QCOMPARE(model->notice(),
            std::optional<QString>(
                trashWorded(QStringLiteral("正在把选中的项目移到废纸篓并保存清理记录，完成后将自动退出。"))));
        gate->open();
        QVERIFY(waitIdle(*model));
        QCOMPARE(ready.count(), 1);
        QCOMPARE(model->records().size(), 1);

        // The model goes away before the record arrives: it waits for it and saves it.
        model->toggle(b);
        model->cleanSelection();
        QVERIFY(model->cleaning());
        std::thread late([gate] {
            QThread::msleep(100);
            gate->open();
        });
        model.reset();
        late.join();
        const auto stored = recordsFromJson(readAll(f.store + QStringLiteral("/history.json")));
        QVERIFY(stored.has_value());
        QCOMPARE(stored->size(), 2);
        QCOMPARE(stored->first().items.first().path, b.path);
        QVERIFY(stored->first().items.first().moved);
    }

    void theHundredAndFirstRecordDropsTheOldest()
    {
        Fixture f;
        QList<CleanupRecord> old;
        for (int i = 0; i < 100; ++i) {
            CleanupRecord r;
            r.id = QUuid::createUuid();
            r.date = QDateTime::fromSecsSinceEpoch(1'700'000'000 + i, Qt::UTC);
            old.append(r);
        }
        QDir().mkpath(f.store);
        QFile file(f.store + QStringLiteral("/history.json"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(compactEscapedJson(QJsonDocument(toJson(old))));
        file.close();

        auto model = f.makeModel();
        QCOMPARE(model->records().size(), 100);
        model->navigate(Page::largeFiles);
        const FileEntry a = makeEntry(QStringLiteral("/d/a"), 1);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { a })));
        model->toggle(a);
        model->cleanSelection();
        QVERIFY(waitIdle(*model));
        QCOMPARE(model->records().size(), 100);
        QCOMPARE(model->records().last().id, old.at(98).id);
        QCOMPARE(model->records().first().items.first().path, a.path);
        const auto stored = recordsFromJson(readAll(f.store + QStringLiteral("/history.json")));
        QCOMPARE(stored->size(), 100);
    }

    void saveFailureAddsASecondLineAndKeepsTheRecord()
    {
        Fixture f;
        // A file where the store folder should be: writing must fail even as root.
        QFile blocker(f.store);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        auto model = f.makeModel();
        model->navigate(Page::largeFiles);
        const FileEntry a = makeEntry(QStringLiteral("/d/a"), 1);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { a })));
        model->toggle(a);
        model->cleanSelection();
        QVERIFY(waitIdle(*model));
        const QString notice = model->notice().value_or(QString());
        const QStringList lines = notice.split(u'\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], trashWorded(QStringLiteral("已将 1 项移到废纸篓。清空废纸篓后才会释放相应空间。")));
        QVERIFY2(
            lines[1].startsWith(QStringLiteral("本地记录未能保存：")) && lines[1].size() > 9, qPrintable(lines[1]));
        QCOMPARE(model->records().size(), 1);
    }

    void runningIdentifiersAreTakenWhenTheCleanupStartsAndNeverOnTheUiThread()
    {
        Fixture f;
        // A platform that takes its time (or never answers) must not hold the window.
        Gate gate;
        f.core->onRunning = [&gate] { gate.wait(); };
        auto model = f.makeModel(std::nullopt);
        model->navigate(Page::largeFiles);
        const FileEntry a = makeEntry(QStringLiteral("/d/a"), 1);
        f.core->onScan = [a](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                             const CancellationToken &) { return makeResult(ScanKind::largeFiles, { a }); };
        model->scan();
        QVERIFY(model->busy());
        gate.open(); // the start-up query
        gate.open(); // the scan's own
        QVERIFY(waitIdle(*model));
        for (int i = 0; i < 10; ++i)
            gate.open(); // the queries still to come answer at once
        f.core->running = { QStringLiteral("a.b") }; // started after the last look
        model->toggle(a);
        model->cleanSelection();
        QVERIFY(waitIdle(*model));
        QCOMPARE(f.core->cleanedRunning.first(), QSet<QString> { QStringLiteral("a.b") });
        QCOMPARE(f.core->runningQueriesOnUiThread.load(), 0);
    }

    void trashAndPrivacyAreHandedToTheDesktop()
    {
        Fixture f;
        auto model = f.makeModel();
        model->openTrash();
        model->openPrivacy();
        model->revealPath(QStringLiteral("/d/a"));
        QCOMPARE(f.core->trashOpened, 1);
        QCOMPARE(f.core->privacyOpened, 1);
        QCOMPARE(f.core->revealed, QStringList { QStringLiteral("/d/a") });
        QTest::qWait(10);
        QVERIFY(!model->notice());

        // When no program could show it, the notice says so and where to look.
        f.core->opens = false;
        model->revealPath(f.home + QStringLiteral("/下载/a.iso"));
        QTRY_COMPARE(
            model->notice(), std::optional<QString>(vocabulary().revealNotOpened.arg(QStringLiteral("~/下载/a.iso"))));
        model->openTrash();
        QTRY_VERIFY(model->noticeText().startsWith(vocabulary().trashNotOpened.section(u'%', 0, 0)));
        model->openPrivacy();
        QTRY_COMPARE(model->notice(), std::optional<QString>(vocabulary().settingsNotOpened));
    }
};

QTEST_GUILESS_MAIN(ModelCleanupTest)
#include "model_cleanup_test.moc"
