#include "app/StoreFiles.h"

#include "app/Format.h"

#include "core/Errors.h"
#include "core/Paths.h"
#include "core/Posix.h"
#include "core/RecordJson.h"
#include "core/SmallFile.h"

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Varnoll {

using namespace Morvane;

namespace {

// rename without replacing: renameat2 where the file system supports it, else a
// check just before (the store folder is private, so nobody races us there).
int renameWithoutReplacing(int folder, const char *from, const char *to)
{
#if defined(__linux__) && defined(RENAME_NOREPLACE)
    if (::renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return -1;
#endif
    struct stat st { };
    if (::fstatat(folder, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(folder, from, folder, to);
}

bool writeAll(int fd, const QByteArray &contents)
{
    qsizetype done = 0;
    while (done < contents.size()) {
        const ssize_t n = ::write(fd, contents.constData() + done, size_t(contents.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

QString defaultStoreFolder(const QString &home, const BaseDirectories &bases)
{
#ifdef Q_OS_MACOS
    Q_UNUSED(bases);
    return joinPath(home, QStringLiteral("Library/Application Support/VarnollMac清理"));
#else
    return joinPath(baseFolder(bases, BaseDirectory::data, home), QStringLiteral("VarnollMac清理"));
#endif
}

StoreFileRead readStoreFile(const QString &path, qint64 limit)
{
    StoreFileRead out;
    BoundedRead read = readBounded(pathToBytes(path), { limit, FinalLink::refuse, false });
    switch (read.failure) {
    case ReadFailure::none:
        out.state = StoreFileRead::State::read;
        out.data = std::move(read.data);
        return out;
    case ReadFailure::missing:
        out.state = StoreFileRead::State::missing;
        return out;
    case ReadFailure::notRegular:
        out.reason = QStringLiteral("不是普通文件");
        break;
    case ReadFailure::tooLarge:
        out.reason = QStringLiteral("文件过大");
        break;
    case ReadFailure::unreadable:
        out.reason = systemErrorText(read.error);
        break;
    }
    out.state = StoreFileRead::State::unreadable;
    return out;
}

std::optional<QString> ensureFolder(const QString &path)
{
    const QString normal = lexicallyNormal(path);
    QString current;
    for (const QString &part : normal.split(u'/', Qt::SkipEmptyParts)) {
        current += u'/' + part;
        const QByteArray bytes = pathToBytes(current);
        if (::mkdir(bytes.constData(), 0700) == 0)
            continue;
        const int error = errno;
        struct stat st { };
        // An existing folder may be reached through a link (a managed ~/.local/share).
        if (error == EEXIST && ::stat(bytes.constData(), &st) == 0) {
            if (S_ISDIR(st.st_mode))
                continue;
            return systemErrorText(ENOTDIR);
        }
        return systemErrorText(error);
    }
    return std::nullopt;
}

std::optional<QString> writeFileAtomically(const QString &path, const QByteArray &contents)
{
    const QByteArray bytes = pathToBytes(path);
    const qsizetype slash = bytes.lastIndexOf('/');
    const QByteArray folderBytes = slash <= 0 ? QByteArray("/") : bytes.left(slash);
    const QByteArray name = bytes.mid(slash + 1);
    const UniqueFd folder(::open(folderBytes.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder)
        return systemErrorText(errno);
    // The final name must not be a folder: the rename would fail late and say less.
    struct stat existing { };
    if (::fstatat(folder.get(), name.constData(), &existing, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(existing.st_mode))
        return systemErrorText(EISDIR);

    QByteArray temporary;
    UniqueFd file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        temporary = '.' + name + ".tmp-" + QByteArray::number(qint64(::getpid())) + '-' + QByteArray::number(attempt);
        file.reset(::openat(folder.get(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!file && errno != EEXIST)
            return systemErrorText(errno);
    }
    if (!file)
        return systemErrorText(EEXIST);
    const auto discard = [&](int error) {
        file.reset();
        ::unlinkat(folder.get(), temporary.constData(), 0);
        return systemErrorText(error);
    };
    if (!writeAll(file.get(), contents) || ::fsync(file.get()) != 0)
        return discard(errno);
    if (::close(file.release()) != 0)
        return discard(errno);
    if (::renameat(folder.get(), temporary.constData(), folder.get(), name.constData()) != 0)
        return discard(errno);
    ::fsync(folder.get()); // the rename itself; a failure here loses nothing already written
    return std::nullopt;
}

SetAside setFileAside(const QString &path, const QDateTime &now)
{
    SetAside out;
    const QByteArray bytes = pathToBytes(path);
    const qsizetype slash = bytes.lastIndexOf('/');
    const QByteArray folderBytes = slash <= 0 ? QByteArray("/") : bytes.left(slash);
    const QByteArray name = bytes.mid(slash + 1);
    const UniqueFd folder(::open(folderBytes.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder) {
        if (errno != ENOENT)
            out.reason = systemErrorText(errno);
        return out;
    }
    const QByteArray stem = name + ".unreadable-" + now.toString(QStringLiteral("yyyyMMdd-HHmm")).toLatin1();
    for (int n = 1; n < 1000; ++n) {
        const QByteArray target = n == 1 ? stem : stem + '-' + QByteArray::number(n);
        if (renameWithoutReplacing(folder.get(), name.constData(), target.constData()) == 0) {
            out.name = pathFromBytes(target);
            return out;
        }
        if (errno == ENOENT)
            return out; // gone meanwhile: nothing left to keep
        if (errno != EEXIST) {
            out.reason = systemErrorText(errno);
            return out;
        }
    }
    out.reason = systemErrorText(EEXIST);
    return out;
}

LoadedHistory loadHistory(const QString &path, qsizetype keep)
{
    LoadedHistory out;
    const StoreFileRead read = readStoreFile(path, historyFileLimit);
    if (read.state == StoreFileRead::State::missing)
        return out;
    out.complete = false;
    if (read.state == StoreFileRead::State::unreadable)
        return out;
    auto decoded = decodeHistory(read.data, keep);
    if (!decoded)
        return out;
    out.complete = decoded->complete();
    out.records = std::move(decoded->records);
    return out;
}

StoreSaveOutcome saveStore(const StoreSnapshot &snapshot, const QString &home)
{
    static const QString failed = QStringLiteral("本地记录未能保存：");
    StoreSaveOutcome out;
    if (const auto error = ensureFolder(snapshot.folder)) {
        out.error = failed + *error;
        return out;
    }
    const auto setAside = [&](const QString &name) -> bool {
        const SetAside moved = setFileAside(joinPath(snapshot.folder, name), snapshot.now);
        if (!moved.reason.isEmpty()) {
            out.error
                = failed + QStringLiteral("无法读取的 %1 未能改名保留（%2），没有覆盖它。").arg(name, moved.reason);
            return false;
        }
        if (!moved.name.isEmpty())
            out.notes.append(QStringLiteral("无法完整读取的 %1 已改名为 %2 保留。")
                                 .arg(name, abbreviateHome(joinPath(snapshot.folder, moved.name), home)));
        return true;
    };
    const QString preferencesName = QStringLiteral("preferences.json");
    if (snapshot.setAsidePreferences) {
        if (!setAside(preferencesName))
            return out;
        out.preferencesSetAside = true;
    }
    if (const auto error
        = writeFileAtomically(joinPath(snapshot.folder, preferencesName), snapshot.preferences.toJson())) {
        out.error = failed + *error;
        return out;
    }
    const QString historyName = QStringLiteral("history.json");
    if (snapshot.setAsideHistory) {
        if (!setAside(historyName))
            return out;
        out.historySetAside = true;
    }
    if (const auto error = writeFileAtomically(joinPath(snapshot.folder, historyName), encodeHistory(snapshot.records)))
        out.error = failed + *error;
    return out;
}

} // namespace Varnoll
