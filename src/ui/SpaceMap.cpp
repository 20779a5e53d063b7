#include "SpaceMap.h"

#include "app/presentation/PageTexts.h"
#include "app/presentation/SpaceListModel.h"
#include "app/presentation/Texts.h"

#include <QFontMetricsF>
#include <QMutex>
#include <QPainter>
#include <QStaticText>
#include <QThreadPool>

namespace Varnoll {

using namespace Morvane;

namespace {

// Above this many items the layout leaves the UI thread.
constexpr std::size_t kLayoutInBackground = 3000;

const SpaceMapOptions kOptions;

bool isDark(const QColor &color)
{
    return 0.299 * color.red() + 0.587 * color.green() + 0.114 * color.blue() < 140;
}

} // namespace

/// Hands a layout made on the thread pool back to the map; detached when the map goes,
/// so that a late layout is dropped.
class SpaceMap::Relay {
public:
    explicit Relay(SpaceMap *map)
        : m_map(map)
    {
    }

    void post(quint64 generation, std::shared_ptr<const SpaceMapInput> input, std::vector<SpaceMapCell> cells)
    {
        QMutexLocker lock(&m_mutex);
        if (!m_map)
            return;
        SpaceMap *map = m_map;
        QMetaObject::invokeMethod(
            map,
            [map, generation, input = std::move(input), cells = std::move(cells)]() mutable {
                map->adopt(generation, std::move(input), std::move(cells));
            },
            Qt::QueuedConnection);
    }

    void detach()
    {
        QMutexLocker lock(&m_mutex);
        m_map = nullptr;
    }

private:
    QMutex m_mutex;
    SpaceMap *m_map;
};

SpaceMap::SpaceMap(QQuickItem *parent)
    : QQuickPaintedItem(parent)
    , m_input(std::make_shared<SpaceMapInput>())
    , m_relay(std::make_shared<Relay>(this))
{
    setAcceptedMouseButtons(Qt::LeftButton | Qt::RightButton);
    setAcceptHoverEvents(true);
    setActiveFocusOnTab(true);
    connect(this, &SpaceMap::colorsChanged, this, [this] {
        m_labels.clear();
        update();
    });
}

SpaceMap::~SpaceMap()
{
    m_relay->detach();
}

void SpaceMap::setSource(SpaceListModel *source)
{
    if (m_source == source)
        return;
    if (m_source)
        disconnect(m_source, nullptr, this, nullptr);
    m_source = source;
    if (m_source)
        connect(m_source, &SpaceListModel::resultChanged, this, &SpaceMap::sourceResultChanged);
    Q_EMIT sourceChanged();
    sourceResultChanged();
}

void SpaceMap::sourceResultChanged()
{
    if (m_source)
        show(m_source->tree(), m_source->folder(), m_source->totalBytes());
    else
        show(nullptr, 0, 0);
}

void SpaceMap::show(std::shared_ptr<const SpaceTree> tree, SpaceTree::Index folder, std::int64_t total)
{
    m_tree = std::move(tree);
    m_folder = folder;
    m_total = total;
    m_current = -1;
    relayout();
}

void SpaceMap::relayout()
{
    const quint64 generation = ++m_generation;
    auto input = std::make_shared<SpaceMapInput>();
    if (m_tree && width() > 0 && height() > 0)
        *input = collectSpaceMap(*m_tree, m_folder, size(), kOptions);
    const QRectF bounds(0, 0, width(), height());
    if (input->items.size() <= kLayoutInBackground) {
        std::vector<SpaceMapCell> cells = layoutSpaceMap(*input, bounds, kOptions);
        adopt(generation, std::move(input), std::move(cells));
        return;
    }
    // The items are copies: the pool never touches the tree.
    QThreadPool::globalInstance()->start([relay = m_relay, generation, input = std::move(input), bounds]() mutable {
        std::vector<SpaceMapCell> cells = layoutSpaceMap(*input, bounds, kOptions);
        relay->post(generation, std::move(input), std::move(cells));
    });
}

void SpaceMap::relayoutNow()
{
    const quint64 generation = ++m_generation;
    auto input = std::make_shared<SpaceMapInput>();
    if (m_tree)
        *input = collectSpaceMap(*m_tree, m_folder, size(), kOptions);
    std::vector<SpaceMapCell> cells = layoutSpaceMap(*input, QRectF(0, 0, width(), height()), kOptions);
    adopt(generation, std::move(input), std::move(cells));
}

void SpaceMap::adopt(quint64 generation, std::shared_ptr<const SpaceMapInput> input, std::vector<SpaceMapCell> cells)
{
    if (generation != m_generation)
        return;
    // Keep the keys on the same node when it is still drawn.
    const SpaceTree::Index currentNode
        = m_current >= 0 ? m_input->items[m_cells[std::size_t(m_current)].item].node : SpaceTree::none;
    m_input = std::move(input);
    m_cells = std::move(cells);
    m_labels.clear();
    m_hover = -1;
    m_pressed = -1;
    int current = -1;
    for (std::size_t k = 0; k < m_cells.size() && currentNode != SpaceTree::none; ++k) {
        if (m_cells[k].parent < 0 && m_input->items[m_cells[k].item].node == currentNode)
            current = int(k);
    }
    m_current = current >= 0 ? current : spaceMapNeighbour(m_cells, -1, 0, 0);
    Q_EMIT cellsChanged();
    Q_EMIT hoverChanged();
    Q_EMIT currentChanged();
    update();
}

QStringList SpaceMap::legendNames() const
{
    QStringList names;
    for (FileTypeFilter type : allFileTypeFilters) {
        if (type != FileTypeFilter::all)
            names << Texts::fileTypeWord(type);
    }
    names << QStringLiteral("其他文件");
    return names;
}

QString SpaceMap::tipOf(int cell) const
{
    if (cell < 0 || cell >= int(m_cells.size()))
        return {};
    const SpaceMapItem &item = m_input->items[m_cells[std::size_t(cell)].item];
    const QString name = item.kind == SpaceMapItem::Kind::rest ? PageTexts::spaceRestName(item.restCount) : item.name;
    return PageTexts::spaceCellTip(name, item.bytes, !item.incomplete, m_total);
}

QString SpaceMap::hoverText() const
{
    return tipOf(m_hover);
}

QString SpaceMap::accessibleName() const
{
    return PageTexts::spaceMapAccessibleName(tipOf(m_current));
}

QRectF SpaceMap::cellRect(const QString &name) const
{
    for (const SpaceMapCell &cell : m_cells) {
        if (m_input->items[cell.item].name == name)
            return cell.rect;
    }
    return {};
}

QColor SpaceMap::fillOf(const SpaceMapItem &item) const
{
    switch (item.kind) {
    case SpaceMapItem::Kind::rest:
        return m_restColor;
    case SpaceMapItem::Kind::folder:
        return m_bandColor;
    case SpaceMapItem::Kind::file:
        break;
    }
    const auto index = qsizetype(item.fileClass);
    return index < m_classColors.size() ? m_classColors.at(index).value<QColor>() : m_restColor;
}

void SpaceMap::prepareLabels(const QFont &font)
{
    // Shaped once per layout: a repaint for the pointer or the keys draws them as they are.
    const QFontMetricsF metrics(font);
    m_labels.assign(m_cells.size(), {});
    for (std::size_t k = 0; k < m_cells.size(); ++k) {
        const SpaceMapCell &cell = m_cells[k];
        if (!cell.labelled)
            continue;
        const SpaceMapItem &item = m_input->items[cell.item];
        const QRectF &r = cell.rect;
        const double width = r.width() - 9;
        Label &label = m_labels[k];
        const QString name
            = item.kind == SpaceMapItem::Kind::rest ? PageTexts::spaceRestName(item.restCount) : item.name;
        // A name keeps both ends; "其余 N 项" keeps its count's first digits.
        const Qt::TextElideMode elide = item.kind == SpaceMapItem::Kind::rest ? Qt::ElideRight : Qt::ElideMiddle;
        label.name.setText(metrics.elidedText(name, elide, width));
        label.name.setTextFormat(Qt::PlainText);
        label.name.prepare(QTransform(), font);
        label.at = cell.framed ? QPointF(r.left() + 4, r.top() + (kOptions.header - metrics.height()) / 2)
                               : QPointF(r.left() + 4, r.top() + 2);
        label.dark = isDark(cell.framed ? m_bandColor : fillOf(item));
        if (!cell.framed && r.height() >= 33) {
            label.size.setText(
                metrics.elidedText(PageTexts::prefixedSize(item.bytes, !item.incomplete), Qt::ElideRight, width));
            label.size.setTextFormat(Qt::PlainText);
            label.size.prepare(QTransform(), font);
        }
    }
}

void SpaceMap::paint(QPainter *painter)
{
    QFont font = painter->font();
    font.setPixelSize(10);
    painter->setFont(font);
    if (m_labels.size() != m_cells.size())
        prepareLabels(font);
    const double lineSpacing = QFontMetricsF(font).lineSpacing();
    const QBrush hatch(m_hatchColor, Qt::BDiagPattern);
    const QPen frame(m_frameColor, 1);
    painter->setBrush(Qt::NoBrush);
    for (std::size_t k = 0; k < m_cells.size(); ++k) {
        const SpaceMapCell &cell = m_cells[k];
        const SpaceMapItem &item = m_input->items[cell.item];
        const QRectF &r = cell.rect;
        // A one-pixel seam between neighbours, where there is room for one.
        const bool seam = r.width() > 3 && r.height() > 3;
        const QRectF face = seam ? r.adjusted(0, 0, -1, -1) : r;
        const QRectF band(r.left(), r.top(), r.width() - 1, kOptions.header);
        if (cell.framed) {
            painter->fillRect(face, m_folderColor);
            painter->fillRect(band, m_bandColor);
        } else {
            painter->fillRect(face, fillOf(item));
        }
        // A folder is a box, whether its children are drawn or not.
        if (item.kind == SpaceMapItem::Kind::folder && seam) {
            painter->setPen(frame);
            painter->drawRect(face.adjusted(0.5, 0.5, -0.5, -0.5));
        }
        if (item.incomplete)
            painter->fillRect(cell.framed ? band : face, hatch);
        const Label &label = m_labels[k];
        if (!cell.labelled)
            continue;
        painter->setPen(label.dark ? m_inverseTextColor : m_textColor);
        painter->drawStaticText(label.at, label.name);
        if (!label.size.text().isEmpty())
            painter->drawStaticText(label.at + QPointF(0, lineSpacing), label.size);
    }
    if (m_hover >= 0) {
        painter->setPen(QPen(m_textColor, 1));
        painter->drawRect(m_cells[std::size_t(m_hover)].rect.adjusted(0.5, 0.5, -1.5, -1.5));
    }
    if (m_current >= 0 && hasActiveFocus()) {
        painter->setPen(QPen(m_focusColor, 2));
        painter->drawRect(m_cells[std::size_t(m_current)].rect.adjusted(1, 1, -2, -2));
    }
}

void SpaceMap::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickPaintedItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        relayout();
}

void SpaceMap::mousePressEvent(QMouseEvent *event)
{
    forceActiveFocus(Qt::MouseFocusReason);
    m_pressed = spaceMapCellAt(m_cells, event->position());
    event->accept();
}

void SpaceMap::mouseReleaseEvent(QMouseEvent *event)
{
    const int cell = spaceMapCellAt(m_cells, event->position());
    const bool same = cell >= 0 && cell == m_pressed;
    m_pressed = -1;
    if (!same)
        return;
    const SpaceMapItem &item = m_input->items[m_cells[std::size_t(cell)].item];
    if (event->button() == Qt::RightButton) {
        if (item.node != SpaceTree::none)
            Q_EMIT menuRequested(int(item.node), event->position().x(), event->position().y());
        return;
    }
    open(cell);
}

void SpaceMap::open(int cell)
{
    // The folder a click lands in: the cell itself, or the nearest framed folder around it.
    for (int k = cell; k >= 0; k = m_cells[std::size_t(k)].parent) {
        const SpaceMapItem &item = m_input->items[m_cells[std::size_t(k)].item];
        if (item.kind == SpaceMapItem::Kind::folder) {
            if (m_source)
                m_source->openNode(int(item.node));
            return;
        }
    }
    // A file of the folder shown: the keys move on from it.
    if (m_cells[std::size_t(cell)].parent < 0)
        setCurrent(cell);
}

void SpaceMap::openCurrent()
{
    if (m_current < 0 || !m_source)
        return;
    const SpaceMapItem &item = m_input->items[m_cells[std::size_t(m_current)].item];
    if (item.node != SpaceTree::none)
        m_source->openNode(int(item.node)); // a folder opens, a file is shown in the file manager
}

void SpaceMap::hoverMoveEvent(QHoverEvent *event)
{
    setHover(spaceMapCellAt(m_cells, event->position()), event->position());
}

void SpaceMap::hoverLeaveEvent(QHoverEvent *)
{
    setHover(-1, {});
}

void SpaceMap::setHover(int cell, const QPointF &point)
{
    const bool moved = cell != m_hover;
    m_hover = cell;
    m_hoverPoint = point;
    Q_EMIT hoverChanged();
    if (moved)
        update();
}

void SpaceMap::setCurrent(int cell)
{
    if (cell == m_current)
        return;
    m_current = cell;
    Q_EMIT currentChanged();
    update();
}

void SpaceMap::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        setCurrent(spaceMapNeighbour(m_cells, m_current, -1, 0));
        break;
    case Qt::Key_Right:
        setCurrent(spaceMapNeighbour(m_cells, m_current, 1, 0));
        break;
    case Qt::Key_Up:
        setCurrent(spaceMapNeighbour(m_cells, m_current, 0, -1));
        break;
    case Qt::Key_Down:
        setCurrent(spaceMapNeighbour(m_cells, m_current, 0, 1));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openCurrent();
        break;
    case Qt::Key_Menu:
        if (m_current >= 0) {
            const SpaceMapCell &cell = m_cells[std::size_t(m_current)];
            const SpaceMapItem &item = m_input->items[cell.item];
            if (item.node != SpaceTree::none)
                Q_EMIT menuRequested(int(item.node), cell.rect.center().x(), cell.rect.center().y());
        }
        break;
    default:
        QQuickPaintedItem::keyPressEvent(event);
        return;
    }
    event->accept();
}

void SpaceMap::focusInEvent(QFocusEvent *event)
{
    QQuickPaintedItem::focusInEvent(event);
    update();
}

void SpaceMap::focusOutEvent(QFocusEvent *event)
{
    QQuickPaintedItem::focusOutEvent(event);
    update();
}

} // namespace Varnoll
