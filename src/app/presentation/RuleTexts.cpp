#include "app/presentation/RuleTexts.h"

#include "core/Paths.h"
#include "core/Vocabulary.h"
#include "core/scan/ApplicationPlaces.h"
#include "core/scan/JunkRules.h"

namespace Varnoll::RuleTexts {

using namespace Morvane;

namespace {

constexpr FileCategory junkCategories[] = { FileCategory::userCache, FileCategory::logs, FileCategory::developerCache };

// "聊天软件、浏览器、钱包、系统组件": the exclusion classes of the table, in order.
QString exclusionClasses(const JunkRuleSet &rules)
{
    QList<ExclusionClass> classes;
    for (const JunkExclusion &exclusion : rules.exclusions) {
        if (!classes.contains(exclusion.cls))
            classes.append(exclusion.cls);
    }
    QStringList names;
    for (ExclusionClass cls : classes)
        names.append(exclusionClassName(cls));
    return names.join(u'、');
}

// How one junk category chooses its items, from its rows: age, exclusions, tools.
QString categoryRule(const JunkRuleSet &rules, FileCategory category)
{
    bool exclusions = false;
    bool tools = false;
    for (const JunkLocation &row : rules.locations) {
        if (row.category != category)
            continue;
        exclusions = exclusions || row.exclusions;
        tools = tools || !row.tools.isEmpty();
    }
    QStringList parts;
    if (const auto age = categoryAge(rules, category))
        parts.append(QStringLiteral("只列出超过 %1 天未修改的项目").arg(*age));
    if (exclusions)
        parts.append(QStringLiteral("排除") + exclusionClasses(rules) + QStringLiteral("与正在运行应用的已识别缓存"));
    if (tools)
        parts.append(QStringLiteral("对应工具正在运行时跳过"));
    return parts.join(u'；');
}

QString linuxApplications(const Places &places)
{
    return describeLinuxApplicationScope(
        linuxApplicationPlaces(places.home, places.bases, places.applicationDirectories), places.home);
}

QString fileHandling(RulePlatform platform)
{
    return QStringLiteral("扫描结果默认不选中。移到%1前复核身份；跳过符号链接、变更文件和无权限项目。")
        .arg(vocabulary(platform).trash);
}

QList<Rule> macRules()
{
    return {
        { QStringLiteral("用户缓存"),
            QStringLiteral("仅列出 7 天前未修改的文件；排除聊天、浏览器、钱包与正在运行应用的已识别缓存。") },
        { QStringLiteral("日志与开发缓存"),
            QStringLiteral("日志保留最近 30 天，DerivedData 保留最近 7 天；Xcode 运行时跳过开发缓存。") },
        { QStringLiteral("应用管理"),
            QStringLiteral("仅匹配精确 Bundle ID 关联文件；包含保存状态、WebKit 与 HTTP "
                           "存储候选；不匹配共享容器，同标识多安装副本保留关联数据。") },
        { QStringLiteral("文件处理"), fileHandling(RulePlatform::MacOS) },
    };
}

QStringList macParagraphs()
{
    const Vocabulary &words = vocabulary(RulePlatform::MacOS);
    return {
        QStringLiteral(
            "本版本读取用户目录中的旧缓存、旧日志和 Xcode "
            "DerivedData；应用管理仅展示第三方应用与精确匹配的关联路径；文件整理、重复文件、空间分析和旧安装包"
            "默认检查下载目录，也支持选择文件夹。"),
        QStringLiteral(
            "垃圾清理对聊天软件、浏览器、钱包缓存及系统应用有排除规则；文件工具按你选择的目录执行，不套用缓存排"
            "除清单。扫描有 45 秒、20 万个检查项、5 千个结果的边界，各垃圾分类分配扫描额度，分别展示完成、部分、"
            "未扫描、跳过或无法读取。重复文件额外限制内容读取 2 GB，跳过空文件和硬链接副本；文件工具跳过云端项目"
            "、符号链接及忽略路径。重新扫描从头开始，不是续扫。"),
        words.policyPromise,
        words.policyRecord,
    };
}

} // namespace

QList<Rule> settingsRules(RulePlatform platform, const Places &places)
{
    if (platform == RulePlatform::MacOS)
        return macRules();
    const JunkRuleSet &rules = junkRules(platform);
    QList<Rule> list;
    for (FileCategory category : junkCategories) {
        const QString where = describeCategory(rules, category, places.home, places.bases);
        if (!where.isEmpty())
            list.append(
                { categoryTitle(category), where + QStringLiteral("。") + categoryRule(rules, category) + u'。' });
    }
    list.append({ QStringLiteral("应用管理"),
        linuxApplications(places) + QStringLiteral("同一标识有多个安装副本时，关联数据保留、不列出。") });
    list.append({ QStringLiteral("文件处理"), fileHandling(platform) });
    return list;
}

QStringList policyParagraphs(RulePlatform platform, const Places &places)
{
    if (platform == RulePlatform::MacOS)
        return macParagraphs();
    // One paragraph per rule of the settings page, then the file tools and the limits.
    QStringList paragraphs;
    for (const Rule &rule : settingsRules(platform, places)) {
        if (rule.title != QStringLiteral("文件处理"))
            paragraphs.append(rule.title + QStringLiteral("：") + rule.description);
    }
    const JunkRuleSet &rules = junkRules(platform);
    const Vocabulary &words = vocabulary(platform);
    return paragraphs
        + QStringList {
              QStringLiteral("文件整理、重复文件、空间分析和旧安装包默认检查下载目录 ")
                  + homeShortened(places.downloadFolder, places.home, wholePath)
                  + QStringLiteral("，也支持选择文件夹。"),
              QStringLiteral("垃圾清理对") + exclusionClasses(rules)
                  + QStringLiteral(
                      "的缓存及正在运行应用的缓存有排除规则；文件工具按你选择的目录执行，不套用缓存排除清单。扫描有 "
                      "45 秒、20 万个检查项、5 千个结果的边界，各垃圾分类分配扫描额度，分别展示完成、部分、未扫描、"
                      "跳过或无法读取。重复文件额外限制内容读取 2 GB，跳过空文件和硬链接副本；文件工具跳过符号链接及"
                      "忽略路径，不进入其他文件系统。重新扫描从头开始，不是续扫。"),
              words.policyPromise,
              words.policyRecord,
          };
}

} // namespace Varnoll::RuleTexts
