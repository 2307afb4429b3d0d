#include "shell/canvas/ParallelPaint.h"
#include "shell/style/SmoothPainter.h"

#include <QImage>
#include <QPainter>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <atomic>

void paintInParallel(int count, const std::function<void(int part)>& part) {
    if (count <= 0) return;
    std::atomic<int> next = 0;
    auto work = [&] {
        for (int i = next++; i < count; i = next++)
            part(i);
    };
    // Helpers start only on idle threads and take parts as they come free, so a busy pool costs a
    // failed try, never a wait: this thread does whatever nobody else took.
    QSemaphore done;
    int helpers = 0;
    QThreadPool* pool = QThreadPool::globalInstance();
    for (int i = 1; i < count && i < pool->maxThreadCount(); ++i) {
        if (!pool->tryStart([&] {
                work();
                done.release();
            }))
            break;
        ++helpers;
    }
    work();
    done.acquire(helpers);
}

void paintRowsInParallel(int top, int bottom, int band, const std::function<void(int from, int to)>& rows) {
    if (bottom <= top) return;
    const int bands = (bottom - top + band - 1) / band;
    const int runs = std::min(bands, 3 * std::max(1, QThreadPool::globalInstance()->maxThreadCount()));
    const int bandsPerRun = (bands + runs - 1) / runs;
    paintInParallel((bands + bandsPerRun - 1) / bandsPerRun, [&](int run) {
        const int from = top + run * bandsPerRun * band;
        rows(from, std::min(bottom, from + bandsPerRun * band));
    });
}

void paintBandsInParallel(QImage& image, QPointF origin, double ratio,
                          const std::function<void(QPainter& painter, const QRectF& visible)>& paint) {
    if (image.isNull()) return;
    uchar* const bits = image.bits(); // once, here: bits() may detach
    const qsizetype stride = image.bytesPerLine();
    paintRowsInParallel(0, image.height(), 64, [&](int from, int to) {
        // An image over the band's rows of the same pixels: a device of its own for this thread.
        QImage band(bits + stride * from, image.width(), to - from, stride, image.format());
        band.setDevicePixelRatio(ratio);
        SmoothPainter painter(&band);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QPointF shift = origin - QPointF(0, from); // in pixels
        painter.translate(shift / ratio);
        paint(painter, QRectF(-shift / ratio, QSizeF(image.width(), to - from) / ratio));
    });
}
