#pragma once

#include "app/Format.h"
#include "app/Page.h"
#include "core/Records.h"
#include "core/Vocabulary.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

// Every text the window composes from model values. The views only place them.
namespace Varnoll::Texts {

/// The subtitle under a results page's title.
[[nodiscard]] QString pageDescription(Page page);

/// The name of a type filter as the filter label shows it.
[[nodiscard]] QString fileTypeWord(Morvane::FileTypeFilter type);

/// The filter panel's label, e.g. "筛选：至少 100 MB · 不限日期 · 全部类型". Only the large-files
/// page names the type.
[[nodiscard]] QString filterSummary(Page page, int minimumSizeMB, int olderThanDays, Morvane::FileTypeFilter type);

[[nodiscard]] QString introTitle(Page page);
[[nodiscard]] QString introSubtitle(Page page);
[[nodiscard]] bool introShowsSteps(Page page);
[[nodiscard]] QString introSteps();

[[nodiscard]] QString examinedText(qint64 examined);

/// True when a folder page's scan found its folder missing (and so nothing in it).
[[nodiscard]] bool folderMissing(const Morvane::ScanResult &result);

/// The first line of a result: whether anything was found and whether it is complete;
/// a missing folder is named (`folderShown`, as people read it).
[[nodiscard]] QString outcomeText(const Morvane::ScanResult &result, const QString &folderShown = {});
/// The result's total, empty when none is shown (no entries, or the space page).
[[nodiscard]] QString totalText(const Morvane::ScanResult &result, Page page);
[[nodiscard]] QString scopeNotesTitle(qsizetype lines);

/// The list header's count: "12 项结果", with " · 部分范围" when coverage has gaps.
[[nodiscard]] QString resultCountText(qsizetype visible, bool incompleteCoverage);

/// The empty list's title, by the first rule that applies.
[[nodiscard]] QString emptyStateTitle(
    const Morvane::ScanResult &result, const QString &search, std::optional<Morvane::FileCategory> category);
[[nodiscard]] QString emptyStateSymbol(const Morvane::ScanResult &result);

/// The result's time of day in the locale's short time format.
[[nodiscard]] QString hourMinute(const QDateTime &date, const QLocale &locale = interfaceLocale());

/// The selection bar's headline.
[[nodiscard]] QString selectionHeadline(qsizetype count, qint64 bytes, bool selectionEmpty);
/// The review sheet's summary line.
[[nodiscard]] QString reviewSummary(qsizetype count, qint64 bytes);

/// The overview's disk line; a capacity that could not be read says so.
[[nodiscard]] QString capacityText(qint64 total, qint64 free);

/// A row's second line: the folder holding the entry, "~" for the home folder.
[[nodiscard]] QString entryFolder(const Morvane::FileEntry &entry, const QString &home);
/// A row's tooltip: path, detail and, for a partly counted size, a warning line.
[[nodiscard]] QString entryTooltip(const Morvane::FileEntry &entry);

/// "扫描位置：Downloads".
[[nodiscard]] QString folderTitle(const QString &directory);

/// The sidebar's version: "v0.1.0", or "v—" without one.
[[nodiscard]] QString versionText(const QString &version);

} // namespace Varnoll::Texts
