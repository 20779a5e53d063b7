#pragma once

#include "core/Errors.h"
#include "core/Records.h"

namespace Morvane {

// One entry point per scan kind; Scanner::scan dispatches here. Each blocks, checks
// `cancel` as it goes (throwing CancellationError) and keeps the configuration's
// budgets.

[[nodiscard]] ScanResult scanJunk(
    const ScanConfiguration &configuration, const ProgressFn &progress, const CancellationToken &cancel);
[[nodiscard]] ScanResult scanApplications(
    const ScanConfiguration &configuration, const ProgressFn &progress, const CancellationToken &cancel);
/// `browser` and `systemJunk`: no page offers them.
[[nodiscard]] ScanResult scanUnoffered(ScanKind kind, const ScanConfiguration &configuration);

[[nodiscard]] ScanResult scanLargeFiles(const ScanConfiguration &configuration, const QString &directory,
    const FileQuery &query, const ProgressFn &progress, const CancellationToken &cancel);
[[nodiscard]] ScanResult scanInstallers(const ScanConfiguration &configuration, const QString &directory,
    const FileQuery &query, const ProgressFn &progress, const CancellationToken &cancel);
[[nodiscard]] ScanResult scanDuplicates(const ScanConfiguration &configuration, const QString &directory,
    const FileQuery &query, const ProgressFn &progress, const CancellationToken &cancel);
[[nodiscard]] ScanResult scanSpace(const ScanConfiguration &configuration, const QString &directory,
    const FileQuery &query, const ProgressFn &progress, const CancellationToken &cancel);

/// A result that says honestly that nothing was checked (kinds not built yet).
[[nodiscard]] ScanResult notImplementedResult(ScanKind kind, const ScanConfiguration &configuration);

} // namespace Morvane
