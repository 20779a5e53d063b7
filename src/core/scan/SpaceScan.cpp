// The space analysis: everything below the chosen folder in one tree, so that any
// folder inside it can be shown afterwards without a second walk.

#include "core/scan/FolderScan.h"
#include "core/scan/KindScans.h"
#include "core/scan/SpaceTree.h"

namespace Morvane {

ScanResult scanSpace(const ScanConfiguration &configuration, const QString &directory, const FileQuery &,
    const ProgressFn &progress, const CancellationToken &cancel)
{
    FolderScan scan(ScanKind::space, FileCategory::spaceItem, configuration, directory, progress, cancel);
    // Everything below the folder goes into one tree (folders, files and link names,
    // each counted in every place it appears), so that any folder inside it can be
    // shown afterwards without a second walk.
    SpaceWalkRecorder tree(scan.directory(), scan.threads());
    const bool walked = scan.walk(
        QStringLiteral("正在统计空间占用"),
        [&](const WalkEntry &e) {
            if (scan.ignores(e.path)) {
                tree.ignored(e);
                return Visit::skipChildren;
            }
            tree.visit(e);
            return Visit::descend;
        },
        [&](const WalkProblem &p) { tree.problem(p); },
        [&](std::string_view path, bool complete) { tree.folderListed(path, complete); });
    if (!walked)
        return scan.result();
    scan.context().sampler.setPhase(QStringLiteral("正在整理统计结果"));
    scan.context().sampler.flush();
    SpaceTree::Facts facts;
    facts.root = scan.directory();
    facts.home = configuration.home;
    facts.date = configuration.now;
    facts.visitLimit = configuration.visitLimit;
    facts.timeLimit = configuration.timeLimit;
    ScanResult result = tree.finish(std::move(facts), scan.report())->level(SpaceTree::rootIndex);
    cancel.throwIfCancelled();
    return result;
}

} // namespace Morvane
