#include "core/scan/TrashFolders.h"

#include "core/Paths.h"
#include "core/Posix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>

namespace Morvane {

namespace {

bool isTopTrashName(const char *name)
{
    if (std::strcmp(name, ".Trash") == 0 || std::strcmp(name, ".Trashes") == 0)
        return true;
    if (std::strncmp(name, ".Trash-", 7) != 0 || name[7] == 0)
        return false;
    for (const char *c = name + 7; *c; ++c) {
        if (*c < '0' || *c > '9')
            return false;
    }
    return true;
}

void addFolder(TrashFolders &out, const QByteArray &path)
{
    struct stat st { };
    // A link is not a Trash folder of ours; the walker never follows it anyway.
    if (::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        out.folders.push_back({ st.st_dev, st.st_ino });
}

bool contains(const TrashFolders &trash, const struct stat &st)
{
    for (const FolderIdentity &f : trash.folders) {
        if (f.device == st.st_dev && f.inode == st.st_ino)
            return true;
    }
    return false;
}

} // namespace

TrashFolders findTrashFolders(const QString &home, const QString &root)
{
    TrashFolders out;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (dataHome.startsWith('/'))
        addFolder(out, dataHome + "/Trash");
    if (!home.isEmpty()) {
        addFolder(out, pathToBytes(joinPath(home, QStringLiteral(".local/share/Trash"))));
#ifdef Q_OS_MACOS
        addFolder(out, pathToBytes(joinPath(home, QStringLiteral(".Trash"))));
#endif
    }

    // The top folder of the root's file system: climb the real path while the device
    // stays the same.
    char resolved[PATH_MAX];
    if (::realpath(pathToBytes(root).constData(), resolved) == nullptr)
        return out;
    QByteArray top(resolved);
    struct stat st { };
    if (::lstat(top.constData(), &st) != 0)
        return out;
    const dev_t device = st.st_dev;
    QList<QByteArray> chain { top }; // the root and every folder above it
    while (top != "/") {
        const qsizetype slash = top.lastIndexOf('/');
        const QByteArray parent = slash <= 0 ? QByteArray("/") : top.left(slash);
        struct stat up { };
        if (::lstat(parent.constData(), &up) != 0 || up.st_dev != device)
            break;
        top = parent;
        chain.append(parent);
    }
    for (const QByteArray &name : folderNames(top).names) {
        if (isTopTrashName(name.constData()))
            addFolder(out, (top == "/" ? QByteArray() : top) + '/' + name);
    }
    for (const QByteArray &folder : chain) {
        struct stat here { };
        if (::lstat(folder.constData(), &here) == 0 && contains(out, here)) {
            out.enclosing = pathFromBytes(folder);
            break;
        }
    }
    return out;
}

} // namespace Morvane
