#include "core/scan/JunkRules.h"

#include "core/Paths.h"

namespace Morvane {

namespace {

using S = QStringList;
constexpr auto userCache = FileCategory::userCache;
constexpr auto logs = FileCategory::logs;
constexpr auto developer = FileCategory::developerCache;

QList<JunkExclusion> browserExclusions(const QStringList &extra)
{
    QList<JunkExclusion> list;
    for (BrowserKind browser : allBrowserKinds) {
        for (const QString &id : browserIdentifiers(browser))
            list.append({ id + QStringLiteral("*"), ExclusionClass::browser });
    }
    for (const QString &name : extra)
        list.append({ name, ExclusionClass::browser });
    return list;
}

QList<JunkExclusion> named(const QStringList &patterns, ExclusionClass cls)
{
    QList<JunkExclusion> list;
    for (const QString &p : patterns)
        list.append({ p, cls });
    return list;
}

JunkRuleSet macRules()
{
    JunkRuleSet rules;
    rules.locations = {
        { userCache, QStringLiteral("Library/Caches"), JunkShape::children, {}, 7, QStringLiteral("用户缓存"), {},
            true },
        { logs, QStringLiteral("Library/Logs"), JunkShape::children, {}, 30, QStringLiteral("日志"), {}, false },
        { developer, QStringLiteral("Library/Developer/Xcode/DerivedData"), JunkShape::children, {}, 7,
            QStringLiteral("Xcode DerivedData"), S { QStringLiteral("com.apple.dt.Xcode") }, false },
    };
    rules.exclusions
        = named({ QStringLiteral("com.tinyspeck.slackmacgap*"), QStringLiteral("com.hnc.Discord*"),
                    QStringLiteral("ru.keepcoder.Telegram*"), QStringLiteral("org.telegram.desktop*"),
                    QStringLiteral("com.tencent.xinWeChat*"), QStringLiteral("com.tencent.qq*"),
                    QStringLiteral("com.tencent.WeWorkMac*"), QStringLiteral("com.alibaba.DingTalkMac*"),
                    QStringLiteral("com.microsoft.teams*"), QStringLiteral("us.zoom.xos*"),
                    QStringLiteral("net.whatsapp.WhatsApp*"), QStringLiteral("WhatsApp*"),
                    QStringLiteral("org.whispersystems.signal-desktop*"), QStringLiteral("com.skype.skype*"),
                    QStringLiteral("com.facebook.archon*"), QStringLiteral("com.electron.lark*"),
                    QStringLiteral("im.riot.app*"), QStringLiteral("com.apple.iChat*") },
              ExclusionClass::chat)
        + browserExclusions({ QStringLiteral("Google"), QStringLiteral("Firefox"), QStringLiteral("Mozilla"),
            QStringLiteral("BraveSoftware"), QStringLiteral("Microsoft Edge*"), QStringLiteral("Vivaldi"),
            QStringLiteral("Chromium") })
        + named({ QStringLiteral("com.electrum.Electrum*"), QStringLiteral("Electrum*"), QStringLiteral("Exodus*"),
                    QStringLiteral("com.exodus.*"), QStringLiteral("com.ledger.live*"), QStringLiteral("Ledger Live*"),
                    QStringLiteral("io.trezor.*"), QStringLiteral("org.sparrowwallet.*"),
                    QStringLiteral("org.bitcoin.*"), QStringLiteral("org.getmonero.*"), QStringLiteral("Wasabi*") },
            ExclusionClass::wallet)
        + named({ QStringLiteral("com.apple.*"), QStringLiteral("CloudKit"), QStringLiteral("GeoServices"),
                    QStringLiteral("FamilyCircle"), QStringLiteral("familycircled") },
            ExclusionClass::system);
    return rules;
}

JunkRuleSet linuxRules()
{
    JunkRuleSet rules;
    const S jetbrains { QStringLiteral("idea*"), QStringLiteral("pycharm*"), QStringLiteral("clion*"),
        QStringLiteral("goland*"), QStringLiteral("webstorm*"), QStringLiteral("rider*"), QStringLiteral("phpstorm*"),
        QStringLiteral("rubymine*"), QStringLiteral("datagrip*"), QStringLiteral("rustrover*"),
        QStringLiteral("jetbrains-*"), QStringLiteral("com.jetbrains.*") };
    constexpr auto cache = BaseDirectory::cache;
    rules.locations = {
        { userCache, QString(), JunkShape::children, {}, 7, QStringLiteral("用户缓存"), {}, true, cache },
        { userCache, QStringLiteral(".var/app/*/cache"), JunkShape::children, {}, 7, QStringLiteral("Flatpak 应用缓存"),
            {}, true },
        { userCache, QString(), JunkShape::tagged, {}, 7, QStringLiteral("CACHEDIR.TAG 标记的缓存"), {}, false },
        { logs, QString(), JunkShape::search,
            S { QStringLiteral("log"), QStringLiteral("logs"), QStringLiteral("*.log"), QStringLiteral("*.log.*"),
                QStringLiteral("log.*"), QStringLiteral("log-*"), QStringLiteral("log_*") },
            30, QStringLiteral("日志"), {}, false, BaseDirectory::state },
        { logs, QStringLiteral("*/logs"), JunkShape::children, {}, 30, QStringLiteral("日志"), {}, false,
            BaseDirectory::config },
        { logs, QStringLiteral("xorg"), JunkShape::items, S { QStringLiteral("*.log*") }, 30,
            QStringLiteral("Xorg 日志"), {}, false, BaseDirectory::data },
        { logs, QString(), JunkShape::items, S { QStringLiteral(".xsession-errors.old") }, 30,
            QStringLiteral("会话错误日志"), {}, false },
        { developer, QStringLiteral(".gradle/caches"), JunkShape::children, {}, 7, QStringLiteral("Gradle 缓存"),
            S { QStringLiteral("gradle"), QStringLiteral("gradlew"), QStringLiteral("GradleDaemon") }, false },
        { developer, QStringLiteral(".npm/_cacache"), JunkShape::children, {}, 7, QStringLiteral("npm 缓存"),
            S { QStringLiteral("npm"), QStringLiteral("npx"), QStringLiteral("npm-cli.js") }, false },
        { developer, QStringLiteral("pip"), JunkShape::children, {}, 7, QStringLiteral("pip 缓存"),
            S { QStringLiteral("pip"), QStringLiteral("pip3"), QStringLiteral("pip3.*") }, false, cache },
        { developer, QStringLiteral("go-build"), JunkShape::children, {}, 7, QStringLiteral("Go 构建缓存"),
            S { QStringLiteral("go") }, false, cache },
        { developer, QStringLiteral("ccache"), JunkShape::children, {}, 7, QStringLiteral("ccache 缓存"),
            S { QStringLiteral("ccache") }, false, cache },
        { developer, QStringLiteral(".ccache"), JunkShape::children, {}, 7, QStringLiteral("ccache 缓存"),
            S { QStringLiteral("ccache") }, false },
        { developer, QStringLiteral(".cargo/registry/cache"), JunkShape::children, {}, 7,
            QStringLiteral("Cargo 下载缓存"), S { QStringLiteral("cargo") }, false },
        { developer, QStringLiteral("JetBrains"), JunkShape::children, {}, 7, QStringLiteral("JetBrains IDE 缓存"),
            jetbrains, false, cache },
        { developer, QStringLiteral("yarn"), JunkShape::children, {}, 7, QStringLiteral("Yarn 缓存"),
            S { QStringLiteral("yarn") }, false, cache },
    };
    rules.exclusions
        = named({ QStringLiteral("discord*"), QStringLiteral("com.discordapp.*"), QStringLiteral("slack*"),
                    QStringLiteral("com.slack.*"), QStringLiteral("telegram*"), QStringLiteral("org.telegram.*"),
                    QStringLiteral("signal*"), QStringLiteral("org.signal.*"), QStringLiteral("element*"),
                    QStringLiteral("im.riot.*"), QStringLiteral("whatsapp*"), QStringLiteral("skype*"),
                    QStringLiteral("com.skype.*"), QStringLiteral("teams*"), QStringLiteral("Microsoft Teams*"),
                    QStringLiteral("com.microsoft.Teams*"), QStringLiteral("zoom*"), QStringLiteral("us.zoom.*"),
                    QStringLiteral("wechat*"), QStringLiteral("com.tencent.*"), QStringLiteral("hexchat*"),
                    QStringLiteral("pidgin*"), QStringLiteral("thunderbird*"),
                    QStringLiteral("org.mozilla.Thunderbird*") },
              ExclusionClass::chat)
        + browserExclusions({ QStringLiteral("mozilla"), QStringLiteral("google-chrome*"), QStringLiteral("chromium*"),
            QStringLiteral("BraveSoftware"), QStringLiteral("microsoft-edge*"), QStringLiteral("opera*"),
            QStringLiteral("vivaldi*"), QStringLiteral("epiphany*"), QStringLiteral("org.gnome.Epiphany*"),
            QStringLiteral("falkon*"), QStringLiteral("librewolf*"), QStringLiteral("io.gitlab.librewolf-community*"),
            QStringLiteral("torbrowser*"), QStringLiteral("qutebrowser*") })
        + named({ QStringLiteral("electrum*"), QStringLiteral("org.electrum.*"), QStringLiteral("exodus*"),
                    QStringLiteral("io.exodus.*"), QStringLiteral("Ledger Live*"), QStringLiteral("ledger-live*"),
                    QStringLiteral("com.ledger.*"), QStringLiteral("monero*"), QStringLiteral("org.getmonero.*"),
                    QStringLiteral("bitcoin*"), QStringLiteral("org.bitcoincore.*"), QStringLiteral("sparrow*"),
                    QStringLiteral("wasabi*"), QStringLiteral("trezor*") },
            ExclusionClass::wallet)
        + named({ QStringLiteral("org.gnome.*"), QStringLiteral("gnome*"), QStringLiteral("org.kde.*"),
                    QStringLiteral("kde*"), QStringLiteral("plasma*"), QStringLiteral("kwin*"),
                    QStringLiteral("krunner*"), QStringLiteral("ksycoca*"), QStringLiteral("xfce*"),
                    QStringLiteral("mate"), QStringLiteral("mate-*"), QStringLiteral("cinnamon*"),
                    QStringLiteral("lxqt*"), QStringLiteral("lxsession*"), QStringLiteral("gvfs*"),
                    QStringLiteral("tracker*"), QStringLiteral("evolution*"), QStringLiteral("gstreamer-*"),
                    QStringLiteral("fontconfig"), QStringLiteral("dconf"), QStringLiteral("ibus*"),
                    QStringLiteral("fcitx*"), QStringLiteral("mesa_shader_cache*"), QStringLiteral("nvidia"),
                    QStringLiteral("at-spi*"), QStringLiteral("xdg-desktop-portal*"), QStringLiteral("flatpak") },
            ExclusionClass::system);
    return rules;
}

} // namespace

QString exclusionClassName(ExclusionClass cls)
{
    switch (cls) {
    case ExclusionClass::chat:
        return QStringLiteral("聊天软件");
    case ExclusionClass::browser:
        return QStringLiteral("浏览器");
    case ExclusionClass::wallet:
        return QStringLiteral("钱包");
    case ExclusionClass::system:
        return QStringLiteral("系统组件");
    case ExclusionClass::running:
        return QStringLiteral("正在运行的应用");
    }
    return {};
}

const JunkRuleSet &junkRules(RulePlatform platform)
{
    static const JunkRuleSet mac = macRules();
    static const JunkRuleSet linux = linuxRules();
    return platform == RulePlatform::MacOS ? mac : linux;
}

QStringList locationBases(const JunkLocation &row, const QString &home, const BaseDirectories &bases)
{
    if (!row.base)
        return { home };
    return baseFolders(bases, *row.base, home);
}

QStringList shownLocations(const JunkLocation &row, const QString &home, const BaseDirectories &bases)
{
    QStringList shown;
    for (const QString &base : locationBases(row, home, bases)) {
        const QString folder = row.location.isEmpty() ? base : joinPath(base, row.location);
        switch (row.shape) {
        case JunkShape::children:
            shown.append(homeShortened(folder, home, wholePath));
            break;
        case JunkShape::items:
            // Items right in the home folder read as paths of their own.
            if (folder == home) {
                for (const QString &name : row.names)
                    shown.append(homeShortened(joinPath(home, name), home, wholePath));
            } else {
                shown.append(homeShortened(folder, home, wholePath) + QStringLiteral(" 中的 ")
                    + row.names.join(QStringLiteral("、")));
            }
            break;
        case JunkShape::search:
            shown.append(homeShortened(folder, home, wholePath) + QStringLiteral(" 中名为 ")
                + row.names.join(QStringLiteral("、")) + QStringLiteral(" 的项目"));
            break;
        case JunkShape::tagged:
            shown.append(QStringLiteral("主目录下 %1 层以内带 CACHEDIR.TAG 标记的文件夹").arg(cacheTagSearchDepth));
            break;
        }
    }
    shown.removeDuplicates();
    return shown;
}

QString describeCategory(
    const JunkRuleSet &rules, FileCategory category, const QString &home, const BaseDirectories &bases)
{
    QStringList labels;
    QHash<QString, QStringList> places;
    QSet<QString> named; // labels that name a tool: the place alone would not say whose cache it is
    for (const JunkLocation &row : rules.locations) {
        if (row.category != category)
            continue;
        if (!labels.contains(row.label))
            labels.append(row.label);
        if (!row.tools.isEmpty())
            named.insert(row.label);
        for (const QString &shown : shownLocations(row, home, bases)) {
            if (!places[row.label].contains(shown))
                places[row.label].append(shown);
        }
    }
    QStringList groups;
    for (const QString &label : labels) {
        const QString where = places.value(label).join(QStringLiteral(" 与 "));
        groups.append(named.contains(label) ? label + u' ' + where : where);
    }
    return groups.join(u'；');
}

std::optional<int> categoryAge(const JunkRuleSet &rules, FileCategory category)
{
    std::optional<int> age;
    for (const JunkLocation &row : rules.locations) {
        if (row.category != category)
            continue;
        if (age && *age != row.ageDays)
            return std::nullopt;
        age = row.ageDays;
    }
    return age;
}

bool matchesAnyWildcard(const QString &name, const QStringList &wildcards)
{
    for (const QString &w : wildcards) {
        if (QRegularExpression::fromWildcard(w, Qt::CaseInsensitive).match(name).hasMatch())
            return true;
    }
    return false;
}

bool toolIsRunning(const QStringList &tools, const QSet<QString> &running, QString *which)
{
    for (const QString &id : running) {
        if (matchesAnyWildcard(id, tools)) {
            if (which)
                *which = id;
            return true;
        }
    }
    return false;
}

ExclusionMatcher::ExclusionMatcher(const QList<JunkExclusion> &exclusions, const QSet<QString> &running)
{
    for (const JunkExclusion &e : exclusions)
        m_patterns.append({ QRegularExpression::fromWildcard(e.pattern, Qt::CaseInsensitive), e.cls });
    for (const QString &id : running) {
        m_running.insert(id.toLower());
        const QStringList parts = id.split(u'.');
        if (parts.size() >= 3 && parts.last().size() >= 3)
            m_runningShort.insert(parts.last().toLower());
    }
}

std::optional<ExclusionClass> ExclusionMatcher::classify(const QString &name) const
{
    for (const auto &[pattern, cls] : m_patterns) {
        if (pattern.match(name).hasMatch())
            return cls;
    }
    const QString lower = name.toLower();
    if (m_running.contains(lower) || m_runningShort.contains(lower))
        return ExclusionClass::running;
    // Helpers and per-version folders: "com.example.App.ShipIt", "code-1.2".
    for (const QString &id : m_running) {
        if (lower.size() > id.size() && lower.startsWith(id) && (lower.at(id.size()) == u'.'))
            return ExclusionClass::running;
    }
    return std::nullopt;
}

} // namespace Morvane
