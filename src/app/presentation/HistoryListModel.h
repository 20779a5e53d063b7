#pragma once

#include "app/Format.h"

#include <QAbstractListModel>
#include <QLocale>

namespace Varnoll {

class CleanerModel;

/// The history page's records, in the model's order, with the texts each panel
/// shows. `items` holds one map per processed item: name, pathText, message, moved
/// and symbol. Rebuilt whenever the model's records change. UI thread only.
class HistoryListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(bool isEmpty READ isEmpty NOTIFY countChanged)

public:
    enum Role {
        RecordIdRole = Qt::UserRole + 1,
        HeadlineRole,
        DateTextRole,
        SizeTextRole,
        DetailsLabelRole,
        ItemsRole,
    };
    Q_ENUM(Role)

    explicit HistoryListModel(
        CleanerModel *model, const QLocale &locale = interfaceLocale(), QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    [[nodiscard]] int count() const;
    [[nodiscard]] bool isEmpty() const { return count() == 0; }

Q_SIGNALS:
    void countChanged();

private:
    void reload();

    CleanerModel *m_model;
    QLocale m_locale;
    int m_count = 0;
};

} // namespace Varnoll
