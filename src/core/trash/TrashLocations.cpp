#include "core/trash/TrashLocations.h"

#include "core/Paths.h"
#include "core/SmallFile.h"

#include <QSet>

#include <climits>
#include <cstdlib>

#include <sys/stat.h>

#if defined(Q_OS_MACOS)
#include <sys/mount.h>
#include <sys/param.h>
#include <sys/ucred.h>
#endif

namespace Morvane {

namespace {

// Mount table fields escape blanks and backslashes as octal ("\040").
QByteArray unescapeMountField(const QByteArray &field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int value = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok && value >= 0 && value < 256) {
                out += char(value);
                i += 3;
                continue;
            }
        }
        out += field.at(i);
    }
    return out;
}

bool isPseudoFileSystem(const QByteArray &type)
{
    static const QSet<QByteArray> pseudo = { "proc", "sysfs", "devtmpfs", "devpts", "cgroup", "cgroup2", "securityfs",
        "pstore", "debugfs", "tracefs", "configfs", "fusectl", "mqueue", "hugetlbfs", "bpf", "binfmt_misc", "autofs",
        "efivarfs", "nsfs", "rpc_pipefs", "selinuxfs", "ramfs" };
    return pseudo.contains(type);
}

bool realFolderOwnedBy(const QByteArray &path, uid_t uid, struct stat *out = nullptr)
{
    struct stat st { };
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid)
        return false;
    if (out)
        *out = st;
    return true;
}

QByteArray joinBytes(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

} // namespace

QStringList mountedFolders()
{
    QStringList folders;
#if defined(Q_OS_MACOS)
    struct statfs *mounts = nullptr;
    const int count = ::getmntinfo(&mounts, MNT_NOWAIT);
    for (int i = 0; i < count; ++i) {
        const QByteArray type(mounts[i].f_fstypename);
        if (type == "devfs" || type == "autofs")
            continue;
        folders.append(pathFromBytes(QByteArray(mounts[i].f_mntonname)));
    }
#else
    // "ID PARENT MAJ:MIN ROOT MOUNTPOINT OPTIONS [TAGS…] - TYPE SOURCE SUPEROPTIONS"
    const BoundedRead table = readBounded("/proc/self/mountinfo", { 16 * 1024 * 1024, FinalLink::follow });
    if (!table.ok())
        return folders;
    for (const QByteArray &line : table.data.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf("-");
        if (fields.size() < 5 || dash < 5 || dash + 1 >= fields.size())
            continue;
        if (isPseudoFileSystem(fields.at(dash + 1)))
            continue;
        const QString folder = pathFromBytes(unescapeMountField(fields.at(4)));
        if (folder.startsWith(u'/') && !folders.contains(folder))
            folders.append(folder);
    }
#endif
    return folders;
}

QList<TrashLocation> volumeTrashesAt(const QString &top, uid_t uid)
{
    QList<TrashLocation> trashes;
    const QByteArray topBytes = pathToBytes(top);
    const QByteArray user = QByteArray::number(qulonglong(uid));
#if defined(Q_OS_MACOS)
    const QByteArray trash = joinBytes(joinBytes(topBytes, ".Trashes"), user);
    if (realFolderOwnedBy(trash, uid))
        trashes.append({ pathFromBytes(trash), top });
#else
    struct stat shared { };
    const QByteArray sharedPath = joinBytes(topBytes, ".Trash");
    if (::lstat(sharedPath.constData(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX) != 0) {
        const QByteArray trash = joinBytes(sharedPath, user);
        if (realFolderOwnedBy(trash, uid))
            trashes.append({ pathFromBytes(trash), top });
    }
    const QByteArray own = joinBytes(topBytes, ".Trash-" + user);
    if (realFolderOwnedBy(own, uid))
        trashes.append({ pathFromBytes(own), top });
#endif
    return trashes;
}

QList<TrashLocation> visibleTrashes(const QString &homeTrash, uid_t uid)
{
    QList<TrashLocation> trashes;
    QSet<QPair<quint64, quint64>> seen;
    auto add = [&](const TrashLocation &location) {
        struct stat st { };
        // The home trash may be reached through links in the folders above it.
        if (::stat(pathToBytes(location.path).constData(), &st) != 0 || !S_ISDIR(st.st_mode))
            return;
        if (!seen.contains({ quint64(st.st_dev), quint64(st.st_ino) })) {
            seen.insert({ quint64(st.st_dev), quint64(st.st_ino) });
            trashes.append(location);
        }
    };
    add({ homeTrash, {} });
    for (const QString &top : mountedFolders()) {
        for (const TrashLocation &location : volumeTrashesAt(top, uid))
            add(location);
    }
    return trashes;
}

QString topDirectoryOf(const QString &path)
{
    QByteArray at = pathToBytes(lexicallyNormal(path));
    char resolved[PATH_MAX];
    while (::realpath(at.constData(), resolved) == nullptr) {
        if (at == "/")
            return {};
        const qsizetype slash = at.lastIndexOf('/');
        at = slash <= 0 ? QByteArrayLiteral("/") : at.left(slash);
    }
    QByteArray top(resolved);
    struct stat st { };
    if (::lstat(top.constData(), &st) != 0)
        return {};
    const dev_t device = st.st_dev;
    while (top != "/") {
        const qsizetype slash = top.lastIndexOf('/');
        const QByteArray parent = slash <= 0 ? QByteArrayLiteral("/") : top.left(slash);
        struct stat up { };
        if (::lstat(parent.constData(), &up) != 0 || up.st_dev != device)
            break;
        top = parent;
    }
    return pathFromBytes(top);
}

} // namespace Morvane
