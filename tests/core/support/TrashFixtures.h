#pragma once

// Helpers for the clean-up and Trash tests: lossless file creation, FileEntry records
// made the way a scanner makes them, and a small conformant .trashinfo reader.

#include "core/Identity.h"
#include "core/Paths.h"
#include "core/Records.h"
#include "core/trash/OsCalls.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QString>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <sys/mount.h>
#endif

namespace TrashFixtures {

// A small tmpfs at `folder`, when this machine lets us mount one (root, no sandbox).
inline bool mountTmpfs(const QString &folder, const char *options = "size=1m,mode=0755")
{
#ifdef __linux__
    return ::mount("tmpfs", Morvane::pathToBytes(folder).constData(), "tmpfs", 0, options) == 0;
#else
    Q_UNUSED(folder);
    Q_UNUSED(options);
    return false;
#endif
}

inline void unmount(const QString &folder)
{
#ifdef __linux__
    ::umount2(Morvane::pathToBytes(folder).constData(), MNT_DETACH);
#else
    Q_UNUSED(folder);
#endif
}

inline bool writeFile(const QString &path, const QByteArray &content)
{
    const int fd = ::open(Morvane::pathToBytes(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, content.constData(), size_t(content.size())) == content.size();
    return ::close(fd) == 0 && ok;
}

inline QByteArray readFile(const QString &path)
{
    QByteArray data;
    const int fd = ::open(Morvane::pathToBytes(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return data;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
        data.append(buffer, n);
    ::close(fd);
    return data;
}

inline bool makeFolder(const QString &path)
{
    return ::mkdir(Morvane::pathToBytes(path).constData(), 0755) == 0;
}

inline bool exists(const QString &path)
{
    struct stat st { };
    return ::lstat(Morvane::pathToBytes(path).constData(), &st) == 0;
}

inline bool isLink(const QString &path)
{
    struct stat st { };
    return ::lstat(Morvane::pathToBytes(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

/// Bumps the modification time without changing size or content.
inline void touchLater(const QString &path, int seconds = 5)
{
    struct stat st { };
    ::lstat(Morvane::pathToBytes(path).constData(), &st);
    struct timespec times[2];
#ifdef __APPLE__
    times[0] = st.st_atimespec;
    times[1] = st.st_mtimespec;
#else
    times[0] = st.st_atim;
    times[1] = st.st_mtim;
#endif
    times[1].tv_sec += seconds;
    ::utimensat(AT_FDCWD, Morvane::pathToBytes(path).constData(), times, AT_SYMLINK_NOFOLLOW);
}

/// Removes a test's own tree by raw bytes (QDir cannot remove names that are not
/// valid UTF-8, which the tests create on purpose).
inline void removeTestTree(const QString &path)
{
    ::nftw(
        Morvane::pathToBytes(path).constData(),
        [](const char *p, const struct stat *, int, struct FTW *) { return ::remove(p); }, 16, FTW_DEPTH | FTW_PHYS);
}

/// A FileEntry as a scanner records it: lstat identity, a tree digest for folders.
inline Morvane::FileEntry scannedEntry(
    const QString &path, const QString &scope, Morvane::FileCategory category = Morvane::FileCategory::largeFile)
{
    struct stat st { };
    ::lstat(Morvane::pathToBytes(path).constData(), &st);
    const bool folder = S_ISDIR(st.st_mode);
    Morvane::FileEntry entry;
    entry.id = QUuid::createUuid();
    entry.path = path;
    entry.name = Morvane::lastComponent(path);
    std::int64_t bytes = 0;
    const auto fingerprint = Morvane::fingerprintPath(path, folder, nullptr, &bytes);
    entry.bytes = bytes;
    entry.date = QDateTime::currentDateTimeUtc();
    entry.category = category;
    entry.kind = folder ? Morvane::EntryKind::folder(fingerprint) : Morvane::EntryKind::file(fingerprint);
    entry.scope = scope;
    return entry;
}

/// What a conformant reader finds in one .trashinfo.
struct TrashInfo {
    bool valid = false;
    QByteArray path; // decoded, exact bytes (relative for a volume trash)
    QDateTime deletionDate;
};

inline QByteArray percentDecode(const QByteArray &text, bool *ok)
{
    QByteArray out;
    *ok = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c != '%') {
            out += c;
            continue;
        }
        bool hexOk = false;
        const int value = i + 2 < text.size() ? text.mid(i + 1, 2).toInt(&hexOk, 16) : -1;
        if (!hexOk) {
            *ok = false;
            return {};
        }
        out += char(value);
        i += 2;
    }
    return out;
}

/// Parses a .trashinfo the way the freedesktop.org Trash specification reads it: the
/// first line is the group header, Path= is percent-encoded and holds no raw
/// control characters, DeletionDate= is YYYY-MM-DDThh:mm:ss.
inline TrashInfo readTrashInfo(const QString &infoPath)
{
    TrashInfo info;
    const QList<QByteArray> lines = readFile(infoPath).split('\n');
    if (lines.isEmpty() || lines.first() != "[Trash Info]")
        return info;
    bool havePath = false, haveDate = false;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (line.startsWith("Path=")) {
            const QByteArray raw = line.mid(5);
            for (const char c : raw) {
                if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
                    return info; // must be encoded
            }
            bool ok = false;
            info.path = percentDecode(raw, &ok);
            havePath = ok;
        } else if (line.startsWith("DeletionDate=")) {
            info.deletionDate
                = QDateTime::fromString(QString::fromLatin1(line.mid(13)), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
            haveDate = info.deletionDate.isValid();
        } else if (!line.isEmpty()) {
            return info;
        }
    }
    info.valid = havePath && haveDate;
    return info;
}

/// Puts a trashed item back where its .trashinfo says, as a restoring client does.
inline bool restoreFromTrash(const QString &trashedPath, const QString &infoPath, const QByteArray &topDirectory = {})
{
    const TrashInfo info = readTrashInfo(infoPath);
    if (!info.valid)
        return false;
    QByteArray target = info.path;
    if (!target.startsWith('/'))
        target = topDirectory + '/' + target;
    struct stat st { };
    if (::lstat(target.constData(), &st) == 0)
        return false;
    if (::rename(Morvane::pathToBytes(trashedPath).constData(), target.constData()) != 0)
        return false;
    return ::unlink(Morvane::pathToBytes(infoPath).constData()) == 0;
}

inline QStringList entriesOf(const QString &folder)
{
    QStringList names;
    if (DIR *dir = ::opendir(Morvane::pathToBytes(folder).constData())) {
        while (dirent *e = ::readdir(dir)) {
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names.append(Morvane::pathFromBytes(name));
        }
        ::closedir(dir);
    }
    names.sort();
    return names;
}

inline constexpr dev_t kFakeDevice = 0xFEED;

inline bool under(const QByteArray &path, const QByteArray &folder)
{
    return path == folder || path.startsWith(folder + '/');
}

/// Where an open descriptor's object lies now (Linux: /proc; empty when unknown).
inline QByteArray pathOfDescriptor(int fd)
{
    if (fd == AT_FDCWD)
        return Morvane::pathToBytes(QDir::currentPath());
    char buffer[4096];
    const QByteArray link = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(link.constData(), buffer, sizeof buffer);
    return n > 0 ? QByteArray(buffer, n) : QByteArray();
}

/// The path `name` names relative to the open folder `dirFd`.
inline QByteArray pathAt(int dirFd, const char *name)
{
    if (name[0] == '/')
        return QByteArray(name);
    const QByteArray folder = pathOfDescriptor(dirFd);
    return qstrcmp(name, ".") == 0 ? folder : folder + '/' + name;
}

/// The real calls, except that everything at or below `volume` (found by where a
/// handle really lies, links resolved) reports another device: a second file system
/// without needing a mount.
inline Morvane::OsCalls withVolume(const QByteArray &volume)
{
    Morvane::OsCalls os = Morvane::OsCalls::system();
    char *resolved = ::realpath(volume.constData(), nullptr);
    const QByteArray real = resolved ? QByteArray(resolved) : volume;
    std::free(resolved);
    os.fstatat = [real](int dirFd, const char *name, struct stat *st, int flags) {
        const int r = ::fstatat(dirFd, name, st, flags);
        if (r != 0)
            return r;
        QByteArray path = pathAt(dirFd, name);
        if ((flags & AT_SYMLINK_NOFOLLOW) == 0 || !S_ISLNK(st->st_mode)) {
            if (char *target = ::realpath(path.constData(), nullptr)) {
                path = QByteArray(target);
                std::free(target);
            }
        }
        if (under(path, real))
            st->st_dev = kFakeDevice;
        return r;
    };
    os.fstat = [real](int fd, struct stat *st) {
        const int r = ::fstat(fd, st);
        if (r == 0 && under(pathOfDescriptor(fd), real))
            st->st_dev = kFakeDevice;
        return r;
    };
    return os;
}

/// Points the home trash at a fresh folder for the life of the object.
class ScopedDataHome {
public:
    explicit ScopedDataHome(const QString &folder)
        : m_old(qgetenv("XDG_DATA_HOME"))
        , m_had(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    {
        qputenv("XDG_DATA_HOME", Morvane::pathToBytes(folder));
    }
    ~ScopedDataHome()
    {
        if (m_had)
            qputenv("XDG_DATA_HOME", m_old);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    ScopedDataHome(const ScopedDataHome &) = delete;
    ScopedDataHome &operator=(const ScopedDataHome &) = delete;

private:
    QByteArray m_old;
    bool m_had;
};

} // namespace TrashFixtures
