#include "visualizations/treemap/TreemapLayout.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/style/Formatters.h"
#include "shell/style/Palette.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace treemap {

QSizeF frameSize(QSizeF viewSize) {
    return {std::max(viewSize.width() - 26.0, 60.0), std::max(viewSize.height() - 26.0, 60.0)};
}

std::vector<QRectF> squarify(std::span<const double> weights, const QRectF& rect) {
    std::vector<QRectF> out(weights.size());
    squarify(weights, rect, out);
    return out;
}

void squarify(std::span<const double> weights, const QRectF& rect, std::span<QRectF> out) {
    std::fill(out.begin(), out.end(), QRectF());
    if (weights.empty()) return;
    const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
    if (!(total > 0) || !(rect.width() > 0) || !(rect.height() > 0)) return;
    const double scale = rect.width() * rect.height() / total;

    double x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    const size_t n = weights.size();
    size_t start = 0;
    while (start < n) {
        if (w <= 0.01 || h <= 0.01) return; // the rest keep zero rectangles
        const double side = std::min(w, h);
        const double side2 = side * side;
        auto worst = [side2](double sum, double smallest, double largest) {
            const double m = std::max(smallest, 1e-9);
            return std::max(largest * side2 / (sum * sum), (sum * sum) / (m * side2));
        };
        // Grow the row while its worst aspect ratio does not get worse (a tie takes the item).
        double sum = weights[start] * scale, smallest = sum, largest = sum;
        double current = worst(sum, smallest, largest);
        size_t end = start + 1;
        for (; end < n; ++end) {
            const double a = weights[end] * scale;
            const double s = sum + a, lo = std::min(smallest, a), hi = std::max(largest, a);
            const double ratio = worst(s, lo, hi);
            if (ratio > current) break;
            sum = s;
            smallest = lo;
            largest = hi;
            current = ratio;
        }
        // Wider than high: a column at the left edge, filled downwards; else a row along the top,
        // filled rightwards.
        const bool column = w >= h;
        const double t = sum / (column ? h : w);
        double along = column ? y : x;
        for (size_t k = start; k < end; ++k) {
            const double length = t > 0 ? weights[k] * scale / t : 0;
            out[k] = column ? QRectF(x, along, t, length) : QRectF(along, y, length, t);
            along += length;
        }
        if (column) {
            x += t;
            w = std::max(w - t, 0.0);
        } else {
            y += t;
            h = std::max(h - t, 0.0);
        }
        start = end;
    }
}

namespace {

class Builder {
  public:
    Builder(int maxDepth, ColorMode mode, double now) : maxDepth_(maxDepth), mode_(mode), now_(now) {}

    std::vector<Cell> cells;

    // Lays out `children` (of `node`, in that order) inside `rect`; `depth` is the one they get.
    void layoutChildren(const FileNode* node, std::span<FileNode* const> children, int depth, int top,
                        const QRectF& rect) {
        if (node->sizeOnDisk <= 0 || rect.width() < 2 || rect.height() < 2) return;
        const double total = double(node->sizeOnDisk);
        const double area = rect.width() * rect.height();

        // Children come largest first: the first one too small to see ends the walk.
        const size_t base = weights_.size();
        double keptSum = 0;
        size_t kept = 0;
        for (const FileNode* child : children) {
            if (double(child->sizeOnDisk) / total * area < kMinShare) break;
            weights_.push_back(double(child->sizeOnDisk));
            keptSum += double(child->sizeOnDisk);
            ++kept;
        }
        // A folder's size is the sum of its children's, so when children were left out the remainder
        // is theirs and is drawn as one block; otherwise it is bytes of no child and stays empty.
        const double remainder = total - keptSum;
        const bool rest = kept < children.size() && remainder > 0;
        if (kept == 0 && !rest) return;
        if (remainder > 0) weights_.push_back(remainder);

        rects_.resize(weights_.size());
        squarify(std::span<const double>(weights_).subspan(base), rect,
                 std::span<QRectF>(rects_).subspan(base));
        // Children too small for the inset are not drawn one by one: each run of them along a row of
        // the layout becomes one block standing for the folder, so thousands of specks cost one cell.
        std::optional<size_t> run;
        for (size_t i = 0; i < kept; ++i) {
            const QRectF share = rects_[base + i]; // copied: the recursion grows the scratch vectors
            const int index = int(i), topIndex = depth == 1 ? index : top;
            const QRectF cell = share.adjusted(kInset, kInset, -kInset, -kInset);
            if (cell.width() >= kInset && cell.height() >= kInset) {
                run.reset();
                layoutCell(children[i], depth, topIndex, index, cell);
            } else if (run && extends(cells[*run].rect, share)) {
                cells[*run].rect = cells[*run].rect.united(share);
            } else if (share.width() > 0 && share.height() > 0) {
                run = cells.size();
                cells.push_back(restCell(node, *children[i], depth, topIndex, index, share, true));
            }
        }
        if (rest)
            layoutRest(node, children[kept], depth, depth == 1 ? int(kept) : top, int(kept),
                       rects_[base + kept]);
        weights_.resize(base);
        rects_.resize(base);
    }

  private:
    void layoutCell(FileNode* node, int depth, int top, int index, const QRectF& cell) {
        const QColor color = palette::nodeColor(*node, mode_, depth == 1, top, index, depth, now_);
        const bool group = node->isDirectory() && depth < maxDepth_ && cell.width() > kGroupMinSide &&
                           cell.height() > kGroupMinSide && !node->children().empty();
        cells.push_back({cell, node, group, color, depth});
        if (!group) return;
        const bool fullHeader = cell.height() > kHeaderMinHeight && cell.width() > kHeaderMinWidth;
        const double header = fullHeader ? kHeaderHeight : kThinHeader;
        const QRectF inner(cell.x() + 3, cell.y() + header, cell.width() - 6, cell.height() - header - 3);
        layoutChildren(node, node->children(), depth + 1, top, inner);
    }

    // A block standing for `folder`, coloured as `first`, its first child inside, would be.
    Cell restCell(const FileNode* folder, const FileNode& first, int depth, int top, int index,
                  const QRectF& rect, bool plain) const {
        Cell block{rect,  const_cast<FileNode*>(folder),
                   false, palette::nodeColor(first, mode_, depth == 1, top, index, depth, now_),
                   depth, plain};
        block.rest = true;
        return block;
    }

    // The block of the children left out, in the remainder's share.
    void layoutRest(const FileNode* node, const FileNode* first, int depth, int top, int index,
                    const QRectF& share) {
        if (share.width() * share.height() < kMinShare) return; // the size rule holds for it too
        const QRectF cell = share.adjusted(kInset, kInset, -kInset, -kInset);
        const bool plain = cell.width() < kInset || cell.height() < kInset;
        cells.push_back(restCell(node, *first, depth, top, index, plain ? share : cell, plain));
    }

    // Whether `share` continues `block` along one row (or column) of a squarified layout.
    static bool extends(const QRectF& block, const QRectF& share) {
        auto same = [](double a, double b) { return std::abs(a - b) <= 1e-6 * std::max(1.0, std::abs(a)); };
        return (same(share.left(), block.left()) && same(share.width(), block.width()) &&
                same(share.top(), block.bottom())) ||
               (same(share.top(), block.top()) && same(share.height(), block.height()) &&
                same(share.left(), block.right()));
    }

    int maxDepth_;
    ColorMode mode_;
    double now_;
    // Stack-like scratch space shared by every level: each level appends, uses and truncates back.
    std::vector<double> weights_;
    std::vector<QRectF> rects_;
};

} // namespace

std::vector<Cell> buildCells(const FileNode* source, const QRectF& frame, int maxDepth, ColorMode mode,
                             double now) {
    Builder builder(maxDepth, mode, now);
    if (!source) return {};
    const QRectF area = frame.adjusted(kAreaMargin, kAreaMargin, -kAreaMargin, -kAreaMargin);
    // The one view that does not take a regrouping's groups in their declared order: the squarified
    // rows need sizes in falling order, and the walk stops at the first cell too small to draw.
    std::vector<FileNode*> scratch;
    builder.layoutChildren(source, source->childrenLargestFirst(scratch), 1, 0, area);
    return std::move(builder.cells);
}

CellLabel labelFor(const Cell& cell, bool abbreviate) {
    const QRectF& r = cell.rect;
    if (cell.rest) return {};
    if (cell.isGroup) {
        // Exactly the groups that got the full header strip.
        if (r.width() <= kHeaderMinWidth || r.height() <= kHeaderMinHeight) return {};
        return {canvas_labels::nameLine(nodeName(*cell.node), int((r.width() - 12) / 6.09), abbreviate), {}};
    }
    if (r.width() <= 58 || r.height() <= 22) return {};
    CellLabel label{canvas_labels::nameLine(nodeName(*cell.node), int((r.width() - 12) / 6), abbreviate), {}};
    if (r.height() > 42) label.size = formatBytes(cell.node->sizeOnDisk);
    return label;
}

FileNode* hitTest(std::span<const Cell> cells, QPointF p) {
    for (size_t i = cells.size(); i-- > 0;) {
        const QRectF& r = cells[i].rect;
        if (p.x() >= r.left() && p.x() < r.right() && p.y() >= r.top() && p.y() < r.bottom())
            // A block at the top stands for the shown folder, which the pointer never picks out.
            return cells[i].rest && cells[i].depth == 1 ? nullptr : cells[i].node;
    }
    return nullptr;
}

} // namespace treemap
