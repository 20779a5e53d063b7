#include "core/Scanner.h"

#include "core/Paths.h"
#include "core/scan/KindScans.h"

namespace Morvane {

namespace {

// The clean-up moves an entry only while it still lies below the folder it was found
// in; record that folder wherever a scan left it open.
QString scopeFor(
    const QString &path, ScanKind kind, const ScanConfiguration &configuration, const QString &largeDirectory)
{
    switch (kind) {
    case ScanKind::largeFiles:
    case ScanKind::duplicates:
    case ScanKind::space:
    case ScanKind::installers:
        return lexicallyNormal(largeDirectory);
    case ScanKind::applications:
        for (const QString &folder : configuration.applicationDirectories) {
            const QString normal = lexicallyNormal(folder);
            if (path != normal && isSameOrInside(path, normal))
                return normal;
        }
        break;
    case ScanKind::junk:
    case ScanKind::browser:
    case ScanKind::systemJunk:
        break;
    }
    return lexicallyNormal(configuration.home);
}

void assignScopes(
    QList<FileEntry> &entries, ScanKind kind, const ScanConfiguration &configuration, const QString &largeDirectory)
{
    for (FileEntry &entry : entries) {
        if (entry.scope.isEmpty())
            entry.scope = scopeFor(entry.path, kind, configuration, largeDirectory);
    }
}

ScanResult withScopes(ScanResult result, const ScanConfiguration &configuration, const QString &largeDirectory)
{
    assignScopes(result.entries, result.kind, configuration, largeDirectory);
    assignScopes(result.ownerApplications, result.kind, configuration, largeDirectory);
    for (DuplicateGroup &group : result.duplicateGroups)
        assignScopes(group.files, result.kind, configuration, largeDirectory);
    return result;
}

ScanResult runKind(ScanKind kind, const ScanConfiguration &configuration, const QString &largeDirectory,
    const FileQuery &query, const ProgressFn &progress, const CancellationToken &cancel)
{
    switch (kind) {
    case ScanKind::junk:
        return scanJunk(configuration, progress, cancel);
    case ScanKind::applications:
        return scanApplications(configuration, progress, cancel);
    case ScanKind::largeFiles:
        return scanLargeFiles(configuration, largeDirectory, query, progress, cancel);
    case ScanKind::duplicates:
        return scanDuplicates(configuration, largeDirectory, query, progress, cancel);
    case ScanKind::space:
        return scanSpace(configuration, largeDirectory, query, progress, cancel);
    case ScanKind::installers:
        return scanInstallers(configuration, largeDirectory, query, progress, cancel);
    case ScanKind::browser:
    case ScanKind::systemJunk:
        return scanUnoffered(kind, configuration);
    }
    throw ScanError(QStringLiteral("未知的扫描类型。"));
}

} // namespace

ScanResult Scanner::scan(ScanKind kind, const QString &largeDirectory, const FileQuery &query,
    const ProgressFn &progress, const CancellationToken &cancel) const
{
    cancel.throwIfCancelled();
    ScanConfiguration configuration = m_configuration;
    if (!configuration.now.isValid())
        configuration.now = QDateTime::currentDateTimeUtc();
    return withScopes(
        runKind(kind, configuration, largeDirectory, query, progress, cancel), configuration, largeDirectory);
}

} // namespace Morvane
