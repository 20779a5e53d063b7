#include "core/trash/TrashContents.h"

#include "core/Paths.h"
#include "core/Posix.h"
#include "core/SmallFile.h"
#include "core/trash/TrashInfo.h"
#include "core/walk/Walker.h"

#include <QHash>

#include <array>
#include <atomic>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace Morvane {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
const QByteArray kInfoSuffix = QByteArrayLiteral(".trashinfo");

QByteArray joinBytes(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

// The folder where a trash keeps its items.
QByteArray itemsFolder(const TrashLocation &trash)
{
#if defined(Q_OS_MACOS)
    return pathToBytes(trash.path);
#else
    return joinBytes(pathToBytes(trash.path), "files");
#endif
}

// The names in an open folder (the handle stays open: the listing reads a duplicate).
QList<QByteArray> namesIn(int folder)
{
    QList<QByteArray> names;
    const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
    if (copy < 0)
        return names;
    DIR *dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return names;
    }
    ::rewinddir(dir);
    while (const dirent *e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    return names;
}

// Folder sizes in the trash's cache that still match their info file.
QHash<QByteArray, std::int64_t> freshDirectorySizes(int root, int info)
{
    QHash<QByteArray, std::int64_t> fresh;
    UniqueFd file(::openat(root, "directorysizes", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file)
        return fresh;
    const BoundedRead text = readBounded(std::move(file), { kDirectorySizesLimit, FinalLink::refuse });
    if (!text.ok())
        return fresh;
    const QHash<QByteArray, DirectorySize> sizes = parseDirectorySizes(text.data);
    for (auto it = sizes.cbegin(); it != sizes.cend(); ++it) {
        struct stat st { };
        if (::fstatat(info, (it.key() + kInfoSuffix).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
            && std::int64_t(st.st_mtime) == it->infoModified)
            fresh.insert(it.key(), it->bytes);
    }
    return fresh;
}

struct Budget {
    std::int64_t visitsLeft;
    std::chrono::steady_clock::time_point deadline;
};

WalkOptions walkOptions(const TrashMeasureLimits &limits, const Budget &budget)
{
    WalkOptions options;
    options.threads = limits.threads;
    options.visitLimit = std::max<std::int64_t>(budget.visitsLeft, 1);
    options.deadline = budget.deadline;
    options.cancel = limits.cancel;
    return options;
}

} // namespace

QList<TrashEntry> listTrash(const TrashLocation &trash, bool measure, const TrashMeasureLimits &limits)
{
    QList<TrashEntry> entries;
    const UniqueFd root(::open(pathToBytes(trash.path).constData(), kFolderFlags & ~O_NOFOLLOW));
    if (!root)
        return entries;
    const UniqueFd info(::openat(root.get(), "info", kFolderFlags));
    const UniqueFd files(::openat(root.get(), "files", kFolderFlags));
    if (!info || !files)
        return entries;
    const QHash<QByteArray, std::int64_t> cached
        = measure ? freshDirectorySizes(root.get(), info.get()) : QHash<QByteArray, std::int64_t>();
    Budget budget { limits.visitLimit, std::chrono::steady_clock::now() + limits.timeLimit };
    const QByteArray filesPath = joinBytes(pathToBytes(trash.path), "files");
    for (const QByteArray &infoName : namesIn(info.get())) {
        if (!infoName.endsWith(kInfoSuffix) || infoName.size() == kInfoSuffix.size())
            continue;
        const QByteArray name = infoName.chopped(kInfoSuffix.size());
        struct stat st { };
        if (::fstatat(files.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue; // an info file left without its item
        UniqueFd file(::openat(info.get(), infoName.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!file)
            continue;
        const BoundedRead text = readBounded(std::move(file), { kTrashInfoLimit, FinalLink::refuse });
        const auto fields = text.ok() ? parseTrashInfo(text.data) : std::nullopt;
        if (!fields)
            continue;
        QByteArray original = fields->path;
        if (!original.startsWith('/')) {
            if (trash.topDirectory.isEmpty())
                continue; // a relative path means nothing in the home trash
            original = joinBytes(pathToBytes(trash.topDirectory), original);
        }
        TrashEntry entry;
        entry.trash = trash;
        entry.name = name;
        entry.trashedPath = pathFromBytes(joinBytes(filesPath, name));
        entry.originalPath = pathFromBytes(original);
        entry.deletionDate = fields->deletionDate;
        entry.folder = S_ISDIR(st.st_mode);
        if (measure) {
            if (!entry.folder) {
                entry.bytes = S_ISREG(st.st_mode) ? std::int64_t(st.st_size) : 0;
            } else if (const auto it = cached.constFind(name); it != cached.constEnd()) {
                entry.bytes = *it;
            } else if (budget.visitsLeft > 0 && std::chrono::steady_clock::now() < budget.deadline
                && !(limits.cancel && limits.cancel->isCancelled())) {
                WalkReport report;
                const SubtreeSize size = measureSubtree(entry.trashedPath, walkOptions(limits, budget), &report);
                budget.visitsLeft -= report.visited;
                entry.bytes = size.bytes;
                entry.sizeIsComplete = size.complete;
            } else {
                entry.sizeIsComplete = false;
            }
        }
        entries.append(entry);
    }
    return entries;
}

TrashUsage measureTrashes(const QList<TrashLocation> &trashes, const TrashMeasureLimits &limits)
{
    TrashUsage usage;
    Budget budget { limits.visitLimit, std::chrono::steady_clock::now() + limits.timeLimit };
    for (const TrashLocation &trash : trashes) {
        ++usage.trashes;
        QHash<QByteArray, std::int64_t> cached;
#if !defined(Q_OS_MACOS)
        {
            const UniqueFd root(::open(pathToBytes(trash.path).constData(), kFolderFlags & ~O_NOFOLLOW));
            const UniqueFd info(root ? ::openat(root.get(), "info", kFolderFlags) : -1);
            if (info)
                cached = freshDirectorySizes(root.get(), info.get());
        }
#endif
        if (budget.visitsLeft <= 0 || std::chrono::steady_clock::now() >= budget.deadline) {
            usage.complete = false;
            continue;
        }
        // Per-worker sums: the visitor runs on several threads at once.
        std::array<std::int64_t, 16> bytes {};
        std::array<std::int64_t, 16> items {};
        const WalkReport report = walk(
            pathFromBytes(itemsFolder(trash)),
            [&](const WalkEntry &entry) {
                const size_t worker = size_t(entry.worker) % bytes.size();
                if (entry.depth == 1) {
                    ++items[worker];
                    if (entry.type == WalkEntryType::folder) {
                        const auto it
                            = cached.constFind(QByteArray(entry.name().data(), qsizetype(entry.name().size())));
                        if (it != cached.constEnd()) {
                            bytes[worker] += *it;
                            return Visit::skipChildren;
                        }
                    }
                }
                if (entry.type == WalkEntryType::file && S_ISREG(entry.st->st_mode))
                    bytes[worker] += std::int64_t(entry.st->st_size);
                return Visit::descend;
            },
            walkOptions(limits, budget));
        budget.visitsLeft -= report.visited;
        for (size_t i = 0; i < bytes.size(); ++i) {
            usage.bytes += bytes[i];
            usage.items += items[i];
        }
        switch (report.root) {
        case RootState::ok:
            if (!report.isComplete())
                usage.complete = false;
            break;
        case RootState::missing:
            break; // a trash without items yet
        case RootState::unreadable:
        case RootState::notFolder:
        case RootState::symlink:
            ++usage.unreadable;
            usage.complete = false;
            break;
        }
    }
    return usage;
}

} // namespace Morvane
