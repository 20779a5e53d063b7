// bench_window_list [--entries N] [--rounds N]: how long the window takes to show a large
// result and to react to ticks, select-all and typing, and the frame times while the
// list scrolls. Run it on a real display or under Xvfb (xvfb-run), not offscreen.
//
// Every figure has three parts: "handled" is the synchronous work of the call (model,
// list model, bindings); "frame" is the work of the next frame (polish, sync, render,
// swap: from the window's update request to the swapped frame); "shown" runs until that
// frame has been swapped, and so also holds the wait for the platform's frame pacing,
// which is no work of ours (Qt on xcb paces update requests by the screen's refresh).
#include "support/SampleData.h"
#include "support/UiHarness.h"

#include "WindowContext.h"
#include "app/presentation/ResultListModel.h"
#include "app/presentation/ViewState.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

using namespace VarnollTest;

namespace {

struct Series {
    QList<double> handled;
    QList<double> frame;
    QList<double> shown;
};

/// Times the work of each frame: from the update request that starts it to its swap.
class FrameClock : public QObject {
public:
    explicit FrameClock(QQuickWindow *window)
        : m_window(window)
    {
        window->installEventFilter(this);
        QObject::connect(
            window, &QQuickWindow::frameSwapped, this,
            [this] {
                if (m_started) {
                    m_last = double(m_timer.nsecsElapsed()) / 1e6;
                    m_sinceMark += m_last;
                }
                m_started = false;
            },
            Qt::DirectConnection);
    }
    /// The work of the frame swapped last, in ms.
    double last() const { return m_last; }
    /// Starts adding up the work of every frame from now on.
    void mark() { m_sinceMark = 0; }
    /// The work of every frame swapped since mark(), in ms.
    double sinceMark() const { return m_sinceMark; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_window && event->type() == QEvent::UpdateRequest) {
            m_timer.start();
            m_started = true;
        }
        return false;
    }

private:
    QQuickWindow *m_window;
    QElapsedTimer m_timer;
    bool m_started = false;
    double m_last = 0;
    double m_sinceMark = 0;
};

FrameClock *frameClock = nullptr;

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
    QList<double> work;
    for (qsizetype i = 0; i < s.handled.size() && i < s.frame.size(); ++i)
        work.append(s.handled.at(i) + s.frame.at(i));
    std::printf("%-28s handled median %6.2f max %6.2f | frame median %6.2f max %6.2f | handled+frame median %6.2f "
                "p95 %6.2f max %6.2f | shown median %6.2f max %6.2f ms (n=%lld)\n",
        what, percentile(s.handled, 0.5), percentile(s.handled, 1.0), percentile(s.frame, 0.5),
        percentile(s.frame, 1.0), percentile(work, 0.5), percentile(work, 0.95), percentile(work, 1.0),
        percentile(s.shown, 0.5), percentile(s.shown, 1.0), static_cast<long long>(s.handled.size()));
}

/// Runs `action`, then waits for the frame that shows it.
void measure(UiHarness &h, Series &series, const std::function<void()> &action)
{
    bool swapped = false;
    const auto connection = QObject::connect(
        h.window, &QQuickWindow::frameSwapped, h.window, [&] { swapped = true; }, Qt::DirectConnection);
    QElapsedTimer timer;
    timer.start();
    frameClock->mark();
    action();
    series.handled.append(double(timer.nsecsElapsed()) / 1e6);
    h.window->update();
    (void)QTest::qWaitFor([&] { return swapped; }, 2000);
    series.shown.append(double(timer.nsecsElapsed()) / 1e6);
    series.frame.append(frameClock->sinceMark());
    QObject::disconnect(connection);
    QTest::qWait(5);
}

/// Frames on a window that shows nothing but one moving rectangle: the interval between
/// frames that the platform itself sets when there is next to no work per frame.
void platformFloor()
{
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import QtQuick\nWindow { width: 1180; height: 820; visible: true; color: \"white\";"
                      " Rectangle { objectName: \"box\"; width: 1000; height: 400; color: \"#cde\" } }",
        QUrl());
    std::unique_ptr<QObject> root(component.create());
    auto *window = qobject_cast<QQuickWindow *>(root.get());
    auto *box = window ? window->findChild<QQuickItem *>(QStringLiteral("box")) : nullptr;
    if (!box || !QTest::qWaitForWindowExposed(window))
        return;
    QList<double> intervals;
    QElapsedTimer interval;
    bool done = false;
    const auto connection = QObject::connect(window, &QQuickWindow::frameSwapped, window, [&] {
        intervals.append(double(interval.nsecsElapsed()) / 1e6);
        interval.restart();
        if (intervals.size() >= 300) {
            done = true;
            return;
        }
        QMetaObject::invokeMethod(
            window, [&] { box->setY(std::fmod(box->y() + 60, 400)); }, Qt::QueuedConnection);
    });
    interval.start();
    window->update();
    (void)QTest::qWaitFor([&] { return done; }, 30000);
    QObject::disconnect(connection);
    intervals.removeFirst();
    std::printf("%-28s interval median %6.2f p95 %6.2f ms (a window with one moving rectangle)\n", "platform floor",
        percentile(intervals, 0.5), percentile(intervals, 0.95));
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption({ QStringLiteral("entries"), QStringLiteral("Entries in the result."), QStringLiteral("N"),
        QStringLiteral("5000") });
    parser.addOption({ QStringLiteral("rounds"), QStringLiteral("Repetitions per interaction."), QStringLiteral("N"),
        QStringLiteral("15") });
    parser.process(app);
    const int entries = parser.value(QStringLiteral("entries")).toInt();
    const int rounds = parser.value(QStringLiteral("rounds")).toInt();
    Varnoll::prepareApplicationLook();
    platformFloor();

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
            std::printf("%-28s %7.2f ms, selection headline %5.2f ms (%s)\n", "C++ only: select all/none", toggle,
                texts, qPrintable(headline));
        }
    }

    UiHarness h;
    if (!h.load()) {
        std::fprintf(stderr, "bench_window_list: the window did not load\n");
        return 1;
    }
    FrameClock clock(h.window);
    frameClock = &clock;
    std::printf("platform %s, scene graph %s, %d entries\n", qPrintable(QGuiApplication::platformName()),
        h.window->rendererInterface()->graphicsApi() == QSGRendererInterface::Software ? "software" : "hardware",
        entries);
    h.model->navigate(Varnoll::Page::largeFiles);
    // A person takes a moment between opening the page and the result arriving; the page
    // uses it to build what it shows later.
    QTest::qWait(1000);
    const ScanResult big = manyLargeFiles(h, entries);
    h.fixture.core->onScan = [big](ScanKind, const QString &, const FileQuery &, const ProgressFn &,
                                 const CancellationToken &) { return big; };

    // Publish: from the result's arrival to the end of the model's update, then the frame.
    Series publish;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        bool swapped = false;
        const auto start = QObject::connect(h.model.get(), &Varnoll::CleanerModel::resultsChanged, h.window, [&] {
            timer.start();
            clock.mark();
        });
        const auto stop = QObject::connect(h.model.get(), &Varnoll::CleanerModel::busyChanged, h.window, [&] {
            if (!h.model->busy())
                publish.handled.append(double(timer.nsecsElapsed()) / 1e6);
        });
        h.model->scan();
        (void)QTest::qWaitFor([&] { return !h.model->busy(); }, 10000);
        const auto frame = QObject::connect(
            h.window, &QQuickWindow::frameSwapped, h.window, [&] { swapped = true; }, Qt::DirectConnection);
        h.window->update();
        (void)QTest::qWaitFor([&] { return swapped; }, 2000);
        publish.shown.append(double(timer.nsecsElapsed()) / 1e6);
        publish.frame.append(clock.sinceMark());
        QObject::disconnect(start);
        QObject::disconnect(stop);
        QObject::disconnect(frame);
        QTest::qWait(20);
    }
    report("publish 5000-entry result", publish);
    std::printf("%-28s first handled %6.2f frame %6.2f ms (builds the result block)\n", "", publish.handled.value(0),
        publish.frame.value(0));

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

    // Scrolling: move the list by 60 px whenever a frame is out, as a fast flick does. The
    // interval between frames includes the platform's pacing; the work is what we spend.
    if (rows) {
        QList<double> intervals;
        Series scroll;
        QElapsedTimer interval;
        int steps = 0;
        bool done = false;
        const int total = 600;
        const auto connection = QObject::connect(h.window, &QQuickWindow::frameSwapped, h.window, [&] {
            if (done)
                return;
            intervals.append(double(interval.nsecsElapsed()) / 1e6);
            scroll.frame.append(clock.last());
            interval.restart();
            if (++steps >= total) {
                done = true;
                return;
            }
            QMetaObject::invokeMethod(
                h.window,
                [&] {
                    QElapsedTimer moved;
                    moved.start();
                    const double y = rows->property("contentY").toDouble() + 60;
                    rows->setProperty("contentY", y);
                    scroll.handled.append(double(moved.nsecsElapsed()) / 1e6);
                },
                Qt::QueuedConnection);
        });
        interval.start();
        rows->setProperty("contentY", 0.0);
        h.window->update();
        (void)QTest::qWaitFor([&] { return done; }, 60000);
        QObject::disconnect(connection);
        intervals.removeFirst();
        scroll.frame.removeFirst();
        scroll.shown = intervals;
        report("scroll 60 px per frame", scroll);
        std::printf("%-28s interval p95 %6.2f p99 %6.2f ms (%.0f px scrolled)\n", "", percentile(intervals, 0.95),
            percentile(intervals, 0.99), rows->property("contentY").toDouble());
    }
    return 0;
}
