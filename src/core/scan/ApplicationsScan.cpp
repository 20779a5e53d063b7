#include "core/scan/KindScans.h"

namespace Morvane {

ScanResult scanApplications(const ScanConfiguration &configuration, const ProgressFn &,
                            const CancellationToken &cancel)
{
    cancel.throwIfCancelled();
    return notImplementedResult(ScanKind::applications, configuration);
}

} // namespace Morvane
