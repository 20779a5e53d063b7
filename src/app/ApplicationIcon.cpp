#include "app/ApplicationIcon.h"

#include "core/Paths.h"

#include <sys/stat.h>

namespace Varnoll {

namespace {

bool isRegularFile(const QString &path)
{
    struct stat st { };
    return ::stat(Morvane::pathToBytes(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

bool isApplicationBundle(const QString &path)
{
    return path.endsWith(QLatin1String(".app"));
}

std::optional<QString> launcherFileFor(
    const QString &path, const QString &identifier, const QStringList &applicationFolders)
{
    if (path.endsWith(QLatin1String(".desktop")) && isRegularFile(path))
        return path;
    if (identifier.isEmpty() || identifier.contains(u'/'))
        return std::nullopt;
    const QString name
        = identifier.endsWith(QLatin1String(".desktop")) ? identifier : identifier + QLatin1String(".desktop");
    for (const QString &folder : applicationFolders) {
        const QString candidate = Morvane::joinPath(folder, name);
        if (isRegularFile(candidate))
            return candidate;
    }
    return std::nullopt;
}

} // namespace Varnoll
