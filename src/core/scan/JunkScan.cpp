#include "core/scan/KindScans.h"

#include "core/Identity.h"
#include "core/Paths.h"
#include "core/Posix.h"
#include "core/SmallFile.h"
#include "core/scan/JunkRules.h"
#include "core/scan/ScanSupport.h"
#include "core/scan/TrashFolders.h"
#include "core/walk/Walker.h"

#include <QTimeZone>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace Morvane {

namespace {

constexpr std::int64_t nsPerDay = std::int64_t(86400) * 1000000000;

std::int64_t modifiedNs(const struct stat &st)
{
#ifdef Q_OS_MACOS
    return std::int64_t(st.st_mtimespec.tv_sec) * 1000000000 + st.st_mtimespec.tv_nsec;
#else
    return std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#endif
}

std::string toStd(const QString &path)
{
    return pathToBytes(path).toStdString();
}

QString fromStd(std::string_view bytes)
{
    return pathFromBytes(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

bool hasValidCacheTag(const std::string &path)
{
    const QByteArray head = readFileHead(QByteArray::fromStdString(path), qint64(sizeof cacheDirTagSignature - 1));
    return head.size() == qsizetype(sizeof cacheDirTagSignature - 1)
        && std::memcmp(head.constData(), cacheDirTagSignature, sizeof cacheDirTagSignature - 1) == 0;
}

// Expands "a/*/b" below `base` (the home folder or a base directory) into roots, one
// folder handle at a time from `base` down (never through a link: a parent that is one
// is reported, not followed). `wildcardNames` receives the names that stood in for "*".
// A missing part makes no root. The last part is not opened here: the walker judges
// the root itself.
struct Root {
    QString path;
    QStringList wildcardNames;
};

struct Expansion {
    QList<Root> roots;
    bool anyParentUnreadable = false;
    QStringList linkedParents; // parents that are symbolic links, not followed
};

void expandBelow(int folder, const QString &path, const QStringList &parts, qsizetype index,
    const QStringList &wildcardNames, Expansion &out)
{
    const QString &part = parts.at(index);
    const bool last = index + 1 == parts.size();
    // Opens one child folder by handle and goes on below it.
    const auto descend = [&](const QString &name, const QStringList &names) {
        const QString childPath = joinPath(path, name);
        if (last) {
            out.roots.append({ childPath, names });
            return;
        }
        const QByteArray bytes = pathToBytes(name);
        const UniqueFd child(
            ::openat(folder, bytes.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!child) {
            const int error = errno;
            struct stat st { };
            if (::fstatat(folder, bytes.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                out.linkedParents.append(childPath);
            else if (error != ENOENT && error != ENOTDIR)
                out.anyParentUnreadable = true;
            return;
        }
        expandBelow(child.get(), childPath, parts, index + 1, names, out);
    };
    if (part != QLatin1String("*")) {
        descend(part, wildcardNames);
        return;
    }
    DIR *dir = ::fdopendir(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    if (!dir) {
        out.anyParentUnreadable = true;
        return;
    }
    QStringList names;
    QStringList links;
    while (const dirent *e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        struct stat st { };
        if (::fstatat(::dirfd(dir), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISDIR(st.st_mode))
            names.append(pathFromBytes(e->d_name));
        else if (S_ISLNK(st.st_mode) && ::fstatat(::dirfd(dir), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            links.append(joinPath(path, pathFromBytes(e->d_name))); // a link to a folder stands where one would
    }
    ::closedir(dir);
    names.sort();
    links.sort();
    out.linkedParents += links;
    for (const QString &name : names)
        descend(name, wildcardNames + QStringList { name });
}

Expansion expandLocation(const QString &base, const QString &location)
{
    Expansion out;
    if (location.isEmpty()) {
        out.roots.append({ base, {} });
        return out;
    }
    // The base itself may be reached through a link (/home → /usr/home): it is the
    // scope, not a part of it.
    const UniqueFd start(::open(pathToBytes(base).constData(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC));
    if (!start) {
        out.anyParentUnreadable = errno != ENOENT;
        return out;
    }
    expandBelow(start.get(), base, location.split(u'/'), 0, {}, out);
    return out;
}

struct Node {
    std::string rel;
    WalkEntryType type;
    bool blocked = false; // ignored or claimed by another rule: never moved, never inside a moved folder
    bool tag = false; // CACHEDIR.TAG: neither listed alone nor blocking its folder
    std::int64_t size = 0;
    std::int64_t modified = 0;
    Fingerprint fingerprint;
    // Filled bottom-up.
    int parent = -1;
    bool whole = false;
    bool childrenWhole = true;
    std::int64_t bytes = 0;
    std::int64_t newest = 0;
};

// One junk category's run: its budget, what it found and what it has to say.
class CategoryRun {
public:
    CategoryRun(FileCategory category, const ScanConfiguration &configuration, ScanContext &context,
        std::int64_t visitAllowance, std::chrono::steady_clock::time_point deadline,
        const std::unordered_set<std::string> &claimed)
        : m_category(category)
        , m_configuration(configuration)
        , m_context(context)
        , m_visitsLeft(visitAllowance)
        , m_deadline(deadline)
        , m_claimed(claimed)
        , m_home(configuration.home)
    {
        for (const QString &p : configuration.ignoredPaths)
            m_ignored.insert(toStd(p));
    }

    QList<FileEntry> entries;
    QStringList notes;
    int rootsMissing = 0;
    int rootsPresent = 0;
    int rootsUnreadable = 0;
    int rowsSkipped = 0;
    int rowsPresent = 0;
    bool cut = false;
    bool gaps = false;
    bool truncated = false;
    std::int64_t examined = 0;
    QMap<ExclusionClass, QStringList> excluded;
    std::int64_t trashSkipped = 0;
    QStringList trashSamples;

    void noteRoot(const WalkReport &report, const QString &root)
    {
        examined += report.visited;
        trashSkipped += report.excludedFolders;
        trashSamples += report.excludedSamples;
        m_visitsLeft = std::max<std::int64_t>(0, m_visitsLeft - report.visited);
        switch (report.root) {
        case RootState::missing:
            ++rootsMissing;
            return;
        case RootState::unreadable:
            ++rootsUnreadable;
            notes.append(
                categoryTitle(m_category) + QStringLiteral("：无法读取 ") + shown(root) + QStringLiteral("，未检查。"));
            return;
        case RootState::symlink:
        case RootState::notFolder:
            ++rootsPresent;
            gaps = true; // never followed, so not checked
            notes.append(categoryTitle(m_category) + QStringLiteral("：") + shown(root)
                + QStringLiteral(" 不是普通文件夹（可能是符号链接），未进入。"));
            return;
        case RootState::ok:
            break;
        }
        ++rootsPresent;
        if (!report.finished())
            cut = true;
        if (report.unreadableFolders + report.unreadableEntries + report.changedFolders > 0) {
            gaps = true;
            QStringList samples;
            for (const QString &s : report.unreadableSamples.mid(0, 3))
                samples.append(shown(s));
            notes.append(categoryTitle(m_category)
                + QStringLiteral("：%1 处无法读取，已跳过")
                      .arg(report.unreadableFolders + report.unreadableEntries + report.changedFolders)
                + (samples.isEmpty() ? QString()
                                     : QStringLiteral("（") + samples.join(QStringLiteral("、")) + QStringLiteral("）"))
                + QStringLiteral("。"));
        }
        if (report.otherFileSystems > 0) {
            gaps = true;
            QStringList samples;
            for (const QString &s : report.otherFileSystemSamples.mid(0, 3))
                samples.append(shown(s));
            notes.append(categoryTitle(m_category)
                + QStringLiteral("：%1 个位置属于另一个文件系统，未进入（").arg(report.otherFileSystems)
                + samples.join(QStringLiteral("、")) + QStringLiteral("）。"));
        }
    }

    [[nodiscard]] bool budgetLeft() const
    {
        return m_visitsLeft > 0 && std::chrono::steady_clock::now() < m_deadline && !m_context.cancel.isCancelled();
    }

    WalkOptions walkOptions() const
    {
        WalkOptions options;
        options.visitLimit = std::max<std::int64_t>(1, m_visitsLeft);
        options.deadline = m_deadline;
        options.cancel = &m_context.cancel;
        options.progress = &m_context.sampler;
        options.excluded = m_context.trash;
        return options;
    }

    // Scans one root: `pick` chooses which children of the root take part (all when
    // empty); `exclusions` classifies the children's names.
    void scanArea(const QString &root, const std::function<bool(const QString &)> &pick, int ageDays,
        const QString &label, const ExclusionMatcher *exclusions, const QString &bundlePrefix = {})
    {
        if (!budgetLeft()) {
            cut = true;
            return;
        }
        if (isIgnoredPath(root, m_configuration.ignoredPaths))
            return; // the user keeps this whole place
        const std::string rootBytes = toStd(root);
        WalkOptions options = walkOptions();
        const int threads = std::clamp(options.threads, 1, 16);
        std::vector<std::vector<Node>> perWorker { std::size_t(threads) };
        std::mutex mutex;
        std::unordered_set<std::string> listed;
        std::unordered_set<std::string> incomplete;
        QMap<ExclusionClass, QStringList> excludedHere;
        options.onFolderListed = [&](std::string_view path, bool complete) {
            if (!complete || path.size() <= rootBytes.size())
                return;
            std::lock_guard lock(mutex);
            listed.insert(std::string(path.substr(rootBytes.size() + 1)));
        };
        options.onProblem = [&](const WalkProblem &p) {
            if (p.path.size() <= rootBytes.size() + 1)
                return;
            const std::string rel = p.path.substr(rootBytes.size() + 1);
            const auto slash = rel.rfind('/');
            std::lock_guard lock(mutex);
            incomplete.insert(rel);
            if (slash != std::string::npos)
                incomplete.insert(rel.substr(0, slash));
        };
        const WalkReport report = walk(
            root,
            [&](const WalkEntry &e) {
                if (e.depth == 1) {
                    const QString name = fromStd(e.name());
                    if (pick && !pick(name))
                        return Visit::skipChildren;
                    if (exclusions) {
                        if (const auto cls = exclusions->classify(name)) {
                            std::lock_guard lock(mutex);
                            excludedHere[*cls].append(joinPath(root, name));
                            return Visit::skipChildren;
                        }
                    }
                }
                Node node;
                node.rel = std::string(e.relative());
                node.type = e.type;
                node.size = e.type == WalkEntryType::file ? std::int64_t(e.st->st_size) : 0;
                node.modified = modifiedNs(*e.st);
                node.fingerprint = fingerprintFromStat(*e.st);
                node.tag = e.type == WalkEntryType::file && e.name() == "CACHEDIR.TAG";
                const std::string path(e.path);
                Visit next = Visit::descend;
                if (m_claimed.contains(path) || m_ignored.contains(path)) {
                    node.blocked = true;
                    next = Visit::skipChildren;
                }
                perWorker[std::size_t(e.worker)].push_back(std::move(node));
                return next;
            },
            options);
        m_context.cancel.throwIfCancelled();
        noteRoot(report, root);
        for (auto it = excludedHere.cbegin(); it != excludedHere.cend(); ++it)
            excluded[it.key()] += it.value();
        if (report.root != RootState::ok)
            return;

        const auto checkCancel = [this](std::size_t i) {
            if ((i & 4095) == 4095)
                m_context.cancel.throwIfCancelled();
        };
        std::vector<Node> nodes;
        std::size_t total = 0;
        for (const auto &list : perWorker)
            total += list.size();
        nodes.reserve(total);
        for (auto &list : perWorker) {
            for (Node &n : list) {
                checkCancel(nodes.size());
                nodes.push_back(std::move(n));
            }
            std::vector<Node>().swap(list);
        }
        // Parents by relative path; the keys view the strings in `nodes`, which no longer moves.
        std::unordered_map<std::string_view, int> index;
        index.reserve(nodes.size());
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            checkCancel(i);
            index.emplace(nodes[i].rel, int(i));
        }
        std::vector<std::vector<int>> children(nodes.size());
        std::vector<std::vector<int>> byDepth; // deepest last
        std::vector<int> tops;
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            checkCancel(i);
            Node &n = nodes[i];
            const auto level = std::size_t(std::count(n.rel.begin(), n.rel.end(), '/'));
            if (byDepth.size() <= level)
                byDepth.resize(level + 1);
            byDepth[level].push_back(int(i));
            const auto slash = n.rel.rfind('/');
            if (slash == std::string::npos) {
                tops.push_back(int(i));
                continue;
            }
            const auto parent = index.find(std::string_view(n.rel).substr(0, slash));
            if (parent != index.end()) {
                n.parent = parent->second;
                children[std::size_t(parent->second)].push_back(int(i));
            }
        }
        std::vector<int> order;
        order.reserve(nodes.size());
        for (auto level = byDepth.rbegin(); level != byDepth.rend(); ++level)
            order.insert(order.end(), level->begin(), level->end());
        const std::int64_t nowNs = m_configuration.now.toMSecsSinceEpoch() * 1000000;
        const std::int64_t cutoff = nowNs - std::int64_t(ageDays) * nsPerDay;
        std::size_t processed = 0;
        for (int i : order) {
            checkCancel(++processed);
            Node &n = nodes[std::size_t(i)];
            if (n.type == WalkEntryType::file)
                n.bytes += n.size;
            n.newest = std::max(n.newest, n.modified);
            bool own = !n.blocked && (n.tag || n.modified <= cutoff);
            if (n.type == WalkEntryType::folder)
                own = own && listed.contains(n.rel) && !incomplete.contains(n.rel);
            n.whole = own && n.childrenWhole;
            if (n.parent >= 0) {
                Node &p = nodes[std::size_t(n.parent)];
                p.bytes += n.bytes;
                p.newest = std::max(p.newest, n.newest);
                if (!n.whole)
                    p.childrenWhole = false;
            }
        }
        std::sort(tops.begin(), tops.end(),
            [&](int a, int b) { return nodes[std::size_t(a)].rel < nodes[std::size_t(b)].rel; });
        const std::function<void(int)> emit = [&](int i) {
            const Node &n = nodes[std::size_t(i)];
            if (n.blocked)
                return;
            if (n.whole && !(n.type == WalkEntryType::file && n.tag)) {
                if (add(rootBytes, n, label, ageDays, nowNs, bundlePrefix))
                    return;
            }
            if (n.type != WalkEntryType::folder)
                return;
            std::vector<int> kids = children[std::size_t(i)];
            std::sort(kids.begin(), kids.end(),
                [&](int a, int b) { return nodes[std::size_t(a)].rel < nodes[std::size_t(b)].rel; });
            for (int k : kids)
                emit(k);
        };
        for (int i : tops)
            emit(i);
    }

    // Adds a qualifying item; false when it could not be vouched for as a whole
    // (then its parts are tried).
    bool add(const std::string &rootBytes, const Node &n, const QString &label, int ageDays, std::int64_t nowNs,
        const QString &bundlePrefix)
    {
        if (n.type == WalkEntryType::symlink)
            return true; // a link alone frees nothing
        if (n.bytes <= 0)
            return true; // empty files and folders free nothing worth a row
        m_context.cancel.throwIfCancelled();
        if (m_context.entriesLeft() <= 0) {
            truncated = true;
            return true;
        }
        const QString path = fromStd(rootBytes + '/' + n.rel);
        FileEntry entry;
        entry.id = QUuid::createUuid();
        entry.path = path;
        entry.name = lastComponent(path);
        entry.bytes = n.bytes;
        entry.sizeIsComplete = true;
        entry.category = m_category;
        // The folder this walk started from: the clean-up finds the entry below it again.
        entry.scope = lexicallyNormal(fromStd(rootBytes));
        entry.date = QDateTime::fromMSecsSinceEpoch(n.newest / 1000000, QTimeZone::utc());
        if (n.type == WalkEntryType::folder) {
            std::int64_t bytes = 0;
            const auto fingerprint = fingerprintPath(path, true, &m_context.cancel, &bytes);
            if (!fingerprint)
                return false;
            entry.bytes = bytes;
            entry.kind = EntryKind::folder(*fingerprint);
        } else {
            entry.kind = EntryKind::file(n.fingerprint);
        }
        const std::int64_t days = std::max<std::int64_t>(0, (nowNs - n.newest) / nsPerDay);
        entry.detail = QStringLiteral("规则：%1，%2 天内未修改 · 最近修改于 %3 天前").arg(label).arg(ageDays).arg(days);
        if (!bundlePrefix.isEmpty())
            entry.bundleID = bundlePrefix;
        else if (m_category == FileCategory::userCache && !n.rel.empty()) {
            const auto slash = n.rel.find('/');
            const QString top = fromStd(std::string_view(n.rel).substr(0, slash));
            if (top.count(u'.') >= 2 && !top.contains(u' '))
                entry.bundleID = top; // caches named by their application's identifier
        }
        entries.append(entry);
        m_context.takeEntry();
        return true;
    }

    QString shown(const QString &path) const { return homeShortened(path, m_home); }
    void walkCancelled() const { m_context.cancel.throwIfCancelled(); }

    const FileCategory m_category;
    const ScanConfiguration &m_configuration;
    ScanContext &m_context;
    std::int64_t m_visitsLeft;
    std::chrono::steady_clock::time_point m_deadline;
    const std::unordered_set<std::string> &m_claimed;
    std::unordered_set<std::string> m_ignored;
    QString m_home;
};

void runTaggedSearch(CategoryRun &run, const QString &home, const JunkLocation &row,
    const std::unordered_set<std::string> &rowRoots, ScanContext &context)
{
    // Tagged folders anywhere in the home folder, down to a few levels: deeper trees are
    // project sources, and a full home walk would eat the category's budget.
    constexpr int searchDepth = cacheTagSearchDepth;
    std::mutex mutex;
    std::vector<std::string> tagged;
    const std::string trash = toStd(joinPath(home, QStringLiteral(".local/share/Trash")));
    const std::string macTrash = toStd(joinPath(home, QStringLiteral(".Trash")));
    WalkOptions options = run.walkOptions();
    const WalkReport report = walk(
        home,
        [&](const WalkEntry &e) {
            if (e.type == WalkEntryType::file && e.name() == "CACHEDIR.TAG") {
                const std::string path(e.path);
                if (hasValidCacheTag(path)) {
                    std::lock_guard lock(mutex);
                    tagged.push_back(path.substr(0, e.nameOffset - 1));
                }
                return Visit::descend;
            }
            if (e.type != WalkEntryType::folder)
                return Visit::descend;
            const std::string path(e.path);
            if (e.depth >= searchDepth - 1 || rowRoots.contains(path) || path == trash || path == macTrash)
                return Visit::skipChildren;
            return Visit::descend;
        },
        options);
    context.cancel.throwIfCancelled();
    run.examined += report.visited;
    if (report.root != RootState::ok)
        return;
    if (!report.finished()) {
        run.cut = true;
        run.notes.append(QStringLiteral("用户缓存：查找 CACHEDIR.TAG 标记时扫描额度用完，只查找了部分主目录。"));
    }
    std::sort(tagged.begin(), tagged.end());
    std::string last;
    for (const std::string &folder : tagged) {
        if (!last.empty() && folder.size() > last.size() && folder.compare(0, last.size(), last) == 0
            && folder[last.size()] == '/')
            continue; // inside a tagged folder already taken
        last = folder;
        const QString path = fromStd(folder);
        const QString name = lastComponent(path);
        run.scanArea(
            parentPath(path), [name](const QString &n) { return n == name; }, row.ageDays, row.label, nullptr);
    }
    if (!tagged.empty())
        run.notes.append(QStringLiteral("用户缓存：%1 个带 CACHEDIR.TAG 标记的文件夹按缓存处理（主目录下 %2 层以内）。")
                             .arg(qsizetype(tagged.size()))
                             .arg(searchDepth));
    Q_UNUSED(context);
}

void runSearch(CategoryRun &run, const QString &root, const JunkLocation &row)
{
    std::mutex mutex;
    QStringList folders;
    QMap<QString, QStringList> filesByParent;
    WalkOptions options = run.walkOptions();
    const WalkReport report = walk(
        root,
        [&](const WalkEntry &e) {
            const QString name = fromStd(e.name());
            if (!matchesAnyWildcard(name, row.names))
                return Visit::descend;
            std::lock_guard lock(mutex);
            if (e.type == WalkEntryType::folder) {
                folders.append(e.qpath());
                return Visit::skipChildren;
            }
            if (e.type == WalkEntryType::file)
                filesByParent[fromStd(e.path.substr(0, e.nameOffset - 1))].append(name);
            return Visit::descend;
        },
        options);
    run.walkCancelled();
    run.noteRoot(report, root);
    folders.sort();
    for (const QString &folder : folders)
        run.scanArea(folder, {}, row.ageDays, row.label, nullptr);
    for (auto it = filesByParent.cbegin(); it != filesByParent.cend(); ++it) {
        const QSet<QString> names(it.value().cbegin(), it.value().cend());
        run.scanArea(
            it.key(), [names](const QString &n) { return names.contains(n); }, row.ageDays, row.label, nullptr);
    }
}

// The rows of the table, as the scan reads them.
QString junkScopeNote(const JunkRuleSet &rules, const QString &home, const BaseDirectories &bases)
{
    QStringList parts;
    for (FileCategory category : { FileCategory::userCache, FileCategory::logs, FileCategory::developerCache }) {
        const QString places = describeCategory(rules, category, home, bases);
        if (places.isEmpty())
            continue;
        const auto age = categoryAge(rules, category);
        parts.append(categoryTitle(category) + (age ? QStringLiteral("（超过 %1 天未修改）").arg(*age) : QString())
            + QStringLiteral("：") + places);
    }
    return QStringLiteral("范围：") + parts.join(u'。') + QStringLiteral("。不跟随符号链接，不进入其他文件系统。");
}

QString phaseText(FileCategory category)
{
    switch (category) {
    case FileCategory::userCache:
        return QStringLiteral("正在检查用户缓存");
    case FileCategory::logs:
        return QStringLiteral("正在检查旧日志");
    case FileCategory::developerCache:
        return QStringLiteral("正在检查开发缓存");
    default:
        return QStringLiteral("正在扫描");
    }
}

} // namespace

ScanResult scanJunk(const ScanConfiguration &configuration, const ProgressFn &progress, const CancellationToken &cancel)
{
    cancel.throwIfCancelled();
    ScanContext context(configuration, progress, cancel);
    const JunkRuleSet &rules = junkRules(configuration.platform);
    const QString home = configuration.home;
    ScanResult result;
    result.kind = ScanKind::junk;
    result.date = configuration.now;
    if (home.isEmpty() || !home.startsWith(u'/'))
        throw ScanError(QStringLiteral("无法确定主目录，扫描未开始。"));

    // Every fixed root of every row: a root inside another (~/.cache/pip inside ~/.cache)
    // belongs to its own row only.
    std::unordered_set<std::string> rowRoots;
    for (const JunkLocation &row : rules.locations) {
        if (row.shape == JunkShape::children || row.shape == JunkShape::search) {
            for (const QString &base : locationBases(row, home, configuration.baseDirectories)) {
                for (const Root &r : expandLocation(base, row.location).roots)
                    rowRoots.insert(toStd(r.path));
            }
        }
    }
    const ExclusionMatcher exclusions(rules.exclusions, configuration.runningBundleIDs);
    context.trash = findTrashFolders(home, home).folders;
    std::int64_t trashSkipped = 0;
    QStringList trashSamples;

    struct Share {
        FileCategory category;
        double weight;
    };
    const QList<Share> shares { { FileCategory::userCache, 0.5 }, { FileCategory::logs, 0.2 },
        { FileCategory::developerCache, 0.3 } };
    double weightLeft = 1.0;
    std::int64_t visitsLeft = std::max(1, configuration.visitLimit);
    for (const Share &share : shares) {
        cancel.throwIfCancelled();
        const auto now = std::chrono::steady_clock::now();
        const double fraction = share.weight / weightLeft;
        weightLeft -= share.weight;
        const auto remaining = context.deadline() - now;
        const auto deadline
            = now + std::chrono::duration_cast<std::chrono::steady_clock::duration>(remaining * fraction);
        const auto allowance = std::max<std::int64_t>(1, std::int64_t(double(visitsLeft) * fraction));
        context.sampler.setPhase(phaseText(share.category));
        CategoryRun run(share.category, configuration, context, allowance, deadline, rowRoots);
        const QString title = categoryTitle(share.category);
        for (const JunkLocation &row : rules.locations) {
            if (row.category != share.category)
                continue;
            if (row.shape == JunkShape::tagged) {
                ++run.rowsPresent;
                runTaggedSearch(run, home, row, rowRoots, context);
                continue;
            }
            QList<Root> roots;
            for (const QString &base : locationBases(row, home, configuration.baseDirectories)) {
                const Expansion expansion = expandLocation(base, row.location);
                if (expansion.anyParentUnreadable) {
                    run.gaps = true;
                    run.notes.append(title
                        + QStringLiteral("：%1 所在的文件夹无法读取，其中的位置未检查。")
                              .arg(homeShortened(row.location.isEmpty() ? base : joinPath(base, row.location), home)));
                }
                if (!expansion.linkedParents.isEmpty()) {
                    run.gaps = true;
                    QStringList shown;
                    for (const QString &p : expansion.linkedParents.mid(0, 3))
                        shown.append(homeShortened(p, home));
                    run.notes.append(title
                        + QStringLiteral("：%1%2 是符号链接，未跟随，其中的位置未检查。")
                              .arg(shown.join(QStringLiteral("、")),
                                  expansion.linkedParents.size() > 3
                                      ? QStringLiteral(" 等 %1 处").arg(expansion.linkedParents.size())
                                      : QString()));
                }
                for (const Root &r : expansion.roots) {
                    struct stat st { };
                    if (::lstat(pathToBytes(r.path).constData(), &st) == 0)
                        roots.append(r);
                }
            }
            if (roots.isEmpty()) {
                ++run.rootsMissing;
                continue;
            }
            ++run.rowsPresent;
            QString tool;
            if (!row.tools.isEmpty() && toolIsRunning(row.tools, configuration.runningBundleIDs, &tool)) {
                ++run.rowsSkipped;
                run.notes.append(title + QStringLiteral("：%1 正在运行，已跳过 %2。").arg(tool, row.label));
                continue;
            }
            for (const Root &r : roots) {
                if (row.exclusions) {
                    std::optional<ExclusionClass> cls;
                    for (const QString &name : r.wildcardNames) {
                        if ((cls = exclusions.classify(name)))
                            break;
                    }
                    if (cls) {
                        run.excluded[*cls].append(r.path);
                        continue;
                    }
                }
                const QString bundle = row.location.startsWith(QLatin1String(".var/app/")) && !r.wildcardNames.isEmpty()
                    ? r.wildcardNames.first()
                    : QString();
                switch (row.shape) {
                case JunkShape::children:
                    run.scanArea(r.path, {}, row.ageDays, row.label, row.exclusions ? &exclusions : nullptr, bundle);
                    break;
                case JunkShape::items: {
                    const QStringList names = row.names;
                    run.scanArea(
                        r.path, [names](const QString &n) { return matchesAnyWildcard(n, names); }, row.ageDays,
                        row.label, nullptr);
                    break;
                }
                case JunkShape::search:
                    runSearch(run, r.path, row);
                    break;
                case JunkShape::tagged:
                    break;
                }
            }
        }
        context.sampler.flush();
        visitsLeft = std::max<std::int64_t>(0, visitsLeft - run.examined);

        // Coverage and notes for the category card.
        CoverageState state = CoverageState::complete;
        if (run.rowsPresent == 0 && run.rootsPresent == 0 && run.rootsUnreadable == 0)
            state = CoverageState::missing;
        else if (run.rowsPresent > 0 && run.rowsSkipped == run.rowsPresent)
            state = CoverageState::skipped;
        else if (run.rootsUnreadable > 0 && run.rootsPresent == 0)
            state = CoverageState::unreadable;
        else if (run.cut || run.gaps || run.truncated || run.rootsUnreadable > 0)
            state = CoverageState::partial;
        if (run.cut)
            run.notes.append(title + QStringLiteral("：本分类的扫描额度（时间或检查项）用完，只检查了部分位置。"));
        if (run.truncated)
            run.notes.append(
                title + QStringLiteral("：结果达到 %1 项上限，其余未列出。").arg(configuration.entryLimit));
        for (auto it = run.excluded.cbegin(); it != run.excluded.cend(); ++it) {
            QStringList shown;
            for (const QString &p : it.value().mid(0, 3))
                shown.append(homeShortened(p, home));
            run.notes.append(title
                + QStringLiteral("：排除%1的缓存 %2 处（%3%4）。")
                      .arg(exclusionClassName(it.key()))
                      .arg(it.value().size())
                      .arg(shown.join(QStringLiteral("、")))
                      .arg(it.value().size() > 3 ? QStringLiteral("等") : QString()));
        }
        if (state == CoverageState::missing)
            run.notes.append(title + QStringLiteral("：本机没有这类位置。"));
        std::sort(run.entries.begin(), run.entries.end(),
            [](const FileEntry &a, const FileEntry &b) { return a.bytes > b.bytes; });
        result.entries += run.entries;
        result.scopeNotes += run.notes;
        trashSkipped += run.trashSkipped;
        trashSamples += run.trashSamples;
        result.coverage.append({ share.category, std::uint8_t(state), run.examined });
    }
    cancel.throwIfCancelled();
    result.scopeNotes.prepend(configuration.platform == RulePlatform::MacOS
            ? QStringLiteral("范围：~/Library/Caches（7 天未修改）、~/Library/Logs（30 天前）、Xcode DerivedData（7 "
                             "天未修改）；不跟随符号链接，不进入其他文件系统。")
            : junkScopeNote(rules, home, configuration.baseDirectories));
    if (trashSkipped > 0)
        result.scopeNotes.append(trashSkippedNote(trashSkipped, trashSamples, home));
    result.examined = context.sampler.examined();
    return result;
}

ScanResult scanUnoffered(ScanKind kind, const ScanConfiguration &configuration)
{
    ScanResult result;
    result.kind = kind;
    result.date = configuration.now.isValid() ? configuration.now : QDateTime::currentDateTimeUtc();
    const FileCategory category = kind == ScanKind::browser ? FileCategory::browserData : FileCategory::systemJunk;
    result.coverage.append({ category, std::uint8_t(CoverageState::skipped), 0 });
    result.scopeNotes.append(kind == ScanKind::browser ? QStringLiteral("本版本不提供浏览器数据清理，已跳过。")
                                                       : QStringLiteral("本版本不清理系统位置的文件，已跳过。"));
    return result;
}

ScanResult notImplementedResult(ScanKind kind, const ScanConfiguration &configuration)
{
    ScanResult result;
    result.kind = kind;
    result.date = configuration.now.isValid() ? configuration.now : QDateTime::currentDateTimeUtc();
    result.scopeNotes.append(QStringLiteral("此类扫描尚未实现，没有检查任何位置。"));
    result.coverage.append({ FileCategory::other, std::uint8_t(CoverageState::notScanned), 0 });
    return result;
}

} // namespace Morvane
