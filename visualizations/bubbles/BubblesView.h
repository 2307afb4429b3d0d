#pragma once

#include "shell/canvas/CanvasView.h"
#include "visualizations/bubbles/BubblesLayout.h"

#include <QImage>
#include <QSize>

#include <span>
#include <vector>

struct Theme;

namespace bubbles {

// The cached picture of a view of `size` points: every circle filled and stroked, then the labels.
// `rootName` is what the root circle is called; `scratch` is a pixel buffer kept by the caller.
void paintPicture(QPainter& painter, QSizeF size, const Theme& theme, std::span<const Bubble> bubbles,
                  const QString& rootName, bool abbreviate, QImage& scratch);

} // namespace bubbles

// The "Bubbles" visualisation: the folder as nested circles, each folder holding its children, areas
// by bytes on disk. The packing is made once per generation, folder and colour mode (the depth is
// fixed at four levels); a new size only fits the packed circles into it again.
class BubblesView : public LayoutCanvas<bubbles::PackNode> {
  public:
    explicit BubblesView(QWidget* parent = nullptr);

    // The circles as drawn at the current size, in pre-order.
    const std::vector<bubbles::Bubble>& bubbles() const;
    FileNode* hitTest(QPointF point) const override;

  protected:
    Items computeLayout(const LayoutInput& input) const override;
    QSize layoutSize() const override { return {0, 0}; }
    bool showsChipFor(const FileNode* node) const override;
    void paintCanvas(QPainter& painter, QSizeF size) override;
    void paintOverlay(QPainter& painter) override;

  private:
    struct FitKey {
        VizKey pack;
        QSize size;
        friend bool operator==(const FitKey&, const FitKey&) = default;
    };
    mutable LayoutCache<std::vector<bubbles::Bubble>, FitKey> fitted_;
    QImage scratch_;
};
