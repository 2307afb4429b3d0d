#pragma once

#include <QRectF>
#include <QSizeF>

// Where the age map's three cards stand. From 980 points of width on, two columns that fill the
// area: the buckets card over the heat map on the left, the untouched files on the right at 39 % of
// the width the columns share. Narrower, one column that scrolls: the buckets card at its own height,
// the heat map 460 high and the untouched files 520 high. Pure geometry, tested without a window.
namespace age_map {

inline constexpr double kWideFrom = 980;

bool isWide(double width);

// The heights the cards need: the buckets card's own, and the least the other two can be given.
struct CardHeights {
    double buckets = 0;
    double heatmapMinimum = 0;
    double untouchedMinimum = 0;
};

struct Layout {
    bool wide = false;
    QRectF buckets, heatmap, untouched;
    double height = 0; // of everything, padding included; taller than the area when it must scroll
};

// `area`: the room the view has (its width decides the columns); `contentWidth`: the width the cards
// are laid out in (the area's, less a scroll bar when one shows).
Layout layout(QSizeF area, double contentWidth, const CardHeights& heights);

} // namespace age_map
