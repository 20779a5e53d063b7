#pragma once

#include "core/Records.h"

#include <QAbstractListModel>
#include <QList>

namespace Varnoll {

class CleanerModel;

/// The review sheet's list: every selected entry, in result order. It follows the
/// selection only while the sheet is shown, so ticking rows costs nothing here.
class ReviewListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Role { NameRole = Qt::UserRole + 1, PathRole, IsApplicationDataRole };

    explicit ReviewListModel(CleanerModel *model, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;
    [[nodiscard]] int count() const { return int(m_entries.size()); }

Q_SIGNALS:
    void countChanged();

private:
    void refresh();

    CleanerModel *m_model;
    QList<Morvane::FileEntry> m_entries;
};

} // namespace Varnoll
