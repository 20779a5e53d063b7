#pragma once

#include "core/walk/Walker.h"

namespace Morvane {

/// Replaces the walker's OS calls in the folder-based scans (large files, installers,
/// duplicates, space), so tests can make a folder unreadable even as root. Pass null
/// to restore the real calls. Not thread-safe; tests only.
void setFileScanWalkCalls(const WalkSystemCalls *calls);

} // namespace Morvane
