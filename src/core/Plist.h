#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace Morvane {

// A small reader for property lists, XML ("<?xml … <plist>") and binary ("bplist00").
// It reads files from application bundles, which are untrusted: every offset and
// count is checked against the data, nesting is bounded, reference cycles are refused,
// and anything malformed gives none instead of a partial value.
//
// Values: dict → QVariantMap, array/set → QVariantList, string → QString,
// integer → qint64, real → double, true/false → bool, data → QByteArray,
// date → QDateTime (UTC), uid → qint64.

/// Parses either encoding; none when the data is not a well-formed property list.
[[nodiscard]] std::optional<QVariant> parsePropertyList(const QByteArray &data);

/// Reads and parses a file of at most `maximumBytes`; none on any failure.
[[nodiscard]] std::optional<QVariant> readPropertyListFile(const QString &path,
                                                           qint64 maximumBytes = 8 * 1024 * 1024);

} // namespace Morvane
