#pragma once

#include <QColor>

#include <algorithm>
#include <cmath>

// Colour arithmetic the canvas views share, in 8-bit channels (what the pictures hold): a canvas
// blends a few colours for each of thousands of shapes.
namespace color_blend {

// The colour with its opacity multiplied by `opacity`.
inline QColor withOpacity(QColor color, double opacity) {
    color.setAlpha(int(std::lround(color.alpha() * std::clamp(opacity, 0.0, 1.0))));
    return color;
}

// The opaque colour `top` leaves when drawn over the opaque `below`.
inline QColor over(const QColor& top, const QColor& below) {
    const QRgb t = top.rgba(), b = below.rgb();
    const int a = qAlpha(t);
    auto mix = [a](int x, int y) { return (x * a + y * (255 - a) + 127) / 255; };
    return QColor(mix(qRed(t), qRed(b)), mix(qGreen(t), qGreen(b)), mix(qBlue(t), qBlue(b)));
}

} // namespace color_blend
