#include "core/scan/KindScans.h"

namespace Morvane {

ScanResult scanJunk(const ScanConfiguration &configuration, const ProgressFn &, const CancellationToken &cancel)
{
    cancel.throwIfCancelled();
    return notImplementedResult(ScanKind::junk, configuration);
}

ScanResult scanUnoffered(ScanKind kind, const ScanConfiguration &configuration)
{
    return notImplementedResult(kind, configuration);
}

ScanResult notImplementedResult(ScanKind kind, const ScanConfiguration &configuration)
{
    ScanResult result;
    result.kind = kind;
    result.date = configuration.now.isValid() ? configuration.now : QDateTime::currentDateTimeUtc();
    result.scopeNotes.append(QStringLiteral("此类扫描尚未实现，没有检查任何位置。"));
    result.coverage.append({FileCategory::other, std::uint8_t(CoverageState::notScanned), 0});
    return result;
}

} // namespace Morvane
