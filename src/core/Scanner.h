#pragma once

#include "core/Errors.h"
#include "core/Records.h"

namespace Morvane {

/// Runs scans with one fixed configuration.
class Scanner {
public:
    explicit Scanner(ScanConfiguration configuration)
        : m_configuration(std::move(configuration))
    {
    }

    /// Runs one scan of `kind`. The file kinds work in `largeDirectory`. Blocks the
    /// calling thread (never call it on the UI thread); calls `progress` from it a
    /// limited number of times a second. Throws CancellationError once `cancel` is
    /// set, ScanError when the scan cannot run at all.
    [[nodiscard]] ScanResult scan(ScanKind kind, const QString &largeDirectory, const FileQuery &query,
        const ProgressFn &progress, const CancellationToken &cancel) const;

    [[nodiscard]] const ScanConfiguration &configuration() const { return m_configuration; }

private:
    ScanConfiguration m_configuration;
};

} // namespace Morvane
