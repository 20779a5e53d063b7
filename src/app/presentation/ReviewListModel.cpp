#include "app/presentation/ReviewListModel.h"

#include "app/CleanerModel.h"
#include "core/Paths.h"

namespace Varnoll {

using namespace Morvane;

ReviewListModel::ReviewListModel(CleanerModel *model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
{
    connect(model, &CleanerModel::selectionSummaryChanged, this, [this] {
        if (m_model->showReview())
            refresh();
    });
    connect(model, &CleanerModel::showReviewChanged, this, &ReviewListModel::refresh);
    refresh();
}

int ReviewListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

QVariant ReviewListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const FileEntry &entry = m_entries.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return displayPath(entry.name);
    case PathRole:
        return displayPath(entry.path);
    case IsApplicationDataRole:
        return entry.category == FileCategory::applicationData;
    default:
        return {};
    }
}

QHash<int, QByteArray> ReviewListModel::roleNames() const
{
    return { { NameRole, "name" }, { PathRole, "path" }, { IsApplicationDataRole, "isApplicationData" } };
}

void ReviewListModel::refresh()
{
    const int before = count();
    beginResetModel();
    m_entries = m_model->showReview() ? m_model->selectedEntries() : QList<FileEntry>();
    endResetModel();
    if (before != count())
        Q_EMIT countChanged();
}

} // namespace Varnoll
