#pragma once

#include "core/Records.h"

#include <QList>
#include <QPair>
#include <QString>

namespace Morvane {

// Every text that differs by platform, in one table per platform: the words of the
// desktop (the Trash is 废纸篓 on macOS, 回收站 on Linux desktops; Finder is the file
// manager; the computer is a Mac or a 电脑) and the sentences built on them. The
// macOS texts are the product's original wording, unchanged. Texts with "%1" (and
// "%2") are filled with QString::arg. Both the core's messages and the window take
// their words from here; the product's name "VarnollMac清理" is a name, not a word.

#define MORVANE_VOCABULARY(X)                                                                                          \
    X(trash) /* the Trash, as a noun inside sentences */                                                               \
    X(brandLine) /* the small line under the brand in the sidebar */                                                   \
    X(sidebarSection)                                                                                                  \
    X(sidebarReassurance)                                                                                              \
    X(overviewTitle)                                                                                                   \
    X(overviewFooter)                                                                                                  \
    X(applicationsDescription)                                                                                         \
    X(selectionHint)                                                                                                   \
    X(reveal) /* the row menu item */                                                                                  \
    X(revealNamed) /* the space page's reveal button, "%1" the item's name */                                          \
    X(spaceHint)                                                                                                       \
    X(spaceMapHint) /* the same over the space map */                                                                  \
    X(associatedWarning) /* above an application's associated files */                                                 \
    X(diagnosticsWarning)                                                                                              \
    X(diagnosticsReveal)                                                                                               \
    X(reviewTitle)                                                                                                     \
    X(reviewFootnote)                                                                                                  \
    X(reviewConfirm)                                                                                                   \
    X(cleaningStatus)                                                                                                  \
    X(cleanedStatus) /* "%1" moved items */                                                                            \
    X(cleanedAll) /* "%1" moved items */                                                                               \
    X(cleanedSome) /* "%1" moved, "%2" left */                                                                         \
    X(finishingBeforeQuit)                                                                                             \
    X(historySubtitle)                                                                                                 \
    X(historyHeadline) /* "%1" moved items */                                                                          \
    X(openTrash)                                                                                                       \
    X(privacyHelp) /* the settings page's file-access text, with a settings button */                                  \
    X(privacyHelpWithoutSettings) /* the same where no settings tool is installed */                                   \
    X(madeFor)                                                                                                         \
    X(policyPromise)                                                                                                   \
    X(policyRecord)                                                                                                    \
    X(trashNotOpened) /* "%1" the Trash's folder */                                                                    \
    X(revealNotOpened) /* "%1" the folder that could not be shown */                                                   \
    X(settingsNotOpened)

struct Vocabulary {
#define MORVANE_VOCABULARY_FIELD(name) QString name;
    MORVANE_VOCABULARY(MORVANE_VOCABULARY_FIELD)
#undef MORVANE_VOCABULARY_FIELD

    /// Every text with its field name, in declaration order.
    [[nodiscard]] QList<QPair<QString, QString>> entries() const;
};

/// The texts of one platform; by default of the platform this program runs on.
[[nodiscard]] const Vocabulary &vocabulary(RulePlatform platform = hostRulePlatform());

/// `text` in this platform's words: the core's own messages are written with the
/// macOS word for the Trash, "废纸篓", which becomes "回收站" on Linux.
[[nodiscard]] QString trashWorded(QString text);

} // namespace Morvane
