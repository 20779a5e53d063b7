#include "app/presentation/PageTexts.h"

#include "app/Format.h"
#include "app/presentation/Texts.h"
#include "core/Vocabulary.h"

#include <QRegularExpression>
#include <QSet>

namespace Varnoll::PageTexts {

using namespace Morvane;

const QList<Option> &sizeOptions()
{
    static const QList<Option> options = {
        { QStringLiteral("不限大小"), 0 },
        { QStringLiteral("至少 10 MB"), 10 },
        { QStringLiteral("至少 100 MB"), 100 },
        { QStringLiteral("至少 1 GB"), 1024 },
    };
    return options;
}

const QList<Option> &ageOptions()
{
    static const QList<Option> options = {
        { QStringLiteral("不限日期"), 0 },
        { QStringLiteral("30 天前"), 30 },
        { QStringLiteral("90 天前"), 90 },
        { QStringLiteral("一年前"), 365 },
    };
    return options;
}

const QList<Option> &typeOptions()
{
    static const QList<Option> options = [] {
        // Labelled by position; every case from the sixth on is the archive word.
        static const char16_t *const words[] = { u"全部类型", u"文档", u"图片", u"视频", u"音频", u"压缩与安装文件" };
        QList<Option> list;
        for (FileTypeFilter type : allFileTypeFilters) {
            const int position = int(type);
            list.append({ QString::fromUtf16(words[qMin(position, 5)]), position });
        }
        return list;
    }();
    return options;
}

int optionIndex(const QList<Option> &options, qint64 value)
{
    for (qsizetype i = 0; i < options.size(); ++i) {
        if (options.at(i).value == value)
            return int(i);
    }
    return -1;
}

QString applicationCount(qsizetype count)
{
    return QString::number(count) + QStringLiteral(" 个应用");
}

QString associatedTitle(qsizetype count)
{
    return QStringLiteral("设置和关联文件 · ") + QString::number(count) + QStringLiteral(" 项");
}

QString applicationsEmpty(bool incompleteCoverage)
{
    return incompleteCoverage ? QStringLiteral("已检查范围内暂无匹配应用，请查看扫描提示。")
                              : QStringLiteral("没有匹配的第三方应用。");
}

QList<FileEntry> listedApplications(const ScanResult &result, const QList<FileEntry> &visible, bool searchEmpty)
{
    QSet<QUuid> shown;
    if (!searchEmpty) {
        for (const FileEntry &entry : visible) {
            shown.insert(entry.id);
            if (entry.ownerID)
                shown.insert(*entry.ownerID);
        }
    }
    QList<FileEntry> applications;
    for (const FileEntry &entry : result.entries) {
        if (entry.category != FileCategory::application)
            continue;
        if (searchEmpty || shown.contains(entry.id))
            applications.append(entry);
    }
    return applications;
}

QList<FileEntry> associatedEntries(const ScanResult &result, const QUuid &application)
{
    QList<FileEntry> associated;
    for (const FileEntry &entry : result.entries) {
        if (entry.ownerID && *entry.ownerID == application)
            associated.append(entry);
    }
    return associated;
}

QString duplicateSummary(const QList<DuplicateGroup> &groups)
{
    std::int64_t redundant = 0;
    for (const DuplicateGroup &group : groups)
        redundant += group.redundantBytes();
    return QString::number(groups.size()) + QStringLiteral(" 组 · 多余副本逻辑大小 ") + formatBytes(redundant);
}

QString groupTitle(qsizetype position, qsizetype files)
{
    return QStringLiteral("第 ") + QString::number(position) + QStringLiteral(" 组 · ") + QString::number(files)
        + QStringLiteral(" 份相同内容");
}

QString groupEachSize(const DuplicateGroup &group)
{
    return QStringLiteral("每份 ") + formatBytes(group.files.isEmpty() ? 0 : group.files.first().bytes);
}

QString quickActionTitle(bool selectionEmpty)
{
    return selectionEmpty ? QStringLiteral("每组保留一份，选择其余") : QStringLiteral("取消所有选择");
}

QString duplicatesEmpty(bool incompleteCoverage)
{
    return incompleteCoverage ? QStringLiteral("已校验范围内未确认重复文件，请查看扫描范围提示。")
                              : QStringLiteral("本次范围内未发现完全相同的非空文件。");
}

QString spaceSummary(const ScanResult &result)
{
    return QStringLiteral("已统计 ") + formatBytes(result.bytes()) + QStringLiteral(" · ")
        + QString::number(result.entries.size()) + QStringLiteral(" 个直接子项");
}

QString spaceCoverageTag(const ScanResult &result)
{
    if (result.coverage.isEmpty())
        return coverageWord(std::nullopt);
    return coverageWord(result.coverage.first().state);
}

QString prefixedSize(std::int64_t bytes, bool complete)
{
    return complete ? formatBytes(bytes) : QStringLiteral("≥ ") + formatBytes(bytes);
}

double spaceShare(std::int64_t bytes, std::int64_t total)
{
    return total >= 1 ? double(bytes) / double(total) : 0.0;
}

QString spaceEmpty(const ScanResult &result)
{
    if (Texts::folderMissing(result))
        return QStringLiteral("文件夹不存在，没有可统计的项目。");
    return result.hasIncompleteCoverage() ? QStringLiteral("尚未确认可统计项目，请查看范围提示。")
                                          : QStringLiteral("本次范围内没有可统计项目。");
}

QString spaceCellTip(const QString &name, std::int64_t bytes, bool complete, std::int64_t total)
{
    const double share = spaceShare(bytes, total);
    const QString percent
        = share > 0 && share < 0.001 ? QStringLiteral("不到 0.1%") : QString::number(share * 100, 'f', 1) + u'%';
    return name + u'\n' + prefixedSize(bytes, complete) + QStringLiteral(" · 占当前文件夹 ") + percent;
}

QString spaceRestName(std::uint32_t count)
{
    return QStringLiteral("其余 %1 项").arg(count);
}

QString spaceMapAccessibleName(const QString &currentTip)
{
    if (currentTip.isEmpty())
        return QStringLiteral("空间地图");
    return QStringLiteral("空间地图 · ") + QString(currentTip).replace(u'\n', QStringLiteral(" · "));
}

QString diagnosticsTitle(qsizetype count)
{
    return QString::number(count) + QStringLiteral(" 个位置阻止归属核实 · 查看原因");
}

QString historyHeadline(std::int64_t count)
{
    return vocabulary().historyHeadline.arg(count);
}

QString historyDetails(qsizetype items)
{
    return QStringLiteral("查看 ") + QString::number(items) + QStringLiteral(" 项处理详情");
}

QString historyDatePattern(const QLocale &locale)
{
    // Qt has no date skeletons: take the locale's long date, drop the weekday and
    // shorten the month name, then add the locale's short time (which carries the
    // AM/PM marker where the locale uses one).
    static const QRegularExpression weekday(QStringLiteral("[,，、]?\\s*d{3,4}\\s*[,，、]?\\s*"));
    static const QRegularExpression fullMonth(QStringLiteral("M{4}"));
    QString date = locale.dateFormat(QLocale::LongFormat);
    date.replace(weekday, QStringLiteral(" "));
    date.replace(fullMonth, QStringLiteral("MMM"));
    date = date.trimmed();
    return date + u' ' + locale.timeFormat(QLocale::ShortFormat);
}

QString historyDate(const QDateTime &date, const QLocale &locale)
{
    return locale.toString(date.toLocalTime(), historyDatePattern(locale));
}

QString restoreAction()
{
    return QStringLiteral("放回原处");
}

QString restoreAllAction()
{
    return QStringLiteral("全部放回");
}

QString restoreActionName(const QString &name)
{
    return QStringLiteral("把“%1”放回原处").arg(name);
}

QString restoreAllActionName(qsizetype items)
{
    return trashWorded(QStringLiteral("把这次清理中仍在废纸篓里的 %1 项全部放回原处")).arg(items);
}

QString restoredNote(const QDateTime &date, const QLocale &locale)
{
    return QStringLiteral("已于 ") + historyDate(date, locale) + QStringLiteral(" 放回原处");
}

QString goneFromTrashNote()
{
    return trashWorded(QStringLiteral("已不在废纸篓中"));
}

QString restoreFailedNote(const QString &reason)
{
    return QStringLiteral("未能放回：") + reason;
}

QString restoredSummary(qsizetype restored)
{
    if (restored < 1)
        return {};
    return QStringLiteral("其中 ") + QString::number(restored) + QStringLiteral(" 项已放回原处");
}

QString trashTitle()
{
    return vocabulary().trash;
}

QString trashUsageText(const std::optional<Morvane::TrashUsage> &usage, bool measuring)
{
    if (!usage)
        return measuring ? QStringLiteral("正在统计…") : QStringLiteral("暂时无法统计");
    if (usage->items < 1)
        return usage->unreadable > 0 ? QStringLiteral("无法读取") : QStringLiteral("没有项目");
    return QString::number(usage->items) + QStringLiteral(" 项 · ") + prefixedSize(usage->bytes, usage->complete);
}

QString trashHint()
{
    return trashWorded(QStringLiteral("清空废纸篓后才会释放这些空间；本应用不会清空它。"));
}

QString trashLineName(const QString &usage)
{
    return trashTitle() + QStringLiteral("：") + usage + QStringLiteral("。") + trashHint();
}

QString openTrashAction()
{
    return vocabulary().openTrash;
}

QString ignoreCount(qsizetype count)
{
    return QString::number(count) + QStringLiteral(" 项");
}

QString aboutText(const QString &version)
{
    return QStringLiteral("VarnollMac清理  ") + (version.isEmpty() ? QStringLiteral("—") : version);
}

} // namespace Varnoll::PageTexts
