// Time to move items to the Trash through the clean-up service, identity re-check
// included: 1,000 small files in one clean-up, and one folder of 10,000 files.
//
//   trash_bench [runs] [work-folder]
//
// Works in a temporary folder (or `work-folder`) with its own XDG_DATA_HOME, so the
// user's Trash is never touched; prints the median and range of `runs` runs.
#include "core/CleanupService.h"
#include "core/Identity.h"
#include "core/Paths.h"
#include "core/trash/FreedesktopTrash.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Morvane;

namespace {

void writeSmallFile(const QByteArray &path, int index)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const QByteArray content = QByteArray(512, 'x') + QByteArray::number(index);
    if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size())
        std::fprintf(stderr, "cannot write %s\n", path.constData());
    ::close(fd);
}

FileEntry scanned(const QString &path, const QString &scope)
{
    struct stat st { };
    ::lstat(pathToBytes(path).constData(), &st);
    FileEntry entry;
    entry.id = QUuid::createUuid();
    entry.path = path;
    entry.name = lastComponent(path);
    entry.scope = scope;
    const bool folder = S_ISDIR(st.st_mode);
    const auto fingerprint = fingerprintPath(path, folder, nullptr, &entry.bytes);
    entry.kind = folder ? EntryKind::folder(fingerprint) : EntryKind::file(fingerprint);
    return entry;
}

// The bench's own scratch data, removed between runs.
void removeScratch(const QString &path)
{
    ::nftw(
        pathToBytes(path).constData(),
        [](const char *p, const struct stat *, int, struct FTW *) { return ::remove(p); }, 32, FTW_DEPTH | FTW_PHYS);
}

struct Timing {
    double milliseconds = 0;
    qint64 moved = 0;
};

Timing runFiles(const QString &base, int count)
{
    const QString scope = joinPath(base, QStringLiteral("files"));
    ::mkdir(pathToBytes(scope).constData(), 0755);
    QList<FileEntry> entries;
    QSet<QUuid> ids;
    for (int i = 0; i < count; ++i) {
        const QString path = joinPath(scope, QStringLiteral("small file %1.txt").arg(i));
        writeSmallFile(pathToBytes(path), i);
        entries.append(scanned(path, scope));
        ids.insert(entries.last().id);
    }
    CleanupEnvironment environment;
    environment.home = base;
    QElapsedTimer timer;
    timer.start();
    const CleanupRecord record = CleanupService(environment).clean(ids, entries, {}, {}, {});
    return { double(timer.nsecsElapsed()) / 1e6, record.count() };
}

// The Trash layer alone: what the re-check adds is the difference to runFiles.
Timing runFilesTrashOnly(const QString &base, int count)
{
    const QString scope = joinPath(base, QStringLiteral("files"));
    ::mkdir(pathToBytes(scope).constData(), 0755);
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        paths.append(joinPath(scope, QStringLiteral("small file %1.txt").arg(i)));
        writeSmallFile(pathToBytes(paths.last()), i);
    }
    const FreedesktopTrash trash;
    QElapsedTimer timer;
    timer.start();
    qint64 moved = 0;
    for (const QString &path : paths)
        moved += trash.moveToTrash(path).moved ? 1 : 0;
    return { double(timer.nsecsElapsed()) / 1e6, moved };
}

Timing runFolder(const QString &base, int count, bool withSizes)
{
    const QString scope = joinPath(base, QStringLiteral("tree"));
    const QString folder = joinPath(scope, QStringLiteral("big folder"));
    ::mkdir(pathToBytes(scope).constData(), 0755);
    ::mkdir(pathToBytes(folder).constData(), 0755);
    for (int d = 0; d < 100; ++d) {
        const QString sub = joinPath(folder, QStringLiteral("dir%1").arg(d));
        ::mkdir(pathToBytes(sub).constData(), 0755);
        for (int i = 0; i < count / 100; ++i)
            writeSmallFile(pathToBytes(joinPath(sub, QStringLiteral("f%1").arg(i))), i);
    }
    if (withSizes) {
        const QString trash = FreedesktopTrash::defaultHomeTrash();
        ::mkdir(pathToBytes(parentPath(trash)).constData(), 0700);
        ::mkdir(pathToBytes(trash).constData(), 0700);
        const int fd = ::open(pathToBytes(joinPath(trash, QStringLiteral("directorysizes"))).constData(),
            O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ::close(fd);
    }
    const FileEntry entry = scanned(folder, scope);
    CleanupEnvironment environment;
    environment.home = base;
    QElapsedTimer timer;
    timer.start();
    const CleanupRecord record = CleanupService(environment).clean({ entry.id }, { entry }, {}, {}, {});
    return { double(timer.nsecsElapsed()) / 1e6, record.count() };
}

void report(const char *label, QList<double> times, qint64 moved, qint64 expected)
{
    std::sort(times.begin(), times.end());
    std::printf("%-52s median %8.1f ms  (min %.1f, max %.1f, %lld runs)%s\n", label, times.at(times.size() / 2),
        times.first(), times.last(), static_cast<long long>(times.size()), moved == expected ? "" : "  NOT ALL MOVED");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir scratch(
        argc > 2 ? QString::fromLocal8Bit(argv[2]) + QStringLiteral("/trash-bench-XXXXXX") : QString());
    if (!scratch.isValid()) {
        std::fprintf(stderr, "cannot make a work folder\n");
        return 1;
    }
    const QString base = scratch.path();
    qputenv("XDG_DATA_HOME", pathToBytes(joinPath(base, QStringLiteral("data"))));

    struct Case {
        const char *label;
        std::function<Timing()> run;
        qint64 expected;
    };
    const QList<Case> cases = {
        { "1,000 small files, one clean-up", [&] { return runFiles(base, 1000); }, 1000 },
        { "1,000 small files, Trash layer only (no re-check)", [&] { return runFilesTrashOnly(base, 1000); }, 1000 },
        { "1 folder of 10,000 files", [&] { return runFolder(base, 10000, false); }, 1 },
        { "1 folder of 10,000 files, trash keeps directorysizes", [&] { return runFolder(base, 10000, true); }, 1 },
    };
    for (const Case &c : cases) {
        QList<double> times;
        qint64 moved = c.expected;
        for (int r = 0; r < runs; ++r) {
            const Timing t = c.run();
            times.append(t.milliseconds);
            moved = std::min(moved, t.moved);
            removeScratch(joinPath(base, QStringLiteral("data")));
            removeScratch(joinPath(base, QStringLiteral("files")));
            removeScratch(joinPath(base, QStringLiteral("tree")));
            ::sync();
        }
        report(c.label, times, moved, c.expected);
    }
    return 0;
}
