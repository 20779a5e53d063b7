#pragma once

#include "core/Records.h"
#include "core/UserFolders.h"

#include <QList>
#include <QString>
#include <QStringList>

// What the scans cover, in words, for the settings page's rule list and the rules
// sheet ("扫描范围与规则"). On Linux the texts are made from the rule tables the scans
// themselves read, with the user's own folders, so that the window says exactly what
// the scans do. On macOS they are the product's fixed wording.
namespace Varnoll::RuleTexts {

/// The folders of this user that the texts name.
struct Places {
    QString home;
    Morvane::BaseDirectories bases;
    QStringList applicationDirectories;
    QString downloadFolder;
};

struct Rule {
    QString title;
    QString description;
};

/// The settings page's rules, in the order the page shows them.
[[nodiscard]] QList<Rule> settingsRules(Morvane::RulePlatform platform, const Places &places);

/// The rules sheet's paragraphs under its title, in order (on Linux, the settings
/// page's rules first, then the file tools, the limits and the promises).
[[nodiscard]] QStringList policyParagraphs(Morvane::RulePlatform platform, const Places &places);

} // namespace Varnoll::RuleTexts
