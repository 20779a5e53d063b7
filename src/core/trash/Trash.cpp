#include "core/trash/Trash.h"

#include "core/Paths.h"
#include "core/Platform.h"
#include "core/trash/FreedesktopTrash.h"

namespace Morvane {

// macOS: the system's own move to Trash lives in MacTrash.mm.
#ifndef Q_OS_MACOS
TrashOutcome moveToPlatformTrash(const TrashItem &item)
{
    return FreedesktopTrash().moveToTrash(item);
}

QString homeTrashFilesFolder()
{
    return joinPath(FreedesktopTrash::defaultHomeTrash(), QStringLiteral("files"));
}
#endif

} // namespace Morvane
