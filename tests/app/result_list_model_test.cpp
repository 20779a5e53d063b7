// The item list's model: in-place updates for ticks and filters, resets only for new results.
#include "support/FakeCore.h"

#include "app/presentation/ResultListModel.h"
#include "app/presentation/ReviewListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace VarnollTest;
using namespace Varnoll;

namespace {

QList<FileEntry> files(const QString &home, int count)
{
    QList<FileEntry> list;
    for (int i = 0; i < count; ++i)
        list.append(makeEntry(QStringLiteral("%1/d%2/file-%3.bin").arg(home).arg(i % 3).arg(i), 1000 + i));
    return list;
}

QStringList names(const ResultListModel &list)
{
    QStringList out;
    for (int i = 0; i < list.rowCount(); ++i)
        out.append(list.data(list.index(i), ResultListModel::NameRole).toString());
    return out;
}

} // namespace

class ResultListModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void tickingOneRowChangesThatRowOnly()
    {
        Fixture f;
        auto model = f.makeModel();
        ResultListModel list(model.get());
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->navigate(Page::largeFiles);
        const QList<FileEntry> entries = files(f.home, 10);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, entries)));
        QCOMPARE(list.count(), 10);
        QCOMPARE(list.data(list.index(3), ResultListModel::FolderRole).toString(), QStringLiteral("~/d0"));

        QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&list, &QAbstractItemModel::modelReset);
        model->toggle(entries.at(4));
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).toModelIndex().row(), 4);
        QCOMPARE(changed.at(0).at(1).toModelIndex().row(), 4);
        QVERIFY(list.data(list.index(4), ResultListModel::CheckedRole).toBool());
        QCOMPARE(reset.size(), 0);

        // Select-all is one range; the box follows.
        changed.clear();
        QSignalSpy all(&list, &ResultListModel::allSelectedChanged);
        model->toggleVisible();
        QVERIFY(list.allSelected());
        QCOMPARE(all.size(), 1);
        QCOMPARE(changed.size(), 2); // rows 0-3 and 5-9 around the ticked one
        model->toggleVisible();
        QVERIFY(!list.allSelected());
    }

    void searchRemovesAndRestoresRowsWithoutReset()
    {
        Fixture f;
        auto model = f.makeModel();
        ResultListModel list(model.get());
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->navigate(Page::largeFiles);
        const QList<FileEntry> entries = files(f.home, 12);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, entries)));
        model->toggle(entries.at(1));

        QSignalSpy reset(&list, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&list, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
        QSignalSpy counted(&list, &ResultListModel::countTextChanged);
        model->setSearch(QStringLiteral("/d1/"));
        QCOMPARE(names(list), (QStringList { "file-1.bin", "file-4.bin", "file-7.bin", "file-10.bin" }));
        QVERIFY(!list.allSelected());
        model->setSearch(QStringLiteral("file-1"));
        QCOMPARE(names(list), (QStringList { "file-1.bin", "file-10.bin", "file-11.bin" }));
        model->setSearch(QStringLiteral("nothing"));
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.countText(), QStringLiteral("0 项结果"));
        QVERIFY(!list.allSelected());
        model->setSearch(QString());
        QCOMPARE(list.count(), 12);
        QVERIFY(list.data(list.index(1), ResultListModel::CheckedRole).toBool());
        QCOMPARE(reset.size(), 0);
        QVERIFY(!removed.isEmpty());
        QVERIFY(!inserted.isEmpty());
        QVERIFY(counted.size() >= 4);
    }

    void scatteredFilterOfALongListStaysCorrect()
    {
        Fixture f;
        auto model = f.makeModel();
        ResultListModel list(model.get());
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->navigate(Page::largeFiles);
        const QList<FileEntry> entries = files(f.home, 600);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, entries)));
        model->toggle(entries.at(4));
        // Every third row leaves: hundreds of runs, handled as one reset.
        model->setSearch(QStringLiteral("/d1/"));
        QCOMPARE(list.count(), 200);
        QCOMPARE(list.data(list.index(1), ResultListModel::NameRole).toString(), QStringLiteral("file-4.bin"));
        QVERIFY(list.data(list.index(1), ResultListModel::CheckedRole).toBool());
        model->setSearch(QStringLiteral("file-59"));
        QCOMPARE(names(list),
            (QStringList { "file-59.bin", "file-590.bin", "file-591.bin", "file-592.bin", "file-593.bin",
                "file-594.bin", "file-595.bin", "file-596.bin", "file-597.bin", "file-598.bin", "file-599.bin" }));
        model->setSearch(QString());
        QCOMPARE(list.count(), 600);
    }

    void ignoringAndCleaningDropRowsInPlace()
    {
        Fixture f;
        auto model = f.makeModel();
        ResultListModel list(model.get());
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->navigate(Page::largeFiles);
        const QList<FileEntry> entries = files(f.home, 6);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, entries)));
        QSignalSpy reset(&list, &QAbstractItemModel::modelReset);
        model->ignore(entries.at(2));
        QCOMPARE(list.count(), 5);
        model->toggle(entries.at(0));
        model->toggle(entries.at(5));
        model->cleanSelection();
        QVERIFY(waitIdle(*model));
        QCOMPARE(names(list), (QStringList { "file-1.bin", "file-3.bin", "file-4.bin" }));
        QCOMPARE(reset.size(), 0);
        QVERIFY(!list.allSelected());
    }

    void newScanAndPageChangeReset()
    {
        Fixture f;
        auto model = f.makeModel();
        ResultListModel list(model.get());
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->navigate(Page::largeFiles);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, files(f.home, 5))));
        QSignalSpy reset(&list, &QAbstractItemModel::modelReset);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, files(f.home, 7))));
        QCOMPARE(list.count(), 7);
        QCOMPARE(reset.size(), 1);
        model->navigate(Page::junk);
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.countText(), QStringLiteral("0 项结果"));
    }

    void reviewListFollowsTheSelectionWhileShown()
    {
        Fixture f;
        auto model = f.makeModel();
        ReviewListModel review(model.get());
        QAbstractItemModelTester tester(&review, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model->navigate(Page::junk);
        QList<FileEntry> entries = files(f.home, 4);
        entries[2].category = FileCategory::applicationData;
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::junk, entries)));
        model->toggle(entries.at(3));
        model->toggle(entries.at(2));
        QCOMPARE(review.count(), 0); // not shown yet
        model->setShowReview(true);
        QCOMPARE(review.count(), 2);
        // In result order, with the full path.
        QCOMPARE(review.data(review.index(0), ReviewListModel::PathRole).toString(), entries.at(2).path);
        QVERIFY(review.data(review.index(0), ReviewListModel::IsApplicationDataRole).toBool());
        model->toggle(entries.at(0));
        QCOMPARE(review.count(), 3);
    }
};

QTEST_GUILESS_MAIN(ResultListModelTest)
#include "result_list_model_test.moc"
