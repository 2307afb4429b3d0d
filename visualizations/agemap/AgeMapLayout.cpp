#include "visualizations/agemap/AgeMapLayout.h"

#include <algorithm>

namespace age_map {

namespace {
constexpr double kSide = 17, kTopBottom = 20, kColumnSpacing = 20, kCardSpacing = 18;
constexpr double kRightShare = 0.39;
constexpr double kNarrowHeatmap = 460, kNarrowUntouched = 520;
} // namespace

bool isWide(double width) {
    return width >= kWideFrom;
}

Layout layout(QSizeF area, double contentWidth, const CardHeights& heights) {
    Layout out;
    out.wide = isWide(area.width());
    if (out.wide) {
        const double shared = std::max(0.0, contentWidth - 2 * kSide - kColumnSpacing);
        const double right = shared * kRightShare;
        const double left = shared - right;
        // Both columns fill the area's height, unless their cards need more.
        const double row =
            std::max({area.height() - 2 * kTopBottom, heights.buckets + kCardSpacing + heights.heatmapMinimum,
                      heights.untouchedMinimum});
        out.buckets = QRectF(kSide, kTopBottom, left, heights.buckets);
        out.heatmap =
            QRectF(kSide, out.buckets.bottom() + kCardSpacing, left, row - heights.buckets - kCardSpacing);
        out.untouched = QRectF(kSide + left + kColumnSpacing, kTopBottom, right, row);
        out.height = row + 2 * kTopBottom;
    } else {
        const double width = std::max(0.0, contentWidth - 2 * kSide);
        out.buckets = QRectF(kSide, kTopBottom, width, heights.buckets);
        out.heatmap = QRectF(kSide, out.buckets.bottom() + kCardSpacing, width, kNarrowHeatmap);
        out.untouched = QRectF(kSide, out.heatmap.bottom() + kCardSpacing, width, kNarrowUntouched);
        out.height = out.untouched.bottom() + kTopBottom;
    }
    return out;
}

} // namespace age_map
