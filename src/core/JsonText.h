#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace Morvane {

// Small pieces for writing and splitting JSON text by hand where Qt's document model
// costs too much (a history of half a million items) or cannot say what we need.

/// Appends `text` as a JSON string: "/" written as "\/" (as the platform encoder of
/// the original application writes it), control characters and lone surrogates (the
/// escaped bytes of a non-UTF-8 path) as \uXXXX, everything else as UTF-8.
void appendJsonString(QByteArray &out, const QString &text);

/// Appends a number the way Qt's writer does: integral values as integers, others in
/// the shortest form that reads back the same.
void appendJsonNumber(QByteArray &out, double value);

/// The text of each element of a top-level JSON array, in order, without parsing the
/// elements; none when the text is not one array (only whitespace may surround it).
/// Strings and nesting are followed, so commas and brackets inside them do not count;
/// each element is still parsed (and may fail) on its own.
[[nodiscard]] std::optional<std::vector<QByteArrayView>> splitJsonArray(QByteArrayView json);

} // namespace Morvane
