#pragma once

#include <QString>

namespace Morvane {

/// A short Chinese reason for a system error number, for notices and notes: the
/// system's own text follows the process locale, which is often English.
[[nodiscard]] QString systemErrorText(int code);

} // namespace Morvane
