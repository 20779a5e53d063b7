#include "core/RunningApplications.h"

#include "core/Paths.h"
#include "core/Plist.h"
#include "core/SmallFile.h"
#include "core/UserFolders.h"
#include "core/scan/DesktopFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>

namespace Morvane {

namespace {

QByteArray readProcFile(const QByteArray &path, qint64 limit = 64 * 1024)
{
    // A /proc entry states no size: what fits in the bound is all we look at.
    BoundedRead read = readBounded(path, { limit, FinalLink::refuse, true });
    return read.ok() ? std::move(read.data) : QByteArray();
}

QString readLink(const QByteArray &path)
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    QByteArray target(buffer, qsizetype(n));
    if (target.endsWith(" (deleted)"))
        target.chop(10);
    return pathFromBytes(target);
}

QString realPath(const QString &path)
{
    char resolved[PATH_MAX];
    if (::realpath(pathToBytes(path).constData(), resolved) == nullptr)
        return path;
    return pathFromBytes(resolved);
}

bool isInterpreter(const QString &name)
{
    static const QStringList names { QStringLiteral("python"), QStringLiteral("node"), QStringLiteral("java"),
        QStringLiteral("perl"), QStringLiteral("ruby"), QStringLiteral("sh"), QStringLiteral("bash"),
        QStringLiteral("dash"), QStringLiteral("zsh") };
    for (const QString &n : names) {
        if (name == n
            || (name.startsWith(n) && name.size() > n.size()
                && (name.at(n.size()).isDigit() || name.at(n.size()) == u'.')))
            return true;
    }
    return false;
}

// Shared program folders hold unrelated programs: a launcher's target there says
// nothing about its neighbours.
bool isSharedFolder(const QString &folder, const QString &home)
{
    static const QStringList shared { QStringLiteral("/bin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin"),
        QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/local/sbin"),
        QStringLiteral("/usr/libexec"), QStringLiteral("/usr/lib"), QStringLiteral("/usr/lib64"),
        QStringLiteral("/usr/games"), QStringLiteral("/snap/bin"), QStringLiteral("/opt"),
        QStringLiteral("/usr/lib/x86_64-linux-gnu"), QStringLiteral("/usr/lib/aarch64-linux-gnu"),
        QStringLiteral("/var/lib/flatpak/exports/bin") };
    return folder.isEmpty() || folder == QLatin1String("/") || shared.contains(folder) || folder == home
        || folder == joinPath(home, QStringLiteral(".local/bin")) || folder == joinPath(home, QStringLiteral("bin"))
        || folder == joinPath(home, QStringLiteral("Applications"));
}

QString flatpakIDFromCgroup(const QByteArray &cgroup)
{
    // systemd names a Flatpak's scope "app-flatpak-<ID>-<number>.scope".
    const qsizetype at = cgroup.indexOf("app-flatpak-");
    if (at < 0)
        return {};
    const qsizetype start = at + 12;
    const qsizetype end = cgroup.indexOf(".scope", start);
    if (end < 0)
        return {};
    const QByteArray middle = cgroup.mid(start, end - start);
    const qsizetype dash = middle.lastIndexOf('-');
    return QString::fromUtf8(dash > 0 ? middle.left(dash) : middle);
}

} // namespace

ProcessSources defaultProcessSources(const QString &home)
{
    ProcessSources sources;
    sources.home = home;
    const QStringList data = baseFolders(environmentBaseDirectories(), BaseDirectory::data, home);
    for (const QString &folder : data)
        sources.launcherFolders.append(joinPath(folder, QStringLiteral("applications")));
    for (const QString &folder : data)
        sources.launcherFolders.append(joinPath(folder, QStringLiteral("flatpak/exports/share/applications")));
    sources.launcherFolders += { QStringLiteral("/var/lib/flatpak/exports/share/applications"),
        QStringLiteral("/usr/local/share/applications"), QStringLiteral("/usr/share/applications") };
    return sources;
}

QString enclosingBundleIdentifier(const QString &executable)
{
    QString folder = parentPath(executable);
    while (folder.size() > 1) {
        if (folder.endsWith(QLatin1String(".app"))) {
            const auto plist = readPropertyListFile(joinPath(folder, QStringLiteral("Contents/Info.plist")));
            if (plist)
                return plist->toMap().value(QStringLiteral("CFBundleIdentifier")).toString();
            return {};
        }
        folder = parentPath(folder);
    }
    return {};
}

QSet<QString> runningApplicationIDsFrom(const ProcessSources &sources)
{
    struct Target {
        QString id;
        QString file;
        QString folder; // empty when the target lies in a shared folder
    };
    QList<Target> targets;
    QSet<QString> seenIDs;
    const QStringList pathDirs = searchPath(sources.home);
    for (const QString &folder : sources.launcherFolders) {
        for (const DesktopLauncher &launcher : readDesktopLaunchers(folder, pathDirs)) {
            if (seenIDs.contains(launcher.id) || launcher.target.isEmpty())
                continue;
            seenIDs.insert(launcher.id);
            const QString file = realPath(launcher.target);
            const QString dir = parentPath(file);
            targets.append({ launcher.id, file, isSharedFolder(dir, sources.home) ? QString() : dir });
            if (file != launcher.target)
                targets.append({ launcher.id, launcher.target, QString() });
        }
    }

    QSet<QString> ids;
    const QByteArray proc = pathToBytes(sources.procRoot);
    DIR *dir = ::opendir(proc.constData());
    if (!dir)
        return ids;
    const uid_t me = ::getuid();
    while (const dirent *e = ::readdir(dir)) {
        const char *name = e->d_name;
        if (name[0] < '1' || name[0] > '9')
            continue;
        const QByteArray base = proc + '/' + name;
        if (sources.onlyOwnProcesses) {
            struct stat st { };
            if (::stat(base.constData(), &st) != 0 || st.st_uid != me)
                continue;
        }
        const QString exe = readLink(base + "/exe");
        const QByteArray cmdline = readProcFile(base + "/cmdline");
        const QList<QByteArray> argv = cmdline.split('\0');
        if (!exe.isEmpty()) {
            const QString exeName = lastComponent(exe);
            ids.insert(exeName);
            if (isInterpreter(exeName)) {
                for (qsizetype i = 1; i < argv.size(); ++i) {
                    const QByteArray &arg = argv[i];
                    if (arg.isEmpty() || arg.startsWith('-'))
                        continue;
                    ids.insert(lastComponent(pathFromBytes(arg)));
                    break;
                }
                if (exeName.startsWith(QLatin1String("java"))) {
                    if (cmdline.contains("org.gradle.launcher.daemon"))
                        ids.insert(QStringLiteral("GradleDaemon"));
                    if (cmdline.contains("com.intellij"))
                        ids.insert(QStringLiteral("jetbrains-ide"));
                }
            }
            const QString bundle = enclosingBundleIdentifier(exe);
            if (!bundle.isEmpty())
                ids.insert(bundle);
            for (const Target &t : targets) {
                if (exe == t.file || (!t.folder.isEmpty() && isSameOrInside(exe, t.folder)))
                    ids.insert(t.id);
            }
        } else if (!argv.isEmpty() && !argv.first().isEmpty()) {
            ids.insert(lastComponent(pathFromBytes(argv.first())));
        }
        const QString flatpak = flatpakIDFromCgroup(readProcFile(base + "/cgroup"));
        if (!flatpak.isEmpty())
            ids.insert(flatpak);
        const QByteArray environment = readProcFile(base + "/environ", 256 * 1024);
        for (const QByteArray &var : environment.split('\0')) {
            if (var.startsWith("APPIMAGE=")) {
                const QString image = pathFromBytes(var.mid(9));
                QString stem = lastComponent(image);
                ids.insert(stem);
                if (stem.endsWith(QLatin1String(".AppImage"), Qt::CaseInsensitive))
                    ids.insert(stem.chopped(9));
                for (const Target &t : targets) {
                    if (image == t.file)
                        ids.insert(t.id);
                }
            } else if (var.startsWith("FLATPAK_ID=")) {
                ids.insert(QString::fromUtf8(var.mid(11)));
            }
        }
    }
    ::closedir(dir);
    ids.remove(QString());
    return ids;
}

} // namespace Morvane
