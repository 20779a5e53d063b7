#include "core/trash/FreedesktopTrash.h"
#include "core/Vocabulary.h"

#include "core/Errors.h"
#include "core/Identity.h"
#include "core/Paths.h"
#include "core/Platform.h"
#include "core/Posix.h"
#include "core/trash/TrashInfo.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace Morvane {

namespace {

// A .trashinfo name must fit NAME_MAX together with its suffix.
constexpr qsizetype kNameMax = 255;
const QByteArray kInfoSuffix = QByteArrayLiteral(".trashinfo");
constexpr int kMaxNameAttempts = 100000;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK;

QByteArray join(const QByteArray &folder, QByteArrayView name)
{
    QByteArray result = folder;
    if (!result.endsWith('/'))
        result += '/';
    result += name;
    return result;
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash <= 0)
        return QByteArrayLiteral("/");
    return path.left(slash);
}

QByteArray baseName(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QString errnoText(int code)
{
    switch (code) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘空间已满");
    case EROFS:
        return QStringLiteral("只读文件系统");
    case ENOENT:
        return QStringLiteral("不存在");
    case ENOTDIR:
        return QStringLiteral("路径中有一项不是文件夹");
    case EXDEV:
        return QStringLiteral("位于另一个文件系统");
    case EBUSY:
        return QStringLiteral("正在使用中");
    case ENAMETOOLONG:
        return QStringLiteral("名称过长");
    case ELOOP:
        return QStringLiteral("符号链接层数过多");
    default:
        return systemErrorText(code); // every other number, still in Chinese
    }
}

// Cuts at most `limit` bytes without splitting a UTF-8 sequence.
QByteArray cutName(const QByteArray &name, qsizetype limit)
{
    if (name.size() <= limit)
        return name;
    qsizetype end = limit;
    while (end > 0 && (static_cast<unsigned char>(name.at(end)) & 0xC0) == 0x80)
        --end;
    return name.left(end > 0 ? end : limit);
}

// "name", then "name_2.ext", "name_3.ext", …; always short enough for the info name.
QByteArray candidateName(const QByteArray &name, int attempt)
{
    const qsizetype limit = kNameMax - kInfoSuffix.size();
    if (attempt <= 1)
        return cutName(name, limit);
    QByteArray stem = name;
    QByteArray extension;
    const qsizetype dot = name.lastIndexOf('.');
    if (dot > 0 && name.size() - dot <= 16) {
        stem = name.left(dot);
        extension = name.mid(dot);
    }
    const QByteArray suffix = '_' + QByteArray::number(attempt) + extension;
    return cutName(stem, limit - suffix.size()) + suffix;
}

// Every refusal of a move reads the same way, whichever step refused it.
TrashOutcome fail(const QString &text, int code)
{
    TrashOutcome outcome;
    outcome.error = trashWorded(QStringLiteral("无法移到废纸篓：")) + text + u'。';
    outcome.errorCode = code;
    return outcome;
}

} // namespace

struct FreedesktopTrash::Failure {
    QString text;
    int code = 0;
};

struct FreedesktopTrash::Folders {
    UniqueFd root;
    UniqueFd files;
    UniqueFd info;
    QByteArray path; // the trash folder as named, for the outcome's paths and texts
    dev_t device = 0;
};

FreedesktopTrash::FreedesktopTrash(const OsCalls &os, QString homeTrash, QString home)
    : m_os(os)
    , m_homeTrash(std::move(homeTrash))
    , m_home(std::move(home))
{
}

QString FreedesktopTrash::defaultHomeTrash()
{
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (dataHome.startsWith('/'))
        return joinPath(pathFromBytes(dataHome), QStringLiteral("Trash"));
    QByteArray home = qgetenv("HOME");
    if (!home.startsWith('/'))
        home = QByteArrayLiteral("/");
    return joinPath(pathFromBytes(home), QStringLiteral(".local/share/Trash"));
}

QString FreedesktopTrash::homeTrash() const
{
    return m_homeTrash.isEmpty() ? defaultHomeTrash() : m_homeTrash;
}

QByteArray FreedesktopTrash::encodePath(QByteArrayView bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size() * 3);
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-'
            || u == '_' || u == '.' || u == '~' || u == '/';
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 0xF];
        }
    }
    return out;
}

QByteArray FreedesktopTrash::infoContents(QByteArrayView originalPath, const QDateTime &deletedAt)
{
    QByteArray text = QByteArrayLiteral("[Trash Info]\nPath=");
    text += encodePath(originalPath);
    text += "\nDeletionDate=";
    text += deletedAt.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
    text += '\n';
    return text;
}

// The folders above the home trash, created when missing. Links among them are
// followed: a user may keep their data folder elsewhere through a link.
int FreedesktopTrash::openFolderChainCreating(const QByteArray &path, Failure &failure, int depth) const
{
    const QString shown = displayPath(pathFromBytes(path));
    const int fd = m_os.openat(AT_FDCWD, path.constData(), kFolderFlags, 0);
    if (fd >= 0)
        return fd;
    if (errno != ENOENT || path == "/" || depth > 64) {
        const int code = errno;
        failure = { code == ENOTDIR ? QStringLiteral("“%1”不是文件夹").arg(shown)
                                    : QStringLiteral("无法访问“%1”（%2）").arg(shown, errnoText(code)),
            code };
        return -1;
    }
    const UniqueFd parent(openFolderChainCreating(parentOf(path), failure, depth + 1));
    if (!parent)
        return -1;
    const QByteArray name = baseName(path);
    if (m_os.mkdirat(parent.get(), name.constData(), 0700) != 0 && errno != EEXIST) {
        const int code = errno;
        failure = { QStringLiteral("无法建立“%1”（%2）").arg(shown, errnoText(code)), code };
        return -1;
    }
    const int created = m_os.openat(parent.get(), name.constData(), kFolderFlags, 0);
    if (created < 0) {
        const int code = errno;
        failure = { QStringLiteral("无法访问“%1”（%2）").arg(shown, errnoText(code)), code };
    }
    return created;
}

// A trash folder: a real folder, never a link, created (mode 0700) when `create` and
// missing.
int FreedesktopTrash::openRealFolder(
    int parent, const QByteArray &name, const QByteArray &shownPath, bool create, Failure &failure) const
{
    const QString shown = displayPath(pathFromBytes(shownPath));
    int fd = m_os.openat(parent, name.constData(), kFolderFlags | O_NOFOLLOW, 0);
    if (fd < 0 && errno == ENOENT && create) {
        if (m_os.mkdirat(parent, name.constData(), 0700) != 0 && errno != EEXIST) {
            const int code = errno;
            failure = { QStringLiteral("无法建立“%1”（%2）").arg(shown, errnoText(code)), code };
            return -1;
        }
        fd = m_os.openat(parent, name.constData(), kFolderFlags | O_NOFOLLOW, 0);
    }
    if (fd >= 0)
        return fd;
    const int code = errno;
    struct stat st { };
    if (m_os.fstatat(parent, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode)) {
        failure = { S_ISLNK(st.st_mode) ? QStringLiteral("“%1”是符号链接，不是真正的文件夹").arg(shown)
                                        : QStringLiteral("“%1”不是真正的文件夹").arg(shown),
            ENOTDIR };
        return -1;
    }
    failure = { QStringLiteral("无法访问“%1”（%2）").arg(shown, errnoText(code)), code };
    return -1;
}

// Opens a trash and its two folders, each checked once: real folders, one file
// system, and for the volume trashes the user's own.
bool FreedesktopTrash::openTrash(int parent, const QByteArray &name, const QByteArray &path, bool checkOwner,
    Folders &folders, Failure &failure) const
{
    folders = Folders {};
    folders.path = path;
    folders.root.reset(openRealFolder(parent, name, path, true, failure));
    if (!folders.root)
        return false;
    struct stat root { };
    if (m_os.fstat(folders.root.get(), &root) != 0) {
        const int code = errno;
        failure = { QStringLiteral("无法访问“%1”（%2）").arg(displayPath(pathFromBytes(path)), errnoText(code)), code };
        return false;
    }
    if (checkOwner && root.st_uid != m_os.userID()) {
        failure = { QStringLiteral("“%1”不属于当前用户").arg(displayPath(pathFromBytes(path))), EPERM };
        return false;
    }
    folders.device = root.st_dev;
    auto openInner = [&](UniqueFd &fd, const QByteArray &folderName) {
        const QByteArray inner = join(path, folderName);
        fd.reset(openRealFolder(folders.root.get(), folderName, inner, true, failure));
        if (!fd)
            return false;
        struct stat st { };
        if (m_os.fstat(fd.get(), &st) != 0 || st.st_dev != root.st_dev) {
            failure = {
                trashWorded(QStringLiteral("“%1”与废纸篓不在同一个文件系统")).arg(displayPath(pathFromBytes(inner))),
                EXDEV
            };
            return false;
        }
        return true;
    };
    return openInner(folders.files, QByteArrayLiteral("files")) && openInner(folders.info, QByteArrayLiteral("info"));
}

TrashOutcome FreedesktopTrash::moveToTrash(const QString &path) const
{
    if (!path.startsWith(u'/'))
        return fail(QStringLiteral("路径不是绝对路径"), EINVAL);
    const QByteArray normal = pathToBytes(lexicallyNormal(path));
    if (normal == "/")
        return fail(QStringLiteral("不能移动根目录"), EINVAL);
    const UniqueFd parent(m_os.openat(AT_FDCWD, parentOf(normal).constData(), kFolderFlags, 0));
    TrashItem item { parent.get(), baseName(normal), normal, {} };
    if (!parent || m_os.fstatat(parent.get(), item.name.constData(), &item.st, AT_SYMLINK_NOFOLLOW) != 0) {
        const int code = errno;
        return fail(code == ENOENT || code == ENOTDIR ? QStringLiteral("项目已不存在") : errnoText(code), code);
    }
    return moveToTrash(item);
}

TrashOutcome FreedesktopTrash::moveToTrash(const TrashItem &item) const
{
    if (item.folder < 0 || item.name.isEmpty() || item.name.contains('/') || item.name == "." || item.name == "..")
        return fail(QStringLiteral("项目名称无效"), EINVAL);
    const bool isFolder = S_ISDIR(item.st.st_mode);

    // The home trash takes everything on its own file system.
    const QByteArray homeTrashPath = pathToBytes(lexicallyNormal(homeTrash()));
    Folders home;
    Failure homeFailure;
    bool homeReady = false;
    if (homeTrashPath == "/") {
        homeFailure = { trashWorded(QStringLiteral("废纸篓的位置无效")), EINVAL };
    } else {
        const UniqueFd data(openFolderChainCreating(parentOf(homeTrashPath), homeFailure));
        homeReady = data && openTrash(data.get(), baseName(homeTrashPath), homeTrashPath, false, home, homeFailure);
    }
    if (homeReady && home.device == item.st.st_dev)
        // Path= keeps the path as found, byte for byte, so a restore puts it back there.
        return place(home, item, item.path, isFolder);

    // An item on the home folder's own file system has nowhere else to go.
    const QByteArray homeFolder = pathToBytes(m_home.isEmpty() ? userHomeDirectory() : m_home);
    struct stat homeStat { };
    if (m_os.fstatat(AT_FDCWD, homeFolder.constData(), &homeStat, 0) == 0 && homeStat.st_dev == item.st.st_dev) {
        if (!homeReady)
            return fail(trashWorded(QStringLiteral("废纸篓不可用：")) + homeFailure.text, homeFailure.code);
        return fail(trashWorded(QStringLiteral("废纸篓“%1”与它不在同一个文件系统，为免跨磁盘复制，保留原处"))
                        .arg(displayPath(pathFromBytes(homeTrashPath))),
            EXDEV);
    }
    return moveToVolumeTrash(item);
}

// Another mounted file system: only that volume's own trash will do; never copy across.
TrashOutcome FreedesktopTrash::moveToVolumeTrash(const TrashItem &item) const
{
    struct stat parentStat { };
    if (m_os.fstat(item.folder, &parentStat) != 0) {
        const int code = errno;
        return fail(errnoText(code), code);
    }
    if (parentStat.st_dev != item.st.st_dev)
        return fail(QStringLiteral("它是一个挂载点"), EBUSY);

    // The top directory: climb by handle while the device stays the item's.
    UniqueFd top(m_os.openat(item.folder, ".", kFolderFlags, 0));
    if (!top) {
        const int code = errno;
        return fail(errnoText(code), code);
    }
    struct stat topStat = parentStat;
    qsizetype levels = 0;
    for (; levels < 4096; ++levels) {
        UniqueFd up(m_os.openat(top.get(), "..", kFolderFlags, 0));
        struct stat upStat { };
        if (!up || m_os.fstat(up.get(), &upStat) != 0 || upStat.st_dev != item.st.st_dev
            || (upStat.st_ino == topStat.st_ino && upStat.st_dev == topStat.st_dev))
            break;
        top = std::move(up);
        topStat = upStat;
    }
    // Path= is relative to the top directory; the names come from where the item's
    // folder really is now.
    const std::optional<QByteArray> realFolder = folderPathOf(item.folder, parentOf(item.path));
    const QList<QByteArray> parts = realFolder ? realFolder->split('/') : QList<QByteArray>();
    QList<QByteArray> names;
    for (const QByteArray &part : parts) {
        if (!part.isEmpty())
            names.append(part);
    }
    if (!realFolder || levels > names.size())
        return fail(QStringLiteral("无法确定它在磁盘上的位置"), ENOENT);
    const QByteArray topPath = '/' + names.mid(0, names.size() - levels).join('/');
    QList<QByteArray> below = names.mid(names.size() - levels);
    below.append(item.name);
    const QByteArray relative = below.join('/');

    const QByteArray uid = QByteArray::number(m_os.userID());
    Failure failure;
    Folders trash;
    const UniqueFd shared(m_os.openat(top.get(), ".Trash", kFolderFlags | O_NOFOLLOW, 0));
    struct stat sharedStat { };
    if (shared && m_os.fstat(shared.get(), &sharedStat) == 0 && (sharedStat.st_mode & S_ISVTX) != 0
        && sharedStat.st_dev == item.st.st_dev
        && openTrash(shared.get(), uid, join(join(topPath, ".Trash"), uid), true, trash, failure)
        && trash.device == item.st.st_dev)
        return place(trash, item, relative, S_ISDIR(item.st.st_mode));
    if (openTrash(top.get(), ".Trash-" + uid, join(topPath, ".Trash-" + uid), true, trash, failure)) {
        if (trash.device == item.st.st_dev)
            return place(trash, item, relative, S_ISDIR(item.st.st_mode));
        failure = { QStringLiteral("“%1”与它不在同一个文件系统").arg(displayPath(pathFromBytes(trash.path))), EXDEV };
    }
    return fail(
        trashWorded(QStringLiteral("它位于另一个磁盘“%1”，该磁盘上没有可用的废纸篓（%2），为免跨磁盘复制，保留原处"))
            .arg(displayPath(pathFromBytes(topPath)), failure.text),
        failure.code);
}

TrashOutcome FreedesktopTrash::place(
    const Folders &trash, const TrashItem &item, const QByteArray &pathField, bool isFolder) const
{
    TrashOutcome outcome;
    const QByteArray info = infoContents(pathField, m_os.now());
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const QByteArray candidate = candidateName(item.name, attempt);
        const QByteArray infoName = candidate + kInfoSuffix;
        UniqueFd file(
            m_os.openat(trash.info.get(), infoName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600));
        if (!file) {
            if (errno == EEXIST)
                continue;
            const int code = errno;
            return fail(trashWorded(QStringLiteral("无法在废纸篓中写入信息文件（%1）")).arg(errnoText(code)), code);
        }
        qsizetype written = 0;
        int writeError = 0;
        while (written < info.size()) {
            const ssize_t n = m_os.write(file.get(), info.constData() + written, size_t(info.size() - written));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                writeError = errno;
                break;
            }
            if (n == 0) {
                writeError = EIO;
                break;
            }
            written += n;
        }
        // Closing a written file can be the first sign of a full disk.
        if (m_os.close(file.release()) != 0 && writeError == 0)
            writeError = errno;
        if (writeError != 0) {
            m_os.unlinkOwnFileAt(trash.info.get(), infoName.constData());
            return fail(
                trashWorded(QStringLiteral("无法在废纸篓中写入信息文件（%1）")).arg(errnoText(writeError)), writeError);
        }

        if (m_os.renameNoReplaceAt(item.folder, item.name.constData(), trash.files.get(), candidate.constData()) != 0) {
            const int code = errno;
            m_os.unlinkOwnFileAt(trash.info.get(), infoName.constData());
            if (code == EEXIST) // a leftover in files/ without its info: try the next name
                continue;
            if (code == EXDEV)
                return fail(
                    trashWorded(QStringLiteral("它与废纸篓不在同一个文件系统，为免复制后删除，保留原处")), code);
            if (code == ENOENT)
                return fail(QStringLiteral("项目已不存在"), code);
            return fail(errnoText(code), code);
        }
        const QByteArray trashed = join(join(trash.path, "files"), candidate);
        const QByteArray infoPath = join(join(trash.path, "info"), infoName);
        struct stat moved { };
        if (m_os.fstatat(trash.files.get(), candidate.constData(), &moved, AT_SYMLINK_NOFOLLOW) != 0
            || moved.st_dev != item.st.st_dev || moved.st_ino != item.st.st_ino) {
            // Another object took the item's name in the instant before the rename.
            if (m_os.renameNoReplaceAt(trash.files.get(), candidate.constData(), item.folder, item.name.constData())
                == 0) {
                m_os.unlinkOwnFileAt(trash.info.get(), infoName.constData());
                return fail(QStringLiteral("它在移动前的一刻被另一个项目替换，那个项目已放回原处"), ESTALE);
            }
            outcome.moved = true;
            outcome.trashedPath = pathFromBytes(trashed);
            outcome.infoPath = pathFromBytes(infoPath);
            outcome.warning = trashWorded(QStringLiteral(
                "在移动前的一刻，它的位置被另一个项目占据，移到废纸篓的是那个项目，未能放回原处，请在废纸篓中核对"));
            return outcome;
        }
        outcome.moved = true;
        outcome.trashedPath = pathFromBytes(trashed);
        outcome.infoPath = pathFromBytes(infoPath);
        outcome.trashedIdentity = TrashedIdentity { fingerprintFromStat(moved), S_ISDIR(moved.st_mode) };
        if (isFolder)
            outcome.warning = updateDirectorySizes(trash, candidate);
        return outcome;
    }
    return fail(trashWorded(QStringLiteral("废纸篓中没有可用的名称")), EEXIST);
}

// Keeps the trash's folder-size cache right when the trash has one.
QString FreedesktopTrash::updateDirectorySizes(const Folders &trash, const QByteArray &name) const
{
    struct stat sizesStat { };
    if (m_os.fstatat(trash.root.get(), "directorysizes", &sizesStat, AT_SYMLINK_NOFOLLOW) != 0
        || !S_ISREG(sizesStat.st_mode))
        return {};
    const QString problem = trashWorded(QStringLiteral("废纸篓的文件夹大小记录未能更新"));
    std::int64_t bytes = 0;
    if (!fingerprintAt(trash.files.get(), name, true, nullptr, &bytes))
        return problem;
    struct stat infoStat { };
    if (m_os.fstatat(trash.info.get(), (name + kInfoSuffix).constData(), &infoStat, AT_SYMLINK_NOFOLLOW) != 0)
        return problem;
    const QByteArray line = QByteArray::number(qint64(bytes)) + ' ' + QByteArray::number(qint64(infoStat.st_mtime))
        + ' ' + encodePath(name) + '\n';
    const bool written = rewriteDirectorySizes(m_os, trash.root.get(), [&line](const QByteArray &current) {
        QByteArray contents = current;
        if (!contents.isEmpty() && !contents.endsWith('\n'))
            contents += '\n';
        return contents + line;
    });
    return written ? QString() : problem;
}

} // namespace Morvane
