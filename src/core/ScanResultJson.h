#pragma once

#include "core/Records.h"

#include <QByteArrayView>
#include <QJsonObject>

#include <functional>

namespace Morvane {

// The JSON form of a scan result that varnoll-scan prints: keys are the record field
// names, enumerations their raw values, dates ISO 8601 in UTC. A path that is not
// valid UTF-8 is written readable in "path" and exact, as base64, in "pathBytes".

[[nodiscard]] QJsonObject toJson(const FileEntry &entry);
[[nodiscard]] QJsonObject toJson(const ScanResult &result);

/// The same bytes as QJsonDocument(toJson(result)).toJson(QJsonDocument::Compact),
/// handed to `write` in pieces: the entries are converted one at a time, so a result
/// of many entries is never held a second time as one JSON tree and one text.
void writeCompactJson(const ScanResult &result, const std::function<void(QByteArrayView)> &write);

} // namespace Morvane
