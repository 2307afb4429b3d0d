#pragma once

#include <QPointF>
#include <QRectF>

#include <functional>

class QImage;
class QPainter;

// Pictures of many shapes drawn by several threads at once. Qt's raster engine would split each
// large fill across the global thread pool on its own; for thousands of mid-sized shapes those
// hand-offs cost more than the drawing, so the canvases write their pixels themselves and share out
// bands of rows instead.

// Runs part(0) ... part(count - 1), each exactly once, on this thread and on whichever threads of
// the global pool are idle, and returns when all are done. The parts must not touch the same
// pixels (bands of rows of one image, say), so the picture is the same however they are shared out.
void paintInParallel(int count, const std::function<void(int part)>& part);

// Paints rows [top, bottom) in runs of whole bands of `band` rows through paintInParallel, a few
// runs per thread so that a thread that starts late still finds some.
void paintRowsInParallel(int top, int bottom, int band, const std::function<void(int from, int to)>& rows);

// Paints with `paint` over bands of rows of `image`, several at once. Each band has a painter of its
// own on those rows alone, in points: `origin` is the image pixel at the point (0, 0) and `ratio`
// the pixels per point; `visible` is the band in points, so that what lies outside it can be
// skipped. Whatever crosses a band's edge is cut there and finished by the next band. `paint` runs
// on several threads at once and may only draw.
void paintBandsInParallel(QImage& image, QPointF origin, double ratio,
                          const std::function<void(QPainter& painter, const QRectF& visible)>& paint);
