// bench_store: the work a long history and a large clean-up put on the UI thread.
//
//   1. Finishing a clean-up of 5,000 items (every moved item and everything inside a
//      moved folder leaves the results), on the model over the fake core.
//   2. A history of 100 records × 5,000 items: its size, encoding and decoding on their
//      own, then the model loading it at start and saving it after an ignore.
//   3. Opening 清理记录 with a foreign history of 10,000 records (20 items each) in the
//      real window.
//
// "UI stall" is the longest time the UI thread's event loop did not come round (a 1 ms
// heartbeat timer measures it) while the step ran: what the user would feel as a frozen
// window. Memory is the process's resident size (VmRSS) and its peak (VmHWM). Run it
// under Xvfb or offscreen: QT_QPA_PLATFORM=offscreen build/bench/bench_store [cleanup|history|page]
#include "support/UiHarness.h"

#include "app/StoreFiles.h"
#include "core/RecordJson.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTest>
#include <QTimer>

#include <functional>

#include <cstdio>
#include <ctime>
#include <malloc.h>

using namespace VarnollTest;
using Varnoll::Page;

namespace {

double ms(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

/// Lets the peak resident size (VmHWM) start again from the current one, and gives
/// freed memory back first, so that a step's peak is its own.
void resetPeak()
{
    ::malloc_trim(0);
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

/// VmRSS and VmHWM of this process, in MB.
std::pair<double, double> memory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    double rss = 0;
    double peak = 0;
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rss = line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
        }
    }
    return { rss, peak };
}

/// Runs the event loop until `done` (never sleeping between turns, unlike
/// QTest::qWaitFor, whose pauses would count as stalls).
bool spin(const std::function<bool()> &done, int timeoutMs = 120000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

/// The longest gap between two turns of the UI thread's event loop while it runs.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, ms(m_clock));
            m_clock.restart();
            const double cpu = threadCpuMs();
            m_longestWork = std::max(m_longestWork, cpu - m_lastTickCpu);
            m_lastTickCpu = cpu;
        });
        m_clock.start();
        m_timer.start();
    }
    /// The longest gap since the last call, in ms (counting the gap still open).
    double take()
    {
        const double longest = std::max(m_longest, ms(m_clock));
        m_longest = 0;
        m_clock.restart();
        return longest;
    }
    /// The most processor time the UI thread spent between two turns of its loop since
    /// the last call, in ms: the longest piece of work that held the window.
    double takeWork()
    {
        const double longest = std::max(m_longestWork, threadCpuMs() - m_lastTickCpu);
        m_longestWork = 0;
        return longest;
    }
    /// Processor time the UI thread used since the last call, in ms: a gap with little
    /// of it was the scheduler's (another process ran), not work of ours.
    double takeCpu()
    {
        const double now = threadCpuMs();
        const double used = now - m_cpu;
        m_cpu = now;
        return used;
    }
    static double threadCpuMs()
    {
        timespec t {};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_longest = 0;
    double m_cpu = threadCpuMs();
    double m_lastTickCpu = threadCpuMs();
    double m_longestWork = 0;
};

Morvane::CleanupRecord makeRecord(const QString &home, int items, int seed)
{
    Morvane::CleanupRecord record;
    record.id = QUuid::createUuid();
    record.date = QDateTime::currentDateTimeUtc().addSecs(-seed);
    for (int i = 0; i < items; ++i) {
        Morvane::CleanupItemResult item;
        item.entryID = QUuid::createUuid();
        item.name = QStringLiteral("cache-entry-%1.bin").arg(i);
        item.path
            = home + QStringLiteral("/.cache/some-application/cache2/entries/%1/cache-entry-%2.bin").arg(i % 97).arg(i);
        item.moved = i % 10 != 0;
        item.message = item.moved ? QStringLiteral("已移到废纸篓。") : QStringLiteral("文件在扫描后有变化，未移动。");
        item.bytes = 1000 + i;
        item.category = Morvane::FileCategory::userCache;
        if (item.moved)
            item.trashPath = home + QStringLiteral("/.local/share/Trash/files/cache-entry-%1.bin").arg(i);
        record.items.append(item);
    }
    return record;
}

void cleanupFinishing()
{
    Fixture f;
    auto model = f.makeModel();
    model->navigate(Page::junk);
    // 5,000 entries: 50 folders of 99 files, and the 50 folders themselves.
    QList<FileEntry> entries;
    for (int folder = 0; folder < 50; ++folder) {
        const QString dir = f.home + QStringLiteral("/.cache/app-%1").arg(folder);
        entries.append(makeEntry(dir, 1000, FileCategory::userCache));
        for (int file = 0; file < 99; ++file)
            entries.append(makeEntry(dir + QStringLiteral("/file-%1").arg(file), 10, FileCategory::userCache));
    }
    if (!scanWith(*model, *f.core, std::nullopt,
            makeResult(ScanKind::junk, entries, CoverageState::complete, { FileCategory::userCache })))
        return;
    model->toggleVisible();
    const QSet<QString> moved = [&] {
        QSet<QString> all;
        for (const FileEntry &e : entries)
            all.insert(e.path);
        return all;
    }();
    f.core->onClean
        = [&](const QSet<QUuid> &ids, const QList<FileEntry> &snapshot, const QSet<QString> &,
              const QList<DuplicateGroup> &, const QList<FileEntry> &) { return recordFor(snapshot, ids, moved); };
    StallMeter stall;
    QElapsedTimer timer;
    timer.start();
    model->cleanSelection();
    (void)spin([&] { return !model->busy(); });
    std::printf("clean-up of %lld items: done after %.1f ms, longest UI stall %.1f ms (longest UI work %.1f ms), %lld "
                "entries left\n",
        static_cast<long long>(entries.size()), ms(timer), stall.take(), stall.takeWork(),
        static_cast<long long>(model->results().value(ScanKind::junk).entries.size()));
}

void largeHistory()
{
    Fixture f;
    QList<Morvane::CleanupRecord> records;
    for (int r = 0; r < 100; ++r)
        records.append(makeRecord(f.home, 5000, r));
    QElapsedTimer timer;
    timer.start();
    QByteArray json = Morvane::encodeHistory(records);
    const double encode = ms(timer);
    std::printf("history of 100 × 5,000 items: %.1f MB, encoded in %.0f ms\n", double(json.size()) / 1e6, encode);
    std::fflush(stdout);
    (void)Varnoll::ensureFolder(f.store);
    (void)Varnoll::writeFileAtomically(f.store + QStringLiteral("/history.json"), json);
    records.clear();
    json.clear();
    json.squeeze();
    resetPeak();
    const auto before = memory();
    timer.restart();
    {
        const Varnoll::LoadedHistory loaded = Varnoll::loadHistory(f.store + QStringLiteral("/history.json"), 100);
        const auto after = memory();
        std::printf("  read and decoded on its own: %.0f ms, %lld records; RSS %.0f → %.0f MB (peak %.0f MB)\n",
            ms(timer), static_cast<long long>(loaded.records.size()), before.first, after.first, after.second);
    }

    resetPeak();
    const auto beforeModel = memory();
    StallMeter stall;
    (void)stall.takeCpu();
    timer.restart();
    Varnoll::ModelOptions options;
    options.home = f.home;
    options.store = f.store;
    options.runningBundleIDs = QSet<QString>();
    Varnoll::CleanerModel model(f.core, options);
    const double constructed = ms(timer);
    (void)spin([&] { return model.historyLoaded(); });
    std::printf("  model start: constructor %.1f ms, history loaded after %.0f ms, longest UI stall %.1f ms "
                "(longest UI work %.1f ms, %.0f ms in all)\n",
        constructed, ms(timer), stall.take(), stall.takeWork(), stall.takeCpu());
    const auto afterModel = memory();
    std::printf("  model holding the history: RSS %.0f → %.0f MB (peak while loading %.0f MB)\n", beforeModel.first,
        afterModel.first, afterModel.second);
    timer.restart();
    model.ignore(makeEntry(f.home + QStringLiteral("/ignored"), 1));
    const double call = ms(timer);
    (void)spin([&] { return !model.storeBusy(); });
    std::printf("  ignore: call %.1f ms, both files written after %.0f ms, longest UI stall %.1f ms (longest UI "
                "work %.1f ms, %.0f ms in all)\n",
        call, ms(timer), stall.take(), stall.takeWork(), stall.takeCpu());
}

void foreignHistoryPage()
{
    UiHarness h;
    QByteArray json = "[";
    for (int r = 0; r < 10000; ++r) {
        if (r > 0)
            json += ',';
        json += Morvane::encodeHistory({ makeRecord(h.fixture.home, 20, r) }).mid(1).chopped(1);
    }
    json += ']';
    (void)Varnoll::ensureFolder(h.fixture.store);
    (void)Varnoll::writeFileAtomically(h.fixture.store + QStringLiteral("/history.json"), json);
    const double fileMB = double(json.size()) / 1e6;
    json.clear();
    json.squeeze();
    resetPeak();
    const auto before = memory();
    QElapsedTimer timer;
    timer.start();
    h.model = h.fixture.makeModel();
    const double loaded = ms(timer);
    if (!h.load())
        return;
    StallMeter stall;
    bool swapped = false;
    QObject::connect(
        h.window, &QQuickWindow::frameSwapped, h.window, [&] { swapped = true; }, Qt::DirectConnection);
    timer.restart();
    h.model->navigate(Page::history);
    h.window->update();
    (void)spin([&] { return swapped && h.isShown(QStringLiteral("historyRecord")); });
    const double opened = ms(timer);
    const double longest = stall.take();
    const double work = stall.takeWork();
    const auto after = memory();
    std::printf("foreign history of 10,000 records (%.1f MB): loaded in %.0f ms (%lld kept); 清理记录 shown after %.1f "
                "ms, longest UI stall %.1f ms (longest UI work %.1f ms); RSS %.0f → %.0f MB, peak %.0f MB\n",
        fileMB, loaded, static_cast<long long>(h.model->records().size()), opened, longest, work, before.first,
        after.first, after.second);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    // One part alone: "cleanup", "history" or "page"; all three without an argument.
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (only.isEmpty() || only == QLatin1String("cleanup"))
        cleanupFinishing();
    if (only.isEmpty() || only == QLatin1String("history"))
        largeHistory();
    if (only.isEmpty() || only == QLatin1String("page"))
        foreignHistoryPage();
    return 0;
}
