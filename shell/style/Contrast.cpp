#include "shell/style/Contrast.h"

#include "shell/style/ColorBlend.h"
#include "shell/style/Theme.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace contrast {

namespace {

// An 8-bit sRGB channel in linear light: a canvas asks for thousands of labels' inks.
double linear(int channel) {
    static const std::array<double, 256> table = [] {
        std::array<double, 256> t{};
        for (size_t i = 0; i < t.size(); ++i) {
            const double v = double(i) / 255.0;
            t[i] = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return table[size_t(std::clamp(channel, 0, 255))];
}

double weakest(std::span<const QColor> fills, const QColor& ink) {
    double least = std::numeric_limits<double>::infinity();
    for (const QColor& fill : fills)
        least = std::min(least, ratio(color_blend::over(ink, fill), fill));
    return least;
}

} // namespace

double luminance(const QColor& color) {
    const QRgb rgb = color.rgb();
    return 0.2126 * linear(qRed(rgb)) + 0.7152 * linear(qGreen(rgb)) + 0.0722 * linear(qBlue(rgb));
}

double ratio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool reads(const QColor& ink, std::span<const QColor> fills, double minimum) {
    // Antialiased glyphs show a little less than their ink at their edges, and turned labels more: an
    // ink that only just reaches the minimum would not quite reach it as drawn.
    return weakest(fills, ink) >= minimum * kDrawnMargin;
}

QColor firstReadable(std::span<const QColor> fills, std::initializer_list<QColor> inks, double minimum) {
    for (const QColor& ink : inks)
        if (reads(ink, fills, minimum)) return ink;
    const QColor white(255, 255, 255), black(0, 0, 0);
    return weakest(fills, white) >= weakest(fills, black) ? white : black;
}

QColor firstReadable(const QColor& fill, std::initializer_list<QColor> inks, double minimum) {
    return firstReadable(std::span(&fill, 1), inks, minimum);
}

QColor textInk(std::span<const QColor> fills, const QColor& preferred) {
    return firstReadable(fills, {preferred, canvasInk(), canvasLightInk()}, kText);
}

QColor textInk(std::span<const QColor> fills) {
    return textInk(fills, canvasInk());
}

QColor textInk(const QColor& fill, const QColor& preferred) {
    return textInk(std::span(&fill, 1), preferred);
}

QColor textInk(const QColor& fill) {
    return textInk(fill, canvasInk());
}

QColor secondaryInk(std::span<const QColor> fills, const QColor& preferred) {
    return firstReadable(
        fills, {preferred, canvasInkSecondary(), canvasLightInkSecondary(), canvasInk(), canvasLightInk()},
        kSecondary);
}

QColor secondaryInk(std::span<const QColor> fills) {
    return secondaryInk(fills, canvasInkSecondary());
}

QColor secondaryInk(const QColor& fill) {
    return secondaryInk(std::span(&fill, 1));
}

QColor shadedFor(const QColor& color, const QColor& fill, double minimum) {
    const std::span<const QColor> fills(&fill, 1);
    if (reads(color, fills, minimum)) return color;
    const QColor white(255, 255, 255), black(0, 0, 0);
    const QColor toward = ratio(white, fill) >= ratio(black, fill) ? white : black;
    constexpr int kSteps = 32;
    for (int step = 1; step < kSteps; ++step) {
        const double t = double(step) / kSteps;
        auto mix = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
        const QColor shaded(mix(color.red(), toward.red()), mix(color.green(), toward.green()),
                            mix(color.blue(), toward.blue()));
        if (reads(shaded, fills, minimum)) return shaded;
    }
    return toward;
}

MarkInks markInks(std::span<const QColor> fills, std::span<const QColor> surrounds, const Theme& theme) {
    // The theme's own strongest inks first: a mark in the text colour looks like the rest of the window.
    for (const QColor& ink : {theme.text, theme.background, theme.ink})
        if (reads(ink, fills, kMark) && reads(ink, surrounds, kMark)) return {ink, ink};
    // The text and background colours lie near the two ends of the scale: on any colour one of them
    // keeps kMark, so the pair marks the edge against every fill and surround, however mixed.
    const bool textInside = weakest(fills, theme.text) >= weakest(fills, theme.background);
    return textInside ? MarkInks{theme.text, theme.background} : MarkInks{theme.background, theme.text};
}

MarkInks markInks(const QColor& fill, const QColor& surround, const Theme& theme) {
    return markInks(std::span(&fill, 1), std::span(&surround, 1), theme);
}

} // namespace contrast
