#pragma once

#include "core/Records.h"

#include <QAbstractListModel>

namespace Varnoll {

class CleanerModel;

/// The duplicates page's cards: one per group of the result, in result order and
/// never filtered, with its header texts and the rows of its files (maps with the
/// keys of the file row view, see entryRow). Also the page header: the summary and
/// the quick action, whose title follows the selection. Empty unless the duplicates
/// page is shown. UI thread only.
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
        TitleRole,
        EachSizeRole,
        FilesRole,
    };
    Q_ENUM(Role)

    explicit DuplicateGroupsModel(CleanerModel *model, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    [[nodiscard]] int count() const { return int(m_groups.size()); }
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

    CleanerModel *m_model;
    QList<Morvane::DuplicateGroup> m_groups;
    bool m_incomplete = false;
};

} // namespace Varnoll
