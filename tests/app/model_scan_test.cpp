// The scan life cycle: preparation, progress, finish, cancel, failure, guards.
#include "support/FakeCore.h"

#include <QSignalSpy>
#include <QTest>

#include <limits>

using namespace VarnollTest;
using Varnoll::CleanerModel;
using Varnoll::Page;

class ModelScanTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void scanFromOverviewSwitchesToJunkAndStoresTheResult()
    {
        Fixture f;
        auto model = f.makeModel();
        f.core->onScan = [](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                             const CancellationToken &) -> ScanResult { throw ScanError(QStringLiteral("earlier")); };
        model->scan(ScanKind::applications);
        QVERIFY(waitIdle(*model));
        QVERIFY(model->notice().has_value());
        model->navigate(Page::overview);
        model->setSearch(QStringLiteral("old"));
        model->setMinimumSizeMB(7);
        QSignalSpy busy(model.get(), &CleanerModel::busyChanged);
        QSignalSpy status(model.get(), &CleanerModel::statusChanged);
        const int volumeReads = f.core->volumeQueries;

        ScanResult result
            = makeResult(ScanKind::junk, { makeEntry(QStringLiteral("/h/.cache/a"), 10, FileCategory::userCache) },
                CoverageState::complete, { FileCategory::userCache });
        result.examined = 42;
        f.core->onScan = [&](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &progress,
                             const CancellationToken &) {
            progress(QStringLiteral("正在检查缓存"), 7);
            ScanResult r = result;
            r.kind = kind;
            return r;
        };
        model->scan(ScanKind::junk);
        QCOMPARE(model->page(), Page::junk);
        QCOMPARE(model->search(), QString());
        QCOMPARE(model->minimumSizeMB(), 100);
        QVERIFY(model->busy());
        QVERIFY(model->hasWorker());
        QVERIFY(!model->notice());
        QCOMPARE(model->status(), QStringLiteral("正在准备扫描"));
        QVERIFY(waitIdle(*model));

        QCOMPARE(model->status(), QStringLiteral("扫描完成"));
        QCOMPARE(model->examined(), 42);
        QVERIFY(!model->hasWorker());
        QCOMPARE(model->results().value(ScanKind::junk).entries.size(), 1);
        QVERIFY(f.core->volumeQueries > volumeReads);
        QCOMPARE(busy.count(), 2);
        // preparing, the progress line, the final status
        QVERIFY(status.count() >= 3);
    }

    void scanWithoutKindOnHistoryScansJunkAndKeepsThePage()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::history);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::junk, {})));
        QCOMPARE(model->page(), Page::history);
        QVERIFY(model->results().contains(ScanKind::junk));
        model->navigate(Page::duplicates);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::duplicates, {})));
        QVERIFY(model->results().contains(ScanKind::duplicates));
    }

    void incompleteCoverageHasItsOwnStatus()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::junk);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::junk, {}, CoverageState::partial)));
        QCOMPARE(model->status(), QStringLiteral("扫描结束，部分范围未完成"));
        QVERIFY(model->currentResult()->hasIncompleteCoverage());
    }

    void secondScanWhileBusyIsDropped()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::junk);
        Gate gate;
        std::atomic<int> calls { 0 };
        f.core->onScan
            = [&](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &, const CancellationToken &) {
                  ++calls;
                  gate.wait();
                  return makeResult(kind, { makeEntry(QStringLiteral("/x"), 1) });
              };
        model->scan();
        model->scan(ScanKind::applications);
        QVERIFY(model->busy());
        gate.open();
        QVERIFY(waitIdle(*model));
        QCOMPARE(calls.load(), 1);
        QVERIFY(model->results().contains(ScanKind::junk));
        QVERIFY(!model->results().contains(ScanKind::applications));
    }

    void cancellingKeepsThePreviousResult()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::junk);
        const FileEntry kept = makeEntry(QStringLiteral("/kept"), 5);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::junk, { kept })));
        model->toggle(kept);
        QCOMPARE(model->selection().size(), 1);

        f.core->onScan = [](ScanKind, const QString &, const FileQuery &, const ProgressFn &progress,
                             const CancellationToken &cancel) -> ScanResult {
            progress(QStringLiteral("正在检查"), 3);
            while (!cancel.isCancelled())
                QThread::msleep(2);
            throw CancellationError();
        };
        model->scan();
        QVERIFY(model->selection().isEmpty());
        QTRY_COMPARE(model->examined(), 3);
        model->cancelScan();
        QVERIFY(waitIdle(*model));
        QCOMPARE(model->status(), QStringLiteral("扫描已取消，保留上次结果"));
        QCOMPARE(model->currentResult()->entries.first().path, QStringLiteral("/kept"));
        QVERIFY(model->selection().isEmpty());
        QVERIFY(!model->notice());
        QCOMPARE(model->examined(), 3);
        QVERIFY(!model->hasWorker());
        model->cancelScan(); // nothing to cancel: harmless
    }

    void failureShowsTheErrorAndKeepsResults()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::junk);
        QVERIFY(scanWith(
            *model, *f.core, std::nullopt, makeResult(ScanKind::junk, { makeEntry(QStringLiteral("/a"), 1) })));
        const int volumeReads = f.core->volumeQueries;
        f.core->onScan
            = [](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                  const CancellationToken &) -> ScanResult { throw ScanError(QStringLiteral("无法打开文件夹")); };
        model->scan();
        QVERIFY(waitIdle(*model));
        QCOMPARE(model->notice(), std::optional<QString>(QStringLiteral("无法打开文件夹")));
        QCOMPARE(model->status(), QStringLiteral("扫描未完成"));
        QCOMPARE(model->currentResult()->entries.size(), 1);
        QVERIFY(!model->hasWorker());
        QVERIFY(f.core->volumeQueries > volumeReads);
    }

    void aResultReturnedDespiteCancellationCounts()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::junk);
        Gate gate;
        f.core->onScan
            = [&](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &, const CancellationToken &) {
                  gate.wait();
                  return makeResult(kind, { makeEntry(QStringLiteral("/late"), 1) });
              };
        model->scan();
        model->cancelScan();
        gate.open();
        QVERIFY(waitIdle(*model));
        QCOMPARE(model->status(), QStringLiteral("扫描完成"));
        QVERIFY(model->currentResult().has_value());
    }

    void lateProgressDoesNotOverwriteTheFinalStatus()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::junk);
        ProgressFn captured;
        ScanResult result = makeResult(ScanKind::junk, {});
        result.examined = 99;
        f.core->onScan
            = [&](ScanKind, const QString &, const FileQuery &, const ProgressFn &progress, const CancellationToken &) {
                  captured = progress;
                  return result;
              };
        model->scan();
        QVERIFY(waitIdle(*model));
        QVERIFY(captured);
        captured(QStringLiteral("迟到的进度"), 5); // as if the scanner's last report raced the end
        QTest::qWait(50);
        QCoreApplication::processEvents();
        QCOMPARE(model->status(), QStringLiteral("扫描完成"));
        QCOMPARE(model->examined(), 99);
    }

    void configurationAndQueryComeFromTheModel()
    {
        Fixture f;
        auto model = f.makeModel(QSet<QString> { QStringLiteral("run.app") });
        model->navigate(Page::largeFiles);
        model->setMinimumSizeMB(-5);
        model->setOlderThanDays(0);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, {})));
        model->setMinimumSizeMB(100);
        model->setOlderThanDays(-3);
        model->setFileType(FileTypeFilter::audio);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, {})));
        model->setMinimumSizeMB(std::numeric_limits<qint64>::max() / 1000);
        model->setOlderThanDays(30);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::largeFiles, {})));

        QCOMPARE(f.core->queries.size(), 3);
        QCOMPARE(f.core->queries[0].minimumBytes, 0);
        QCOMPARE(f.core->queries[0].olderThanDays, std::nullopt);
        QCOMPARE(f.core->queries[1].minimumBytes, 104857600);
        QCOMPARE(f.core->queries[1].olderThanDays, std::nullopt);
        QCOMPARE(f.core->queries[1].fileType, FileTypeFilter::audio);
        // An oversized filter is clamped instead of overflowing into a negative bound.
        QCOMPARE(f.core->queries[2].minimumBytes, std::numeric_limits<std::int64_t>::max());
        QCOMPARE(f.core->queries[2].olderThanDays, std::optional<int>(30));

        const ScanConfiguration &c = f.core->configurations.first();
        QCOMPARE(c.home, f.home);
        QCOMPARE(c.entryLimit, 5000);
        QCOMPARE(c.visitLimit, 200000);
        QCOMPARE(c.timeLimit, 45.0);
        QCOMPARE(c.runningBundleIDs, QSet<QString> { QStringLiteral("run.app") });
        QCOMPARE(c.systemLibrary, QStringLiteral("/Library"));
        QVERIFY(c.now.isValid());
        QCOMPARE(f.core->directories.first(), f.home + QStringLiteral("/Downloads"));
    }

    void pathIgnoredDuringAScanDoesNotComeBackWithItsResult()
    {
        Fixture f;
        auto model = f.makeModel();
        model->navigate(Page::junk);
        const FileEntry folder = makeEntry(QStringLiteral("/h/.cache/tool"), 10, FileCategory::userCache);
        QVERIFY(scanWith(*model, *f.core, std::nullopt, makeResult(ScanKind::junk, { folder })));

        Gate gate;
        f.core->onScan
            = [&](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &, const CancellationToken &) {
                  gate.wait();
                  return makeResult(kind,
                      { makeEntry(QStringLiteral("/h/.cache/tool"), 10, FileCategory::userCache),
                          makeEntry(QStringLiteral("/h/.cache/tool/sub"), 3, FileCategory::userCache),
                          makeEntry(QStringLiteral("/h/.cache/tool2"), 4, FileCategory::userCache) });
              };
        model->scan();
        model->ignore(folder); // allowed while busy
        gate.open();
        QVERIFY(waitIdle(*model));
        const auto entries = model->currentResult()->entries;
        QCOMPARE(entries.size(), 1);
        QCOMPARE(entries.first().path, QStringLiteral("/h/.cache/tool2"));
    }

    void modelDestroyedDuringAScanDropsTheOutcome()
    {
        Fixture f;
        auto model = f.makeModel();
        Gate gate;
        f.core->onScan = [&](ScanKind kind, const QString &, const FileQuery &, const ProgressFn &progress,
                             const CancellationToken &) {
            gate.wait();
            progress(QStringLiteral("x"), 1);
            return makeResult(kind, {});
        };
        model->scan();
        model.reset();
        gate.open();
        QTest::qWait(100); // the worker ends and posts into nothing
    }
};

QTEST_GUILESS_MAIN(ModelScanTest)
#include "model_scan_test.moc"
