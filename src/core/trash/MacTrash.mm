// The system's own move to Trash, so that Finder's Put Back works. Built only for
// Apple platforms (see src/core/CMakeLists.txt); Linux uses FreedesktopTrash.
#include "core/trash/Trash.h"

#include "core/Paths.h"
#include "core/Platform.h"

#import <Foundation/Foundation.h>

namespace Morvane {

TrashOutcome moveToPlatformTrash(const QString &path)
{
    TrashOutcome outcome;
    @autoreleasepool {
        const QByteArray bytes = pathToBytes(path);
        NSString *string = [[NSFileManager defaultManager] stringWithFileSystemRepresentation:bytes.constData()
                                                                                       length:NSUInteger(bytes.size())];
        NSURL *url = [NSURL fileURLWithPath:string isDirectory:NO];
        NSURL *resulting = nil;
        NSError *error = nil;
        if ([[NSFileManager defaultManager] trashItemAtURL:url resultingItemURL:&resulting error:&error]) {
            outcome.moved = true;
            if (resulting)
                outcome.trashedPath = pathFromBytes(QByteArray(resulting.fileSystemRepresentation));
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
