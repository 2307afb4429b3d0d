#include "visualizations/bubbles/BubblesView.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/canvas/ParallelPaint.h"
#include "shell/canvas/RectRaster.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Contrast.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/ItemMark.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

using color_blend::over;
using color_blend::withOpacity;

// What each circle shows: its own fill and the fill it lies on. Every circle lies on its parent's
// uniform fill, so the colour each translucent fill leaves there is known, and opaque.
struct CircleFill {
    QColor own;
    QColor beneath;
};

std::vector<CircleFill> fillsOf(std::span<const bubbles::Bubble> bubbles, const Theme& t) {
    std::vector<CircleFill> fills;
    fills.reserve(bubbles.size());
    std::vector<QColor> latest; // the latest fill at each depth: what the next level lies on
    for (const bubbles::Bubble& b : bubbles) {
        const QColor beneath = b.depth == 0 ? t.background : latest[size_t(b.depth - 1)];
        const QColor own = b.depth == 0 ? t.card
                           : b.isGroup  ? over(withOpacity(b.color, 0.32), beneath)
                                        : over(withOpacity(b.color, 0.85), beneath);
        fills.push_back({own, beneath});
        latest.resize(size_t(b.depth) + 1);
        latest.back() = own;
    }
    return fills;
}

struct PlacedLabel {
    bubbles::Label label;
    QColor ink; // chosen for the circle's fill
};

bool meets(const bubbles::Bubble& b, const QRectF& rect) {
    const double dx = b.center.x() - std::clamp(b.center.x(), rect.left(), rect.right());
    const double dy = b.center.y() - std::clamp(b.center.y(), rect.top(), rect.bottom());
    return dx * dx + dy * dy < b.radius * b.radius;
}

// The ink of the label of the circle at `index`. A group's name sits at its top, where a circle inside
// it may reach into the text (a lone child nearly fills its parent): the ink reads on every fill under
// the text where one can, else on the fill under its middle.
QColor inkOf(std::span<const bubbles::Bubble> bubbles, std::span<const CircleFill> fills, size_t index,
             const bubbles::Label& label, const QColor& preferred) {
    const QFont font = fonts::ui(label.fontSize, QFont::DemiBold);
    const double width = QFontMetricsF(font).horizontalAdvance(label.text);
    const QRectF rect(label.anchor.x() - width / 2, label.anchor.y() - label.fontSize / 2, width,
                      label.fontSize);
    std::vector<QColor> under{fills[index].own};
    QColor middle = fills[index].own;
    const int depth = bubbles[index].depth;
    for (size_t j = index + 1; j < bubbles.size() && bubbles[j].depth > depth; ++j) {
        if (!meets(bubbles[j], rect)) continue;
        under.push_back(fills[j].own);
        // Later circles lie over earlier ones.
        if (meets(bubbles[j], QRectF(label.anchor, QSizeF(0, 0)))) middle = fills[j].own;
    }
    const QColor ink = contrast::textInk(under, preferred);
    return contrast::reads(ink, under, contrast::kText) ? ink : contrast::textInk(middle, preferred);
}

std::vector<PlacedLabel> labelsOf(std::span<const bubbles::Bubble> bubbles, std::span<const CircleFill> fills,
                                  const QColor& rootInk, const QString& rootName, bool abbreviate) {
    std::vector<PlacedLabel> labels;
    for (size_t i = 0; i < bubbles.size(); ++i) {
        const bool root = bubbles[i].depth == 0;
        auto label = bubbles::labelFor(bubbles[i], root ? rootName : nodeName(*bubbles[i].node), abbreviate);
        if (!label) continue;
        const QColor ink = inkOf(bubbles, fills, i, *label, root ? rootInk : canvasInk());
        labels.push_back({std::move(*label), ink});
    }
    // Drawn by font size: switching fonts costs more than drawing a short text.
    std::stable_sort(labels.begin(), labels.end(), [](const PlacedLabel& a, const PlacedLabel& b) {
        return a.label.fontSize < b.label.fontSize;
    });
    return labels;
}

void drawLabels(QPainter& painter, const QRectF& visible, const std::vector<PlacedLabel>& labels) {
    double fontSize = 0;
    for (const PlacedLabel& p : labels) {
        const bubbles::Label& l = p.label;
        if (l.anchor.y() + l.fontSize < visible.top() || l.anchor.y() - l.fontSize > visible.bottom())
            continue;
        if (l.fontSize != fontSize) {
            fontSize = l.fontSize;
            painter.setFont(fonts::ui(fontSize, QFont::DemiBold));
        }
        painter.setPen(p.ink);
        canvas_labels::drawCentred(painter, l.anchor, l.text);
    }
}

// The circles written straight into `image`, the view's top-left at `origin` (in the image's pixels),
// `ratio` pixels per point. Fills and strokes are drawn opaque, as they show on what lies beneath.
void rasterCircles(QImage& image, QPointF origin, double ratio, const Theme& t,
                   std::span<const bubbles::Bubble> bubbles, std::span<const CircleFill> fills) {
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

    for (size_t i = 0; i < bubbles.size(); ++i) {
        const bubbles::Bubble& b = bubbles[i];
        const auto& [own, beneath] = fills[i];
        fill(b, b.radius, own.rgb());
        if (b.depth == 0) {
            stroke(b, 0.6, 0.6, over(t.border, beneath).rgb());
        } else if (b.isGroup) {
            stroke(b, 0.5, 0.5, over(withOpacity(b.color, 0.95), beneath).rgb());
        } else {
            const QColor line(255, 255, 255, int(255 * 0.35 + 0.5));
            stroke(b, 0.4, 0, over(line, own).rgb());
            stroke(b, 0, 0.4, over(line, beneath).rgb());
        }
    }
    batch.draw(image);
}

} // namespace

namespace bubbles {

void paintPicture(QPainter& painter, QSizeF size, const Theme& t, std::span<const Bubble> bubbles,
                  const QString& rootName, bool abbreviate, QImage& scratch) {
    const std::vector<CircleFill> fills = fillsOf(bubbles, t);
    const std::vector<PlacedLabel> labels = labelsOf(bubbles, fills, t.text, rootName, abbreviate);
    rect_raster::rasterInto(painter, size, scratch, [&](QImage& image, QPointF origin, double ratio) {
        rasterCircles(image, origin, ratio, t, bubbles, fills);
        paintBandsInParallel(image, origin, ratio, [&](QPainter& band, const QRectF& visible) {
            drawLabels(band, visible, labels);
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
    const Theme& t = theme();
    // The rim lies half on the circle and half on its parent's fill around it.
    auto ring = [&](const bubbles::Bubble& b) {
        const size_t index = size_t(&b - drawn.data());
        const CircleFill fill = fillsOf(std::span(drawn).first(index + 1), t).back();
        QPainterPath shape;
        shape.addEllipse(b.center, b.radius, b.radius);
        ItemMark(fill.own, fill.beneath, t).paint(painter, shape);
    };
    // The root circle is never ringed.
    if (selected)
        for (const bubbles::Bubble& b : drawn)
            if (b.node == selected && b.depth > 0) ring(b);
    if (const bubbles::Bubble* b = bubbles::find(drawn, hovered()); b && b->depth > 0) ring(*b);
}
