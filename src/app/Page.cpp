#include "app/Page.h"

namespace Varnoll {

using Morvane::ScanKind;

QString pageId(Page page)
{
    switch (page) {
    case Page::overview:
        return QStringLiteral("overview");
    case Page::junk:
        return QStringLiteral("junk");
    case Page::systemJunk:
        return QStringLiteral("systemJunk");
    case Page::applications:
        return QStringLiteral("applications");
    case Page::largeFiles:
        return QStringLiteral("largeFiles");
    case Page::duplicates:
        return QStringLiteral("duplicates");
    case Page::space:
        return QStringLiteral("space");
    case Page::installers:
        return QStringLiteral("installers");
    case Page::browser:
        return QStringLiteral("browser");
    case Page::startup:
        return QStringLiteral("startup");
    case Page::maintenance:
        return QStringLiteral("maintenance");
    case Page::history:
        return QStringLiteral("history");
    case Page::settings:
        return QStringLiteral("settings");
    }
    return {};
}

std::optional<Page> pageFromId(const QString &id)
{
    for (Page page : allPages) {
        if (pageId(page) == id)
            return page;
    }
    return std::nullopt;
}

QString pageTitle(Page page)
{
    switch (page) {
    case Page::overview:
        return QStringLiteral("首页");
    case Page::junk:
        return QStringLiteral("垃圾清理");
    case Page::systemJunk:
        return QStringLiteral("系统范围清理");
    case Page::applications:
        return QStringLiteral("应用卸载");
    case Page::largeFiles:
        return QStringLiteral("大文件");
    case Page::duplicates:
        return QStringLiteral("重复文件");
    case Page::space:
        return QStringLiteral("空间分析");
    case Page::installers:
        return QStringLiteral("旧安装包");
    case Page::browser:
        return QStringLiteral("浏览器隐私");
    case Page::startup:
        return QStringLiteral("启动与后台");
    case Page::maintenance:
        return QStringLiteral("维护与权限");
    case Page::history:
        return QStringLiteral("清理记录");
    case Page::settings:
        return QStringLiteral("设置");
    }
    return {};
}

QString pageSymbol(Page page)
{
    switch (page) {
    case Page::overview:
        return QStringLiteral("square.grid.2x2");
    case Page::junk:
        return QStringLiteral("sparkles");
    case Page::systemJunk:
        return QStringLiteral("externaldrive");
    case Page::applications:
        return QStringLiteral("square.stack.3d.up");
    case Page::largeFiles:
        return QStringLiteral("doc.text.magnifyingglass");
    case Page::duplicates:
        return QStringLiteral("doc.on.doc");
    case Page::space:
        return QStringLiteral("chart.bar.xaxis");
    case Page::installers:
        return QStringLiteral("shippingbox");
    case Page::browser:
        return QStringLiteral("globe");
    case Page::startup:
        return QStringLiteral("power");
    case Page::maintenance:
        return QStringLiteral("wrench.and.screwdriver");
    case Page::history:
        return QStringLiteral("clock.arrow.circlepath");
    case Page::settings:
        return QStringLiteral("slider.horizontal.3");
    }
    return {};
}

std::optional<ScanKind> pageKind(Page page)
{
    switch (page) {
    case Page::junk:
        return ScanKind::junk;
    case Page::systemJunk:
        return ScanKind::systemJunk;
    case Page::applications:
        return ScanKind::applications;
    case Page::largeFiles:
        return ScanKind::largeFiles;
    case Page::duplicates:
        return ScanKind::duplicates;
    case Page::space:
        return ScanKind::space;
    case Page::installers:
        return ScanKind::installers;
    case Page::browser:
        return ScanKind::browser;
    case Page::overview:
    case Page::startup:
    case Page::maintenance:
    case Page::history:
    case Page::settings:
        return std::nullopt;
    }
    return std::nullopt;
}

const QList<Page> &mainPages()
{
    static const QList<Page> pages { Page::overview, Page::junk, Page::applications, Page::largeFiles, Page::space };
    return pages;
}

const QList<Page> &filePages()
{
    static const QList<Page> pages { Page::largeFiles, Page::duplicates, Page::installers };
    return pages;
}

bool pageIsVisible(Page page)
{
    return mainPages().contains(page) || filePages().contains(page) || page == Page::history || page == Page::settings;
}

bool pageIsFilePage(Page page)
{
    return filePages().contains(page);
}

int defaultMinimumSizeMB(Page page)
{
    return page == Page::installers ? 0 : 100;
}

int defaultOlderThanDays(Page page)
{
    return page == Page::installers ? 30 : 0;
}

} // namespace Varnoll
