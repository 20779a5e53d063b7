#pragma once

#include "core/Enums.h"
#include "core/Records.h"

#include <QList>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace Morvane {

// The junk rules as data: where to look, how old an item must be, which tools must not
// run, and which caches are never offered. One table per platform; tests walk every row.

enum class JunkShape : std::uint8_t {
    children, // the location is a root: its children (or their qualifying descendants) are items
    items, // the location's children whose names match `names` are items
    search, // below the location, names matching `names` are log folders (roots) or log files (items)
    tagged, // below the location, folders holding a valid CACHEDIR.TAG are items
};

struct JunkLocation {
    FileCategory category;
    QString location; // relative to `base`; "*" stands for one folder name; empty: the base itself
    JunkShape shape;
    QStringList names; // wildcards, case-insensitive (items, search)
    int ageDays;
    QString label; // what the rule is called in details, notes and the rule texts
    QStringList tools; // identifiers (wildcards) of the tool that writes it: skipped while one runs
    bool exclusions; // apply the exclusion classes to the names of its children (and "*" parts)
    // Where `location` starts: the home folder, or an XDG base directory (its set
    // folder and its default place in the home folder).
    std::optional<BaseDirectory> base = std::nullopt;
};

enum class ExclusionClass : std::uint8_t { chat, browser, wallet, system, running };

[[nodiscard]] QString exclusionClassName(ExclusionClass cls);

struct JunkExclusion {
    QString pattern; // wildcard, case-insensitive, matched against a cache folder's name
    ExclusionClass cls;
};

struct JunkRuleSet {
    QList<JunkLocation> locations;
    QList<JunkExclusion> exclusions;
};

[[nodiscard]] const JunkRuleSet &junkRules(RulePlatform platform);

/// The folders a row's `location` starts from: the home folder, or each folder of its
/// base directory.
[[nodiscard]] QStringList locationBases(const JunkLocation &row, const QString &home, const BaseDirectories &bases);

/// The places a row looks at as people read them, "*" left as it is:
/// "~/.cache/pip", "~/.local/share/xorg 中的 *.log*", "~/.xsession-errors.old",
/// "主目录下 5 层以内带 CACHEDIR.TAG 标记的文件夹".
[[nodiscard]] QStringList shownLocations(const JunkLocation &row, const QString &home, const BaseDirectories &bases);

/// One category's places as people read them, grouped by the rows' labels in table
/// order, a tool's label before its places: "Gradle 缓存 ~/.gradle/caches；pip 缓存
/// /data/cache/pip 与 ~/.cache/pip".
[[nodiscard]] QString describeCategory(
    const JunkRuleSet &rules, FileCategory category, const QString &home, const BaseDirectories &bases);

/// The age a category's rows ask for, when they all ask for the same; none otherwise.
[[nodiscard]] std::optional<int> categoryAge(const JunkRuleSet &rules, FileCategory category);

/// How deep below the home folder the search for CACHEDIR.TAG folders goes.
inline constexpr int cacheTagSearchDepth = 5;

/// Decides whether a cache folder's name belongs to an excluded class.
class ExclusionMatcher {
public:
    ExclusionMatcher(const QList<JunkExclusion> &exclusions, const QSet<QString> &running);
    [[nodiscard]] std::optional<ExclusionClass> classify(const QString &name) const;

private:
    QList<QPair<QRegularExpression, ExclusionClass>> m_patterns;
    QSet<QString> m_running; // lower case
    QSet<QString> m_runningShort; // last part of reverse-DNS identifiers, lower case
};

/// True when a running identifier matches one of the wildcard `tools`.
[[nodiscard]] bool toolIsRunning(const QStringList &tools, const QSet<QString> &running, QString *which = nullptr);

/// Matches a name against wildcards, case-insensitively.
[[nodiscard]] bool matchesAnyWildcard(const QString &name, const QStringList &wildcards);

/// The signature line a valid CACHEDIR.TAG starts with.
inline constexpr char cacheDirTagSignature[] = "Signature: 8a477f597d28d172789f06886806bc55";

} // namespace Morvane
