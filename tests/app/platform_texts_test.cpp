// The texts that differ by platform: Linux reads like Linux, macOS keeps its wording,
// and the rule texts say what the rule tables make the scans do.
#include "support/FakeCore.h"

#include "app/presentation/PlatformWords.h"
#include "app/presentation/RuleTexts.h"
#include "app/presentation/SettingsTexts.h"
#include "core/Paths.h"
#include "core/Vocabulary.h"
#include "core/scan/JunkRules.h"

#include <QMetaProperty>
#include <QTest>

using namespace VarnollTest;
using namespace Varnoll;

namespace {

RuleTexts::Places placesOf(const QString &home, const BaseDirectories &bases = {})
{
    return { home, bases, { QStringLiteral("/Applications"), joinPath(home, QStringLiteral("Applications")) },
        joinPath(home, QStringLiteral("下载")) };
}

// Every text a platform shows that the vocabulary, the rules or the QML words hold.
QStringList allTexts(RulePlatform platform, const RuleTexts::Places &places)
{
    QStringList texts;
    for (const auto &[name, text] : vocabulary(platform).entries())
        texts.append(text);
    for (const RuleTexts::Rule &rule : RuleTexts::settingsRules(platform, places))
        texts << rule.title << rule.description;
    texts += RuleTexts::policyParagraphs(platform, places);
    const PlatformWords words(platform);
    const QMetaObject *meta = words.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
        texts.append(meta->property(i).read(&words).toString());
    return texts;
}

} // namespace

class PlatformTextsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linuxTextsUseLinuxWords()
    {
        const QStringList forbidden { QStringLiteral("Mac"), QStringLiteral("Finder"), QStringLiteral("废纸篓"),
            QStringLiteral("Xcode"), QStringLiteral("Bundle ID"), QStringLiteral("完全磁盘访问权限") };
        for (QString text : allTexts(RulePlatform::Linux, placesOf(QStringLiteral("/home/a")))) {
            QVERIFY(!text.isEmpty());
            text.remove(QStringLiteral("VarnollMac清理")); // a name, not a word
            for (const QString &word : forbidden)
                QVERIFY2(!text.contains(word), qPrintable(text));
        }
        const Vocabulary &linux = vocabulary(RulePlatform::Linux);
        QCOMPARE(linux.trash, QStringLiteral("回收站"));
        QCOMPARE(linux.reveal, QStringLiteral("在文件管理器中显示"));
        QCOMPARE(linux.diagnosticsReveal, QStringLiteral("在文件管理器中定位"));
        QCOMPARE(linux.overviewTitle, QStringLiteral("给电脑腾点空间"));
        QCOMPARE(linux.sidebarSection, QStringLiteral("整理你的电脑"));
    }

    void macTextsKeepTheirOriginalWording()
    {
        const Vocabulary &mac = vocabulary(RulePlatform::MacOS);
        const QList<QPair<QString, QString>> original {
            { mac.overviewTitle, QStringLiteral("给 Mac 腾点空间") },
            { mac.sidebarSection, QStringLiteral("整理你的 Mac") },
            { mac.brandLine, QStringLiteral("MAC 清理") },
            { mac.sidebarReassurance, QStringLiteral("先审阅，再移到废纸篓。\n让重要文件留在原处。") },
            { mac.overviewFooter, QStringLiteral("清理只移到废纸篓，你可以从废纸篓找回文件。") },
            { mac.applicationsDescription, QStringLiteral("找到不再使用的应用，查看后移到废纸篓。") },
            { mac.selectionHint, QStringLiteral("移到废纸篓后可以找回；清空废纸篓才会释放空间。") },
            { mac.reveal, QStringLiteral("在 Finder 中显示") },
            { mac.revealNamed.arg(QStringLiteral("a.mkv")), QStringLiteral("在 Finder 中显示 a.mkv") },
            { mac.spaceHint, QStringLiteral("点击文件夹继续查看，右侧图标可在 Finder 中打开；这里不会删除文件。") },
            { mac.associatedWarning,
                QStringLiteral("可能包含登录信息和个人设置；不确定时请保留。共享容器不在清理范围内。") },
            { mac.diagnosticsWarning,
                QStringLiteral("这些条目没有被删除。请先在 Finder "
                               "核对应用来源；不要仅为通过扫描而删除或移动应用。忽略清单不会使未知归属变成已确认。") },
            { mac.diagnosticsReveal, QStringLiteral("Finder 定位") },
            { mac.reviewTitle, QStringLiteral("确认移到废纸篓？") },
            { mac.reviewFootnote, QStringLiteral("可从废纸篓找回文件。移入废纸篓不会立即释放磁盘空间。") },
            { mac.reviewConfirm, QStringLiteral("确认移到废纸篓") },
            { mac.cleaningStatus, QStringLiteral("正在移到废纸篓") },
            { mac.cleanedStatus.arg(3), QStringLiteral("已移入废纸篓 3 项") },
            { mac.cleanedAll.arg(2), QStringLiteral("已将 2 项移到废纸篓。清空废纸篓后才会释放相应空间。") },
            { mac.cleanedSome.arg(3).arg(2), QStringLiteral("3 项已移入废纸篓，2 项未处理。可在清理记录查看原因。") },
            { mac.historySubtitle, QStringLiteral("每次处理的项目、结果与失败原因，保存在这台 Mac 上。") },
            { mac.historyHeadline.arg(12), QStringLiteral("12 项已移到废纸篓") },
            { mac.openTrash, QStringLiteral("打开废纸篓") },
            { mac.privacyHelp,
                QStringLiteral("扫描遇到无法访问的位置会单独提示。你可以在系统设置中管理完全磁盘访问权限。") },
            { mac.madeFor, QStringLiteral("MADE FOR YOUR MAC") },
        };
        for (const auto &[actual, expected] : original)
            QCOMPARE(actual, expected);

        const QList<RuleTexts::Rule> rules
            = RuleTexts::settingsRules(RulePlatform::MacOS, placesOf(QStringLiteral("/Users/a")));
        QCOMPARE(rules.size(), 4);
        QCOMPARE(rules.at(0).description,
            QStringLiteral("仅列出 7 天前未修改的文件；排除聊天、浏览器、钱包与正在运行应用的已识别缓存。"));
        QCOMPARE(rules.at(1).title, QStringLiteral("日志与开发缓存"));
        QCOMPARE(rules.at(2).description,
            QStringLiteral("仅匹配精确 Bundle ID 关联文件；包含保存状态、WebKit 与 HTTP "
                           "存储候选；不匹配共享容器，同标识多安装副本保留关联数据。"));
        QCOMPARE(rules.at(3).description,
            QStringLiteral("扫描结果默认不选中。移到废纸篓前复核身份；跳过符号链接、变更文件和无权限项目。"));
        const QStringList policy
            = RuleTexts::policyParagraphs(RulePlatform::MacOS, placesOf(QStringLiteral("/Users/a")));
        QCOMPARE(policy.size(), 4);
        QCOMPARE(policy.at(0),
            QStringLiteral(
                "本版本读取用户目录中的旧缓存、旧日志和 Xcode "
                "DerivedData；应用管理仅展示第三方应用与精确匹配的关联路径；文件整理、重复文件、空间分析和旧安"
                "装包默认检查下载目录，也支持选择文件夹。"));
        QVERIFY(policy.at(1).startsWith(QStringLiteral("垃圾清理对聊天软件、浏览器、钱包缓存及系统应用有排除规则；")));
        QCOMPARE(policy.at(3), QStringLiteral("记录中显示的是已移入废纸篓的文件大小，不代表磁盘已经释放的空间。"));
        // The numbers the fixed texts state are the macOS table's.
        const JunkRuleSet &table = junkRules(RulePlatform::MacOS);
        QCOMPARE(categoryAge(table, FileCategory::userCache), std::optional<int>(7));
        QCOMPARE(categoryAge(table, FileCategory::logs), std::optional<int>(30));
        QCOMPARE(categoryAge(table, FileCategory::developerCache), std::optional<int>(7));
    }

    void linuxRulesNameEveryPlaceOfTheTableInTheUsersFolders()
    {
        const QString home = QStringLiteral("/home/a");
        const BaseDirectories bases { QStringLiteral("/data/cache"), {}, {}, {} };
        const RuleTexts::Places places = placesOf(home, bases);
        const QList<RuleTexts::Rule> rules = RuleTexts::settingsRules(RulePlatform::Linux, places);
        QStringList titles;
        for (const RuleTexts::Rule &rule : rules)
            titles.append(rule.title);
        QCOMPARE(titles,
            (QStringList { categoryTitle(FileCategory::userCache), categoryTitle(FileCategory::logs),
                categoryTitle(FileCategory::developerCache), QStringLiteral("应用管理"), QStringLiteral("文件处理") }));
        const QString policy = RuleTexts::policyParagraphs(RulePlatform::Linux, places).join(u'\n');
        for (const JunkLocation &row : junkRules(RulePlatform::Linux).locations) {
            const int index = row.category == FileCategory::userCache ? 0 : row.category == FileCategory::logs ? 1 : 2;
            for (const QString &place : shownLocations(row, home, bases)) {
                QVERIFY2(rules.at(index).description.contains(place), qPrintable(place));
                QVERIFY2(policy.contains(place), qPrintable(place));
            }
        }
        QVERIFY(rules.at(0).description.startsWith(QStringLiteral("/data/cache 与 ~/.cache；")));
        QVERIFY(rules.at(2).description.contains(QStringLiteral("；pip 缓存 /data/cache/pip 与 ~/.cache/pip；")));
        QVERIFY(rules.at(3).description.contains(QStringLiteral("~/.local/share/applications")));
        QVERIFY(rules.at(3).description.contains(QStringLiteral("请用软件包管理器卸载")));
        QVERIFY(policy.contains(QStringLiteral("默认检查下载目录 ~/下载")));
    }

    void settingsButtonShowsOnlyWhereSettingsCanOpen()
    {
        Fixture f;
        f.core->privacySettings = false;
        auto model = f.makeModel();
        const SettingsTexts without(model.get(), QString());
        QVERIFY(!without.showsPrivacyButton());
        QCOMPARE(without.privacyText(), vocabulary().privacyHelpWithoutSettings);
        f.core->privacySettings = true;
        auto other = f.makeModel();
        const SettingsTexts with(other.get(), QString());
        QVERIFY(with.showsPrivacyButton());
        QCOMPARE(with.privacyText(), vocabulary().privacyHelp);
    }
};

QTEST_GUILESS_MAIN(PlatformTextsTest)
#include "platform_texts_test.moc"
