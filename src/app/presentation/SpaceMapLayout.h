#pragma once

#include "core/Enums.h"
#include "core/scan/SpaceTree.h"

#include <QRectF>
#include <QSizeF>
#include <QString>

#include <cstdint>
#include <vector>

namespace Varnoll {

// The space page's map: the shown folder as a squarified treemap, two or three levels
// deep. Pure geometry, no drawing: the window's map item paints what this lays out.

/// Lays `weights` (in the order given, best largest first) into `bounds` as squarified
/// rectangles: one per weight, in input order. They tile `bounds` without overlap and
/// each one's area is its weight's share of the total; a weight of zero or less gets
/// an empty rectangle. The same input always gives the same rectangles.
[[nodiscard]] std::vector<QRectF> squarify(const std::vector<double> &weights, const QRectF &bounds);

struct SpaceMapOptions {
    int maxDepth = 3; // levels below the shown folder
    double header = 16; // a framed folder's name band
    double padding = 2; // between a framed folder's border and what it holds
    double minimumArea = 36; // children smaller than this are drawn together as one cell
    double minimumFolder = 30; // a folder narrower or lower (below its band) is drawn solid
    std::size_t maximumChildren = 1500; // per folder; the rest are drawn together
};

/// One thing the map can draw: a file, a folder, or the children too small to draw
/// one by one ("rest"). Copied out of the tree, so that the layout can run elsewhere.
struct SpaceMapItem {
    enum class Kind : std::uint8_t { file, folder, rest };
    QString name;
    std::int64_t bytes = 0;
    Morvane::SpaceTree::Index node = Morvane::SpaceTree::none; // none for the rest
    Kind kind = Kind::file;
    bool incomplete = false;
    Morvane::FileTypeFilter fileClass = Morvane::FileTypeFilter::all;
    std::uint32_t restCount = 0;
    std::uint32_t firstChild = 0; // a folder's collected children: items[firstChild, +childCount)
    std::uint32_t childCount = 0;
};

struct SpaceMapInput {
    std::vector<SpaceMapItem> items; // the shown folder's children first
    std::uint32_t topCount = 0;
};

/// The children of `folder` (links left out, as on the list) and, where they will have
/// room on a map of `size`, their children, down to `maxDepth` levels. UI thread.
[[nodiscard]] SpaceMapInput collectSpaceMap(const Morvane::SpaceTree &tree, Morvane::SpaceTree::Index folder,
    const QSizeF &size, const SpaceMapOptions &options = {});

struct SpaceMapCell {
    QRectF rect;
    QRectF inner; // a framed folder: where its children lie
    std::uint32_t item = 0; // into SpaceMapInput::items
    int parent = -1; // the enclosing cell; -1 at the top level
    std::uint8_t depth = 1; // 1 for the shown folder's children
    bool framed = false; // a folder drawn with its name band and its children
    bool labelled = false; // room for the name

    friend bool operator==(const SpaceMapCell &, const SpaceMapCell &) = default;
};

/// The cells of the map in `bounds`, every enclosing cell before the cells it holds.
/// Pure: any thread.
[[nodiscard]] std::vector<SpaceMapCell> layoutSpaceMap(
    const SpaceMapInput &input, const QRectF &bounds, const SpaceMapOptions &options = {});

/// The deepest cell at `point`; -1 when none.
[[nodiscard]] int spaceMapCellAt(const std::vector<SpaceMapCell> &cells, const QPointF &point);

/// The top-level cell next to `from` in the direction (dx, dy) (one of them ±1, the
/// other 0): the nearest one whose centre lies that way; `from` itself when none.
[[nodiscard]] int spaceMapNeighbour(const std::vector<SpaceMapCell> &cells, int from, int dx, int dy);

} // namespace Varnoll
