#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QRgb>

#include <climits>
#include <cstdint>
#include <functional>
#include <vector>

class QPainter;

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
    void fillRoundedRing(const QRectF& outer, double outerRadius, const QRectF& inner, double innerRadius,
                         QRgb opaque);

    size_t size() const { return shapes_.size(); }
    void reserve(size_t shapes) { shapes_.reserve(shapes); }
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
void fillRoundedRing(QImage& image, const QRectF& outer, double outerRadius, const QRectF& inner,
                     double innerRadius, QRgb opaque);

// The part of a ring between radii r0 and r1 and angles `start` to `end` (radians clockwise from 12
// o'clock, y down), shrunk by `inset` pixels on every side so that neighbouring sectors keep a
// hairline of what lies beneath between them. In the image's pixels; set up once, then drawn in
// bands of rows (a picture's sectors on several threads).
class AnnularSector {
  public:
    AnnularSector(QPointF centre, double r0, double r1, double start, double end, double inset, QRgb opaque);
    // Rows [top(), bottom()) may be touched; none for an empty sector.
    int top() const { return y0; }
    int bottom() const { return y1; }
    // Fills the sector's pixels on rows [firstRow, endRow) of `image` (Format_ARGB32_Premultiplied).
    void draw(QImage& image, int firstRow = 0, int endRow = INT_MAX) const;

  private:
    uint32_t colour;
    double cx, cy, in0, in1, inset;
    double ux0 = 0, uy0 = 0, ux1 = 0, uy1 = 0;
    bool wide = false;
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
};

void fillAnnularSector(QImage& image, QPointF centre, double r0, double r1, double start, double end,
                       double inset, QRgb opaque);

// Lets `raster` write its pixels into what `painter` paints on: straight into the image when it is
// one in Format_ARGB32_Premultiplied under no more than a translation and an even scale (the cached
// canvas's picture), else into `scratch` (kept by the caller), a transparent picture of `size`
// points then drawn at the painter's origin. `raster` is given the image, the device position of
// the painter's origin and the pixels per point.
using Raster = std::function<void(QImage& image, QPointF origin, double ratio)>;
void rasterInto(QPainter& painter, QSizeF size, QImage& scratch, const Raster& raster);

} // namespace rect_raster
