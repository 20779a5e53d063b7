#pragma once

#include "core/Records.h"

#include <QAbstractListModel>

namespace Varnoll {

class CleanerModel;

/// The applications page's cards: one per listed application (see
/// PageTexts::listedApplications), each with the application's own row and the rows
/// of all its associated entries, which neither the search nor the category filter
/// narrows. Row maps carry the keys of the file row view (see entryRow). A tick
/// refreshes the rows in place; the cards are rebuilt only when the listed
/// applications change. Empty unless the applications page is shown. UI thread only.
class ApplicationGroupsModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(QString headerText READ headerText NOTIFY countChanged)
    Q_PROPERTY(QString emptyText READ emptyText NOTIFY emptyTextChanged)

public:
    enum Role {
        EntryIdRole = Qt::UserRole + 1,
        ApplicationRole,
        AssociatedRole,
        AssociatedCountRole,
        AssociatedTitleRole,
    };
    Q_ENUM(Role)

    explicit ApplicationGroupsModel(CleanerModel *model, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    [[nodiscard]] int count() const { return int(m_cards.size()); }
    [[nodiscard]] QString headerText() const;
    [[nodiscard]] QString emptyText() const;

Q_SIGNALS:
    void countChanged();
    void emptyTextChanged();

private:
    struct Card {
        Morvane::FileEntry application;
        QList<Morvane::FileEntry> associated;
        friend bool operator==(const Card &, const Card &) = default;
    };

    void rebuild();
    void refreshChecks();

    CleanerModel *m_model;
    QList<Card> m_cards;
    bool m_incomplete = false;
};

} // namespace Varnoll
