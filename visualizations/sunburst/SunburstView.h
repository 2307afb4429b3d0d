#pragma once

#include "shell/canvas/CanvasView.h"
#include "visualizations/sunburst/SunburstLayout.h"

#include <QImage>

#include <span>

struct Theme;

namespace sunburst {

// The cached picture of a view of `size` points: sectors with their separators, the labels and the
// centre disc (the selection and hover outlines and the disc's texts, which follow the hover, are
// drawn with the overlay). `scratch` is a pixel buffer kept by the caller from one painting to the next.
void paintPicture(QPainter& painter, QSizeF size, const Geometry& geometry, const Theme& theme,
                  std::span<const SunArc> arcs, bool abbreviate, QImage& scratch);

} // namespace sunburst

// The "Sunburst" visualisation: the folder's children on concentric rings around a centre disc that
// names the folder, or the node under the pointer, with its size. The arcs are angles, laid out once
// per generation, folder, depth and colour mode; a new size only redraws them.
class SunburstView : public LayoutCanvas<sunburst::SunArc> {
  public:
    explicit SunburstView(QWidget* parent = nullptr);

    sunburst::Geometry geometry() const;
    FileNode* hitTest(QPointF point) const override;

    // The node the centre disc names (by its display name): the hovered one, else the folder.
    const FileNode* centreNode() const;
    QString centreName() const;

  protected:
    Items computeLayout(const LayoutInput& input) const override;
    QSize layoutSize() const override { return {0, 0}; }
    bool showsChipFor(const FileNode* node) const override;
    void paintCanvas(QPainter& painter, QSizeF size) override;
    void paintOverlay(QPainter& painter) override;

  private:
    QImage scratch_;
};
