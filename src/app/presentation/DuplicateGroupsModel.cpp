#include "app/presentation/DuplicateGroupsModel.h"

#include "app/CleanerModel.h"
#include "app/presentation/EntryRow.h"
#include "app/presentation/PageTexts.h"

namespace Varnoll {

using namespace Morvane;

DuplicateGroupsModel::DuplicateGroupsModel(CleanerModel *model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
{
    connect(model, &CleanerModel::currentResultChanged, this, &DuplicateGroupsModel::rebuild);
    connect(model, &CleanerModel::selectionChanged, this, &DuplicateGroupsModel::refreshChecks);
    connect(model, &CleanerModel::busyChanged, this, &DuplicateGroupsModel::quickActionChanged);
    rebuild();
}

int DuplicateGroupsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_groups.size());
}

QVariant DuplicateGroupsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DuplicateGroup &group = m_groups.at(index.row());
    switch (role) {
    case GroupIdRole:
        return group.id.toString(QUuid::WithoutBraces);
    case Qt::DisplayRole:
    case TitleRole:
        return PageTexts::groupTitle(index.row() + 1, group.files.size());
    case EachSizeRole:
        return PageTexts::groupEachSize(group);
    case FilesRole: {
        const QSet<QUuid> &selection = m_model->selection();
        QVariantList rows;
        rows.reserve(group.files.size());
        for (const FileEntry &file : group.files)
            rows.append(entryRow(file, m_model->home(), selection.contains(file.id)));
        return rows;
    }
    default:
        return {};
    }
}

QHash<int, QByteArray> DuplicateGroupsModel::roleNames() const
{
    return { { GroupIdRole, "groupId" }, { TitleRole, "title" }, { EachSizeRole, "eachSize" }, { FilesRole, "files" } };
}

QString DuplicateGroupsModel::summaryText() const
{
    return PageTexts::duplicateSummary(m_groups);
}

QString DuplicateGroupsModel::emptyText() const
{
    return PageTexts::duplicatesEmpty(m_incomplete);
}

QString DuplicateGroupsModel::quickActionTitle() const
{
    return PageTexts::quickActionTitle(m_model->selection().isEmpty());
}

bool DuplicateGroupsModel::quickActionEnabled() const
{
    return !m_model->busy() && !m_groups.isEmpty();
}

void DuplicateGroupsModel::quickAction()
{
    if (quickActionEnabled())
        m_model->toggleVisible();
}

void DuplicateGroupsModel::rebuild()
{
    QList<DuplicateGroup> groups;
    bool incomplete = false;
    if (m_model->page() == Page::duplicates) {
        if (const auto result = m_model->currentResult()) {
            groups = result->duplicateGroups;
            incomplete = result->hasIncompleteCoverage();
        }
    }
    if (groups == m_groups && incomplete == m_incomplete)
        return;
    beginResetModel();
    m_groups = std::move(groups);
    m_incomplete = incomplete;
    endResetModel();
    Q_EMIT groupsChanged();
    Q_EMIT quickActionChanged();
}

void DuplicateGroupsModel::refreshChecks()
{
    Q_EMIT quickActionChanged();
    if (!m_groups.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_groups.size() - 1)), { FilesRole });
}

} // namespace Varnoll
