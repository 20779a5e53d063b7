#include "app/presentation/IgnoreListModel.h"

#include "app/CleanerModel.h"
#include "app/Format.h"
#include "app/presentation/PageTexts.h"

namespace Varnoll {

IgnoreListModel::IgnoreListModel(CleanerModel *model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
    , m_paths(model->ignoredPaths())
{
    connect(model, &CleanerModel::preferencesChanged, this, &IgnoreListModel::sync);
}

int IgnoreListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_paths.size());
}

QVariant IgnoreListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const QString &path = m_paths.at(index.row());
    switch (role) {
    case PathRole:
        return path;
    case Qt::DisplayRole:
    case DisplayPathRole:
        return abbreviateHome(path, m_model->home());
    default:
        return {};
    }
}

QHash<int, QByteArray> IgnoreListModel::roleNames() const
{
    return { { PathRole, "path" }, { DisplayPathRole, "displayPath" } };
}

QString IgnoreListModel::countText() const
{
    return PageTexts::ignoreCount(m_paths.size());
}

void IgnoreListModel::remove(int row)
{
    if (row < 0 || row >= m_paths.size())
        return;
    m_model->removeIgnore(m_paths.at(row));
}

void IgnoreListModel::sync()
{
    const QStringList target = m_model->ignoredPaths();
    const qsizetype before = m_paths.size();
    // The list changes by one removal or appended paths; anything else resets.
    qsizetype common = 0;
    while (common < m_paths.size() && common < target.size() && m_paths.at(common) == target.at(common))
        ++common;
    if (common == m_paths.size() && common == target.size())
        return;
    if (m_paths.size() == target.size() + 1 && m_paths.mid(common + 1) == target.mid(common)) {
        beginRemoveRows({}, int(common), int(common));
        m_paths.removeAt(common);
        endRemoveRows();
    } else if (common == m_paths.size()) {
        beginInsertRows({}, int(common), int(target.size() - 1));
        m_paths = target;
        endInsertRows();
    } else {
        beginResetModel();
        m_paths = target;
        endResetModel();
    }
    if (m_paths.size() != before)
        Q_EMIT countChanged();
}

} // namespace Varnoll
