#pragma once

#include "app/Format.h"
#include "app/Page.h"
#include "core/Records.h"
#include "core/trash/TrashContents.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

// The texts the filter bar, the application, duplicate, space and diagnostics lists,
// the history and the settings pages compose from model values. The views only
// place them.
namespace Varnoll::PageTexts {

// --- File filters ----------------------------------------------------------------

struct Option {
    QString text;
    int value = 0;
};

/// The size picker's options, in megabytes.
[[nodiscard]] const QList<Option> &sizeOptions();
/// The age picker's options, in days.
[[nodiscard]] const QList<Option> &ageOptions();
/// The type picker's options: one per type filter, in the enumeration's order.
[[nodiscard]] const QList<Option> &typeOptions();
/// The position of `value` among `options`; -1 when it is not offered.
[[nodiscard]] int optionIndex(const QList<Option> &options, qint64 value);

// --- Application results ---------------------------------------------------------

/// "3 个应用".
[[nodiscard]] QString applicationCount(qsizetype count);
/// "设置和关联文件 · 4 项".
[[nodiscard]] QString associatedTitle(qsizetype count);
[[nodiscard]] QString applicationsEmpty(bool incompleteCoverage);

/// The applications of `result` the page lists. With an empty search every
/// application shows; otherwise one shows when a visible entry is the application
/// or belongs to it.
[[nodiscard]] QList<Morvane::FileEntry> listedApplications(
    const Morvane::ScanResult &result, const QList<Morvane::FileEntry> &visible, bool searchEmpty);
/// The entries of `result` that belong to `application`, in result order.
[[nodiscard]] QList<Morvane::FileEntry> associatedEntries(const Morvane::ScanResult &result, const QUuid &application);

// --- Duplicate results -----------------------------------------------------------

/// "2 组 · 多余副本逻辑大小 3 MB".
[[nodiscard]] QString duplicateSummary(const QList<Morvane::DuplicateGroup> &groups);
/// "第 1 组 · 3 份相同内容"; `position` counts from 1.
[[nodiscard]] QString groupTitle(qsizetype position, qsizetype files);
/// "每份 1 MB": the size of the group's first file, zero without files.
[[nodiscard]] QString groupEachSize(const Morvane::DuplicateGroup &group);
/// The quick action keeps one copy per group while nothing is selected, else clears.
[[nodiscard]] QString quickActionTitle(bool selectionEmpty);
[[nodiscard]] QString duplicatesEmpty(bool incompleteCoverage);

// --- Space results ---------------------------------------------------------------

/// "已统计 12 MB · 4 个直接子项".
[[nodiscard]] QString spaceSummary(const Morvane::ScanResult &result);
/// The coverage word of the result's first coverage record.
[[nodiscard]] QString spaceCoverageTag(const Morvane::ScanResult &result);
/// A child's size: "≥ " before a size that is not complete, whatever its value.
[[nodiscard]] QString prefixedSize(std::int64_t bytes, bool complete);
/// A child's share of the total; 0 when the total is below one byte. Not clamped.
[[nodiscard]] double spaceShare(std::int64_t bytes, std::int64_t total);
[[nodiscard]] QString spaceEmpty(const Morvane::ScanResult &result);
/// A map cell's tip: the name on one line, then its size and its share of the folder
/// shown, "≥ 12 MB · 占当前文件夹 35.2%" ("不到 0.1%" for a sliver).
[[nodiscard]] QString spaceCellTip(const QString &name, std::int64_t bytes, bool complete, std::int64_t total);
/// The children too small to draw one by one: "其余 12 项".
[[nodiscard]] QString spaceRestName(std::uint32_t count);
/// What a screen reader says for the map: "空间地图", and the cell the keys are on.
[[nodiscard]] QString spaceMapAccessibleName(const QString &currentTip);

// --- Scan diagnostics ------------------------------------------------------------

/// "2 个位置阻止归属核实 · 查看原因".
[[nodiscard]] QString diagnosticsTitle(qsizetype count);

// --- History ---------------------------------------------------------------------

/// "12 项已移到废纸篓".
[[nodiscard]] QString historyHeadline(std::int64_t count);
/// "查看 3 项处理详情".
[[nodiscard]] QString historyDetails(qsizetype items);
/// The record's moment in the locale: year, abbreviated month, day, hour, minute.
[[nodiscard]] QString historyDate(const QDateTime &date, const QLocale &locale = interfaceLocale());
/// The date pattern historyDate uses for `locale`.
[[nodiscard]] QString historyDatePattern(const QLocale &locale);

// --- Restore and the Trash ---------------------------------------------------------
// One function per text, so that the texts naming the Trash can take the platform's word.

/// The button of an item in the Trash: "放回原处".
[[nodiscard]] QString restoreAction();
/// The button of a record: "全部放回".
[[nodiscard]] QString restoreAllAction();
/// What a screen reader says for an item's button: "把“name”放回原处".
[[nodiscard]] QString restoreActionName(const QString &name);
/// What a screen reader says for a record's button, with the items it would put back.
[[nodiscard]] QString restoreAllActionName(qsizetype items);
/// "已于 2026年12月8日 15:12 放回原处", in the history's date form.
[[nodiscard]] QString restoredNote(const QDateTime &date, const QLocale &locale = QLocale());
/// An item moved earlier that is no longer in the Trash.
[[nodiscard]] QString goneFromTrashNote();
/// "未能放回：" and the reason.
[[nodiscard]] QString restoreFailedNote(const QString &reason);
/// "其中 2 项已放回原处"; empty when none was.
[[nodiscard]] QString restoredSummary(qsizetype restored);
/// The overview's Trash line: its title, its figures and its hint.
[[nodiscard]] QString trashTitle();
/// "4 项 · 3 MB"; "≥ " before a size not fully counted; while the first measurement
/// runs "正在统计…".
[[nodiscard]] QString trashUsageText(const std::optional<Morvane::TrashUsage> &usage, bool measuring);
[[nodiscard]] QString trashHint();
/// What a screen reader says for the whole line: "回收站：4 项 · 3 MB。" and the hint.
[[nodiscard]] QString trashLineName(const QString &usage);
/// The button that opens the Trash in the file manager.
[[nodiscard]] QString openTrashAction();

// --- Settings --------------------------------------------------------------------

/// "3 项".
[[nodiscard]] QString ignoreCount(qsizetype count);
/// "VarnollMac清理  0.1.0", or an em dash for a missing version.
[[nodiscard]] QString aboutText(const QString &version);

} // namespace Varnoll::PageTexts
