#pragma once

#include "core/Errors.h"
#include "core/trash/TrashLocations.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <chrono>
#include <cstdint>

namespace Morvane {

/// One item a freedesktop.org trash holds, as its .trashinfo describes it.
struct TrashEntry {
    TrashLocation trash;
    QByteArray name; // in `files/`
    QString trashedPath;
    QString originalPath; // absolute; a volume trash's relative path joined to its top folder
    QDateTime deletionDate; // local time; invalid when the info file has none
    bool folder = false;
    std::int64_t bytes = 0; // logical size, when measured
    bool sizeIsComplete = true;
};

/// Budgets for measuring sizes: a walk stops at either, and what it counted is then
/// a lower bound.
struct TrashMeasureLimits {
    std::int64_t visitLimit = 200000;
    std::chrono::milliseconds timeLimit { 20000 };
    int threads = 2;
    const CancellationToken *cancel = nullptr;
};

/// The items of one freedesktop.org trash that have a readable .trashinfo and are
/// still in `files/`, in no particular order. With `measure`, each gets its size: a
/// file its own, a folder its `directorysizes` entry while fresh, else a walk within
/// `limits` (shared by the whole listing). Reads only; blocks.
[[nodiscard]] QList<TrashEntry> listTrash(
    const TrashLocation &trash, bool measure, const TrashMeasureLimits &limits = {});

/// How much the trashes hold.
struct TrashUsage {
    std::int64_t bytes = 0; // logical size of everything in the trashes' item folders
    std::int64_t items = 0; // items at the top of those folders
    bool complete = true; // false when a budget ran out or a part could not be read
    int trashes = 0; // trashes measured
    int unreadable = 0; // trashes whose item folder could not be read at all
};

/// Measures the trashes: every item in each one's item folder (`files/`, or the folder
/// itself on macOS), with or without an info file; a folder counts by its fresh
/// `directorysizes` entry, else by a walk; all within `limits`. Reads only; blocks.
[[nodiscard]] TrashUsage measureTrashes(const QList<TrashLocation> &trashes, const TrashMeasureLimits &limits = {});

} // namespace Morvane
