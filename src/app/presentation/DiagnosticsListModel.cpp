#include "app/presentation/DiagnosticsListModel.h"

#include "app/CleanerModel.h"
#include "app/presentation/PageTexts.h"
#include "core/Paths.h"

namespace Varnoll {

using namespace Morvane;

DiagnosticsListModel::DiagnosticsListModel(CleanerModel *model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
{
    connect(model, &CleanerModel::currentResultChanged, this, &DiagnosticsListModel::rebuild);
    rebuild();
}

int DiagnosticsListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant DiagnosticsListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const ScanDiagnostic &diagnostic = m_diagnostics.at(index.row());
    switch (role) {
    case DiagnosticIdRole:
        return diagnostic.id;
    case Qt::DisplayRole:
    case ReasonRole:
        return diagnostic.reason;
    case PathRole:
        return displayPath(diagnostic.path);
    default:
        return {};
    }
}

QHash<int, QByteArray> DiagnosticsListModel::roleNames() const
{
    return { { DiagnosticIdRole, "diagnosticId" }, { ReasonRole, "reason" }, { PathRole, "path" } };
}

QString DiagnosticsListModel::title() const
{
    return PageTexts::diagnosticsTitle(m_diagnostics.size());
}

void DiagnosticsListModel::reveal(int row)
{
    if (row >= 0 && row < count())
        m_model->revealPath(m_diagnostics.at(row).path);
}

void DiagnosticsListModel::rebuild()
{
    QList<ScanDiagnostic> diagnostics;
    if (const auto result = m_model->currentResult())
        diagnostics = result->diagnostics;
    if (diagnostics == m_diagnostics)
        return;
    beginResetModel();
    m_diagnostics = std::move(diagnostics);
    endResetModel();
    Q_EMIT diagnosticsChanged();
}

} // namespace Varnoll
