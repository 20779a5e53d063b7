#pragma once

#include "core/Records.h"

#include <QAbstractListModel>
#include <QList>

namespace Varnoll {

class CleanerModel;

/// The rows of the current page's item list: the model's visible entries with their
/// tick. A tick changes one row; a new search text removes and inserts only the rows
/// that leave or join, so the views keep their delegates. UI thread only.
class ResultListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(bool allSelected READ allSelected NOTIFY allSelectedChanged)
    Q_PROPERTY(QString countText READ countText NOTIFY countTextChanged)

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        NameRole,
        FolderRole,
        PathRole,
        SizeTextRole,
        SymbolRole,
        IsApplicationRole,
        IsApplicationDataRole,
        CheckedRole,
        TooltipRole,
    };
    Q_ENUM(Role)

    explicit ResultListModel(CleanerModel *model, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    [[nodiscard]] int count() const { return int(m_rows.size()); }
    /// True when the list is not empty and every row is ticked.
    [[nodiscard]] bool allSelected() const { return !m_rows.isEmpty() && m_checkedCount == m_rows.size(); }
    [[nodiscard]] QString countText() const;
    [[nodiscard]] const Morvane::FileEntry &entryAt(int row) const { return m_rows.at(row).entry; }

Q_SIGNALS:
    void countChanged();
    void allSelectedChanged();
    void countTextChanged();

private:
    struct Row {
        Morvane::FileEntry entry;
        bool checked = false;
    };

    /// Brings the rows in line with the model's visible entries.
    void syncRows();
    /// Brings the ticks in line with the model's selection.
    void syncChecks();
    void announce(int oldCount, bool oldAll, const QString &oldText);

    CleanerModel *m_model;
    QList<Row> m_rows;
    qsizetype m_checkedCount = 0;
};

} // namespace Varnoll
