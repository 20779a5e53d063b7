// The system's own move to Trash, so that Finder's Put Back works. Built only for
// Apple platforms (see src/core/CMakeLists.txt); Linux uses FreedesktopTrash.
#include "core/trash/Trash.h"

#include "core/Identity.h"
#include "core/Paths.h"
#include "core/Platform.h"
#include "core/Posix.h"

#import <Foundation/Foundation.h>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>

namespace Morvane {

namespace {

bool sameObject(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

// The system's move takes a URL, not a folder handle. So the item is named by the
// path at which the system finds its judged folder handle right now (F_GETPATH), and
// that path is checked to lead to the very object judged just before it is handed
// over. The window that remains: between that last check and the system's own lookup
// of the URL a folder on the way could be swapped, and the system would move what the
// path names at that instant. The result is checked afterwards and reported.
TrashOutcome moveToPlatformTrash(const TrashItem &item)
{
    TrashOutcome outcome;
    auto fail = [&outcome](const QString &text, int code) {
        outcome.error = QStringLiteral("无法移到废纸篓：") + text + u'。';
        outcome.errorCode = code;
        return outcome;
    };
    const std::optional<QByteArray> folder = folderPathOf(item.folder);
    if (!folder)
        return fail(QStringLiteral("无法确定它所在的位置"), ENOENT);
    const QByteArray bytes = *folder + (folder->endsWith('/') ? "" : "/") + item.name;
    struct stat now { };
    if (::fstatat(item.folder, item.name.constData(), &now, AT_SYMLINK_NOFOLLOW) != 0 || !sameObject(now, item.st)
        || ::lstat(bytes.constData(), &now) != 0 || !sameObject(now, item.st))
        return fail(QStringLiteral("它在检查之后被移动或替换，保留原处"), ESTALE);
    @autoreleasepool {
        NSString *string = [[NSFileManager defaultManager] stringWithFileSystemRepresentation:bytes.constData()
                                                                                       length:NSUInteger(bytes.size())];
        NSURL *url = [NSURL fileURLWithPath:string isDirectory:S_ISDIR(item.st.st_mode)];
        NSURL *resulting = nil;
        NSError *error = nil;
        if ([[NSFileManager defaultManager] trashItemAtURL:url resultingItemURL:&resulting error:&error]) {
            outcome.moved = true;
            if (resulting) {
                outcome.trashedPath = pathFromBytes(QByteArray(resulting.fileSystemRepresentation));
                struct stat moved { };
                if (::lstat(resulting.fileSystemRepresentation, &moved) != 0 || !sameObject(moved, item.st))
                    outcome.warning = QStringLiteral("移到废纸篓的项目与检查时的不是同一个，请在废纸篓中核对");
                else
                    outcome.trashedIdentity = TrashedIdentity { fingerprintFromStat(moved), S_ISDIR(moved.st_mode) };
            }
        } else {
            outcome.error = QStringLiteral("无法移到废纸篓：")
                + QString::fromNSString(error.localizedDescription ?: @"未知错误") + u'。';
            outcome.errorCode = int(error.code);
        }
    }
    return outcome;
}

QString homeTrashFilesFolder()
{
    return joinPath(userHomeDirectory(), QStringLiteral(".Trash"));
}

} // namespace Morvane
