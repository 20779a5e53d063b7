#include "core/files/DuplicatePipeline.h"

#include "core/Identity.h"
#include "core/Posix.h"

#include <QLoggingCategory>

#include <xxhash.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <limits>
#include <numeric>
#include <optional>
#include <thread>
#include <utility>

Q_LOGGING_CATEGORY(lcDuplicates, "morvane.duplicates", QtWarningMsg)

namespace Morvane {

namespace {

using Group = std::vector<std::uint32_t>; // indices into the candidate list
using Groups = std::vector<Group>;

struct Hash {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    friend bool operator==(const Hash &, const Hash &) = default;
    friend auto operator<=>(const Hash &, const Hash &) = default;
};

// What one read of one file came to.
enum class ReadOutcome : std::uint8_t { notRun, hashed, changed, vanished, unreadable };

struct ReadResult {
    ReadOutcome outcome = ReadOutcome::notRun;
    Hash hash;
    std::int64_t bytesRead = 0;
};

// One stage's reads, kept as two plain arrays (17 bytes a file).
struct StageResults {
    std::vector<ReadOutcome> outcomes;
    std::vector<Hash> hashes;
    std::atomic<std::int64_t> bytesRead { 0 };
};

struct Range {
    std::int64_t offset = 0;
    std::int64_t length = 0;
};

constexpr std::int64_t readChunkBytes = 1 << 20;
// Below this a read is too small to matter to the page cache.
constexpr std::int64_t adviseFromBytes = 256 * 1024;

bool sameFile(const Fingerprint &seen, const struct stat &now)
{
    const Fingerprint f = fingerprintFromStat(now);
    return f.device == seen.device && f.inode == seen.inode && f.size == seen.size && f.modifiedNs == seen.modifiedNs
        && f.changedNs == seen.changedNs;
}

// True when every page of the range was already in the page cache before we read it;
// only pages we brought in ourselves are handed back afterwards, so the user's own
// cache survives the scan.
bool rangeIsResident(int fd, Range range)
{
    static const long pageSize = ::sysconf(_SC_PAGESIZE);
    const std::int64_t start = range.offset - range.offset % pageSize;
    const std::int64_t length = range.offset + range.length - start;
    void *map = ::mmap(nullptr, size_t(length), PROT_READ, MAP_SHARED, fd, off_t(start));
    if (map == MAP_FAILED)
        return false;
    const size_t pages = size_t((length + pageSize - 1) / pageSize);
#ifdef Q_OS_MACOS
    std::vector<char> vec(pages);
#else
    std::vector<unsigned char> vec(pages);
#endif
    bool resident = ::mincore(map, size_t(length), vec.data()) == 0;
    for (size_t i = 0; resident && i < pages; ++i)
        resident = (vec[i] & 1) != 0;
    ::munmap(map, size_t(length));
    return resident;
}

// Per-thread reading state, made once per reader. Block stages need no more than a
// block of buffer; only whole-file reads get the large one.
struct Reader {
    explicit Reader(std::int64_t bufferBytes)
        : buffer(size_t(bufferBytes))
    {
    }
    std::vector<char> buffer;
    XXH3_state_t *state = XXH3_createState();
    std::int64_t folder = -1; // the folder of the last file read, kept open for its siblings
    UniqueFd folderFd;
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;
    ~Reader() { XXH3_freeState(state); }
};

ReadResult hashRange(
    const DuplicateCandidates &files, std::size_t index, Range range, const ContentReadOps &ops, Reader &reader)
{
    std::vector<char> &buffer = reader.buffer;
    XXH3_state_t *state = reader.state;
    ReadResult result;
    const Fingerprint identity = files.identity(index);
    const char *folder = files.folder(index);
    if (std::int64_t(files.folderIndex(index)) != reader.folder) {
        reader.folder = files.folderIndex(index);
        reader.folderFd = UniqueFd(ops.openFolder(*folder ? folder : "/"));
    }
    errno = 0;
    const UniqueFd fd(reader.folderFd ? ops.openFile(reader.folderFd.get(), files.name(index))
                                      : ops.openFile(AT_FDCWD, files.path(index).constData()));
    if (!fd) {
        // ELOOP: the path became a symbolic link (O_NOFOLLOW), so not what the walk saw.
        result.outcome = (errno == ENOENT || errno == ENOTDIR) ? ReadOutcome::vanished
            : errno == ELOOP                                   ? ReadOutcome::changed
                                                               : ReadOutcome::unreadable;
        return result;
    }
    struct stat before { };
    if (::fstat(fd.get(), &before) != 0) {
        result.outcome = ReadOutcome::unreadable;
        return result;
    }
    // Something else now under the name (a FIFO, a device, a folder) is not the file
    // the walk saw.
    if (!S_ISREG(before.st_mode) || !sameFile(identity, before)) {
        result.outcome = ReadOutcome::changed;
        return result;
    }
    const bool large = range.length >= adviseFromBytes;
    const bool handBack = large && !rangeIsResident(fd.get(), range);
#ifndef Q_OS_MACOS
    if (large)
        ::posix_fadvise(fd.get(), off_t(range.offset), off_t(range.length), POSIX_FADV_SEQUENTIAL);
#endif
    XXH3_128bits_reset(state);
    std::int64_t done = 0;
    bool failed = false;
    bool shortRead = false;
    while (done < range.length) {
        const std::int64_t want = std::min<std::int64_t>(range.length - done, std::int64_t(buffer.size()));
        const ssize_t got = ::pread(fd.get(), buffer.data(), size_t(want), off_t(range.offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            failed = true;
            break;
        }
        if (got == 0) {
            shortRead = true;
            break;
        }
        XXH3_128bits_update(state, buffer.data(), size_t(got));
        done += got;
    }
    const XXH128_hash_t h = XXH3_128bits_digest(state);
    result.bytesRead = done;
#ifndef Q_OS_MACOS
    if (handBack)
        ::posix_fadvise(fd.get(), off_t(range.offset), off_t(range.length), POSIX_FADV_DONTNEED);
#else
    Q_UNUSED(handBack);
#endif
    // A read of one chunk saw the file at one moment, just after the identity check;
    // a longer read checks again that nothing changed while it ran.
    const bool oneChunk = range.length <= std::int64_t(buffer.size());
    struct stat after { };
    if (failed) {
        result.outcome = ReadOutcome::unreadable;
    } else if (shortRead || (!oneChunk && (::fstat(fd.get(), &after) != 0 || !sameFile(identity, after)))) {
        result.outcome = ReadOutcome::changed;
    } else {
        result.outcome = ReadOutcome::hashed;
        result.hash = { h.low64, h.high64 };
    }
    return result;
}

// The byte range a stage hashes for a file of `size` bytes (all files of a group have
// the same size); an empty range means the stage has nothing left to compare.
Range stageRange(DuplicateStage stage, std::int64_t size)
{
    const std::int64_t b = duplicateBlockBytes;
    switch (stage) {
    case DuplicateStage::head:
        return { 0, std::min(size, b) };
    case DuplicateStage::tail:
        if (size <= b)
            return {};
        return size <= 2 * b ? Range { b, size - b } : Range { size - b, b };
    case DuplicateStage::content:
        if (size <= 2 * b)
            return {};
        return { 0, size };
    case DuplicateStage::size:
    case DuplicateStage::hardLinks:
        break;
    }
    return {};
}

class Pipeline {
public:
    Pipeline(DuplicateCandidates candidates, const DuplicateOptions &options)
        : m_files(std::move(candidates))
        , m_options(options)
        , m_budget(options.contentReadLimit)
    {
        const ContentReadOps real = defaultContentReadOps();
        if (!m_options.ops.openFolder)
            m_options.ops.openFolder = real.openFolder;
        if (!m_options.ops.openFile)
            m_options.ops.openFile = real.openFile;
        m_threads = m_options.readerThreads > 0 ? m_options.readerThreads
                                                : int(std::clamp(std::thread::hardware_concurrency() * 2, 2u, 8u));
    }

    DuplicateOutcome run()
    {
        Groups groups = bySize();
        finishStage(DuplicateStage::size, groups, 0);
        groups = withoutHardLinkCopies(std::move(groups));
        finishStage(DuplicateStage::hardLinks, groups, 0);
        for (DuplicateStage stage : { DuplicateStage::head, DuplicateStage::tail, DuplicateStage::content }) {
            const std::int64_t before = m_out.bytesRead;
            groups = rehash(std::move(groups), stage);
            finishStage(stage, groups, m_out.bytesRead - before);
        }
        for (const Group &group : groups) {
            std::vector<DuplicateCandidate> set;
            set.reserve(group.size());
            for (std::uint32_t i : group)
                set.push_back({ m_files.path(i), m_files.identity(i) });
            std::sort(set.begin(), set.end(),
                [](const DuplicateCandidate &a, const DuplicateCandidate &b) { return a.path < b.path; });
            m_out.groups.push_back(std::move(set));
        }
        return std::move(m_out);
    }

private:
    void checkCancel() const
    {
        if (m_options.cancel)
            m_options.cancel->throwIfCancelled();
    }

    void finishStage(DuplicateStage stage, const Groups &groups, std::int64_t bytesRead)
    {
        DuplicateStageLog log { stage, std::int64_t(groups.size()), 0, bytesRead };
        for (const Group &g : groups)
            log.files += std::int64_t(g.size());
        m_out.stages.push_back(log);
        qCDebug(lcDuplicates) << "stage" << int(stage) << "groups" << log.groups << "files" << log.files << "read"
                              << bytesRead;
        checkCancel();
        if (m_options.afterStage)
            m_options.afterStage(stage);
    }

    Groups bySize()
    {
        std::vector<std::uint32_t> order;
        order.reserve(m_files.size());
        for (std::uint32_t i = 0; i < m_files.size(); ++i) {
            if (m_files.fileSize(i) == 0)
                ++m_out.emptyFiles; // nothing to free, and every empty file "equals" every other
            else
                order.push_back(i);
        }
        std::sort(order.begin(), order.end(),
            [this](std::uint32_t a, std::uint32_t b) { return m_files.fileSize(a) < m_files.fileSize(b); });
        return runsOf(
            order, [this](std::uint32_t a, std::uint32_t b) { return m_files.fileSize(a) == m_files.fileSize(b); });
    }

    template <typename Same> static Groups runsOf(const std::vector<std::uint32_t> &sorted, Same same)
    {
        Groups out;
        size_t start = 0;
        for (size_t i = 1; i <= sorted.size(); ++i) {
            if (i == sorted.size() || !same(sorted[start], sorted[i])) {
                if (i - start >= 2)
                    out.emplace_back(sorted.begin() + std::ptrdiff_t(start), sorted.begin() + std::ptrdiff_t(i));
                start = i;
            }
        }
        return out;
    }

    // Moving one name of a hard-linked file frees nothing: each inode takes part once,
    // under its first path.
    Groups withoutHardLinkCopies(Groups groups)
    {
        Groups out;
        for (Group &group : groups) {
            std::sort(group.begin(), group.end(), [this](std::uint32_t a, std::uint32_t b) {
                const Fingerprint fa = m_files.identity(a);
                const Fingerprint fb = m_files.identity(b);
                if (fa.device != fb.device)
                    return fa.device < fb.device;
                if (fa.inode != fb.inode)
                    return fa.inode < fb.inode;
                return m_files.path(a) < m_files.path(b); // names of one inode: rare
            });
            Group kept;
            for (size_t i = 0; i < group.size(); ++i) {
                const Fingerprint f = m_files.identity(group[i]);
                if (i > 0) {
                    const Fingerprint p = m_files.identity(group[i - 1]);
                    if (p.device == f.device && p.inode == f.inode) {
                        ++m_out.hardLinkCopies;
                        continue;
                    }
                }
                kept.push_back(group[i]);
            }
            if (kept.size() >= 2)
                out.push_back(std::move(kept));
        }
        return out;
    }

    // Decides, before any reading, which groups the stage may read within the content
    // bound: the groups that could free the most first; a group that does not fit is
    // left out whole (a half-read group proves nothing) and smaller ones still get
    // their turn.
    Groups withinBudget(Groups groups, DuplicateStage stage)
    {
        std::vector<std::pair<std::int64_t, size_t>> order; // (potential bytes, group)
        for (size_t g = 0; g < groups.size(); ++g) {
            const std::int64_t size = m_files.fileSize(groups[g].front());
            order.emplace_back(size * std::int64_t(groups[g].size() - 1), g);
        }
        std::stable_sort(order.begin(), order.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
        Groups out;
        out.reserve(groups.size());
        for (const auto &[potential, g] : order) {
            const std::int64_t size = m_files.fileSize(groups[g].front());
            const std::int64_t cost = stageRange(stage, size).length * std::int64_t(groups[g].size());
            if (cost <= m_budget) {
                m_budget -= cost;
                out.push_back(std::move(groups[g]));
            } else {
                m_out.uncheckedFiles += std::int64_t(groups[g].size());
                m_out.uncheckedBytes += size * std::int64_t(groups[g].size());
            }
        }
        return out;
    }

    // The one re-hash helper: hashes the stage's range of every file (one file per
    // job, several reader threads), then splits each group by hash and drops
    // singletons. Files that failed leave their group and are counted.
    Groups rehash(Groups groups, DuplicateStage stage)
    {
        groups = withinBudget(std::move(groups), stage);
        std::vector<std::uint32_t> jobs;
        for (const Group &g : groups) {
            if (stageRange(stage, m_files.fileSize(g.front())).length > 0)
                jobs.insert(jobs.end(), g.begin(), g.end());
        }
        if (stage == DuplicateStage::content) {
            // Largest first spreads whole-file reads evenly over the readers.
            std::sort(jobs.begin(), jobs.end(),
                [this](std::uint32_t a, std::uint32_t b) { return m_files.fileSize(a) > m_files.fileSize(b); });
        } else {
            // Block reads are cheap; files were added folder by folder, so index order
            // lets a reader reuse its open folder.
            std::sort(jobs.begin(), jobs.end());
        }
        // Per file, not per job: groups look their members up by index.
        StageResults results;
        results.outcomes.assign(m_files.size(), ReadOutcome::notRun);
        results.hashes.resize(m_files.size());
        runJobs(jobs, stage, results);
        m_out.bytesRead += results.bytesRead.load();
        checkCancel();

        Groups out;
        for (Group &group : groups) {
            if (stageRange(stage, m_files.fileSize(group.front())).length == 0) {
                out.push_back(std::move(group)); // already fully compared
                continue;
            }
            Group hashed;
            for (std::uint32_t i : group) {
                switch (results.outcomes[i]) {
                case ReadOutcome::hashed:
                    hashed.push_back(i);
                    break;
                case ReadOutcome::changed:
                    ++m_out.changedFiles;
                    break;
                case ReadOutcome::vanished:
                    ++m_out.vanishedFiles;
                    break;
                case ReadOutcome::unreadable:
                    ++m_out.unreadableFiles;
                    break;
                case ReadOutcome::notRun: // the deadline came first
                    ++m_out.uncheckedFiles;
                    m_out.uncheckedBytes += m_files.fileSize(i);
                    break;
                }
            }
            const std::vector<Hash> &hashes = results.hashes;
            std::sort(hashed.begin(), hashed.end(),
                [&hashes](std::uint32_t a, std::uint32_t b) { return hashes[a] < hashes[b]; });
            for (Group &split :
                runsOf(hashed, [&hashes](std::uint32_t a, std::uint32_t b) { return hashes[a] == hashes[b]; }))
                out.push_back(std::move(split));
        }
        return out;
    }

    void runJobs(const std::vector<std::uint32_t> &jobs, DuplicateStage stage, StageResults &results)
    {
        if (jobs.empty())
            return;
        std::atomic<size_t> next { 0 };
        // Whole files go one by one; blocks in runs of neighbours from one folder.
        const size_t batch = stage == DuplicateStage::content ? 1 : 32;
        std::atomic<std::int64_t> done { 0 };
        const auto work = [&](bool reports) {
            Reader reader(stage == DuplicateStage::content ? readChunkBytes : duplicateBlockBytes);
            std::int64_t read = 0;
            struct AddOnExit {
                std::atomic<std::int64_t> &total;
                const std::int64_t &part;
                ~AddOnExit() { total.fetch_add(part, std::memory_order_relaxed); }
            } addRead { results.bytesRead, read };
            auto lastReport = std::chrono::steady_clock::now();
            for (;;) {
                if (m_options.cancel && m_options.cancel->isCancelled())
                    return;
                if (std::chrono::steady_clock::now() >= m_options.deadline) {
                    m_timedOut.store(true, std::memory_order_relaxed);
                    return;
                }
                const size_t first = next.fetch_add(batch, std::memory_order_relaxed);
                if (first >= jobs.size())
                    return;
                const size_t last = std::min(first + batch, jobs.size());
                for (size_t k = first; k < last; ++k) {
                    const std::uint32_t i = jobs[k];
                    const ReadResult r
                        = hashRange(m_files, i, stageRange(stage, m_files.fileSize(i)), m_options.ops, reader);
                    results.outcomes[i] = r.outcome;
                    results.hashes[i] = r.hash;
                    read += r.bytesRead;
                }
                const std::int64_t n = done.fetch_add(std::int64_t(last - first), std::memory_order_relaxed)
                    + std::int64_t(last - first);
                if (reports && m_options.progress) {
                    const auto now = std::chrono::steady_clock::now();
                    if (now - lastReport >= std::chrono::milliseconds(50)) {
                        lastReport = now;
                        m_options.progress(stage, n, std::int64_t(jobs.size()));
                    }
                }
            }
        };
        const int helpers = std::min<int>(m_threads, int(jobs.size())) - 1;
        std::vector<std::thread> threads;
        threads.reserve(size_t(std::max(helpers, 0)));
        for (int t = 0; t < helpers; ++t)
            threads.emplace_back(work, false);
        work(true);
        for (std::thread &t : threads)
            t.join();
        if (m_timedOut.load())
            m_out.timedOut = true;
        if (m_options.progress)
            m_options.progress(stage, done.load(), std::int64_t(jobs.size()));
    }

    DuplicateCandidates m_files;
    DuplicateOptions m_options;
    std::int64_t m_budget;
    int m_threads = 2;
    std::atomic<bool> m_timedOut { false };
    DuplicateOutcome m_out;
};

} // namespace

ContentReadOps defaultContentReadOps()
{
    ContentReadOps ops;
    ops.openFolder = [](const char *folder) {
#ifdef O_PATH
        return ::open(folder, O_PATH | O_DIRECTORY | O_CLOEXEC);
#else
        return ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
    };
    ops.openFile = [](int folderFd, const char *name) {
        // O_NONBLOCK: a name that became a FIFO since the walk must not hold the
        // reader; the type is checked on the descriptor.
        const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
#ifdef O_NOATIME
        // Reading for comparison is not a use of the file; O_NOATIME needs ownership,
        // so fall back without it.
        const int fd = ::openat(folderFd, name, flags | O_NOATIME);
        if (fd >= 0 || errno != EPERM)
            return fd;
#endif
        return ::openat(folderFd, name, flags);
    };
    return ops;
}

void DuplicateCandidates::add(std::string_view path, const Fingerprint &identity)
{
    const auto slash = path.rfind('/');
    const std::string_view folder = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    // A name offset is 32 bits from its folder's first name; a folder whose names
    // would pass that simply starts over as a second record.
    if (m_folders.empty() || m_folders.back().device != identity.device || m_folders.back().path != folder
        || m_names.size() - m_folders.back().names + name.size() + 1 > std::numeric_limits<std::uint32_t>::max())
        m_folders.push_back({ std::string(folder), identity.device, m_names.size() });
    const Folder &current = m_folders.back();
    m_files.push_back({ identity.inode, identity.size, identity.modifiedNs, identity.changedNs,
        std::uint32_t(m_folders.size() - 1), std::uint32_t(m_names.size() - current.names) });
    m_names.append(name);
    m_names.push_back('\0');
}

void DuplicateCandidates::append(DuplicateCandidates &&other)
{
    const auto folderBase = std::uint32_t(m_folders.size());
    const std::size_t nameBase = m_names.size();
    for (Folder &folder : other.m_folders) {
        folder.names += nameBase;
        m_folders.push_back(std::move(folder));
    }
    for (File file : other.m_files) {
        file.folder += folderBase;
        m_files.push_back(file);
    }
    m_names += other.m_names;
    other = DuplicateCandidates();
}

void DuplicateCandidates::reserve(std::size_t files, std::size_t nameBytes)
{
    m_files.reserve(files);
    m_names.reserve(nameBytes);
}

QByteArray DuplicateCandidates::path(std::size_t i) const
{
    const std::string &folder = m_folders[m_files[i].folder].path;
    const char *n = name(i);
    QByteArray out;
    out.reserve(qsizetype(folder.size() + 1 + std::strlen(n)));
    out.append(folder.data(), qsizetype(folder.size())).append('/').append(n);
    return out;
}

DuplicateOutcome findDuplicates(DuplicateCandidates candidates, const DuplicateOptions &options)
{
    return Pipeline(std::move(candidates), options).run();
}

DuplicateOutcome findDuplicates(const std::vector<DuplicateCandidate> &candidates, const DuplicateOptions &options)
{
    DuplicateCandidates compact;
    for (const DuplicateCandidate &c : candidates)
        compact.add(std::string_view(c.path.constData(), size_t(c.path.size())), c.identity);
    return findDuplicates(std::move(compact), options);
}

} // namespace Morvane
