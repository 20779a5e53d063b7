#include "core/Scanner.h"

namespace Morvane {

ScanResult Scanner::scan(ScanKind kind, const QString &largeDirectory, const FileQuery &query,
                         const ProgressFn &progress, const CancellationToken &cancel) const
{
    Q_UNUSED(largeDirectory);
    Q_UNUSED(query);
    cancel.throwIfCancelled();
    if (progress)
        progress(QStringLiteral("正在准备扫描"), 0);
    // The scanning engine is not built yet: say so honestly instead of pretending the
    // scope was checked.
    ScanResult result;
    result.kind = kind;
    result.date = m_configuration.now.isValid() ? m_configuration.now : QDateTime::currentDateTimeUtc();
    result.scopeNotes.append(QStringLiteral("此类扫描尚未实现，没有检查任何位置。"));
    result.coverage.append({FileCategory::other, std::uint8_t(CoverageState::notScanned), 0});
    return result;
}

} // namespace Morvane
