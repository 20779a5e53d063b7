#include "app/presentation/ApplicationGroupsModel.h"

#include "app/CleanerModel.h"
#include "app/presentation/EntryRow.h"
#include "app/presentation/PageTexts.h"

namespace Varnoll {

using namespace Morvane;

ApplicationGroupsModel::ApplicationGroupsModel(CleanerModel *model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
{
    // visibleEntriesChanged follows the page, the results, the search and the category.
    connect(model, &CleanerModel::visibleEntriesChanged, this, &ApplicationGroupsModel::rebuild);
    connect(model, &CleanerModel::selectionChanged, this, &ApplicationGroupsModel::refreshChecks);
    rebuild();
}

int ApplicationGroupsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_cards.size());
}

QVariant ApplicationGroupsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Card &card = m_cards.at(index.row());
    const QSet<QUuid> &selection = m_model->selection();
    switch (role) {
    case EntryIdRole:
        return card.application.id.toString(QUuid::WithoutBraces);
    case Qt::DisplayRole:
        return card.application.name;
    case ApplicationRole:
        return entryRow(card.application, m_model->home(), selection.contains(card.application.id));
    case AssociatedRole: {
        QVariantList rows;
        rows.reserve(card.associated.size());
        for (const FileEntry &entry : card.associated)
            rows.append(entryRow(entry, m_model->home(), selection.contains(entry.id)));
        return rows;
    }
    case AssociatedCountRole:
        return int(card.associated.size());
    case AssociatedTitleRole:
        return PageTexts::associatedTitle(card.associated.size());
    default:
        return {};
    }
}

QHash<int, QByteArray> ApplicationGroupsModel::roleNames() const
{
    return {
        { EntryIdRole, "entryId" },
        { ApplicationRole, "application" },
        { AssociatedRole, "associated" },
        { AssociatedCountRole, "associatedCount" },
        { AssociatedTitleRole, "associatedTitle" },
    };
}

QString ApplicationGroupsModel::headerText() const
{
    return PageTexts::applicationCount(m_cards.size());
}

QString ApplicationGroupsModel::emptyText() const
{
    return PageTexts::applicationsEmpty(m_incomplete);
}

void ApplicationGroupsModel::rebuild()
{
    QList<Card> cards;
    bool incomplete = false;
    const auto result = m_model->page() == Page::applications ? m_model->currentResult() : std::nullopt;
    if (result) {
        incomplete = result->hasIncompleteCoverage();
        const auto applications
            = PageTexts::listedApplications(*result, m_model->visibleEntries(), m_model->search().isEmpty());
        for (const FileEntry &application : applications)
            cards.append({ application, PageTexts::associatedEntries(*result, application.id) });
    }
    if (incomplete != m_incomplete) {
        m_incomplete = incomplete;
        Q_EMIT emptyTextChanged();
    }
    if (cards == m_cards)
        return;
    const qsizetype before = m_cards.size();
    beginResetModel();
    m_cards = std::move(cards);
    endResetModel();
    if (m_cards.size() != before)
        Q_EMIT countChanged();
}

void ApplicationGroupsModel::refreshChecks()
{
    if (!m_cards.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_cards.size() - 1)), { ApplicationRole, AssociatedRole });
}

} // namespace Varnoll
