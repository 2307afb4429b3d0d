#include "visualizations/bubbles/BubblesView.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/canvas/ParallelPaint.h"
#include "shell/canvas/RectRaster.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"

#include <QPainter>

#include <algorithm>

namespace {

using color_blend::over;
using color_blend::withOpacity;

void ring(QPainter& painter, const bubbles::Bubble& bubble) {
    painter.setPen(QPen(withOpacity(canvasInk(), 0.8), 1.6));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(bubble.center, bubble.radius, bubble.radius);
}

struct PlacedLabel {
    bubbles::Label label;
    bool root = false;
};

std::vector<PlacedLabel> labelsOf(std::span<const bubbles::Bubble> bubbles, const QString& rootName,
                                  bool abbreviate) {
    std::vector<PlacedLabel> labels;
    for (const bubbles::Bubble& b : bubbles) {
        const bool root = b.depth == 0;
        if (auto label = bubbles::labelFor(b, root ? rootName : nodeName(*b.node), abbreviate))
            labels.push_back({std::move(*label), root});
    }
    // Drawn by font size: switching fonts costs more than drawing a short text.
    std::stable_sort(labels.begin(), labels.end(), [](const PlacedLabel& a, const PlacedLabel& b) {
        return a.label.fontSize < b.label.fontSize;
    });
    return labels;
}

void drawLabels(QPainter& painter, const QRectF& visible, const std::vector<PlacedLabel>& labels,
                const QColor& rootInk) {
    double fontSize = 0;
    for (const PlacedLabel& p : labels) {
        const bubbles::Label& l = p.label;
        if (l.anchor.y() + l.fontSize < visible.top() || l.anchor.y() - l.fontSize > visible.bottom())
            continue;
        if (l.fontSize != fontSize) {
            fontSize = l.fontSize;
            painter.setFont(fonts::ui(fontSize, QFont::DemiBold));
        }
        painter.setPen(p.root ? rootInk : canvasInk());
        canvas_labels::drawCentred(painter, l.anchor, l.text);
    }
}

// The circles written straight into `image`, the view's top-left at `origin` (in the image's pixels),
// `ratio` pixels per point. Every circle lies on its parent's uniform fill, so the colour each
// translucent fill or stroke leaves there is known and drawn opaque.
void rasterCircles(QImage& image, QPointF origin, double ratio, const Theme& t,
                   std::span<const bubbles::Bubble> bubbles) {
    auto disc = [&](QPointF centre, double radius) {
        const double r = std::max(radius, 0.0) * ratio;
        return std::pair(QRectF(origin + centre * ratio - QPointF(r, r), QSizeF(2 * r, 2 * r)), r);
    };
    rect_raster::Batch batch;
    batch.reserve(3 * bubbles.size());
    auto fill = [&](const bubbles::Bubble& b, double radius, QRgb colour) {
        const auto [rect, r] = disc(b.center, radius);
        batch.fillRoundedRect(rect, r, colour);
    };
    // A line along the circle from `inside` to `outside` points from its centre.
    auto stroke = [&](const bubbles::Bubble& b, double inside, double outside, QRgb colour) {
        const auto [outer, ro] = disc(b.center, b.radius + outside);
        const auto [inner, ri] = disc(b.center, b.radius - inside);
        batch.fillRoundedRing(outer, ro, inner, ri, colour);
    };

    std::vector<QColor> fills; // the latest fill at each depth: what the next level lies on
    for (const bubbles::Bubble& b : bubbles) {
        const QColor beneath = b.depth == 0 ? t.background : fills[size_t(b.depth - 1)];
        QColor own;
        if (b.depth == 0) {
            own = t.card;
            fill(b, b.radius, own.rgb());
            stroke(b, 0.6, 0.6, over(t.border, beneath).rgb());
        } else if (b.isGroup) {
            own = over(withOpacity(b.color, 0.32), beneath);
            fill(b, b.radius, own.rgb());
            stroke(b, 0.5, 0.5, over(withOpacity(b.color, 0.95), beneath).rgb());
        } else {
            own = over(withOpacity(b.color, 0.85), beneath);
            fill(b, b.radius, own.rgb());
            const QColor line(255, 255, 255, int(255 * 0.35 + 0.5));
            stroke(b, 0.4, 0, over(line, own).rgb());
            stroke(b, 0, 0.4, over(line, beneath).rgb());
        }
        fills.resize(size_t(b.depth) + 1);
        fills.back() = own;
    }
    batch.draw(image);
}

} // namespace

namespace bubbles {

void paintPicture(QPainter& painter, QSizeF size, const Theme& t, std::span<const Bubble> bubbles,
                  const QString& rootName, bool abbreviate, QImage& scratch) {
    const std::vector<PlacedLabel> labels = labelsOf(bubbles, rootName, abbreviate);
    rect_raster::rasterInto(painter, size, scratch, [&](QImage& image, QPointF origin, double ratio) {
        rasterCircles(image, origin, ratio, t, bubbles);
        paintBandsInParallel(image, origin, ratio, [&](QPainter& band, const QRectF& visible) {
            drawLabels(band, visible, labels, t.text);
        });
    });
}

} // namespace bubbles

BubblesView::BubblesView(QWidget* parent) : LayoutCanvas(parent) {}

BubblesView::Items BubblesView::computeLayout(const LayoutInput& input) const {
    // The depth control does not apply: four levels always.
    return bubbles::buildPackTree(input.root, input.mode, input.now);
}

const std::vector<bubbles::Bubble>& BubblesView::bubbles() const {
    const Items& packed = items();
    return fitted_.value({vizKey(), size()}, [&] { return bubbles::flatten(packed, size()); });
}

FileNode* BubblesView::hitTest(QPointF point) const {
    return bubbles::hitTest(bubbles(), point);
}

bool BubblesView::showsChipFor(const FileNode* node) const {
    // Not for the folder itself; its regrouped copy under "By type" and "By age" is another node.
    return node && node != state().folder;
}

void BubblesView::paintCanvas(QPainter& painter, QSizeF size) {
    const QString rootName = state().folder ? displayName(*state().folder) : QString();
    bubbles::paintPicture(painter, size, theme(), bubbles(), rootName, state().abbreviateLabels, scratch_);
}

void BubblesView::paintOverlay(QPainter& painter) {
    const FileNode* selected = state().selected;
    if (!selected && !hovered()) return;
    const auto& drawn = bubbles();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    // The root circle is never ringed.
    if (selected)
        for (const bubbles::Bubble& b : drawn)
            if (b.node == selected && b.depth > 0) ring(painter, b);
    if (const bubbles::Bubble* b = bubbles::find(drawn, hovered()); b && b->depth > 0) ring(painter, *b);
    painter.restore();
}
