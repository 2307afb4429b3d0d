#include "shell/style/Shapes.h"

#include "shell/style/Theme.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>

namespace shapes {

QPainterPath continuousRoundedRect(const QRectF& rect, double radius) {
    QPainterPath path;
    const double limit = std::min(rect.width(), rect.height()) / 2;
    radius = std::clamp(radius, 0.0, limit);
    if (radius <= 0) {
        path.addRect(rect);
        return path;
    }
    // Each corner starts up to 1.28 r from the corner and is one cubic whose control points sit
    // closer to the corner than a circle's would; where there is no room for the longer run it
    // becomes the circular arc of radius r.
    const double extent = std::min(radius * 1.28, limit);
    const double stretch = (extent / radius - 1.0) / 0.28; // 0 = circular, 1 = fully smoothed
    const double control = extent * (0.4477 + (0.2917 - 0.4477) * stretch); // distance from the corner
    const double l = rect.left(), t = rect.top(), r = rect.right(), b = rect.bottom();

    path.moveTo(l + extent, t);
    path.lineTo(r - extent, t);
    path.cubicTo(r - control, t, r, t + control, r, t + extent);
    path.lineTo(r, b - extent);
    path.cubicTo(r, b - control, r - control, b, r - extent, b);
    path.lineTo(l + extent, b);
    path.cubicTo(l + control, b, l, b - control, l, b - extent);
    path.lineTo(l, t + extent);
    path.cubicTo(l, t + control, l + control, t, l + extent, t);
    path.closeSubpath();
    return path;
}

QPainterPath capsule(const QRectF& rect) {
    QPainterPath path;
    const double radius = std::min(rect.width(), rect.height()) / 2;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

void fill(QPainter& painter, const QRectF& rect, double radius, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(continuousRoundedRect(rect, radius));
    painter.restore();
}

void strokeInside(QPainter& painter, const QRectF& rect, double radius, const QColor& color,
                  double lineWidth) {
    // Filled as the ring between the shape and the shape inset by the line width: the same band a pen
    // along the half-inset edge would draw, at a fraction of the cost of stroking curves (lists and
    // grids draw hundreds of outlined tiles per frame).
    const QRectF inner = rect.adjusted(lineWidth, lineWidth, -lineWidth, -lineWidth);
    QPainterPath ring = continuousRoundedRect(rect, radius);
    if (inner.isValid()) ring.addPath(continuousRoundedRect(inner, std::max(0.0, radius - lineWidth)));
    ring.setFillRule(Qt::OddEvenFill);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(ring);
    painter.restore();
}

void paintCardBackground(QPainter& painter, const QRectF& rect, double radius, const Theme& theme) {
    fill(painter, rect, radius, theme.card);
    strokeInside(painter, rect, radius, theme.border);
}

namespace {

// Three box blurs approximate a Gaussian; runs on the alpha channel only.
void blurAlpha(QImage& image, int radius) {
    if (radius < 1) return;
    const int w = image.width(), h = image.height();
    std::vector<int> line(size_t(std::max(w, h)));
    // Pixels through one pointer: scanLine() per pixel would check for sharing every time.
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    auto pass = [&](bool horizontal) {
        const int outer = horizontal ? h : w, inner = horizontal ? w : h;
        for (int o = 0; o < outer; ++o) {
            auto at = [&](int i) -> uchar& {
                const int x = horizontal ? i : o, y = horizontal ? o : i;
                return bits[stride * y + x];
            };
            for (int i = 0; i < inner; ++i)
                line[size_t(i)] = at(i);
            int sum = 0;
            for (int i = -radius; i <= radius; ++i)
                sum += line[size_t(std::clamp(i, 0, inner - 1))];
            for (int i = 0; i < inner; ++i) {
                at(i) = uchar(sum / (2 * radius + 1));
                sum += line[size_t(std::min(i + radius + 1, inner - 1))];
                sum -= line[size_t(std::max(i - radius, 0))];
            }
        }
    };
    for (int k = 0; k < 3; ++k) {
        pass(true);
        pass(false);
    }
}

// The shadow of `path` as an image whose origin lies `margin` points above and left of the path's
// bounding box.
QImage shadowImage(const QPainterPath& path, const QColor& color, double blurRadius, double scale,
                   double margin) {
    const QRectF rect = path.boundingRect();
    const QSize size = (rect.size() + QSizeF(2 * margin, 2 * margin)).toSize() * scale;
    if (size.isEmpty()) return {};
    QImage mask(size, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPath(path.translated(QPointF(margin, margin) - rect.topLeft()));
    }
    // Three box passes of radius r/3 spread about as far as a Gaussian of the design's blur radius.
    blurAlpha(mask, int(std::lround(blurRadius * scale / 3)));
    QImage shadow(size, QImage::Format_ARGB32_Premultiplied);
    shadow.fill(color);
    {
        QPainter p(&shadow);
        p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        p.drawImage(0, 0, mask);
    }
    shadow.setDevicePixelRatio(scale);
    return shadow;
}

} // namespace

void paintShadow(QPainter& painter, const QRectF& rect, double radius, const QColor& color, double blurRadius,
                 QPointF offset) {
    // The same few rounded rectangles cast their shadows on every repaint (chips, knobs, the
    // sunburst's disc): each shadow is blurred once and kept.
    struct Entry {
        double width, height, radius, blur, scale;
        QRgb color;
        QImage shadow;
    };
    static std::mutex mutex;
    static std::deque<Entry> recent; // most recently used first
    constexpr size_t kKept = 16;
    const double scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const double margin = blurRadius * 2;
    QImage shadow;
    {
        std::lock_guard lock(mutex);
        const auto found = std::find_if(recent.begin(), recent.end(), [&](const Entry& e) {
            return e.width == rect.width() && e.height == rect.height() && e.radius == radius &&
                   e.blur == blurRadius && e.scale == scale && e.color == color.rgba();
        });
        if (found != recent.end()) {
            Entry entry = std::move(*found);
            recent.erase(found);
            recent.push_front(std::move(entry));
        } else {
            recent.push_front({rect.width(), rect.height(), radius, blurRadius, scale, color.rgba(),
                               shadowImage(continuousRoundedRect(QRectF(QPointF(0, 0), rect.size()), radius),
                                           color, blurRadius, scale, margin)});
            if (recent.size() > kKept) recent.pop_back();
        }
        shadow = recent.front().shadow;
    }
    if (!shadow.isNull()) painter.drawImage(rect.topLeft() + offset - QPointF(margin, margin), shadow);
}

void paintShadow(QPainter& painter, const QPainterPath& path, const QColor& color, double blurRadius,
                 QPointF offset) {
    const double scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const double margin = blurRadius * 2;
    const QImage shadow = shadowImage(path, color, blurRadius, scale, margin);
    if (!shadow.isNull())
        painter.drawImage(path.boundingRect().topLeft() + offset - QPointF(margin, margin), shadow);
}

} // namespace shapes
