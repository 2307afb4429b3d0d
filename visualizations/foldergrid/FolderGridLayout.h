#pragma once

#include "model/FileNode.h"

#include <QRectF>

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

// The folder grid as data: which children it shows and where each card, tile and header lies, as a
// pure function of the counts and the width. The view paints only the items that intersect its
// viewport, so a folder of 100,000 children costs one pass over them and no widget per cell.
namespace folder_grid {

// Grid metrics, in points.
constexpr double kPaddingX = 24, kPaddingTop = 26, kPaddingBottom = 32;
constexpr double kColumnSpacing = 19;
constexpr double kMinimumColumnWidth = 10;
constexpr double kHeaderHeight = 28;
constexpr double kCardHeight = 192, kCardRowSpacing = 19, kCardsTop = 22;
constexpr double kTileHeight = 60, kTileRowSpacing = 12, kTilesTop = 18;
constexpr double kFilesAfterFolders = 34;
constexpr double kEmptyTop = 80, kEmptyHeight = 18;
// However many files match, the grid shows tiles for this many.
constexpr size_t kMaxFileTiles = 600;

// The direct children kept by the filter, split into folders and files, both in stored order.
struct Partition {
    std::vector<FileNode*> folders;
    std::vector<FileNode*> files;
};

// One pass over `children`; `keep` is the name filter (the state object's matchesFilter).
template <typename Keep> Partition partition(std::span<FileNode* const> children, Keep&& keep);

// Grid columns for the width the view offers: (W - 48 + 19) / 309 truncated, at least 2, else 1.
int columnCount(double width);

enum class ItemKind { folderHeader, folderCard, fileHeader, fileTile, emptyState };

struct Item {
    ItemKind kind;
    QRectF rect;
    size_t index = 0; // position in Partition::folders or ::files for cards and tiles
};

struct Layout {
    std::vector<Item> items; // reading order: top to bottom, left to right
    double width = 0;
    double height = 0; // of the whole content, paddings included
    int columns = 1;
    double columnWidth = 0;
};

// Lays out `folderCount` cards and min(fileCount, kMaxFileTiles) tiles for a view `width` wide
// (columns counted from `width`, cells filling `contentWidth`, which is narrower by a scroll bar
// when one shows; pass the same value when none does). With neither, the empty-state line.
Layout layout(size_t folderCount, size_t fileCount, double width, double contentWidth);
inline Layout layout(size_t folderCount, size_t fileCount, double width) {
    return layout(folderCount, fileCount, width, width);
}

// The items that intersect the band [top, bottom), as a range [first, last) of Layout::items.
// Binary search: the cost does not grow with the folder's size.
std::pair<size_t, size_t> visibleRange(const Layout& layout, double top, double bottom);

// The item whose rectangle holds `point`, or nullptr.
const Item* itemAt(const Layout& layout, QPointF point);

// ---- template definition ----

template <typename Keep> Partition partition(std::span<FileNode* const> children, Keep&& keep) {
    Partition result;
    for (FileNode* child : children) {
        if (!keep(child)) continue;
        (child->isDirectory() ? result.folders : result.files).push_back(child);
    }
    return result;
}

} // namespace folder_grid
