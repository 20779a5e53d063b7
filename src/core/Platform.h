#pragma once

#include <QSet>
#include <QString>

#include <cstdint>
#include <optional>

namespace Morvane {

struct VolumeCapacity {
    std::int64_t total = 0;
    std::int64_t free = 0;
};

/// Capacity and free space of the file system holding `path`; none when it cannot
/// be read.
[[nodiscard]] std::optional<VolumeCapacity> volumeCapacity(const QString &path);

/// Identifiers of the applications that run now (see RunningApplications for how a
/// process maps to an identifier).
[[nodiscard]] QSet<QString> runningApplicationIDs();

/// The home folder of the running process's user.
[[nodiscard]] QString userHomeDirectory();

} // namespace Morvane
