#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <utility>

namespace Varnoll {

class CleanerModel;

/// What the window shows that is composed from the model: texts, which regions are
/// present and which controls are enabled. The views only place and bind these.
/// Each group of properties shares one change signal, raised when any of the model
/// values it is derived from changes. UI thread only.
class ViewState : public QObject {
    Q_OBJECT
    // Shell and page frame.
    Q_PROPERTY(QString contentView READ contentView NOTIFY pageStateChanged)
    Q_PROPERTY(int sidebarPage READ sidebarPage NOTIFY pageStateChanged)
    Q_PROPERTY(bool canRescan READ canRescan NOTIFY pageStateChanged)
    Q_PROPERTY(bool sheetShown READ sheetShown NOTIFY pageStateChanged)
    Q_PROPERTY(bool showsJunkDot READ showsJunkDot NOTIFY junkStateChanged)
    Q_PROPERTY(QString pageSymbol READ pageSymbol NOTIFY pageStateChanged)
    Q_PROPERTY(QString description READ description NOTIFY pageStateChanged)
    Q_PROPERTY(bool isFilePage READ isFilePage NOTIFY pageStateChanged)
    Q_PROPERTY(bool showsFolderBar READ showsFolderBar NOTIFY pageStateChanged)
    Q_PROPERTY(bool showsParentButton READ showsParentButton NOTIFY pageStateChanged)
    Q_PROPERTY(bool showsFilterPanel READ showsFilterPanel NOTIFY pageStateChanged)
    Q_PROPERTY(bool showsCategoryCards READ showsCategoryCards NOTIFY pageStateChanged)
    Q_PROPERTY(QString filterSummary READ filterSummary NOTIFY pageStateChanged)
    Q_PROPERTY(QString introTitle READ introTitle NOTIFY pageStateChanged)
    Q_PROPERTY(QString introSubtitle READ introSubtitle NOTIFY pageStateChanged)
    Q_PROPERTY(bool introShowsSteps READ introShowsSteps NOTIFY pageStateChanged)
    Q_PROPERTY(QString introSteps READ introSteps CONSTANT)
    Q_PROPERTY(QString body READ body NOTIFY pageStateChanged)
    Q_PROPERTY(QString itemList READ itemList NOTIFY itemListChanged)
    Q_PROPERTY(bool showsSelectionBar READ showsSelectionBar NOTIFY itemListChanged)
    // Progress.
    Q_PROPERTY(QString examinedText READ examinedText NOTIFY progressStateChanged)
    Q_PROPERTY(bool showsCancel READ showsCancel NOTIFY progressStateChanged)
    // Folder bar.
    Q_PROPERTY(QString folderTitle READ folderTitle NOTIFY folderStateChanged)
    Q_PROPERTY(QString folderPath READ folderPath NOTIFY folderStateChanged)
    Q_PROPERTY(bool canGoToParent READ canGoToParent NOTIFY folderStateChanged)
    // Result.
    Q_PROPERTY(QString outcomeText READ outcomeText NOTIFY resultStateChanged)
    Q_PROPERTY(QString totalText READ totalText NOTIFY resultStateChanged)
    Q_PROPERTY(bool hasIncompleteCoverage READ hasIncompleteCoverage NOTIFY resultStateChanged)
    Q_PROPERTY(QStringList scopeNotes READ scopeNotes NOTIFY resultStateChanged)
    Q_PROPERTY(QString scopeNotesTitle READ scopeNotesTitle NOTIFY resultStateChanged)
    Q_PROPERTY(int diagnosticCount READ diagnosticCount NOTIFY resultStateChanged)
    Q_PROPERTY(QString resultTime READ resultTime NOTIFY resultStateChanged)
    Q_PROPERTY(QString emptyTitle READ emptyTitle NOTIFY resultStateChanged)
    Q_PROPERTY(QString emptySymbol READ emptySymbol NOTIFY resultStateChanged)
    Q_PROPERTY(QVariantList categoryCards READ categoryCards NOTIFY resultStateChanged)
    // Selection.
    Q_PROPERTY(QString selectionHeadline READ selectionHeadline NOTIFY selectionStateChanged)
    Q_PROPERTY(bool hasSelection READ hasSelection NOTIFY selectionStateChanged)
    Q_PROPERTY(QString reviewSummary READ reviewSummary NOTIFY selectionStateChanged)
    Q_PROPERTY(bool reviewShowsDuplicateRule READ reviewShowsDuplicateRule NOTIFY pageStateChanged)
    // Overview.
    Q_PROPERTY(QString capacityText READ capacityText NOTIFY diskStateChanged)
    Q_PROPERTY(QString trashTitle READ trashTitle CONSTANT)
    Q_PROPERTY(QString trashUsage READ trashUsage NOTIFY trashStateChanged)
    Q_PROPERTY(bool trashMeasuring READ trashMeasuring NOTIFY trashStateChanged)
    Q_PROPERTY(QString trashHint READ trashHint CONSTANT)
    Q_PROPERTY(QString trashLineName READ trashLineName NOTIFY trashStateChanged)
    Q_PROPERTY(QString openTrashLabel READ openTrashLabel CONSTANT)
    // Sidebar.
    Q_PROPERTY(QString versionText READ versionText CONSTANT)
    Q_PROPERTY(QVariantList mainPages READ mainPages CONSTANT)
    Q_PROPERTY(QVariantList filePages READ filePages CONSTANT)

public:
    /// `version` is the application's short version; empty when it has none.
    ViewState(CleanerModel *model, QString version, QObject *parent = nullptr);

    [[nodiscard]] QString contentView() const;
    /// The page whose sidebar entry is drawn selected (a Page value), -1 for none.
    [[nodiscard]] int sidebarPage() const;
    /// False while a sheet is shown: the page's commands wait behind it.
    [[nodiscard]] bool canRescan() const;
    /// The review or the policy sheet is shown.
    [[nodiscard]] bool sheetShown() const;
    [[nodiscard]] bool showsJunkDot() const;
    [[nodiscard]] QString pageSymbol() const;
    [[nodiscard]] QString description() const;
    [[nodiscard]] bool isFilePage() const;
    [[nodiscard]] bool showsFolderBar() const;
    [[nodiscard]] bool showsParentButton() const;
    [[nodiscard]] bool showsFilterPanel() const;
    [[nodiscard]] bool showsCategoryCards() const;
    [[nodiscard]] QString filterSummary() const;
    [[nodiscard]] QString introTitle() const;
    [[nodiscard]] QString introSubtitle() const;
    [[nodiscard]] bool introShowsSteps() const;
    [[nodiscard]] QString introSteps() const;
    /// Which body a results page shows: "progress", "result" or "introduction".
    [[nodiscard]] QString body() const;
    /// Which item list a results page shows: "applications", "duplicates" and "space"
    /// have their own; every other scan page has the plain list ("plain").
    [[nodiscard]] QString itemList() const;
    /// The space page, read-only, has no selection bar.
    [[nodiscard]] bool showsSelectionBar() const;
    [[nodiscard]] QString examinedText() const;
    [[nodiscard]] bool showsCancel() const;
    [[nodiscard]] QString folderTitle() const;
    [[nodiscard]] QString folderPath() const;
    [[nodiscard]] bool canGoToParent() const;
    [[nodiscard]] QString outcomeText() const;
    [[nodiscard]] QString totalText() const;
    [[nodiscard]] bool hasIncompleteCoverage() const;
    [[nodiscard]] QStringList scopeNotes() const;
    [[nodiscard]] QString scopeNotesTitle() const;
    [[nodiscard]] int diagnosticCount() const;
    [[nodiscard]] QString resultTime() const;
    [[nodiscard]] QString emptyTitle() const;
    [[nodiscard]] QString emptySymbol() const;
    /// The junk page's three cards: raw, title, symbol, amount, coverage, selected.
    [[nodiscard]] QVariantList categoryCards() const;
    [[nodiscard]] QString selectionHeadline() const;
    [[nodiscard]] bool hasSelection() const;
    [[nodiscard]] QString reviewSummary() const;
    [[nodiscard]] bool reviewShowsDuplicateRule() const;
    [[nodiscard]] QString capacityText() const;
    [[nodiscard]] QString trashTitle() const;
    [[nodiscard]] QString trashUsage() const;
    [[nodiscard]] bool trashMeasuring() const;
    [[nodiscard]] QString trashHint() const;
    [[nodiscard]] QString trashLineName() const;
    [[nodiscard]] QString openTrashLabel() const;
    [[nodiscard]] QString versionText() const;
    /// Sidebar entries and file tabs: page, title and symbol of each, in order.
    [[nodiscard]] QVariantList mainPages() const;
    [[nodiscard]] QVariantList filePages() const;
    Q_INVOKABLE QString titleOf(int page) const;
    Q_INVOKABLE QString symbolOf(int page) const;
    /// What a screen reader says for an object shown as several texts (a row's name,
    /// size and folder): the non-empty parts in order, as one sentence.
    Q_INVOKABLE QString spoken(const QStringList &parts) const;

    /// A category card was pressed: it filters the list, or clears the filter when it
    /// was already the filter.
    Q_INVOKABLE void pressCategory(int raw);
    /// Shows the entry of the current result in the file manager.
    Q_INVOKABLE void revealEntry(const QString &id);

Q_SIGNALS:
    void pageStateChanged();
    void itemListChanged();
    void junkStateChanged();
    void progressStateChanged();
    void folderStateChanged();
    void resultStateChanged();
    void selectionStateChanged();
    void diskStateChanged();
    void trashStateChanged();

private:
    /// Count and size of the selected entries of the current result.
    [[nodiscard]] std::pair<qsizetype, qint64> selectionTotals() const;

    CleanerModel *m_model;
    QString m_version;
};

} // namespace Varnoll
