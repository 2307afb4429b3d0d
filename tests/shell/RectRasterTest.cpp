// The canvas rasteriser checked pixel by pixel against the shapes' geometry.
#include "shell/canvas/RectRaster.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace {

constexpr QRgb kBack = 0xff000000, kInk = 0xffffffff;

QImage blank(int w = 120, int h = 100) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(kBack);
    return image;
}

// The share of white in a pixel painted white over black.
double coverageAt(const QImage& image, int x, int y) {
    return qRed(image.pixel(x, y)) / 255.0;
}

// Distance from a point to the outline of a rounded rectangle, negative inside.
double roundedRectDistance(QPointF p, const QRectF& r, double radius) {
    const double qx = std::abs(p.x() - r.center().x()) - (r.width() / 2 - radius);
    const double qy = std::abs(p.y() - r.center().y()) - (r.height() / 2 - radius);
    return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
}

// Whole inside, untouched outside (a pixel away from the outline), and in proportion between.
void expectShape(const QImage& image, const std::function<double(QPointF)>& distance, const char* what) {
    int inside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double d = distance(QPointF(x + 0.5, y + 0.5));
            ASSERT_NEAR(coverageAt(image, x, y), std::clamp(0.5 - d, 0.0, 1.0), std::abs(d) > 1 ? 0 : 0.08)
                << what << " at " << x << "," << y;
            inside += d < -1;
        }
    EXPECT_GT(inside, 0) << what;
}

TEST(RectRaster, RoundedRectanglesAndRingsCoverTheirShape) {
    const std::pair<QRectF, double> rects[] = {
        {QRectF(10.3, 7.6, 80.4, 50.9), 4.0},
        {QRectF(5, 5, 40, 30), 0.0},
        {QRectF(20.5, 30.25, 9.5, 7.75), 3.4},
        {QRectF(-20, -10, 70, 50), 8.0}}; // the last clipped by the image
    for (const auto& [rect, radius] : rects) {
        QImage image = blank();
        rect_raster::fillRoundedRect(image, rect, radius, kInk);
        const double r = std::min({radius, rect.width() / 2, rect.height() / 2});
        expectShape(
            image, [&](QPointF p) { return roundedRectDistance(p, rect, r); }, "rect");
    }
    QImage image = blank();
    const QRectF outer(10.2, 10.7, 90, 70), inner = outer.adjusted(4.5, 4.5, -4.5, -4.5);
    rect_raster::fillRoundedRing(image, outer, 6, inner, 1.5, kInk);
    expectShape(
        image,
        [&](QPointF p) {
            return std::max(roundedRectDistance(p, outer, 6), -roundedRectDistance(p, inner, 1.5));
        },
        "ring");
}

TEST(RectRaster, BatchesDrawAsShapesOneByOneWhateverTheThreads) {
    // Overlapping shapes in no order of rows, enough for the batch to share its bands out among
    // threads: every pixel must come out as drawing the shapes one at a time, in the order added.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> x(-30, 610), y(-30, 510), extent(1, 180), radius(0, 9);
    rect_raster::Batch batch;
    QImage oneByOne = blank(600, 500);
    for (int i = 0; i < 1500; ++i) {
        const QRectF rect(x(random), y(random), extent(random), extent(random));
        const double r = radius(random);
        const QRgb colour = 0xff000000u | (random() & 0xffffffu);
        if (i % 5 == 0) {
            const QRectF inner = rect.adjusted(2.5, 2.5, -2.5, -2.5);
            batch.fillRoundedRing(rect, r, inner, std::max(r - 2.5, 0.0), colour);
            rect_raster::fillRoundedRing(oneByOne, rect, r, inner, std::max(r - 2.5, 0.0), colour);
        } else {
            batch.fillRoundedRect(rect, r, colour);
            rect_raster::fillRoundedRect(oneByOne, rect, r, colour);
        }
    }
    QImage together = blank(600, 500);
    batch.draw(together);
    EXPECT_TRUE(together == oneByOne);
}

TEST(RectRaster, AnnularSectorsCoverTheirRingAndAngles) {
    const QPointF centre(100.3, 99.6);
    auto angleOf = [&](QPointF p) {
        const double a = std::atan2(p.y() - centre.y(), p.x() - centre.x()) + std::numbers::pi / 2;
        return a < 0 ? a + 2 * std::numbers::pi : a;
    };
    struct Case {
        double r0, r1, start, end;
    };
    constexpr double turn = 2 * std::numbers::pi;
    for (const Case& c : {Case{30, 55, 0.0, 2.4}, Case{55, 80, 0.2, 2.6}, Case{30, 55, 2.5, 5.9},
                          Case{10, 90, 4.0, turn}, Case{55, 80, 1.0, 1.05}, Case{30, 55, 0.0, turn}}) {
        QImage image = blank(200, 200);
        rect_raster::fillAnnularSector(image, centre, c.r0, c.r1, c.start, c.end, 0.4, kInk);
        int inside = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x) {
                const QPointF p(x + 0.5, y + 0.5);
                const double r = std::hypot(p.x() - centre.x(), p.y() - centre.y());
                const double a = angleOf(p);
                const double margin = 1.5 / std::max(r, 1.0); // a pixel and a half, as an angle
                const bool wellIn =
                    r > c.r0 + 2 && r < c.r1 - 2 && a > c.start + margin && a < c.end - margin;
                const bool wellOut =
                    r < c.r0 - 1 || r > c.r1 + 1 ||
                    (c.end - c.start < 6.28 && (a < c.start - margin || a > c.end + margin) &&
                     !(c.start < margin && a > turn - margin));
                if (wellIn || wellOut) {
                    ASSERT_DOUBLE_EQ(coverageAt(image, x, y), wellIn ? 1.0 : 0.0)
                        << x << "," << y << " sector " << c.start << "-" << c.end;
                }
                inside += wellIn;
            }
        EXPECT_GT(inside, 0);
    }
}

} // namespace
