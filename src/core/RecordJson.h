#pragma once

#include "core/Records.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>

namespace Morvane {

// The coded form of the history. Dates are seconds since 2001-01-01T00:00:00Z as a
// double, UUIDs upper-case strings; unknown keys are ignored on read. A path that is
// not valid UTF-8 on disk is written twice: readable in "path" and exact, as base64 of
// its bytes, in "pathBytes", which wins on read.

[[nodiscard]] double secondsSinceReferenceDate(const QDateTime &date);
[[nodiscard]] QDateTime dateFromReferenceSeconds(double seconds);
[[nodiscard]] QString uuidString(const QUuid &id);

[[nodiscard]] QJsonObject toJson(const CleanupItemResult &item);
[[nodiscard]] QJsonObject toJson(const CleanupRecord &record);
[[nodiscard]] QJsonArray toJson(const QList<CleanupRecord> &records);

/// Decoding fails (none) when a required key is missing or has the wrong type.
[[nodiscard]] std::optional<CleanupItemResult> itemFromJson(const QJsonObject &object);
[[nodiscard]] std::optional<CleanupRecord> recordFromJson(const QJsonObject &object);
/// Fails when the document is not an array or any element does not decode.
[[nodiscard]] std::optional<QList<CleanupRecord>> recordsFromJson(const QByteArray &json);

/// A history file read record by record: one record that does not decode (a missing
/// key, a wrong type, a number out of range) is left out alone instead of failing the
/// whole file, and only the first `keep` records are decoded at all.
struct HistoryDecoding {
    QList<CleanupRecord> records; // at most `keep`, in file order
    qsizetype invalid = 0; // elements left out because they did not decode
    qsizetype beyondLimit = 0; // elements after the first `keep` good records, not read
    /// Everything in the file is in `records`.
    [[nodiscard]] bool complete() const { return invalid == 0 && beyondLimit == 0; }
};

/// None when the text is not one JSON array.
[[nodiscard]] std::optional<HistoryDecoding> decodeHistory(QByteArrayView json, qsizetype keep);

/// The history file's text: the same form as compactEscapedJson(QJsonDocument(toJson(records))),
/// written directly (a history may hold half a million items).
[[nodiscard]] QByteArray encodeHistory(const QList<CleanupRecord> &records);

/// Compact JSON with every "/" inside strings written as "\/", as the platform
/// encoder of the original application writes it. Readers accept both forms.
[[nodiscard]] QByteArray compactEscapedJson(const QJsonDocument &document);

} // namespace Morvane
