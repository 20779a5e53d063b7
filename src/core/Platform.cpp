#include "core/Platform.h"

#include "core/Paths.h"

#include <QDir>

#include <sys/statvfs.h>

namespace Morvane {

std::optional<VolumeCapacity> volumeCapacity(const QString &path)
{
    struct statvfs vfs {};
    if (::statvfs(pathToBytes(path).constData(), &vfs) != 0)
        return std::nullopt;
    VolumeCapacity capacity;
    capacity.total = std::int64_t(vfs.f_blocks) * std::int64_t(vfs.f_frsize);
    // Free space for an unprivileged user, as a file browser shows it.
    capacity.free = std::int64_t(vfs.f_bavail) * std::int64_t(vfs.f_frsize);
    return capacity;
}

QSet<QString> runningApplicationIDs()
{
    // Filled in with the process list by the scanning engine.
    return {};
}

QString userHomeDirectory()
{
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty())
        return pathFromBytes(home);
    return QDir::homePath();
}

} // namespace Morvane
