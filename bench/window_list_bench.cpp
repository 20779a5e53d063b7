// bench_window_list [--entries N] [--rounds N]: how long the window takes to show a large
// result and to react to ticks, select-all and typing, and the frame times while the
// list scrolls. Run it on a real display or under Xvfb (xvfb-run), not offscreen.
//
// Every figure has two parts: "handled" is the synchronous work of the call (model,
// list model, bindings); "shown" runs until the next frame has been swapped.
#include "support/SampleData.h"
#include "support/UiHarness.h"

#include "WindowContext.h"
#include "app/presentation/ResultListModel.h"
#include "app/presentation/ViewState.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTest>

#include <algorithm>
#include <cstdio>

using namespace VarnollTest;

namespace {

struct Series {
    QList<double> handled;
    QList<double> shown;
};

double percentile(QList<double> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype at = std::min<qsizetype>(values.size() - 1, qsizetype(p * double(values.size() - 1) + 0.5));
    return values.at(at);
}

void report(const char *what, const Series &s)
{
    std::printf("%-28s handled median %7.2f ms  max %7.2f ms | shown median %7.2f ms  max %7.2f ms  (n=%lld)\n", what,
                percentile(s.handled, 0.5), percentile(s.handled, 1.0), percentile(s.shown, 0.5),
                percentile(s.shown, 1.0), static_cast<long long>(s.handled.size()));
}

/// Runs `action`, then waits for the frame that shows it.
void measure(UiHarness &h, Series &series, const std::function<void()> &action)
{
    bool swapped = false;
    const auto connection = QObject::connect(h.window, &QQuickWindow::frameSwapped, h.window, [&] { swapped = true; },
                                             Qt::DirectConnection);
    QElapsedTimer timer;
    timer.start();
    action();
    series.handled.append(double(timer.nsecsElapsed()) / 1e6);
    h.window->update();
    (void)QTest::qWaitFor([&] { return swapped; }, 2000);
    series.shown.append(double(timer.nsecsElapsed()) / 1e6);
    QObject::disconnect(connection);
    QTest::qWait(5);
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({QStringLiteral("entries"), QStringLiteral("Entries in the result."), QStringLiteral("N"),
                      QStringLiteral("5000")});
    parser.addOption({QStringLiteral("rounds"), QStringLiteral("Repetitions per interaction."), QStringLiteral("N"),
                      QStringLiteral("15")});
    parser.process(app);
    const int entries = parser.value(QStringLiteral("entries")).toInt();
    const int rounds = parser.value(QStringLiteral("rounds")).toInt();
    Varnoll::prepareApplicationLook();

    {
        // The C++ side alone: model, list model and view state, no QML.
        UiHarness bare;
        Varnoll::WindowContext context(bare.model.get(), QString());
        bare.model->navigate(Varnoll::Page::largeFiles);
        const ScanResult result = manyLargeFiles(bare, entries);
        QElapsedTimer timer;
        timer.start();
        (void)scanWith(*bare.model, *bare.fixture.core, std::nullopt, result);
        std::printf("%-28s %7.2f ms (scan thread included)\n", "C++ only: publish", double(timer.nsecsElapsed()) / 1e6);
        for (int i = 0; i < 3; ++i) {
            timer.restart();
            bare.model->toggleVisible();
            const double toggle = double(timer.nsecsElapsed()) / 1e6;
            timer.restart();
            const QString headline = context.view()->selectionHeadline();
            const double texts = double(timer.nsecsElapsed()) / 1e6;
            std::printf("%-28s %7.2f ms, selection headline %5.2f ms (%s)\n", "C++ only: select all/none", toggle, texts,
                        qPrintable(headline));
        }
    }

    UiHarness h;
    if (!h.load()) {
        std::fprintf(stderr, "bench_window_list: the window did not load\n");
        return 1;
    }
    std::printf("platform %s, scene graph %s, %d entries\n", qPrintable(QGuiApplication::platformName()),
                h.window->rendererInterface()->graphicsApi() == QSGRendererInterface::Software ? "software" : "hardware",
                entries);
    h.model->navigate(Varnoll::Page::largeFiles);
    const ScanResult big = manyLargeFiles(h, entries);
    h.fixture.core->onScan = [big](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                                   const CancellationToken &) { return big; };

    // Publish: from the result's arrival to the end of the model's update, then the frame.
    Series publish;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        bool swapped = false;
        const auto start = QObject::connect(h.model.get(), &Varnoll::CleanerModel::resultsChanged, h.window,
                                            [&] { timer.start(); });
        const auto stop = QObject::connect(h.model.get(), &Varnoll::CleanerModel::busyChanged, h.window, [&] {
            if (!h.model->busy())
                publish.handled.append(double(timer.nsecsElapsed()) / 1e6);
        });
        h.model->scan();
        (void)QTest::qWaitFor([&] { return !h.model->busy(); }, 10000);
        const auto frame = QObject::connect(h.window, &QQuickWindow::frameSwapped, h.window, [&] { swapped = true; },
                                            Qt::DirectConnection);
        h.window->update();
        (void)QTest::qWaitFor([&] { return swapped; }, 2000);
        publish.shown.append(double(timer.nsecsElapsed()) / 1e6);
        QObject::disconnect(start);
        QObject::disconnect(stop);
        QObject::disconnect(frame);
        QTest::qWait(20);
    }
    report("publish 5000-entry result", publish);

    auto *rows = qobject_cast<QQuickItem *>(h.find(QStringLiteral("resultRows"), true));
    const QList<FileEntry> visible = h.model->visibleEntries();

    Series tick;
    for (int round = 0; round < rounds; ++round) {
        const QString id = visible.at(3 + round % 5).id.toString(QUuid::WithoutBraces);
        measure(h, tick, [&] { h.model->toggleId(id); });
    }
    report("tick one row", tick);

    Series all;
    for (int round = 0; round < rounds; ++round)
        measure(h, all, [&] { h.model->toggleVisible(); });
    report("select all / none", all);
    if (!h.model->selection().isEmpty())
        h.model->toggleVisible();

    // Typing "report-1234" and erasing it again, one key at a time.
    Series typing;
    const QString word = QStringLiteral("report-1234");
    for (int round = 0; round < std::max(1, rounds / 5); ++round) {
        for (int i = 1; i <= word.size(); ++i)
            measure(h, typing, [&] { h.model->setSearch(word.left(i)); });
        for (int i = word.size() - 1; i >= 0; --i)
            measure(h, typing, [&] { h.model->setSearch(word.left(i)); });
    }
    report("filter as typed (per key)", typing);

    // Scrolling: move the list by 60 px whenever a frame is out, as a fast flick does.
    Series scroll;
    if (rows) {
        QList<double> frames;
        QElapsedTimer clock;
        int steps = 0;
        bool done = false;
        const int total = 600;
        const auto connection = QObject::connect(h.window, &QQuickWindow::frameSwapped, h.window, [&] {
            if (done)
                return;
            frames.append(double(clock.nsecsElapsed()) / 1e6);
            clock.restart();
            if (++steps >= total) {
                done = true;
                return;
            }
            QMetaObject::invokeMethod(h.window, [&] {
                const double y = rows->property("contentY").toDouble() + 60;
                rows->setProperty("contentY", y);
            }, Qt::QueuedConnection);
        });
        clock.start();
        rows->setProperty("contentY", 0.0);
        h.window->update();
        (void)QTest::qWaitFor([&] { return done; }, 60000);
        QObject::disconnect(connection);
        frames.removeFirst();
        scroll.handled = frames;
        scroll.shown = frames;
        std::printf("%-28s frame median %7.2f ms  p95 %7.2f ms  p99 %7.2f ms  max %7.2f ms  (n=%lld, %.0f px)\n",
                    "scroll 60 px per frame", percentile(frames, 0.5), percentile(frames, 0.95),
                    percentile(frames, 0.99), percentile(frames, 1.0), static_cast<long long>(frames.size()),
                    rows->property("contentY").toDouble());
    }
    return 0;
}
