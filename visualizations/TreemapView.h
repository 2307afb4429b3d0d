#pragma once

#include "shell/CanvasView.h"
#include "visualizations/TreemapLayout.h"

// The "Treemap" visualisation: the folder as nested squarified rectangles sized by bytes on disk,
// drawn in a frame with 13 points of padding. Hover highlights a cell and shows the chip; a click
// selects, a double click opens; the context menu acts on the cell's node.
class TreemapView : public LayoutCanvas<treemap::Cell> {
public:
    explicit TreemapView(QWidget* parent = nullptr);

    // The frame the cells are laid out in, in widget coordinates.
    QRectF frameRect() const;
    FileNode* hitTest(QPointF point) const override;

protected:
    Items computeLayout(const LayoutInput& input) const override;
    QSize layoutSize() const override;
    void paintCanvas(QPainter& painter, QSizeF size) override;
    void paintOverlay(QPainter& painter) override;
};
