#include "app/presentation/HistoryListModel.h"

#include "app/CleanerModel.h"
#include "app/Format.h"
#include "app/presentation/PageTexts.h"
#include "core/Paths.h"

#include <algorithm>

namespace Varnoll {

using namespace Morvane;

HistoryListModel::HistoryListModel(CleanerModel *model, const QLocale &locale, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
    , m_locale(locale)
    , m_count(int(model->records().size()))
{
    layOut();
    connect(model, &CleanerModel::recordsChanged, this, &HistoryListModel::reload);
}

void HistoryListModel::layOut()
{
    const QList<CleanupRecord> &records = m_model->records();
    m_firstRow.assign(size_t(records.size()) + 1, 0);
    int row = 0;
    for (qsizetype r = 0; r < records.size(); ++r) {
        m_firstRow[size_t(r)] = row;
        row += 1 + (m_expanded.contains(records.at(r).id) ? int(records.at(r).items.size()) : 0);
    }
    m_firstRow.back() = row;
}

std::pair<int, int> HistoryListModel::locate(int row) const
{
    const auto next = std::upper_bound(m_firstRow.begin(), m_firstRow.end() - 1, row);
    const int record = int(next - m_firstRow.begin()) - 1;
    return { record, row - m_firstRow[size_t(record)] - 1 };
}

int HistoryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_firstRow.back();
}

int HistoryListModel::count() const
{
    return m_count;
}

int HistoryListModel::recordRow(int record) const
{
    if (record < 0 || record >= m_count)
        return -1;
    return m_firstRow[size_t(record)];
}

void HistoryListModel::setExpanded(int record, bool expanded)
{
    if (record < 0 || record >= m_count)
        return;
    const CleanupRecord &r = m_model->records().at(record);
    if (m_expanded.contains(r.id) == expanded)
        return;
    const int first = m_firstRow[size_t(record)];
    const int items = int(r.items.size());
    if (items > 0) {
        if (expanded)
            beginInsertRows({}, first + 1, first + items);
        else
            beginRemoveRows({}, first + 1, first + items);
    }
    if (expanded)
        m_expanded.insert(r.id);
    else
        m_expanded.remove(r.id);
    layOut();
    if (items > 0) {
        if (expanded)
            endInsertRows();
        else
            endRemoveRows();
    }
    // The record's own row: its chevron, and whether it closes the card.
    Q_EMIT dataChanged(index(first), index(first), { ExpandedRole, IsLastRole });
}

QVariant HistoryListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const auto [recordIndex, itemIndex] = locate(index.row());
    const CleanupRecord &record = m_model->records().at(recordIndex);
    const bool isRecord = itemIndex < 0;
    const bool expanded = m_expanded.contains(record.id);
    switch (role) {
    case RecordIdRole:
        return record.id.toString(QUuid::WithoutBraces);
    case RecordIndexRole:
        return recordIndex;
    case IsRecordRole:
        return isRecord;
    case IsLastRole:
        return isRecord ? !expanded || record.items.isEmpty() : itemIndex == record.items.size() - 1;
    case ExpandedRole:
        return expanded;
    default:
        break;
    }
    // Roles of the other kind of row read empty, never undefined, so one recycled
    // delegate serves both.
    if (isRecord) {
        switch (role) {
        case Qt::DisplayRole:
        case HeadlineRole:
            return PageTexts::historyHeadline(record.count());
        case DateTextRole:
            return PageTexts::historyDate(record.date, m_locale);
        case SizeTextRole:
            return PageTexts::prefixedSize(record.bytes(), record.sizeIsComplete());
        case DetailsLabelRole:
            return PageTexts::historyDetails(record.items.size());
        case MovedRole:
            return false;
        case NameRole:
        case PathTextRole:
        case MessageRole:
        case SymbolRole:
            return QString();
        default:
            return {};
        }
    }
    const CleanupItemResult &item = record.items.at(itemIndex);
    switch (role) {
    case Qt::DisplayRole:
    case NameRole:
        return displayPath(item.name);
    case PathTextRole:
        return abbreviateHome(item.path, m_model->home());
    case MessageRole:
        return item.message;
    case MovedRole:
        return item.moved;
    case SymbolRole:
        return item.moved ? QStringLiteral("checkmark.circle") : QStringLiteral("exclamationmark.circle");
    case HeadlineRole:
    case DateTextRole:
    case SizeTextRole:
    case DetailsLabelRole:
        return QString();
    default:
        return {};
    }
}

QHash<int, QByteArray> HistoryListModel::roleNames() const
{
    return {
        { RecordIdRole, "recordId" },
        { RecordIndexRole, "recordIndex" },
        { IsRecordRole, "isRecord" },
        { IsLastRole, "isLast" },
        { HeadlineRole, "headline" },
        { DateTextRole, "dateText" },
        { SizeTextRole, "sizeText" },
        { DetailsLabelRole, "detailsLabel" },
        { ExpandedRole, "expanded" },
        { NameRole, "name" },
        { PathTextRole, "pathText" },
        { MessageRole, "message" },
        { MovedRole, "moved" },
        { SymbolRole, "symbol" },
    };
}

void HistoryListModel::reload()
{
    const int before = m_count;
    beginResetModel();
    m_count = int(m_model->records().size());
    // Open records stay open across a new clean-up; gone ones are forgotten.
    QSet<QUuid> present;
    for (const CleanupRecord &record : m_model->records())
        present.insert(record.id);
    m_expanded.intersect(present);
    layOut();
    endResetModel();
    if (m_count != before)
        Q_EMIT countChanged();
}

} // namespace Varnoll
