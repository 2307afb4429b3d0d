// Pictures painted in bands on several threads must come out as painted in one go.
#include "shell/canvas/ParallelPaint.h"
#include "shell/style/Fonts.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

namespace {

// Shapes that cross many band edges: discs, text, a rotated picture of text, at a pixel ratio of 2
// and an origin off the image's corner.
void scene(QPainter& painter, const QImage& label) {
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        painter.setBrush(QColor::fromHsv(i * 30, 160, 220));
        painter.drawEllipse(QRectF(7.3 * i, 5.1 * i + 3, 41.7, 63.2));
    }
    painter.setPen(Qt::black);
    painter.setFont(fonts::ui(11, QFont::DemiBold));
    for (int i = 0; i < 8; ++i)
        painter.drawText(QPointF(4.5 + 9 * i, 31.3 * i + 6), QStringLiteral("Holiday 2023.mp4"));
    for (int angle : {-70, -20, 35, 88}) {
        painter.save();
        painter.translate(120, 40 + angle);
        painter.rotate(angle);
        painter.drawImage(QRectF(QPointF(-30, -7), label.deviceIndependentSize()), label);
        painter.restore();
    }
}

TEST(ParallelPaint, BandsPaintWhatOnePainterPaints) {
    constexpr double ratio = 2;
    const QPointF origin(14, 22); // pixels
    QImage label(QSize(120, 28), QImage::Format_ARGB32_Premultiplied);
    label.setDevicePixelRatio(ratio);
    label.fill(Qt::transparent);
    QPainter labelPainter(&label);
    labelPainter.setFont(fonts::ui(9.5));
    labelPainter.drawText(QPointF(2, 10), QStringLiteral("node_modules"));
    labelPainter.end();

    QImage whole(QSize(420, 700), QImage::Format_ARGB32_Premultiplied);
    whole.fill(Qt::white);
    QImage banded = whole;
    QPainter p(&whole);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    p.translate(origin);
    p.scale(ratio, ratio);
    scene(p, label);
    p.end();
    std::atomic<int> bands = 0;
    paintBandsInParallel(banded, origin, ratio, [&](QPainter& band, const QRectF&) {
        ++bands;
        scene(band, label);
    });
    EXPECT_GT(bands.load(), 1);
    // Qt may pick another sampling path for a rotated picture on a short image: a few levels of grey
    // at most. A shape cut or shifted at a band's edge would differ by far more.
    int largest = 0;
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x) {
            const QRgb a = whole.pixel(x, y), b = banded.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(largest, 8);
}

TEST(ParallelPaint, EveryPartRunsOnce) {
    for (int count : {0, 1, 7, 64}) {
        std::vector<std::atomic<int>> runs(static_cast<size_t>(count));
        paintInParallel(count, [&](int part) { ++runs[size_t(part)]; });
        for (const auto& r : runs)
            EXPECT_EQ(r.load(), 1);
    }
    // Runs of rows cover [top, bottom) exactly, each starting on a band's edge.
    std::vector<std::atomic<int>> rows(1000);
    paintRowsInParallel(37, 1000, 32, [&](int from, int to) {
        EXPECT_EQ((from - 37) % 32, 0);
        for (int y = from; y < to; ++y)
            ++rows[size_t(y)];
    });
    for (int y = 0; y < 1000; ++y)
        EXPECT_EQ(rows[size_t(y)].load(), y >= 37 ? 1 : 0) << y;
}

} // namespace
