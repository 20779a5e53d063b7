#include "core/UserFolders.h"

#include "core/Paths.h"
#include "core/SmallFile.h"

#include <QByteArray>

namespace Morvane {

namespace {

const QString &field(const BaseDirectories &bases, BaseDirectory which)
{
    switch (which) {
    case BaseDirectory::cache:
        return bases.cacheHome;
    case BaseDirectory::config:
        return bases.configHome;
    case BaseDirectory::data:
        return bases.dataHome;
    case BaseDirectory::state:
        break;
    }
    return bases.stateHome;
}

// A value as user-dirs.dirs writes it: in double quotes, with backslash escapes.
QByteArray unquoted(QByteArrayView value)
{
    value = value.trimmed();
    if (value.size() < 2 || !value.startsWith('"') || !value.endsWith('"'))
        return value.toByteArray();
    value = value.sliced(1, value.size() - 2);
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) == '\\' && i + 1 < value.size())
            ++i;
        out.append(value.at(i));
    }
    return out;
}

} // namespace

QString absolutePathVariable(const char *name)
{
    const QByteArray value = qgetenv(name);
    if (!value.startsWith('/'))
        return {};
    return lexicallyNormal(pathFromBytes(value));
}

BaseDirectories environmentBaseDirectories()
{
    return { absolutePathVariable("XDG_CACHE_HOME"), absolutePathVariable("XDG_CONFIG_HOME"),
        absolutePathVariable("XDG_DATA_HOME"), absolutePathVariable("XDG_STATE_HOME") };
}

QString defaultBaseLocation(BaseDirectory which)
{
    switch (which) {
    case BaseDirectory::cache:
        return QStringLiteral(".cache");
    case BaseDirectory::config:
        return QStringLiteral(".config");
    case BaseDirectory::data:
        return QStringLiteral(".local/share");
    case BaseDirectory::state:
        break;
    }
    return QStringLiteral(".local/state");
}

QString baseFolder(const BaseDirectories &bases, BaseDirectory which, const QString &home)
{
    const QString &value = field(bases, which);
    return value.startsWith(u'/') ? lexicallyNormal(value) : joinPath(home, defaultBaseLocation(which));
}

QStringList baseFolders(const BaseDirectories &bases, BaseDirectory which, const QString &home)
{
    const QString standard = joinPath(home, defaultBaseLocation(which));
    const QString chosen = baseFolder(bases, which, home);
    if (lexicallyNormal(chosen) == lexicallyNormal(standard))
        return { standard };
    return { chosen, standard };
}

std::optional<QString> userDirFromFile(QByteArrayView contents, QByteArrayView key, const QString &home)
{
    const QByteArray name = QByteArray("XDG_") + key.toByteArray() + "_DIR";
    std::optional<QString> found;
    for (const QByteArray &raw : contents.toByteArray().split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('#'))
            continue;
        const qsizetype equals = line.indexOf('=');
        if (equals <= 0 || line.left(equals).trimmed() != name)
            continue;
        const QByteArray value = unquoted(QByteArrayView(line).sliced(equals + 1));
        // The last line for a key wins, as a shell sourcing the file would have it.
        if (value.startsWith("$HOME")) {
            const QByteArray rest = value.mid(5);
            if (!rest.isEmpty() && !rest.startsWith('/')) {
                found.reset(); // "$HOMEX" names no folder of ours
                continue;
            }
            const QString folder = lexicallyNormal(home + pathFromBytes(rest));
            found = folder == lexicallyNormal(home) ? std::nullopt : std::optional<QString>(folder);
        } else if (value.startsWith('/')) {
            const QString folder = lexicallyNormal(pathFromBytes(value));
            found = folder == lexicallyNormal(home) ? std::nullopt : std::optional<QString>(folder);
        } else {
            found.reset();
        }
    }
    return found;
}

QString userDownloadFolder(const QString &home, const BaseDirectories &bases)
{
    const QString file = joinPath(baseFolder(bases, BaseDirectory::config, home), QStringLiteral("user-dirs.dirs"));
    if (const auto contents = readSmallRegularFile(file, 64 * 1024, FinalLink::follow)) {
        if (auto folder = userDirFromFile(*contents, "DOWNLOAD", home))
            return *folder;
    }
    return joinPath(home, QStringLiteral("Downloads"));
}

} // namespace Morvane
