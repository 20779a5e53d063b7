#pragma once

#include "core/Vocabulary.h"

#include <QObject>
#include <QString>

namespace Varnoll {

/// The platform's texts that the views place as they are (see core/Vocabulary.h): the
/// window reads "回收站" and "文件管理器" on Linux, "废纸篓" and "Finder" on macOS.
class PlatformWords : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString brandLine READ brandLine CONSTANT)
    Q_PROPERTY(QString sidebarSection READ sidebarSection CONSTANT)
    Q_PROPERTY(QString sidebarReassurance READ sidebarReassurance CONSTANT)
    Q_PROPERTY(QString overviewTitle READ overviewTitle CONSTANT)
    Q_PROPERTY(QString overviewFooter READ overviewFooter CONSTANT)
    Q_PROPERTY(QString selectionHint READ selectionHint CONSTANT)
    Q_PROPERTY(QString reveal READ reveal CONSTANT)
    Q_PROPERTY(QString spaceHint READ spaceHint CONSTANT)
    Q_PROPERTY(QString spaceMapHint READ spaceMapHint CONSTANT)
    Q_PROPERTY(QString associatedWarning READ associatedWarning CONSTANT)
    Q_PROPERTY(QString diagnosticsWarning READ diagnosticsWarning CONSTANT)
    Q_PROPERTY(QString diagnosticsReveal READ diagnosticsReveal CONSTANT)
    Q_PROPERTY(QString reviewTitle READ reviewTitle CONSTANT)
    Q_PROPERTY(QString reviewFootnote READ reviewFootnote CONSTANT)
    Q_PROPERTY(QString reviewConfirm READ reviewConfirm CONSTANT)
    Q_PROPERTY(QString historySubtitle READ historySubtitle CONSTANT)
    Q_PROPERTY(QString openTrash READ openTrash CONSTANT)
    Q_PROPERTY(QString madeFor READ madeFor CONSTANT)

public:
    explicit PlatformWords(Morvane::RulePlatform platform = Morvane::hostRulePlatform(), QObject *parent = nullptr)
        : QObject(parent)
        , m_words(Morvane::vocabulary(platform))
    {
    }

    [[nodiscard]] QString brandLine() const { return m_words.brandLine; }
    [[nodiscard]] QString sidebarSection() const { return m_words.sidebarSection; }
    [[nodiscard]] QString sidebarReassurance() const { return m_words.sidebarReassurance; }
    [[nodiscard]] QString overviewTitle() const { return m_words.overviewTitle; }
    [[nodiscard]] QString overviewFooter() const { return m_words.overviewFooter; }
    [[nodiscard]] QString selectionHint() const { return m_words.selectionHint; }
    [[nodiscard]] QString reveal() const { return m_words.reveal; }
    [[nodiscard]] QString spaceHint() const { return m_words.spaceHint; }
    [[nodiscard]] QString spaceMapHint() const { return m_words.spaceMapHint; }
    [[nodiscard]] QString associatedWarning() const { return m_words.associatedWarning; }
    [[nodiscard]] QString diagnosticsWarning() const { return m_words.diagnosticsWarning; }
    [[nodiscard]] QString diagnosticsReveal() const { return m_words.diagnosticsReveal; }
    [[nodiscard]] QString reviewTitle() const { return m_words.reviewTitle; }
    [[nodiscard]] QString reviewFootnote() const { return m_words.reviewFootnote; }
    [[nodiscard]] QString reviewConfirm() const { return m_words.reviewConfirm; }
    [[nodiscard]] QString historySubtitle() const { return m_words.historySubtitle; }
    [[nodiscard]] QString openTrash() const { return m_words.openTrash; }
    [[nodiscard]] QString madeFor() const { return m_words.madeFor; }

private:
    const Morvane::Vocabulary &m_words;
};

} // namespace Varnoll
