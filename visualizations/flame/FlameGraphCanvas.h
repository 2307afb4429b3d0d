#pragma once

#include "shell/canvas/CanvasView.h"
#include "visualizations/flame/FlameGraphLayout.h"

#include <QImage>

#include <span>

struct Theme;

namespace flame {

// A block's label, ready to draw: its text starts at `anchor` (the left end of its middle line).
struct Label {
    QPointF anchor;
    QString text;
    size_t block = 0; // the index of the block it names
};

// The labels of the blocks wide enough for one. The folder's block (row 0) names `folderPath`.
std::vector<Label> labelsOf(std::span<const Block> blocks, const QString& folderPath, bool abbreviate);

// The cached picture with the content's origin at the painter's origin: every block over the theme's
// background, and the labels. `scratch` is a pixel buffer kept by the caller from one painting to the next.
void paintPicture(QPainter& painter, QSizeF content, const Theme& theme, std::span<const Block> blocks,
                  std::span<const Label> labels, QImage& scratch);
// Drawn over the picture: the mark of `selected`'s blocks below the folder's own, and the highlight
// and mark of `hovered`'s first block, the folder's included (either may be null or have no block).
void paintOutlines(QPainter& painter, std::span<const Block> blocks, const Theme& theme,
                   const FileNode* selected, const FileNode* hovered);

} // namespace flame

// The canvas of the "Flame" visualisation, which scrolls it (FlameGraphView): as wide as the view and
// as high as the rows the depth asks for, with 14 points of padding around the blocks. It lays out per
// generation, folder, content width, depth and colour mode; its picture is the whole content.
class FlameGraphCanvas : public LayoutCanvas<flame::Block> {
  public:
    explicit FlameGraphCanvas(QWidget* parent = nullptr);

    // Where the content's origin lies in the canvas.
    static QPointF contentOrigin() { return {flame::kPadding, flame::kPadding}; }
    FileNode* hitTest(QPointF point) const override;

  protected:
    Items computeLayout(const LayoutInput& input) const override;
    QSize layoutSize() const override;
    void paintCanvas(QPainter& painter, QSizeF size) override;
    void paintOverlay(QPainter& painter) override;
    void stateChanged() override;

  private:
    QImage scratch_;
};
