#include "shell/canvas/CachedCanvas.h"

#include "shell/canvas/ParallelPaint.h"
#include "shell/style/SmoothPainter.h"

#include <QPaintDevice>
#include <QPainter>

#include <cstring>

namespace {

// Transparent again, in bands on several threads: a whole window's picture is megabytes.
void clear(QImage& image) {
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    paintRowsInParallel(0, image.height(), 128, [&](int from, int to) {
        std::memset(bits + stride * from, 0, size_t(stride * (to - from)));
    });
}

} // namespace

bool CachedCanvas::refresh(const CanvasKey& key, QSize size, qreal ratio, const Draw& draw) {
    const bool redraw = !key_ || !(*key_ == key) || size != size_ || ratio != ratio_;
    if (!redraw) return false;
    key_ = key;
    size_ = size;
    ratio_ = ratio;
    if (size.isEmpty()) {
        picture_ = QImage();
    } else {
        // Same size: the buffer is reused (a new one of this size costs as much as a redraw).
        const QSize pixels = size * ratio;
        if (picture_.size() != pixels) picture_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        picture_.setDevicePixelRatio(ratio);
        clear(picture_);
        SmoothPainter p(&picture_);
        draw(p, QSizeF(size));
    }
    return true;
}

bool CachedCanvas::paint(QPainter& painter, const CanvasKey& key, QSize size, const Draw& draw,
                         QPointF topLeft) {
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const bool redrew = refresh(key, size, ratio, draw);
    if (!picture_.isNull()) painter.drawImage(topLeft, picture_);
    return redrew;
}

void CachedCanvas::invalidate() {
    key_.reset();
}
