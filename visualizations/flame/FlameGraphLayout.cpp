#include "visualizations/flame/FlameGraphLayout.h"

#include "model/FileNode.h"
#include "shell/canvas/CanvasLabels.h"
#include "shell/style/Palette.h"

#include <algorithm>
#include <cmath>

namespace flame {

namespace {

constexpr double kInset = 1;           // a drawn block keeps this much of its slot free on every side
constexpr double kMinDrawnWidth = 0.6; // so a one-point block still shows
constexpr double kLabelMinWidth = 44;  // a drawn block at most this wide has no label
constexpr double kCharacterWidth = 6.79;

class Builder {
  public:
    Builder(int depth, ColorMode mode, double now) : depth_(depth), mode_(mode), now_(now) {}

    std::vector<Block> blocks;

    void layoutChildren(const FileNode* node, std::span<FileNode* const> children, int row, int top, double x,
                        double width) {
        if (row > depth_ || node->sizeOnDisk <= 0) return;
        const double total = double(node->sizeOnDisk);
        for (size_t i = 0; i < children.size(); ++i) {
            FileNode* child = children[i];
            // Against the node's own size: children that do not add up leave the span's end empty.
            const double childWidth = double(child->sizeOnDisk) / total * width;
            if (childWidth < kMinBlockWidth) {
                // A folder's children come largest first: the rest are narrower still. A regrouping's
                // groups come in declared order, where a wider one may follow.
                if (node->isVirtual()) continue;
                break;
            }
            const int childTop = row == 1 ? int(i) : top;
            const QColor color = palette::nodeColor(*child, mode_, row < 2, childTop, int(i), row, now_);
            blocks.push_back({child, row, x, childWidth, color});
            if (child->isDirectory())
                layoutChildren(child, child->children(), row + 1, childTop, x, childWidth);
            x += childWidth;
        }
    }

  private:
    int depth_;
    ColorMode mode_;
    double now_;
};

} // namespace

int contentWidth(int viewWidth) {
    return std::max(viewWidth - int(2 * kPadding), int(kMinContentWidth));
}

double contentHeight(int depth) {
    return (std::max(depth, 0) + 1) * kRowPitch;
}

std::vector<Block> layout(const FileNode* source, int depth, ColorMode mode, double width, double now) {
    if (!source) return {};
    Builder builder(depth, mode, now);
    // The folder's own block: a fixed slate "By folder", its own colour otherwise.
    const QColor rootColor = mode == ColorMode::folder
                                 ? QColor(203, 213, 225)
                                 : palette::nodeColor(*source, mode, true, 0, 0, 0, now);
    builder.blocks.push_back({const_cast<FileNode*>(source), 0, 0, width, rootColor});
    std::vector<FileNode*> scratch;
    builder.layoutChildren(source, source->childrenInDeclaredOrder(scratch), 1, 0, 0, width);
    return std::move(builder.blocks);
}

QRectF drawnRect(const Block& block) {
    return {block.x + kInset, block.row * kRowPitch + kInset,
            std::max(block.width - 2 * kInset, kMinDrawnWidth), kRowPitch - 2 * kInset};
}

double cornerRadius(const QRectF& drawn) {
    return std::min(drawn.width() / 2, 3.0);
}

bool showsLabel(const Block& block) {
    return drawnRect(block).width() > kLabelMinWidth;
}

QString labelFor(const Block& block, const QString& text, const QString& name, bool abbreviate) {
    if (!showsLabel(block)) return {};
    if (abbreviate) return palette::initials(name);
    const int budget = int((drawnRect(block).width() - 14) / kCharacterWidth);
    if (budget <= 2) return {};
    return canvas_labels::truncated(text, budget);
}

FileNode* hitTest(std::span<const Block> blocks, QPointF point) {
    if (point.y() < 0) return nullptr;
    const int row = int(point.y() / kRowPitch);
    for (const Block& block : blocks)
        if (block.row == row && block.x <= point.x() && point.x() < block.x + block.width) return block.node;
    return nullptr;
}

} // namespace flame
