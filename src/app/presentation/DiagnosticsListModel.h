#pragma once

#include "core/Records.h"

#include <QAbstractListModel>

namespace Varnoll {

class CleanerModel;

/// The locations that stopped the current result's ownership check, in the order
/// the core returned them, with the folded list's title. Nothing here changes the
/// model; "Finder 定位" only asks the file manager to show the path. UI thread only.
class DiagnosticsListModel : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY diagnosticsChanged)
    Q_PROPERTY(QString title READ title NOTIFY diagnosticsChanged)

public:
    enum Role {
        DiagnosticIdRole = Qt::UserRole + 1,
        ReasonRole,
        PathRole,
    };
    Q_ENUM(Role)

    explicit DiagnosticsListModel(CleanerModel *model, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    [[nodiscard]] QHash<int, QByteArray> roleNames() const override;

    [[nodiscard]] int count() const { return int(m_diagnostics.size()); }
    [[nodiscard]] QString title() const;

    /// Shows the row's path in the file manager, whether or not it still exists.
    Q_INVOKABLE void reveal(int row);

Q_SIGNALS:
    void diagnosticsChanged();

private:
    void rebuild();

    CleanerModel *m_model;
    QList<Morvane::ScanDiagnostic> m_diagnostics;
};

} // namespace Varnoll
