#include "app/presentation/Texts.h"

#include "app/Format.h"
#include "core/Paths.h"

#include <algorithm>

namespace Varnoll::Texts {

using namespace Morvane;

QString pageDescription(Page page)
{
    switch (page) {
    case Page::applications:
        return vocabulary().applicationsDescription;
    case Page::largeFiles:
        return QStringLiteral("找出占空间的大文件，决定哪些值得保留。");
    case Page::duplicates:
        return QStringLiteral("找出内容完全相同的文件，每组至少保留一份。");
    case Page::space:
        return QStringLiteral("看看空间都用在哪里，点击文件夹继续查看。");
    case Page::installers:
        return QStringLiteral("找出下载过的安装文件，确认不再需要后再清理。");
    default:
        return QStringLiteral("检查积累的旧缓存、日志和开发缓存。");
    }
}

QString fileTypeWord(FileTypeFilter type)
{
    switch (type) {
    case FileTypeFilter::all:
        return QStringLiteral("全部类型");
    case FileTypeFilter::documents:
        return QStringLiteral("文档");
    case FileTypeFilter::images:
        return QStringLiteral("图片");
    case FileTypeFilter::videos:
        return QStringLiteral("视频");
    case FileTypeFilter::audio:
        return QStringLiteral("音频");
    case FileTypeFilter::archives:
        return QStringLiteral("压缩与安装文件");
    }
    return QStringLiteral("全部类型");
}

QString filterSummary(Page page, int minimumSizeMB, int olderThanDays, FileTypeFilter type)
{
    QString size;
    if (minimumSizeMB == 0)
        size = QStringLiteral("不限大小");
    else if (minimumSizeMB == 1024)
        size = QStringLiteral("至少 1 GB");
    else
        size = QStringLiteral("至少 %1 MB").arg(minimumSizeMB);
    const QString age = olderThanDays == 0 ? QStringLiteral("不限日期") : QStringLiteral("%1 天前").arg(olderThanDays);
    QString text = QStringLiteral("筛选：") + size + QStringLiteral(" · ") + age;
    if (page == Page::largeFiles)
        text += QStringLiteral(" · ") + fileTypeWord(type);
    return text;
}

QString introTitle(Page page)
{
    switch (page) {
    case Page::applications:
        return QStringLiteral("卸载之前，先看清楚");
    case Page::space:
        return QStringLiteral("先看看，谁占了空间");
    default:
        return QStringLiteral("先扫描，再决定");
    }
}

QString introSubtitle(Page page)
{
    return page == Page::space ? QStringLiteral("只读查看，不会删除文件。")
                               : QStringLiteral("扫描不会删除文件，所有清理都需要你选择并确认。");
}

bool introShowsSteps(Page page)
{
    return page != Page::space;
}

QString introSteps()
{
    return QStringLiteral("1  扫描文件     →     2  选择项目     →     3  确认清理");
}

QString examinedText(qint64 examined)
{
    return QStringLiteral("已检查 %1 项").arg(examined);
}

bool folderMissing(const ScanResult &result)
{
    switch (result.kind) {
    case ScanKind::largeFiles:
    case ScanKind::duplicates:
    case ScanKind::space:
    case ScanKind::installers:
        break;
    default:
        return false;
    }
    return result.entries.isEmpty()
        && std::any_of(result.coverage.cbegin(), result.coverage.cend(),
            [](const ScanCoverage &c) { return c.coverageState() == CoverageState::missing; });
}

QString outcomeText(const ScanResult &result, const QString &folderShown)
{
    if (folderMissing(result))
        return folderShown.isEmpty() ? QStringLiteral("文件夹不存在") : QStringLiteral("文件夹不存在：") + folderShown;
    if (!result.entries.isEmpty())
        return QStringLiteral("扫描完成，请查看结果");
    if (result.hasIncompleteCoverage())
        return QStringLiteral("部分位置未能完成检查");
    return QStringLiteral("扫描完成，暂无符合条件的项目");
}

QString totalText(const ScanResult &result, Page page)
{
    if (result.entries.isEmpty() || page == Page::space)
        return {};
    const bool partial = std::any_of(
        result.entries.cbegin(), result.entries.cend(), [](const FileEntry &entry) { return !entry.sizeIsComplete; });
    QString text;
    if (result.hasIncompleteCoverage())
        text += QStringLiteral("已找到 ");
    if (partial)
        text += QStringLiteral("≥ ");
    return text + formatBytes(result.bytes());
}

QString scopeNotesTitle(qsizetype lines)
{
    return QStringLiteral("查看扫描范围与跳过原因（%1）").arg(lines);
}

QString resultCountText(qsizetype visible, bool incompleteCoverage)
{
    QString text = QStringLiteral("%1 项结果").arg(visible);
    if (incompleteCoverage)
        text += QStringLiteral(" · 部分范围");
    return text;
}

QString emptyStateTitle(const ScanResult &result, const QString &search, std::optional<FileCategory> category)
{
    if (!result.diagnostics.isEmpty())
        return QStringLiteral("归属未核实，候选扫描未开始");
    if (folderMissing(result))
        return QStringLiteral("文件夹不存在，没有可检查的文件");
    if (result.hasIncompleteCoverage())
        return QStringLiteral("已检查范围内暂无匹配项目");
    if (!search.isEmpty() || category)
        return QStringLiteral("没有匹配的结果");
    return QStringLiteral("本次范围内没有符合规则的项目");
}

QString emptyStateSymbol(const ScanResult &result)
{
    return result.diagnostics.isEmpty() && !folderMissing(result) ? QStringLiteral("checkmark.circle")
                                                                  : QStringLiteral("exclamationmark.circle");
}

QString hourMinute(const QDateTime &date, const QLocale &locale)
{
    if (!date.isValid())
        return {};
    return locale.toString(date.toLocalTime().time(), QLocale::ShortFormat);
}

QString selectionHeadline(qsizetype count, qint64 bytes, bool selectionEmpty)
{
    if (selectionEmpty)
        return QStringLiteral("勾选你要清理的项目");
    return QStringLiteral("已选 %1 项 · 已统计 ").arg(count) + formatBytes(bytes);
}

QString reviewSummary(qsizetype count, qint64 bytes)
{
    return QStringLiteral("共 %1 项，已统计大小 ").arg(count) + formatBytes(bytes)
        + QStringLiteral("。变化或无法访问的文件会跳过。");
}

QString capacityText(qint64 total, qint64 free)
{
    if (total <= 0)
        return QStringLiteral("暂时无法读取容量");
    return QStringLiteral("可用 ") + formatBytes(free) + QStringLiteral(" / 共 ") + formatBytes(total);
}

QString entryFolder(const FileEntry &entry, const QString &home)
{
    return abbreviateHome(parentPath(entry.path), home);
}

QString entryTooltip(const FileEntry &entry)
{
    QString text = displayPath(entry.path) + u'\n' + entry.detail;
    if (!entry.sizeIsComplete)
        text += QStringLiteral("\n大小未统计完整，显示值仅为已统计部分");
    return text;
}

QString folderTitle(const QString &directory)
{
    return QStringLiteral("扫描位置：") + displayPath(lastComponent(directory));
}

QString versionText(const QString &version)
{
    return u'v' + (version.isEmpty() ? QStringLiteral("—") : version);
}

} // namespace Varnoll::Texts
