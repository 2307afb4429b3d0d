#include "visualizations/treemap/TreemapView.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/canvas/ParallelPaint.h"
#include "shell/canvas/RectRaster.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Fonts.h"
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

void outline(QPainter& painter, const QRectF& rect, double radius, const QColor& color, double width) {
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shapes::continuousRoundedRect(rect, radius));
}

using Labels = std::vector<std::pair<const treemap::Cell*, treemap::CellLabel>>;

Labels labelsOf(std::span<const treemap::Cell> cells, bool abbreviate) {
    Labels labels;
    for (const treemap::Cell& cell : cells) {
        treemap::CellLabel label = treemap::labelFor(cell, abbreviate);
        if (!label.name.isEmpty()) labels.emplace_back(&cell, std::move(label));
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
    painter.setPen(canvasInk());
    painter.setFont(fonts::ui(11, QFont::DemiBold));
    for (const auto& [cell, label] : labels)
        if (cell->isGroup && shows(cell, 11))
            canvas_labels::drawLeading(painter, cell->rect.topLeft() + QPointF(6, 11), label.name);
    painter.setFont(fonts::ui(10.5, QFont::DemiBold));
    for (const auto& [cell, label] : labels)
        if (!cell->isGroup && shows(cell, 12))
            canvas_labels::drawLeading(painter, cell->rect.topLeft() + QPointF(6, 12), label.name);
    painter.setPen(canvasInkSecondary());
    painter.setFont(fonts::ui(9.5));
    for (const auto& [cell, label] : labels)
        if (!label.size.isEmpty() && shows(cell, 26))
            canvas_labels::drawLeading(painter, cell->rect.topLeft() + QPointF(6, 26), label.size);
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
    treemap::paintOutlines(painter, items(), state().selected, hovered());
    painter.restore();
}

namespace treemap {

namespace {

// Cells and frame written straight into `image`, the frame's top-left at `origin` (in the image's
// pixels), `ratio` pixels per point.
void rasterPicture(QImage& image, QPointF origin, double ratio, QSizeF frame, const Theme& t,
                   std::span<const Cell> cells) {
    auto device = [&](const QRectF& r) { return QRectF(origin + r.topLeft() * ratio, r.size() * ratio); };
    rect_raster::Batch batch;
    batch.reserve(2 * cells.size() + 2);

    // The frame: a one-point border and the panel.
    const QRectF outer = device(QRectF(QPointF(0, 0), frame));
    const QRectF panel = outer.adjusted(ratio, ratio, -ratio, -ratio);
    batch.fillRoundedRing(outer, 8.5 * ratio, panel, 7.5 * ratio, t.border.rgb());
    batch.fillRoundedRect(panel, 7.5 * ratio, t.panel.rgb());

    // Every cell lies on its group's uniform fill (or the panel), so the colour each translucent fill
    // leaves there is known, and cells are filled opaque with it. A group's one-point line is the band
    // half a point either side of its edge.
    const QColor line(0, 0, 0, int(255 * 0.06 + 0.5));
    std::vector<QColor> beneath{t.panel};
    for (size_t i = 0; i < cells.size(); ++i) {
        const Cell& cell = cells[i];
        beneath.resize(size_t(std::max(cell.depth, 1)));
        const QColor fill = over(withOpacity(cell.color, cell.isGroup ? 0.4 : 0.85), beneath.back());
        const double radius = cornerRadius(cell);
        if (cell.isGroup) {
            const QRectF inner = device(cell.rect.adjusted(0.5, 0.5, -0.5, -0.5));
            const double innerRadius = std::max(radius - 0.5, 0.0) * ratio;
            batch.fillRoundedRing(device(cell.rect.adjusted(-0.5, -0.5, 0.5, 0.5)), (radius + 0.5) * ratio,
                                  inner, innerRadius, over(line, beneath.back()).rgb());
            batch.fillRoundedRect(inner, innerRadius, fill.rgb());
            beneath.push_back(fill);
        } else {
            batch.fillRoundedRect(device(cell.rect), radius * ratio, fill.rgb());
        }
    }
    batch.draw(image);
}

} // namespace

void paintPicture(QPainter& painter, QSizeF frame, const Theme& t, std::span<const Cell> cells,
                  bool abbreviate, QImage& scratch) {
    const Labels labels = labelsOf(cells, abbreviate);
    rect_raster::rasterInto(painter, frame, scratch, [&](QImage& image, QPointF origin, double ratio) {
        rasterPicture(image, origin, ratio, frame, t, cells);
        paintBandsInParallel(image, origin, ratio, [&](QPainter& band, const QRectF& visible) {
            drawLabels(band, visible, labels);
        });
    });
}

void paintOutlines(QPainter& painter, std::span<const Cell> cells, const FileNode* selected,
                   const FileNode* hovered) {
    if (selected) {
        for (const Cell& cell : cells)
            if (cell.node == selected && !cell.rest)
                outline(painter, cell.rect, 4, withOpacity(canvasInk(), 0.8), 1.5);
    }
    if (!hovered) return;
    const auto found = std::find_if(cells.rbegin(), cells.rend(),
                                    [&](const Cell& c) { return c.node == hovered && !c.rest; });
    if (found == cells.rend()) return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, int(255 * (found->isGroup ? 0.04 : 0.12) + 0.5)));
    painter.drawPath(shapes::continuousRoundedRect(found->rect, cornerRadius(*found)));
    outline(painter, found->rect, 4, withOpacity(canvasInk(), 0.8), 1.5);
}

} // namespace treemap
