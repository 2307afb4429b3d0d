#pragma once

#include "shell/canvas/CanvasView.h"
#include "visualizations/treemap/TreemapLayout.h"

#include <QImage>

#include <span>

struct Theme;

namespace treemap {

// The cached picture with the frame at the origin: the frame's background, every cell and the labels.
// `scratch` is the picture's pixel buffer, kept by the caller from one painting to the next.
void paintPicture(QPainter& painter, QSizeF frame, const Theme& theme, std::span<const Cell> cells,
                  bool abbreviate, QImage& scratch);
// Drawn over the picture: the mark of `selected`'s cells, and the highlight and mark of `hovered`'s
// deepest cell (either may be null or have no cell).
void paintOutlines(QPainter& painter, std::span<const Cell> cells, const Theme& theme,
                   const FileNode* selected, const FileNode* hovered);

} // namespace treemap

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

  private:
    QImage scratch_;
};
