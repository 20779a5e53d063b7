#include "app/presentation/ResultListModel.h"

#include "app/CleanerModel.h"
#include "app/Format.h"
#include "app/presentation/Texts.h"
#include "core/Paths.h"

#include <QHash>

namespace Varnoll {

using namespace Morvane;

namespace {

constexpr qsizetype kMaxRuns = 64;

} // namespace

ResultListModel::ResultListModel(CleanerModel *model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
{
    connect(model, &CleanerModel::visibleEntriesChanged, this, &ResultListModel::syncRows);
    connect(model, &CleanerModel::selectionChanged, this, &ResultListModel::syncChecks);
    // The count text also says whether the result's coverage has gaps.
    connect(model, &CleanerModel::currentResultChanged, this, &ResultListModel::countTextChanged);
    syncRows();
}

int ResultListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant ResultListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows.at(index.row());
    const FileEntry &entry = row.entry;
    switch (role) {
    case IdRole:
        return entry.id.toString(QUuid::WithoutBraces);
    case Qt::DisplayRole:
    case NameRole:
        return displayPath(entry.name);
    case FolderRole:
        return Texts::entryFolder(entry, m_model->home());
    case PathRole:
        return displayPath(entry.path);
    case SizeTextRole:
        return sizeText(entry.bytes, entry.sizeIsComplete);
    case SymbolRole:
        return categorySymbol(entry.category);
    case IsApplicationRole:
        return entry.category == FileCategory::application;
    case IsApplicationDataRole:
        return entry.category == FileCategory::applicationData;
    case CheckedRole:
        return row.checked;
    case TooltipRole:
        return Texts::entryTooltip(entry);
    default:
        return {};
    }
}

QHash<int, QByteArray> ResultListModel::roleNames() const
{
    return {
        { IdRole, "entryId" },
        { NameRole, "name" },
        { FolderRole, "folder" },
        { PathRole, "path" },
        { SizeTextRole, "sizeText" },
        { SymbolRole, "symbol" },
        { IsApplicationRole, "isApplication" },
        { IsApplicationDataRole, "isApplicationData" },
        { CheckedRole, "checked" },
        { TooltipRole, "tooltip" },
    };
}

QString ResultListModel::countText() const
{
    const auto result = m_model->currentResult();
    return Texts::resultCountText(m_rows.size(), result && result->hasIncompleteCoverage());
}

void ResultListModel::announce(int oldCount, bool oldAll, const QString &oldText)
{
    if (oldCount != count())
        Q_EMIT countChanged();
    if (oldAll != allSelected())
        Q_EMIT allSelectedChanged();
    if (oldText != countText())
        Q_EMIT countTextChanged();
}

void ResultListModel::syncRows()
{
    const int oldCount = count();
    const bool oldAll = allSelected();
    const QString oldText = countText();
    const QList<FileEntry> next = m_model->visibleEntries();
    const QSet<QUuid> &selection = m_model->selection();

    QHash<QUuid, qsizetype> nextIndex;
    nextIndex.reserve(next.size());
    for (qsizetype i = 0; i < next.size(); ++i)
        nextIndex.insert(next.at(i).id, i);

    // Rows present before and after must keep their order for an in-place update;
    // filtering a result always does. Anything else (a new scan) is a reset.
    qsizetype kept = 0;
    qsizetype lastIndex = -1;
    bool ordered = true;
    QSet<QUuid> currentIds;
    currentIds.reserve(m_rows.size());
    for (const Row &row : std::as_const(m_rows)) {
        currentIds.insert(row.entry.id);
        const auto it = nextIndex.constFind(row.entry.id);
        if (it == nextIndex.constEnd())
            continue;
        ++kept;
        if (*it < lastIndex)
            ordered = false;
        lastIndex = *it;
    }

    // Each run of rows that leaves or joins is one signal the views handle in turn; a
    // change scattered over thousands of runs is cheaper as one reset (the view builds
    // only the rows it shows).
    qsizetype runs = 0;
    if (ordered) {
        bool inRun = false;
        for (const Row &row : std::as_const(m_rows)) {
            const bool leaving = !nextIndex.contains(row.entry.id);
            runs += leaving && !inRun;
            inRun = leaving;
        }
        inRun = false;
        for (const FileEntry &entry : next) {
            const bool joining = !currentIds.contains(entry.id);
            runs += joining && !inRun;
            inRun = joining;
        }
    }

    if (!ordered || runs > kMaxRuns || (kept == 0 && !m_rows.isEmpty() && !next.isEmpty())
        || currentIds.size() != m_rows.size()) {
        beginResetModel();
        m_rows.clear();
        m_rows.reserve(next.size());
        m_checkedCount = 0;
        for (const FileEntry &entry : next) {
            const bool checked = selection.contains(entry.id);
            m_checkedCount += checked;
            m_rows.append(Row { entry, checked });
        }
        endResetModel();
        announce(oldCount, oldAll, oldText);
        return;
    }

    qsizetype i = 0;
    qsizetype j = 0;
    while (i < m_rows.size() || j < next.size()) {
        if (i < m_rows.size() && j < next.size() && m_rows.at(i).entry.id == next.at(j).id) {
            Row &row = m_rows[i];
            const bool checked = selection.contains(row.entry.id);
            if (!(row.entry == next.at(j)) || row.checked != checked) {
                m_checkedCount += int(checked) - int(row.checked);
                row.entry = next.at(j);
                row.checked = checked;
                const QModelIndex at = index(int(i));
                Q_EMIT dataChanged(at, at);
            }
            ++i;
            ++j;
        } else if (i < m_rows.size() && !nextIndex.contains(m_rows.at(i).entry.id)) {
            qsizetype end = i;
            qsizetype gone = 0;
            while (end < m_rows.size() && !nextIndex.contains(m_rows.at(end).entry.id)) {
                gone += m_rows.at(end).checked;
                ++end;
            }
            beginRemoveRows({}, int(i), int(end - 1));
            m_rows.remove(i, end - i);
            m_checkedCount -= gone;
            endRemoveRows();
        } else {
            qsizetype end = j;
            while (end < next.size() && !currentIds.contains(next.at(end).id))
                ++end;
            beginInsertRows({}, int(i), int(i + (end - j) - 1));
            QList<Row> inserted;
            inserted.reserve(end - j);
            for (qsizetype k = j; k < end; ++k) {
                const bool checked = selection.contains(next.at(k).id);
                m_checkedCount += checked;
                inserted.append(Row { next.at(k), checked });
            }
            m_rows.insert(i, end - j, Row {});
            std::move(inserted.begin(), inserted.end(), m_rows.begin() + i);
            endInsertRows();
            i += end - j;
            j = end;
        }
    }
    announce(oldCount, oldAll, oldText);
}

void ResultListModel::syncChecks()
{
    const int oldCount = count();
    const bool oldAll = allSelected();
    const QString oldText = countText();
    const QSet<QUuid> &selection = m_model->selection();
    // Adjacent changed rows are announced as one range: select-all is one signal.
    qsizetype runStart = -1;
    for (qsizetype i = 0; i <= m_rows.size(); ++i) {
        bool changed = false;
        if (i < m_rows.size()) {
            Row &row = m_rows[i];
            const bool checked = selection.contains(row.entry.id);
            if (checked != row.checked) {
                row.checked = checked;
                m_checkedCount += checked ? 1 : -1;
                changed = true;
            }
        }
        if (changed && runStart < 0)
            runStart = i;
        if (!changed && runStart >= 0) {
            Q_EMIT dataChanged(index(int(runStart)), index(int(i - 1)), { CheckedRole });
            runStart = -1;
        }
    }
    announce(oldCount, oldAll, oldText);
}

} // namespace Varnoll
