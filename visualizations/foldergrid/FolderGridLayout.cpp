#include "visualizations/foldergrid/FolderGridLayout.h"

#include <algorithm>
#include <cmath>

namespace folder_grid {

int columnCount(double width) {
    // Truncation toward zero, as the grid's integer division does: widths below 29 give 0 or less.
    const auto n = static_cast<long long>((width - 2 * kPaddingX + kColumnSpacing) / 309.0);
    return n >= 2 ? static_cast<int>(n) : 1;
}

namespace {

// Appends `count` cells of one kind row by row from `top`; returns the bottom of the last row.
double addCells(Layout& layout, ItemKind kind, size_t count, double top, double cellHeight,
                double rowSpacing) {
    const size_t columns = static_cast<size_t>(layout.columns);
    const double pitchX = layout.columnWidth + kColumnSpacing;
    const double pitchY = cellHeight + rowSpacing;
    for (size_t i = 0; i < count; ++i) {
        const double x = kPaddingX + static_cast<double>(i % columns) * pitchX;
        const double y = top + static_cast<double>(i / columns) * pitchY;
        layout.items.push_back({kind, QRectF(x, y, layout.columnWidth, cellHeight), i});
    }
    const size_t rows = (count + columns - 1) / columns;
    return rows == 0 ? top : top + static_cast<double>(rows) * pitchY - rowSpacing;
}

} // namespace

Layout layout(size_t folderCount, size_t fileCount, double width, double contentWidth) {
    Layout result;
    result.width = contentWidth;
    result.columns = columnCount(width);
    const double inner = contentWidth - 2 * kPaddingX;
    result.columnWidth =
        std::max(kMinimumColumnWidth, (inner - kColumnSpacing * (result.columns - 1)) / result.columns);
    const double headerWidth = std::max(0.0, inner);
    const size_t tiles = std::min(fileCount, kMaxFileTiles);
    result.items.reserve(folderCount + tiles + 2);

    double y = kPaddingTop;
    if (folderCount > 0) {
        result.items.push_back({ItemKind::folderHeader, QRectF(kPaddingX, y, headerWidth, kHeaderHeight), 0});
        y = addCells(result, ItemKind::folderCard, folderCount, y + kHeaderHeight + kCardsTop, kCardHeight,
                     kCardRowSpacing);
    }
    if (fileCount > 0) {
        if (folderCount > 0) y += kFilesAfterFolders;
        result.items.push_back({ItemKind::fileHeader, QRectF(kPaddingX, y, headerWidth, kHeaderHeight), 0});
        y = addCells(result, ItemKind::fileTile, tiles, y + kHeaderHeight + kTilesTop, kTileHeight,
                     kTileRowSpacing);
    }
    if (folderCount == 0 && fileCount == 0) {
        y += kEmptyTop;
        result.items.push_back({ItemKind::emptyState, QRectF(kPaddingX, y, headerWidth, kEmptyHeight), 0});
        y += kEmptyHeight;
    }
    result.height = y + kPaddingBottom;
    return result;
}

std::pair<size_t, size_t> visibleRange(const Layout& layout, double top, double bottom) {
    const auto& items = layout.items;
    // In reading order both the tops and the bottoms of the items never decrease.
    const auto first = std::partition_point(items.begin(), items.end(),
                                            [top](const Item& item) { return item.rect.bottom() <= top; });
    const auto last = std::partition_point(first, items.end(),
                                           [bottom](const Item& item) { return item.rect.top() < bottom; });
    return {static_cast<size_t>(first - items.begin()), static_cast<size_t>(last - items.begin())};
}

const Item* itemAt(const Layout& layout, QPointF point) {
    const auto [first, last] = visibleRange(layout, point.y(), std::nextafter(point.y(), point.y() + 1));
    for (size_t i = first; i < last; ++i) {
        if (layout.items[i].rect.contains(point)) return &layout.items[i];
    }
    return nullptr;
}

} // namespace folder_grid
