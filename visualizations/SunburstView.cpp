#include "visualizations/SunburstView.h"

#include "model/FileNode.h"
#include "shell/CanvasLabels.h"
#include "shell/ColorBlend.h"
#include "shell/Fonts.h"
#include "shell/Formatters.h"
#include "shell/OffThreadPaint.h"
#include "shell/Palette.h"
#include "shell/RectRaster.h"
#include "shell/Shapes.h"
#include "shell/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

using color_blend::over;
using color_blend::withOpacity;

QRectF discRect(const sunburst::Geometry& g) {
    const double side = std::max(2 * g.inner - 6, 0.0);
    return {g.centre.x() - side / 2, g.centre.y() - side / 2, side, side};
}

// Labels along the rings. Rotated text is drawn from a small upright picture of it: glyphs rendered
// at every angle would each be rasterised afresh, many times slower.
void drawLabels(QPainter& painter, const sunburst::Geometry& g, std::span<const sunburst::SunArc> arcs, bool abbreviate) {
    const QFont medium = fonts::ui(9.5, QFont::Medium), semibold = fonts::ui(9.5, QFont::DemiBold);
    const QFontMetricsF metrics(medium);
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QColor ink = withOpacity(canvasInk(), 0.85);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (const sunburst::SunArc& arc : arcs) {
        const auto label = sunburst::labelFor(g, arc, nodeName(*arc.node), abbreviate);
        if (!label) continue;
        if (label->abbreviated) {
            painter.setFont(semibold);
            painter.setPen(canvasInk());
            canvas_labels::drawCentred(painter, label->anchor, label->text);
            continue;
        }
        const QSizeF size(std::ceil(metrics.horizontalAdvance(label->text)) + 2, std::ceil(metrics.height()) + 2);
        QImage text((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        text.setDevicePixelRatio(ratio);
        text.fill(Qt::transparent);
        {
            QPainter p(&text);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.setFont(medium);
            p.setPen(ink);
            canvas_labels::drawCentred(p, QPointF(size.width() / 2, size.height() / 2), label->text);
        }
        painter.save();
        painter.translate(label->anchor);
        painter.rotate(label->rotation);
        painter.drawImage(QRectF(QPointF(-size.width() / 2, -size.height() / 2), size), text);
        painter.restore();
    }
    painter.restore();
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

void SunburstView::paintCanvas(QPainter& painter, QSizeF size) {
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (size * ratio).toSize();
    if (picture_.size() != pixels) picture_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    picture_.setDevicePixelRatio(ratio);
    const sunburst::Geometry g = geometry();
    const Items& arcs = items();
    const Theme t = theme();
    const bool abbreviate = state().abbreviateLabels;
    paintOffThread([&] {
        picture_.fill(Qt::transparent);
        sunburst::paintPicture(picture_, g, t, arcs, abbreviate);
    });
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source); // onto the fresh, transparent picture
    painter.drawImage(QPointF(0, 0), picture_);
    painter.restore();
}

namespace sunburst {

void paintPicture(QImage& image, const Geometry& g, const Theme& t, std::span<const SunArc> arcs,
                  bool abbreviate) {
    // Sectors straight into the pixels, each shrunk by 0.4 point: the hairlines left between them are
    // the separators (the background shows through them).
    // Translucent colours ("By age") are taken as they show over the window's background.
    const double ratio = image.devicePixelRatio();
    std::vector<QRgb> colours;
    colours.reserve(arcs.size());
    for (const SunArc& arc : arcs) colours.push_back(over(arc.color, t.background).rgb());
    paintRowsInParallel(0, image.height(), 32, [&](int from, int to) {
        for (size_t i = 0; i < arcs.size(); ++i)
            rect_raster::fillAnnularSector(image, g.centre * ratio, g.ringInner(arcs[i].ring) * ratio,
                                           g.ringOuter(arcs[i].ring) * ratio, arcs[i].start, arcs[i].end, 0.4 * ratio,
                                           colours[i], from, to);
    });

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawLabels(painter, g, arcs, abbreviate);

    const QRectF disc = discRect(g);
    if (!disc.isEmpty()) {
        const double radius = disc.width() / 2;
        shapes::paintShadow(painter, disc, radius, QColor(0, 0, 0, int(255 * 0.08 + 0.5)), 14, QPointF(0, 3));
        painter.setPen(Qt::NoPen);
        painter.setBrush(t.card);
        painter.drawEllipse(disc);
    }
}

} // namespace sunburst

void SunburstView::paintOverlay(QPainter& painter) {
    const sunburst::Geometry g = geometry();
    painter.save();
    if (const FileNode* selected = state().selected) {
        painter.setPen(QPen(withOpacity(canvasInk(), 0.85), 1.5));
        painter.setBrush(Qt::NoBrush);
        for (const sunburst::SunArc& arc : items())
            if (arc.node == selected) painter.drawPath(sunburst::sectorPath(g, arc));
    }
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
