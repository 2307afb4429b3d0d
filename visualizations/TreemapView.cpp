#include "visualizations/TreemapView.h"

#include "model/FileNode.h"
#include "shell/CanvasLabels.h"
#include "shell/Fonts.h"
#include "shell/Shapes.h"
#include "shell/Theme.h"

#include <QPainter>

#include <algorithm>

namespace {

QColor withOpacity(QColor color, double opacity) {
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

double cornerRadius(const treemap::Cell& cell) {
    return std::min(cell.isGroup ? 5.0 : 4.0, std::min(cell.rect.width(), cell.rect.height()) / 2);
}

// Small cells are far more numerous than large ones and their corners are a pixel or two: a plain
// rounded rectangle is indistinguishable there and much cheaper than the smoothed path.
void fillCell(QPainter& painter, const QRectF& rect, double radius, const QColor& color) {
    painter.setBrush(color);
    if (radius < 3.5 || std::min(rect.width(), rect.height()) < 24)
        painter.drawRoundedRect(rect, radius, radius);
    else
        painter.drawPath(shapes::continuousRoundedRect(rect, radius));
}

void outline(QPainter& painter, const QRectF& rect, double radius, const QColor& color, double width) {
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shapes::continuousRoundedRect(rect, radius));
}

void drawLabel(QPainter& painter, const treemap::Cell& cell, bool abbreviate) {
    const treemap::CellLabel label = treemap::labelFor(cell, abbreviate);
    if (label.name.isEmpty()) return;
    const QRectF& r = cell.rect;
    painter.setPen(canvasInk());
    if (cell.isGroup) {
        painter.setFont(fonts::ui(11, QFont::DemiBold));
        canvas_labels::drawLeading(painter, {r.x() + 6, r.y() + 11}, label.name);
        return;
    }
    painter.setFont(fonts::ui(10.5, QFont::DemiBold));
    canvas_labels::drawLeading(painter, {r.x() + 6, r.y() + 12}, label.name);
    if (!label.size.isEmpty()) {
        painter.setFont(fonts::ui(9.5));
        painter.setPen(canvasInkSecondary());
        canvas_labels::drawLeading(painter, {r.x() + 6, r.y() + 26}, label.size);
    }
}

} // namespace

TreemapView::TreemapView(QWidget* parent) : LayoutCanvas(parent) {}

QRectF TreemapView::frameRect() const {
    const QSizeF frame = treemap::frameSize(size());
    return {(width() - frame.width()) / 2.0, (height() - frame.height()) / 2.0, frame.width(), frame.height()};
}

QSize TreemapView::layoutSize() const {
    const QSizeF frame = treemap::frameSize(size());
    return {int(frame.width()), int(frame.height())};
}

TreemapView::Items TreemapView::computeLayout(const LayoutInput& input) const {
    return treemap::buildCells(input.root, QRectF(0, 0, input.width, input.height), input.depth, input.mode, input.now);
}

FileNode* TreemapView::hitTest(QPointF point) const {
    return treemap::hitTest(items(), point - frameRect().topLeft());
}

void TreemapView::paintCanvas(QPainter& painter, QSizeF) {
    const Theme& t = theme();
    const QRectF frame = frameRect();
    const Items& cells = items();
    const FileNode* selected = state().selected;
    painter.translate(frame.topLeft());

    const QRectF background = QRectF(QPointF(0, 0), frame.size()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(t.border, 1));
    painter.setBrush(t.panel);
    painter.drawPath(shapes::continuousRoundedRect(background, 8));

    const QPen groupStroke(QColor(0, 0, 0, int(255 * 0.06 + 0.5)), 1);
    for (const treemap::Cell& cell : cells) {
        painter.setPen(cell.isGroup ? groupStroke : QPen(Qt::NoPen));
        fillCell(painter, cell.rect, cornerRadius(cell), withOpacity(cell.color, cell.isGroup ? 0.4 : 0.85));
    }
    if (selected) {
        for (const treemap::Cell& cell : cells)
            if (cell.node == selected) outline(painter, cell.rect, 4, withOpacity(canvasInk(), 0.8), 1.5);
    }
    const bool abbreviate = state().abbreviateLabels;
    for (const treemap::Cell& cell : cells) drawLabel(painter, cell, abbreviate);
}

void TreemapView::paintOverlay(QPainter& painter) {
    const FileNode* node = hovered();
    if (!node) return;
    const Items& cells = items();
    const auto found = std::find_if(cells.rbegin(), cells.rend(), [&](const treemap::Cell& c) { return c.node == node; });
    if (found == cells.rend()) return;
    painter.save();
    painter.translate(frameRect().topLeft());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, int(255 * (found->isGroup ? 0.04 : 0.12) + 0.5)));
    painter.drawPath(shapes::continuousRoundedRect(found->rect, cornerRadius(*found)));
    outline(painter, found->rect, 4, withOpacity(canvasInk(), 0.8), 1.5);
    painter.restore();
}
