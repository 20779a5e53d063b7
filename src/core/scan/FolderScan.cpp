#include "core/scan/FolderScan.h"

#include "core/Vocabulary.h"
#include "core/scan/TrashFolders.h"
#include "core/scan/WalkNotes.h"

namespace Morvane {

FolderScan::FolderScan(ScanKind kind, FileCategory category, const ScanConfiguration &configuration, QString directory,
    const ProgressFn &progress, const CancellationToken &cancel)
    : m_category(category)
    , m_context(kind, configuration, progress, cancel)
    , m_directory(std::move(directory))
{
    while (m_directory.size() > 1 && m_directory.endsWith(u'/'))
        m_directory.chop(1);
    for (const QString &ignored : configuration.ignoredPaths) {
        if (isSameOrInside(m_directory, ignored))
            m_rootIgnored = true;
        else if (isSameOrInside(ignored, m_directory))
            m_ignored.insert(pathToBytes(lexicallyNormal(ignored)).toStdString());
    }
}

bool FolderScan::walk(const QString &phase, const WalkVisitor &visit,
    std::function<void(const WalkProblem &)> onProblem, std::function<void(std::string_view, bool)> onFolderListed)
{
    const QString &home = m_context.configuration.home;
    ScanResult &result = m_context.result;
    m_context.cancel.throwIfCancelled();
    if (m_rootIgnored) {
        result.scopeNotes << QStringLiteral("所选文件夹在忽略列表中，没有检查。");
        setCoverage(CoverageState::skipped);
        return false;
    }
    const TrashFolders trash = findTrashFolders(home, m_directory);
    if (!trash.enclosing.isEmpty()) {
        result.scopeNotes << trashWorded(QStringLiteral("所选文件夹是废纸篓或位于废纸篓中，没有检查："))
                + homeShortened(trash.enclosing, home);
        setCoverage(CoverageState::skipped);
        return false;
    }
    m_context.sampler.setPhase(phase);
    m_context.trash = trash.folders;
    WalkOptions options = m_context.walkOptions();
    options.visitLimit = m_context.configuration.visitLimit;
    options.onProblem = std::move(onProblem);
    options.onFolderListed = std::move(onFolderListed);
    m_report = Morvane::walk(m_directory, visit, options);
    m_context.sampler.flush();
    result.examined = m_report.visited;
    if (m_report.stop == WalkStop::cancelled)
        throw CancellationError();
    if (m_report.root == RootState::ok)
        return true;
    addWalkNotes(result.scopeNotes, { m_directory, home, m_report, 0, 0, 0, std::nullopt });
    setCoverage(rootCoverage(m_report.root));
    return false;
}

void FolderScan::finish(bool incomplete)
{
    const ScanConfiguration &c = m_context.configuration;
    addWalkNotes(m_context.result.scopeNotes,
        { m_directory, c.home, m_report, m_ignoredHits.load(), c.visitLimit, c.timeLimit, std::nullopt });
    setCoverage(m_report.isComplete() && !incomplete ? CoverageState::complete : CoverageState::partial);
}

void FolderScan::setCoverage(CoverageState state)
{
    m_context.result.coverage.clear();
    m_context.addCoverage(m_category, state, m_report.visited);
}

QDateTime modificationDate(const Fingerprint &identity)
{
    return QDateTime::fromMSecsSinceEpoch(identity.modifiedNs / 1000000, Qt::UTC);
}

QString modifiedDetail(std::int64_t modifiedNs)
{
    return QStringLiteral("修改于 ")
        + QDateTime::fromMSecsSinceEpoch(modifiedNs / 1000000, Qt::UTC)
              .toLocalTime()
              .toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace Morvane
