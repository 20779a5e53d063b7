#include "core/Enums.h"

namespace Morvane {

QString scanKindName(ScanKind kind)
{
    switch (kind) {
    case ScanKind::junk:
        return QStringLiteral("junk");
    case ScanKind::applications:
        return QStringLiteral("applications");
    case ScanKind::largeFiles:
        return QStringLiteral("largeFiles");
    case ScanKind::duplicates:
        return QStringLiteral("duplicates");
    case ScanKind::space:
        return QStringLiteral("space");
    case ScanKind::installers:
        return QStringLiteral("installers");
    case ScanKind::browser:
        return QStringLiteral("browser");
    case ScanKind::systemJunk:
        return QStringLiteral("systemJunk");
    }
    return {};
}

std::optional<ScanKind> scanKindFromName(const QString &name)
{
    for (ScanKind kind : allScanKinds) {
        if (scanKindName(kind) == name)
            return kind;
    }
    return std::nullopt;
}

std::optional<ScanKind> scanKindFromRaw(int raw)
{
    if (raw < 0 || raw >= int(allScanKinds.size()))
        return std::nullopt;
    return static_cast<ScanKind>(raw);
}

QString categoryTitle(FileCategory category)
{
    switch (category) {
    case FileCategory::userCache:
        return QStringLiteral("用户缓存");
    case FileCategory::logs:
        return QStringLiteral("旧日志");
    case FileCategory::developerCache:
        return QStringLiteral("开发缓存");
    case FileCategory::application:
        return QStringLiteral("应用");
    case FileCategory::applicationData:
        return QStringLiteral("应用关联文件");
    case FileCategory::largeFile:
        return QStringLiteral("大文件");
    case FileCategory::duplicate:
        return QStringLiteral("重复文件");
    case FileCategory::spaceItem:
        return QStringLiteral("空间项目");
    case FileCategory::installer:
        return QStringLiteral("安装包");
    case FileCategory::browserData:
        return QStringLiteral("浏览器数据");
    case FileCategory::systemJunk:
        return QStringLiteral("系统垃圾");
    case FileCategory::other:
        return QStringLiteral("其他");
    }
    return {};
}

QString categorySymbol(FileCategory category)
{
    switch (category) {
    case FileCategory::userCache:
        return QStringLiteral("archivebox");
    case FileCategory::logs:
        return QStringLiteral("doc.plaintext");
    case FileCategory::developerCache:
        return QStringLiteral("hammer");
    case FileCategory::application:
        return QStringLiteral("app");
    case FileCategory::applicationData:
        return QStringLiteral("folder.badge.gearshape");
    case FileCategory::largeFile:
        return QStringLiteral("doc.text.magnifyingglass");
    case FileCategory::duplicate:
        return QStringLiteral("doc.on.doc");
    case FileCategory::spaceItem:
        return QStringLiteral("chart.bar.xaxis");
    case FileCategory::installer:
        return QStringLiteral("shippingbox");
    case FileCategory::browserData:
        return QStringLiteral("globe");
    case FileCategory::systemJunk:
        return QStringLiteral("externaldrive");
    case FileCategory::other:
        return QStringLiteral("doc");
    }
    return {};
}

std::optional<FileCategory> fileCategoryFromRaw(int raw)
{
    if (raw < 0 || raw >= fileCategoryCount)
        return std::nullopt;
    return static_cast<FileCategory>(raw);
}

QString fileTypeFilterName(FileTypeFilter filter)
{
    switch (filter) {
    case FileTypeFilter::all:
        return QStringLiteral("all");
    case FileTypeFilter::documents:
        return QStringLiteral("documents");
    case FileTypeFilter::images:
        return QStringLiteral("images");
    case FileTypeFilter::videos:
        return QStringLiteral("videos");
    case FileTypeFilter::audio:
        return QStringLiteral("audio");
    case FileTypeFilter::archives:
        return QStringLiteral("archives");
    }
    return {};
}

std::optional<FileTypeFilter> fileTypeFilterFromName(const QString &name)
{
    for (FileTypeFilter filter : allFileTypeFilters) {
        if (fileTypeFilterName(filter) == name)
            return filter;
    }
    return std::nullopt;
}

std::optional<FileTypeFilter> fileTypeFilterFromRaw(int raw)
{
    if (raw < 0 || raw >= int(allFileTypeFilters.size()))
        return std::nullopt;
    return static_cast<FileTypeFilter>(raw);
}

QString browserDisplayName(BrowserKind browser)
{
    switch (browser) {
    case BrowserKind::safari:
        return QStringLiteral("Safari");
    case BrowserKind::chrome:
        return QStringLiteral("Google Chrome");
    case BrowserKind::firefox:
        return QStringLiteral("Firefox");
    case BrowserKind::edge:
        return QStringLiteral("Microsoft Edge");
    case BrowserKind::brave:
        return QStringLiteral("Brave");
    case BrowserKind::opera:
        return QStringLiteral("Opera");
    case BrowserKind::vivaldi:
        return QStringLiteral("Vivaldi");
    case BrowserKind::arc:
        return QStringLiteral("Arc");
    case BrowserKind::chromium:
        return QStringLiteral("Chromium");
    }
    return {};
}

QStringList browserIdentifiers(BrowserKind browser)
{
    switch (browser) {
    case BrowserKind::safari:
        return { QStringLiteral("com.apple.Safari"), QStringLiteral("com.apple.SafariTechnologyPreview") };
    case BrowserKind::chrome:
        return { QStringLiteral("com.google.Chrome"), QStringLiteral("com.google.Chrome.beta"),
            QStringLiteral("com.google.Chrome.canary"), QStringLiteral("google-chrome"),
            QStringLiteral("google-chrome-beta"), QStringLiteral("com.google.Chrome") };
    case BrowserKind::firefox:
        return { QStringLiteral("org.mozilla.firefox"), QStringLiteral("org.mozilla.firefoxdeveloperedition"),
            QStringLiteral("org.mozilla.nightly"), QStringLiteral("firefox"), QStringLiteral("firefox-esr"),
            QStringLiteral("org.mozilla.firefox") };
    case BrowserKind::edge:
        return { QStringLiteral("com.microsoft.edgemac"), QStringLiteral("microsoft-edge"),
            QStringLiteral("com.microsoft.Edge") };
    case BrowserKind::brave:
        return { QStringLiteral("com.brave.Browser"), QStringLiteral("brave-browser") };
    case BrowserKind::opera:
        return { QStringLiteral("com.operasoftware.Opera"), QStringLiteral("opera"),
            QStringLiteral("com.opera.Opera") };
    case BrowserKind::vivaldi:
        return { QStringLiteral("com.vivaldi.Vivaldi"), QStringLiteral("vivaldi-stable"), QStringLiteral("vivaldi") };
    case BrowserKind::arc:
        return { QStringLiteral("company.thebrowser.Browser") };
    case BrowserKind::chromium:
        return { QStringLiteral("org.chromium.Chromium"), QStringLiteral("chromium"),
            QStringLiteral("chromium-browser") };
    }
    return {};
}

namespace {

// Helper processes that do not carry the browser's identifier as a prefix.
QStringList extraHelpers(BrowserKind browser)
{
    switch (browser) {
    case BrowserKind::safari:
        return { QStringLiteral("com.apple.WebKit.WebContent"), QStringLiteral("com.apple.WebKit.Networking"),
            QStringLiteral("com.apple.WebKit.GPU") };
    case BrowserKind::chrome:
        return { QStringLiteral("chrome"), QStringLiteral("chrome_crashpad_handler") };
    case BrowserKind::firefox:
        return { QStringLiteral("firefox-bin"), QStringLiteral("plugin-container") };
    case BrowserKind::chromium:
        return { QStringLiteral("chromium-browser") };
    default:
        return {};
    }
}

bool matchesIdentifier(const QString &candidate, const QString &identifier)
{
    return candidate == identifier
        || (candidate.size() > identifier.size() && candidate.startsWith(identifier)
            && candidate.at(identifier.size()) == u'.');
}

} // namespace

std::optional<BrowserKind> browserForIdentifier(const QString &identifier)
{
    for (BrowserKind browser : allBrowserKinds) {
        for (const QString &own : browserIdentifiers(browser)) {
            if (matchesIdentifier(identifier, own))
                return browser;
        }
        if (extraHelpers(browser).contains(identifier))
            return browser;
    }
    return std::nullopt;
}

bool browserIsRunning(const QString &bundleID, const QSet<QString> &running)
{
    const auto browser = browserForIdentifier(bundleID);
    if (!browser)
        return running.contains(bundleID);
    const QStringList own = browserIdentifiers(*browser);
    const QStringList helpers = extraHelpers(*browser);
    for (const QString &candidate : running) {
        if (helpers.contains(candidate))
            return true;
        for (const QString &id : own) {
            if (matchesIdentifier(candidate, id))
                return true;
        }
    }
    return false;
}

} // namespace Morvane
