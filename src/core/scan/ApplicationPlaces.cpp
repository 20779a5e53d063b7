#include "core/scan/ApplicationPlaces.h"

#include "core/Paths.h"
#include "core/SmallFile.h"

#include <dirent.h>

#include <cstring>

namespace Morvane {

namespace {

QStringList inEach(const QStringList &folders, const QString &name)
{
    QStringList out;
    for (const QString &folder : folders)
        out.append(joinPath(folder, name));
    return out;
}

// "Path=" lines of the system's extra installations (/etc/flatpak/installations.d/*.conf).
QStringList configuredInstallations(const QString &folder)
{
    QStringList out;
    DIR *dir = ::opendir(pathToBytes(folder).constData());
    if (!dir)
        return out;
    QStringList files;
    while (const dirent *e = ::readdir(dir)) {
        const QString name = pathFromBytes(e->d_name);
        if (name.endsWith(QLatin1String(".conf")))
            files.append(joinPath(folder, name));
    }
    ::closedir(dir);
    files.sort();
    for (const QString &file : files) {
        const auto contents = readSmallRegularFile(file, 64 * 1024, FinalLink::follow);
        if (!contents)
            continue;
        for (const QByteArray &raw : contents->split('\n')) {
            const QByteArray line = raw.trimmed();
            if (!line.startsWith("Path"))
                continue;
            const qsizetype equals = line.indexOf('=');
            if (equals < 0 || line.left(equals).trimmed() != "Path")
                continue;
            const QByteArray value = line.mid(equals + 1).trimmed();
            if (value.startsWith('/'))
                out.append(lexicallyNormal(pathFromBytes(value)));
        }
    }
    return out;
}

} // namespace

LinuxApplicationPlaces linuxApplicationPlaces(
    const QString &home, const BaseDirectories &bases, const QStringList &applicationDirectories)
{
    LinuxApplicationPlaces places;
    places.applicationFolders
        = { joinPath(home, QStringLiteral("Applications")), joinPath(home, QStringLiteral(".local/opt")),
              joinPath(home, QStringLiteral("opt")), joinPath(home, QStringLiteral(".local/bin")) };
    for (const QString &d : applicationDirectories) {
        const QString normal = lexicallyNormal(d);
        if (isSameOrInside(normal, home) && normal != home && !places.applicationFolders.contains(normal))
            places.applicationFolders.append(normal);
    }
    const QStringList data = baseFolders(bases, BaseDirectory::data, home);
    places.launcherFolders = inEach(data, QStringLiteral("applications"));
    places.iconFolders = inEach(data, QStringLiteral("icons"));
    places.flatpakDataFolder = joinPath(home, QStringLiteral(".var/app"));
    for (BaseDirectory base :
        { BaseDirectory::config, BaseDirectory::data, BaseDirectory::cache, BaseDirectory::state })
        places.associatedFolders += baseFolders(bases, base, home);
    places.associatedFolders.append(places.flatpakDataFolder);
    places.associatedFolders.removeDuplicates();
    return places;
}

QString describeLinuxApplicationScope(const LinuxApplicationPlaces &places, const QString &home)
{
    const auto shown = [&home](const QStringList &folders) {
        QStringList list;
        for (const QString &folder : folders)
            list.append(homeShortened(folder, home, wholePath));
        return list.join(u'、');
    };
    return shown(places.applicationFolders) + QStringLiteral(" 中的 AppImage 与应用文件夹，")
        + shown(places.launcherFolders) + QStringLiteral(" 中指向主目录的启动器，以及 ")
        + homeShortened(places.flatpakDataFolder, home, wholePath)
        + QStringLiteral(
            " 中已卸载的 Flatpak 应用留下的数据（其标识在用户和系统范围都未安装）；关联文件只按精确标识匹配 ")
        + shown(places.associatedFolders)
        + QStringLiteral(" 中的同名位置。通过 apt、Snap 或 Flatpak 安装的应用不在此列出，请用软件包管理器卸载。");
}

QStringList flatpakInstallations(const ScanConfiguration &configuration)
{
    if (configuration.flatpakInstallations)
        return *configuration.flatpakInstallations;
    QStringList out = inEach(
        baseFolders(configuration.baseDirectories, BaseDirectory::data, configuration.home), QStringLiteral("flatpak"));
    for (const char *variable : { "FLATPAK_USER_DIR", "FLATPAK_SYSTEM_DIR" }) {
        const QString folder = absolutePathVariable(variable);
        if (!folder.isEmpty())
            out.append(folder);
    }
    out.append(QStringLiteral("/var/lib/flatpak"));
    out += configuredInstallations(QStringLiteral("/etc/flatpak/installations.d"));
    out.removeDuplicates();
    return out;
}

bool isFlatpakApplicationID(const QString &name)
{
    if (name.size() > 255)
        return false;
    const QStringList parts = name.split(u'.');
    if (parts.size() < 3)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty() || part.front().isDigit())
            return false;
        for (QChar c : part) {
            const bool plain = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
            if (!plain && c != u'_' && c != u'-')
                return false;
        }
    }
    return true;
}

} // namespace Morvane
