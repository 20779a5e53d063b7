#include "core/scan/DesktopFiles.h"

#include "core/Paths.h"
#include "core/Posix.h"
#include "core/SmallFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Morvane {

namespace {

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
    const FolderNames listing = folderNames(pathToBytes(folder));
    if (listing.error != 0 && listing.names.isEmpty()) {
        if (readable && depth == 0 && listing.error != ENOENT)
            *readable = false;
        return;
    }
    for (const QByteArray &bytes : listing.names) {
        const QString name = pathFromBytes(bytes);
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

std::optional<DesktopEntry> parseDesktopEntry(const QByteArray &contents)
{
    DesktopEntry entry;
    bool inEntry = false;
    bool sawEntry = false;
    for (const QByteArray &rawLine : contents.split('\n')) {
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
            entry.name = value;
        else if (key == QLatin1String("Exec"))
            entry.exec = value;
        else if (key == QLatin1String("Icon"))
            entry.icon = value;
        else if (key == QLatin1String("Hidden") || key == QLatin1String("NoDisplay"))
            entry.hidden = entry.hidden || value == QLatin1String("true");
        else if (key == QLatin1String("X-Flatpak"))
            entry.flatpakID = value;
    }
    if (!sawEntry)
        return std::nullopt;
    return entry;
}

std::optional<DesktopEntry> readDesktopEntry(const QString &path)
{
    const auto data = readSmallRegularFile(path, desktopFileLimit, FinalLink::follow); // launchers may be links
    return data ? parseDesktopEntry(*data) : std::nullopt;
}

std::optional<DesktopLauncher> readDesktopLauncher(const QString &path, const QString &id, const QStringList &pathDirs)
{
    const auto entry = readDesktopEntry(path);
    if (!entry)
        return std::nullopt;
    DesktopLauncher launcher;
    launcher.id = id;
    launcher.path = path;
    launcher.name = entry->name;
    launcher.exec = entry->exec;
    launcher.icon = entry->icon;
    launcher.hidden = entry->hidden;
    launcher.flatpakID = entry->flatpakID;
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
