#include "visualizations/SunburstView.h"

#include "model/FileNode.h"
#include "shell/CanvasLabels.h"
#include "shell/Fonts.h"
#include "shell/Formatters.h"
#include "shell/Palette.h"
#include "shell/Shapes.h"
#include "shell/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

QColor withOpacity(QColor color, double opacity) {
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

QRectF discRect(const sunburst::Geometry& g) {
    const double side = std::max(2 * g.inner - 6, 0.0);
    return {g.centre.x() - side / 2, g.centre.y() - side / 2, side, side};
}

} // namespace

SunburstView::SunburstView(QWidget* parent) : LayoutCanvas(parent) {}

void SunburstView::setDisplayName(DisplayName displayName) {
    displayName_ = std::move(displayName);
    update();
}

sunburst::Geometry SunburstView::geometry() const { return sunburst::Geometry::forSize(size(), layoutDepth()); }

SunburstView::Items SunburstView::computeLayout(const LayoutInput& input) const {
    return sunburst::buildArcs(input.root, input.depth, input.mode, input.now);
}

FileNode* SunburstView::hitTest(QPointF point) const {
    return sunburst::hitTest(geometry(), items(), point, state().folder);
}

bool SunburstView::showsChipFor(const FileNode* node) const { return node && node != state().folder; }

const FileNode* SunburstView::centreNode() const { return hovered() ? hovered() : state().folder; }

QString SunburstView::centreName() const {
    const FileNode* node = centreNode();
    if (!node) return {};
    const QString name = displayName_ ? displayName_(*node) : nodeName(*node);
    return state().abbreviateLabels ? palette::initials(name) : name;
}

void SunburstView::paintCanvas(QPainter& painter, QSizeF) {
    const Theme& t = theme();
    const sunburst::Geometry g = geometry();
    const Items& arcs = items();

    std::vector<QPainterPath> paths;
    paths.reserve(arcs.size());
    painter.setPen(QPen(withOpacity(t.background, 0.9), 0.8));
    for (const sunburst::SunArc& arc : arcs) {
        paths.push_back(sunburst::sectorPath(g, arc));
        painter.setBrush(arc.color);
        painter.drawPath(paths.back());
    }
    if (const FileNode* selected = state().selected) {
        painter.setPen(QPen(withOpacity(canvasInk(), 0.85), 1.5));
        painter.setBrush(Qt::NoBrush);
        for (size_t i = 0; i < arcs.size(); ++i)
            if (arcs[i].node == selected) painter.drawPath(paths[i]);
    }

    const bool abbreviate = state().abbreviateLabels;
    const QFont medium = fonts::ui(9.5, QFont::Medium), semibold = fonts::ui(9.5, QFont::DemiBold);
    for (const sunburst::SunArc& arc : arcs) {
        const auto label = sunburst::labelFor(g, arc, nodeName(*arc.node), abbreviate);
        if (!label) continue;
        painter.save();
        painter.translate(label->anchor);
        painter.rotate(label->rotation);
        painter.setFont(label->abbreviated ? semibold : medium);
        painter.setPen(label->abbreviated ? canvasInk() : withOpacity(canvasInk(), 0.85));
        canvas_labels::drawCentred(painter, QPointF(0, 0), label->text);
        painter.restore();
    }

    // The centre disc; its texts follow the hover and are drawn with the overlay.
    const QRectF disc = discRect(g);
    if (!disc.isEmpty()) {
        const double radius = disc.width() / 2;
        shapes::paintShadow(painter, disc, radius, QColor(0, 0, 0, int(255 * 0.08 + 0.5)), 14, QPointF(0, 3));
        painter.setPen(Qt::NoPen);
        painter.setBrush(t.card);
        painter.drawEllipse(disc);
    }
}

void SunburstView::paintOverlay(QPainter& painter) {
    const sunburst::Geometry g = geometry();
    painter.save();
    if (const FileNode* node = hovered()) {
        const Items& arcs = items();
        const auto found = std::find_if(arcs.begin(), arcs.end(), [&](const sunburst::SunArc& a) { return a.node == node; });
        if (found != arcs.end()) {
            painter.setPen(QPen(withOpacity(canvasInk(), 0.85), 1.5));
            painter.setBrush(QColor(0, 0, 0, int(255 * 0.14 + 0.5)));
            painter.drawPath(sunburst::sectorPath(g, *found));
        }
    }

    const FileNode* node = centreNode();
    const QRectF disc = discRect(g);
    if (node && !disc.isEmpty()) {
        const Theme& t = theme();
        const QFont nameFont = fonts::ui(13, QFont::DemiBold), sizeFont = fonts::ui(16.5, QFont::Bold);
        const QFontMetricsF nameMetrics(nameFont), sizeMetrics(sizeFont);
        const double textWidth = std::min(1.6 * g.inner, disc.width());
        const QString name = nameMetrics.elidedText(centreName(), Qt::ElideMiddle, textWidth);
        const QString size = sizeMetrics.elidedText(formatBytes(node->sizeOnDisk), Qt::ElideRight, textWidth);
        const double spacing = 3;
        const double total = nameMetrics.height() + spacing + sizeMetrics.height();
        const double top = g.centre.y() - total / 2;
        painter.setPen(t.text);
        painter.setFont(nameFont);
        canvas_labels::drawCentred(painter, {g.centre.x(), top + nameMetrics.height() / 2}, name);
        painter.setFont(sizeFont);
        canvas_labels::drawCentred(painter, {g.centre.x(), top + nameMetrics.height() + spacing + sizeMetrics.height() / 2},
                                   size);
    }
    painter.restore();
}
