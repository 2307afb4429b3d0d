#pragma once

#include <QColor>

// Colour arithmetic the canvas views share.
namespace color_blend {

// The colour with its opacity multiplied by `opacity`.
inline QColor withOpacity(QColor color, double opacity) {
    color.setAlphaF(float(color.alphaF() * opacity));
    return color;
}

// The opaque colour `top` leaves when drawn over the opaque `below`.
inline QColor over(const QColor& top, const QColor& below) {
    const double a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + below.redF() * (1 - a)), float(top.greenF() * a + below.greenF() * (1 - a)),
                            float(top.blueF() * a + below.blueF() * (1 - a)));
}

} // namespace color_blend
