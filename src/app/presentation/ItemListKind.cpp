#include "app/presentation/ItemListKind.h"

#include "app/CleanerModel.h"

namespace Varnoll {

ItemListKind::ItemListKind(CleanerModel *model, QObject *parent)
    : QObject(parent)
    , m_model(model)
{
    connect(model, &CleanerModel::pageChanged, this, &ItemListKind::kindChanged);
}

QString ItemListKind::kind() const
{
    switch (m_model->page()) {
    case Page::applications:
        return QStringLiteral("applications");
    case Page::duplicates:
        return QStringLiteral("duplicates");
    case Page::space:
        return QStringLiteral("space");
    default:
        return QStringLiteral("plain");
    }
}

bool ItemListKind::showsSelectionBar() const
{
    return m_model->page() != Page::space;
}

} // namespace Varnoll
