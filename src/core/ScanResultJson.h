#pragma once

#include "core/Records.h"

#include <QJsonObject>

namespace Morvane {

// The JSON form of a scan result that varnoll-scan prints: keys are the record field
// names, enumerations their raw values, dates ISO 8601 in UTC. A path that is not
// valid UTF-8 is written readable in "path" and exact, as base64, in "pathBytes".

[[nodiscard]] QJsonObject toJson(const FileEntry &entry);
[[nodiscard]] QJsonObject toJson(const ScanResult &result);

} // namespace Morvane
