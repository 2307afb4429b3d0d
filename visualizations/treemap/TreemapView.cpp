#include "visualizations/treemap/TreemapView.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/canvas/ParallelPaint.h"
#include "shell/canvas/RectRaster.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Contrast.h"
#include "shell/style/Fonts.h"
#include "shell/style/ItemMark.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

using color_blend::over;
using color_blend::withOpacity;

double cornerRadius(const treemap::Cell& cell) {
    if (cell.plain) return 0;
    return std::min(cell.isGroup ? 5.0 : 4.0, std::min(cell.rect.width(), cell.rect.height()) / 2);
}

// What each cell shows: its own fill and the fill it lies on. Every cell lies on its group's uniform
// fill (or the panel), so the colour each translucent fill leaves there is known, and opaque.
struct CellFill {
    QColor own;
    QColor beneath;
};

std::vector<CellFill> fillsOf(std::span<const treemap::Cell> cells, const QColor& panel) {
    std::vector<CellFill> fills;
    fills.reserve(cells.size());
    std::vector<QColor> beneath{panel};
    for (const treemap::Cell& cell : cells) {
        beneath.resize(size_t(std::max(cell.depth, 1)));
        const QColor own = over(withOpacity(cell.color, cell.isGroup ? 0.4 : 0.85), beneath.back());
        fills.push_back({own, beneath.back()});
        if (cell.isGroup) beneath.push_back(own);
    }
    return fills;
}

struct PlacedLabel {
    const treemap::Cell* cell;
    treemap::CellLabel label;
    QColor nameInk, sizeInk; // chosen for the cell's fill
};
using Labels = std::vector<PlacedLabel>;

Labels labelsOf(std::span<const treemap::Cell> cells, std::span<const CellFill> fills, bool abbreviate) {
    Labels labels;
    for (size_t i = 0; i < cells.size(); ++i) {
        treemap::CellLabel label = treemap::labelFor(cells[i], abbreviate);
        if (label.name.isEmpty()) continue;
        const QColor& fill = fills[i].own;
        labels.push_back(
            {&cells[i], std::move(label), contrast::textInk(fill), contrast::secondaryInk(fill)});
    }
    return labels;
}

// The labels whose lines reach into `visible`, in three passes, one per font: switching fonts costs
// more than drawing a short text.
void drawLabels(QPainter& painter, const QRectF& visible, const Labels& labels) {
    auto shows = [&](const treemap::Cell* cell, double baseline) {
        const double y = cell->rect.top() + baseline;
        return y + 10 > visible.top() && y - 10 < visible.bottom();
    };
    auto draw = [&painter](const QColor& ink, QPointF anchor, const QString& text) {
        if (painter.pen().color() != ink) painter.setPen(ink);
        canvas_labels::drawLeading(painter, anchor, text);
    };
    painter.setFont(fonts::ui(11, QFont::DemiBold));
    for (const auto& [cell, label, nameInk, sizeInk] : labels)
        if (cell->isGroup && shows(cell, 11))
            draw(nameInk, cell->rect.topLeft() + QPointF(6, 11), label.name);
    painter.setFont(fonts::ui(10.5, QFont::DemiBold));
    for (const auto& [cell, label, nameInk, sizeInk] : labels)
        if (!cell->isGroup && shows(cell, 12))
            draw(nameInk, cell->rect.topLeft() + QPointF(6, 12), label.name);
    painter.setFont(fonts::ui(9.5));
    for (const auto& [cell, label, nameInk, sizeInk] : labels)
        if (!label.size.isEmpty() && shows(cell, 26))
            draw(sizeInk, cell->rect.topLeft() + QPointF(6, 26), label.size);
}

} // namespace

TreemapView::TreemapView(QWidget* parent) : LayoutCanvas(parent) {}

QRectF TreemapView::frameRect() const {
    const QSizeF frame = treemap::frameSize(size());
    return {(width() - frame.width()) / 2.0, (height() - frame.height()) / 2.0, frame.width(),
            frame.height()};
}

QSize TreemapView::layoutSize() const {
    const QSizeF frame = treemap::frameSize(size());
    return {int(frame.width()), int(frame.height())};
}

TreemapView::Items TreemapView::computeLayout(const LayoutInput& input) const {
    return treemap::buildCells(input.root, QRectF(0, 0, input.width, input.height), input.depth, input.mode,
                               input.now);
}

FileNode* TreemapView::hitTest(QPointF point) const {
    return treemap::hitTest(items(), point - frameRect().topLeft());
}

void TreemapView::paintCanvas(QPainter& painter, QSizeF) {
    const QRectF frame = frameRect();
    painter.translate(frame.topLeft());
    treemap::paintPicture(painter, frame.size(), theme(), items(), state().abbreviateLabels, scratch_);
}

void TreemapView::paintOverlay(QPainter& painter) {
    if (!hovered() && !state().selected) return;
    painter.save();
    painter.translate(frameRect().topLeft());
    treemap::paintOutlines(painter, items(), theme(), state().selected, hovered());
    painter.restore();
}

namespace treemap {

namespace {

// Cells and frame written straight into `image`, the frame's top-left at `origin` (in the image's
// pixels), `ratio` pixels per point.
void rasterPicture(QImage& image, QPointF origin, double ratio, QSizeF frame, const Theme& t,
                   std::span<const Cell> cells, std::span<const CellFill> fills) {
    auto device = [&](const QRectF& r) { return QRectF(origin + r.topLeft() * ratio, r.size() * ratio); };
    rect_raster::Batch batch;
    batch.reserve(2 * cells.size() + 2);

    // The frame: a one-point border and the panel.
    const QRectF outer = device(QRectF(QPointF(0, 0), frame));
    const QRectF panel = outer.adjusted(ratio, ratio, -ratio, -ratio);
    batch.fillRoundedRing(outer, 8.5 * ratio, panel, 7.5 * ratio, t.border.rgb());
    batch.fillRoundedRect(panel, 7.5 * ratio, t.panel.rgb());

    // Cells are filled opaque with the colour their translucent fill leaves on what lies beneath. A
    // group's one-point line is the band half a point either side of its edge.
    const QColor line(0, 0, 0, int(255 * 0.06 + 0.5));
    for (size_t i = 0; i < cells.size(); ++i) {
        const Cell& cell = cells[i];
        const QColor& fill = fills[i].own;
        const double radius = cornerRadius(cell);
        if (cell.isGroup) {
            const QRectF inner = device(cell.rect.adjusted(0.5, 0.5, -0.5, -0.5));
            const double innerRadius = std::max(radius - 0.5, 0.0) * ratio;
            batch.fillRoundedRing(device(cell.rect.adjusted(-0.5, -0.5, 0.5, 0.5)), (radius + 0.5) * ratio,
                                  inner, innerRadius, over(line, fills[i].beneath).rgb());
            batch.fillRoundedRect(inner, innerRadius, fill.rgb());
        } else {
            batch.fillRoundedRect(device(cell.rect), radius * ratio, fill.rgb());
        }
    }
    batch.draw(image);
}

} // namespace

void paintPicture(QPainter& painter, QSizeF frame, const Theme& t, std::span<const Cell> cells,
                  bool abbreviate, QImage& scratch) {
    const std::vector<CellFill> fills = fillsOf(cells, t.panel);
    const Labels labels = labelsOf(cells, fills, abbreviate);
    rect_raster::rasterInto(painter, frame, scratch, [&](QImage& image, QPointF origin, double ratio) {
        rasterPicture(image, origin, ratio, frame, t, cells, fills);
        paintBandsInParallel(image, origin, ratio, [&](QPainter& band, const QRectF& visible) {
            drawLabels(band, visible, labels);
        });
    });
}

void paintOutlines(QPainter& painter, std::span<const Cell> cells, const Theme& t, const FileNode* selected,
                   const FileNode* hovered) {
    // The rim lies half on the cell and half on the gap around it: what the cell lies on.
    auto mark = [&](size_t index, const QColor& tint) {
        const Cell& cell = cells[index];
        const CellFill fill = fillsOf(cells.first(index + 1), t.panel).back();
        ItemMark::paintTinted(painter, shapes::continuousRoundedRect(cell.rect, cornerRadius(cell)), tint,
                              fill.own, std::span(&fill.beneath, 1), t);
    };
    if (selected) {
        for (size_t i = 0; i < cells.size(); ++i)
            if (cells[i].node == selected && !cells[i].rest) mark(i, Qt::transparent);
    }
    if (!hovered) return;
    const auto found = std::find_if(cells.rbegin(), cells.rend(),
                                    [&](const Cell& c) { return c.node == hovered && !c.rest; });
    if (found == cells.rend()) return;
    mark(size_t(cells.rend() - found - 1), QColor(0, 0, 0, int(255 * (found->isGroup ? 0.04 : 0.12) + 0.5)));
}

} // namespace treemap
