#include "core/PathSafety.h"
#include "core/Vocabulary.h"

#include "core/Errors.h"
#include "core/Paths.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace Morvane {

namespace {

constexpr int kMaxLinks = 40;

QString shown(const QString &path)
{
    return displayPath(path);
}

QString systemError(int code)
{
    return systemErrorText(code);
}

// Folders that belong to the operating system: they and everything inside are never
// moved, except the places below them that hold users' own things.
const QStringList &systemFolders()
{
    static const QStringList folders = { QStringLiteral("/bin"), QStringLiteral("/boot"), QStringLiteral("/dev"),
        QStringLiteral("/etc"), QStringLiteral("/lib"), QStringLiteral("/lib32"), QStringLiteral("/lib64"),
        QStringLiteral("/libx32"), QStringLiteral("/proc"), QStringLiteral("/run"), QStringLiteral("/sbin"),
        QStringLiteral("/sys"), QStringLiteral("/usr"), QStringLiteral("/var"), QStringLiteral("/snap"),
        QStringLiteral("/System"), QStringLiteral("/Library"), QStringLiteral("/private"), QStringLiteral("/cores"),
        QStringLiteral("/nix") };
    return folders;
}

const QStringList &userPlacesInSystemFolders()
{
    static const QStringList places = { QStringLiteral("/var/tmp"), QStringLiteral("/var/folders"),
        QStringLiteral("/var/home"), QStringLiteral("/run/media"), QStringLiteral("/private/tmp"),
        QStringLiteral("/private/var/tmp"), QStringLiteral("/private/var/folders") };
    return places;
}

// Folders that hold many users' or volumes' things: never moved themselves.
const QStringList &sharedRoots()
{
    static const QStringList roots
        = { QStringLiteral("/home"), QStringLiteral("/Users"), QStringLiteral("/Applications"), QStringLiteral("/tmp"),
              QStringLiteral("/mnt"), QStringLiteral("/media"), QStringLiteral("/opt"), QStringLiteral("/srv"),
              QStringLiteral("/root"), QStringLiteral("/Volumes"), QStringLiteral("/Network") };
    return roots;
}

bool isTrashName(const QString &component)
{
    if (component == QLatin1String(".Trash") || component == QLatin1String(".Trashes"))
        return true;
    if (!component.startsWith(QLatin1String(".Trash-")) || component.size() == 7)
        return false;
    for (qsizetype i = 7; i < component.size(); ++i) {
        if (!component.at(i).isDigit())
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> PathSafety::resolve(const QString &path, QString *error)
{
    auto failWith = [error](const QString &text) -> std::optional<QString> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    if (!path.startsWith(u'/'))
        return failWith(QStringLiteral("路径必须是绝对路径：%1").arg(shown(path)));
    QStringList resolved;
    QStringList pending = path.split(u'/', Qt::SkipEmptyParts);
    int links = 0;
    while (!pending.isEmpty()) {
        const QString part = pending.takeFirst();
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!resolved.isEmpty())
                resolved.removeLast();
            continue;
        }
        const QString candidate = u'/' + (resolved + QStringList { part }).join(u'/');
        const QByteArray bytes = pathToBytes(candidate);
        struct stat st { };
        if (::lstat(bytes.constData(), &st) != 0) {
            const int code = errno;
            if (code == ENOENT)
                return failWith(QStringLiteral("“%1”不存在。").arg(shown(candidate)));
            return failWith(QStringLiteral("无法检查“%1”：%2").arg(shown(candidate), systemError(code)));
        }
        if (S_ISLNK(st.st_mode)) {
            if (++links > kMaxLinks)
                return failWith(QStringLiteral("“%1”的符号链接层数过多。").arg(shown(candidate)));
            QByteArray target(qsizetype(st.st_size > 0 ? st.st_size + 1 : 4096), '\0');
            const ssize_t n = ::readlink(bytes.constData(), target.data(), size_t(target.size()));
            if (n < 0)
                return failWith(QStringLiteral("无法读取符号链接“%1”：%2").arg(shown(candidate), systemError(errno)));
            target.truncate(n);
            const QString link = pathFromBytes(target);
            if (link.startsWith(u'/'))
                resolved.clear();
            pending = link.split(u'/', Qt::SkipEmptyParts) + pending;
            continue;
        }
        if (!S_ISDIR(st.st_mode)) {
            const bool more = std::any_of(
                pending.cbegin(), pending.cend(), [](const QString &p) { return p != QLatin1String("."); });
            if (more)
                return failWith(QStringLiteral("“%1”不是文件夹。").arg(shown(candidate)));
        }
        resolved.append(part);
    }
    return u'/' + resolved.join(u'/');
}

void PathSafety::validate(const QString &path, const QString &inside)
{
    if (!path.startsWith(u'/') || !inside.startsWith(u'/'))
        throw PathSafetyError(
            QStringLiteral("路径必须是绝对路径：%1").arg(shown(path.startsWith(u'/') ? inside : path)));
    QString error;
    const std::optional<QString> folder = resolve(inside, &error);
    if (!folder)
        throw PathSafetyError(QStringLiteral("无法确认文件夹“%1”：%2").arg(shown(inside), error));
    const std::optional<QString> target = resolve(path, &error);
    if (!target)
        throw PathSafetyError(error);
    if (*target == *folder)
        throw PathSafetyError(QStringLiteral("“%1”就是当前文件夹本身，不在其中。").arg(shown(path)));
    if (isSameOrInside(*target, *folder))
        return;
    const QString lexical = lexicallyNormal(path);
    if (isSameOrInside(lexical, lexicallyNormal(inside)))
        throw PathSafetyError(QStringLiteral("“%1”经由符号链接指向“%2”，不在“%3”之内，已拒绝。")
                                  .arg(shown(lexical), shown(*target), shown(inside)));
    throw PathSafetyError(QStringLiteral("“%1”不在“%2”之内，已拒绝。").arg(shown(lexical), shown(inside)));
}

std::optional<QString> PathSafety::removalRefusal(
    const QString &path, const QString &home, const QStringList &trashFolders)
{
    if (!path.startsWith(u'/') || lexicallyNormal(path) != path)
        return QStringLiteral("路径不是规范的绝对路径，已拒绝。");
    if (path == QLatin1String("/"))
        return QStringLiteral("不能移动根目录，已拒绝。");
    QString userHome = home.isEmpty() ? QString() : lexicallyNormal(home);
    if (userHome == QLatin1String("/")) // no real home folder: judge everything
        userHome.clear();
    if (!userHome.isEmpty() && path == userHome)
        return QStringLiteral("不能移动个人文件夹本身，已拒绝。");
    if (!userHome.isEmpty() && isSameOrInside(userHome, path))
        return QStringLiteral("“%1”包含个人文件夹，已拒绝。").arg(shown(path));

    for (const QString &trash : trashFolders) {
        if (trash.isEmpty())
            continue;
        const QString folder = lexicallyNormal(trash);
        if (isSameOrInside(path, folder))
            return trashWorded(QStringLiteral("“%1”是废纸篓或位于废纸篓中，已拒绝。")).arg(shown(path));
        if (isSameOrInside(folder, path))
            return trashWorded(QStringLiteral("“%1”包含废纸篓，已拒绝。")).arg(shown(path));
    }
    for (const QString &component : path.split(u'/', Qt::SkipEmptyParts)) {
        if (isTrashName(component))
            return trashWorded(QStringLiteral("“%1”是废纸篓或位于废纸篓中，已拒绝。")).arg(shown(path));
    }

    const bool insideHome = !userHome.isEmpty() && isSameOrInside(path, userHome);
    if (!insideHome) {
        for (const QString &root : sharedRoots()) {
            if (isSameOrInside(root, path))
                return QStringLiteral("“%1”是系统或共享文件夹，已拒绝。").arg(shown(path));
        }
        const auto userPlace = std::find_if(userPlacesInSystemFolders().cbegin(), userPlacesInSystemFolders().cend(),
            [&path](const QString &place) { return isSameOrInside(path, place); });
        for (const QString &system : systemFolders()) {
            if (isSameOrInside(system, path))
                return QStringLiteral("“%1”是系统文件夹，已拒绝。").arg(shown(path));
            if (isSameOrInside(path, system)) {
                if (userPlace == userPlacesInSystemFolders().cend() || path == *userPlace)
                    return QStringLiteral("“%1”位于系统文件夹中，已拒绝。").arg(shown(path));
            }
        }
    }
    return std::nullopt;
}

} // namespace Morvane
