#include "shell/canvas/RectRaster.h"

#include "shell/canvas/ParallelPaint.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

namespace rect_raster {

namespace {

// `src` over `dst` with a coverage of a/256 (both premultiplied, src opaque).
inline uint32_t blend(uint32_t dst, uint32_t src, uint32_t a) {
    const uint32_t inv = 256 - a;
    const uint32_t rb = (((src & 0x00ff00ffu) * a + (dst & 0x00ff00ffu) * inv) >> 8) & 0x00ff00ffu;
    const uint32_t ag = (((src >> 8) & 0x00ff00ffu) * a + ((dst >> 8) & 0x00ff00ffu) * inv) & 0xff00ff00u;
    return rb | ag;
}

// Coverage 0-1 as a weight 0-256 (256: the pixel is replaced).
inline uint32_t weight(double coverage) {
    if (coverage >= 0.998) return 256;
    if (coverage <= 0.002) return 0;
    return uint32_t(coverage * 256.0 + 0.5);
}

inline void put(uint32_t* px, uint32_t colour, uint32_t w) {
    if (w >= 256)
        *px = colour;
    else if (w > 0)
        *px = blend(*px, colour, w);
}

inline double overlap(double a0, double a1, double b0, double b1) {
    return std::max(0.0, std::min(a1, b1) - std::max(a0, b0));
}

// A rounded rectangle and how much of a pixel it covers: from the signed distance of the pixel's
// centre to its outline (exact for straight edges, within a few percent at the arcs).
struct Outline {
    double left = 0, top = 0, right = 0, bottom = 0, r = 0;
    float cx = 0, cy = 0, hx = 0, hy = 0,
          fr = 0; // centre, half extents of the rectangle inside the arcs, radius
    float outside2 = 0,
          inside2 = 0; // squared distances from an arc's centre beyond / within which a pixel is out / in

    Outline() = default;
    Outline(const QRectF& rect, double radius)
        : left(rect.left()), top(rect.top()), right(rect.right()), bottom(rect.bottom()),
          r(std::clamp(radius, 0.0, std::max(0.0, std::min(rect.width(), rect.height()) / 2))),
          cx(float(rect.center().x())), cy(float(rect.center().y())), hx(float(rect.width() / 2 - r)),
          hy(float(rect.height() / 2 - r)), fr(float(r)), outside2((fr + 0.5f) * (fr + 0.5f)),
          inside2(fr >= 0.5f ? (fr - 0.5f) * (fr - 0.5f) : -1.0f) {}

    float coverage(int x, int y) const {
        const float qx = std::fabs(float(x) + 0.5f - cx) - hx, qy = std::fabs(float(y) + 0.5f - cy) - hy;
        if (qx <= 0 || qy <= 0) return std::clamp(0.5f + fr - std::max(qx, qy), 0.0f, 1.0f); // along an edge
        // Near an arc: clearly outside, clearly inside, or on it.
        const float d2 = qx * qx + qy * qy;
        if (d2 >= outside2) return 0;
        if (d2 <= inside2) return 1;
        return 0.5f + fr - std::sqrt(d2);
    }
    // Rows whose pixels only the shape's sides cut: clear of the corners and wholly inside vertically.
    bool straightRow(int y) const { return y >= top + r && y + 1 <= bottom - r; }

    // Where a row through the corners meets the arcs, so that only the pixel or two on each arc need
    // their coverage worked out. Left of the middle: [lo, leftNone) uncovered, [leftNone, leftFull)
    // partly, [leftFull, mid0) whole; right: [mid1, rightFull) whole, [rightFull, rightNone) partly,
    // [rightNone, hi) uncovered.
    struct Spans {
        int leftNone, leftFull, rightFull, rightNone;
    };
    Spans spans(int y, int lo, int mid0, int mid1, int hi) const {
        const double yc = y + 0.5;
        const double dy = std::max({0.0, top + r - yc, yc - (bottom - r)});
        const double out = r + 0.5, in = r - 0.5;
        if (dy >= out) return {mid0, mid0, mid1, mid1};
        const double reachOut = std::sqrt(out * out - dy * dy);
        const double reachIn = in > 0 && dy < in ? std::sqrt(in * in - dy * dy) : -1;
        const double cl = left + r, cr = right - r;
        Spans sp{};
        sp.leftNone = std::clamp(int(std::ceil(cl - reachOut - 0.5)), lo, mid0);
        sp.leftFull = reachIn < 0 ? mid0 : std::clamp(int(std::ceil(cl - reachIn - 0.5)), sp.leftNone, mid0);
        sp.rightNone = std::clamp(int(std::ceil(cr + reachOut - 0.5)), mid1, hi);
        sp.rightFull =
            reachIn < 0 ? mid1 : std::clamp(int(std::floor(cr + reachIn - 0.5)) + 1, mid1, sp.rightNone);
        return sp;
    }
    double rowCoverage(int y) const { return overlap(y, y + 1, top, bottom); }
};

// The pixels of a straight row between two x positions: the same on every such row, so worked out
// once: a run of whole pixels and the few partly covered ones around it.
struct SidePixels {
    int fullFrom = 0, fullTo = 0;
    int partialCount = 0;
    std::array<std::pair<int, uint32_t>, 4> partial{};

    SidePixels() = default;
    template <typename Coverage> SidePixels(int from, int to, Coverage coverage) {
        fullFrom = fullTo = from;
        for (int x = from; x < to; ++x) {
            const uint32_t w = weight(coverage(x));
            if (w >= 256) {
                if (fullTo != x) fullFrom = x; // the whole pixels are one run
                fullTo = x + 1;
            } else if (w > 0 && partialCount < int(partial.size())) {
                partial[size_t(partialCount++)] = {x, w};
            }
        }
    }
    void apply(uint32_t* row, uint32_t colour) const {
        std::fill(row + fullFrom, row + fullTo, colour);
        for (int i = 0; i < partialCount; ++i)
            put(row + partial[size_t(i)].first, colour, partial[size_t(i)].second);
    }
};

// One shape, set up for an image: its pixel range and what is the same on every row.
struct Prepared {
    Outline outer, inner;
    bool ring = false;
    uint32_t colour = 0;
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    int mid0 = 0, mid1 = 0;     // between the arcs
    int solid0 = 0, solid1 = 0; // whole pixels of a straight row (a fill)
    SidePixels leftSide, rightSide;

    bool prepare(int width, int height) {
        x0 = std::max(0, int(std::floor(outer.left)));
        x1 = std::min(width, int(std::ceil(outer.right)));
        y0 = std::max(0, int(std::floor(outer.top)));
        y1 = std::min(height, int(std::ceil(outer.bottom)));
        if (x0 >= x1 || y0 >= y1) return false;
        if (!ring) {
            solid0 = std::clamp(int(std::ceil(outer.left)), x0, x1);
            solid1 = std::clamp(int(std::floor(outer.right)), solid0, x1);
            leftSide =
                SidePixels(x0, solid0, [&](int x) { return overlap(x, x + 1, outer.left, outer.right); });
            rightSide =
                SidePixels(solid1, x1, [&](int x) { return overlap(x, x + 1, outer.left, outer.right); });
            mid0 = std::clamp(int(std::ceil(outer.left + outer.r)), x0, x1);
            mid1 = std::clamp(int(std::floor(outer.right - outer.r)), mid0, x1);
        } else {
            // Rows where both shapes are straight: the band is the pixels either side.
            const int sideLeft = std::clamp(int(std::ceil(inner.left)), x0, x1);
            const int sideRight = std::clamp(int(std::floor(inner.right)), sideLeft, x1);
            leftSide =
                SidePixels(x0, sideLeft, [&](int x) { return overlap(x, x + 1, outer.left, inner.left); });
            rightSide =
                SidePixels(sideRight, x1, [&](int x) { return overlap(x, x + 1, inner.right, outer.right); });
            mid0 = std::clamp(int(std::ceil(std::max(outer.left + outer.r, inner.left + inner.r))), x0, x1);
            mid1 =
                std::clamp(int(std::floor(std::min(outer.right - outer.r, inner.right - inner.r))), mid0, x1);
        }
        return true;
    }

    void drawRow(uint32_t* row, int y) const { ring ? ringRow(row, y) : fillRow(row, y); }

    void fillRow(uint32_t* row, int y) const {
        if (outer.straightRow(y)) {
            leftSide.apply(row, colour);
            std::fill(row + solid0, row + solid1, colour);
            rightSide.apply(row, colour);
            return;
        }
        const Outline::Spans sp = outer.spans(y, x0, mid0, mid1, x1);
        for (int x = sp.leftNone; x < sp.leftFull; ++x)
            put(row + x, colour, weight(outer.coverage(x, y)));
        const uint32_t middle = weight(outer.rowCoverage(y));
        if (middle >= 256) {
            std::fill(row + sp.leftFull, row + sp.rightFull, colour);
        } else {
            std::fill(row + sp.leftFull, row + mid0, colour);
            if (middle > 0)
                for (int x = mid0; x < mid1; ++x)
                    row[x] = blend(row[x], colour, middle);
            std::fill(row + mid1, row + sp.rightFull, colour);
        }
        for (int x = sp.rightFull; x < sp.rightNone; ++x)
            put(row + x, colour, weight(outer.coverage(x, y)));
    }

    void ringRow(uint32_t* row, int y) const {
        if (inner.straightRow(y) && outer.straightRow(y)) {
            leftSide.apply(row, colour);
            rightSide.apply(row, colour);
            return;
        }
        // Near the corners: the outer shape's coverage less the inner one's, worked out on the arcs only.
        const Outline::Spans o = outer.spans(y, x0, mid0, mid1, x1), i = inner.spans(y, x0, mid0, mid1, x1);
        for (int x = o.leftNone; x < i.leftFull; ++x) {
            const float oc = x < o.leftFull ? outer.coverage(x, y) : 1.0f;
            const float ic = x < i.leftNone ? 0.0f : inner.coverage(x, y);
            put(row + x, colour, weight(oc - ic));
        }
        const uint32_t middle = weight(outer.rowCoverage(y) - inner.rowCoverage(y));
        if (middle >= 256) {
            std::fill(row + mid0, row + mid1, colour);
        } else if (middle > 0) {
            for (int x = mid0; x < mid1; ++x)
                row[x] = blend(row[x], colour, middle);
        }
        for (int x = std::max(i.rightFull, mid1); x < o.rightNone; ++x) {
            const float oc = x >= o.rightFull ? outer.coverage(x, y) : 1.0f;
            const float ic = x >= i.rightNone ? 0.0f : inner.coverage(x, y);
            put(row + x, colour, weight(oc - ic));
        }
    }
};

} // namespace

void Batch::fillRoundedRect(const QRectF& rect, double radius, QRgb opaque) {
    if (rect.isEmpty()) return;
    shapes_.push_back({rect, QRectF(), radius, 0, opaque | 0xff000000u});
}

void Batch::fillRoundedRing(const QRectF& outer, double outerRadius, const QRectF& inner, double innerRadius,
                            QRgb opaque) {
    if (outer.isEmpty()) return;
    shapes_.push_back({outer, inner, outerRadius, innerRadius, opaque | 0xff000000u});
}

void Batch::draw(QImage& image) const {
    if (image.format() != QImage::Format_ARGB32_Premultiplied || shapes_.empty()) return;
    const int width = image.width(), height = image.height();

    // The rows each shape may touch (none for a shape outside the image), in the order added.
    struct Rows {
        int y0, y1;
    };
    std::vector<Rows> rows(shapes_.size());
    int top = height, bottom = 0;
    int64_t work = 0; // rows of shapes
    for (size_t i = 0; i < shapes_.size(); ++i) {
        const QRectF& r = shapes_[i].outer;
        const bool across = r.right() > 0 && r.left() < width;
        const int y0 = std::max(0, int(std::floor(r.top()))),
                  y1 = across ? std::min(height, int(std::ceil(r.bottom()))) : 0;
        rows[i] = {y0, std::max(y0, y1)};
        if (y1 <= y0) continue;
        top = std::min(top, y0);
        bottom = std::max(bottom, y1);
        work += y1 - y0;
    }
    if (bottom <= top) return;

    // Rows [from, to) in bands small enough to stay in the cache while every shape crossing them is
    // drawn, each shape's rows of the band in one go (its set-up stays at hand too). On each row the
    // shapes are drawn in the order they were added, so runs of bands can go to several threads, each
    // setting up the shapes it crosses.
    constexpr int kBand = 32;
    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    auto drawRows = [&](int from, int to) {
        std::vector<uint32_t> crossing;
        for (uint32_t i = 0; i < rows.size(); ++i)
            if (rows[i].y0 < to && rows[i].y1 > from) crossing.push_back(i);
        std::vector<Prepared> prepared; // in the order added
        prepared.reserve(crossing.size());
        for (uint32_t i : crossing) {
            const Shape& s = shapes_[i];
            Prepared& p = prepared.emplace_back();
            p.outer = Outline(s.outer, s.outerRadius);
            p.ring = !s.inner.isEmpty();
            if (p.ring) p.inner = Outline(s.inner, s.innerRadius);
            p.colour = s.colour;
            if (!p.prepare(width, height)) prepared.pop_back();
        }
        // The shapes by the band they start in (a counting sort, so each band's newcomers stay in the
        // order added, the order they are merged into those still being drawn in).
        const int bands = (to - from + kBand - 1) / kBand;
        auto bandOf = [&](const Prepared& p) { return std::max(0, p.y0 - from) / kBand; };
        std::vector<uint32_t> starts(size_t(bands) + 1), byBand(prepared.size());
        for (const Prepared& p : prepared)
            ++starts[size_t(bandOf(p)) + 1];
        for (size_t b = 1; b < starts.size(); ++b)
            starts[b] += starts[b - 1];
        {
            std::vector<uint32_t> fill(starts.begin(), starts.end() - 1);
            for (uint32_t i = 0; i < prepared.size(); ++i)
                byBand[fill[size_t(bandOf(prepared[i]))]++] = i;
        }
        std::vector<uint32_t> active, merged;
        for (int b = 0; b < bands; ++b) {
            const int band = from + b * kBand, bandEnd = std::min(band + kBand, to);
            std::erase_if(active, [&](uint32_t i) { return prepared[i].y1 <= band; });
            const auto first = byBand.begin() + starts[size_t(b)],
                       last = byBand.begin() + starts[size_t(b) + 1];
            if (first != last) {
                merged.clear();
                std::merge(active.begin(), active.end(), first, last, std::back_inserter(merged));
                active.swap(merged);
            }
            for (uint32_t i : active) {
                const Prepared& p = prepared[i];
                for (int y = std::max(p.y0, band), end = std::min(p.y1, bandEnd); y < end; ++y)
                    p.drawRow(reinterpret_cast<uint32_t*>(bits + stride * y), y);
            }
        }
    };

    // A few shapes are drawn here at once, a picture's worth on several threads.
    if (work < 20'000)
        drawRows(top, bottom);
    else
        paintRowsInParallel(top, bottom, kBand, drawRows);
}

void fillAnnularSector(QImage& image, QPointF centre, double r0, double r1, double start, double end,
                       double inset, QRgb opaque) {
    AnnularSector(centre, r0, r1, start, end, inset, opaque).draw(image);
}

void rasterInto(QPainter& painter, QSizeF size, QImage& scratch, const Raster& raster) {
    const QTransform toDevice = painter.deviceTransform();
    auto* target = painter.device() && painter.device()->devType() == QInternal::Image
                       ? static_cast<QImage*>(painter.device())
                       : nullptr;
    if (target && target->format() == QImage::Format_ARGB32_Premultiplied &&
        toDevice.type() <= QTransform::TxScale && toDevice.m11() == toDevice.m22()) {
        raster(*target, QPointF(toDevice.dx(), toDevice.dy()), toDevice.m11());
        return;
    }
    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize pixels(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio)));
    if (scratch.size() != pixels || scratch.format() != QImage::Format_ARGB32_Premultiplied)
        scratch = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    scratch.setDevicePixelRatio(ratio);
    scratch.fill(Qt::transparent);
    raster(scratch, QPointF(0, 0), ratio);
    painter.drawImage(QPointF(0, 0), scratch);
}

void fillRoundedRect(QImage& image, const QRectF& rect, double radius, QRgb opaque) {
    Batch batch;
    batch.fillRoundedRect(rect, radius, opaque);
    batch.draw(image);
}

void fillRoundedRing(QImage& image, const QRectF& outer, double outerRadius, const QRectF& inner,
                     double innerRadius, QRgb opaque) {
    Batch batch;
    batch.fillRoundedRing(outer, outerRadius, inner, innerRadius, opaque);
    batch.draw(image);
}

AnnularSector::AnnularSector(QPointF centre, double r0, double r1, double start, double end, double inset,
                             QRgb opaque)
    : colour(opaque | 0xff000000u), cx(centre.x()), cy(centre.y()), in0(r0 + inset), in1(r1 - inset),
      inset(inset) {
    if (!(r1 > r0) || !(end > start) || in1 <= in0) return;
    // The edges' directions; a point's signed distance from the start edge grows clockwise, from the
    // end edge anticlockwise. A sector wider than half a turn is the union of the two half-planes.
    ux0 = std::sin(start), uy0 = -std::cos(start), ux1 = std::sin(end), uy1 = -std::cos(end);
    wide = end - start > 3.141592653589793;

    // Bounding box: the corners, and the ring's extreme points at the quarter turns the sector spans.
    double left = 1e300, right = -1e300, top = 1e300, bottom = -1e300;
    auto include = [&](double a, double r) {
        const double x = cx + r * std::sin(a), y = cy - r * std::cos(a);
        left = std::min(left, x), right = std::max(right, x), top = std::min(top, y),
        bottom = std::max(bottom, y);
    };
    for (double r : {r0, r1}) {
        include(start, r);
        include(end, r);
    }
    for (int k = int(std::ceil(start / (3.141592653589793 / 2))); k * (3.141592653589793 / 2) < end; ++k)
        include(k * (3.141592653589793 / 2), r1);
    // Far outside any image stays far outside as an int.
    auto whole = [](double v) { return std::clamp(v, -1e9, 1e9); };
    y0 = int(std::floor(whole(top))) - 1, y1 = int(std::ceil(whole(bottom))) + 1;
    x0 = int(std::floor(whole(left))) - 1, x1 = int(std::ceil(whole(right))) + 1;
}

void AnnularSector::draw(QImage& image, int firstRow, int endRow) const {
    if (image.format() != QImage::Format_ARGB32_Premultiplied || y1 <= y0) return;
    const int y0 = std::max({0, firstRow, this->y0});
    const int y1 = std::min({image.height(), endRow, this->y1});
    const int bx0 = std::max(0, x0), bx1 = std::min(image.width(), x1);
    if (y0 >= y1 || bx0 >= bx1) return;

    uchar* const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    const double outer2 = (in1 + 0.5) * (in1 + 0.5);
    const double hole2 = std::max(0.0, in0 - 0.5) * std::max(0.0, in0 - 0.5);
    // Squared radii between which a pixel is whole as far as the circles go: no square root there.
    const double solidIn2 = (in0 + 0.5) * (in0 + 0.5),
                 solidOut2 = std::max(0.0, in1 - 0.5) * std::max(0.0, in1 - 0.5);
    for (int y = y0; y < y1; ++y) {
        const double dy = y + 0.5 - cy;
        if (dy * dy >= outer2) continue;
        auto* row = reinterpret_cast<uint32_t*>(bits + stride * y);
        // The ring's pixels on this row: one run, or two either side of the hole.
        const double reach = std::sqrt(outer2 - dy * dy);
        const double hole = dy * dy < hole2 ? std::sqrt(hole2 - dy * dy) : 0.0;
        std::array<std::pair<int, int>, 2> runs{
            {{int(std::floor(cx - reach - 0.5)), int(std::ceil(cx - hole + 0.5))},
             {int(std::floor(cx + hole - 0.5)), int(std::ceil(cx + reach + 0.5))}}};
        if (runs[1].first <= runs[0].second)
            runs = {{{runs[0].first, runs[1].second}, {0, 0}}}; // no hole here
        const double dy2 = dy * dy, a0 = ux0 * dy, a1 = -ux1 * dy;
        // The edges are straight lines, so on a row the wedge is an interval: where a pixel centre is at
        // least `need` inside both edges. Pixels beyond it are never looked at; pixels whole on every
        // count (one span, or two either side of the hole) are filled outright.
        auto wedge = [&](double need) {
            double lo = -1e300, hi = 1e300;
            auto bound = [&](double constant, double slope) { // constant + slope * px >= need
                if (slope > 1e-12)
                    lo = std::max(lo, (need - constant) / slope);
                else if (slope < -1e-12)
                    hi = std::min(hi, (need - constant) / slope);
                else if (constant < need)
                    hi = -1e300;
            };
            bound(a0, -uy0);
            bound(a1, uy1);
            return std::pair{lo, hi};
        };
        int clip0 = bx0, clip1 = bx1;
        std::array<std::pair<int, int>, 2> whole{{{0, 0}, {0, 0}}};
        if (!wide) {
            const auto [anyLo, anyHi] = wedge(inset - 0.5);
            if (anyLo > anyHi) continue;
            // The bounds may be infinite (an edge parallel to the row): clamped before they become ints.
            clip0 = std::max(clip0, int(std::floor(std::clamp(cx + anyLo - 0.5, double(bx0), double(bx1)))));
            clip1 =
                std::min(clip1, int(std::ceil(std::clamp(cx + anyHi + 0.5, double(bx0), double(bx1)))) + 1);
            const auto [lo, hi] = wedge(inset + 0.5);
            if (solidOut2 > dy2 && lo <= hi) {
                const double outerReach = std::sqrt(solidOut2 - dy2);
                const double innerReach = solidIn2 > dy2 ? std::sqrt(solidIn2 - dy2) : 0.0;
                const std::array<std::pair<double, double>, 2> radial{
                    {{-outerReach, -innerReach}, {innerReach, outerReach}}};
                for (size_t k = 0; k < 2; ++k) {
                    const double from = std::max(lo, radial[k].first), to = std::min(hi, radial[k].second);
                    // Pixel x is whole when its centre x + 0.5 - cx lies in [from, to].
                    if (from <= to)
                        whole[k] = {int(std::ceil(cx + from - 0.5)), int(std::floor(cx + to - 0.5)) + 1};
                }
                if (whole[1].first < whole[0].second) whole[0].second = whole[1].first; // met in the middle
            }
        }
        auto edgePixel = [&](int x) {
            const double px = x + 0.5 - cx;
            const double d0 = a0 - uy0 * px, d1 = a1 + uy1 * px;
            double angular = std::min(d0, d1) - inset;
            if (wide) {
                // Beyond half a turn the edges are rays, not lines: behind its apex a ray is as far
                // as the centre.
                const double r = std::sqrt(px * px + dy2);
                const double ray0 = ux0 * px + uy0 * dy > 0 ? std::abs(d0) : r;
                const double ray1 = ux1 * px + uy1 * dy > 0 ? std::abs(d1) : r;
                angular = (d0 >= 0 || d1 >= 0 ? 1 : -1) * std::min(ray0, ray1) - inset;
            }
            if (angular <= -0.5) return;
            const double r2 = px * px + dy2;
            double distance = angular;
            if (r2 < solidIn2 || r2 > solidOut2) {
                const double r = std::sqrt(r2);
                distance = std::min({angular, r - in0, in1 - r});
            }
            if (distance >= 0.5) {
                row[x] = colour;
            } else if (distance > -0.5) {
                put(row + x, colour, weight(distance + 0.5));
            }
        };
        // Each run: pixels worked out one by one up to a whole span (they are ordered left to right),
        // the span filled outright, and so on.
        for (const auto& [from, to] : runs) {
            const int xa = std::max(clip0, from), xb = std::min(clip1, to);
            int x = xa;
            for (const auto& [spanFrom, spanTo] : whole) {
                if (spanTo <= x || spanFrom >= spanTo) continue;
                for (const int stop = std::min(spanFrom, xb); x < stop; ++x)
                    edgePixel(x);
                const int end = std::min(spanTo, xb);
                if (x < end) std::fill(row + x, row + end, colour);
                x = std::max(x, end);
            }
            for (; x < xb; ++x)
                edgePixel(x);
        }
    }
}

} // namespace rect_raster
