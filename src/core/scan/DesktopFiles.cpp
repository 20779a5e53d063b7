#include "core/scan/DesktopFiles.h"

#include "core/Paths.h"
#include "core/SmallFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Morvane {

namespace {

std::optional<QByteArray> readSmallFile(const QString &path, qint64 limit)
{
    return readSmallRegularFile(path, limit, FinalLink::follow); // launchers may be links
}

// Splits an Exec line into words, honouring double quotes and backslash escapes.
QStringList execWords(const QString &exec)
{
    QStringList words;
    QString current;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (c == u'\\' && i + 1 < exec.size()) {
            current += exec.at(++i);
            any = true;
        } else if (c == u'"') {
            quoted = !quoted;
            any = true;
        } else if (c.isSpace() && !quoted) {
            if (any)
                words.append(current);
            current.clear();
            any = false;
        } else {
            current += c;
            any = true;
        }
    }
    if (any)
        words.append(current);
    return words;
}

bool isExecutableFile(const QString &path)
{
    struct stat st { };
    const QByteArray bytes = pathToBytes(path);
    return ::stat(bytes.constData(), &st) == 0 && S_ISREG(st.st_mode) && ::access(bytes.constData(), X_OK) == 0;
}

void collect(const QString &folder, const QString &prefix, const QStringList &pathDirs, QList<DesktopLauncher> &out,
    int depth, bool *readable)
{
    DIR *dir = ::opendir(pathToBytes(folder).constData());
    if (!dir) {
        if (readable && depth == 0 && errno != ENOENT)
            *readable = false;
        return;
    }
    while (const dirent *e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        const QString name = pathFromBytes(e->d_name);
        const QString path = joinPath(folder, name);
        struct stat st { };
        if (::lstat(pathToBytes(path).constData(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode) && depth < 4) {
            collect(path, prefix + name + u'-', pathDirs, out, depth + 1, readable);
        } else if ((S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) && name.endsWith(QLatin1String(".desktop"))) {
            const QString id = prefix + name.chopped(8);
            if (auto launcher = readDesktopLauncher(path, id, pathDirs))
                out.append(*launcher);
        }
    }
    ::closedir(dir);
}

} // namespace

QString execProgram(const QString &exec)
{
    QStringList words = execWords(exec);
    qsizetype i = 0;
    if (i < words.size() && (words[i] == QLatin1String("env") || words[i].endsWith(QLatin1String("/env")))) {
        ++i;
        while (i < words.size() && (words[i].contains(u'=') || words[i].startsWith(u'-')))
            ++i;
    }
    return i < words.size() ? words[i] : QString();
}

QStringList searchPath(const QString &home)
{
    QByteArray path = qgetenv("PATH");
    if (path.isEmpty())
        path = "/usr/local/bin:/usr/bin:/bin";
    QStringList dirs;
    for (const QByteArray &part : path.split(':')) {
        if (!part.isEmpty())
            dirs.append(pathFromBytes(part));
    }
    const QString localBin = joinPath(home, QStringLiteral(".local/bin"));
    if (!dirs.contains(localBin))
        dirs.append(localBin);
    return dirs;
}

std::optional<DesktopLauncher> readDesktopLauncher(const QString &path, const QString &id, const QStringList &pathDirs)
{
    const auto data = readSmallFile(path, 1024 * 1024);
    if (!data)
        return std::nullopt;
    DesktopLauncher launcher;
    launcher.id = id;
    launcher.path = path;
    bool inEntry = false;
    bool sawEntry = false;
    for (const QByteArray &rawLine : data->split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            sawEntry = sawEntry || inEntry;
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("Name"))
            launcher.name = value;
        else if (key == QLatin1String("Exec"))
            launcher.exec = value;
        else if (key == QLatin1String("Icon"))
            launcher.icon = value;
        else if (key == QLatin1String("Hidden") || key == QLatin1String("NoDisplay"))
            launcher.hidden = launcher.hidden || value == QLatin1String("true");
        else if (key == QLatin1String("X-Flatpak"))
            launcher.flatpakID = value;
    }
    if (!sawEntry)
        return std::nullopt;
    const QString program = execProgram(launcher.exec);
    if (program.startsWith(u'/')) {
        launcher.target = lexicallyNormal(program);
    } else if (!program.isEmpty()) {
        for (const QString &dir : pathDirs) {
            const QString candidate = joinPath(dir, program);
            if (isExecutableFile(candidate)) {
                launcher.target = candidate;
                break;
            }
        }
    }
    if (launcher.flatpakID.isEmpty() && lastComponent(program) == QLatin1String("flatpak")) {
        const QStringList words = execWords(launcher.exec);
        const qsizetype run = words.indexOf(QStringLiteral("run"));
        for (qsizetype i = run + 1; run >= 0 && i < words.size(); ++i) {
            if (!words[i].startsWith(u'-') && !words[i].startsWith(u'@')) {
                launcher.flatpakID = words[i];
                break;
            }
        }
    }
    return launcher;
}

QList<DesktopLauncher> readDesktopLaunchers(const QString &folder, const QStringList &pathDirs, bool *readable)
{
    QList<DesktopLauncher> out;
    if (readable)
        *readable = true;
    collect(folder, QString(), pathDirs, out, 0, readable);
    return out;
}

} // namespace Morvane
