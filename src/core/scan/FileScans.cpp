// The four folder-based scan kinds: large files, installers, duplicates and the space
// analysis. They work in the chosen folder without the junk scans' exclusions, on the
// shared walker (which never follows a symbolic link and skips cloud-only files), and
// leave out ignored paths.

#include "core/scan/FileScanHooks.h"
#include "core/scan/FolderScanTexts.h"
#include "core/scan/KindScans.h"

#include "core/Vocabulary.h"
#include "core/scan/SpaceTree.h"

#include "core/Errors.h"
#include "core/Identity.h"
#include "core/Paths.h"
#include "core/SmallFile.h"
#include "core/files/DuplicatePipeline.h"
#include "core/files/FileTypes.h"
#include "core/files/KeepFirst.h"
#include "core/scan/ScanSupport.h"
#include "core/scan/TrashFolders.h"
#include "core/walk/Walker.h"

#include <QLocale>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_set>

namespace Morvane {

namespace {

const WalkSystemCalls *testWalkCalls = nullptr;

// ---------------------------------------------------------------------------
// Shared pieces

struct StringHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>()(s); }
};
using ByteSet = std::unordered_set<std::string, StringHash, std::equal_to<>>;

QString formatBytes(std::int64_t bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

QDateTime modificationDate(const Fingerprint &f)
{
    return QDateTime::fromMSecsSinceEpoch(f.modifiedNs / 1000000, Qt::UTC);
}

QByteArrayView nameOf(std::string_view path)
{
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return QByteArrayView(name.data(), qsizetype(name.size()));
}

// One walk of the chosen folder with the configuration's budgets, the ignore list and
// the notes every folder kind writes.
class FolderScan {
public:
    FolderScan(ScanKind kind, FileCategory category, const ScanConfiguration &configuration, QString directory,
        const ProgressFn &progress, const CancellationToken &cancel)
        : m_category(category)
        , m_configuration(configuration)
        , m_directory(std::move(directory))
        , m_cancel(cancel)
        , m_sampler(progress, configuration.home)
    {
        m_result.kind = kind;
        m_result.date = configuration.now;
        while (m_directory.size() > 1 && m_directory.endsWith(u'/'))
            m_directory.chop(1);
        for (const QString &ignored : configuration.ignoredPaths) {
            if (isSameOrInside(m_directory, ignored))
                m_rootIgnored = true;
            else if (isSameOrInside(ignored, m_directory))
                m_ignored.insert(pathToBytes(lexicallyNormal(ignored)).toStdString());
        }
    }

    [[nodiscard]] int threads() const { return m_options.threads; }
    [[nodiscard]] ProgressSampler &sampler() { return m_sampler; }
    [[nodiscard]] ScanResult &result() { return m_result; }
    [[nodiscard]] const WalkReport &report() const { return m_report; }
    [[nodiscard]] const QString &directory() const { return m_directory; }
    [[nodiscard]] const ScanConfiguration &configuration() const { return m_configuration; }
    [[nodiscard]] const CancellationToken &cancel() const { return m_cancel; }
    [[nodiscard]] std::chrono::steady_clock::time_point deadline() const
    {
        return m_started + std::chrono::milliseconds(std::int64_t(m_configuration.timeLimit * 1000));
    }

    /// True for a path on the ignore list (counted); the visitor then skips it whole.
    bool ignores(std::string_view path)
    {
        if (m_ignored.empty() || !m_ignored.contains(path))
            return false;
        m_ignoredHits.fetch_add(1, std::memory_order_relaxed);
        return true;
    }

    /// Walks the folder; false when there was nothing to walk (the result then already
    /// says why). Throws CancellationError when cancelled.
    bool walk(const QString &phase, const WalkVisitor &visit, std::function<void(const WalkProblem &)> onProblem = {},
        std::function<void(std::string_view, bool)> onFolderListed = {})
    {
        m_cancel.throwIfCancelled();
        if (m_rootIgnored) {
            m_result.scopeNotes << QStringLiteral("所选文件夹在忽略列表中，没有检查。");
            setCoverage(CoverageState::skipped);
            return false;
        }
        const TrashFolders trash = findTrashFolders(m_configuration.home, m_directory);
        if (!trash.enclosing.isEmpty()) {
            m_result.scopeNotes << trashWorded(QStringLiteral("所选文件夹是废纸篓或位于废纸篓中，没有检查："))
                    + homeShortened(trash.enclosing, m_configuration.home);
            setCoverage(CoverageState::skipped);
            return false;
        }
        m_sampler.setPhase(phase);
        m_options.excluded = trash.folders;
        m_options.visitLimit = m_configuration.visitLimit;
        m_options.deadline = deadline();
        m_options.cancel = &m_cancel;
        m_options.progress = &m_sampler;
        m_options.onProblem = std::move(onProblem);
        m_options.onFolderListed = std::move(onFolderListed);
        m_options.calls = testWalkCalls;
        m_report = Morvane::walk(m_directory, visit, m_options);
        m_sampler.flush();
        m_result.examined = m_report.visited;
        if (m_report.stop == WalkStop::cancelled)
            throw CancellationError();
        const QString shown = homeShortened(m_directory, m_configuration.home);
        switch (m_report.root) {
        case RootState::ok:
            return true;
        case RootState::missing:
            m_result.scopeNotes << QStringLiteral("文件夹不存在：") + shown;
            setCoverage(CoverageState::missing);
            return false;
        case RootState::symlink:
            m_result.scopeNotes << QStringLiteral("所选位置是符号链接，未跟随：") + shown;
            setCoverage(CoverageState::skipped);
            return false;
        case RootState::notFolder:
            m_result.scopeNotes << QStringLiteral("所选位置不是文件夹：") + shown;
            setCoverage(CoverageState::unreadable);
            return false;
        case RootState::unreadable:
            m_result.scopeNotes << QStringLiteral("无法读取文件夹（") + systemErrorText(m_report.rootError)
                    + QStringLiteral("）：") + shown;
            setCoverage(CoverageState::unreadable);
            return false;
        }
        return true;
    }

    /// Scope notes of the walk and the coverage record; `incomplete` adds the kind's
    /// own reasons for partial coverage.
    void finish(bool incomplete)
    {
        addFolderWalkNotes(m_result.scopeNotes,
            { m_directory, m_configuration.home, m_report, m_ignoredHits.load(), m_configuration.visitLimit,
                m_configuration.timeLimit });
        setCoverage(m_report.isComplete() && !incomplete ? CoverageState::complete : CoverageState::partial);
    }

private:
    void setCoverage(CoverageState state)
    {
        m_result.coverage = { ScanCoverage { m_category, std::uint8_t(state), m_report.visited } };
    }

    FileCategory m_category;
    const ScanConfiguration &m_configuration;
    QString m_directory;
    const CancellationToken &m_cancel;
    ProgressSampler m_sampler;
    WalkOptions m_options;
    WalkReport m_report;
    ScanResult m_result;
    ByteSet m_ignored;
    bool m_rootIgnored = false;
    std::atomic<std::int64_t> m_ignoredHits { 0 };
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
};

// ---------------------------------------------------------------------------
// Large files and installers

struct FoundFile {
    std::string path;
    Fingerprint identity;
    std::int64_t bytes = 0; // a file's size, or what a folder installer holds
    bool folder = false;
    bool complete = true;
};

// The first bytes of a file, for the few names whose extension says nothing.
QByteArray sniff(std::string_view path)
{
    return readFileHead(QByteArray(path.data(), qsizetype(path.size())), fileTypeSniffBytes);
}

bool largerFirst(const FoundFile &a, const FoundFile &b)
{
    if (a.bytes != b.bytes)
        return a.bytes > b.bytes;
    return a.path < b.path;
}

// A folder that is one item (a bundle package): its whole tree is measured and
// fingerprinted, as the clean-up will check it. When parts cannot be read, what can be
// counted is kept, marked incomplete, with only the folder's own identity.
FoundFile measureFolderItem(std::string path, const struct stat &st, const FolderScan &scan)
{
    FoundFile found { std::move(path), fingerprintFromStat(st), 0, true, true };
    const QString qpath = pathFromBytes(QByteArrayView(found.path.data(), qsizetype(found.path.size())));
    std::int64_t bytes = 0;
    const auto full = fingerprintPath(qpath, true, &scan.cancel(), &bytes);
    scan.cancel().throwIfCancelled();
    if (full && full->device == found.identity.device && full->inode == found.identity.inode) {
        found.identity = *full;
        found.bytes = bytes;
        return found;
    }
    WalkOptions options;
    options.cancel = &scan.cancel();
    options.deadline = scan.deadline();
    found.bytes = measureSubtree(qpath, options).bytes;
    found.complete = false;
    return found;
}

// Files passing `accepts`, largest first, at most `entryLimit` of them. Each worker
// keeps its own list and trims it now and then, so memory stays near the limit.
// Folders passing `isFolderItem` are listed as one item each, never entered.
ScanResult listFiles(ScanKind kind, FileCategory category, const QString &phase, const ScanConfiguration &configuration,
    const QString &directory, const FileQuery &query, const ProgressFn &progress, const CancellationToken &cancel,
    const std::function<bool(const WalkEntry &)> &accepts,
    const std::function<bool(const WalkEntry &)> &isFolderItem = {})
{
    FolderScan scan(kind, category, configuration, directory, progress, cancel);
    const size_t limit = size_t(std::max(configuration.entryLimit, 0));
    std::vector<std::vector<FoundFile>> found(size_t(scan.threads()));
    std::vector<std::vector<std::pair<std::string, struct stat>>> folderItems(size_t(scan.threads()));
    std::vector<std::int64_t> matched(size_t(scan.threads()), 0);
    const std::int64_t cutoffNs = query.olderThanDays
        ? (configuration.now.toMSecsSinceEpoch() - std::int64_t(*query.olderThanDays) * 86400000) * 1000000
        : 0;
    const auto trim = [limit](std::vector<FoundFile> &list) {
        if (list.size() <= limit)
            return;
        std::nth_element(list.begin(), list.begin() + std::ptrdiff_t(limit), list.end(), largerFirst);
        list.resize(limit);
    };
    const bool walked = scan.walk(phase, [&](const WalkEntry &e) {
        if (scan.ignores(e.path))
            return Visit::skipChildren;
        if (e.type == WalkEntryType::folder && isFolderItem && isFolderItem(e)) {
            // Measured after the walk, so the workers keep listing meanwhile.
            if (!query.olderThanDays || fingerprintFromStat(*e.st).modifiedNs < cutoffNs)
                folderItems[size_t(e.worker)].emplace_back(std::string(e.path), *e.st);
            return Visit::skipChildren;
        }
        if (e.type != WalkEntryType::file || e.st->st_size < query.minimumBytes)
            return Visit::descend;
        const Fingerprint identity = fingerprintFromStat(*e.st);
        if (query.olderThanDays && identity.modifiedNs >= cutoffNs)
            return Visit::descend;
        if (!accepts(e))
            return Visit::descend;
        auto &list = found[size_t(e.worker)];
        ++matched[size_t(e.worker)];
        list.push_back({ std::string(e.path), identity, identity.size });
        if (list.size() >= 2 * limit + 1024)
            trim(list);
        return Visit::descend;
    });
    ScanResult &result = scan.result();
    if (!walked)
        return result;
    std::vector<FoundFile> all;
    std::int64_t total = 0;
    std::int64_t incompleteFolders = 0;
    for (auto &list : folderItems) {
        for (auto &[path, st] : list) {
            FoundFile item = measureFolderItem(std::move(path), st, scan);
            // A size known only in part may still reach the minimum: keep it, marked.
            if (item.complete && item.bytes < query.minimumBytes)
                continue;
            incompleteFolders += item.complete ? 0 : 1;
            ++total;
            all.push_back(std::move(item));
        }
    }
    for (size_t w = 0; w < found.size(); ++w) {
        all.insert(all.end(), std::make_move_iterator(found[w].begin()), std::make_move_iterator(found[w].end()));
        total += matched[w];
    }
    std::sort(all.begin(), all.end(), largerFirst);
    if (all.size() > limit)
        all.resize(limit);
    for (const FoundFile &f : all) {
        FileEntry entry;
        entry.id = QUuid::createUuid();
        entry.path = pathFromBytes(QByteArrayView(f.path.data(), qsizetype(f.path.size())));
        entry.name = lastComponent(entry.path);
        entry.bytes = f.bytes;
        entry.sizeIsComplete = f.complete;
        entry.date = modificationDate(f.identity);
        entry.category = category;
        if (f.folder) {
            entry.detail = QStringLiteral("文件夹形式的安装包 · ") + modifiedDetail(f.identity.modifiedNs);
            if (!f.complete)
                entry.detail += QStringLiteral(" · 部分内容未统计");
            entry.kind = EntryKind::folder(f.identity);
        } else {
            entry.detail = modifiedDetail(f.identity.modifiedNs);
            entry.kind = EntryKind::file(f.identity);
        }
        result.entries.append(std::move(entry));
    }
    if (total > std::int64_t(limit))
        result.scopeNotes << QStringLiteral("符合条件的文件共 %1 个，只列出最大的 %2 个。").arg(total).arg(limit);
    if (incompleteFolders > 0)
        result.scopeNotes
            << QStringLiteral("%1 个文件夹形式的安装包有无法读取的内容，大小未完整统计。").arg(incompleteFolders);
    scan.finish(incompleteFolders > 0);
    return result;
}

// ---------------------------------------------------------------------------
// Duplicates

QString stagePhase(DuplicateStage stage)
{
    switch (stage) {
    case DuplicateStage::size:
    case DuplicateStage::hardLinks:
        return QStringLiteral("正在比较文件大小");
    case DuplicateStage::head:
        return QStringLiteral("正在比对文件开头");
    case DuplicateStage::tail:
        return QStringLiteral("正在比对文件结尾");
    case DuplicateStage::content:
        return QStringLiteral("正在校验完整内容");
    }
    return {};
}

} // namespace

void addFolderWalkNotes(QStringList &notes, const FolderWalkFacts &facts)
{
    const WalkReport &r = facts.report;
    const QString &home = facts.home;
    const auto samples = [&home](const QStringList &paths) {
        QStringList shown;
        for (const QString &p : paths)
            shown << homeShortened(p, home);
        return shown.join(QStringLiteral("、"));
    };
    notes.prepend(QStringLiteral("检查 ") + homeShortened(facts.directory, home)
        + (hostRulePlatform() == RulePlatform::MacOS // only macOS has files that live in the cloud
                ? QStringLiteral(" 下的全部内容；不跟随符号链接，跳过仅存于云端的文件和忽略的路径。")
                : QStringLiteral(" 下的全部内容；不跟随符号链接，跳过忽略的路径。")));
    if (r.stop == WalkStop::visitLimit)
        notes << QStringLiteral("已达到检查数量上限（%1 项），其余位置未检查。").arg(facts.visitLimit);
    if (r.stop == WalkStop::deadline)
        notes << QStringLiteral("已达到时间上限（%1 秒），其余位置未检查。").arg(facts.timeLimit);
    if (r.unreadableFolders > 0)
        notes << QStringLiteral("%1 个文件夹无法读取，未检查其中内容：").arg(r.unreadableFolders)
                + samples(r.unreadableSamples);
    if (r.unreadableEntries > 0)
        notes << QStringLiteral("%1 个项目无法读取，已跳过。").arg(r.unreadableEntries);
    if (r.otherFileSystems > 0)
        notes << QStringLiteral("未进入挂载在其中的其他文件系统：") + samples(r.otherFileSystemSamples);
    if (r.changedFolders > 0)
        notes << QStringLiteral("%1 个文件夹在扫描时被替换，未检查。").arg(r.changedFolders);
    if (r.loops > 0)
        notes << QStringLiteral("%1 个文件夹重复出现（挂载或绑定），只检查一次。").arg(r.loops);
    if (r.specialSkipped > 0)
        notes << QStringLiteral("跳过 %1 个设备、管道或套接字文件。").arg(r.specialSkipped);
    if (r.datalessSkipped > 0)
        notes << QStringLiteral("跳过 %1 个仅存于云端的文件。").arg(r.datalessSkipped);
    if (facts.ignoredHits > 0)
        notes << QStringLiteral("跳过 %1 个忽略的路径。").arg(facts.ignoredHits);
    if (r.excludedFolders > 0)
        notes << trashSkippedNote(r.excludedFolders, r.excludedSamples, home);
}

QString modifiedDetail(std::int64_t modifiedNs)
{
    return QStringLiteral("修改于 ")
        + QDateTime::fromMSecsSinceEpoch(modifiedNs / 1000000, Qt::UTC)
              .toLocalTime()
              .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

void setFileScanWalkCalls(const WalkSystemCalls *calls)
{
    testWalkCalls = calls;
}

ScanResult scanLargeFiles(const ScanConfiguration &configuration, const QString &directory, const FileQuery &query,
    const ProgressFn &progress, const CancellationToken &cancel)
{
    const FileTypeFilter type = query.fileType;
    return listFiles(ScanKind::largeFiles, FileCategory::largeFile, QStringLiteral("正在查找大文件"), configuration,
        directory, query, progress, cancel,
        [type](const WalkEntry &e) { return fileMatchesType(type, nameOf(e.path), [&e] { return sniff(e.path); }); });
}

ScanResult scanInstallers(const ScanConfiguration &configuration, const QString &directory, const FileQuery &query,
    const ProgressFn &progress, const CancellationToken &cancel)
{
    // The type filter belongs to the large-files page; installers are one type already.
    const RulePlatform platform = configuration.platform;
    return listFiles(
        ScanKind::installers, FileCategory::installer, QStringLiteral("正在查找安装文件"), configuration, directory,
        query, progress, cancel, [](const WalkEntry &e) { return isInstallerName(nameOf(e.path)); },
        [platform](const WalkEntry &e) { return isInstallerBundleName(nameOf(e.path), platform); });
}

ScanResult scanDuplicates(const ScanConfiguration &configuration, const QString &directory, const FileQuery &,
    const ProgressFn &progress, const CancellationToken &cancel)
{
    FolderScan scan(ScanKind::duplicates, FileCategory::duplicate, configuration, directory, progress, cancel);
    std::atomic<std::int64_t> emptyFiles { 0 };
    // Each worker lists whole folders, so its files arrive folder by folder and the
    // compact list keeps each folder's path once.
    std::vector<DuplicateCandidates> found(size_t(scan.threads()));
    const bool walked = scan.walk(QStringLiteral("正在查找重复文件"), [&](const WalkEntry &e) {
        if (scan.ignores(e.path))
            return Visit::skipChildren;
        if (e.type == WalkEntryType::file && e.st->st_size > 0)
            found[size_t(e.worker)].add(e.path, fingerprintFromStat(*e.st));
        else if (e.type == WalkEntryType::file)
            emptyFiles.fetch_add(1, std::memory_order_relaxed); // nothing to free, and every one "equals" every other
        return Visit::descend;
    });
    ScanResult &result = scan.result();
    if (!walked)
        return result;

    DuplicateCandidates candidates;
    std::size_t files = 0;
    std::size_t nameBytes = 0;
    for (const auto &list : found) {
        files += list.size();
        nameBytes += list.nameBytes();
    }
    candidates.reserve(files, nameBytes);
    for (auto &list : found)
        candidates.append(std::move(list)); // each list is freed as it is taken over
    found.clear();

    DuplicateOptions options;
    options.contentReadLimit = configuration.contentReadLimit;
    options.cancel = &cancel;
    options.deadline = scan.deadline();
    ProgressSampler &sampler = scan.sampler();
    options.progress = [&sampler](DuplicateStage stage, std::int64_t done, std::int64_t total) {
        sampler.setPhase(stagePhase(stage) + QStringLiteral("（%1/%2）").arg(done).arg(total));
        sampler.add(0);
    };
    DuplicateOutcome outcome = findDuplicates(std::move(candidates), options);

    struct Ordered {
        std::vector<DuplicateCandidate> files;
        std::int64_t redundant;
    };
    std::vector<Ordered> groups;
    groups.reserve(outcome.groups.size());
    const QByteArray rootBytes = pathToBytes(scan.directory());
    const qsizetype rootLength = rootBytes == "/" ? 0 : rootBytes.size(); // children of "/" read "/name"
    for (auto &group : outcome.groups) {
        orderForKeeping(group, rootLength);
        const std::int64_t redundant = group.front().identity.size * std::int64_t(group.size() - 1);
        groups.push_back({ std::move(group), redundant });
    }
    std::sort(groups.begin(), groups.end(), [](const Ordered &a, const Ordered &b) {
        if (a.redundant != b.redundant)
            return a.redundant > b.redundant;
        return a.files.front().path < b.files.front().path;
    });

    // Sets are listed largest saving first; one that no longer fits in the result
    // limit is left out and the next ones still get their turn, so one huge set never
    // hides all the others.
    std::vector<bool> fits(groups.size(), false);
    std::int64_t listedFiles = 0;
    qsizetype listedGroups = 0;
    qsizetype leftOutGroups = 0;
    std::int64_t leftOutBytes = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        if (listedFiles + std::int64_t(groups[i].files.size()) > configuration.entryLimit) {
            ++leftOutGroups;
            leftOutBytes += groups[i].redundant;
            continue;
        }
        fits[i] = true;
        listedFiles += std::int64_t(groups[i].files.size());
    }
    result.entries.reserve(qsizetype(listedFiles)); // a large result grows no spare room
    for (size_t index = 0; index < groups.size(); ++index) {
        if (!fits[index])
            continue;
        const Ordered &g = groups[index];
        DuplicateGroup group;
        group.id = QUuid::createUuid();
        group.files.reserve(qsizetype(g.files.size()));
        const qsizetype number = ++listedGroups;
        for (size_t i = 0; i < g.files.size(); ++i) {
            const DuplicateCandidate &c = g.files[i];
            FileEntry entry;
            entry.id = QUuid::createUuid();
            entry.path = pathFromBytes(c.path);
            entry.name = lastComponent(entry.path);
            entry.bytes = c.identity.size;
            entry.date = modificationDate(c.identity);
            entry.category = FileCategory::duplicate;
            entry.detail = QStringLiteral("第 %1 组 · 共 %2 份相同内容 · ").arg(number).arg(g.files.size())
                + (i == 0 ? QStringLiteral("建议保留这一份") : QStringLiteral("与本组第一份相同"));
            entry.kind = EntryKind::file(c.identity);
            group.files.append(entry);
            result.entries.append(std::move(entry));
        }
        result.duplicateGroups.append(std::move(group));
    }

    QStringList &notes = result.scopeNotes;
    notes << QStringLiteral("按内容比对（大小、开头、结尾、完整内容），已读取文件内容 %1。")
                 .arg(formatBytes(outcome.bytesRead));
    if (leftOutGroups > 0)
        notes << QStringLiteral(
            "共找到 %1 组重复文件，列出 %2 组；另有 %3 组（多余副本共 %4）超出 %5 项的结果上限，未列出。")
                     .arg(groups.size())
                     .arg(listedGroups)
                     .arg(leftOutGroups)
                     .arg(formatBytes(leftOutBytes))
                     .arg(configuration.entryLimit);
    if (const std::int64_t empty = outcome.emptyFiles + emptyFiles.load(); empty > 0)
        notes << QStringLiteral("跳过 %1 个空文件。").arg(empty);
    if (outcome.hardLinkCopies > 0)
        notes << QStringLiteral("%1 个硬链接副本只计一次：移走其中一个不会释放空间。").arg(outcome.hardLinkCopies);
    if (outcome.uncheckedFiles > 0)
        notes << (outcome.timedOut
                         ? QStringLiteral("已达到时间上限（%1 秒）").arg(configuration.timeLimit)
                         : QStringLiteral("已达到内容读取上限 %1").arg(formatBytes(configuration.contentReadLimit)))
                + QStringLiteral("：另有 %1 个文件（共 %2）可能重复，未比对。")
                      .arg(outcome.uncheckedFiles)
                      .arg(formatBytes(outcome.uncheckedBytes));
    if (outcome.unreadableFiles > 0)
        notes << QStringLiteral("%1 个文件无法读取，未参与比对。").arg(outcome.unreadableFiles);
    if (outcome.changedFiles > 0)
        notes << QStringLiteral("%1 个文件在比对过程中发生变化，已排除。").arg(outcome.changedFiles);
    if (outcome.vanishedFiles > 0)
        notes << QStringLiteral("%1 个文件在比对前已被移走。").arg(outcome.vanishedFiles);
    scan.finish(outcome.uncheckedFiles > 0 || outcome.unreadableFiles > 0 || outcome.changedFiles > 0);
    return result;
}

ScanResult scanSpace(const ScanConfiguration &configuration, const QString &directory, const FileQuery &,
    const ProgressFn &progress, const CancellationToken &cancel)
{
    FolderScan scan(ScanKind::space, FileCategory::spaceItem, configuration, directory, progress, cancel);
    // Everything below the folder goes into one tree (folders, files and link names,
    // each counted in every place it appears), so that any folder inside it can be
    // shown afterwards without a second walk.
    SpaceWalkRecorder tree(scan.directory(), scan.threads());
    const bool walked = scan.walk(
        QStringLiteral("正在统计空间占用"),
        [&](const WalkEntry &e) {
            if (scan.ignores(e.path)) {
                tree.ignored(e);
                return Visit::skipChildren;
            }
            tree.visit(e);
            return Visit::descend;
        },
        [&](const WalkProblem &p) { tree.problem(p); },
        [&](std::string_view path, bool complete) { tree.folderListed(path, complete); });
    if (!walked)
        return scan.result();
    scan.sampler().setPhase(QStringLiteral("正在整理统计结果"));
    scan.sampler().flush();
    SpaceTree::Facts facts;
    facts.root = scan.directory();
    facts.home = configuration.home;
    facts.date = configuration.now;
    facts.visitLimit = configuration.visitLimit;
    facts.timeLimit = configuration.timeLimit;
    ScanResult result = tree.finish(std::move(facts), scan.report())->level(SpaceTree::rootIndex);
    cancel.throwIfCancelled();
    return result;
}

} // namespace Morvane
