// walk-bench DIR [THREADS]: walks DIR with the shared walker and prints what it saw
// and how long it took, for comparison with find and du (see walk_compare.sh).
#include "core/walk/Walker.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: walk-bench DIR [THREADS]\n");
        return 2;
    }
    Morvane::WalkOptions options;
    if (argc > 2)
        options.threads = std::atoi(argv[2]);
    std::vector<std::int64_t> bytes(16, 0);
    QElapsedTimer timer;
    timer.start();
    const Morvane::WalkReport report = Morvane::walk(
        QString::fromLocal8Bit(argv[1]),
        [&](const Morvane::WalkEntry &e) {
            if (e.type == Morvane::WalkEntryType::file)
                bytes[std::size_t(e.worker)] += e.st->st_size;
            return Morvane::Visit::descend;
        },
        options);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::int64_t total = 0;
    for (std::int64_t b : bytes)
        total += b;
    std::printf("entries=%lld bytes=%lld ms=%.2f complete=%d\n", static_cast<long long>(report.visited),
                static_cast<long long>(total), ms, report.isComplete() ? 1 : 0);
    return report.isComplete() ? 0 : 1;
}
