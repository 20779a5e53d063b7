// Duplicates: files of the chosen folder with the same content, found by stages of
// rising cost (size, head, tail, whole content) and listed set by set.

#include "core/scan/FolderScan.h"
#include "core/scan/KindScans.h"

#include "core/Identity.h"
#include "core/files/DuplicatePipeline.h"
#include "core/files/KeepFirst.h"

#include <QLocale>

#include <algorithm>

namespace Morvane {

namespace {

QString formatBytes(std::int64_t bytes)
{
    return QLocale::c().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

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
    options.deadline = scan.context().deadline();
    ProgressSampler &sampler = scan.context().sampler;
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

} // namespace Morvane
