#pragma once

#include <QString>

namespace Morvane {

/// Whether a path may be entered or acted on as lying inside a folder.
class PathSafety {
public:
    /// Returns when `path` lies strictly inside `inside` after "." and ".." are
    /// resolved, and neither the path nor any folder between `inside` and it is a
    /// symbolic link (the ancestors of `inside` are not judged). Throws
    /// PathSafetyError with a Chinese description otherwise.
    static void validate(const QString &path, const QString &inside);
};

} // namespace Morvane
