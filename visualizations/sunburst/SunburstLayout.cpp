#include "visualizations/sunburst/SunburstLayout.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/style/Palette.h"

#include <QRectF>

#include <algorithm>
#include <cmath>

namespace sunburst {

namespace {

constexpr double kPi = kTwoPi / 2;

class Builder {
  public:
    Builder(int maxRings, ColorMode mode, double now) : maxRings_(maxRings), mode_(mode), now_(now) {}

    std::vector<SunArc> arcs;

    void appendArcs(const FileNode* node, std::span<FileNode* const> children, int ring, int top,
                    double start, double end) {
        if (node->sizeOnDisk <= 0 || ring >= maxRings_) return;
        const double total = double(node->sizeOnDisk);
        double a = start;
        for (size_t i = 0; i < children.size(); ++i) {
            FileNode* child = children[i];
            // Against the node's own size: children that do not add up leave the range's end uncovered.
            const double span = double(child->sizeOnDisk) * (end - start) / total;
            if (span < kMinSpan) {
                // A folder's children come largest first: the rest are smaller still. A regrouping's
                // groups come in declared order, where a larger one may follow.
                if (node->isVirtual()) continue;
                break;
            }
            const int childTop = ring == 0 ? int(i) : top;
            const QColor color =
                palette::nodeColor(*child, mode_, ring == 0, childTop, int(i), ring + 1, now_);
            arcs.push_back({child, ring, a, a + span, color});
            if (child->isDirectory()) appendArcs(child, child->children(), ring + 1, childTop, a, a + span);
            a += span;
        }
    }

  private:
    int maxRings_;
    ColorMode mode_;
    double now_;
};

} // namespace

std::vector<SunArc> buildArcs(const FileNode* source, int maxRings, ColorMode mode, double now) {
    if (!source) return {};
    Builder builder(maxRings, mode, now);
    std::vector<FileNode*> scratch;
    builder.appendArcs(source, source->childrenInDeclaredOrder(scratch), 0, 0, 0, kTwoPi);
    return std::move(builder.arcs);
}

Geometry Geometry::forSize(QSizeF size, int maxRings) {
    Geometry g;
    g.centre = QPointF(size.width() / 2, size.height() / 2);
    const double radius = std::min(size.width(), size.height()) / 2 - 18;
    g.inner = radius >= 140 ? std::min(0.2 * radius, 82.0) : 28.0;
    g.maxRings = std::max(maxRings, 1);
    // A small view still gets rings out to 140 points.
    g.ringWidth = (std::max(radius, 140.0) - g.inner) / g.maxRings;
    return g;
}

double qtDegrees(double angle) {
    return 90.0 - angle * 180.0 / kPi;
}

QPointF pointAt(QPointF centre, double radius, double angle) {
    return centre + QPointF(radius * std::sin(angle), -radius * std::cos(angle));
}

double angleOf(QPointF centre, QPointF point) {
    const QPointF d = point - centre;
    double alpha = std::atan2(d.y(), d.x()) + kPi / 2;
    if (alpha < 0) alpha += kTwoPi;
    return alpha;
}

QPainterPath sectorPath(const Geometry& g, const SunArc& arc) {
    const double r0 = g.ringInner(arc.ring), r1 = g.ringOuter(arc.ring);
    const double sweep = (arc.end - arc.start) * 180.0 / kPi;
    const QRectF outer(g.centre.x() - r1, g.centre.y() - r1, 2 * r1, 2 * r1);
    const QRectF inner(g.centre.x() - r0, g.centre.y() - r0, 2 * r0, 2 * r0);
    QPainterPath path(pointAt(g.centre, r1, arc.start));
    path.arcTo(outer, qtDegrees(arc.start), -sweep); // clockwise on screen
    path.arcTo(inner, qtDegrees(arc.end), sweep);    // and back along the inner edge
    path.closeSubpath();
    return path;
}

FileNode* hitTest(const Geometry& g, std::span<const SunArc> arcs, QPointF point, FileNode* folder) {
    const QPointF d = point - g.centre;
    const double r = std::hypot(d.x(), d.y());
    if (r < g.inner) return folder; // the real folder, also under a regrouping
    const int ring = int((r - g.inner) / g.ringWidth);
    if (ring >= g.maxRings) return nullptr;
    const double alpha = angleOf(g.centre, point);
    for (const SunArc& arc : arcs)
        if (arc.ring == ring && arc.start <= alpha && alpha < arc.end) return arc.node;
    return nullptr;
}

std::optional<Label> labelFor(const Geometry& g, const SunArc& arc, const QString& name, bool abbreviate) {
    const double mid = (arc.ring + 0.5) * g.ringWidth + g.inner;
    const double length = (arc.end - arc.start) * mid;
    if (length < 13) return std::nullopt;
    // Screen angle of the arc's middle: from 3 o'clock, clockwise (y grows downwards).
    const double theta = (arc.start + arc.end) / 2 - kPi / 2;
    const QPointF anchor = g.centre + QPointF(mid * std::cos(theta), mid * std::sin(theta));
    auto degrees = [](double radians) { return radians * 180.0 / kPi; };
    if (abbreviate) return Label{palette::initials(name), anchor, 0, true};

    const int n = canvas_labels::characterCount(name);
    // Radial text reads left to right on the left half too.
    const double radial = degrees(std::cos(theta) < 0 ? theta + kPi : theta);
    if (n * 5.5 <= g.ringWidth - 10) return Label{name, anchor, radial, false};
    if (length >= n * 5.5 + 12 && g.ringWidth >= 16) {
        // Tangential text is never upside down on the lower half.
        const double tangential = std::sin(theta) > 0 ? theta + kPi / 2 - kPi : theta + kPi / 2;
        return Label{name, anchor, degrees(tangential), false};
    }
    if (g.ringWidth >= 40) {
        const int budget = int((g.ringWidth - 10) / 5.5);
        return Label{canvas_labels::truncated(name, budget), anchor, radial, false};
    }
    return std::nullopt;
}

} // namespace sunburst
