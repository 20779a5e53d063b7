#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

namespace Varnoll {

/// The persisted preferences: the ignore list, in the order paths were added.
struct LocalPreferences {
    QStringList ignoredPaths;

    /// {"ignoredPaths":[...]}, compact, slashes escaped. A path that is not valid
    /// UTF-8 keeps its exact bytes as \udcXX escapes.
    [[nodiscard]] QByteArray toJson() const;
    /// Fails when the document is not an object with an "ignoredPaths" array of
    /// strings; other keys are ignored.
    [[nodiscard]] static std::optional<LocalPreferences> fromJson(const QByteArray &json);

    friend bool operator==(const LocalPreferences &, const LocalPreferences &) = default;
};

} // namespace Varnoll
