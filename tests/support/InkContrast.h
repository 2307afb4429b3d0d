#pragma once

#include <QColor>
#include <QImage>
#include <QPolygonF>
#include <QRectF>
#include <QTransform>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

// Contrast of text as drawn: what a reader sees in the pixels, measured without the product's own rule.
namespace ink_contrast {

// WCAG contrast of two opaque colours, 1 to 21.
inline double wcag(const QColor& a, const QColor& b) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    auto luminance = [&](const QColor& c) {
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// `widget` drawn at two pixels per point: glyph stems then cover whole pixels, so the text's own colour
// shows in the picture rather than only its blend with the fill at the glyphs' edges.
inline QImage sharpPicture(QWidget& widget, const QColor& background) {
    constexpr double kRatio = 2;
    QImage image(widget.size() * kRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(kRatio);
    image.fill(background);
    widget.render(&image);
    return image;
}

struct Reading {
    QColor fill;                                  // what the text lies on
    double contrast = 1;                          // of the most inked pixel against the fill
    bool empty() const { return contrast < 1.2; } // nothing drawn there
};

// Text drawn in `area` (in points) of `image`, lying on a fill that covers most of `around` (an area
// around it holding no other shape): the fill is the colour most pixels of `around` have (near enough:
// a fill may be a gentle gradient), and the text's contrast is that of its pixel that stands out most.
inline Reading read(const QImage& image, const QPolygonF& area, const QPolygonF& around) {
    const double ratio = image.devicePixelRatio();
    // The pixels whose centres lie in `points`.
    auto forEachPixel = [&](const QPolygonF& points, auto&& visit) {
        const QPolygonF pixels = QTransform::fromScale(ratio, ratio).map(points);
        const QRect bounds = pixels.boundingRect().toAlignedRect() & image.rect();
        for (int y = bounds.top(); y <= bounds.bottom(); ++y)
            for (int x = bounds.left(); x <= bounds.right(); ++x)
                if (pixels.containsPoint(QPointF(x + 0.5, y + 0.5), Qt::OddEvenFill))
                    visit(image.pixel(x, y));
    };
    // Pixels by colour to within 8 levels a channel, with their sums for the average.
    struct Bin {
        int count = 0;
        long red = 0, green = 0, blue = 0;
    };
    std::map<QRgb, Bin> bins;
    forEachPixel(around, [&](QRgb pixel) {
        Bin& bin = bins[qRgb(qRed(pixel) >> 3, qGreen(pixel) >> 3, qBlue(pixel) >> 3)];
        ++bin.count;
        bin.red += qRed(pixel);
        bin.green += qGreen(pixel);
        bin.blue += qBlue(pixel);
    });
    Reading reading;
    if (bins.empty()) return reading;
    const Bin& most = std::max_element(bins.begin(), bins.end(), [](auto& a, auto& b) {
                          return a.second.count < b.second.count;
                      })->second;
    reading.fill =
        QColor(int(most.red / most.count), int(most.green / most.count), int(most.blue / most.count));
    forEachPixel(area, [&](QRgb pixel) {
        reading.contrast = std::max(reading.contrast, wcag(QColor::fromRgb(pixel), reading.fill));
    });
    return reading;
}

// Expects the text in `area` to stand out by `minimum` from the fill around it (see read()).
inline void expectReads(const QImage& image, const QPolygonF& area, const QPolygonF& around, double minimum,
                        const std::string& what) {
    const Reading reading = read(image, area, around);
    EXPECT_FALSE(reading.empty()) << what << ": nothing drawn";
    EXPECT_GE(reading.contrast, minimum) << what << " on " << reading.fill.name().toStdString();
}

inline void expectReads(const QImage& image, const QRectF& box, const QRectF& around, double minimum,
                        const std::string& what) {
    expectReads(image, QPolygonF(box), QPolygonF(around), minimum, what);
}

} // namespace ink_contrast
