#pragma once

#include "shell/canvas/CanvasView.h"
#include "visualizations/mindmap/MindMapLabels.h"
#include "visualizations/mindmap/MindMapLayout.h"

#include <QImage>

#include <QImage>

#include <span>

struct Theme;

namespace mind_map {

// What one frame shows besides the branches.
struct Frame {
    QPointF centre;
    const FileNode* folder = nullptr; // the centre disc (none: no disc)
    QString folderName;               // its display name
    const FileNode* hovered = nullptr;
    const FileNode* selected = nullptr;
    bool abbreviate = false;
};

// The whole picture of a view of `size` points, back to front: connectors, dots with the hover and
// selection rings, the labels placed for this frame, and the centre disc with the folder's name and size
// on top. `scratch` is a pixel buffer kept by the caller from one painting to the next.
void paintPicture(QPainter& painter, QSizeF size, const Theme& theme, std::span<const Branch> branches,
                  const Frame& frame, QImage& scratch);

} // namespace mind_map

// The "Mind Map" visualisation: the folder as a disc at the centre with up to three rings of branches
// around it, each a dot sized by bytes and joined to its parent by a curved connector. The branches
// are laid out once per layout key; the picture, whose labels make room for the hovered branch's, is
// drawn again on every paint. A click selects, a double click opens; the centre stands for the folder.
class MindMapView : public LayoutCanvas<mind_map::Branch> {
  public:
    explicit MindMapView(QWidget* parent = nullptr);

    QPointF centre() const;
    FileNode* hitTest(QPointF point) const override;

  protected:
    Items computeLayout(const LayoutInput& input) const override;
    bool showsChipFor(const FileNode* node) const override;
    bool cachesDrawing() const override { return false; }
    void paintCanvas(QPainter& painter, QSizeF size) override;

  private:
    QImage scratch_;
};
