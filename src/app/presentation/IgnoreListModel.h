#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace Varnoll {

class CleanerModel;

/// The settings page's ignore list, in stored order: each row's full stored `path`
/// (what "移除" passes on) and its `displayPath` with "~" for the home folder.
/// Follows the model's preferences: a removed path leaves as one row, an added path
/// arrives as one row. UI thread only.
class IgnoreListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(bool isEmpty READ isEmpty NOTIFY countChanged)
    Q_PROPERTY(QString countText READ countText NOTIFY countChanged)

public:
    enum Role {
        PathRole = Qt::UserRole + 1,
        DisplayPathRole,
    };
    Q_ENUM(Role)

    explicit IgnoreListModel(CleanerModel *model, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    [[nodiscard]] int count() const { return int(m_paths.size()); }
    [[nodiscard]] bool isEmpty() const { return m_paths.isEmpty(); }
    [[nodiscard]] QString countText() const;

    /// Removes the row's stored path from the ignore list through the model.
    Q_INVOKABLE void remove(int row);

Q_SIGNALS:
    void countChanged();

private:
    void sync();

    CleanerModel *m_model;
    QStringList m_paths;
};

} // namespace Varnoll
