#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace Morvane {

enum class FinalLink { follow, refuse };

/// The whole content of a regular file of at most `limit` bytes, read with POSIX
/// calls on the exact path bytes; none when it cannot be opened, is not a regular
/// file, is larger, or could not be read in full.
[[nodiscard]] std::optional<QByteArray> readSmallRegularFile(const QString &path, qint64 limit, FinalLink link);

} // namespace Morvane
