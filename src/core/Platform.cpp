#include "core/Platform.h"

#include "core/Paths.h"
#include "core/RunningApplications.h"

#include <QDir>

#include <sys/statvfs.h>

#ifdef Q_OS_MACOS
#include <libproc.h>

#include <vector>
#endif

namespace Morvane {

std::optional<VolumeCapacity> volumeCapacity(const QString &path)
{
    struct statvfs vfs { };
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
#ifdef Q_OS_MACOS
    // Best effort: every process's executable, mapped to its enclosing bundle.
    QSet<QString> ids;
    const int count = ::proc_listallpids(nullptr, 0);
    if (count <= 0)
        return ids;
    std::vector<pid_t> pids(std::size_t(count) * 2);
    const int filled = ::proc_listallpids(pids.data(), int(pids.size() * sizeof(pid_t)));
    char buffer[PROC_PIDPATHINFO_MAXSIZE];
    for (int i = 0; i < filled; ++i) {
        if (::proc_pidpath(pids[std::size_t(i)], buffer, sizeof buffer) <= 0)
            continue;
        const QString exe = pathFromBytes(buffer);
        ids.insert(lastComponent(exe));
        const QString bundle = enclosingBundleIdentifier(exe);
        if (!bundle.isEmpty())
            ids.insert(bundle);
    }
    return ids;
#else
    return runningApplicationIDsFrom(defaultProcessSources(userHomeDirectory()));
#endif
}

QString userHomeDirectory()
{
    const QByteArray home = qgetenv("HOME");
    if (!home.isEmpty())
        return pathFromBytes(home);
    return QDir::homePath();
}

} // namespace Morvane
