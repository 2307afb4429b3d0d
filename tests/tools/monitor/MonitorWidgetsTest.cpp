#include "shell/style/Theme.h"
#include "tests/support/Animations.h"
#include "tools/monitor/MonitorCard.h"
#include "tools/monitor/SegmentedBar.h"
#include "tools/monitor/Sparkline.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

namespace {

std::vector<QPointF> pointsOf(const std::vector<double>& values, std::optional<double> maxValue,
                              QSizeF size = {200, 32}) {
    const QPolygonF line = Sparkline::points(values, maxValue, size);
    return {line.begin(), line.end()};
}

TEST(Sparkline, PointsSpanTheWidthAndScaleToTheMaximumOrTheLargestValue) {
    using P = std::vector<QPointF>;
    const struct {
        const char* what;
        std::vector<double> values;
        std::optional<double> maxValue;
        P points;
    } cases[] = {
        {"no values", {}, 100, {}},
        {"one value", {50}, 100, {}},
        {"two values: one segment across", {0, 100}, 100, {{0, 32}, {200, 0}}},
        {"all zeros lie on the bottom edge", {0, 0, 0}, 100, {{0, 32}, {100, 32}, {200, 32}}},
        {"rates of 2,000,000 down and 500,000 up, no maximum", {2e6, 5e5}, std::nullopt, {{0, 0}, {200, 24}}},
        {"both rates 0: scaled to 1", {0, 0}, std::nullopt, {{0, 32}, {200, 32}}},
        {"a maximum below 1 counts as 1", {0.5, 1}, 0.25, {{0, 16}, {200, 0}}},
        {"not clamped: above the top and below the bottom", {200, -100}, 100, {{0, -32}, {200, 64}}},
    };
    for (const auto& c : cases) {
        const P got = pointsOf(c.values, c.maxValue);
        ASSERT_EQ(got.size(), c.points.size()) << c.what;
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i].x(), c.points[i].x(), 1e-9) << c.what << " " << i;
            EXPECT_NEAR(got[i].y(), c.points[i].y(), 1e-9) << c.what << " " << i;
        }
    }
}

// What a sparkline paints on its card-coloured ground: nothing below two values, a line in its colour
// with a fill fading towards the bottom otherwise.
TEST(Sparkline, DrawsALineOverAFadingFillFromTwoValues) {
    ThemeManager::instance().setThemeName(ThemeName::light);
    Sparkline line(&Theme::ink, 100);
    line.resize(200, 32);
    auto picture = [&] {
        QImage image(line.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        line.render(&image, {}, {}, QWidget::RenderFlags());
        return image;
    };
    const QColor card = theme().card;
    line.setValues({50});
    const QImage one = picture();
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x)
            ASSERT_EQ(one.pixelColor(x, y), card) << x << "," << y;

    line.setValues({50, 50});
    const QImage two = picture();
    // The line at half height is mostly the colour given; the fill under it fades towards the card.
    const QColor ink = theme().ink;
    auto distance = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
    };
    EXPECT_LE(std::min(distance(two.pixelColor(100, 15), ink), distance(two.pixelColor(100, 16), ink)),
              distance(card, ink) / 4);
    const int high = distance(two.pixelColor(100, 20), card), low = distance(two.pixelColor(100, 30), card);
    EXPECT_GT(high, low);
    EXPECT_GT(low, 0);
    EXPECT_EQ(two.pixelColor(100, 8), card); // nothing above the line
}

TEST(SegmentedBar, WidthsAreSharesOfTheBarAndNeverNegative) {
    const struct {
        const char* what;
        std::vector<double> values;
        double total;
        std::vector<double> widths;
    } cases[] = {
        {"shares", {25, 25, 50}, 100, {50, 50, 100}},
        {"a negative value is empty", {-10, 100}, 100, {0, 200}},
        {"nothing at all", {0, 0, 0, 0}, 1, {0, 0, 0, 0}},
        {"a total of 1 with bytes: wider than the bar", {4096, 0}, 1, {4096 * 200.0, 0}},
        {"not a number is empty", {std::nan(""), 5}, 10, {0, 100}},
        {"no total", {5}, 0, {0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SegmentedBar::widths(c.values, c.total, 200), c.widths) << c.what;
}

// The gaps are not taken from the widths: segments that fill the total overflow the bar, and the
// clip keeps the last one inside it.
TEST(SegmentedBar, SegmentsThatFillTheTotalAreClippedAtTheTrailingEnd) {
    ThemeManager::instance().setThemeName(ThemeName::light);
    SegmentedBar bar;
    bar.resize(200, 8);
    bar.setSegments({{50, [](const Theme&) { return QColor(Qt::red); }},
                     {50, [](const Theme&) { return QColor(Qt::blue); }}},
                    100);
    QImage image(bar.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    bar.render(&image, {}, {}, QWidget::RenderFlags());
    EXPECT_EQ(image.pixelColor(50, 4), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(100, 4), theme().card); // the 2-point gap
    EXPECT_EQ(image.pixelColor(150, 4), QColor(Qt::blue));
    EXPECT_EQ(image.pixelColor(197, 4), QColor(Qt::blue)); // the blue one reaches the end, cut there
}

// A card's headline rolls its digits to a new figure, easing out over 0.15 s, and ends as the new
// figure drawn still.
TEST(CardHeader, HeadlineDigitsRollToTheNewFigure) {
    CardHeader header(QStringLiteral("cpu"), QStringLiteral("CPU"), 22);
    header.resize(300, header.sizeHint().height());
    header.show();
    header.setHeadline(QStringLiteral("37.5%"));
    const QImage before = header.grab().toImage();

    AnimationsOn animations;
    header.setHeadline(QStringLiteral("42.0%"));
    QVariantAnimation* roll = runningAnimation(header, "numericText");
    ASSERT_NE(roll, nullptr);
    EXPECT_EQ(roll->duration(), 150);
    EXPECT_EQ(roll->easingCurve(), QEasingCurve(QEasingCurve::OutQuad));
    holdAt(*roll, 0.5);
    const QImage halfway = header.grab().toImage();
    finish(*roll);
    const QImage after = header.grab().toImage();
    EXPECT_NE(halfway, before);
    EXPECT_NE(halfway, after);

    CardHeader still(QStringLiteral("cpu"), QStringLiteral("CPU"), 22);
    still.resize(header.size());
    still.setHeadline(QStringLiteral("42.0%"));
    EXPECT_EQ(still.grab().toImage(), after);
}

} // namespace
