#include "core/scan/KindScans.h"

namespace Morvane {

ScanResult scanLargeFiles(const ScanConfiguration &configuration, const QString &, const FileQuery &,
                          const ProgressFn &, const CancellationToken &cancel)
{
    cancel.throwIfCancelled();
    return notImplementedResult(ScanKind::largeFiles, configuration);
}

ScanResult scanInstallers(const ScanConfiguration &configuration, const QString &, const FileQuery &,
                          const ProgressFn &, const CancellationToken &cancel)
{
    cancel.throwIfCancelled();
    return notImplementedResult(ScanKind::installers, configuration);
}

ScanResult scanDuplicates(const ScanConfiguration &configuration, const QString &, const FileQuery &,
                          const ProgressFn &, const CancellationToken &cancel)
{
    cancel.throwIfCancelled();
    return notImplementedResult(ScanKind::duplicates, configuration);
}

ScanResult scanSpace(const ScanConfiguration &configuration, const QString &, const FileQuery &, const ProgressFn &,
                     const CancellationToken &cancel)
{
    cancel.throwIfCancelled();
    return notImplementedResult(ScanKind::space, configuration);
}

} // namespace Morvane
