#include "app/presentation/HistoryListModel.h"

#include "app/CleanerModel.h"
#include "app/Format.h"
#include "app/presentation/PageTexts.h"
#include "core/Paths.h"

namespace Varnoll {

using namespace Morvane;

HistoryListModel::HistoryListModel(CleanerModel *model, const QLocale &locale, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
    , m_locale(locale)
    , m_count(int(model->records().size()))
{
    connect(model, &CleanerModel::recordsChanged, this, &HistoryListModel::reload);
}

int HistoryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

int HistoryListModel::count() const
{
    return m_count;
}

QVariant HistoryListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const CleanupRecord &record = m_model->records().at(index.row());
    switch (role) {
    case RecordIdRole:
        return record.id.toString(QUuid::WithoutBraces);
    case Qt::DisplayRole:
    case HeadlineRole:
        return PageTexts::historyHeadline(record.count());
    case DateTextRole:
        return PageTexts::historyDate(record.date, m_locale);
    case SizeTextRole:
        return PageTexts::prefixedSize(record.bytes(), record.sizeIsComplete());
    case DetailsLabelRole:
        return PageTexts::historyDetails(record.items.size());
    case ItemsRole: {
        QVariantList items;
        items.reserve(record.items.size());
        for (const CleanupItemResult &item : record.items) {
            items.append(QVariantMap {
                { QStringLiteral("name"), displayPath(item.name) },
                { QStringLiteral("pathText"), abbreviateHome(item.path, m_model->home()) },
                { QStringLiteral("message"), item.message },
                { QStringLiteral("moved"), item.moved },
                { QStringLiteral("symbol"),
                    item.moved ? QStringLiteral("checkmark.circle") : QStringLiteral("exclamationmark.circle") },
            });
        }
        return items;
    }
    default:
        return {};
    }
}

QHash<int, QByteArray> HistoryListModel::roleNames() const
{
    return {
        { RecordIdRole, "recordId" },
        { HeadlineRole, "headline" },
        { DateTextRole, "dateText" },
        { SizeTextRole, "sizeText" },
        { DetailsLabelRole, "detailsLabel" },
        { ItemsRole, "items" },
    };
}

void HistoryListModel::reload()
{
    const int before = m_count;
    beginResetModel();
    m_count = int(m_model->records().size());
    endResetModel();
    if (m_count != before)
        Q_EMIT countChanged();
}

} // namespace Varnoll
