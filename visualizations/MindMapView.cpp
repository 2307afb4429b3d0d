#include "visualizations/MindMapView.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

using color_blend::withOpacity;

QPointF along(QPointF centre, double radius, double angle) {
    return centre + radius * QPointF(std::cos(angle), std::sin(angle));
}

QRectF square(QPointF centre, double side) {
    return {centre.x() - side / 2, centre.y() - side / 2, side, side};
}

// One line of text vertically centred on `anchor.y()`, starting at `anchor.x()` (leading) or ending there.
void drawBeside(QPainter& painter, QPointF anchor, const QString& text, bool leading) {
    if (!leading) anchor.rx() -= QFontMetricsF(painter.font()).horizontalAdvance(text);
    canvas_labels::drawLeading(painter, anchor, text);
}

constexpr double kConnectorWidth[] = {0, 2.2, 1.4, 1.0};

} // namespace

MindMapView::MindMapView(QWidget* parent) : LayoutCanvas(parent) {}

QPointF MindMapView::centre() const {
    return {width() / 2.0, height() / 2.0};
}

MindMapView::Items MindMapView::computeLayout(const LayoutInput& input) const {
    return mind_map::computeBranches(input.root, input.mode, QSizeF(input.width, input.height), input.now);
}

FileNode* MindMapView::hitTest(QPointF point) const {
    return mind_map::hitTest(items(), centre(), point, state().folder);
}

bool MindMapView::showsChipFor(const FileNode* node) const {
    return node && node != state().folder;
}

void MindMapView::paintCanvas(QPainter& painter, QSizeF) {
    const FileNode* folder = state().folder;
    const mind_map::Frame frame{centre(),  folder,           folder ? displayName(*folder) : QString(),
                                hovered(), state().selected, state().abbreviateLabels};
    mind_map::paintPicture(painter, theme(), items(), frame);
}

namespace mind_map {

void paintPicture(QPainter& painter, const Theme& t, std::span<const Branch> branches, const Frame& frame) {
    const QPointF c = frame.centre;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    // Connectors: a first-level one runs straight out from the centre along its own direction; a
    // deeper one leaves its parent outward along the parent's direction and arrives along its own.
    painter.setBrush(Qt::NoBrush);
    for (const Branch& b : branches) {
        const double midR = (b.distance + b.parentDistance) / 2;
        QPainterPath path(b.parentPoint);
        path.cubicTo(along(c, midR, b.depth == 1 ? b.angle : b.parentAngle), along(c, midR, b.angle),
                     b.point);
        painter.setPen(
            QPen(withOpacity(b.accent, 0.75), kConnectorWidth[b.depth], Qt::SolidLine, Qt::FlatCap));
        painter.drawPath(path);
    }

    // Dots; hover and selection get the same ring.
    const QPen ring(withOpacity(canvasInk(), 0.75), 1.5);
    for (const Branch& b : branches) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(b.fill);
        painter.drawEllipse(square(b.point, b.dot));
        if (b.node == frame.hovered || b.node == frame.selected) {
            painter.setPen(ring);
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(square(b.point, b.dot + 6));
        }
    }

    // Labels: the name over the size.
    const std::vector<Label> labels = placeLabels(branches, frame.hovered, frame.abbreviate);
    painter.setFont(fonts::ui(11, QFont::DemiBold));
    painter.setPen(t.text);
    for (const Label& l : labels)
        drawBeside(painter, l.anchor - QPointF(0, 6), l.text, l.leading);
    painter.setFont(fonts::ui(9));
    painter.setPen(t.textTertiary);
    for (const Label& l : labels)
        drawBeside(painter, l.anchor + QPointF(0, 7), formatBytes(branches[l.branch].node->sizeOnDisk),
                   l.leading);

    // The centre disc names the folder itself, also under a regrouping, over whatever lies beneath.
    if (frame.folder) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(withOpacity(t.chip, 0.8));
        painter.drawEllipse(square(c, 116));
        painter.setBrush(t.ink);
        painter.drawEllipse(square(c, 100));
        painter.setPen(t.onInk);
        painter.setFont(fonts::ui(11.5, QFont::DemiBold));
        canvas_labels::drawCentred(painter, c - QPointF(0, 9),
                                   centreText(frame.folderName, frame.abbreviate));
        painter.setFont(fonts::ui(12, QFont::Bold));
        canvas_labels::drawCentred(painter, c + QPointF(0, 10), formatBytes(frame.folder->sizeOnDisk));
    }
    painter.restore();
}

} // namespace mind_map
