#include "visualizations/mindmap/MindMapView.h"

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
#include <QPainterPath>

#include <algorithm>
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

void MindMapView::paintCanvas(QPainter& painter, QSizeF size) {
    const FileNode* folder = state().folder;
    const mind_map::Frame frame{centre(),  folder,           folder ? displayName(*folder) : QString(),
                                hovered(), state().selected, state().abbreviateLabels};
    mind_map::paintPicture(painter, size, theme(), items(), frame, scratch_);
}

namespace mind_map {

namespace {

// What a frame draws, made once and then drawn band by band.
struct Scene {
    // A cubic curve. Kept as points: a QPainterPath caches what it hands the paint engine without a
    // lock, so one path must not be drawn by two bands' threads at once.
    struct Connector {
        QPointF from, control1, control2, to;
        QPen pen;
        double top = 0, bottom = 0; // rows it may touch
    };
    std::vector<Connector> connectors;
    std::vector<Label> labels;
    std::vector<QString> sizes; // of the labels
    QString centreName, centreSize;
};

Scene sceneOf(std::span<const Branch> branches, const Frame& frame) {
    Scene scene;
    const QPointF c = frame.centre;
    scene.connectors.reserve(branches.size());
    for (const Branch& b : branches) {
        // A first-level connector runs straight out from the centre along its own direction; a deeper
        // one leaves its parent outward along the parent's direction and arrives along its own.
        const double midR = (b.distance + b.parentDistance) / 2;
        const QPointF control1 = along(c, midR, b.depth == 1 ? b.angle : b.parentAngle);
        const QPointF control2 = along(c, midR, b.angle);
        const double width = kConnectorWidth[b.depth];
        // The curve lies within its control points' hull.
        const auto [top, bottom] = std::minmax({b.parentPoint.y(), control1.y(), control2.y(), b.point.y()});
        scene.connectors.push_back({b.parentPoint, control1, control2, b.point,
                                    QPen(withOpacity(b.accent, 0.75), width, Qt::SolidLine, Qt::FlatCap),
                                    top - width - 1, bottom + width + 1});
    }
    scene.labels = placeLabels(branches, frame.hovered, frame.abbreviate);
    for (const Label& l : scene.labels)
        scene.sizes.push_back(formatBytes(branches[l.branch].node->sizeOnDisk));
    if (frame.folder) {
        scene.centreName = centreText(frame.folderName, frame.abbreviate);
        scene.centreSize = formatBytes(frame.folder->sizeOnDisk);
    }
    return scene;
}

constexpr double kCentreDisc = 116, kInkDisc = 100;
// How far a label's two lines reach above and below its dot's centre.
constexpr double kLabelReach = 20;

// Everything that reaches into the rows of `visible`, back to front.
void drawBand(QPainter& painter, const QRectF& visible, const Theme& t, std::span<const Branch> branches,
              const Frame& frame, const Scene& scene) {
    const double top = visible.top(), bottom = visible.bottom();
    auto reaches = [&](double y, double reach) { return y + reach > top && y - reach < bottom; };
    painter.setRenderHint(QPainter::Antialiasing);

    painter.setBrush(Qt::NoBrush);
    for (const Scene::Connector& connector : scene.connectors) {
        if (connector.bottom <= top || connector.top >= bottom) continue;
        QPainterPath path(connector.from);
        path.cubicTo(connector.control1, connector.control2, connector.to);
        painter.setPen(connector.pen);
        painter.drawPath(path);
    }

    // Dots; hover and selection get the same ring, a little apart from the dot: it lies on the
    // background on both sides, and the gap keeps the dot's own edge clear.
    for (const Branch& b : branches) {
        if (!reaches(b.point.y(), b.dot / 2 + 5)) continue;
        painter.setPen(Qt::NoPen);
        painter.setBrush(b.fill);
        painter.drawEllipse(square(b.point, b.dot));
        if (b.node == frame.hovered || b.node == frame.selected) {
            QPainterPath ring;
            ring.addEllipse(square(b.point, b.dot + 6));
            ItemMark(t.background, t.background, t).paint(painter, ring);
        }
    }

    // Labels: the name over the size, one font at a time.
    painter.setFont(fonts::ui(11, QFont::DemiBold));
    painter.setPen(t.text);
    for (const Label& l : scene.labels)
        if (reaches(l.anchor.y(), kLabelReach))
            drawBeside(painter, l.anchor - QPointF(0, 6), l.text, l.leading);
    painter.setFont(fonts::ui(9));
    painter.setPen(t.textTertiary);
    for (size_t i = 0; i < scene.labels.size(); ++i) {
        const Label& l = scene.labels[i];
        if (reaches(l.anchor.y(), kLabelReach))
            drawBeside(painter, l.anchor + QPointF(0, 7), scene.sizes[i], l.leading);
    }

    // The centre disc names the folder itself, also under a regrouping, over whatever lies beneath.
    const QPointF c = frame.centre;
    if (!frame.folder || !reaches(c.y(), kCentreDisc / 2 + 1)) return;
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(t.chip, 0.8));
    painter.drawEllipse(square(c, kCentreDisc));
    painter.setBrush(t.ink);
    painter.drawEllipse(square(c, kInkDisc));
    // White does not read on the accent at this size: the dark label ink does.
    painter.setPen(contrast::textInk(t.ink, t.onInk));
    painter.setFont(fonts::ui(11.5, QFont::DemiBold));
    canvas_labels::drawCentred(painter, c - QPointF(0, 9), scene.centreName);
    painter.setFont(fonts::ui(12, QFont::Bold));
    canvas_labels::drawCentred(painter, c + QPointF(0, 10), scene.centreSize);
}

} // namespace

void paintPicture(QPainter& painter, QSizeF size, const Theme& t, std::span<const Branch> branches,
                  const Frame& frame, QImage& scratch) {
    const Scene scene = sceneOf(branches, frame);
    // In bands of rows on several threads: each band a painter of its own, so no fill is large enough
    // for Qt to hand it to its thread pool one by one, and bands are drawn at once.
    rect_raster::rasterInto(painter, size, scratch, [&](QImage& image, QPointF origin, double ratio) {
        paintBandsInParallel(image, origin, ratio, [&](QPainter& band, const QRectF& visible) {
            drawBand(band, visible, t, branches, frame, scene);
        });
    });
}

} // namespace mind_map
