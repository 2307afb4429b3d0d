#include "shell/canvas/PictureFade.h"

#include <QPainter>
#include <QRect>
#include <QWidget>

#include <algorithm>
#include <cmath>

void PictureFade::start(QImage from, QWidget* owner, const motion::Curve& curve) {
    from_ = std::move(from);
    progress_ = 0;
    motion::animate(
        owner, "crossFade", 0.0, 1.0, curve,
        [this, owner](const QVariant& value) {
            progress_ = value.toDouble();
            owner->update();
        },
        [this, owner] {
            stop();
            owner->update();
        });
}

void PictureFade::stop() {
    from_ = QImage();
    scratch_ = QImage();
    progress_ = 1;
}

bool PictureFade::matches(const QImage& to) const {
    return isRunning() && to.size() == from_.size() && to.devicePixelRatio() == from_.devicePixelRatio();
}

namespace {

// The device pixels under `area` (logical coordinates) of a picture `ratio` pixels per point.
QRect pixelsOf(const QRect& area, qreal ratio, const QRect& picture) {
    const QPoint topLeft(int(std::floor(area.left() * ratio)), int(std::floor(area.top() * ratio)));
    const QPoint bottomRight(int(std::ceil((area.right() + 1) * ratio)) - 1,
                             int(std::ceil((area.bottom() + 1) * ratio)) - 1);
    return QRect(topLeft, bottomRight).intersected(picture);
}

} // namespace

void PictureFade::blend(const QImage& to, const QRect& pixels, QImage& out) const {
    if (out.size() != pixels.size()) out = QImage(pixels.size(), QImage::Format_ARGB32_Premultiplied);
    // Pixel for pixel: the pictures' ratio plays no part here.
    const QRectF target(QPointF(0, 0), QSizeF(pixels.size()));
    QPainter p(&out);
    // Source with an opacity interpolates: old + (new - old) x progress, on every channel and alpha.
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(target, from_, QRectF(pixels));
    p.setOpacity(std::clamp(progress_, 0.0, 1.0));
    p.drawImage(target, to, QRectF(pixels));
}

bool PictureFade::paint(QPainter& painter, const QImage& to, const QRect& area) {
    if (!matches(to)) return false;
    const qreal ratio = from_.devicePixelRatio();
    const QRect pixels = pixelsOf(area, ratio, from_.rect());
    if (pixels.isEmpty()) return true;
    blend(to, pixels, scratch_);
    painter.drawImage(QRectF(QPointF(pixels.topLeft()) / ratio, QSizeF(pixels.size()) / ratio), scratch_);
    return true;
}

QImage PictureFade::current(const QImage& to) const {
    if (!matches(to)) return to;
    QImage out;
    blend(to, from_.rect(), out);
    out.setDevicePixelRatio(from_.devicePixelRatio());
    return out;
}
