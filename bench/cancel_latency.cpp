// cancel-latency HOME [KIND]: runs a scan of HOME (junk by default) again and again,
// cancelling it after 100, 200, ... ms until a run finishes first, and prints how long
// each scan took to throw its cancellation after the request.
#include "core/Scanner.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

using namespace Morvane;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: cancel-latency HOME [KIND]\n");
        return 2;
    }
    const auto kind = scanKindFromName(QString::fromLocal8Bit(argc > 2 ? argv[2] : "junk"));
    if (!kind)
        return 2;
    std::vector<qint64> latencies;
    for (int ms = 100;; ms += 100) {
        ScanConfiguration c;
        c.home = QString::fromLocal8Bit(argv[1]);
        c.platform = RulePlatform::Linux;
        c.visitLimit = 1000000;
        c.now = QDateTime::currentDateTimeUtc();
        CancellationToken cancel;
        QElapsedTimer sinceCancel;
        qint64 latency = -1;
        std::thread scan([&] {
            try {
                (void)Scanner(c).scan(*kind, c.home, {}, {}, cancel);
            } catch (const CancellationError &) {
                latency = sinceCancel.elapsed();
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        sinceCancel.start();
        cancel.cancel();
        scan.join();
        if (latency < 0)
            break; // the scan finished before this request
        std::printf("cancelled at %5d ms: threw after %3lld ms\n", ms, static_cast<long long>(latency));
        latencies.push_back(latency);
    }
    if (latencies.empty())
        return 1;
    std::sort(latencies.begin(), latencies.end());
    std::printf("%zu runs: median %lld ms, worst %lld ms\n", latencies.size(),
        static_cast<long long>(latencies[latencies.size() / 2]), static_cast<long long>(latencies.back()));
    return 0;
}
