#include "core/scan/WalkNotes.h"

#include "core/Enums.h"
#include "core/Errors.h"
#include "core/Paths.h"
#include "core/Vocabulary.h"
#include "core/scan/ScanContext.h"

namespace Morvane {

namespace {

QString joinedShortened(const QStringList &paths, const QString &home)
{
    QStringList shown;
    for (const QString &p : paths)
        shown << homeShortened(p, home);
    return shown.join(QStringLiteral("、"));
}

// One root of a junk category: only what the category's card cannot say.
void addCategoryRootNotes(QStringList &notes, const WalkFacts &facts, FileCategory category)
{
    const WalkReport &report = facts.report;
    const QString title = categoryTitle(category);
    const QString root = homeShortened(facts.directory, facts.home);
    switch (report.root) {
    case RootState::missing:
        return;
    case RootState::unreadable:
        notes.append(title + QStringLiteral("：无法读取 ") + root + QStringLiteral("，未检查。"));
        return;
    case RootState::symlink:
    case RootState::notFolder:
        notes.append(
            title + QStringLiteral("：") + root + QStringLiteral(" 不是普通文件夹（可能是符号链接），未进入。"));
        return;
    case RootState::ok:
        break;
    }
    if (const std::int64_t unread = report.unreadableFolders + report.unreadableEntries + report.changedFolders;
        unread > 0) {
        const QString samples = joinedShortened(report.unreadableSamples.mid(0, 3), facts.home);
        notes.append(title + QStringLiteral("：%1 处无法读取，已跳过").arg(unread)
            + (samples.isEmpty() ? QString() : QStringLiteral("（") + samples + QStringLiteral("）"))
            + QStringLiteral("。"));
    }
    if (report.otherFileSystems > 0)
        notes.append(title + QStringLiteral("：%1 个位置属于另一个文件系统，未进入（").arg(report.otherFileSystems)
            + joinedShortened(report.otherFileSystemSamples.mid(0, 3), facts.home) + QStringLiteral("）。"));
}

// The whole folder of a folder page.
void addFolderNotes(QStringList &notes, const WalkFacts &facts)
{
    const WalkReport &r = facts.report;
    const QString &home = facts.home;
    const QString shown = homeShortened(facts.directory, home);
    switch (r.root) {
    case RootState::ok:
        break;
    case RootState::missing:
        notes << QStringLiteral("文件夹不存在：") + shown;
        return;
    case RootState::symlink:
        notes << QStringLiteral("所选位置是符号链接，未跟随：") + shown;
        return;
    case RootState::notFolder:
        notes << QStringLiteral("所选位置不是文件夹：") + shown;
        return;
    case RootState::unreadable:
        notes << QStringLiteral("无法读取文件夹（") + systemErrorText(r.rootError) + QStringLiteral("）：") + shown;
        return;
    }
    notes.prepend(QStringLiteral("检查 ") + shown
        + (hostRulePlatform() == RulePlatform::MacOS // only macOS has files that live in the cloud
                ? QStringLiteral(" 下的全部内容；不跟随符号链接，跳过仅存于云端的文件和忽略的路径。")
                : QStringLiteral(" 下的全部内容；不跟随符号链接，跳过忽略的路径。")));
    if (r.stop == WalkStop::visitLimit)
        notes << QStringLiteral("已达到检查数量上限（%1 项），其余位置未检查。").arg(facts.visitLimit);
    if (r.stop == WalkStop::deadline)
        notes << QStringLiteral("已达到时间上限（%1 秒），其余位置未检查。").arg(facts.timeLimit);
    if (r.unreadableFolders > 0)
        notes << QStringLiteral("%1 个文件夹无法读取，未检查其中内容：").arg(r.unreadableFolders)
                + joinedShortened(r.unreadableSamples, home);
    if (r.unreadableEntries > 0)
        notes << QStringLiteral("%1 个项目无法读取，已跳过。").arg(r.unreadableEntries);
    if (r.otherFileSystems > 0)
        notes << QStringLiteral("未进入挂载在其中的其他文件系统：") + joinedShortened(r.otherFileSystemSamples, home);
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

} // namespace

void addWalkNotes(QStringList &notes, const WalkFacts &facts)
{
    if (facts.category)
        addCategoryRootNotes(notes, facts, *facts.category);
    else
        addFolderNotes(notes, facts);
}

CoverageState rootCoverage(RootState root)
{
    switch (root) {
    case RootState::ok:
        return CoverageState::complete;
    case RootState::missing:
        return CoverageState::missing;
    case RootState::symlink:
        return CoverageState::skipped;
    case RootState::notFolder:
    case RootState::unreadable:
        return CoverageState::unreadable;
    }
    return CoverageState::unreadable;
}

} // namespace Morvane
