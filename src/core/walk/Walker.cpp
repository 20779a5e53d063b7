#include "core/walk/Walker.h"

#include "core/Paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <functional>
#include <thread>
#include <unordered_set>
#include <vector>

namespace Morvane {

namespace {

using Clock = std::chrono::steady_clock;

std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

int realOpenFolder(const char *path)
{
    return ::open(path, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

int realStatAt(int dirFd, const char *name, struct stat *st)
{
    return ::fstatat(dirFd, name, st, AT_SYMLINK_NOFOLLOW);
}

bool isDataless([[maybe_unused]] const struct stat &st)
{
#if defined(SF_DATALESS)
    return (st.st_flags & SF_DATALESS) != 0;
#else
    return false;
#endif
}

constexpr int sampleLimit = 8;

// Paths shorter than this are opened by name in one call; longer ones (PATH_MAX is
// 4096 on Linux, 1024 on macOS) below the root's handle, piece by piece.
#ifdef Q_OS_MACOS
constexpr std::size_t directOpenLimit = 1000;
#else
constexpr std::size_t directOpenLimit = 4000;
#endif
constexpr std::size_t openStepLimit = directOpenLimit - 100;

struct FolderKey {
    std::uint64_t device;
    std::uint64_t inode;
    friend bool operator==(const FolderKey &, const FolderKey &) = default;
};

struct FolderKeyHash {
    std::size_t operator()(const FolderKey &k) const noexcept
    {
        return std::hash<std::uint64_t>()(k.inode * 0x9E3779B97F4A7C15ULL ^ k.device);
    }
};

struct PendingFolder {
    std::string path;
    int depth = 0;
    dev_t device = 0;
    ino_t inode = 0;
    int fd = -1; // the root arrives opened
};

// One walk's shared state. Workers take folders from a stack (depth-first keeps the
// queue short), list them, and push the folders found.
class Walk {
public:
    Walk(const WalkVisitor &visit, const WalkOptions &options, std::size_t rootLength, dev_t rootDevice,
        UniqueFd rootHandle)
        : m_visit(visit)
        , m_options(options)
        , m_rootLength(rootLength)
        , m_rootDevice(rootDevice)
        , m_rootHandle(std::move(rootHandle))
    {
        if (options.calls && options.calls->openFolder)
            m_openFolder = options.calls->openFolder;
        if (options.calls && options.calls->statAt)
            m_statAt = options.calls->statAt;
    }

    void run(PendingFolder root, int threads, WalkReport &report)
    {
        m_seen.insert({ std::uint64_t(root.device), std::uint64_t(root.inode) });
        m_stack.push_back(std::move(root));
        m_pending = 1;
        std::vector<std::thread> pool;
        pool.reserve(std::size_t(threads));
        for (int i = 0; i < threads; ++i)
            pool.emplace_back([this, i] { work(i); });
        for (std::thread &t : pool)
            t.join();
        for (PendingFolder &left : m_stack) {
            if (left.fd >= 0)
                ::close(left.fd);
        }
        report.stop = WalkStop(m_stop.load());
        report.visited = m_visited.load();
        if (m_options.visitLimit > 0)
            report.visited = std::min(report.visited, m_options.visitLimit);
        report.folders = m_folders.load();
        report.unreadableFolders = m_unreadableFolders.load();
        report.unreadableEntries = m_unreadableEntries.load();
        report.otherFileSystems = m_otherFileSystems.load();
        report.changedFolders = m_changed.load();
        report.loops = m_loops.load();
        report.specialSkipped = m_special.load();
        report.datalessSkipped = m_dataless.load();
        report.unreadableSamples = m_unreadableSamples;
        report.otherFileSystemSamples = m_otherSamples;
        report.excludedFolders = m_excluded.load();
        report.excludedSamples = m_excludedSamples;
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    void stop(WalkStop reason)
    {
        std::uint8_t expected = std::uint8_t(WalkStop::none);
        m_stop.compare_exchange_strong(expected, std::uint8_t(reason));
        std::lock_guard lock(m_mutex);
        m_wake.notify_all();
    }

    [[nodiscard]] bool stopped() const { return m_stop.load(std::memory_order_relaxed) != 0; }

    // False when the walk must end.
    bool budgetAllows(bool checkClock)
    {
        if (stopped())
            return false;
        if (m_options.cancel && m_options.cancel->isCancelled()) {
            stop(WalkStop::cancelled);
            return false;
        }
        if (checkClock && Clock::now() >= m_options.deadline) {
            stop(WalkStop::deadline);
            return false;
        }
        return true;
    }

    void problem(WalkProblem::Kind kind, std::string_view path, int error)
    {
        switch (kind) {
        case WalkProblem::Kind::unreadableFolder:
            ++m_unreadableFolders;
            break;
        case WalkProblem::Kind::unreadableEntry:
            ++m_unreadableEntries;
            break;
        case WalkProblem::Kind::otherFileSystem:
            ++m_otherFileSystems;
            break;
        case WalkProblem::Kind::changed:
            ++m_changed;
            break;
        case WalkProblem::Kind::loop:
            ++m_loops;
            break;
        }
        if (kind == WalkProblem::Kind::unreadableFolder || kind == WalkProblem::Kind::otherFileSystem) {
            std::lock_guard lock(m_sampleMutex);
            QStringList &samples = kind == WalkProblem::Kind::unreadableFolder ? m_unreadableSamples : m_otherSamples;
            if (samples.size() < sampleLimit)
                samples.append(pathFromBytes(QByteArrayView(path.data(), qsizetype(path.size()))));
        }
        if (m_options.onProblem)
            m_options.onProblem(WalkProblem { kind, std::string(path), error });
    }

    void work(int worker)
    {
        for (;;) {
            PendingFolder folder;
            {
                std::unique_lock lock(m_mutex);
                m_wake.wait(lock, [this] { return !m_stack.empty() || m_pending == 0 || stopped(); });
                if (stopped() || m_stack.empty())
                    return;
                folder = std::move(m_stack.back());
                m_stack.pop_back();
            }
            std::vector<PendingFolder> found;
            try {
                list(folder, worker, found);
            } catch (...) {
                {
                    std::lock_guard lock(m_mutex);
                    if (!m_error)
                        m_error = std::current_exception();
                }
                stop(WalkStop::visitor);
            }
            std::lock_guard lock(m_mutex);
            for (PendingFolder &child : found) {
                if (!m_seen.insert({ std::uint64_t(child.device), std::uint64_t(child.inode) }).second) {
                    problem(WalkProblem::Kind::loop, child.path, 0);
                    continue;
                }
                m_stack.push_back(std::move(child));
                ++m_pending;
            }
            --m_pending;
            if (m_pending == 0 || m_stack.size() > 1)
                m_wake.notify_all();
            else if (!m_stack.empty())
                m_wake.notify_one();
        }
    }

    void list(PendingFolder &folder, int worker, std::vector<PendingFolder> &found)
    {
        if (!budgetAllows(true)) {
            if (folder.fd >= 0)
                ::close(folder.fd);
            return;
        }
        int fd = folder.fd;
        if (fd < 0) {
            if (folder.path.size() < directOpenLimit)
                fd = m_openFolder(folder.path.c_str());
            else
                fd = openFolderBelow(m_rootHandle.get(), std::string_view(folder.path).substr(m_rootLength + 1))
                         .release();
            if (fd < 0) {
                problem(WalkProblem::Kind::unreadableFolder, folder.path, errno);
                return;
            }
            // The name was checked with lstat when it was listed; make sure the folder we
            // opened is still that one, not something swapped in through a link above it.
            struct stat opened { };
            if (::fstat(fd, &opened) != 0 || opened.st_dev != folder.device || opened.st_ino != folder.inode) {
                ::close(fd);
                problem(WalkProblem::Kind::changed, folder.path, 0);
                return;
            }
        }
        DIR *dir = ::fdopendir(fd);
        if (!dir) {
            const int error = errno;
            ::close(fd);
            problem(WalkProblem::Kind::unreadableFolder, folder.path, error);
            return;
        }
        struct Closer {
            DIR *dir;
            ~Closer() { ::closedir(dir); }
        } closer { dir };
        ++m_folders;
        std::string path = std::move(folder.path);
        const std::size_t base = path.size();
        path += '/';
        const int dirFd = dirfd(dir);
        std::int64_t sinceReport = 0;
        std::uint32_t tick = 0;
        bool listed = false;
        for (;;) {
            errno = 0;
            const dirent *item = ::readdir(dir);
            if (!item) {
                if (errno != 0)
                    problem(WalkProblem::Kind::unreadableFolder, std::string_view(path).substr(0, base), errno);
                else
                    listed = true;
                break;
            }
            const char *name = item->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)))
                continue;
            if (!budgetAllows((++tick & 127) == 0))
                break;
            if (m_options.visitLimit > 0 && m_visited.fetch_add(1, std::memory_order_relaxed) >= m_options.visitLimit) {
                stop(WalkStop::visitLimit);
                break;
            }
            if (m_options.visitLimit <= 0)
                m_visited.fetch_add(1, std::memory_order_relaxed);
            path.resize(base + 1);
            path += name;
            ++sinceReport;
            if (m_options.progress && sinceReport >= 512) {
                m_options.progress->add(sinceReport, std::string_view(path).substr(0, base));
                sinceReport = 0;
            }
            struct stat st { };
            if (m_statAt(dirFd, name, &st) != 0) {
                if (errno != ENOENT) // a name that vanished since listing is simply gone
                    problem(WalkProblem::Kind::unreadableEntry, path, errno);
                continue;
            }
            WalkEntryType type;
            if (S_ISREG(st.st_mode))
                type = WalkEntryType::file;
            else if (S_ISDIR(st.st_mode))
                type = WalkEntryType::folder;
            else if (S_ISLNK(st.st_mode))
                type = WalkEntryType::symlink;
            else {
                ++m_special;
                continue;
            }
            if (isDataless(st)) {
                ++m_dataless;
                continue;
            }
            if (type == WalkEntryType::folder && st.st_dev != m_rootDevice) {
                problem(WalkProblem::Kind::otherFileSystem, path, 0);
                continue;
            }
            if (type == WalkEntryType::folder && isExcluded(st)) {
                ++m_excluded;
                std::lock_guard lock(m_sampleMutex);
                if (m_excludedSamples.size() < sampleLimit)
                    m_excludedSamples.append(pathFromBytes(QByteArrayView(path.data(), qsizetype(path.size()))));
                continue;
            }
            const WalkEntry entry { path, base + 1, m_rootLength, folder.depth + 1, type, worker, &st };
            const Visit next = m_visit(entry);
            if (next == Visit::stop) {
                stop(WalkStop::visitor);
                break;
            }
            if (type == WalkEntryType::folder && next == Visit::descend)
                found.push_back(PendingFolder { path, folder.depth + 1, st.st_dev, st.st_ino, -1 });
        }
        if (m_options.progress)
            m_options.progress->add(sinceReport, std::string_view(path).substr(0, base));
        if (m_options.onFolderListed)
            m_options.onFolderListed(std::string_view(path).substr(0, base), listed);
    }

    [[nodiscard]] bool isExcluded(const struct stat &st) const
    {
        for (const FolderIdentity &folder : m_options.excluded) {
            if (folder.device == st.st_dev && folder.inode == st.st_ino)
                return true;
        }
        return false;
    }

    const WalkVisitor &m_visit;
    const WalkOptions &m_options;
    const std::size_t m_rootLength;
    const dev_t m_rootDevice;
    const UniqueFd m_rootHandle; // deep folders are opened below it
    std::function<int(const char *)> m_openFolder = realOpenFolder;
    std::function<int(int, const char *, struct stat *)> m_statAt = realStatAt;

    std::mutex m_mutex; // guards the stack, m_pending, m_seen, m_error
    std::condition_variable m_wake;
    std::vector<PendingFolder> m_stack;
    std::int64_t m_pending = 0; // folders on the stack or being listed
    std::unordered_set<FolderKey, FolderKeyHash> m_seen;
    std::exception_ptr m_error;

    std::atomic<std::uint8_t> m_stop { 0 };
    std::atomic<std::int64_t> m_visited { 0 };
    std::atomic<std::int64_t> m_folders { 0 };
    std::atomic<std::int64_t> m_unreadableFolders { 0 };
    std::atomic<std::int64_t> m_unreadableEntries { 0 };
    std::atomic<std::int64_t> m_otherFileSystems { 0 };
    std::atomic<std::int64_t> m_changed { 0 };
    std::atomic<std::int64_t> m_loops { 0 };
    std::atomic<std::int64_t> m_special { 0 };
    std::atomic<std::int64_t> m_dataless { 0 };
    std::atomic<std::int64_t> m_excluded { 0 };
    std::mutex m_sampleMutex;
    QStringList m_excludedSamples;
    QStringList m_unreadableSamples;
    QStringList m_otherSamples;
};

} // namespace

UniqueFd openFolderBelow(int base, std::string_view relative)
{
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    UniqueFd current;
    int from = base;
    while (!relative.empty()) {
        std::size_t cut = relative.size();
        if (cut > openStepLimit) {
            cut = relative.rfind('/', openStepLimit);
            if (cut == std::string_view::npos || cut == 0) {
                errno = ENAMETOOLONG; // one name longer than a step: no file system allows it
                return {};
            }
        }
        const std::string step(relative.substr(0, cut));
        UniqueFd next(::openat(from, step.c_str(), flags));
        if (!next)
            return {};
        current = std::move(next);
        from = current.get();
        relative = cut < relative.size() ? relative.substr(cut + 1) : std::string_view();
    }
    if (!current)
        current.reset(::fcntl(base, F_DUPFD_CLOEXEC, 0));
    return current;
}

QString WalkEntry::qpath() const
{
    return pathFromBytes(QByteArrayView(path.data(), qsizetype(path.size())));
}

ProgressSampler::ProgressSampler(ProgressFn callback, QString home, std::chrono::milliseconds interval)
    : m_callback(std::move(callback))
    , m_home(std::move(home))
    , m_intervalNs(std::chrono::duration_cast<std::chrono::nanoseconds>(interval).count())
{
}

void ProgressSampler::setPhase(const QString &phase)
{
    std::lock_guard lock(m_mutex);
    m_phase = phase;
}

void ProgressSampler::add(std::int64_t examined, std::string_view currentFolder)
{
    m_examined.fetch_add(examined, std::memory_order_relaxed);
    if (!m_callback)
        return;
    const std::int64_t now = nowNs();
    std::int64_t last = m_lastReportNs.load(std::memory_order_relaxed);
    if (last != 0 && now - last < m_intervalNs)
        return;
    if (!m_lastReportNs.compare_exchange_strong(last, now))
        return; // another worker took this slot
    report(currentFolder);
}

void ProgressSampler::flush()
{
    if (!m_callback)
        return;
    m_lastReportNs.store(nowNs());
    report({});
}

void ProgressSampler::report(std::string_view folder)
{
    std::unique_lock lock(m_mutex, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    QString line = m_phase;
    if (!folder.empty()) {
        QString shown = displayPath(pathFromBytes(QByteArrayView(folder.data(), qsizetype(folder.size()))));
        if (!m_home.isEmpty() && (shown == m_home || shown.startsWith(m_home + u'/')))
            shown = u'~' + shown.mid(m_home.size());
        line += QStringLiteral(" · ") + shown;
    }
    m_reports.fetch_add(1, std::memory_order_relaxed);
    m_callback(line, m_examined.load(std::memory_order_relaxed));
}

WalkReport walk(const QString &root, const WalkVisitor &visit, const WalkOptions &options)
{
    WalkReport report;
    QByteArray rootBytes = pathToBytes(root);
    while (rootBytes.size() > 1 && rootBytes.endsWith('/'))
        rootBytes.chop(1);
    if (::lstat(rootBytes.constData(), &report.rootStat) != 0) {
        report.rootError = errno;
        report.root = errno == ENOENT || errno == ENOTDIR ? RootState::missing : RootState::unreadable;
        return report;
    }
    if (S_ISLNK(report.rootStat.st_mode)) {
        report.root = RootState::symlink;
        return report;
    }
    if (!S_ISDIR(report.rootStat.st_mode)) {
        report.root = RootState::notFolder;
        return report;
    }
    const auto openFolder = options.calls && options.calls->openFolder
        ? options.calls->openFolder
        : std::function<int(const char *)>(realOpenFolder);
    const int fd = openFolder(rootBytes.constData());
    if (fd < 0) {
        report.rootError = errno;
        report.root = errno == ENOENT ? RootState::missing : RootState::unreadable;
        return report;
    }
    struct stat opened { };
    if (::fstat(fd, &opened) != 0 || opened.st_ino != report.rootStat.st_ino
        || opened.st_dev != report.rootStat.st_dev) {
        ::close(fd);
        report.root = RootState::unreadable;
        return report;
    }
    // "/" walks as "" so that children read "/name".
    std::string base = rootBytes == "/" ? std::string() : rootBytes.toStdString();
    const std::size_t rootLength = base.size();
    Walk state(visit, options, rootLength, report.rootStat.st_dev, UniqueFd(::fcntl(fd, F_DUPFD_CLOEXEC, 0)));
    state.run(PendingFolder { std::move(base), 0, report.rootStat.st_dev, report.rootStat.st_ino, fd },
        std::clamp(options.threads, 1, 16), report);
    return report;
}

SubtreeSize measureSubtree(const QString &folder, const WalkOptions &options, WalkReport *report)
{
    const int threads = std::clamp(options.threads, 1, 16);
    std::vector<std::int64_t> bytes(std::size_t(threads), 0);
    std::vector<std::int64_t> entries(std::size_t(threads), 0);
    const WalkReport r = walk(
        folder,
        [&](const WalkEntry &e) {
            if (e.type == WalkEntryType::file)
                bytes[std::size_t(e.worker)] += e.st->st_size;
            ++entries[std::size_t(e.worker)];
            return Visit::descend;
        },
        options);
    SubtreeSize size;
    for (int i = 0; i < threads; ++i) {
        size.bytes += bytes[std::size_t(i)];
        size.entries += entries[std::size_t(i)];
    }
    size.complete = r.isComplete();
    if (report)
        *report = r;
    return size;
}

} // namespace Morvane
