#include "core/trash/FreedesktopTrash.h"

#include "core/Identity.h"
#include "core/Paths.h"

#include <QRandomGenerator>

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
        return QString::fromLocal8Bit(std::strerror(code));
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

} // namespace

struct FreedesktopTrash::Failure {
    QString text;
    int code = 0;
};

FreedesktopTrash::FreedesktopTrash(const OsCalls &os, QString homeTrash)
    : m_os(os)
    , m_homeTrash(std::move(homeTrash))
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

// The home trash and the folders above it, following links (a user may keep their
// data folder elsewhere through a link).
bool FreedesktopTrash::ensureFolderChain(const QByteArray &path, Failure &failure, int depth) const
{
    struct stat st { };
    if (m_os.stat(path.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        failure = { QStringLiteral("“%1”不是文件夹").arg(displayPath(pathFromBytes(path))), ENOTDIR };
        return false;
    }
    if (errno != ENOENT || path == "/" || depth > 64) {
        const int code = errno;
        failure = { QStringLiteral("无法访问“%1”（%2）").arg(displayPath(pathFromBytes(path)), errnoText(code)), code };
        return false;
    }
    if (!ensureFolderChain(parentOf(path), failure, depth + 1))
        return false;
    if (m_os.mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        const int code = errno;
        failure = { QStringLiteral("无法建立“%1”（%2）").arg(displayPath(pathFromBytes(path)), errnoText(code)), code };
        return false;
    }
    return true;
}

// A trash folder that must be a real folder (never a link) and, for the volume
// trashes, the user's own.
bool FreedesktopTrash::ensurePrivateFolder(const QByteArray &path, bool checkOwner, Failure &failure) const
{
    const QString shown = displayPath(pathFromBytes(path));
    struct stat st { };
    if (m_os.lstat(path.constData(), &st) != 0) {
        if (errno != ENOENT) {
            const int code = errno;
            failure = { QStringLiteral("无法访问“%1”（%2）").arg(shown, errnoText(code)), code };
            return false;
        }
        if (m_os.mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
            const int code = errno;
            failure = { QStringLiteral("无法建立“%1”（%2）").arg(shown, errnoText(code)), code };
            return false;
        }
        if (m_os.lstat(path.constData(), &st) != 0) {
            const int code = errno;
            failure = { QStringLiteral("无法访问“%1”（%2）").arg(shown, errnoText(code)), code };
            return false;
        }
    }
    if (!S_ISDIR(st.st_mode)) {
        failure = { QStringLiteral("“%1”不是真正的文件夹").arg(shown), ENOTDIR };
        return false;
    }
    if (checkOwner && st.st_uid != m_os.userID()) {
        failure = { QStringLiteral("“%1”不属于当前用户").arg(shown), EPERM };
        return false;
    }
    return true;
}

bool FreedesktopTrash::prepareTrash(const QByteArray &root, bool checkOwner, Failure &failure) const
{
    return ensurePrivateFolder(root, checkOwner, failure) && ensurePrivateFolder(join(root, "files"), false, failure)
        && ensurePrivateFolder(join(root, "info"), false, failure);
}

// The mount point holding `realFolder`: the highest folder above it on `device`.
QByteArray FreedesktopTrash::topDirectory(const QByteArray &realFolder, dev_t device) const
{
    QByteArray current = realFolder;
    while (current != "/") {
        const QByteArray parent = parentOf(current);
        struct stat st { };
        if (m_os.lstat(parent.constData(), &st) != 0 || st.st_dev != device)
            return current;
        current = parent;
    }
    return current;
}

TrashOutcome FreedesktopTrash::moveToTrash(const QString &path) const
{
    TrashOutcome outcome;
    auto fail = [&outcome](const QString &text, int code) {
        outcome.error = QStringLiteral("无法移到废纸篓：") + text + u'。';
        outcome.errorCode = code;
        return outcome;
    };
    if (!path.startsWith(u'/'))
        return fail(QStringLiteral("路径不是绝对路径"), EINVAL);
    const QByteArray item = pathToBytes(lexicallyNormal(path));
    if (item == "/")
        return fail(QStringLiteral("不能移动根目录"), EINVAL);
    struct stat itemStat { };
    if (m_os.lstat(item.constData(), &itemStat) != 0) {
        const int code = errno;
        return fail(code == ENOENT ? QStringLiteral("项目已不存在") : errnoText(code), code);
    }
    const bool isFolder = S_ISDIR(itemStat.st_mode);

    // The home trash, created when missing. Its device decides whether the item can
    // go there; when it cannot be made, the nearest existing folder above it stands in.
    const QByteArray home = pathToBytes(lexicallyNormal(homeTrash()));
    Failure homeFailure;
    const bool homeReady = ensureFolderChain(home, homeFailure) && prepareTrash(home, false, homeFailure);
    dev_t homeDevice = 0;
    bool homeDeviceKnown = false;
    for (QByteArray probe = homeReady ? join(home, "files") : home;; probe = parentOf(probe)) {
        struct stat st { };
        if (m_os.stat(probe.constData(), &st) == 0) {
            homeDevice = st.st_dev;
            homeDeviceKnown = true;
            break;
        }
        if (probe == "/")
            break;
    }
    if (homeDeviceKnown && itemStat.st_dev == homeDevice) {
        if (!homeReady)
            return fail(QStringLiteral("废纸篓不可用：") + homeFailure.text, homeFailure.code);
        // Path= keeps the path as given, byte for byte, so a restore puts it back there.
        return place(home, item, item, isFolder);
    }

    // Another file system: only that volume's own trash will do; never copy across.
    const QByteArray parent = parentOf(item);
    struct stat parentStat { };
    if (m_os.lstat(parent.constData(), &parentStat) != 0) {
        const int code = errno;
        return fail(errnoText(code), code);
    }
    if (isFolder && parentStat.st_dev != itemStat.st_dev)
        return fail(QStringLiteral("它是一个挂载点"), EBUSY);
    const QByteArray realParent = m_os.realPath(parent.constData());
    if (realParent.isEmpty()) {
        const int code = errno;
        return fail(errnoText(code), code);
    }
    const QByteArray top = topDirectory(realParent, itemStat.st_dev);
    QByteArray relative = join(realParent, baseName(item));
    relative = relative.mid(top == "/" ? 1 : top.size() + 1);
    const QByteArray uid = QByteArray::number(m_os.userID());

    Failure volumeFailure;
    const QByteArray shared = join(top, ".Trash");
    struct stat sharedStat { };
    if (m_os.lstat(shared.constData(), &sharedStat) == 0 && S_ISDIR(sharedStat.st_mode)
        && (sharedStat.st_mode & S_ISVTX) != 0) {
        const QByteArray mine = join(shared, uid);
        if (prepareTrash(mine, true, volumeFailure))
            return place(mine, item, relative, isFolder);
    }
    const QByteArray own = join(top, ".Trash-" + uid);
    if (prepareTrash(own, true, volumeFailure))
        return place(own, item, relative, isFolder);
    return fail(QStringLiteral("它位于另一个磁盘“%1”，该磁盘上没有可用的废纸篓（%2），为免跨磁盘复制，保留原处")
                    .arg(displayPath(pathFromBytes(top)), volumeFailure.text),
        volumeFailure.code);
}

TrashOutcome FreedesktopTrash::place(
    const QByteArray &trash, const QByteArray &item, const QByteArray &pathField, bool isFolder) const
{
    TrashOutcome outcome;
    auto fail = [&outcome](const QString &text, int code) {
        outcome.error = QStringLiteral("无法移到废纸篓：") + text + u'。';
        outcome.errorCode = code;
        return outcome;
    };
    const QByteArray name = baseName(item);
    const QByteArray info = infoContents(pathField, m_os.now());
    for (int attempt = 1; attempt <= kMaxNameAttempts; ++attempt) {
        const QByteArray candidate = candidateName(name, attempt);
        const QByteArray infoPath = join(join(trash, "info"), candidate + kInfoSuffix);
        const int fd = m_os.open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            const int code = errno;
            return fail(QStringLiteral("无法在废纸篓中写入信息文件（%1）").arg(errnoText(code)), code);
        }
        OsFd file(m_os, fd);
        qsizetype written = 0;
        int writeError = 0;
        while (written < info.size()) {
            const ssize_t n = m_os.write(fd, info.constData() + written, size_t(info.size() - written));
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
        if (!file.close() && writeError == 0)
            writeError = errno;
        if (writeError != 0) {
            m_os.unlinkOwnFile(infoPath.constData());
            return fail(QStringLiteral("无法在废纸篓中写入信息文件（%1）").arg(errnoText(writeError)), writeError);
        }

        const QByteArray target = join(join(trash, "files"), candidate);
        if (m_os.renameNoReplace(item.constData(), target.constData()) != 0) {
            const int code = errno;
            m_os.unlinkOwnFile(infoPath.constData());
            if (code == EEXIST) // a leftover in files/ without its info: try the next name
                continue;
            if (code == EXDEV)
                return fail(QStringLiteral("它与废纸篓不在同一个文件系统，为免复制后删除，保留原处"), code);
            return fail(errnoText(code), code);
        }
        outcome.moved = true;
        outcome.trashedPath = pathFromBytes(target);
        outcome.infoPath = pathFromBytes(infoPath);
        if (isFolder)
            outcome.warning = updateDirectorySizes(trash, candidate);
        return outcome;
    }
    return fail(QStringLiteral("废纸篓中没有可用的名称"), EEXIST);
}

// Keeps the trash's folder-size cache right when the trash has one; written to a
// temporary file and renamed over, so a reader never sees half a file.
QString FreedesktopTrash::updateDirectorySizes(const QByteArray &trash, const QByteArray &name) const
{
    const QByteArray sizesPath = join(trash, "directorysizes");
    struct stat sizesStat { };
    if (m_os.lstat(sizesPath.constData(), &sizesStat) != 0 || !S_ISREG(sizesStat.st_mode))
        return {};
    const QString problem = QStringLiteral("废纸篓的文件夹大小记录未能更新");
    std::int64_t bytes = 0;
    const QByteArray moved = join(join(trash, "files"), name);
    if (!fingerprintPath(pathFromBytes(moved), true, nullptr, &bytes))
        return problem;
    struct stat infoStat { };
    if (m_os.lstat(join(join(trash, "info"), name + kInfoSuffix).constData(), &infoStat) != 0)
        return problem;

    QByteArray contents;
    {
        const int fd = m_os.open(sizesPath.constData(), O_RDONLY | O_NOFOLLOW, 0);
        if (fd < 0)
            return problem;
        OsFd file(m_os, fd);
        char buffer[65536];
        for (;;) {
            const ssize_t n = m_os.read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return problem;
            if (n == 0)
                break;
            contents.append(buffer, n);
        }
    }
    if (!contents.isEmpty() && !contents.endsWith('\n'))
        contents += '\n';
    contents += QByteArray::number(qint64(bytes)) + ' ' + QByteArray::number(qint64(infoStat.st_mtime)) + ' '
        + encodePath(name) + '\n';

    const QByteArray temporary
        = sizesPath + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 16) + ".tmp";
    const int fd = m_os.open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
    if (fd < 0)
        return problem;
    OsFd file(m_os, fd);
    qsizetype written = 0;
    while (written < contents.size()) {
        const ssize_t n = m_os.write(fd, contents.constData() + written, size_t(contents.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            (void)file.close();
            m_os.unlinkOwnFile(temporary.constData());
            return problem;
        }
        written += n;
    }
    if (!file.close() || m_os.renameReplace(temporary.constData(), sizesPath.constData()) != 0) {
        m_os.unlinkOwnFile(temporary.constData());
        return problem;
    }
    return {};
}

} // namespace Morvane
