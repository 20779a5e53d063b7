#include "app/presentation/ViewState.h"

#include "app/CleanerModel.h"
#include "app/Format.h"
#include "app/presentation/PageTexts.h"
#include "app/presentation/Texts.h"
#include "core/Paths.h"

#include <QVariantMap>

namespace Varnoll {

using namespace Morvane;

ViewState::ViewState(CleanerModel *model, QString version, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_version(std::move(version))
{
    using M = CleanerModel;
    for (auto source : { &M::pageChanged, &M::busyChanged, &M::minimumSizeMBChanged, &M::olderThanDaysChanged,
             &M::fileTypeChanged, &M::currentResultChanged, &M::showReviewChanged, &M::showPolicyChanged })
        connect(model, source, this, &ViewState::pageStateChanged);
    connect(model, &M::pageChanged, this, &ViewState::itemListChanged);
    connect(model, &M::junkBytesChanged, this, &ViewState::junkStateChanged);
    for (auto source : { &M::statusChanged, &M::examinedChanged, &M::busyChanged, &M::activityChanged })
        connect(model, source, this, &ViewState::progressStateChanged);
    for (auto source : { &M::largeDirectoryChanged, &M::busyChanged })
        connect(model, source, this, &ViewState::folderStateChanged);
    for (auto source : { &M::currentResultChanged, &M::searchChanged, &M::categoryChanged })
        connect(model, source, this, &ViewState::resultStateChanged);
    connect(model, &M::selectionSummaryChanged, this, &ViewState::selectionStateChanged);
    connect(model, &M::diskChanged, this, &ViewState::diskStateChanged);
    connect(model, &M::trashUsageChanged, this, &ViewState::trashStateChanged);
}

QString ViewState::contentView() const
{
    switch (m_model->page()) {
    case Page::junk:
    case Page::applications:
    case Page::largeFiles:
    case Page::duplicates:
    case Page::space:
    case Page::installers:
        return QStringLiteral("results");
    case Page::history:
        return QStringLiteral("history");
    case Page::settings:
        return QStringLiteral("settings");
    default:
        return QStringLiteral("overview");
    }
}

int ViewState::sidebarPage() const
{
    const Page page = m_model->page();
    if (pageIsFilePage(page))
        return int(Page::largeFiles);
    if (Varnoll::mainPages().contains(page) || page == Page::history || page == Page::settings)
        return int(page);
    return -1;
}

bool ViewState::canRescan() const
{
    const Page page = m_model->page();
    return !m_model->busy() && !sheetShown() && pageIsVisible(page) && page != Page::history && page != Page::settings;
}

bool ViewState::sheetShown() const
{
    return m_model->showReview() || m_model->showPolicy();
}

bool ViewState::showsJunkDot() const
{
    return m_model->junkBytes() > 0;
}

QString ViewState::pageSymbol() const
{
    return Varnoll::pageSymbol(m_model->page());
}

QString ViewState::description() const
{
    return Texts::pageDescription(m_model->page());
}

bool ViewState::isFilePage() const
{
    return pageIsFilePage(m_model->page());
}

bool ViewState::showsFolderBar() const
{
    return isFilePage() || m_model->page() == Page::space;
}

bool ViewState::showsParentButton() const
{
    return m_model->page() == Page::space;
}

bool ViewState::showsFilterPanel() const
{
    return m_model->page() == Page::largeFiles || m_model->page() == Page::installers;
}

bool ViewState::showsCategoryCards() const
{
    return m_model->page() == Page::junk;
}

QString ViewState::filterSummary() const
{
    return Texts::filterSummary(
        m_model->page(), m_model->minimumSizeMB(), m_model->olderThanDays(), m_model->fileType());
}

QString ViewState::introTitle() const
{
    return Texts::introTitle(m_model->page());
}

QString ViewState::introSubtitle() const
{
    return Texts::introSubtitle(m_model->page());
}

bool ViewState::introShowsSteps() const
{
    return Texts::introShowsSteps(m_model->page());
}

QString ViewState::introSteps() const
{
    return Texts::introSteps();
}

QString ViewState::body() const
{
    if (m_model->busy())
        return QStringLiteral("progress");
    return m_model->hasCurrentResult() ? QStringLiteral("result") : QStringLiteral("introduction");
}

QString ViewState::examinedText() const
{
    return Texts::examinedText(m_model->examined());
}

bool ViewState::showsCancel() const
{
    return m_model->activity() != Activity::cleaning;
}

QString ViewState::itemList() const
{
    switch (m_model->page()) {
    case Page::applications:
        return QStringLiteral("applications");
    case Page::duplicates:
        return QStringLiteral("duplicates");
    case Page::space:
        return QStringLiteral("space");
    default:
        return QStringLiteral("plain");
    }
}

bool ViewState::showsSelectionBar() const
{
    return m_model->page() != Page::space;
}

QString ViewState::folderTitle() const
{
    return Texts::folderTitle(m_model->largeDirectory());
}

QString ViewState::folderPath() const
{
    return abbreviateHome(m_model->largeDirectory(), m_model->home());
}

bool ViewState::canGoToParent() const
{
    return !m_model->busy() && m_model->canGoToParent();
}

QString ViewState::outcomeText() const
{
    const auto result = m_model->currentResult();
    return result ? Texts::outcomeText(*result, abbreviateHome(m_model->largeDirectory(), m_model->home())) : QString();
}

QString ViewState::totalText() const
{
    const auto result = m_model->currentResult();
    return result ? Texts::totalText(*result, m_model->page()) : QString();
}

bool ViewState::hasIncompleteCoverage() const
{
    const auto result = m_model->currentResult();
    return result && result->hasIncompleteCoverage();
}

QStringList ViewState::scopeNotes() const
{
    const auto result = m_model->currentResult();
    return result ? result->scopeNotes : QStringList();
}

QString ViewState::scopeNotesTitle() const
{
    return Texts::scopeNotesTitle(scopeNotes().size());
}

int ViewState::diagnosticCount() const
{
    const auto result = m_model->currentResult();
    return result ? int(result->diagnostics.size()) : 0;
}

QString ViewState::resultTime() const
{
    const auto result = m_model->currentResult();
    return result ? Texts::hourMinute(result->date) : QString();
}

QString ViewState::emptyTitle() const
{
    const auto result = m_model->currentResult();
    return result ? Texts::emptyStateTitle(*result, m_model->search(), m_model->category()) : QString();
}

QString ViewState::emptySymbol() const
{
    const auto result = m_model->currentResult();
    return result ? Texts::emptyStateSymbol(*result) : QStringLiteral("checkmark.circle");
}

QVariantList ViewState::categoryCards() const
{
    const auto result = m_model->currentResult();
    QVariantList cards;
    for (FileCategory category : { FileCategory::userCache, FileCategory::logs, FileCategory::developerCache }) {
        std::optional<CoverageState> state;
        if (result) {
            if (const auto coverage = result->coverageFor(category))
                state = coverage->state;
        }
        cards.append(QVariantMap {
            { QStringLiteral("raw"), int(category) },
            { QStringLiteral("title"), categoryTitle(category) },
            { QStringLiteral("symbol"), categorySymbol(category) },
            { QStringLiteral("amount"), m_model->categoryAmount(category) },
            { QStringLiteral("coverage"), coverageWord(state) },
            { QStringLiteral("selected"), m_model->category() == category },
        });
    }
    return cards;
}

std::pair<qsizetype, qint64> ViewState::selectionTotals() const
{
    // Counted in place: copying thousands of selected entries per change shows.
    const QSet<QUuid> &selection = m_model->selection();
    const auto kind = m_model->currentKind();
    if (selection.isEmpty() || !kind)
        return { 0, 0 };
    const auto it = m_model->results().constFind(*kind);
    if (it == m_model->results().constEnd())
        return { 0, 0 };
    qsizetype count = 0;
    qint64 bytes = 0;
    for (const FileEntry &entry : it->entries) {
        if (selection.contains(entry.id)) {
            ++count;
            bytes += entry.bytes;
        }
    }
    return { count, bytes };
}

QString ViewState::selectionHeadline() const
{
    const auto [count, bytes] = selectionTotals();
    return Texts::selectionHeadline(count, bytes, m_model->selection().isEmpty());
}

bool ViewState::hasSelection() const
{
    return !m_model->selection().isEmpty();
}

QString ViewState::reviewSummary() const
{
    const auto [count, bytes] = selectionTotals();
    return Texts::reviewSummary(count, bytes);
}

bool ViewState::reviewShowsDuplicateRule() const
{
    return m_model->page() == Page::duplicates;
}

QString ViewState::trashTitle() const
{
    return PageTexts::trashTitle();
}

QString ViewState::trashUsage() const
{
    return PageTexts::trashUsageText(m_model->trashUsage(), m_model->trashMeasuring());
}

bool ViewState::trashMeasuring() const
{
    return m_model->trashMeasuring();
}

QString ViewState::trashHint() const
{
    return PageTexts::trashHint();
}

QString ViewState::trashLineName() const
{
    return PageTexts::trashLineName(trashUsage());
}

QString ViewState::openTrashLabel() const
{
    return PageTexts::openTrashAction();
}

QString ViewState::capacityText() const
{
    return Texts::capacityText(m_model->totalDisk(), m_model->freeDisk());
}

QString ViewState::versionText() const
{
    return Texts::versionText(m_version);
}

namespace {

QVariantList describePages(const QList<Page> &pages)
{
    QVariantList list;
    for (Page page : pages) {
        list.append(QVariantMap { { QStringLiteral("page"), int(page) }, { QStringLiteral("title"), pageTitle(page) },
            { QStringLiteral("symbol"), Varnoll::pageSymbol(page) } });
    }
    return list;
}

std::optional<Page> pageFromRaw(int raw)
{
    if (raw < 0 || raw >= int(allPages.size()))
        return std::nullopt;
    return allPages[std::size_t(raw)];
}

} // namespace

QVariantList ViewState::mainPages() const
{
    return describePages(Varnoll::mainPages());
}

QVariantList ViewState::filePages() const
{
    return describePages(Varnoll::filePages());
}

QString ViewState::titleOf(int page) const
{
    const auto known = pageFromRaw(page);
    return known ? pageTitle(*known) : QString();
}

QString ViewState::symbolOf(int page) const
{
    const auto known = pageFromRaw(page);
    return known ? Varnoll::pageSymbol(*known) : QString();
}

QString ViewState::spoken(const QStringList &parts) const
{
    QStringList said;
    for (const QString &part : parts) {
        const QString trimmed = part.trimmed();
        if (!trimmed.isEmpty())
            said.append(trimmed);
    }
    return said.join(QStringLiteral("，"));
}

void ViewState::revealEntry(const QString &id)
{
    if (const auto entry = m_model->entryById(QUuid::fromString(id)))
        m_model->revealPath(entry->path);
}

void ViewState::pressCategory(int raw)
{
    const auto category = fileCategoryFromRaw(raw);
    if (!category)
        return;
    m_model->setCategory(m_model->category() == category ? std::nullopt : category);
}

} // namespace Varnoll
