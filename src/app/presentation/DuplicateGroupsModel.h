#pragma once

#include "core/Records.h"

#include <QAbstractListModel>

#include <vector>

namespace Varnoll {

class CleanerModel;

/// The duplicates page's cards as one flat list a view can recycle: per group of the
/// result (in result order, never filtered) a header row with its title and size, then
/// one row per file with the values of the file row view (see entryRow); every row says
/// whether it closes its card. A set of thousands of copies costs only the rows on
/// screen, and a tick updates only the `checked` values. Also the page header: the
/// summary and the quick action, whose title follows the selection. Empty unless the
/// duplicates page is shown. UI thread only.
class DuplicateGroupsModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY groupsChanged)
    Q_PROPERTY(QString summaryText READ summaryText NOTIFY groupsChanged)
    Q_PROPERTY(QString emptyText READ emptyText NOTIFY groupsChanged)
    Q_PROPERTY(QString quickActionTitle READ quickActionTitle NOTIFY quickActionChanged)
    Q_PROPERTY(bool quickActionEnabled READ quickActionEnabled NOTIFY quickActionChanged)

public:
    enum Role {
        GroupIdRole = Qt::UserRole + 1,
        IsHeaderRole,
        IsLastRole,
        TitleRole,
        EachSizeRole,
        // The file row's values; empty on a header row.
        EntryIdRole,
        NameRole,
        FolderRole,
        PathRole,
        SizeTextRole,
        SymbolRole,
        IsApplicationDataRole,
        CheckedRole,
        TooltipRole,
        IconSourceRole,
    };
    Q_ENUM(Role)

    explicit DuplicateGroupsModel(CleanerModel *model, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    /// The number of groups (not rows).
    [[nodiscard]] int count() const { return int(m_groups.size()); }
    /// The row of a group's header.
    [[nodiscard]] Q_INVOKABLE int groupRow(int group) const;
    [[nodiscard]] QString summaryText() const;
    [[nodiscard]] QString emptyText() const;
    [[nodiscard]] QString quickActionTitle() const;
    [[nodiscard]] bool quickActionEnabled() const;

    /// Keeps the first copy of each group and selects the rest, or clears the
    /// selection (the model's select-visible rule on this page).
    Q_INVOKABLE void quickAction();

Q_SIGNALS:
    void groupsChanged();
    void quickActionChanged();

private:
    void rebuild();
    void refreshChecks();
    /// The group of a row and the file in it (-1 for the header).
    [[nodiscard]] std::pair<int, int> locate(int row) const;

    CleanerModel *m_model;
    QList<Morvane::DuplicateGroup> m_groups;
    std::vector<int> m_firstRow; // per group; one past the end holds the row count
    bool m_incomplete = false;
};

} // namespace Varnoll
