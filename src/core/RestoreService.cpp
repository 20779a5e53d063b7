#include "core/RestoreService.h"

#include "core/Identity.h"
#include "core/Paths.h"
#include "core/Platform.h"
#include "core/Posix.h"
#include "core/SmallFile.h"
#include "core/Vocabulary.h"
#include "core/trash/FreedesktopTrash.h"
#include "core/trash/TrashInfo.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>

namespace Morvane {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NONBLOCK;
const QByteArray kInfoSuffix = QByteArrayLiteral(".trashinfo");

QString reasonText(int code)
{
    switch (code) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有权限");
    case ENOSPC:
        return QStringLiteral("磁盘空间已满");
    default:
        return systemErrorText(code); // every other number, still in Chinese
    }
}

QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray baseName(const QByteArray &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

QByteArray joinBytes(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

QString shown(const QByteArray &path)
{
    return displayPath(pathFromBytes(path));
}

bool sameObject(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The folder that holds `path` with its links resolved, and the last name; the path
// itself when the folder does not exist.
QString withResolvedFolder(const QString &path)
{
    char *resolved = ::realpath(pathToBytes(parentPath(path)).constData(), nullptr);
    if (!resolved)
        return path;
    const QString folder = pathFromBytes(QByteArray(resolved));
    std::free(resolved);
    return joinPath(folder, lastComponent(path));
}

// The reasons are written with the macOS word for the Trash; the platform's word here.
RestoreOutcome worded(RestoreOutcome outcome)
{
    outcome.message = trashWorded(std::move(outcome.message));
    return outcome;
}

} // namespace

struct RestoreService::Expectation {
    std::optional<QString> original; // none: wherever the info file says
    std::optional<TrashedIdentity> identity;
    std::optional<std::int64_t> recordedBytes; // older records: the size, when it was complete
    bool needsCheck = false; // an item of the history: refuse what cannot be checked
};

const OsCalls &RestoreService::os() const
{
    return m_environment.os ? *m_environment.os : OsCalls::system();
}

QString RestoreService::home() const
{
    return lexicallyNormal(m_environment.home.isEmpty() ? userHomeDirectory() : m_environment.home);
}

QString RestoreService::homeTrash() const
{
    if (!m_environment.homeTrash.isEmpty())
        return m_environment.homeTrash;
    if (m_environment.platform == RulePlatform::MacOS)
        return joinPath(home(), QStringLiteral(".Trash"));
    return FreedesktopTrash::defaultHomeTrash();
}

QList<TrashLocation> RestoreService::trashes() const
{
    return visibleTrashes(homeTrash(), os().userID());
}

QList<bool> RestoreService::stillInTrash(const QList<CleanupItemResult> &items) const
{
    QList<bool> present;
    present.reserve(items.size());
    for (const CleanupItemResult &item : items) {
        struct stat st { };
        bool here = item.moved && !item.restoredDate && !item.trashPath.isEmpty()
            && os().fstatat(AT_FDCWD, pathToBytes(item.trashPath).constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (here && item.trashIdentity) {
            const Fingerprint &then = item.trashIdentity->fingerprint;
            here = std::uint64_t(st.st_dev) == then.device && std::uint64_t(st.st_ino) == then.inode;
        }
        present.append(here);
    }
    return present;
}

RestoreOutcome RestoreService::restore(const CleanupItemResult &item, const RestoreOptions &options) const
{
    return worded(restoreItem(item, options));
}

RestoreOutcome RestoreService::restoreItem(const CleanupItemResult &item, const RestoreOptions &options) const
{
    RestoreOutcome outcome;
    outcome.trashedPath = item.trashPath;
    outcome.originalPath = item.path;
    if (!item.moved || item.trashPath.isEmpty()) {
        outcome.message = QStringLiteral("这一项当时没有移到废纸篓，无需放回。");
        return outcome;
    }
    if (item.restoredDate) {
        outcome.message = QStringLiteral("已经放回原处，不再重复放回。");
        return outcome;
    }
    Expectation expected;
    expected.original = item.path;
    expected.identity = item.trashIdentity;
    if (item.sizeIsComplete)
        expected.recordedBytes = item.bytes;
    expected.needsCheck = true;
    return restoreFrom(item.trashPath, expected, options);
}

RestoreOutcome RestoreService::restoreOriginal(const QString &original, const RestoreOptions &options) const
{
    return restoreOriginals({ original }, options).constFirst();
}

QList<RestoreOutcome> RestoreService::restoreOriginals(
    const QStringList &originals, const RestoreOptions &options) const
{
    Listings listings;
    QList<RestoreOutcome> outcomes;
    outcomes.reserve(originals.size());
    for (const QString &original : originals)
        outcomes.append(worded(restoreNewest(original, options, listings)));
    return outcomes;
}

RestoreOutcome RestoreService::restoreNewest(
    const QString &original, const RestoreOptions &options, Listings &listings) const
{
    RestoreOutcome outcome;
    outcome.originalPath = original;
    if (m_environment.platform != RulePlatform::Linux) {
        outcome.message = QStringLiteral("按原位置放回只适用于 freedesktop.org 废纸篓。");
        outcome.errorCode = ENOTSUP;
        return outcome;
    }
    const QString normal = lexicallyNormal(original);
    if (!original.startsWith(u'/') || normal == QLatin1String("/")) {
        outcome.message = QStringLiteral("原位置须是绝对路径，未放回。");
        outcome.errorCode = EINVAL;
        return outcome;
    }
    // The path as named, and with the links in its folders resolved: a volume trash
    // records where the item lay below the volume's real top folder.
    const QSet<QString> names { normal, withResolvedFolder(normal) };
    QList<TrashLocation> candidates { TrashLocation { homeTrash(), {} } };
    const QString top = topDirectoryOf(normal);
    if (!top.isEmpty())
        candidates += volumeTrashesAt(top, os().userID());
    std::optional<TrashEntry> newest;
    for (const TrashLocation &trash : candidates) {
        auto listing = listings.find(trash.path);
        if (listing == listings.end())
            listing = listings.insert(trash.path, listTrash(trash, false));
        for (const TrashEntry &entry : std::as_const(*listing)) {
            if (!names.contains(lexicallyNormal(entry.originalPath)))
                continue;
            // The most recent; an entry without a readable date counts as the oldest.
            if (!newest || (entry.deletionDate.isValid() && !(entry.deletionDate < newest->deletionDate)))
                newest = entry;
        }
    }
    if (!newest) {
        outcome.message = QStringLiteral("废纸篓中没有原位置为“%1”的项目。").arg(displayPath(normal));
        outcome.errorCode = ENOENT;
        return outcome;
    }
    Expectation expected;
    expected.original = newest->originalPath;
    RestoreOutcome restored = restoreFrom(newest->trashedPath, expected, options);
    if (restored.restored) {
        // Gone from that trash: a later path of the same call must not find it there.
        QList<TrashEntry> &listing = listings[newest->trash.path];
        listing.removeIf([&](const TrashEntry &entry) { return entry.trashedPath == newest->trashedPath; });
    }
    return restored;
}

RestoreOutcome RestoreService::restoreFrom(
    const QString &trashedPath, const Expectation &expected, const RestoreOptions &options) const
{
    const OsCalls &calls = os();
    RestoreOutcome outcome;
    outcome.trashedPath = trashedPath;
    outcome.originalPath = expected.original.value_or(QString());
    auto fail = [&outcome](const QString &text, int code) {
        outcome.message = text;
        outcome.errorCode = code;
        return outcome;
    };
    if (!trashedPath.startsWith(u'/') || lexicallyNormal(trashedPath) != trashedPath
        || trashedPath == QLatin1String("/"))
        return fail(QStringLiteral("记录中它在废纸篓里的位置无效，未放回。"), EINVAL);
    const QByteArray trashed = pathToBytes(trashedPath);
    const QByteArray name = baseName(trashed);
    const QByteArray itemFolderPath = parentOf(trashed);
    const bool freedesktop = m_environment.platform == RulePlatform::Linux;
    auto unopened = [&](const QByteArray &folder, int code) {
        if (code == ENOENT || code == ENOTDIR)
            return fail(QStringLiteral("它所在的废纸篓文件夹“%1”已不存在，未放回。").arg(shown(folder)), code);
        return fail(
            QStringLiteral("无法打开废纸篓文件夹“%1”（%2），未放回。").arg(shown(folder), reasonText(code)), code);
    };

    // The trash's folders, each opened once: the folders above the trash as the system
    // resolves them (a data folder may be kept elsewhere through a link), the trash
    // and its `files` and `info` never through a link.
    UniqueFd above;
    UniqueFd root;
    UniqueFd items;
    UniqueFd info;
    QByteArray rootPath;
    if (freedesktop) {
        if (baseName(itemFolderPath) != "files")
            return fail(QStringLiteral("记录中的位置不在废纸篓的 files 文件夹里，未放回。"), EINVAL);
        rootPath = parentOf(itemFolderPath);
        above.reset(calls.openat(AT_FDCWD, parentOf(rootPath).constData(), kFolderFlags, 0));
        if (!above)
            return unopened(rootPath, errno);
        root.reset(calls.openat(above.get(), baseName(rootPath).constData(), kFolderFlags | O_NOFOLLOW, 0));
        if (!root)
            return unopened(rootPath, errno);
        items.reset(calls.openat(root.get(), "files", kFolderFlags | O_NOFOLLOW, 0));
        if (!items)
            return unopened(itemFolderPath, errno);
        info.reset(calls.openat(root.get(), "info", kFolderFlags | O_NOFOLLOW, 0));
        if (!info)
            return unopened(joinBytes(rootPath, "info"), errno);
        struct stat rootStat {
        }, itemsStat {}, infoStat {};
        if (calls.fstat(root.get(), &rootStat) != 0 || calls.fstat(items.get(), &itemsStat) != 0
            || calls.fstat(info.get(), &infoStat) != 0 || itemsStat.st_dev != rootStat.st_dev
            || infoStat.st_dev != rootStat.st_dev)
            return fail(QStringLiteral("废纸篓“%1”的文件夹不在同一个文件系统，未放回。").arg(shown(rootPath)), EXDEV);
    } else {
        items.reset(calls.openat(AT_FDCWD, itemFolderPath.constData(), kFolderFlags, 0));
        if (!items)
            return unopened(itemFolderPath, errno);
        // Only the home trash or a volume's own trash.
        struct stat itemsStat {
        }, homeStat {};
        const QByteArray user = QByteArray::number(qulonglong(calls.userID()));
        const bool isHome = calls.fstat(items.get(), &itemsStat) == 0
            && calls.fstatat(AT_FDCWD, pathToBytes(homeTrash()).constData(), &homeStat, 0) == 0
            && sameObject(itemsStat, homeStat);
        const bool isVolume = baseName(itemFolderPath) == user && baseName(parentOf(itemFolderPath)) == ".Trashes";
        if (!isHome && !isVolume)
            return fail(QStringLiteral("记录中的位置“%1”不是废纸篓，未放回。").arg(shown(itemFolderPath)), EINVAL);
    }

    // The trashed item, examined where it lies without following a link.
    struct stat st { };
    if (calls.fstatat(items.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        const int code = errno;
        if (code == ENOENT)
            return fail(QStringLiteral("已不在废纸篓中（可能已被清空或已放回），未放回。"), code);
        return fail(QStringLiteral("无法检查废纸篓中的它（%1），未放回。").arg(reasonText(code)), code);
    }

    // Where it belongs: its .trashinfo (freedesktop.org), else the record.
    QByteArray original;
    UniqueFd top; // the volume's top folder, for a path relative to it
    QByteArray topPath;
    QByteArray relative;
    if (freedesktop) {
        UniqueFd file(
            calls.openat(info.get(), (name + kInfoSuffix).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK, 0));
        if (!file) {
            const int code = errno;
            if (code == ENOENT)
                return fail(QStringLiteral("废纸篓中没有它的信息文件（.trashinfo），无法确认原位置，未放回。"), code);
            return fail(QStringLiteral("无法读取它的信息文件（%1），未放回。").arg(reasonText(code)), code);
        }
        const BoundedRead text = readBounded(std::move(file), { kTrashInfoLimit, FinalLink::refuse });
        const auto fields = text.ok() ? parseTrashInfo(text.data) : std::nullopt;
        if (!fields)
            return fail(QStringLiteral("它的信息文件无法读取或格式不对，无法确认原位置，未放回。"), EINVAL);
        if (fields->path.startsWith('/')) {
            original = fields->path;
        } else {
            // A volume trash: `$top/.Trash-$uid` or `$top/.Trash/$uid`, the user's own.
            const QByteArray user = QByteArray::number(qulonglong(calls.userID()));
            struct stat rootStat { };
            if (calls.fstat(root.get(), &rootStat) != 0 || rootStat.st_uid != calls.userID())
                return fail(QStringLiteral("废纸篓“%1”不属于当前用户，未放回。").arg(shown(rootPath)), EPERM);
            if (baseName(rootPath) == ".Trash-" + user)
                top.reset(calls.openat(above.get(), ".", kFolderFlags, 0));
            else if (baseName(rootPath) == user && baseName(parentOf(rootPath)) == ".Trash")
                top.reset(calls.openat(above.get(), "..", kFolderFlags, 0));
            else
                return fail(
                    QStringLiteral("信息文件中的原位置是相对路径，但它所在的废纸篓不在磁盘的顶层，未放回。"), EINVAL);
            struct stat topStat { };
            if (!top || calls.fstat(top.get(), &topStat) != 0 || topStat.st_dev != rootStat.st_dev)
                return fail(QStringLiteral("无法打开废纸篓所在磁盘的顶层文件夹，未放回。"), ENOENT);
            const QByteArray hint = baseName(rootPath) == user ? parentOf(parentOf(rootPath)) : parentOf(rootPath);
            const std::optional<QByteArray> where = folderPathOf(top.get(), hint);
            if (!where)
                return fail(QStringLiteral("无法确定废纸篓所在磁盘的位置，未放回。"), ENOENT);
            topPath = *where;
            relative = fields->path;
            const QString rooted = pathFromBytes('/' + relative);
            if (lexicallyNormal(rooted) != rooted)
                return fail(
                    QStringLiteral("信息文件中的原位置“%1”不是规范的路径，未放回。").arg(displayPath(rooted)), EINVAL);
            original = joinBytes(topPath, relative);
        }
    } else {
        if (!expected.original)
            return fail(QStringLiteral("不知道它原来的位置，未放回。"), EINVAL);
        original = pathToBytes(*expected.original);
    }
    const QString originalText = pathFromBytes(original);
    outcome.originalPath = originalText;
    if (expected.original && lexicallyNormal(*expected.original) != lexicallyNormal(originalText))
        return fail(QStringLiteral("废纸篓中这个名称下的项目原位置是“%1”，不是要放回的那一项，未放回。")
                        .arg(displayPath(originalText)),
            ESTALE);

    // The very item the record names.
    if (expected.identity) {
        const Fingerprint &then = expected.identity->fingerprint;
        const Fingerprint now = fingerprintFromStat(st);
        if (now.device != then.device || now.inode != then.inode || S_ISDIR(st.st_mode) != expected.identity->folder)
            return fail(QStringLiteral("废纸篓中这个名称下已是另一个项目，不是当时移走的那一个，未放回。"), ESTALE);
        if (now.size != then.size || now.modifiedNs != then.modifiedNs || now.changedNs != then.changedNs)
            return fail(QStringLiteral("它移入废纸篓后有过改动，无法确认是当时移走的那一个，未放回。"), ESTALE);
    } else if (expected.needsCheck) {
        // A record from before identities were kept: the type and size must still fit.
        if (!expected.recordedBytes)
            return fail(QStringLiteral("记录中没有它的身份信息，大小也不完整，无法核对，未放回。"), ESTALE);
        std::int64_t bytes = -1;
        if (S_ISREG(st.st_mode))
            bytes = st.st_size;
        else if (S_ISDIR(st.st_mode) && !fingerprintAt(items.get(), name, true, nullptr, &bytes))
            return fail(QStringLiteral("无法完整读取它里面的内容，无法核对，未放回。"), EIO);
        if (bytes != *expected.recordedBytes)
            return fail(QStringLiteral("它的大小与记录不符，无法确认是当时移走的那一个，未放回。"), ESTALE);
    }

    // The original folder, one folder at a time without following a link: from the
    // volume's top folder, from the home folder for a place inside it, else from the root.
    if (!original.startsWith('/') || lexicallyNormal(originalText) != originalText || original == "/")
        return fail(QStringLiteral("原位置“%1”不是规范的绝对路径，未放回。").arg(displayPath(originalText)), EINVAL);
    const QString homeFolder = home();
    const bool insideHome = isSameOrInside(originalText, homeFolder) && originalText != homeFolder;
    UniqueFd start;
    QByteArray startPath;
    QList<QByteArray> components;
    if (top) {
        start = std::move(top);
        startPath = topPath;
        components = relative.split('/');
    } else if (insideHome) {
        startPath = pathToBytes(homeFolder);
        start.reset(calls.openat(AT_FDCWD, startPath.constData(), kFolderFlags, 0));
        components = original.mid(startPath.size() + (startPath.endsWith('/') ? 0 : 1)).split('/');
    } else {
        startPath = QByteArrayLiteral("/");
        start.reset(calls.openat(AT_FDCWD, "/", kFolderFlags, 0));
        components = original.mid(1).split('/');
    }
    if (!start) {
        const int code = errno;
        return fail(QStringLiteral("无法打开“%1”（%2），未放回。").arg(shown(startPath), reasonText(code)), code);
    }
    const QByteArray leaf = components.takeLast();
    auto shownUpTo = [&](qsizetype index) {
        QByteArray at = startPath;
        for (qsizetype i = 0; i <= index && i < components.size(); ++i)
            at = joinBytes(at, components.at(i));
        return shown(at);
    };
    FolderChain chain = openFolderChain(start.get(), components, &calls);
    int created = 0;
    if (chain.stop == ChainStop::missing && options.recreateFolders && insideHome) {
        // Made again below the last folder that exists, each from the handle of the one before.
        const qsizetype from = chain.failedAt;
        chain = openFolderChain(start.get(), components.mid(0, from), &calls);
        for (qsizetype i = from; chain.stop == ChainStop::complete && i < components.size(); ++i) {
            const QByteArray &part = components.at(i);
            if (calls.mkdirat(chain.folder.get(), part.constData(), 0777) == 0)
                ++created;
            else if (errno != EEXIST)
                chain = FolderChain { {}, ChainStop::failed, i, errno };
            if (chain.stop != ChainStop::complete)
                break;
            UniqueFd next(calls.openat(chain.folder.get(), part.constData(), kFolderFlags | O_NOFOLLOW, 0));
            if (!next) {
                chain = FolderChain { {}, ChainStop::failed, i, errno };
                break;
            }
            chain.folder = std::move(next);
        }
    }
    switch (chain.stop) {
    case ChainStop::complete:
        break;
    case ChainStop::missing:
        if (options.recreateFolders && !insideHome)
            return fail(QStringLiteral("原来所在的文件夹“%1”已不存在；只在个人文件夹内才会重建文件夹，未放回。")
                            .arg(shownUpTo(chain.failedAt)),
                ENOENT);
        return fail(QStringLiteral("原来所在的文件夹“%1”已不存在，未放回。").arg(shownUpTo(chain.failedAt)), ENOENT);
    case ChainStop::link:
        return fail(QStringLiteral("原路径上的“%1”现在是符号链接，未放回。").arg(shownUpTo(chain.failedAt)), ELOOP);
    case ChainStop::notFolder:
        return fail(QStringLiteral("原路径上的“%1”现在不是文件夹，未放回。").arg(shownUpTo(chain.failedAt)), ENOTDIR);
    case ChainStop::failed:
        return fail(QStringLiteral("无法打开原来所在的文件夹“%1”（%2），未放回。")
                        .arg(shownUpTo(chain.failedAt), reasonText(chain.error)),
            chain.error);
    }
    const UniqueFd parent = std::move(chain.folder);

    // The original place must be free: nothing is overwritten, no folders are merged.
    struct stat there { };
    if (calls.fstatat(parent.get(), leaf.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0)
        return fail(QStringLiteral("原处已有同名项目，为免覆盖，未放回。"), EEXIST);
    if (errno != ENOENT) {
        const int code = errno;
        return fail(QStringLiteral("无法检查原处（%1），未放回。").arg(reasonText(code)), code);
    }

    if (calls.renameNoReplaceAt(items.get(), name.constData(), parent.get(), leaf.constData()) != 0) {
        const int code = errno;
        switch (code) {
        case EEXIST:
        case ENOTEMPTY:
            return fail(QStringLiteral("原处在放回前的一刻出现了同名项目，为免覆盖，未放回。"), code);
        case EXDEV:
            return fail(QStringLiteral("原来的位置现在位于另一个文件系统，为免跨磁盘复制，未放回。"), code);
        case ENOENT:
            return fail(QStringLiteral("已不在废纸篓中，未放回。"), code);
        default:
            return fail(QStringLiteral("无法放回（%1），未放回。").arg(reasonText(code)), code);
        }
    }
    struct stat moved { };
    if (calls.fstatat(parent.get(), leaf.constData(), &moved, AT_SYMLINK_NOFOLLOW) != 0 || !sameObject(moved, st)) {
        // Another object took the item's name in the Trash in the instant before the move.
        if (calls.renameNoReplaceAt(parent.get(), leaf.constData(), items.get(), name.constData()) == 0)
            return fail(
                QStringLiteral("废纸篓中的它在放回前的一刻被另一个项目替换，那个项目已留回废纸篓，未放回。"), ESTALE);
        outcome.restored = true;
        outcome.message = QStringLiteral(
            "在放回前的一刻，废纸篓中的它被另一个项目替换，放回原处的是那个项目，未能把它送回废纸篓，请核对原处。");
        return outcome;
    }

    QStringList warnings;
    if (created > 0)
        warnings.append(QStringLiteral("重建了 %1 个文件夹").arg(created));
    if (freedesktop) {
        // The trash's bookkeeping: its info file goes, and its folder-size line.
        if (calls.unlinkOwnFileAt(info.get(), (name + kInfoSuffix).constData()) != 0 && errno != ENOENT)
            warnings.append(QStringLiteral("它在废纸篓中的信息文件未能删除"));
        const bool sizesKept = rewriteDirectorySizes(calls, root.get(), [&name](const QByteArray &current) {
            QByteArray kept;
            bool dropped = false;
            for (const QByteArray &line : current.split('\n')) {
                if (line.isEmpty())
                    continue;
                if (parseDirectorySizes(line).contains(name)) {
                    dropped = true;
                    continue;
                }
                kept += line + '\n';
            }
            return dropped ? kept : current;
        });
        if (!sizesKept)
            warnings.append(QStringLiteral("废纸篓的文件夹大小记录未能更新"));
    }
    outcome.restored = true;
    outcome.message = warnings.isEmpty()
        ? QStringLiteral("已放回原处。")
        : QStringLiteral("已放回原处（%1）。").arg(warnings.join(QStringLiteral("；")));
    return outcome;
}

} // namespace Morvane
