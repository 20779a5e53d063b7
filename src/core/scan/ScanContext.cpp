#include "core/scan/ScanContext.h"

#include "core/Vocabulary.h"

namespace Morvane {

ScanContext::ScanContext(
    ScanKind kind, const ScanConfiguration &configuration, const ProgressFn &progress, const CancellationToken &cancel)
    : configuration(configuration)
    , sampler(progress, configuration.home)
    , cancel(cancel)
    , m_deadline(std::chrono::steady_clock::now()
          + std::chrono::milliseconds(std::int64_t(std::max(0.0, configuration.timeLimit) * 1000.0)))
    , m_entriesLeft(std::max(0, configuration.entryLimit))
{
    result.kind = kind;
    result.date = configuration.now;
}

WalkOptions ScanContext::walkOptions()
{
    WalkOptions options;
    options.deadline = m_deadline;
    options.cancel = &cancel;
    options.progress = &sampler;
    options.excluded = trash;
    options.calls = configuration.walkCalls;
    return options;
}

void ScanContext::addCoverage(FileCategory category, CoverageState state, std::int64_t examined)
{
    result.coverage.append({ category, state, examined });
}

QString trashSkippedNote(std::int64_t count, const QStringList &samples, const QString &home)
{
    if (count < 1)
        return {};
    QStringList shown;
    for (const QString &s : samples.mid(0, 3))
        shown.append(homeShortened(s, home));
    return trashWorded(QStringLiteral("未进入废纸篓（%1），其中的项目不会列出。"))
        .arg(shown.join(QStringLiteral("、")));
}

} // namespace Morvane
