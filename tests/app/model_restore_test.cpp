// Putting items back from the history: guards, the marks in history.json, stale results,
// per-item reasons and states as the history page lists them, quitting meanwhile.
#include "support/FakeCore.h"

#include "app/presentation/HistoryListModel.h"
#include "core/RecordJson.h"
#include "core/Vocabulary.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <thread>

using namespace VarnollTest;
using Varnoll::CleanerModel;
using Varnoll::HistoryListModel;
using Varnoll::ItemTrashState;
using Varnoll::Page;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A model whose history holds one clean-up that moved /d/a and /d/b and left /d/c.
std::unique_ptr<CleanerModel> modelWithRecord(Fixture &f)
{
    auto model = f.makeModel();
    model->navigate(Page::largeFiles);
    const FileEntry a = makeEntry(QStringLiteral("/d/a"), 1);
    const FileEntry b = makeEntry(QStringLiteral("/d/b"), 2);
    const FileEntry c = makeEntry(QStringLiteral("/d/c"), 4);
    if (!scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, { a, b, c })))
        return nullptr;
    f.core->onClean = [](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &,
                          const QList<DuplicateGroup> &, const QList<FileEntry> &) {
        return recordFor(snapshot, ids, { QStringLiteral("/d/a"), QStringLiteral("/d/b") });
    };
    model->toggle(a);
    model->toggle(b);
    model->toggle(c);
    model->cleanSelection();
    if (!waitIdle(*model) || !waitStored(*model))
        return nullptr;
    model->navigate(Page::history);
    return model;
}

RestoreOutcome failed(const QString &reason)
{
    RestoreOutcome outcome;
    outcome.message = reason;
    return outcome;
}

} // namespace

class ModelRestoreTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void restoreMarksTheHistoryAndDropsTheResultsItMakesStale()
    {
        Fixture f;
        auto model = modelWithRecord(f);
        QVERIFY(model);
        // Results made after the clean-up: one lists a folder holding /d/a, one does not.
        QVERIFY(scanWith(
            *model, *f.core, ScanKind::space, makeResult(ScanKind::space, { makeEntry(QStringLiteral("/d"), 9) })));
        QVERIFY(scanWith(
            *model, *f.core, ScanKind::junk, makeResult(ScanKind::junk, { makeEntry(QStringLiteral("/x/y"), 1) })));
        model->navigate(Page::history);
        QCOMPARE(model->itemTrashState(0, 0), ItemTrashState::inTrash);
        QCOMPARE(model->itemTrashState(0, 2), ItemTrashState::notMoved);

        model->restoreItem(0, 2); // not moved: nothing to put back
        QVERIFY(!model->busy());
        QSignalSpy states(model.get(), &CleanerModel::trashStateChanged);
        model->restoreItem(0, 0);
        QVERIFY(model->busy());
        QCOMPARE(model->status(), QStringLiteral("正在放回原处"));
        model->restoreRecord(0); // busy: ignored
        QVERIFY(waitIdle(*model));
        QCOMPARE(f.core->restored.size(), 1);
        QCOMPARE(f.core->restored.first().path, QStringLiteral("/d/a"));
        QCOMPARE(model->notice(), std::optional<QString>(QStringLiteral("已将“a”放回原处。")));
        QCOMPARE(model->status(), QStringLiteral("已放回原处 1 项"));
        QCOMPARE(model->itemTrashState(0, 0), ItemTrashState::restored);
        QVERIFY(states.count() >= 1);
        QVERIFY(!model->results().contains(ScanKind::space));
        QVERIFY(model->results().contains(ScanKind::junk));
        QCOMPARE(model->records().first().count(), 2); // what the clean-up did stays told

        QVERIFY(waitStored(*model));
        const auto stored = recordsFromJson(readAll(f.store + QStringLiteral("/history.json")));
        QVERIFY(stored.has_value());
        QVERIFY(stored->first().items.at(0).restoredDate.has_value());
        QVERIFY(!stored->first().items.at(1).restoredDate.has_value());

        // The record's button takes what is left; an item put back is not sent again.
        model->restoreRecord(0);
        QVERIFY(waitIdle(*model));
        QCOMPARE(f.core->restored.size(), 2);
        QCOMPARE(f.core->restored.last().path, QStringLiteral("/d/b"));
        QCOMPARE(model->itemTrashState(0, 1), ItemTrashState::restored);
    }

    void reasonsAndStatesReachTheHistoryRows()
    {
        Fixture f;
        auto model = modelWithRecord(f);
        QVERIFY(model);
        HistoryListModel history(model.get(), QLocale(QLocale::Chinese, QLocale::China));
        history.setExpanded(0, true);
        const QModelIndex record = history.index(0);
        const QModelIndex a = history.index(1);
        const QModelIndex b = history.index(2);
        const QModelIndex c = history.index(3);
        QVERIFY(history.data(record, HistoryListModel::CanRestoreAllRole).toBool());
        QCOMPARE(history.data(record, HistoryListModel::RestoreAllNameRole).toString(),
            trashWorded(QStringLiteral("把这次清理中仍在废纸篓里的 2 项全部放回原处")));
        QVERIFY(history.data(a, HistoryListModel::CanRestoreRole).toBool());
        QCOMPARE(history.data(a, HistoryListModel::RestoreNameRole).toString(), QStringLiteral("把“a”放回原处"));
        QVERIFY(!history.data(c, HistoryListModel::CanRestoreRole).toBool());

        // One comes back, one stays with its reason; the rows change in place.
        f.core->onRestore = [](const CleanupItemResult &item) {
            if (item.path == QLatin1String("/d/b"))
                return failed(QStringLiteral("原处已有同名项目，为免覆盖，未放回。"));
            RestoreOutcome outcome;
            outcome.restored = true;
            return outcome;
        };
        QSignalSpy resets(&history, &QAbstractItemModel::modelReset);
        QSignalSpy changes(&history, &QAbstractItemModel::dataChanged);
        model->restoreRecord(0);
        QVERIFY(waitIdle(*model));
        QCOMPARE(model->notice(),
            std::optional<QString>(QStringLiteral("1 项已放回原处，1 项未能放回。可在清理记录查看原因。")));
        QCOMPARE(resets.count(), 0);
        QVERIFY(changes.count() >= 1);
        QVERIFY(history.data(a, HistoryListModel::IsRestoredRole).toBool());
        QVERIFY(history.data(a, HistoryListModel::RestoreNoteRole).toString().startsWith(QStringLiteral("已于 ")));
        QCOMPARE(history.data(b, HistoryListModel::RestoreNoteRole).toString(),
            QStringLiteral("未能放回：原处已有同名项目，为免覆盖，未放回。"));
        QVERIFY(history.data(b, HistoryListModel::CanRestoreRole).toBool()); // it may be tried again
        QCOMPARE(history.data(record, HistoryListModel::RestoredSummaryRole).toString(),
            QStringLiteral("其中 1 项已放回原处"));

        // Emptied from the Trash meanwhile: it says so and loses its buttons.
        f.core->gone.insert(model->records().first().id, { 1 });
        model->refreshTrashPresence();
        QTRY_COMPARE(model->itemTrashState(0, 1), ItemTrashState::gone);
        QCOMPARE(history.data(b, HistoryListModel::RestoreNoteRole).toString(),
            trashWorded(QStringLiteral("已不在废纸篓中")));
        QVERIFY(!history.data(b, HistoryListModel::CanRestoreRole).toBool());
        QVERIFY(!history.data(record, HistoryListModel::CanRestoreAllRole).toBool());
        const int before = f.core->restored.size();
        model->restoreRecord(0);
        QVERIFY(!model->busy());
        QCOMPARE(f.core->restored.size(), before);
    }

    void quittingDuringARestoreKeepsItsMarks()
    {
        Fixture f;
        auto model = modelWithRecord(f);
        QVERIFY(model);
        auto gate = std::make_shared<Gate>();
        f.core->onRestore = [gate](const CleanupItemResult &) {
            gate->wait();
            RestoreOutcome outcome;
            outcome.restored = true;
            return outcome;
        };
        model->restoreItem(0, 0);
        QSignalSpy ready(model.get(), &CleanerModel::quitReady);
        QVERIFY(!model->requestQuit());
        QCOMPARE(model->notice(),
            std::optional<QString>(QStringLiteral("正在把项目放回原处并保存清理记录，完成后将自动退出。")));
        gate->open();
        QVERIFY(waitIdle(*model));
        QTRY_COMPARE(ready.count(), 1);

        // The model goes away before the outcome arrives: it waits for it and saves it.
        model->restoreItem(0, 1);
        QVERIFY(model->restoring());
        std::thread late([gate] {
            QThread::msleep(100);
            gate->open();
        });
        model.reset();
        late.join();
        const auto stored = recordsFromJson(readAll(f.store + QStringLiteral("/history.json")));
        QVERIFY(stored.has_value());
        QVERIFY(stored->first().items.at(0).restoredDate.has_value());
        QVERIFY(stored->first().items.at(1).restoredDate.has_value());
    }

    void theTrashIsMeasuredOnAWorkerWhenTheOverviewShows()
    {
        Fixture f;
        auto gate = std::make_shared<Gate>();
        f.core->onMeasureTrash = [gate] { gate->wait(); };
        auto model = f.makeModel();
        QVERIFY(model->trashMeasuring());
        QVERIFY(!model->trashUsage());
        model->navigate(Page::overview); // one more is asked for, after this one
        gate->open();
        gate->open();
        QTRY_VERIFY(!model->trashMeasuring());
        QCOMPARE(f.core->trashMeasurements.load(), 2);
        QCOMPARE(model->trashUsage()->items, 4);
        QCOMPARE(model->trashUsage()->bytes, 3000000);
    }
};

QTEST_GUILESS_MAIN(ModelRestoreTest)
#include "model_restore_test.moc"
