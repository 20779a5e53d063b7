#include "app/presentation/DuplicateGroupsModel.h"

#include "app/CleanerModel.h"
#include "app/presentation/EntryRow.h"
#include "app/presentation/PageTexts.h"

#include <algorithm>

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
    return parent.isValid() || m_firstRow.empty() ? 0 : m_firstRow.back();
}

int DuplicateGroupsModel::groupRow(int group) const
{
    return group >= 0 && group < count() ? m_firstRow[size_t(group)] : -1;
}

std::pair<int, int> DuplicateGroupsModel::locate(int row) const
{
    const auto next = std::upper_bound(m_firstRow.begin(), m_firstRow.end() - 1, row);
    const int group = int(next - m_firstRow.begin()) - 1;
    return { group, row - m_firstRow[size_t(group)] - 1 };
}

QVariant DuplicateGroupsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto [groupIndex, fileIndex] = locate(index.row());
    const DuplicateGroup &group = m_groups.at(groupIndex);
    const bool isHeader = fileIndex < 0;
    switch (role) {
    case GroupIdRole:
        return group.id.toString(QUuid::WithoutBraces);
    case IsHeaderRole:
        return isHeader;
    case IsLastRole:
        return fileIndex == group.files.size() - 1;
    case Qt::DisplayRole:
    case TitleRole:
        return isHeader ? PageTexts::groupTitle(groupIndex + 1, group.files.size()) : QString();
    case EachSizeRole:
        return isHeader ? PageTexts::groupEachSize(group) : QString();
    default:
        break;
    }
    if (role < EntryIdRole || role > IconSourceRole)
        return {};
    // Empty values, never undefined, so one recycled delegate serves both kinds of row.
    if (isHeader)
        return role == IsApplicationDataRole || role == CheckedRole ? QVariant(false) : QVariant(QString());
    const FileEntry &file = group.files.at(fileIndex);
    if (role == CheckedRole)
        return m_model->selection().contains(file.id);
    return entryRow(file, m_model->home(), false).value(QString::fromLatin1(roleNames().value(role)));
}

QHash<int, QByteArray> DuplicateGroupsModel::roleNames() const
{
    return {
        { GroupIdRole, "groupId" },
        { IsHeaderRole, "isHeader" },
        { IsLastRole, "isLast" },
        { TitleRole, "title" },
        { EachSizeRole, "eachSize" },
        { EntryIdRole, "entryId" },
        { NameRole, "name" },
        { FolderRole, "folder" },
        { PathRole, "path" },
        { SizeTextRole, "sizeText" },
        { SymbolRole, "symbol" },
        { IsApplicationDataRole, "isApplicationData" },
        { CheckedRole, "checked" },
        { TooltipRole, "tooltip" },
        { IconSourceRole, "iconSource" },
    };
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
    m_firstRow.assign(size_t(m_groups.size()) + 1, 0);
    int row = 0;
    for (qsizetype g = 0; g < m_groups.size(); ++g) {
        m_firstRow[size_t(g)] = row;
        row += 1 + int(m_groups.at(g).files.size());
    }
    m_firstRow.back() = row;
    endResetModel();
    Q_EMIT groupsChanged();
    Q_EMIT quickActionChanged();
}

void DuplicateGroupsModel::refreshChecks()
{
    Q_EMIT quickActionChanged();
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0), index(rowCount() - 1), { CheckedRole });
}

} // namespace Varnoll
