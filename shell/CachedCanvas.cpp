#include "shell/CachedCanvas.h"

#include <QPainter>
#include <QPaintDevice>

bool CachedCanvas::paint(QPainter& painter, const CanvasKey& key, QSize size, const Draw& draw, QPointF topLeft) {
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const bool redraw = !key_ || !(*key_ == key) || size != size_ || ratio != ratio_;
    if (redraw) {
        key_ = key;
        size_ = size;
        ratio_ = ratio;
        if (size.isEmpty()) {
            pixmap_ = QPixmap();
        } else {
            pixmap_ = QPixmap(size * ratio);
            pixmap_.setDevicePixelRatio(ratio);
            pixmap_.fill(Qt::transparent);
            QPainter p(&pixmap_);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::TextAntialiasing);
            draw(p, QSizeF(size));
        }
    }
    if (!pixmap_.isNull()) painter.drawPixmap(topLeft, pixmap_);
    return redraw;
}

void CachedCanvas::invalidate() { key_.reset(); }
