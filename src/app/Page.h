#pragma once

#include "core/Enums.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <optional>

namespace Varnoll {
Q_NAMESPACE

/// The pages of the window, in this order.
enum class Page {
    overview,
    junk,
    systemJunk,
    applications,
    largeFiles,
    duplicates,
    space,
    installers,
    browser,
    startup,
    maintenance,
    history,
    settings,
};
Q_ENUM_NS(Page)

/// What the model is doing; `busy` while it is anything but idle.
enum class Activity {
    idle,
    scanning,
    cleaning, // items moving to the Trash: cannot be cancelled
    restoring, // items put back from the Trash
};
Q_ENUM_NS(Activity)

inline constexpr std::array<Page, 13> allPages = {
    Page::overview,
    Page::junk,
    Page::systemJunk,
    Page::applications,
    Page::largeFiles,
    Page::duplicates,
    Page::space,
    Page::installers,
    Page::browser,
    Page::startup,
    Page::maintenance,
    Page::history,
    Page::settings,
};

/// The page's identity and raw value: its case name.
[[nodiscard]] QString pageId(Page page);
[[nodiscard]] std::optional<Page> pageFromId(const QString &id);
[[nodiscard]] QString pageTitle(Page page);
[[nodiscard]] QString pageSymbol(Page page);
/// The scan kind whose results the page shows; none for pages without one.
[[nodiscard]] std::optional<Morvane::ScanKind> pageKind(Page page);
[[nodiscard]] bool pageIsVisible(Page page);
[[nodiscard]] bool pageIsFilePage(Page page);
[[nodiscard]] const QList<Page> &mainPages();
/// The file filters a page opens with: old installers of any size, otherwise files
/// from 100 MB of any age. varnoll-scan applies the same to its scan kinds.
[[nodiscard]] int defaultMinimumSizeMB(Page page);
[[nodiscard]] int defaultOlderThanDays(Page page);
[[nodiscard]] const QList<Page> &filePages();

} // namespace Varnoll
