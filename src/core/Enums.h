#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>

namespace Morvane {

/// What one scan looks for. Raw values are stored and passed on the command line.
enum class ScanKind : std::uint8_t {
    junk = 0,
    applications = 1,
    largeFiles = 2,
    duplicates = 3,
    space = 4,
    installers = 5,
    browser = 6,
    systemJunk = 7,
};

inline constexpr std::array<ScanKind, 8> allScanKinds = {
    ScanKind::junk,
    ScanKind::applications,
    ScanKind::largeFiles,
    ScanKind::duplicates,
    ScanKind::space,
    ScanKind::installers,
    ScanKind::browser,
    ScanKind::systemJunk,
};

[[nodiscard]] QString scanKindName(ScanKind kind);
[[nodiscard]] std::optional<ScanKind> scanKindFromName(const QString &name);
[[nodiscard]] std::optional<ScanKind> scanKindFromRaw(int raw);

inline size_t qHash(ScanKind kind, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(kind), seed);
}

/// Category of a found item. The first three are the junk cards of the junk page.
enum class FileCategory : std::uint8_t {
    userCache = 0,
    logs = 1,
    developerCache = 2,
    application = 3,
    applicationData = 4,
    largeFile = 5,
    duplicate = 6,
    spaceItem = 7,
    installer = 8,
    browserData = 9,
    systemJunk = 10,
    other = 11,
};

inline constexpr int fileCategoryCount = 12;

[[nodiscard]] QString categoryTitle(FileCategory category);
/// A system symbol-image name; the window maps it to an icon.
[[nodiscard]] QString categorySymbol(FileCategory category);
[[nodiscard]] std::optional<FileCategory> fileCategoryFromRaw(int raw);

inline size_t qHash(FileCategory category, size_t seed = 0) noexcept
{
    return ::qHash(static_cast<int>(category), seed);
}

/// Type filter of the large-files scan; `all` (raw 0) means every type.
enum class FileTypeFilter : std::uint8_t {
    all = 0,
    documents = 1,
    images = 2,
    videos = 3,
    audio = 4,
    archives = 5, // archives and installers
};

inline constexpr std::array<FileTypeFilter, 6> allFileTypeFilters = {
    FileTypeFilter::all,
    FileTypeFilter::documents,
    FileTypeFilter::images,
    FileTypeFilter::videos,
    FileTypeFilter::audio,
    FileTypeFilter::archives,
};

[[nodiscard]] QString fileTypeFilterName(FileTypeFilter filter);
[[nodiscard]] std::optional<FileTypeFilter> fileTypeFilterFromName(const QString &name);
[[nodiscard]] std::optional<FileTypeFilter> fileTypeFilterFromRaw(int raw);

/// The browsers the application knows, with the identifiers they run under.
enum class BrowserKind : std::uint8_t {
    safari = 0,
    chrome = 1,
    firefox = 2,
    edge = 3,
    brave = 4,
    opera = 5,
    vivaldi = 6,
    arc = 7,
    chromium = 8,
};

inline constexpr std::array<BrowserKind, 9> allBrowserKinds = {
    BrowserKind::safari,
    BrowserKind::chrome,
    BrowserKind::firefox,
    BrowserKind::edge,
    BrowserKind::brave,
    BrowserKind::opera,
    BrowserKind::vivaldi,
    BrowserKind::arc,
    BrowserKind::chromium,
};

[[nodiscard]] QString browserDisplayName(BrowserKind browser);
/// Identifiers of the browser itself: macOS bundle identifiers, Linux desktop-file
/// IDs and Flatpak app IDs.
[[nodiscard]] QStringList browserIdentifiers(BrowserKind browser);
/// The browser an identifier belongs to, the browser's own or one of its helpers'.
[[nodiscard]] std::optional<BrowserKind> browserForIdentifier(const QString &identifier);
/// True when the browser owning `bundleID`, or one of its helper processes, is
/// among `running`. Helpers run under the browser's identifier followed by a dot
/// (com.google.Chrome.helper.Renderer) or under a known helper name.
[[nodiscard]] bool browserIsRunning(const QString &bundleID, const QSet<QString> &running);

} // namespace Morvane
