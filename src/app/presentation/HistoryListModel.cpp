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
    connect(model, &CleanerModel::trashStateChanged, this, &HistoryListModel::restoreStateChanged);
}

void HistoryListModel::restoreStateChanged()
{
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0), index(rowCount() - 1),
            { TrashStateRole, CanRestoreRole, IsRestoredRole, RestoreNoteRole, CanRestoreAllRole, RestoreAllNameRole,
                RestoredSummaryRole });
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
    case ItemIndexRole:
        return itemIndex;
    case IsRecordRole:
        return isRecord;
    case IsLastRole:
        return isRecord ? !expanded || record.items.isEmpty() : itemIndex == record.items.size() - 1;
    case ExpandedRole:
        return expanded;
    case RestoreLabelRole:
        return PageTexts::restoreAction();
    case RestoreAllLabelRole:
        return PageTexts::restoreAllAction();
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
        case CanRestoreRole:
        case IsRestoredRole:
            return false;
        case TrashStateRole:
            return int(ItemTrashState::notMoved);
        case CanRestoreAllRole:
            return restorable(recordIndex) > 0;
        case RestoreAllNameRole:
            return PageTexts::restoreAllActionName(restorable(recordIndex));
        case RestoredSummaryRole: {
            qsizetype restored = 0;
            for (const CleanupItemResult &item : record.items)
                restored += item.restoredDate ? 1 : 0;
            return PageTexts::restoredSummary(restored);
        }
        case NameRole:
        case PathTextRole:
        case MessageRole:
        case SymbolRole:
        case RestoreNoteRole:
        case RestoreNameRole:
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
    case TrashStateRole:
        return int(m_model->itemTrashState(recordIndex, itemIndex));
    case CanRestoreRole:
        return m_model->itemTrashState(recordIndex, itemIndex) == ItemTrashState::inTrash;
    case IsRestoredRole:
        return item.restoredDate.has_value();
    case RestoreNoteRole:
        switch (m_model->itemTrashState(recordIndex, itemIndex)) {
        case ItemTrashState::restored:
            return PageTexts::restoredNote(*item.restoredDate, m_locale);
        case ItemTrashState::gone:
            return PageTexts::goneFromTrashNote();
        case ItemTrashState::inTrash:
            if (const QString failure = m_model->restoreFailure(recordIndex, itemIndex); !failure.isEmpty())
                return PageTexts::restoreFailedNote(failure);
            return QString();
        case ItemTrashState::notMoved:
            return QString();
        }
        return QString();
    case RestoreNameRole:
        return PageTexts::restoreActionName(displayPath(item.name));
    case CanRestoreAllRole:
        return false;
    case HeadlineRole:
    case DateTextRole:
    case SizeTextRole:
    case DetailsLabelRole:
    case RestoreAllNameRole:
    case RestoredSummaryRole:
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
        { ItemIndexRole, "itemIndex" },
        { TrashStateRole, "trashState" },
        { CanRestoreRole, "canRestore" },
        { IsRestoredRole, "isRestored" },
        { RestoreNoteRole, "restoreNote" },
        { RestoreNameRole, "restoreName" },
        { CanRestoreAllRole, "canRestoreAll" },
        { RestoreAllNameRole, "restoreAllName" },
        { RestoredSummaryRole, "restoredSummary" },
        { RestoreLabelRole, "restoreLabel" },
        { RestoreAllLabelRole, "restoreAllLabel" },
    };
}

qsizetype HistoryListModel::restorable(int record) const
{
    qsizetype count = 0;
    for (int i = 0; i < m_model->records().at(record).items.size(); ++i)
        count += m_model->itemTrashState(record, i) == ItemTrashState::inTrash ? 1 : 0;
    return count;
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
