#pragma once

#include "core/Records.h"

#include <QAbstractListModel>

namespace Varnoll {

class CleanerModel;

/// The space page's children of the measured folder, in result order, with the
/// summary, the coverage tag and each child's size text and share of the total
/// (not clamped: a child larger than the counted total reaches past the bar). Empty
/// unless the space page shows a result. UI thread only.
class SpaceListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY resultChanged)
    Q_PROPERTY(QString summaryText READ summaryText NOTIFY resultChanged)
    Q_PROPERTY(QString coverageTag READ coverageTag NOTIFY resultChanged)
    Q_PROPERTY(QString emptyText READ emptyText NOTIFY resultChanged)
    Q_PROPERTY(bool namesEnabled READ namesEnabled NOTIFY namesEnabledChanged)

public:
    enum Role {
        EntryIdRole = Qt::UserRole + 1,
        NameRole,
        PathRole,
        SizeTextRole,
        SymbolRole,
        IsFolderRole,
        ShareRole,
        RevealLabelRole,
    };
    Q_ENUM(Role)

    explicit SpaceListModel(CleanerModel *model, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    [[nodiscard]] int count() const { return int(m_result.entries.size()); }
    [[nodiscard]] QString summaryText() const;
    [[nodiscard]] QString coverageTag() const;
    [[nodiscard]] QString emptyText() const;
    /// The name buttons start work, so they wait while the model is busy.
    [[nodiscard]] bool namesEnabled() const;

    /// The name button: measures a folder next, shows anything else in the file
    /// manager. Does nothing while the model is busy.
    Q_INVOKABLE void open(int row);
    /// The reveal button: shows the child in the file manager, busy or not.
    Q_INVOKABLE void reveal(int row);

    // The map reaches any node of the shown tree, not only the listed children.
    /// The tree of the result shown and its folder; null without one.
    [[nodiscard]] std::shared_ptr<const Morvane::SpaceTree> tree() const { return m_result.spaceTree; }
    [[nodiscard]] std::uint32_t folder() const { return m_result.spaceFolder; }
    /// The total the list's shares are of.
    [[nodiscard]] std::int64_t totalBytes() const { return m_result.bytes(); }
    /// A folder of the map opens as a folder row does; a file is shown in the file manager.
    Q_INVOKABLE void openNode(int node);
    Q_INVOKABLE void revealNode(int node);
    /// The row menu's "忽略此项目" for a node of the map.
    Q_INVOKABLE void ignoreNode(int node);

Q_SIGNALS:
    void resultChanged();
    void namesEnabledChanged();

private:
    void rebuild();

    CleanerModel *m_model;
    Morvane::ScanResult m_result;
};

} // namespace Varnoll
