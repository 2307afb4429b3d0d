#include "visualizations/sunburst/SunburstView.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/canvas/ParallelPaint.h"
#include "shell/canvas/RectRaster.h"
#include "shell/style/ColorBlend.h"
#include "shell/style/Contrast.h"
#include "shell/style/Fonts.h"
#include "shell/style/Formatters.h"
#include "shell/style/ItemMark.h"
#include "shell/style/Palette.h"
#include "shell/style/Shapes.h"
#include "shell/style/Theme.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

using color_blend::over;
using color_blend::withOpacity;

QRectF discRect(const sunburst::Geometry& g) {
    const double side = std::max(2 * g.inner - 6, 0.0);
    return {g.centre.x() - side / 2, g.centre.y() - side / 2, side, side};
}

// A label along a ring, ready to draw. A turned label is rasterised turned, once per picture, into a
// small picture of its own that is then copied pixel for pixel: turning a picture of upright text
// resamples it and softens its strokes, and turned glyphs drawn band by band would be rasterised
// again in every band they cross.
struct PlacedLabel {
    sunburst::Label label;
    QColor ink;    // chosen for the arc's fill
    QImage turned; // the text, for a turned label, with its anchor at `pivot`
    QPoint pivot;  // in the picture's pixels, from its top-left
    QRectF bounds; // what it may cover, in points
};

// Arcs lie on the window's background; a translucent colour ("By age") is taken as it shows there.
QColor fillOf(const sunburst::SunArc& arc, const QColor& background) {
    return over(arc.color, background);
}

// What lies around an arc: the background between the rings, and the fills of the arcs beside it, within
// it and outside it.
std::vector<QColor> surroundsOf(std::span<const sunburst::SunArc> arcs, const sunburst::SunArc& arc,
                                const QColor& background) {
    constexpr double kTouch = 1e-9, kTurn = 2 * std::numbers::pi;
    auto meets = [](double a, double b) { return std::abs(a - b) < kTouch; };
    std::vector<QColor> around{background};
    for (const sunburst::SunArc& other : arcs) {
        if (&other == &arc || std::abs(other.ring - arc.ring) > 1) continue;
        const bool touches = other.ring == arc.ring
                                 ? meets(other.end, arc.start) || meets(other.start, arc.end) ||
                                       (meets(arc.start, 0) && meets(other.end, kTurn)) ||
                                       (meets(other.start, 0) && meets(arc.end, kTurn))
                                 : other.start < arc.end && other.end > arc.start;
        if (touches) around.push_back(fillOf(other, background));
    }
    return around;
}

std::vector<PlacedLabel> placeLabels(const sunburst::Geometry& g, std::span<const sunburst::SunArc> arcs,
                                     bool abbreviate, double ratio, const QColor& background) {
    std::vector<PlacedLabel> placed;
    const QColor rotatedInk = withOpacity(canvasInk(), 0.85);
    for (const sunburst::SunArc& arc : arcs)
        if (auto label = sunburst::labelFor(g, arc, nodeName(*arc.node), abbreviate)) {
            const QColor fill = fillOf(arc, background);
            const QColor ink =
                label->abbreviated ? contrast::textInk(fill) : contrast::textInk(fill, rotatedInk);
            placed.push_back({*label, ink, {}, {}, {}});
        }
    const QFont medium = fonts::ui(9.5, QFont::Medium), semibold = fonts::ui(9.5, QFont::DemiBold);
    constexpr int kChunk = 16;
    paintInParallel(int(placed.size() + kChunk - 1) / kChunk, [&](int chunk) {
        const QFontMetricsF metrics(medium), boldMetrics(semibold);
        for (size_t i = size_t(chunk) * kChunk; i < std::min(placed.size(), size_t(chunk + 1) * kChunk);
             ++i) {
            PlacedLabel& p = placed[i];
            const QFontMetricsF& m = p.label.abbreviated ? boldMetrics : metrics;
            const QSizeF size(std::ceil(m.horizontalAdvance(p.label.text)) + 2, std::ceil(m.height()) + 2);
            const double reach = std::hypot(size.width(), size.height()) / 2 + 1;
            p.bounds = QRectF(p.label.anchor - QPointF(reach, reach), QSizeF(2 * reach, 2 * reach));
            if (p.label.abbreviated) continue;
            // The anchor's place within its pixel, as the picture is drawn at a whole-pixel offset.
            const QPointF device = p.label.anchor * ratio;
            const QPointF within(device.x() - std::floor(device.x()), device.y() - std::floor(device.y()));
            const int side = int(std::ceil(2 * reach * ratio)) + 2;
            p.pivot = QPoint(side / 2, side / 2);
            p.turned = QImage(side, side, QImage::Format_ARGB32_Premultiplied);
            p.turned.setDevicePixelRatio(ratio);
            p.turned.fill(Qt::transparent);
            QPainter painter(&p.turned);
            painter.setRenderHint(QPainter::TextAntialiasing);
            painter.setFont(medium);
            painter.setPen(p.ink);
            painter.translate((QPointF(p.pivot) + within) / ratio);
            painter.rotate(p.label.rotation);
            canvas_labels::drawCentred(painter, QPointF(0, 0), p.label.text);
        }
    });
    return placed;
}

void drawLabels(QPainter& painter, const QRectF& visible, const std::vector<PlacedLabel>& labels) {
    painter.setFont(fonts::ui(9.5, QFont::DemiBold));
    for (const PlacedLabel& p : labels) {
        if (!p.bounds.intersects(visible)) continue;
        if (p.label.abbreviated) {
            painter.setPen(p.ink);
            canvas_labels::drawCentred(painter, p.label.anchor, p.label.text);
            continue;
        }
        // Pixel for pixel where the anchor falls; the picture's pixels are whole pixels of the device.
        const QPointF device = painter.deviceTransform().map(p.label.anchor);
        const QPoint at(int(std::floor(device.x())) - p.pivot.x(), int(std::floor(device.y())) - p.pivot.y());
        painter.save();
        painter.resetTransform();
        const double ratio = p.turned.devicePixelRatio();
        painter.drawImage(QPointF(at) / ratio, p.turned);
        painter.restore();
    }
}

} // namespace

SunburstView::SunburstView(QWidget* parent) : LayoutCanvas(parent) {}

sunburst::Geometry SunburstView::geometry() const {
    return sunburst::Geometry::forSize(size(), state().depth);
}

SunburstView::Items SunburstView::computeLayout(const LayoutInput& input) const {
    return sunburst::buildArcs(input.root, input.depth, input.mode, input.now);
}

FileNode* SunburstView::hitTest(QPointF point) const {
    return sunburst::hitTest(geometry(), items(), point, state().folder);
}

bool SunburstView::showsChipFor(const FileNode* node) const {
    return node && node != state().folder;
}

const FileNode* SunburstView::centreNode() const {
    return hovered() ? hovered() : state().folder;
}

QString SunburstView::centreName() const {
    const FileNode* node = centreNode();
    if (!node) return {};
    const QString name = displayName(*node);
    return state().abbreviateLabels ? palette::initials(name) : name;
}

void SunburstView::paintCanvas(QPainter& painter, QSizeF size) {
    sunburst::paintPicture(painter, size, geometry(), theme(), items(), state().abbreviateLabels, scratch_);
}

namespace sunburst {

void paintPicture(QPainter& painter, QSizeF size, const Geometry& g, const Theme& t,
                  std::span<const SunArc> arcs, bool abbreviate, QImage& scratch) {
    // Sectors straight into the pixels, each shrunk by 0.4 point: the hairlines left between them are
    // the separators (the background shows through them).
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const std::vector<PlacedLabel> labels = placeLabels(g, arcs, abbreviate, ratio, t.background);
    rect_raster::rasterInto(painter, size, scratch, [&](QImage& image, QPointF origin, double ratio) {
        std::vector<rect_raster::AnnularSector> sectors;
        sectors.reserve(arcs.size());
        for (const SunArc& arc : arcs)
            sectors.emplace_back(origin + g.centre * ratio, g.ringInner(arc.ring) * ratio,
                                 g.ringOuter(arc.ring) * ratio, arc.start, arc.end, 0.4 * ratio,
                                 fillOf(arc, t.background).rgb());
        paintRowsInParallel(0, image.height(), 32, [&](int from, int to) {
            for (const rect_raster::AnnularSector& sector : sectors)
                if (sector.top() < to && sector.bottom() > from) sector.draw(image, from, to);
        });
        paintBandsInParallel(image, origin, ratio, [&](QPainter& band, const QRectF& visible) {
            drawLabels(band, visible, labels);
        });
    });

    painter.setRenderHint(QPainter::Antialiasing);
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
    const Theme& t = theme();
    const Items& arcs = items();
    auto mark = [&](const sunburst::SunArc& arc, const QColor& tint) {
        ItemMark::paintTinted(painter, sunburst::sectorPath(g, arc), tint, fillOf(arc, t.background),
                              surroundsOf(arcs, arc, t.background), t);
    };
    if (const FileNode* selected = state().selected)
        for (const sunburst::SunArc& arc : arcs)
            if (arc.node == selected) mark(arc, Qt::transparent);
    if (const FileNode* node = hovered()) {
        const auto found =
            std::find_if(arcs.begin(), arcs.end(), [&](const sunburst::SunArc& a) { return a.node == node; });
        if (found != arcs.end()) mark(*found, QColor(0, 0, 0, int(255 * 0.14 + 0.5)));
    }

    const FileNode* node = centreNode();
    const QRectF disc = discRect(g);
    if (node && !disc.isEmpty()) {
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
        canvas_labels::drawCentred(
            painter, {g.centre.x(), top + nameMetrics.height() + spacing + sizeMetrics.height() / 2}, size);
    }
    painter.restore();
}
