#include "core/Scanner.h"

#include "core/scan/KindScans.h"

namespace Morvane {

ScanResult Scanner::scan(ScanKind kind, const QString &largeDirectory, const FileQuery &query,
                         const ProgressFn &progress, const CancellationToken &cancel) const
{
    cancel.throwIfCancelled();
    ScanConfiguration configuration = m_configuration;
    if (!configuration.now.isValid())
        configuration.now = QDateTime::currentDateTimeUtc();
    switch (kind) {
    case ScanKind::junk: return scanJunk(configuration, progress, cancel);
    case ScanKind::applications: return scanApplications(configuration, progress, cancel);
    case ScanKind::largeFiles: return scanLargeFiles(configuration, largeDirectory, query, progress, cancel);
    case ScanKind::duplicates: return scanDuplicates(configuration, largeDirectory, query, progress, cancel);
    case ScanKind::space: return scanSpace(configuration, largeDirectory, query, progress, cancel);
    case ScanKind::installers: return scanInstallers(configuration, largeDirectory, query, progress, cancel);
    case ScanKind::browser:
    case ScanKind::systemJunk: return scanUnoffered(kind, configuration);
    }
    throw ScanError(QStringLiteral("未知的扫描类型。"));
}

} // namespace Morvane
