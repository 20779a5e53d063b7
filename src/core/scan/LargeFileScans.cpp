// Large files and installers: the files of the chosen folder that pass the page's
// filters, largest first; an installer may be a folder (a bundle package) listed whole.

#include "core/scan/FolderScan.h"
#include "core/scan/KindScans.h"

#include "core/Identity.h"
#include "core/SmallFile.h"
#include "core/files/FileTypes.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace Morvane {

namespace {

QByteArrayView nameOf(std::string_view path)
{
    const auto slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return QByteArrayView(name.data(), qsizetype(name.size()));
}

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
FoundFile measureFolderItem(std::string path, const struct stat &st, ScanContext &context)
{
    FoundFile found { std::move(path), fingerprintFromStat(st), 0, true, true };
    const QString qpath = pathFromBytes(QByteArrayView(found.path.data(), qsizetype(found.path.size())));
    std::int64_t bytes = 0;
    const auto full = fingerprintPath(qpath, true, &context.cancel, &bytes);
    context.cancel.throwIfCancelled();
    if (full && full->device == found.identity.device && full->inode == found.identity.inode) {
        found.identity = *full;
        found.bytes = bytes;
        return found;
    }
    WalkOptions options = context.walkOptions();
    options.progress = nullptr; // the folder was counted once already
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
            FoundFile item = measureFolderItem(std::move(path), st, scan.context());
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

} // namespace

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

} // namespace Morvane
