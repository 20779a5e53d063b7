#include "core/Vocabulary.h"

namespace Morvane {

namespace {

Vocabulary macVocabulary()
{
    return {
        .trash = QStringLiteral("废纸篓"),
        .brandLine = QStringLiteral("MAC 清理"),
        .sidebarSection = QStringLiteral("整理你的 Mac"),
        .sidebarReassurance = QStringLiteral("先审阅，再移到废纸篓。\n让重要文件留在原处。"),
        .overviewTitle = QStringLiteral("给 Mac 腾点空间"),
        .overviewFooter = QStringLiteral("清理只移到废纸篓，你可以从废纸篓找回文件。"),
        .applicationsDescription = QStringLiteral("找到不再使用的应用，查看后移到废纸篓。"),
        .selectionHint = QStringLiteral("移到废纸篓后可以找回；清空废纸篓才会释放空间。"),
        .reveal = QStringLiteral("在 Finder 中显示"),
        .revealNamed = QStringLiteral("在 Finder 中显示 %1"),
        .spaceHint = QStringLiteral("点击文件夹继续查看，右侧图标可在 Finder 中打开；这里不会删除文件。"),
        .spaceMapHint = QStringLiteral("点击文件夹继续查看，右键可在 Finder 中显示或忽略；这里不会删除文件。"),
        .associatedWarning = QStringLiteral("可能包含登录信息和个人设置；不确定时请保留。共享容器不在清理范围内。"),
        .diagnosticsWarning = QStringLiteral("这些条目没有被删除。请先在 Finder "
                                             "核对应用来源；不要仅为通过扫描而删除或移动应用。忽略清单不会使未知归属变"
                                             "成已确认。"),
        .diagnosticsReveal = QStringLiteral("Finder 定位"),
        .reviewTitle = QStringLiteral("确认移到废纸篓？"),
        .reviewFootnote = QStringLiteral("可从废纸篓找回文件。移入废纸篓不会立即释放磁盘空间。"),
        .reviewConfirm = QStringLiteral("确认移到废纸篓"),
        .cleaningStatus = QStringLiteral("正在移到废纸篓"),
        .cleanedStatus = QStringLiteral("已移入废纸篓 %1 项"),
        .cleanedAll = QStringLiteral("已将 %1 项移到废纸篓。清空废纸篓后才会释放相应空间。"),
        .cleanedSome = QStringLiteral("%1 项已移入废纸篓，%2 项未处理。可在清理记录查看原因。"),
        .finishingBeforeQuit = QStringLiteral("正在把选中的项目移到废纸篓并保存清理记录，完成后将自动退出。"),
        .historySubtitle = QStringLiteral("每次处理的项目、结果与失败原因，保存在这台 Mac 上。"),
        .historyHeadline = QStringLiteral("%1 项已移到废纸篓"),
        .openTrash = QStringLiteral("打开废纸篓"),
        .privacyHelp = QStringLiteral("扫描遇到无法访问的位置会单独提示。你可以在系统设置中管理完全磁盘访问权限。"),
        .privacyHelpWithoutSettings
        = QStringLiteral("扫描遇到无法访问的位置会单独提示。你可以在系统设置中管理完全磁盘访问权限。"),
        .madeFor = QStringLiteral("MADE FOR YOUR MAC"),
        .policyPromise = QStringLiteral("所有项目都需要你选择并确认。文件只移到废纸篓，不自动清空。重复文件需要内容校验"
                                        "并保留一份；目录空间分析只读。没有恶意软件检测或系统提权清理。"),
        .policyRecord = QStringLiteral("记录中显示的是已移入废纸篓的文件大小，不代表磁盘已经释放的空间。"),
        .trashNotOpened = QStringLiteral("无法打开废纸篓。废纸篓中的文件位于 %1。"),
        .revealNotOpened = QStringLiteral("无法在 Finder 中显示：%1"),
        .settingsNotOpened = QStringLiteral("无法打开系统设置。"),
    };
}

Vocabulary linuxVocabulary()
{
    return {
        .trash = QStringLiteral("回收站"),
        .brandLine = QStringLiteral("电脑清理"),
        .sidebarSection = QStringLiteral("整理你的电脑"),
        .sidebarReassurance = QStringLiteral("先审阅，再移到回收站。\n让重要文件留在原处。"),
        .overviewTitle = QStringLiteral("给电脑腾点空间"),
        .overviewFooter = QStringLiteral("清理只移到回收站，你可以从回收站找回文件。"),
        .applicationsDescription = QStringLiteral("找到不再使用的应用，查看后移到回收站。"),
        .selectionHint = QStringLiteral("移到回收站后可以找回；清空回收站才会释放空间。"),
        .reveal = QStringLiteral("在文件管理器中显示"),
        .revealNamed = QStringLiteral("在文件管理器中显示 %1"),
        .spaceHint = QStringLiteral("点击文件夹继续查看，右侧图标可在文件管理器中打开；这里不会删除文件。"),
        .spaceMapHint = QStringLiteral("点击文件夹继续查看，右键可在文件管理器中显示或忽略；这里不会删除文件。"),
        // Linux has no shared application containers to mention.
        .associatedWarning = QStringLiteral("可能包含登录信息和个人设置；不确定时请保留。"),
        .diagnosticsWarning
        = QStringLiteral("这些条目没有被删除。请先在文件管理器中核对应用来源；不要仅为通过扫描而删除"
                         "或移动应用。忽略清单不会使未知归属变成已确认。"),
        .diagnosticsReveal = QStringLiteral("在文件管理器中定位"),
        .reviewTitle = QStringLiteral("确认移到回收站？"),
        .reviewFootnote = QStringLiteral("可从回收站找回文件。移入回收站不会立即释放磁盘空间。"),
        .reviewConfirm = QStringLiteral("确认移到回收站"),
        .cleaningStatus = QStringLiteral("正在移到回收站"),
        .cleanedStatus = QStringLiteral("已移入回收站 %1 项"),
        .cleanedAll = QStringLiteral("已将 %1 项移到回收站。清空回收站后才会释放相应空间。"),
        .cleanedSome = QStringLiteral("%1 项已移入回收站，%2 项未处理。可在清理记录查看原因。"),
        .finishingBeforeQuit = QStringLiteral("正在把选中的项目移到回收站并保存清理记录，完成后将自动退出。"),
        .historySubtitle = QStringLiteral("每次处理的项目、结果与失败原因，保存在这台电脑上。"),
        .historyHeadline = QStringLiteral("%1 项已移到回收站"),
        .openTrash = QStringLiteral("打开回收站"),
        .privacyHelp = QStringLiteral("扫描遇到无法访问的位置会单独提示。这多半是文件夹权限所致：可在文件管理器中查看该"
                                      "文件夹的“属性 → 权限”，确认你能读取和进入它；以 Flatpak 或 Snap "
                                      "安装本应用时，还可以在系统设置中管理它能访问的文件夹。"),
        .privacyHelpWithoutSettings = QStringLiteral("扫描遇到无法访问的位置会单独提示。这多半是文件夹权限所致：可在文"
                                                     "件管理器中查看该文件夹的“属性 → "
                                                     "权限”，确认你能读取和进入它（需要“读取”和“执行”权限）。"),
        .madeFor = QStringLiteral("MADE FOR YOUR DESKTOP"),
        .policyPromise = QStringLiteral("所有项目都需要你选择并确认。文件只移到回收站，不自动清空。重复文件需要内容校验"
                                        "并保留一份；目录空间分析只读。没有恶意软件检测或系统提权清理。"),
        .policyRecord = QStringLiteral("记录中显示的是已移入回收站的文件大小，不代表磁盘已经释放的空间。"),
        .trashNotOpened = QStringLiteral("没有找到可以显示回收站的文件管理器。回收站中的文件位于 %1。"),
        .revealNotOpened = QStringLiteral("没有找到可以显示此位置的文件管理器：%1"),
        .settingsNotOpened
        = QStringLiteral("无法打开系统设置。文件夹权限可在文件管理器中该文件夹的“属性 → 权限”里查看。"),
    };
}

} // namespace

QList<QPair<QString, QString>> Vocabulary::entries() const
{
    QList<QPair<QString, QString>> list;
#define MORVANE_VOCABULARY_ENTRY(name) list.append({ QStringLiteral(#name), name });
    MORVANE_VOCABULARY(MORVANE_VOCABULARY_ENTRY)
#undef MORVANE_VOCABULARY_ENTRY
    return list;
}

const Vocabulary &vocabulary(RulePlatform platform)
{
    static const Vocabulary mac = macVocabulary();
    static const Vocabulary linux = linuxVocabulary();
    return platform == RulePlatform::MacOS ? mac : linux;
}

QString trashWorded(QString text)
{
    return text.replace(QStringLiteral("废纸篓"), vocabulary().trash);
}

} // namespace Morvane
