// The space page's map: squarified areas, nesting, grouping and the keys' neighbours.
#include "support/FakeCore.h"

#include "app/presentation/SpaceMapLayout.h"

#include <QTest>

using namespace VarnollTest;
using namespace Varnoll;

namespace {

double area(const QRectF &r)
{
    return r.isEmpty() ? 0 : r.width() * r.height();
}

bool inside(const QRectF &inner, const QRectF &outer)
{
    constexpr double e = 1e-6;
    return inner.left() >= outer.left() - e && inner.top() >= outer.top() - e && inner.right() <= outer.right() + e
        && inner.bottom() <= outer.bottom() + e;
}

// Sibling rectangles: inside `bounds`, no two overlapping, each with its weight's share.
void checkTiling(const std::vector<QRectF> &rects, const std::vector<double> &weights, const QRectF &bounds)
{
    double total = 0;
    for (double w : weights)
        total += std::max(w, 0.0);
    for (std::size_t i = 0; i < rects.size(); ++i) {
        QVERIFY(rects[i].isEmpty() || inside(rects[i], bounds));
        QVERIFY2(std::abs(area(rects[i]) / area(bounds) - std::max(weights[i], 0.0) / total) < 1e-9,
            qPrintable(QString::number(i)));
        for (std::size_t j = i + 1; j < rects.size(); ++j)
            QVERIFY(area(rects[i].intersected(rects[j])) < 1e-6);
    }
}

} // namespace

class SpaceMapLayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void squarifiedCellsTileTheirRectangleInProportion()
    {
        std::vector<double> weights { 5000, 3000, 3000, 1200, 700, 700, 700, 0, 55, 1, 1, 0 };
        for (int i = 0; i < 300; ++i)
            weights.push_back(1 + (i * 7919) % 97);
        std::sort(weights.begin(), weights.end(), std::greater<>());
        const QRectF bounds(10, 20, 640, 360);
        const std::vector<QRectF> rects = squarify(weights, bounds);
        QCOMPARE(rects.size(), weights.size());
        checkTiling(rects, weights, bounds);
        QVERIFY(rects.back().isEmpty()); // a zero weight has no area
        QCOMPARE(squarify(weights, bounds), rects); // the same input, the same map
        // Squarified: the large cells are not slivers.
        QVERIFY(std::max(rects[0].width(), rects[0].height()) / std::min(rects[0].width(), rects[0].height()) < 3);
        QVERIFY(squarify({ 0, 0 }, bounds).front().isEmpty());
    }

    void nestedCellsLieInsideTheirFolderInProportionAndInNameOrder()
    {
        QList<std::pair<QString, std::int64_t>> files { { "big.iso", 900'000 }, { "docs/a.pdf", 300'000 },
            { "docs/deep/b.txt", 200'000 }, { "docs/deep/c.txt", 100'000 }, { "music/x.mp3", 250'000 } };
        for (int i = 0; i < 30; ++i) // equal sizes: their order is their names'
            files.append({ QStringLiteral("same/f%1").arg(i, 2, 10, QLatin1Char('0')), 10'000 });
        for (int i = 0; i < 2000; ++i) // too small to draw one by one
            files.append({ QStringLiteral("tiny/t%1").arg(i), 100 });
        const ScanResult result = makeSpaceResult(QStringLiteral("/d"), files);
        const QSizeF size(800, 500);
        const SpaceMapInput input = collectSpaceMap(*result.spaceTree, result.spaceFolder, size);
        const std::vector<SpaceMapCell> cells = layoutSpaceMap(input, QRectF(QPointF(), size));
        QCOMPARE(layoutSpaceMap(collectSpaceMap(*result.spaceTree, result.spaceFolder, size), QRectF(QPointF(), size)),
            cells);

        QMap<int, std::vector<int>> byParent;
        for (int k = 0; k < int(cells.size()); ++k) {
            const SpaceMapCell &cell = cells[std::size_t(k)];
            QVERIFY(cell.parent < k);
            byParent[cell.parent].push_back(k);
            if (cell.parent >= 0) {
                QVERIFY(cells[std::size_t(cell.parent)].framed);
                QCOMPARE(cell.depth, cells[std::size_t(cell.parent)].depth + 1);
            }
        }
        for (auto it = byParent.cbegin(); it != byParent.cend(); ++it) {
            const QRectF bounds = it.key() < 0 ? QRectF(QPointF(), size) : cells[std::size_t(it.key())].inner;
            std::vector<QRectF> rects;
            std::vector<double> weights;
            for (int k : it.value()) {
                rects.push_back(cells[std::size_t(k)].rect);
                weights.push_back(double(input.items[cells[std::size_t(k)].item].bytes));
            }
            checkTiling(rects, weights, bounds);
        }

        QStringList same;
        QString rest;
        for (const SpaceMapCell &cell : cells) {
            const SpaceMapItem &item = input.items[cell.item];
            if (item.name.startsWith(u'f') && cell.depth == 2)
                same << item.name;
            if (item.kind == SpaceMapItem::Kind::rest)
                rest = QStringLiteral("%1 %2").arg(item.restCount).arg(item.bytes);
        }
        QCOMPARE(same.size(), 30);
        QVERIFY(std::is_sorted(same.begin(), same.end()));
        QCOMPARE(rest, QStringLiteral("2000 200000")); // the tiny files, together
    }

    void arrowsMoveToTheNearestTopLevelCellThatWay()
    {
        std::vector<SpaceMapCell> cells(4);
        cells[0].rect = QRectF(0, 0, 100, 100);
        cells[1].rect = QRectF(100, 0, 100, 50);
        cells[2].rect = QRectF(100, 50, 100, 50);
        cells[3].rect = QRectF(110, 10, 20, 20);
        cells[3].parent = 1; // inside a folder: not a stop for the keys
        QCOMPARE(spaceMapNeighbour(cells, -1, 0, 0), 0);
        QCOMPARE(spaceMapNeighbour(cells, 0, 1, 0), 1);
        QCOMPARE(spaceMapNeighbour(cells, 1, 0, 1), 2);
        QCOMPARE(spaceMapNeighbour(cells, 2, -1, 0), 0);
        QCOMPARE(spaceMapNeighbour(cells, 0, -1, 0), 0); // nothing that way: stay
        QCOMPARE(spaceMapCellAt(cells, QPointF(115, 15)), 3);
    }
};

QTEST_GUILESS_MAIN(SpaceMapLayoutTest)
#include "space_map_layout_test.moc"
