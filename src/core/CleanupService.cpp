#include "core/CleanupService.h"
#include "core/Vocabulary.h"

#include "core/Errors.h"
#include "core/Identity.h"
#include "core/PathSafety.h"
#include "core/Paths.h"
#include "core/Platform.h"
#include "core/Posix.h"
#include "core/trash/FreedesktopTrash.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace Morvane {

namespace {

const QString kMoved = trashWorded(QStringLiteral("已移到废纸篓。"));
constexpr size_t kCompareChunk = 256 * 1024;
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK;
// Files are only ever opened this way: no final link, never waiting on a FIFO or a
// device; what was opened is checked with fstat before anything is read.
constexpr int kReadFlags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK;

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
        return systemErrorText(code); // every other number, still in Chinese
    }
}

bool sameObject(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Device, inode, size and both times: what a file's identity check compares.
bool sameFileIdentity(const Fingerprint &a, const Fingerprint &b)
{
    return a.device == b.device && a.inode == b.inode && a.size == b.size && a.modifiedNs == b.modifiedNs
        && a.changedNs == b.changedNs;
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

// True when the two open files, read from where they stand, hold the same bytes.
bool sameBytes(const OsCalls &os, int first, int second)
{
    std::vector<char> ba(kCompareChunk), bb(kCompareChunk);
    for (;;) {
        const ssize_t na = readFull(os, first, ba.data(), ba.size());
        const ssize_t nb = readFull(os, second, bb.data(), bb.size());
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

// The working folder as the system has it; none when it was removed.
std::optional<QByteArray> workingFolder()
{
    QByteArray buffer(4096, '\0');
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE || buffer.size() > (1 << 20))
            return std::nullopt;
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.constData());
}

// The path with its links resolved when it exists; else as given.
QString resolvedOr(const QString &path)
{
    char *resolved = ::realpath(pathToBytes(path).constData(), nullptr);
    if (!resolved)
        return path;
    const QString result = pathFromBytes(QByteArray(resolved));
    std::free(resolved);
    return result;
}

QByteArray joinBytes(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

} // namespace

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

struct CleanupService::Context {
    const QSet<QUuid> &ids;
    const QSet<QString> &running;
    const QList<DuplicateGroup> &groups;
    const QList<FileEntry> &owners;
    const TrashMover &move;
    QSet<QString> selectedPaths;
    QString home;
    QStringList trashFolders;
    // The same places with their links resolved, for judging where an item really is.
    QString realHome;
    QStringList realTrashFolders;
};

// An item reached by handle: the open folder that holds it, its name there, its
// absolute path, and what fstatat said of it.
struct CleanupService::Located {
    UniqueFd folder;
    QByteArray name;
    QByteArray path;
    struct stat st { };
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

std::optional<QString> CleanupService::locate(const QString &path, const QString &scope, Located &located) const
{
    const QString target = lexicallyNormal(path);
    const QString root = lexicallyNormal(scope);
    if (target != path)
        return QStringLiteral("路径不是规范的绝对路径，已拒绝。");
    if (target == root || !isSameOrInside(target, root))
        return QStringLiteral("不在扫描时的范围“%1”之内，未移动。").arg(displayPath(root));
    QList<QByteArray> parts = pathToBytes(target.mid(root == QLatin1String("/") ? 1 : root.size() + 1)).split('/');
    const QByteArray name = parts.takeLast();

    // The scope is opened as the scan opened it (it may be reached through a link);
    // below it, no link is followed.
    const UniqueFd scopeFolder(os().openat(AT_FDCWD, pathToBytes(root).constData(), kFolderFlags, 0));
    if (!scopeFolder) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR)
            return QStringLiteral("已不存在（扫描范围“%1”已不在），未移动。").arg(displayPath(root));
        return QStringLiteral("无法打开扫描范围“%1”（%2），未移动。").arg(displayPath(root), reasonText(code));
    }
    FolderChain chain = openFolderChain(scopeFolder.get(), parts, &os());
    if (chain.stop != ChainStop::complete) {
        QString at = root;
        for (qsizetype i = 0; i <= chain.failedAt && i < parts.size(); ++i)
            at = joinPath(at, pathFromBytes(parts.at(i)));
        const QString shown = displayPath(at);
        switch (chain.stop) {
        case ChainStop::link:
            return QStringLiteral("路径上的文件夹“%1”已变成符号链接，未移动。").arg(shown);
        case ChainStop::notFolder:
            return QStringLiteral("路径上的“%1”已不是文件夹，未移动。").arg(shown);
        case ChainStop::missing:
            return QStringLiteral("已不存在（路径上的文件夹“%1”已不在），未移动。").arg(shown);
        case ChainStop::complete:
        case ChainStop::failed:
            break;
        }
        return QStringLiteral("无法检查路径上的文件夹“%1”（%2），未移动。").arg(shown, reasonText(chain.error));
    }
    if (os().fstatat(chain.folder.get(), name.constData(), &located.st, AT_SYMLINK_NOFOLLOW) != 0) {
        const int code = errno;
        if (code == ENOENT || code == ENOTDIR)
            return QStringLiteral("已不存在，可能已被移走或删除，未移动。");
        if (code == EACCES || code == EPERM)
            return QStringLiteral("没有访问它的权限，未移动。");
        return QStringLiteral("无法检查它（%1），未移动。").arg(reasonText(code));
    }
    located.folder = std::move(chain.folder);
    located.name = name;
    located.path = pathToBytes(target);
    return std::nullopt;
}

std::optional<QString> CleanupService::identityRefusal(const FileEntry &entry, const Located &located) const
{
    const struct stat &st = located.st;
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("已变成符号链接，未移动。");
    if (!entry.kind.fingerprint)
        return QStringLiteral("扫描时没有记录它的身份信息，无法核对，未移动。");
    const Fingerprint &then = *entry.kind.fingerprint;
    const Fingerprint now = fingerprintFromStat(st);
    if (now.device != then.device || now.inode != then.inode)
        return QStringLiteral("扫描后已被另一个项目替换，未移动。");
    if (!then.hasTree) {
        if (!sameFileIdentity(now, then))
            return QStringLiteral("扫描后已被修改，未移动。");
        return std::nullopt;
    }
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("扫描后类型已改变，未移动。");
    // The digest is taken through a handle on the very folder just judged.
    const UniqueFd folder(os().openat(located.folder.get(), located.name.constData(), kFolderFlags | O_NOFOLLOW, 0));
    struct stat opened { };
    if (!folder || os().fstat(folder.get(), &opened) != 0)
        return QStringLiteral("无法完整读取文件夹里的内容，无法核对，未移动。");
    if (!sameObject(opened, st))
        return QStringLiteral("扫描后已被另一个项目替换，未移动。");
    const std::optional<Fingerprint> tree = fingerprintFolder(folder.get());
    if (!tree)
        return QStringLiteral("无法完整读取文件夹里的内容，无法核对，未移动。");
    if (tree->treeDigest != then.treeDigest || tree->treeEntries != then.treeEntries)
        return QStringLiteral("文件夹里的内容在扫描后有变化，未移动。");
    if (!sameFileIdentity(now, then) || !sameFileIdentity(*tree, then))
        return QStringLiteral("扫描后已被修改，未移动。");
    return std::nullopt;
}

std::optional<QString> CleanupService::permissionRefusal(const Located &located) const
{
    const OsCalls &calls = os();
    if (calls.faccessat(located.folder.get(), ".", W_OK | X_OK, 0) != 0)
        return QStringLiteral("没有移动它的权限（所在文件夹：%1），未移动。").arg(reasonText(errno));
    // Moving a folder to another folder rewrites its "..", which needs write access.
    if (S_ISDIR(located.st.st_mode) && calls.faccessat(located.folder.get(), located.name.constData(), W_OK, 0) != 0)
        return QStringLiteral("没有移动这个文件夹的权限（%1），未移动。").arg(reasonText(errno));
    struct stat parentStat { };
    if (calls.fstat(located.folder.get(), &parentStat) == 0 && (parentStat.st_mode & S_ISVTX) != 0) {
        const uid_t uid = calls.userID();
        if (uid != 0 && located.st.st_uid != uid && parentStat.st_uid != uid)
            return QStringLiteral("它位于受保护的共享文件夹中且不属于你，没有移动它的权限，未移动。");
    }
    return std::nullopt;
}

std::optional<QString> CleanupService::duplicateRefusal(
    const FileEntry &entry, const Located &located, const Context &context) const
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
    bool keptInsideSelected = false;
    for (const FileEntry &file : group->files) {
        if (context.ids.contains(file.id) || file.path == entry.path)
            continue;
        if (atOrBelowAny(file.path, context.selectedPaths))
            keptInsideSelected = true;
        else
            keepers.append(&file);
    }
    if (keepers.isEmpty()) {
        if (keptInsideSelected)
            return QStringLiteral(
                "这组重复文件未选中的副本都在同时选中的文件夹里，会随之移走；每组至少保留一份，未移动。");
        return QStringLiteral("这组重复文件的每一份都已选中；每组至少保留一份，未移动。");
    }
    QString first;
    for (const FileEntry *keeper : keepers) {
        const std::optional<QString> refusal = keeperRefusal(*keeper, located, context);
        if (!refusal)
            return std::nullopt;
        if (first.isEmpty())
            first = *refusal;
    }
    return first;
}

// Why `keeper` cannot vouch for the judged `selected` file; none when it is still the
// file the scan saw, another file than the selected one, and holds the same bytes. The
// bytes compared are those of the two handles just checked.
std::optional<QString> CleanupService::keeperRefusal(
    const FileEntry &keeper, const Located &selected, const Context &context) const
{
    const QString shown = displayPath(keeper.path);
    auto refusal = [&shown](const QString &what) {
        return QStringLiteral("保留的副本“%1”%2，无法确认仍有一份相同的文件，未移动。").arg(shown, what);
    };
    QString scope = keeper.scope;
    if (scope.isEmpty() && isSameOrInside(keeper.path, context.home))
        scope = context.home;
    Located kept;
    if (scope.isEmpty() || locate(keeper.path, scope, kept))
        return refusal(QStringLiteral("已不存在或已不在原来的位置"));
    const UniqueFd keptFile(os().openat(kept.folder.get(), kept.name.constData(), kReadFlags, 0));
    struct stat keptStat { };
    if (!keptFile || os().fstat(keptFile.get(), &keptStat) != 0) {
        const int code = errno;
        return refusal(
            code == ENOENT ? QStringLiteral("已不存在") : QStringLiteral("无法打开（%1）").arg(reasonText(code)));
    }
    if (!S_ISREG(keptStat.st_mode))
        return refusal(QStringLiteral("已不是普通文件"));
    if (!keeper.kind.fingerprint || !sameFileIdentity(fingerprintFromStat(keptStat), *keeper.kind.fingerprint))
        return refusal(QStringLiteral("在扫描后已被修改或替换"));

    const UniqueFd selectedFile(os().openat(selected.folder.get(), selected.name.constData(), kReadFlags, 0));
    struct stat selectedStat { };
    if (!selectedFile || os().fstat(selectedFile.get(), &selectedStat) != 0 || !S_ISREG(selectedStat.st_mode)
        || !sameFileIdentity(fingerprintFromStat(selectedStat), fingerprintFromStat(selected.st)))
        return QStringLiteral("检查之后它已被修改或替换，未移动。");
    if (sameObject(keptStat, selectedStat))
        return refusal(QStringLiteral("与它是同一个文件"));
    if (keptStat.st_size != selectedStat.st_size || !sameBytes(os(), selectedFile.get(), keptFile.get()))
        return refusal(QStringLiteral("内容已不同"));
    return std::nullopt;
}

void CleanupService::moveItem(CleanupItemResult &item, const Located &located, const TrashMover &move) const
{
    if (move) {
        try {
            item.trashPath = move(item.path);
            item.moved = true;
            item.message = kMoved;
        } catch (const CoreError &error) {
            item.message = error.description();
        } catch (const std::exception &error) {
            item.message
                = trashWorded(QStringLiteral("移到废纸篓时出错：%1")).arg(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            item.message = trashWorded(QStringLiteral("移到废纸篓时出错，未移动。"));
        }
        return;
    }
    const TrashItem trashItem { located.folder.get(), located.name, located.path, located.st };
    TrashOutcome outcome;
    if (m_environment.trash) {
        outcome = m_environment.trash(trashItem);
    } else {
#ifdef Q_OS_MACOS
        outcome = m_environment.os ? FreedesktopTrash(*m_environment.os, {}, home()).moveToTrash(trashItem)
                                   : moveToPlatformTrash(trashItem);
#else
        outcome = FreedesktopTrash(os(), {}, home()).moveToTrash(trashItem);
#endif
    }
    item.moved = outcome.moved;
    if (outcome.moved) {
        item.trashPath = outcome.trashedPath;
        item.trashIdentity = outcome.trashedIdentity;
        item.message = outcome.warning.isEmpty()
            ? kMoved
            : trashWorded(QStringLiteral("已移到废纸篓（%1）。")).arg(outcome.warning);
    } else {
        item.message
            = outcome.error.isEmpty() ? trashWorded(QStringLiteral("无法移到废纸篓，未移动。")) : outcome.error;
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
    Located located;
    if (const auto refusal = locate(path, scope, located))
        return refuse(*refusal);
    // The scope may be reached through a link: the last guard judges the real place too.
    const std::optional<QByteArray> realFolder = folderPathOf(located.folder.get(), pathToBytes(parentPath(path)));
    if (!realFolder)
        return refuse(QStringLiteral("无法确定它实际所在的位置，未移动。"));
    if (const QString real = pathFromBytes(joinBytes(*realFolder, located.name)); real != path) {
        if (const auto refusal = PathSafety::removalRefusal(real, context.realHome, context.realTrashFolders))
            return refuse(*refusal);
    }
    if (const auto refusal = identityRefusal(entry, located))
        return refuse(*refusal);
    if (const auto refusal = permissionRefusal(located))
        return refuse(*refusal);
    if (const auto refusal = duplicateRefusal(entry, located, context))
        return refuse(*refusal);

    moveItem(item, located, context.move);
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
    Context context { ids, runningBundleIDs, duplicateGroups, ownerApplications, move, {}, home(), trashFolders(), {},
        {} };
    context.realHome = resolvedOr(context.home);
    context.realTrashFolders = context.trashFolders;
    for (const QString &trash : context.trashFolders)
        context.realTrashFolders.append(resolvedOr(trash));
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
                item.message = trashWorded(QStringLiteral("已随同时选中的“%1”一起移到废纸篓，不单独计数。"))
                                   .arg(items.at(carrier)->name);
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

namespace {

// Opens the folder that really holds the named argument, the way the system resolves
// it (links and ".." in the folders above it), and names the item in it. A reason when
// that cannot be done.
std::optional<QString> locateNamed(const OsCalls &os, const QString &given, const std::optional<QByteArray> &cwd,
    UniqueFd &folder, QByteArray &name, QByteArray &real)
{
    QByteArray bytes = pathToBytes(given);
    if (bytes.isEmpty())
        return QStringLiteral("路径为空，未移动。");
    const bool relative = !bytes.startsWith('/');
    if (relative && !cwd)
        return QStringLiteral("当前工作文件夹已不存在，无法确定相对路径所指的位置，未移动。");
    while (bytes.size() > 1 && bytes.endsWith('/'))
        bytes.chop(1);
    if (bytes == "/")
        return QStringLiteral("不能移动根目录，已拒绝。");
    auto absolute = [&](const QByteArray &path) { return path.startsWith('/') ? path : joinBytes(*cwd, path); };
    auto unopened = [](int code) {
        if (code == ENOENT || code == ENOTDIR)
            return QStringLiteral("不存在，未移动。");
        return QStringLiteral("无法打开它所在的文件夹（%1），未移动。").arg(reasonText(code));
    };
    const qsizetype slash = bytes.lastIndexOf('/');
    name = bytes.mid(slash + 1);
    QByteArray folderHint;
    if (name == "." || name == "..") {
        // A folder named through "." or "..": the one the system finds, held by handle.
        const UniqueFd self(os.openat(AT_FDCWD, bytes.constData(), kFolderFlags, 0));
        if (!self)
            return unopened(errno);
        const std::optional<QByteArray> selfPath = folderPathOf(self.get(), absolute(bytes));
        if (!selfPath)
            return QStringLiteral("无法确定它实际所在的位置，未移动。");
        if (*selfPath == "/")
            return QStringLiteral("不能移动根目录，已拒绝。");
        name = selfPath->mid(selfPath->lastIndexOf('/') + 1);
        folderHint = selfPath->left(qMax<qsizetype>(selfPath->lastIndexOf('/'), 1));
        folder.reset(os.openat(self.get(), "..", kFolderFlags, 0));
        struct stat selfStat {
        }, named {};
        if (!folder || os.fstat(self.get(), &selfStat) != 0
            || os.fstatat(folder.get(), name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0
            || !sameObject(selfStat, named))
            return QStringLiteral("无法确定它实际所在的位置，未移动。");
    } else {
        const QByteArray folderText = slash < 0 ? QByteArrayLiteral(".")
            : slash == 0                        ? QByteArrayLiteral("/")
                                                : bytes.left(slash);
        folderHint = absolute(folderText);
        folder.reset(os.openat(AT_FDCWD, folderText.constData(), kFolderFlags, 0));
        if (!folder)
            return unopened(errno);
    }
    const std::optional<QByteArray> folderPath = folderPathOf(folder.get(), folderHint);
    if (!folderPath)
        return QStringLiteral("无法确定它实际所在的位置，未移动。");
    real = joinBytes(*folderPath, name);
    return std::nullopt;
}

} // namespace

CleanupRecord CleanupService::cleanPaths(const QStringList &paths, const TrashMover &move) const
{
    CleanupRecord record;
    record.id = QUuid::createUuid();
    record.date = QDateTime::currentDateTimeUtc();
    const std::optional<QByteArray> cwd = workingFolder();
    const std::optional<QString> realCwd = cwd ? std::optional<QString>(resolvedOr(pathFromBytes(*cwd))) : std::nullopt;
    // The protected places, as named and as they really are.
    const QString userHome = home();
    const QString realHome = resolvedOr(userHome);
    QStringList trashes = trashFolders();
    for (const QString &trash : trashFolders())
        trashes.append(resolvedOr(trash));

    for (const QString &given : paths) {
        CleanupItemResult item;
        item.path = given.startsWith(u'/') || !cwd ? given : joinPath(pathFromBytes(*cwd), given);
        item.name = lastComponent(item.path);
        auto finish = [&record, &item](const QString &message) {
            item.message = message;
            record.items.append(item);
        };
        Located located;
        if (const auto refusal = locateNamed(os(), given, cwd, located.folder, located.name, located.path)) {
            finish(*refusal);
            continue;
        }
        item.path = pathFromBytes(located.path);
        item.name = pathFromBytes(located.name);

        // The last guard judges the real place, against the home as named and as it is.
        std::optional<QString> refusal = PathSafety::removalRefusal(item.path, userHome, trashes);
        if (!refusal && realHome != userHome)
            refusal = PathSafety::removalRefusal(item.path, realHome, trashes);
        if (!refusal && realCwd && isSameOrInside(*realCwd, item.path))
            refusal = QStringLiteral("“%1”是当前工作文件夹或包含它，已拒绝。").arg(displayPath(item.path));
        if (refusal) {
            finish(*refusal);
            continue;
        }
        if (os().fstatat(located.folder.get(), located.name.constData(), &located.st, AT_SYMLINK_NOFOLLOW) != 0) {
            const int code = errno;
            finish(code == ENOENT || code == ENOTDIR
                    ? QStringLiteral("不存在，未移动。")
                    : QStringLiteral("无法检查它（%1），未移动。").arg(reasonText(code)));
            continue;
        }
        if (S_ISLNK(located.st.st_mode)) {
            finish(QStringLiteral("是符号链接，未移动。"));
            continue;
        }
        if (const auto noPermission = permissionRefusal(located)) {
            finish(*noPermission);
            continue;
        }
        if (S_ISDIR(located.st.st_mode)) {
            std::int64_t bytes = 0;
            item.sizeIsComplete = fingerprintAt(located.folder.get(), located.name, true, nullptr, &bytes).has_value();
            item.bytes = bytes;
        } else {
            item.bytes = S_ISREG(located.st.st_mode) ? std::int64_t(located.st.st_size) : 0;
        }
        moveItem(item, located, move);
        record.items.append(item);
    }
    return record;
}

} // namespace Morvane
