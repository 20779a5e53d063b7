#pragma once

#include "app/Format.h"

#include <QAbstractListModel>
#include <QLocale>
#include <QSet>
#include <QUuid>

#include <vector>

namespace Varnoll {

class CleanerModel;

/// The history page as one flat list a view can recycle: each record is a row, followed
/// by one row per processed item while the record is open. Record rows carry headline,
/// dateText, sizeText, detailsLabel, expanded and the restore-all button (canRestoreAll,
/// restoredSummary); item rows carry name, pathText, message, moved, symbol and where
/// the item stands now (trashState, restoreNote, canRestore); every row says which
/// record it belongs to and whether it is the last row of that record's card. Nothing
/// is built for a closed record, so a history of any size costs one row per record.
/// Rebuilt whenever the model's records change (open records stay open); the restore
/// roles change in place. UI thread only.
class HistoryListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(bool isEmpty READ isEmpty NOTIFY countChanged)

public:
    enum Role {
        RecordIdRole = Qt::UserRole + 1,
        RecordIndexRole,
        IsRecordRole,
        IsLastRole,
        HeadlineRole,
        DateTextRole,
        SizeTextRole,
        DetailsLabelRole,
        ExpandedRole,
        NameRole,
        PathTextRole,
        MessageRole,
        MovedRole,
        SymbolRole,
        ItemIndexRole, // the item's position in its record; -1 on a record's row
        TrashStateRole, // an ItemTrashState value
        CanRestoreRole,
        IsRestoredRole,
        RestoreNoteRole,
        RestoreNameRole, // the item button's accessible name
        CanRestoreAllRole,
        RestoreAllNameRole,
        RestoredSummaryRole,
        RestoreLabelRole,
        RestoreAllLabelRole,
    };
    Q_ENUM(Role)

    explicit HistoryListModel(
        CleanerModel *model, const QLocale &locale = interfaceLocale(), QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    /// The number of records (not rows).
    [[nodiscard]] int count() const;
    [[nodiscard]] bool isEmpty() const { return count() == 0; }
    /// The row of a record.
    [[nodiscard]] Q_INVOKABLE int recordRow(int record) const;
    /// Opens or closes a record's items.
    Q_INVOKABLE void setExpanded(int record, bool expanded);

Q_SIGNALS:
    void countChanged();

private:
    void reload();
    void restoreStateChanged();
    void layOut();
    /// The record a row belongs to, and the item (-1 for the record's own row).
    [[nodiscard]] std::pair<int, int> locate(int row) const;
    /// Items of a record that can be put back now.
    [[nodiscard]] qsizetype restorable(int record) const;

    CleanerModel *m_model;
    QLocale m_locale;
    int m_count = 0;
    QSet<QUuid> m_expanded;
    std::vector<int> m_firstRow; // per record; one past the end holds the row count
};

} // namespace Varnoll
