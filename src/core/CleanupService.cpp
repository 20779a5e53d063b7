#include "core/CleanupService.h"

#include "core/Errors.h"
#include "core/Identity.h"
#include "core/PathSafety.h"
#include "core/Paths.h"
#include "core/Platform.h"
#include "core/trash/FreedesktopTrash.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace Morvane {

namespace {

const QString kMoved = QStringLiteral("已移到废纸篓。");
constexpr size_t kCompareChunk = 256 * 1024;

QString reasonText(int code)
{
    switch (code) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
    case EROFS:
        return QStringLiteral("只读文件系统");
    case ENOENT:
        return QStringLiteral("不存在");
    default:
        return QString::fromLocal8Bit(std::strerror(code));
    }
}

CleanupItemResult resultFor(const FileEntry &entry)
{
    CleanupItemResult item;
    item.entryID = entry.id;
    item.name = entry.name;
    item.path = entry.path;
    item.bytes = entry.bytes;
    item.sizeIsComplete = entry.sizeIsComplete;
    item.category = entry.category;
    return item;
}

// Reads until `size` bytes or the end; -1 on error.
ssize_t readFull(const OsCalls &os, int fd, char *buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = os.read(fd, buffer + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return ssize_t(done);
}

// True when both regular files hold exactly the same bytes right now.
bool sameBytes(const OsCalls &os, const QString &first, const QString &second)
{
    const QByteArray a = pathToBytes(first);
    const QByteArray b = pathToBytes(second);
    struct stat sa {
    }, sb {};
    if (os.lstat(a.constData(), &sa) != 0 || os.lstat(b.constData(), &sb) != 0)
        return false;
    if (!S_ISREG(sa.st_mode) || !S_ISREG(sb.st_mode) || sa.st_size != sb.st_size)
        return false;
    OsFd fa(os, os.open(a.constData(), O_RDONLY | O_NOFOLLOW, 0));
    OsFd fb(os, os.open(b.constData(), O_RDONLY | O_NOFOLLOW, 0));
    if (!fa.valid() || !fb.valid())
        return false;
    std::vector<char> ba(kCompareChunk), bb(kCompareChunk);
    for (;;) {
        const ssize_t na = readFull(os, fa.get(), ba.data(), ba.size());
        const ssize_t nb = readFull(os, fb.get(), bb.data(), bb.size());
        if (na < 0 || nb < 0 || na != nb)
            return false;
        if (na == 0)
            return true;
        if (std::memcmp(ba.data(), bb.data(), size_t(na)) != 0)
            return false;
    }
}

// True when `path` or one of the folders above it is in `paths`.
bool atOrBelowAny(const QString &path, const QSet<QString> &paths)
{
    QString at = path;
    for (;;) {
        if (paths.contains(at))
            return true;
        const QString up = parentPath(at);
        if (up == at)
            return false;
        at = up;
    }
}

QString workingFolder()
{
    QByteArray buffer(4096, '\0');
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1 << 20))
            return QStringLiteral("/");
        buffer.resize(buffer.size() * 2);
    }
    return pathFromBytes(QByteArray(buffer.constData()));
}

} // namespace

struct CleanupService::Context {
    const QSet<QUuid> &ids;
    const QSet<QString> &running;
    const QList<DuplicateGroup> &groups;
    const QList<FileEntry> &owners;
    const TrashMover &move;
    QSet<QString> selectedPaths;
    QString home;
    QStringList trashFolders;
};

const OsCalls &CleanupService::os() const
{
    return m_environment.os ? *m_environment.os : OsCalls::system();
}

QString CleanupService::home() const
{
    return m_environment.home.isEmpty() ? userHomeDirectory() : m_environment.home;
}

QStringList CleanupService::trashFolders() const
{
    if (!m_environment.trashFolders.isEmpty())
        return m_environment.trashFolders;
    return { FreedesktopTrash::defaultHomeTrash(), joinPath(home(), QStringLiteral(".Trash")) };
}

std::optional<QString> CleanupService::permissionRefusal(const QString &path, bool isFolder) const
{
    const OsCalls &calls = os();
    const QByteArray parent = pathToBytes(parentPath(path));
    if (calls.access(parent.constData(), W_OK | X_OK) != 0)
        return QStringLiteral("没有移动它的权限（所在文件夹：%1），未移动。").arg(reasonText(errno));
    // Moving a folder to another folder rewrites its "..", which needs write access.
    if (isFolder && calls.access(pathToBytes(path).constData(), W_OK) != 0)
        return QStringLiteral("没有移动这个文件夹的权限（%1），未移动。").arg(reasonText(errno));
    struct stat parentStat {
    }, itemStat {};
    if (calls.lstat(parent.constData(), &parentStat) == 0 && (parentStat.st_mode & S_ISVTX) != 0
        && calls.lstat(pathToBytes(path).constData(), &itemStat) == 0) {
        const uid_t uid = calls.userID();
        if (uid != 0 && itemStat.st_uid != uid && parentStat.st_uid != uid)
            return QStringLiteral("它位于受保护的共享文件夹中且不属于你，没有移动它的权限，未移动。");
    }
    return std::nullopt;
}

std::optional<QString> CleanupService::duplicateRefusal(const FileEntry &entry, const Context &context) const
{
    const DuplicateGroup *group = nullptr;
    for (const DuplicateGroup &candidate : context.groups) {
        for (const FileEntry &file : candidate.files) {
            if (file.id == entry.id || file.path == entry.path) {
                group = &candidate;
                break;
            }
        }
        if (group)
            break;
    }
    if (!group) {
        if (entry.category == FileCategory::duplicate)
            return QStringLiteral("找不到它所属的重复文件组，无法核对内容，未移动。");
        return std::nullopt;
    }
    QList<const FileEntry *> keepers;
    for (const FileEntry &file : group->files) {
        if (context.ids.contains(file.id) || file.path == entry.path)
            continue;
        if (!atOrBelowAny(file.path, context.selectedPaths))
            keepers.append(&file);
    }
    if (keepers.isEmpty())
        return QStringLiteral("这组重复文件的每一份都已选中；每组至少保留一份，未移动。");
    for (const FileEntry *keeper : keepers) {
        if (sameBytes(os(), entry.path, keeper->path))
            return std::nullopt;
    }
    return QStringLiteral("保留的副本“%1”已不存在或内容已不同，无法确认仍有一份相同的文件，未移动。")
        .arg(displayPath(keepers.first()->path));
}

void CleanupService::moveItem(CleanupItemResult &item, const TrashMover &move) const
{
    if (move) {
        try {
            item.trashPath = move(item.path);
            item.moved = true;
            item.message = kMoved;
        } catch (const CoreError &error) {
            item.message = error.description();
        } catch (const std::exception &error) {
            item.message = QStringLiteral("移到废纸篓时出错：%1").arg(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            item.message = QStringLiteral("移到废纸篓时出错，未移动。");
        }
        return;
    }
    TrashOutcome outcome;
    if (m_environment.trash)
        outcome = m_environment.trash(item.path);
    else if (m_environment.os)
        outcome = FreedesktopTrash(*m_environment.os).moveToTrash(item.path);
    else
        outcome = moveToPlatformTrash(item.path);
    item.moved = outcome.moved;
    if (outcome.moved) {
        item.trashPath = outcome.trashedPath;
        item.message = outcome.warning.isEmpty() ? kMoved : QStringLiteral("已移到废纸篓（%1）。").arg(outcome.warning);
    } else {
        item.message = outcome.error.isEmpty() ? QStringLiteral("无法移到废纸篓，未移动。") : outcome.error;
    }
}

CleanupItemResult CleanupService::cleanEntry(const FileEntry &entry, const Context &context) const
{
    CleanupItemResult item = resultFor(entry);
    auto refuse = [&item](const QString &message) {
        item.moved = false;
        item.message = message;
        return item;
    };
    const QString &path = entry.path;

    if (const auto refusal = PathSafety::removalRefusal(path, context.home, context.trashFolders))
        return refuse(*refusal);

    auto runs = [&context](const QString &id) {
        return context.running.contains(id) || browserIsRunning(id, context.running);
    };
    if (entry.bundleID && !entry.bundleID->isEmpty() && runs(*entry.bundleID))
        return refuse(QStringLiteral("所属应用（%1）正在运行，未移动。").arg(*entry.bundleID));
    if (entry.ownerID) {
        for (const FileEntry &owner : context.owners) {
            if (owner.id == *entry.ownerID && owner.bundleID && !owner.bundleID->isEmpty() && runs(*owner.bundleID))
                return refuse(QStringLiteral("所属应用“%1”正在运行，未移动。").arg(owner.name));
        }
    }

    QString scope = entry.scope;
    if (scope.isEmpty()) {
        if (!isSameOrInside(path, context.home))
            return refuse(QStringLiteral("扫描没有记录它所在的查找范围，无法核对，未移动。"));
        scope = context.home;
    }
    const PathSafety::RouteCheck route = PathSafety::checkRoute(path, scope, os());
    switch (route.route) {
    case PathSafety::Route::inside:
        break;
    case PathSafety::Route::outside:
    case PathSafety::Route::scopeItself:
        return refuse(QStringLiteral("不在扫描时的范围“%1”之内，未移动。").arg(displayPath(scope)));
    case PathSafety::Route::linkOnPath:
        return refuse(QStringLiteral("路径上的文件夹“%1”已变成符号链接，未移动。").arg(displayPath(route.at)));
    case PathSafety::Route::notFolderOnPath:
        return refuse(QStringLiteral("路径上的“%1”已不是文件夹，未移动。").arg(displayPath(route.at)));
    case PathSafety::Route::missing:
        return refuse(QStringLiteral("已不存在（路径上的文件夹“%1”已不在），未移动。").arg(displayPath(route.at)));
    case PathSafety::Route::unreadable:
        return refuse(QStringLiteral("无法检查路径上的文件夹“%1”（%2），未移动。")
                          .arg(displayPath(route.at), reasonText(route.code)));
    }

    struct stat st { };
    if (os().lstat(pathToBytes(path).constData(), &st) != 0) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR)
            return refuse(QStringLiteral("已不存在，可能已被移走或删除，未移动。"));
        if (code == EACCES || code == EPERM)
            return refuse(QStringLiteral("没有访问它的权限，未移动。"));
        return refuse(QStringLiteral("无法检查它（%1），未移动。").arg(reasonText(code)));
    }
    if (S_ISLNK(st.st_mode))
        return refuse(QStringLiteral("已变成符号链接，未移动。"));
    if (!entry.kind.fingerprint)
        return refuse(QStringLiteral("扫描时没有记录它的身份信息，无法核对，未移动。"));
    const Fingerprint &then = *entry.kind.fingerprint;
    const std::optional<Fingerprint> now = fingerprintPath(path, then.hasTree);
    if (!now) {
        if (then.hasTree)
            return refuse(QStringLiteral("无法完整读取文件夹里的内容，无法核对，未移动。"));
        return refuse(QStringLiteral("已不存在，可能已被移走或删除，未移动。"));
    }
    if (now->device != then.device || now->inode != then.inode)
        return refuse(QStringLiteral("扫描后已被另一个项目替换，未移动。"));
    if (now->hasTree != then.hasTree)
        return refuse(QStringLiteral("扫描后类型已改变，未移动。"));
    if (then.hasTree
        && (now->size != then.size || now->modifiedNs != then.modifiedNs || now->treeDigest != then.treeDigest
            || now->treeEntries != then.treeEntries))
        return refuse(QStringLiteral("文件夹里的内容在扫描后有变化，未移动。"));
    if (now->size != then.size || now->modifiedNs != then.modifiedNs)
        return refuse(QStringLiteral("扫描后已被修改，未移动。"));

    if (const auto refusal = permissionRefusal(path, S_ISDIR(st.st_mode)))
        return refuse(*refusal);
    if (const auto refusal = duplicateRefusal(entry, context))
        return refuse(*refusal);

    moveItem(item, context.move);
    return item;
}

CleanupRecord CleanupService::clean(const QSet<QUuid> &ids, const QList<FileEntry> &snapshot,
    const QSet<QString> &runningBundleIDs, const QList<DuplicateGroup> &duplicateGroups,
    const QList<FileEntry> &ownerApplications, const TrashMover &move) const
{
    CleanupRecord record;
    record.id = QUuid::createUuid();
    record.date = QDateTime::currentDateTimeUtc();

    QList<qsizetype> selected;
    for (qsizetype i = 0; i < snapshot.size(); ++i) {
        if (ids.contains(snapshot.at(i).id))
            selected.append(i);
    }
    Context context { ids, runningBundleIDs, duplicateGroups, ownerApplications, move, {}, home(), trashFolders() };
    for (const qsizetype i : selected)
        context.selectedPaths.insert(snapshot.at(i).path);

    QList<std::optional<CleanupItemResult>> items(selected.size());
    try {
        // An entry inside another selected one waits for it: moving the inner one
        // first would change the outer folder and make it fail its own check.
        // Containers are found through each path's ancestors: linear in the number
        // of entries, as a clean-up may hold thousands.
        QHash<QString, qsizetype> firstWithPath;
        for (qsizetype a = 0; a < selected.size(); ++a)
            firstWithPath.insert(
                snapshot.at(selected.at(a)).path, firstWithPath.value(snapshot.at(selected.at(a)).path, a));
        QList<qsizetype> container(selected.size(), -1);
        for (qsizetype a = 0; a < selected.size(); ++a) {
            const QString &path = snapshot.at(selected.at(a)).path;
            if (const qsizetype first = firstWithPath.value(path); first != a) {
                container[a] = first;
                continue;
            }
            for (QString ancestor = path; ancestor != QLatin1String("/") && ancestor.contains(u'/');) {
                ancestor = parentPath(ancestor);
                const auto it = firstWithPath.constFind(ancestor);
                if (it != firstWithPath.constEnd()) {
                    container[a] = *it;
                    break;
                }
            }
        }
        for (qsizetype a = 0; a < selected.size(); ++a) {
            if (container.at(a) < 0)
                items[a] = cleanEntry(snapshot.at(selected.at(a)), context);
        }
        // The rest, shallower first, so that each finds its containers handled.
        QList<std::pair<int, qsizetype>> nested;
        for (qsizetype a = 0; a < selected.size(); ++a) {
            int depth = 0;
            for (qsizetype c = container.at(a); c >= 0; c = container.at(c))
                ++depth;
            if (depth > 0)
                nested.append({ depth, a });
        }
        std::sort(nested.begin(), nested.end());
        for (const auto &[depth, a] : nested) {
            Q_UNUSED(depth);
            const FileEntry &entry = snapshot.at(selected.at(a));
            qsizetype carrier = -1;
            for (qsizetype c = container.at(a); c >= 0 && carrier < 0; c = container.at(c)) {
                if (items.at(c) && items.at(c)->moved)
                    carrier = c;
            }
            if (carrier >= 0) {
                CleanupItemResult item = resultFor(entry);
                item.message
                    = QStringLiteral("已随同时选中的“%1”一起移到废纸篓，不单独计数。").arg(items.at(carrier)->name);
                items[a] = item;
            } else {
                items[a] = cleanEntry(entry, context);
            }
        }
    } catch (...) {
        // Nothing above should throw; should it still, the items not yet handled are
        // reported as left alone, and those already moved keep their record.
    }
    for (qsizetype a = 0; a < selected.size(); ++a) {
        if (items.at(a)) {
            record.items.append(*items.at(a));
        } else {
            CleanupItemResult item = resultFor(snapshot.at(selected.at(a)));
            item.message = QStringLiteral("清理时出现内部错误，未移动。");
            record.items.append(item);
        }
    }
    return record;
}

CleanupRecord CleanupService::cleanPaths(const QStringList &paths, const TrashMover &move) const
{
    CleanupRecord record;
    record.id = QUuid::createUuid();
    record.date = QDateTime::currentDateTimeUtc();
    const QString folder = workingFolder();
    const QString userHome = home();
    const QStringList trashes = trashFolders();
    for (const QString &given : paths) {
        CleanupItemResult item;
        item.path = lexicallyNormal(given.startsWith(u'/') ? given : joinPath(folder, given));
        item.name = lastComponent(item.path);
        auto finish = [&record, &item](const QString &message) {
            item.message = message;
            record.items.append(item);
        };
        if (const auto refusal = PathSafety::removalRefusal(item.path, userHome, trashes)) {
            finish(*refusal);
            continue;
        }
        struct stat st { };
        if (os().lstat(pathToBytes(item.path).constData(), &st) != 0) {
            const int code = errno;
            finish(code == ENOENT || code == ENOTDIR
                    ? QStringLiteral("不存在，未移动。")
                    : QStringLiteral("无法检查它（%1），未移动。").arg(reasonText(code)));
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            finish(QStringLiteral("是符号链接，未移动。"));
            continue;
        }
        if (const auto refusal = permissionRefusal(item.path, S_ISDIR(st.st_mode))) {
            finish(*refusal);
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            std::int64_t bytes = 0;
            item.sizeIsComplete = fingerprintPath(item.path, true, nullptr, &bytes).has_value();
            item.bytes = bytes;
        } else {
            item.bytes = S_ISREG(st.st_mode) ? std::int64_t(st.st_size) : 0;
        }
        moveItem(item, move);
        record.items.append(item);
    }
    return record;
}

} // namespace Morvane
