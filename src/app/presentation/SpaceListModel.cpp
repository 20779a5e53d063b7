#include "app/presentation/SpaceListModel.h"

#include "app/CleanerModel.h"
#include "app/presentation/PageTexts.h"
#include "core/Paths.h"
#include "core/Vocabulary.h"
#include "core/scan/SpaceTree.h"

namespace Varnoll {

using namespace Morvane;

SpaceListModel::SpaceListModel(CleanerModel *model, QObject *parent)
    : QAbstractListModel(parent)
    , m_model(model)
{
    connect(model, &CleanerModel::currentResultChanged, this, &SpaceListModel::rebuild);
    connect(model, &CleanerModel::busyChanged, this, &SpaceListModel::namesEnabledChanged);
    rebuild();
}

int SpaceListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant SpaceListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const FileEntry &entry = m_result.entries.at(index.row());
    switch (role) {
    case EntryIdRole:
        return entry.id.toString(QUuid::WithoutBraces);
    case Qt::DisplayRole:
    case NameRole:
        return displayPath(entry.name);
    case PathRole:
        return displayPath(entry.path);
    case SizeTextRole:
        return PageTexts::prefixedSize(entry.bytes, entry.sizeIsComplete);
    case SymbolRole:
        return entry.kind.isFile() ? QStringLiteral("doc") : QStringLiteral("folder");
    case IsFolderRole:
        return entry.kind.isFolder();
    case ShareRole:
        return PageTexts::spaceShare(entry.bytes, m_result.bytes());
    case RevealLabelRole:
        return vocabulary().revealNamed.arg(displayPath(entry.name));
    default:
        return {};
    }
}

QHash<int, QByteArray> SpaceListModel::roleNames() const
{
    return {
        { EntryIdRole, "entryId" },
        { NameRole, "name" },
        { PathRole, "path" },
        { SizeTextRole, "sizeText" },
        { SymbolRole, "symbol" },
        { IsFolderRole, "isFolder" },
        { ShareRole, "share" },
        { RevealLabelRole, "revealLabel" },
    };
}

QString SpaceListModel::summaryText() const
{
    return PageTexts::spaceSummary(m_result);
}

QString SpaceListModel::coverageTag() const
{
    return PageTexts::spaceCoverageTag(m_result);
}

QString SpaceListModel::emptyText() const
{
    return PageTexts::spaceEmpty(m_result);
}

bool SpaceListModel::namesEnabled() const
{
    return !m_model->busy();
}

void SpaceListModel::open(int row)
{
    if (m_model->busy() || row < 0 || row >= count())
        return;
    const FileEntry &entry = m_result.entries.at(row);
    if (entry.kind.isFolder())
        m_model->drillIntoId(entry.id.toString());
    else
        m_model->revealPath(entry.path);
}

void SpaceListModel::reveal(int row)
{
    if (row >= 0 && row < count())
        m_model->revealPath(m_result.entries.at(row).path);
}

void SpaceListModel::openNode(int node)
{
    const auto space = tree();
    if (m_model->busy() || !space || node < 0 || std::uint32_t(node) >= space->size())
        return;
    const FileEntry entry = space->entry(SpaceTree::Index(node));
    if (entry.kind.isFolder())
        m_model->drillInto(entry);
    else
        m_model->revealPath(entry.path);
}

void SpaceListModel::revealNode(int node)
{
    const auto space = tree();
    if (space && node >= 0 && std::uint32_t(node) < space->size())
        m_model->revealPath(space->path(SpaceTree::Index(node)));
}

void SpaceListModel::ignoreNode(int node)
{
    const auto space = tree();
    if (m_model->busy() || !space || node <= 0 || std::uint32_t(node) >= space->size())
        return;
    m_model->ignore(space->entry(SpaceTree::Index(node)));
}

void SpaceListModel::rebuild()
{
    ScanResult result;
    result.kind = ScanKind::space;
    if (m_model->page() == Page::space) {
        if (auto current = m_model->currentResult())
            result = std::move(*current);
    }
    if (result == m_result)
        return;
    beginResetModel();
    m_result = std::move(result);
    endResetModel();
    Q_EMIT resultChanged();
}

} // namespace Varnoll
