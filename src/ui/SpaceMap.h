#pragma once

#include "app/presentation/SpaceListModel.h"
#include "app/presentation/SpaceMapLayout.h"

#include <QColor>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QStaticText>
#include <QVariantList>

#include <memory>

namespace Varnoll {

/// The space page's map: the folder shown as a squarified treemap (SpaceMapLayout.h),
/// painted in C++. Each cell's area is its size; framed folders carry their name; files
/// are coloured by type class; folders not fully counted are hatched. Clicking inside a
/// folder opens it as its list row does; a right click asks for the row menu; the
/// arrow keys move between the top-level cells and Return opens the current one. The
/// colours come from the palette in QML, so the legend and the cells agree.
///
/// Large maps are laid out on the thread pool; the tree is read on the UI thread only.
class SpaceMap : public QQuickPaintedItem {
    Q_OBJECT
    Q_PROPERTY(Varnoll::SpaceListModel *source READ source WRITE setSource NOTIFY sourceChanged)
    Q_PROPERTY(QVariantList classColors MEMBER m_classColors NOTIFY colorsChanged)
    Q_PROPERTY(QColor folderColor MEMBER m_folderColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor bandColor MEMBER m_bandColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor frameColor MEMBER m_frameColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor restColor MEMBER m_restColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor hatchColor MEMBER m_hatchColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor textColor MEMBER m_textColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor inverseTextColor MEMBER m_inverseTextColor NOTIFY colorsChanged)
    Q_PROPERTY(QColor focusColor MEMBER m_focusColor NOTIFY colorsChanged)
    Q_PROPERTY(QStringList legendNames READ legendNames CONSTANT)
    Q_PROPERTY(int cellCount READ cellCount NOTIFY cellsChanged)
    Q_PROPERTY(bool hovering READ hovering NOTIFY hoverChanged)
    Q_PROPERTY(QString hoverText READ hoverText NOTIFY hoverChanged)
    Q_PROPERTY(QPointF hoverPoint READ hoverPoint NOTIFY hoverChanged)
    Q_PROPERTY(QString accessibleName READ accessibleName NOTIFY currentChanged)

public:
    explicit SpaceMap(QQuickItem *parent = nullptr);
    ~SpaceMap() override;

    [[nodiscard]] SpaceListModel *source() const { return m_source; }
    void setSource(SpaceListModel *source);
    /// Shows `folder` of `tree`; shares are of `total`. For callers without a list
    /// model (the benchmark); the source calls it on every change of its result.
    void show(std::shared_ptr<const Morvane::SpaceTree> tree, Morvane::SpaceTree::Index folder, std::int64_t total);
    /// Lays out now, on this thread, whatever the size.
    void relayoutNow();

    /// The type classes' names in the order of `classColors` after its first entry
    /// (other files last): 文档, 图片, 视频, 音频, 压缩与安装文件, 其他文件.
    [[nodiscard]] QStringList legendNames() const;
    [[nodiscard]] int cellCount() const { return int(m_cells.size()); }
    [[nodiscard]] bool hovering() const { return m_hover >= 0; }
    [[nodiscard]] QString hoverText() const;
    [[nodiscard]] QPointF hoverPoint() const { return m_hoverPoint; }
    [[nodiscard]] QString accessibleName() const;

    /// The rectangle of the first cell with that name, in item coordinates; empty when
    /// there is none (tests and the snapshot tool click through it).
    Q_INVOKABLE QRectF cellRect(const QString &name) const;
    /// Opens the current cell as Return does.
    Q_INVOKABLE void openCurrent();

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void sourceChanged();
    void colorsChanged();
    void cellsChanged();
    void hoverChanged();
    void currentChanged();
    /// A right click or the menu key on a cell of a node (`x`, `y` in item coordinates).
    void menuRequested(int node, qreal x, qreal y);

protected:
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void hoverMoveEvent(QHoverEvent *event) override;
    void hoverLeaveEvent(QHoverEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    class Relay;
    struct Label {
        QStaticText name;
        QStaticText size; // empty: no room for a second line
        QPointF at;
        bool dark = false;
    };

    void sourceResultChanged();
    void relayout();
    void adopt(quint64 generation, std::shared_ptr<const SpaceMapInput> input, std::vector<SpaceMapCell> cells);
    void open(int cell);
    void setHover(int cell, const QPointF &point);
    void setCurrent(int cell);
    [[nodiscard]] QString tipOf(int cell) const;
    [[nodiscard]] QColor fillOf(const SpaceMapItem &item) const;
    void prepareLabels(const QFont &font);

    QPointer<SpaceListModel> m_source;
    std::shared_ptr<const Morvane::SpaceTree> m_tree;
    Morvane::SpaceTree::Index m_folder = 0;
    std::int64_t m_total = 0;
    std::shared_ptr<const SpaceMapInput> m_input;
    std::vector<SpaceMapCell> m_cells;
    std::vector<Label> m_labels; // per cell, made at the first paint of a layout
    std::shared_ptr<Relay> m_relay;
    quint64 m_generation = 0;
    int m_hover = -1;
    QPointF m_hoverPoint;
    int m_current = -1;
    int m_pressed = -1;

    QVariantList m_classColors;
    QColor m_folderColor;
    QColor m_bandColor;
    QColor m_frameColor;
    QColor m_restColor;
    QColor m_hatchColor;
    QColor m_textColor;
    QColor m_inverseTextColor;
    QColor m_focusColor;
};

} // namespace Varnoll
