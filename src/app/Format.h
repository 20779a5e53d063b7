#pragma once

#include "core/Records.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <optional>

namespace Varnoll {

/// The one byte-count format of the application: decimal units in file style
/// ("1.5 MB"), as a file browser shows sizes.
[[nodiscard]] QString formatBytes(std::int64_t bytes);

/// A row's size text: "≥ " before an incomplete size, "待统计" when nothing was
/// counted yet.
[[nodiscard]] QString sizeText(std::int64_t bytes, bool complete);

/// A path under `home` reads "~/…"; the home folder itself and other paths stay.
[[nodiscard]] QString abbreviateHome(const QString &path, const QString &home);

/// The locale of every date and time the window shows: Chinese (China), whatever the
/// system's locale, so that dates read like the Chinese around them.
[[nodiscard]] QLocale interfaceLocale();

/// The word for a coverage state; none reads "未扫描".
[[nodiscard]] QString coverageWord(std::optional<std::uint8_t> state);

} // namespace Varnoll
