#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRgb>

#include <climits>
#include <cstdint>
#include <vector>

// Fills anti-aliased rounded rectangles of opaque colours straight into an image's pixels.
//
// A canvas with thousands of small cells spends most of its time in QPainter's set-up per shape
// (several microseconds each, whatever the size); here a cell costs about as much as its pixels.
// A batch is drawn in bands of rows that stay in the cache, every shape crossing a row in the order
// it was added, so nested levels cost little more than one; a large batch shares its bands out
// among idle threads.
// Corners are circular: at the few pixels of radius the canvases use, a smoothed corner differs
// from a circular one by well under a pixel.
namespace rect_raster {

class Batch {
public:
    // Rectangles and radii in the image's pixels; `opaque` is drawn over what is there by its coverage.
    void fillRoundedRect(const QRectF& rect, double radius, QRgb opaque);
    // The band between two rounded rectangles (`inner` inside `outer`): a line along a shape's edge.
    void fillRoundedRing(const QRectF& outer, double outerRadius, const QRectF& inner, double innerRadius, QRgb opaque);

    size_t size() const { return shapes_.size(); }
    void clear() { shapes_.clear(); }

    // Draws every shape into `image` (Format_ARGB32_Premultiplied; other formats are left alone),
    // skipping what lies outside it.
    void draw(QImage& image) const;

private:
    struct Shape {
        QRectF outer, inner; // inner is empty for a filled rectangle
        double outerRadius = 0, innerRadius = 0;
        uint32_t colour = 0;
    };
    std::vector<Shape> shapes_;
};

// One shape, drawn at once.
void fillRoundedRect(QImage& image, const QRectF& rect, double radius, QRgb opaque);
void fillRoundedRing(QImage& image, const QRectF& outer, double outerRadius, const QRectF& inner, double innerRadius,
                     QRgb opaque);

// Fills the part of a ring between radii r0 and r1 and angles `start` to `end` (radians clockwise
// from 12 o'clock, y down), shrunk by `inset` pixels on every side so that neighbouring sectors
// keep a hairline of what lies beneath between them. In the image's pixels; only rows [firstRow,
// endRow) are touched (bands of one picture drawn on several threads).
void fillAnnularSector(QImage& image, QPointF centre, double r0, double r1, double start, double end, double inset,
                       QRgb opaque, int firstRow = 0, int endRow = INT_MAX);

} // namespace rect_raster
