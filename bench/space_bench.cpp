// space-bench: the space page's tree, navigation and map.
//
//   space-bench map [CHILDREN] [RUNS]   collect, lay out and paint the map of a folder of
//                                       CHILDREN children (in memory), 1200 x 800 pixels
//   space-bench navigate DIR [RUNS]     scan DIR once, then open every folder of it and
//                                       go back up through the model, timing each step
//   space-bench scan DIR                one space scan of DIR: time, entries, tree bytes
//                                       and the process's peak memory
#include "SpaceMap.h"

#include "app/CleanerModel.h"
#include "app/CoreServices.h"
#include "app/presentation/SpaceListModel.h"
#include "core/Scanner.h"
#include "core/scan/SpaceTree.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

using namespace Morvane;
using namespace Varnoll;

namespace {

long peakKilobytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

double threadCpuMs()
{
    timespec t {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Wall time and this thread's processor time of one step: on a machine shared with
// other work the wall time waits for a core, the processor time does not.
class Stopwatch {
public:
    void start()
    {
        m_wall.start();
        m_cpu = threadCpuMs();
    }
    [[nodiscard]] double wallMs() const { return double(m_wall.nsecsElapsed()) / 1e6; }
    [[nodiscard]] double cpuMs() const { return threadCpuMs() - m_cpu; }

private:
    QElapsedTimer m_wall;
    double m_cpu = 0;
};

struct Figures {
    std::vector<double> wall;
    std::vector<double> cpu;
    void add(const Stopwatch &watch)
    {
        wall.push_back(watch.wallMs());
        cpu.push_back(watch.cpuMs());
    }
    static void summary(std::vector<double> &ms, const char *kind)
    {
        std::sort(ms.begin(), ms.end());
        std::printf("  %s median %8.3f  p95 %8.3f  max %8.3f", kind, ms[ms.size() / 2],
            ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], ms.back());
    }
    void print(const char *what)
    {
        if (wall.empty())
            return;
        std::printf("%-34s n=%-6zu", what, wall.size());
        summary(wall, "wall ms");
        summary(cpu, "| cpu ms");
        std::printf("\n");
    }
};

// A folder of `children` children: a third folders of 5 to 40 files, the rest files of
// every type class, sizes spread over four orders of magnitude (fixed seed).
std::shared_ptr<SpaceTree> syntheticFolder(int children)
{
    std::mt19937 random(20261208);
    const char *extensions[] = { ".pdf", ".jpg", ".mp4", ".mp3", ".zip", ".dat" };
    SpaceTreeBuilder builder(1);
    std::uint64_t inode = 10;
    struct stat st { };
    const auto size
        = [&random] { return std::int64_t(std::pow(10.0, 3 + 4 * std::uniform_real_distribution<>()(random))); };
    for (int i = 0; i < children; ++i) {
        st.st_ino = ino_t(++inode);
        if (i % 3 == 0) {
            st.st_mode = S_IFDIR | 0755;
            st.st_size = 4096;
            const auto folder = builder.add(0, SpaceTreeBuilder::rootFolder,
                QStringLiteral("folder-%1").arg(i).toStdString(), SpaceTree::Type::folder, st);
            const int files = 5 + int(random() % 36);
            st.st_mode = S_IFREG | 0644;
            for (int f = 0; f < files; ++f) {
                st.st_ino = ino_t(++inode);
                st.st_size = size();
                builder.add(0, folder, QStringLiteral("file-%1%2").arg(f).arg(extensions[f % 6]).toStdString(),
                    SpaceTree::Type::file, st);
            }
            builder.folderListed(folder, true);
        } else {
            st.st_mode = S_IFREG | 0644;
            st.st_size = size();
            builder.add(0, SpaceTreeBuilder::rootFolder,
                QStringLiteral("item-%1%2").arg(i).arg(extensions[i % 6]).toStdString(), SpaceTree::Type::file, st);
        }
    }
    builder.folderListed(SpaceTreeBuilder::rootFolder, true);
    SpaceTree::Facts facts;
    facts.root = QStringLiteral("/bench");
    st.st_mode = S_IFDIR | 0755;
    st.st_size = 4096;
    return builder.finish(std::move(facts), st);
}

int benchMap(int children, int runs)
{
    const std::shared_ptr<SpaceTree> tree = syntheticFolder(children);
    const ScanResult level = tree->level(SpaceTree::rootIndex);
    SpaceMap map;
    map.setSize(QSizeF(1200, 800));
    map.setProperty("classColors",
        QVariantList { QColor("#E3DDCE"), QColor("#A3BAAE"), QColor("#D9612F"), QColor("#1F4A38"), QColor("#5A625C"),
            QColor("#ECB097") });
    map.setProperty("folderColor", QColor("#FFFFFF"));
    map.setProperty("bandColor", QColor("#E2E8DE"));
    map.setProperty("frameColor", QColor("#A3BAAE"));
    map.setProperty("restColor", QColor("#EDEBE1"));
    map.setProperty("hatchColor", QColor("#D9612F"));
    map.setProperty("textColor", QColor("#171A17"));
    map.setProperty("inverseTextColor", QColor("#F5F2E8"));
    QImage image(1200, 800, QImage::Format_ARGB32_Premultiplied);
    Figures layout;
    Figures paint;
    Figures both;
    Figures repaint;
    map.show(tree, SpaceTree::rootIndex, level.bytes());
    for (int run = 0; run < runs; ++run) {
        Stopwatch total;
        total.start();
        Stopwatch timer;
        timer.start();
        map.relayoutNow();
        layout.add(timer);
        image.fill(Qt::white);
        timer.start();
        {
            QPainter painter(&image);
            map.paint(&painter);
        }
        paint.add(timer);
        both.add(total);
        // What the pointer or the keys cost afterwards: the same layout painted again.
        timer.start();
        {
            QPainter painter(&image);
            map.paint(&painter);
        }
        repaint.add(timer);
    }
    const std::vector<SpaceMapCell> cells
        = layoutSpaceMap(collectSpaceMap(*tree, SpaceTree::rootIndex, QSizeF(1200, 800)), QRectF(0, 0, 1200, 800));
    const auto labelled = std::count_if(cells.begin(), cells.end(), [](const SpaceMapCell &c) { return c.labelled; });
    std::printf("map of %d children (%d entries in the tree), 1200 x 800, %d cells drawn, %d with a name\n", children,
        int(tree->size()), map.cellCount(), int(labelled));
    layout.print("collect + lay out");
    paint.print("paint (QPainter, raster)");
    both.print("lay out + paint");
    repaint.print("paint again (hover, keys)");
    image.save(QStringLiteral("/tmp/space-bench-map.png"));
    return 0;
}

// The model on the real core, with every scan answered from one earlier scan so that
// navigation is all that is timed, and scans counted.
class CachedScan : public DesktopCoreServices {
public:
    class Runner : public ScanRunner {
    public:
        explicit Runner(CachedScan &owner)
            : m_owner(owner)
        {
        }
        ScanResult scan(
            ScanKind, const QString &, const FileQuery &, const ProgressFn &, const CancellationToken &) override
        {
            ++m_owner.scans;
            return m_owner.result;
        }

    private:
        CachedScan &m_owner;
    };
    std::unique_ptr<ScanRunner> makeScanner(const ScanConfiguration &) override
    {
        return std::make_unique<Runner>(*this);
    }
    ScanResult result;
    std::atomic<int> scans { 0 };
};

ScanResult scanFolder(const QString &folder, double *ms)
{
    ScanConfiguration configuration;
    configuration.home = QDir::homePath();
    configuration.visitLimit = 5'000'000;
    configuration.timeLimit = 3600;
    Stopwatch timer;
    timer.start();
    ScanResult result = Scanner(configuration).scan(ScanKind::space, folder, {}, {}, CancellationToken());
    *ms = timer.wallMs();
    return result;
}

int benchNavigate(const QString &folder, int runs)
{
    auto services = std::make_shared<CachedScan>();
    double scanMs = 0;
    services->result = scanFolder(folder, &scanMs);
    const std::shared_ptr<SpaceTree> tree = services->result.spaceTree;
    if (!tree) {
        std::fprintf(stderr, "space-bench: no tree for %s\n", qPrintable(folder));
        return 1;
    }
    QTemporaryDir store;
    ModelOptions options;
    options.home = QDir::homePath();
    options.store = store.path();
    CleanerModel model(services, options);
    SpaceListModel list(&model); // rebuilt on every step, as the page's list is
    model.navigate(Page::space);
    model.setDirectory(folder);
    model.scan();
    QEventLoop loop;
    while (model.busy())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("tree of %s: %u entries, scan %.0f ms, tree %.1f MB (%.1f bytes per entry with names)\n",
        qPrintable(folder), tree->size(), scanMs, double(tree->memoryBytes()) / 1e6,
        double(tree->memoryBytes()) / tree->size());

    Figures down;
    Figures up;
    Figures level;
    for (int run = 0; run < runs; ++run) {
        // Every folder of the tree, depth first: open it from its parent, then go back.
        const std::function<void()> visit = [&] {
            const QList<FileEntry> entries = model.currentResult()->entries;
            for (const FileEntry &entry : entries) {
                if (!entry.kind.isFolder())
                    continue;
                Stopwatch timer;
                timer.start();
                model.drillInto(entry);
                down.add(timer);
                visit();
                timer.start();
                model.parentSpace();
                up.add(timer);
            }
        };
        visit();
        Stopwatch timer;
        timer.start();
        (void)tree->level(SpaceTree::rootIndex);
        level.add(timer);
    }
    down.print("drillInto (model + list model)");
    up.print("parentSpace (model + list model)");
    level.print("level of the scanned folder alone");
    std::printf("scans run: %d (the first one only)\n", services->scans.load());
    return 0;
}

int benchScan(const QString &folder)
{
    const long before = peakKilobytes();
    double ms = 0;
    const ScanResult result = scanFolder(folder, &ms);
    const long after = peakKilobytes();
    if (!result.spaceTree) {
        std::fprintf(stderr, "space-bench: no tree for %s\n", qPrintable(folder));
        return 1;
    }
    const SpaceTree &tree = *result.spaceTree;
    std::int64_t total = 0;
    for (const FileEntry &e : result.entries)
        total += e.bytes;
    std::printf("space scan of %s: %u entries in %.0f ms; listed %lld bytes; tree %.1f MB (%.1f bytes per "
                "entry with names, node %zu bytes); peak RSS %.1f MB (%.1f MB before the scan)\n",
        qPrintable(folder), tree.size(), ms, static_cast<long long>(total), double(tree.memoryBytes()) / 1e6,
        double(tree.memoryBytes()) / tree.size(), sizeof(SpaceTree::Node), double(after) / 1024, double(before) / 1024);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv(
        "QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    if (mode == QLatin1String("map"))
        return benchMap(args.value(2, QStringLiteral("1000")).toInt(), args.value(3, QStringLiteral("50")).toInt());
    if (mode == QLatin1String("navigate") && args.size() > 2)
        return benchNavigate(args.at(2), args.value(3, QStringLiteral("3")).toInt());
    if (mode == QLatin1String("scan") && args.size() > 2)
        return benchScan(args.at(2));
    std::fprintf(stderr, "usage: space-bench map [CHILDREN] [RUNS] | navigate DIR [RUNS] | scan DIR\n");
    return 2;
}
