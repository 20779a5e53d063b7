#include "app/presentation/SpaceMapLayout.h"

#include "core/Paths.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Varnoll {

using namespace Morvane;

namespace {

// How far a row of areas `sum` (smallest `least`, largest `most`) along a side of
// length `side` is from squares: the worst aspect ratio in it.
double worstRatio(double sum, double least, double most, double side)
{
    const double sum2 = sum * sum;
    const double side2 = side * side;
    return std::max(side2 * most / sum2, sum2 / (side2 * least));
}

class Squarifier {
public:
    Squarifier(const std::vector<double> &weights, const QRectF &bounds, std::vector<QRectF> &out)
        : m_weights(weights)
        , m_free(bounds)
        , m_out(out)
    {
        double total = 0;
        for (double w : weights)
            total += std::max(w, 0.0);
        m_scale = total > 0 ? bounds.width() * bounds.height() / total : 0;
    }

    void run()
    {
        if (m_scale <= 0)
            return;
        std::size_t last = m_weights.size();
        while (last > 0 && m_weights[last - 1] <= 0)
            --last;
        for (std::size_t i = 0; i < last;) {
            const double area = m_weights[i] * m_scale;
            if (area <= 0) {
                ++i;
                continue;
            }
            const double side = std::min(m_free.width(), m_free.height());
            if (m_row.empty()
                || worstRatio(m_sum + area, std::min(m_least, area), std::max(m_most, area), side)
                    <= worstRatio(m_sum, m_least, m_most, side)) {
                m_row.push_back(i);
                m_sum += area;
                m_least = m_row.size() == 1 ? area : std::min(m_least, area);
                m_most = std::max(m_most, area);
                ++i;
                continue;
            }
            place(false);
        }
        if (!m_row.empty())
            place(true);
    }

private:
    // Lays the row along the shorter side of the free space and takes it away; the last
    // row takes all that is left, so rounding leaves no gap.
    void place(bool lastRow)
    {
        const bool column = m_free.width() >= m_free.height();
        const double length = column ? m_free.height() : m_free.width();
        double thickness = length > 0 ? m_sum / length : 0;
        if (lastRow)
            thickness = column ? m_free.width() : m_free.height();
        double at = column ? m_free.top() : m_free.left();
        const double end = column ? m_free.bottom() : m_free.right();
        for (std::size_t k = 0; k < m_row.size(); ++k) {
            const double area = m_weights[m_row[k]] * m_scale;
            double extent = thickness > 0 ? area / thickness : 0;
            if (k + 1 == m_row.size())
                extent = end - at;
            m_out[m_row[k]]
                = column ? QRectF(m_free.left(), at, thickness, extent) : QRectF(at, m_free.top(), extent, thickness);
            at += extent;
        }
        if (column)
            m_free.setLeft(std::min(m_free.left() + thickness, m_free.right()));
        else
            m_free.setTop(std::min(m_free.top() + thickness, m_free.bottom()));
        m_row.clear();
        m_sum = m_least = m_most = 0;
    }

    const std::vector<double> &m_weights;
    QRectF m_free;
    std::vector<QRectF> &m_out;
    double m_scale = 0;
    std::vector<std::size_t> m_row;
    double m_sum = 0;
    double m_least = 0;
    double m_most = 0;
};

class Collector {
public:
    Collector(const SpaceTree &tree, const SpaceMapOptions &options, SpaceMapInput &input)
        : m_tree(tree)
        , m_options(options)
        , m_input(input)
    {
    }

    // Appends the children of `folder` as one block of items (then, block by block,
    // those of its folders that will have room) and returns the block's size.
    std::uint32_t collect(SpaceTree::Index folder, double area, int depth)
    {
        std::vector<SpaceTree::Index> kids = m_tree.children(folder);
        std::erase_if(kids, [this](SpaceTree::Index i) {
            return m_tree.node(i).type() == SpaceTree::Type::symlink || m_tree.node(i).bytes <= 0;
        });
        double total = 0;
        for (SpaceTree::Index i : kids)
            total += double(m_tree.node(i).bytes);
        if (kids.empty() || total <= 0)
            return 0;
        std::size_t shown = 0;
        while (shown < kids.size() && shown < m_options.maximumChildren) {
            const double share = area * double(m_tree.node(kids[shown]).bytes) / total;
            if (share < m_options.minimumArea && kids.size() - shown > 1)
                break;
            ++shown;
        }
        SpaceMapItem rest;
        rest.kind = SpaceMapItem::Kind::rest;
        for (std::size_t k = shown; k < kids.size(); ++k) {
            rest.bytes += m_tree.node(kids[k]).bytes;
            ++rest.restCount;
        }
        const auto first = std::uint32_t(m_input.items.size());
        for (std::size_t k = 0; k < shown; ++k)
            m_input.items.push_back(itemFor(kids[k]));
        if (rest.restCount > 0)
            m_input.items.push_back(rest);
        const auto count = std::uint32_t(m_input.items.size() - first);
        if (depth >= m_options.maxDepth)
            return count;
        // A folder that will be framed with room inside: about two minimum sides square.
        const double roomy = 4 * m_options.minimumFolder * m_options.minimumFolder;
        for (std::size_t k = 0; k < shown; ++k) {
            const SpaceTree::Node &node = m_tree.node(kids[k]);
            const double share = area * double(node.bytes) / total;
            if (!node.isFolder() || node.childCount == 0 || share < roomy)
                continue;
            const auto block = std::uint32_t(m_input.items.size());
            // What the name band and the border leave is roughly three quarters of it.
            const std::uint32_t children = collect(kids[k], share * 0.75, depth + 1);
            m_input.items[first + k].firstChild = block;
            m_input.items[first + k].childCount = children;
        }
        return count;
    }

private:
    SpaceMapItem itemFor(SpaceTree::Index i) const
    {
        const SpaceTree::Node &node = m_tree.node(i);
        SpaceMapItem item;
        item.name = displayPath(pathFromBytes(m_tree.name(i)));
        item.bytes = node.bytes;
        item.node = i;
        item.kind = node.isFolder() ? SpaceMapItem::Kind::folder : SpaceMapItem::Kind::file;
        item.incomplete = node.isFolder() && !node.has(SpaceTree::complete);
        item.fileClass = node.isFolder() ? FileTypeFilter::all : node.fileClass();
        return item;
    }

    const SpaceTree &m_tree;
    const SpaceMapOptions &m_options;
    SpaceMapInput &m_input;
};

class Layout {
public:
    Layout(const SpaceMapInput &input, const SpaceMapOptions &options, std::vector<SpaceMapCell> &cells)
        : m_input(input)
        , m_options(options)
        , m_cells(cells)
    {
    }

    void place(std::uint32_t first, std::uint32_t count, const QRectF &rect, int parent, int depth)
    {
        std::vector<double> weights(count);
        for (std::uint32_t k = 0; k < count; ++k)
            weights[k] = double(m_input.items[first + k].bytes);
        const std::vector<QRectF> rects = squarify(weights, rect);
        for (std::uint32_t k = 0; k < count; ++k) {
            if (rects[k].isEmpty())
                continue;
            const SpaceMapItem &item = m_input.items[first + k];
            SpaceMapCell cell;
            cell.rect = rects[k];
            cell.item = first + k;
            cell.parent = parent;
            cell.depth = std::uint8_t(depth);
            const QRectF &r = cell.rect;
            cell.framed = item.kind == SpaceMapItem::Kind::folder && item.childCount > 0 && depth < m_options.maxDepth
                && r.width() >= m_options.minimumFolder + 2 * m_options.padding
                && r.height() >= m_options.minimumFolder + m_options.header + m_options.padding;
            cell.labelled = cell.framed || (r.width() >= 40 && r.height() >= 16);
            if (cell.framed)
                cell.inner = r.adjusted(m_options.padding, m_options.header, -m_options.padding, -m_options.padding);
            m_cells.push_back(cell);
            if (cell.framed)
                place(item.firstChild, item.childCount, cell.inner, int(m_cells.size() - 1), depth + 1);
        }
    }

private:
    const SpaceMapInput &m_input;
    const SpaceMapOptions &m_options;
    std::vector<SpaceMapCell> &m_cells;
};

} // namespace

std::vector<QRectF> squarify(const std::vector<double> &weights, const QRectF &bounds)
{
    std::vector<QRectF> out(weights.size());
    Squarifier(weights, bounds, out).run();
    return out;
}

SpaceMapInput collectSpaceMap(
    const SpaceTree &tree, SpaceTree::Index folder, const QSizeF &size, const SpaceMapOptions &options)
{
    SpaceMapInput input;
    input.topCount = Collector(tree, options, input).collect(folder, size.width() * size.height(), 1);
    return input;
}

std::vector<SpaceMapCell> layoutSpaceMap(
    const SpaceMapInput &input, const QRectF &bounds, const SpaceMapOptions &options)
{
    std::vector<SpaceMapCell> cells;
    cells.reserve(input.items.size());
    Layout(input, options, cells).place(0, input.topCount, bounds, -1, 1);
    return cells;
}

int spaceMapCellAt(const std::vector<SpaceMapCell> &cells, const QPointF &point)
{
    // Enclosing cells come first: the last hit is the deepest.
    for (std::size_t k = cells.size(); k-- > 0;) {
        if (cells[k].rect.contains(point))
            return int(k);
    }
    return -1;
}

int spaceMapNeighbour(const std::vector<SpaceMapCell> &cells, int from, int dx, int dy)
{
    if (from < 0 || from >= int(cells.size())) {
        const auto first = std::find_if(cells.begin(), cells.end(), [](const SpaceMapCell &c) { return c.parent < 0; });
        return first == cells.end() ? -1 : int(first - cells.begin());
    }
    const QPointF origin = cells[std::size_t(from)].rect.center();
    int best = from;
    double bestScore = std::numeric_limits<double>::max();
    for (std::size_t k = 0; k < cells.size(); ++k) {
        if (cells[k].parent >= 0 || int(k) == from)
            continue;
        const QPointF d = cells[k].rect.center() - origin;
        const double along = d.x() * dx + d.y() * dy;
        if (along <= 0.5)
            continue;
        const double across = std::abs(d.x() * dy) + std::abs(d.y() * dx);
        const double score = along + 2 * across;
        if (score < bestScore) {
            bestScore = score;
            best = int(k);
        }
    }
    return best;
}

} // namespace Varnoll
